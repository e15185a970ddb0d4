# Cross build for 32-bit Windows with Debian's MinGW-w64 (posix threads
# flavour): the program for a game whose Game.dll is 32-bit.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(GSD_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
