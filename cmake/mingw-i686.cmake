# Cross-compiling for Windows with MinGW-w64 (i686), the shipped build. The
# default (win32) thread model: no winpthread in the exe. Only the tests need
# the posix model (for GoogleTest): they are built with mingw-i686-posix.cmake
# in a tree of their own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KESTROVA_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${KESTROVA_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${KESTROVA_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${KESTROVA_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KESTROVA_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
