# SPDX-License-Identifier: MIT
# Cross-builds with a Debian cross compiler, which the preset names by its triplet in
# OSCLOCK_TARGET; everything else follows from it. `sh .ci/targets list` names the Debian packages
# each target needs.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES OSCLOCK_TARGET)
if(NOT OSCLOCK_TARGET)
    message(FATAL_ERROR "Set OSCLOCK_TARGET to the cross compiler's triplet, such as aarch64-linux-gnu")
endif()

string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR ${OSCLOCK_TARGET})
set(CMAKE_CXX_COMPILER ${OSCLOCK_TARGET}-g++)

if(OSCLOCK_TARGET MATCHES "-mingw32$")
    # Windows, with MinGW-w64 against msvcrt.dll.
    set(CMAKE_SYSTEM_NAME Windows)
    set(CMAKE_RC_COMPILER ${OSCLOCK_TARGET}-windres)
    set(CMAKE_FIND_ROOT_PATH /usr/${OSCLOCK_TARGET})
    set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
    set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
    set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
    set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
else()
    set(CMAKE_SYSTEM_NAME Linux)
endif()
