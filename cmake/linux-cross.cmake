# SPDX-License-Identifier: MIT
# Cross-builds for Linux with a Debian cross compiler, the preset naming it by its triplet in
# OSCLOCK_TARGET (i686-linux-gnu, arm-linux-gnueabihf, aarch64-linux-gnu: Debian packages
# g++-TRIPLET and, for the tests, libgtest-dev:ARCH). A foreign processor's programs run under
# its static QEMU user emulator (qemu-user-static), started explicitly and given the cross
# compiler's libraries; the x86-64 kernel runs i686 programs itself.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES OSCLOCK_TARGET)
if(NOT OSCLOCK_TARGET)
    message(FATAL_ERROR "Set OSCLOCK_TARGET to the cross compiler's triplet, such as aarch64-linux-gnu")
endif()

set(CMAKE_SYSTEM_NAME Linux)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR ${OSCLOCK_TARGET})
set(CMAKE_CXX_COMPILER ${OSCLOCK_TARGET}-g++)

# The target's own packages (libgtest-dev:ARCH) live in Debian's multiarch folders.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-multiarch
    OUTPUT_VARIABLE CMAKE_LIBRARY_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE)

if(NOT CMAKE_SYSTEM_PROCESSOR MATCHES "^i.86$")
    find_program(OSCLOCK_QEMU qemu-${CMAKE_SYSTEM_PROCESSOR}-static)
    if(OSCLOCK_QEMU)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${OSCLOCK_QEMU} -L /usr/${OSCLOCK_TARGET})
    endif()
endif()
