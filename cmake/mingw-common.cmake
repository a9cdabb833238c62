# Shared part of the mingw-w64 toolchains; the posix thread model gives std::thread and std::mutex.
set(CMAKE_C_COMPILER ${ZOR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZOR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZOR_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZOR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Windows programs built here are run by Wine when CTest runs them.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
