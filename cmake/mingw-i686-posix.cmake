# Cross-compiling for Windows with MinGW-w64 (i686) in the posix thread model,
# for the Win32-layer tests only: GoogleTest needs std::mutex, which the win32
# model of GCC 12 lacks. The shipped exe keeps mingw-i686.cmake.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KESTROVA_TRIPLET i686-w64-mingw32)
set(KESTROVA_THREAD_SUFFIX "-posix")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
