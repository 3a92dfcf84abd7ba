# Cross-compiling for Windows with MinGW-w64 (x86_64). The posix thread model:
# GoogleTest needs std::mutex, which the win32 model of GCC 12 lacks.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KESTROVA_TRIPLET x86_64-w64-mingw32)
set(KESTROVA_THREAD_SUFFIX "-posix")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
