# Cross-compiling for Windows with MinGW-w64 (i686), the shipped build. The
# default (win32) thread model: no winpthread in the exe. Only the tests need
# the posix model (for GoogleTest): they are built with mingw-i686-posix.cmake
# in a tree of their own.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KESTROVA_TRIPLET i686-w64-mingw32)
set(KESTROVA_THREAD_SUFFIX "")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
