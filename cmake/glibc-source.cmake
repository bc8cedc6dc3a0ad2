# SPDX-License-Identifier: MIT
# The Debian source package of the GNU C Library whose libc.a the compiler COMPILER links, as
# "VERSION", or "" where dpkg knows none: a static executable holds parts of that library, and its
# source goes beside it. It is the source of the package that owns the libc.a, or for a cross
# compiler's, the one that package names in Built-Using, whatever other C libraries are installed.
# The build includes it; the release runs it, cmake -D COMPILER=... -P glibc-source.cmake, to fetch
# the source before it builds.
function(osclock_glibc_source compiler result)
    execute_process(COMMAND ${compiler} -print-file-name=libc.a OUTPUT_VARIABLE libc
        OUTPUT_STRIP_TRAILING_WHITESPACE)
    file(REAL_PATH "${libc}" libc)
    # dpkg knows a file of a merged /usr by the path its package ships it at, /lib or /usr/lib.
    string(REGEX REPLACE "^/usr" "" unmerged "${libc}")
    foreach(path IN ITEMS "${libc}" "${unmerged}")
        execute_process(COMMAND dpkg-query -S ${path} OUTPUT_VARIABLE owner ERROR_QUIET
            OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(owner MATCHES "^([^:,]+(:[^:,]+)?): ")
            execute_process(OUTPUT_VARIABLE fields COMMAND dpkg-query -W
                -f "\${Built-Using} \${source:Package} \${source:Version}" ${CMAKE_MATCH_1})
            # Each MATCHES sets CMAKE_MATCH_1, so not one condition: the last would decide.
            if(NOT fields MATCHES "glibc \\(= ([^)]+)\\)")
                string(REGEX MATCH " glibc ([^ ]+)$" fields "${fields}")
            endif()
            set(${result} "${CMAKE_MATCH_1}" PARENT_SCOPE)
            return()
        endif()
    endforeach()
    set(${result} "" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    osclock_glibc_source(${COMPILER} source)
    execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${source}")
endif()
