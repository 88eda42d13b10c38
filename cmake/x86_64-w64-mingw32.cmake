# Cross toolchain: 64-bit Windows (the windows64 tree).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-posix.cmake)
