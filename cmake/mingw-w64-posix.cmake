# The part both Windows toolchain files share: mingw-w64 for CMAKE_SYSTEM_PROCESSOR (set by
# the including file) with the posix thread model (std::thread, std::mutex, std::call_once).
set(CMAKE_SYSTEM_NAME Windows)
set(loader_mingw ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)

set(CMAKE_C_COMPILER ${loader_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${loader_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${loader_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${loader_mingw} ${LOADER_DEPS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
