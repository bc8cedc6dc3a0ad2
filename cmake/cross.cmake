# SPDX-License-Identifier: MIT
# Cross-builds with a Debian cross compiler, which the preset names by its triplet in
# OSCLOCK_TARGET; everything else follows from it. HACKING.md's table of targets lists the
# Debian packages each one needs.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES OSCLOCK_TARGET)
if(NOT OSCLOCK_TARGET)
    message(FATAL_ERROR "Set OSCLOCK_TARGET to the cross compiler's triplet, such as aarch64-linux-gnu")
endif()

string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR ${OSCLOCK_TARGET})
set(CMAKE_CXX_COMPILER ${OSCLOCK_TARGET}-g++)

if(OSCLOCK_TARGET MATCHES "-mingw32$")
    # Windows, with MinGW-w64 against msvcrt.dll; programs run under Wine when it is installed.
    set(CMAKE_SYSTEM_NAME Windows)
    set(CMAKE_RC_COMPILER ${OSCLOCK_TARGET}-windres)
    set(CMAKE_FIND_ROOT_PATH /usr/${OSCLOCK_TARGET})
    set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
    set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
    set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
    set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
    # Debian keeps the 64-bit loader out of PATH; /usr/bin/wine runs 32-bit programs.
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
        find_program(OSCLOCK_EMULATOR wine64 PATHS /usr/lib/wine)
    else()
        find_program(OSCLOCK_EMULATOR wine)
    endif()
    if(OSCLOCK_EMULATOR)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${OSCLOCK_EMULATOR})
    endif()
else()
    # Linux. The target's own packages (libgtest-dev:ARCH) live in Debian's multiarch folders.
    set(CMAKE_SYSTEM_NAME Linux)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-multiarch
        OUTPUT_VARIABLE CMAKE_LIBRARY_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE)
    # The x86-64 kernel runs i686 programs itself. Any other processor's run under its static QEMU
    # user emulator, started explicitly with the cross compiler's libraries, so that nothing need
    # be registered with binfmt_misc and no host loader sees a preload meant for the target. It is
    # qemu-ARCH-static from Debian 12's qemu-user-static, or qemu-ARCH from Debian 13's qemu-user,
    # which is static there.
    if(NOT CMAKE_SYSTEM_PROCESSOR MATCHES "^i.86$")
        string(REPLACE powerpc ppc qemu_processor ${CMAKE_SYSTEM_PROCESSOR})
        find_program(OSCLOCK_EMULATOR NAMES qemu-${qemu_processor}-static qemu-${qemu_processor})
        if(OSCLOCK_EMULATOR)
            set(CMAKE_CROSSCOMPILING_EMULATOR ${OSCLOCK_EMULATOR} -L /usr/${OSCLOCK_TARGET})
        endif()
    endif()
endif()
