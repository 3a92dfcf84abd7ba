# Cross-compiling for Windows with MinGW-w64 (i686) in the posix thread model,
# for the Win32-layer tests only: GoogleTest needs std::mutex, which the win32
# model of GCC 12 lacks. The shipped exe keeps mingw-i686.cmake.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KESTROVA_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${KESTROVA_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTROVA_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTROVA_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KESTROVA_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
