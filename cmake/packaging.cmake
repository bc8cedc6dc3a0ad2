# SPDX-License-Identifier: MIT
# Install rules and CPack: a Debian package on Linux, or an archive for any distribution of a static
# build; a ZIP for Windows.
include(GNUInstallDirs)

set(OSCLOCK_MAINTAINER "osclock developers <osclock@users.noreply.invalid>"
    CACHE STRING "The packages' maintainer, as Name <address>")

# NEWS's newest entry dates the release: the man page, the Debian changelog, and every packaged
# file where the builder sets no SOURCE_DATE_EPOCH, so that packages built from the same source are
# the same to the bit whenever they are built.
include(${CMAKE_CURRENT_LIST_DIR}/news.cmake)
osclock_read_news(${PROJECT_SOURCE_DIR}/NEWS)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/NEWS)
set(CPACK_OSCLOCK_RELEASE_EPOCH ${OSCLOCK_RELEASE_EPOCH}) # for packaging.cpack.cmake

# Folders are 0755 whatever the builder's umask, as Debian's policy has them; files take install()'s
# own modes, 0755 for programs and 0644 for the rest.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})

if(WIN32)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(CPACK_SYSTEM_NAME windows-x64)
        set(OSCLOCK_WINDOWS_BUILD "64-bit build")
        set(OSCLOCK_WINDOWS_RUNS_ON "It runs on 64-bit Windows only; for 32-bit Windows, take windows-x86.")
    else()
        set(CPACK_SYSTEM_NAME windows-x86)
        set(OSCLOCK_WINDOWS_BUILD "32-bit build")
        set(OSCLOCK_WINDOWS_RUNS_ON "It runs on 32-bit and 64-bit Windows; windows-x64 is the 64-bit one.")
    endif()
    # A folder to unpack anywhere, the program beside text that any Notepad shows as lines (.txt,
    # CR LF): how to run it, what changed, the licence.
    configure_file(doc/README.windows.txt README.txt @ONLY NEWLINE_STYLE CRLF)
    configure_file(NEWS CHANGES.txt @ONLY NEWLINE_STYLE CRLF)
    configure_file(LICENSE LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
    # osclock.exe holds parts of the MinGW-w64 runtime: start-up code, and the printf with David
    # Gay's number conversion. Their licences (the ZPL 2.1, Lucent's) ask for their notices beside
    # the program, as Debian's copyright file of the runtime gives them.
    find_file(OSCLOCK_MINGW_COPYRIGHT copyright PATHS /usr/share/doc/mingw-w64-common
        NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH DOC "Debian's copyright file of the MinGW-w64 runtime")
    if(OSCLOCK_MINGW_COPYRIGHT)
        file(READ ${OSCLOCK_MINGW_COPYRIGHT} copyright)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${OSCLOCK_MINGW_COPYRIGHT})
    endif()
    set(paragraph_end "Copyright: [^\n]*\nLicense: ")
    string(REGEX MATCH "Files: \\*\n${paragraph_end}ZPL-2\\.1\n( [^\n]*\n)+" zpl "${copyright}")
    string(REGEX MATCH "Files: mingw-w64-crt/gdtoa/\\*\n( [^\n]*\n)*${paragraph_end}Lucent\n( [^\n]*\n)+"
        lucent "${copyright}")
    if(NOT zpl OR NOT lucent)
        message(FATAL_ERROR "The MinGW-w64 runtime's notices, which go with osclock.exe, are read "
            "from Debian's copyright file (package mingw-w64-common): name it with "
            "-DOSCLOCK_MINGW_COPYRIGHT=FILE")
    endif()
    # CR LF by hand: configuring would substitute any ${VAR} or @VAR@ in the licence text.
    string(REPLACE "\n" "\r\n" notices "osclock.exe holds parts of the MinGW-w64 runtime, which its \
compiler links into
every program. The runtime's source files named below come under these
terms, as Debian's mingw-w64 package gives them:

${zpl}
${lucent}")
    file(WRITE ${PROJECT_BINARY_DIR}/MinGW-w64.txt "${notices}")
    install(TARGETS osclock RUNTIME DESTINATION .)
    install(FILES ${PROJECT_BINARY_DIR}/README.txt ${PROJECT_BINARY_DIR}/CHANGES.txt
        ${PROJECT_BINARY_DIR}/LICENSE.txt ${PROJECT_BINARY_DIR}/MinGW-w64.txt DESTINATION .)
else()
    install(TARGETS osclock COMPONENT program)
    if(CMAKE_OBJCOPY)
        # As Debian's dh_strip does: a stripped executable loses the compiler's version stamp too.
        install(CODE "if(CMAKE_INSTALL_DO_STRIP)
            execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/osclock\")
        endif()" COMPONENT program)
    endif()

    # The man page compressed without a time stamp, as Debian's layout has it.
    configure_file(doc/osclock.1.in osclock.1 @ONLY)
    add_custom_command(OUTPUT osclock.1.gz COMMAND gzip -9n -c osclock.1 > osclock.1.gz
        DEPENDS ${PROJECT_BINARY_DIR}/osclock.1 VERBATIM)
    add_custom_target(manual ALL DEPENDS ${PROJECT_BINARY_DIR}/osclock.1.gz)
    install(FILES ${PROJECT_BINARY_DIR}/osclock.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT program)
    install(FILES LICENSE NEWS DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT upstream_docs)
    if(OSCLOCK_STATIC AND OSCLOCK_ON_GLIBC)
        # A static executable holds parts of the GNU C Library: its licence goes with it.
        find_file(OSCLOCK_LGPL LGPL-2.1 PATHS /usr/share/common-licenses NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH
            DOC "The text of the GNU Lesser General Public License, version 2.1")
        if(NOT OSCLOCK_LGPL)
            message(FATAL_ERROR "A static executable holds parts of the GNU C Library, whose licence is "
                "installed beside it: name its text with -DOSCLOCK_LGPL=FILE (Debian's base-files has it "
                "as /usr/share/common-licenses/LGPL-2.1)")
        endif()
        install(FILES ${OSCLOCK_LGPL} DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME LGPL-2.1
            COMPONENT upstream_docs)

        # The archive's README names its processors, the oldest Linux that the C library's start
        # files (whose ABI note every executable carries) run on, and the library's Debian source,
        # which the release puts beside the archive.
        include(${CMAKE_CURRENT_LIST_DIR}/glibc-source.cmake)
        osclock_glibc_source(${CMAKE_CXX_COMPILER} glibc_source)
        set(OSCLOCK_GLIBC_SOURCE "${glibc_source}" CACHE INTERNAL "") # for the release
        string(REGEX REPLACE "-[^-]*$" "" glibc_version "${glibc_source}")
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=crt1.o OUTPUT_VARIABLE start_files
            OUTPUT_STRIP_TRAILING_WHITESPACE)
        execute_process(COMMAND ${CMAKE_READELF} -nW ${start_files} OUTPUT_VARIABLE abi_note)
        string(REGEX MATCH "OS: Linux, ABI: ([0-9.]+)" abi_note "${abi_note}")
        set(OSCLOCK_OLDEST_LINUX "${CMAKE_MATCH_1}" CACHE INTERNAL "")
        if(glibc_source AND OSCLOCK_OLDEST_LINUX AND OSCLOCK_DEBIAN_ARCH)
            set(title "osclock ${PROJECT_VERSION} for Linux on ${OSCLOCK_PROCESSORS}")
            string(LENGTH "${title}" title_length)
            string(REPEAT "=" ${title_length} underline)
            configure_file(doc/README.linux.txt README.linux @ONLY)
            install(FILES ${PROJECT_BINARY_DIR}/README.linux DESTINATION . RENAME README
                COMPONENT archive_docs EXCLUDE_FROM_ALL)
        else()
            message(WARNING "The archive that cpack makes has no README: that is written for a "
                "processor that cmake/linux-processors.list describes, with a C library whose Debian "
                "source dpkg names and whose start files name the oldest Linux")
        endif()
    endif()
    if(OSCLOCK_STATIC)
        # cpack makes an archive for Linux on any distribution, named for the Debian architecture.
        if(OSCLOCK_DEBIAN_ARCH)
            set(CPACK_PACKAGE_FILE_NAME osclock-${PROJECT_VERSION}-linux-${OSCLOCK_DEBIAN_ARCH})
        else()
            set(CPACK_PACKAGE_FILE_NAME osclock-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
        endif()
    endif()

    # The .deb carries the licence and the changelog in Debian's formats instead, as lintian asks:
    # the licence as a machine-readable copyright file, NEWS's newest entry as a Debian changelog.
    # They are installed only into the .deb (packaging.cpack.cmake chooses the components).
    osclock_write_debian_changelog(${PROJECT_SOURCE_DIR}/NEWS ${PROJECT_BINARY_DIR}/changelog
        "${OSCLOCK_MAINTAINER}")
    add_custom_command(OUTPUT changelog.gz COMMAND gzip -9n -c changelog > changelog.gz
        DEPENDS ${PROJECT_BINARY_DIR}/changelog VERBATIM)
    add_custom_target(debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)
    file(READ LICENSE licence)
    string(REGEX REPLACE "\n$" "" licence "${licence}")
    string(REGEX REPLACE "\n\n" "\n.\n" licence "${licence}")
    string(REGEX REPLACE "\n" "\n " licence "${licence}")
    file(WRITE ${PROJECT_BINARY_DIR}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: osclock

Files: *
Copyright: 2026 osclock developers
License: MIT
 ${licence}
")
    install(FILES ${PROJECT_BINARY_DIR}/changelog.gz ${PROJECT_BINARY_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT debian_docs EXCLUDE_FROM_ALL)
    set(CPACK_OSCLOCK_BINARY_DIR ${PROJECT_BINARY_DIR}) # for packaging.cpack.cmake
endif()

set(CPACK_PACKAGE_VENDOR "osclock developers")
set(CPACK_PACKAGE_CONTACT ${OSCLOCK_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "print the local time of day and the date")
set(CPACK_PACKAGE_DESCRIPTION "osclock reads the system clock once and prints two lines,
the local time of day and the date, such as:
 OS time: 9:5:3
 OS date: 3/1/2007
The time zone and daylight-saving time are those of the C library,
set with TZ. A report that cannot be written is an error, with a
message and exit status 1.")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# FILE.sha256 beside each package, as sha256sum -c reads it.
set(CPACK_PACKAGE_CHECKSUM SHA256)
if(WIN32)
    set(CPACK_GENERATOR ZIP)
elseif(CPACK_PACKAGE_FILE_NAME)
    set(CPACK_GENERATOR TGZ)
else()
    set(CPACK_GENERATOR DEB)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The C library version the executable needs, worked out by dpkg-shlibdeps, which cpack checks for
# in packaging.cpack.cmake rather than quietly leaving the dependency out.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/packaging.cpack.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/packages.postbuild.cmake)

# The source tarball of a release is git's archive of the release commit (see RELEASING.md); this
# one, of the working tree, leaves out what git would. CPack reads the patterns from a file of
# CMake code, hence each backslash twice.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME osclock-${PROJECT_VERSION})
foreach(folder SOURCE BINARY)
    string(REGEX REPLACE "[][\\.*+?|^$()]" "\\\\\\\\\\0" ${folder}_pattern "${PROJECT_${folder}_DIR}")
endforeach()
set(CPACK_SOURCE_IGNORE_FILES "^${SOURCE_pattern}/\\\\.git/" "^${SOURCE_pattern}/build/" "^${BINARY_pattern}/")

include(CPack)

# Undoes `cmake --install`, at whatever prefix and DESTDIR it was given.
add_custom_target(uninstall COMMAND ${CMAKE_COMMAND} -P ${PROJECT_SOURCE_DIR}/cmake/uninstall.cmake VERBATIM)
