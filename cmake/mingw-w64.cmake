# What the Windows cross builds share, for Debian's MinGW-w64 (posix threads
# flavour). The including toolchain file sets CMAKE_SYSTEM_PROCESSOR and the
# compilers' triple in GSD_MINGW_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${GSD_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GSD_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${GSD_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${GSD_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Windows programs built here run under Wine, inside the test run's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/wine-run)
