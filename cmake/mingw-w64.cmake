# SPDX-License-Identifier: MIT
# Cross-builds for Windows with MinGW-w64 against msvcrt.dll, the preset naming the compiler by
# its triplet in OSCLOCK_TARGET: i686-w64-mingw32 for 32-bit Windows (Debian packages
# g++-mingw-w64-i686, wine, wine32:i386) or x86_64-w64-mingw32 for 64-bit Windows
# (g++-mingw-w64-x86-64, wine64). The tests run the result under Wine when it is installed.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES OSCLOCK_TARGET)
if(NOT OSCLOCK_TARGET)
    message(FATAL_ERROR "Set OSCLOCK_TARGET to the MinGW-w64 triplet, such as x86_64-w64-mingw32")
endif()

set(CMAKE_SYSTEM_NAME Windows)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR ${OSCLOCK_TARGET})
set(CMAKE_CXX_COMPILER ${OSCLOCK_TARGET}-g++)
set(CMAKE_RC_COMPILER ${OSCLOCK_TARGET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${OSCLOCK_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian keeps the 64-bit loader out of PATH; /usr/bin/wine runs 32-bit programs.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    find_program(OSCLOCK_WINE wine64 PATHS /usr/lib/wine)
else()
    find_program(OSCLOCK_WINE wine)
endif()
if(OSCLOCK_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${OSCLOCK_WINE})
endif()
