# SPDX-License-Identifier: MIT
# NEWS is the changelog for users, newest entry first. Each entry is a header line
# "osclock VERSION (YYYY-MM-DD)", a blank line, and its text indented by two spaces; the newest
# entry's date dates the release.
#
# Included, it defines osclock_read_news() and osclock_write_debian_changelog(). Run as a script,
# it checks NEWS before a release is built, or writes the Debian changelog of a test's NEWS:
#   cmake -D NEWS=FILE [-D NEWEST_ENTRY=OUT] -P news.cmake
#       prints "VERSION YYYY-MM-DD EPOCH", and writes the newest entry's text into OUT; or fails
#   cmake -D NEWS=FILE -D DEBIAN_CHANGELOG=OUT -D "MAINTAINER=NAME <ADDRESS>" -P news.cmake

# Formats EPOCH, in seconds since 1970, as string(TIMESTAMP) does in UTC, into OUTPUT.
function(osclock_utc_time output epoch format)
    set(saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
    set(ENV{SOURCE_DATE_EPOCH} ${epoch})
    string(TIMESTAMP time "${format}" UTC)
    set(ENV{SOURCE_DATE_EPOCH} "${saved_epoch}")
    set(${output} "${time}" PARENT_SCOPE)
endfunction()

# Sets OSCLOCK_NEWS_VERSION, OSCLOCK_RELEASE_DATE, OSCLOCK_RELEASE_EPOCH (midnight UTC of that
# date, in seconds since 1970) and OSCLOCK_NEWS_CHANGES (the newest entry's text) in the caller's
# scope, or stops saying what is wrong with NEWS.
function(osclock_read_news news_file)
    # file(READ) as text drops carriage returns; in hexadecimal it keeps them.
    file(READ "${news_file}" news_hex HEX)
    if(news_hex MATCHES "^(..)*0d")
        message(FATAL_ERROR "NEWS has carriage returns (CR LF line ends): its lines end in LF alone")
    endif()
    file(READ "${news_file}" news)
    string(REGEX MATCH "^[^\n]*" header "${news}")
    if(header MATCHES "[ \t]$")
        message(FATAL_ERROR "NEWS's first line ends in blanks: \"${header}\"")
    endif()
    if(NOT header MATCHES "^osclock ([^ ()]+) \\(([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\\)$")
        message(FATAL_ERROR "NEWS's first line is \"${header}\", not \"osclock VERSION (YYYY-MM-DD)\"")
    endif()
    set(version ${CMAKE_MATCH_1})
    set(date ${CMAKE_MATCH_2}-${CMAKE_MATCH_3}-${CMAKE_MATCH_4})

    # Days counted in years that begin in March, so that a leap day ends its year. The "1" in
    # front keeps a leading zero from reading as octal.
    set(year ${CMAKE_MATCH_2})
    math(EXPR month "1${CMAKE_MATCH_3} - 100")
    math(EXPR day "1${CMAKE_MATCH_4} - 100")
    if(month LESS_EQUAL 2)
        math(EXPR year "${year} - 1")
        math(EXPR month "${month} + 12")
    endif()
    math(EXPR epoch "86400 * (365 * ${year} + ${year} / 4 - ${year} / 100 + ${year} / 400
        + (153 * (${month} - 3) + 2) / 5 + ${day} - 1 - 719468)")
    # A day past its month's end (2026-02-30) counts on into the next: only a real date comes back.
    osclock_utc_time(round_trip ${epoch} "%Y-%m-%d")
    if(NOT round_trip STREQUAL date)
        message(FATAL_ERROR "NEWS's newest entry is dated ${date}, which is no calendar date")
    endif()

    # The text runs to the next header: the next line that is not indented.
    if(NOT news MATCHES "^[^\n]*\n\n(.*)$")
        message(FATAL_ERROR "NEWS's first line is not followed by a blank line")
    endif()
    set(changes "${CMAKE_MATCH_1}")
    string(FIND "${changes}" "\nosclock " next_header)
    if(next_header GREATER_EQUAL 0)
        string(SUBSTRING "${changes}" 0 ${next_header} changes)
    endif()
    string(REGEX REPLACE "\n+$" "" changes "${changes}")
    if(changes STREQUAL "" OR changes MATCHES "(^|\n)[^ \n]|(^|\n) [^ ]")
        message(FATAL_ERROR "NEWS's newest entry has no text, or a line of it is not indented by "
            "two spaces")
    endif()

    set(OSCLOCK_NEWS_VERSION ${version} PARENT_SCOPE)
    set(OSCLOCK_RELEASE_DATE ${date} PARENT_SCOPE)
    set(OSCLOCK_RELEASE_EPOCH ${epoch} PARENT_SCOPE)
    set(OSCLOCK_NEWS_CHANGES "${changes}" PARENT_SCOPE)
endfunction()

# Writes NEWS's newest entry as a Debian changelog: lintian reads the changelog of a package
# without a Debian revision as one.
function(osclock_write_debian_changelog news_file output maintainer)
    osclock_read_news("${news_file}")
    osclock_utc_time(date ${OSCLOCK_RELEASE_EPOCH} "%a, %d %b %Y %H:%M:%S +0000")
    file(WRITE "${output}" "osclock (${OSCLOCK_NEWS_VERSION}) unstable; urgency=medium

${OSCLOCK_NEWS_CHANGES}

 -- ${maintainer}  ${date}
")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    if(DEFINED DEBIAN_CHANGELOG)
        osclock_write_debian_changelog("${NEWS}" "${DEBIAN_CHANGELOG}" "${MAINTAINER}")
    else()
        osclock_read_news("${NEWS}")
        if(DEFINED NEWEST_ENTRY)
            file(WRITE "${NEWEST_ENTRY}" "${OSCLOCK_NEWS_CHANGES}\n")
        endif()
        execute_process(COMMAND ${CMAKE_COMMAND} -E echo
            "${OSCLOCK_NEWS_VERSION} ${OSCLOCK_RELEASE_DATE} ${OSCLOCK_RELEASE_EPOCH}")
    endif()
endif()
