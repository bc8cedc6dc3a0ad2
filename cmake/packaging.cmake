# SPDX-License-Identifier: MIT
# CPack: a Debian package and a tarball on Linux, a ZIP for Windows.
set(CPACK_PACKAGE_VENDOR "osclock developers")
set(CPACK_PACKAGE_CONTACT "osclock developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "print the local time of day and the date")
set(CPACK_PACKAGE_DESCRIPTION
    "osclock reads the system clock once and prints two lines, the local time of day and the \
date, such as OS time: 9:5:3 and OS date: 3/1/2007. The time zone and daylight-saving time \
are those of the C library, set with TZ.")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
if(WIN32)
    set(CPACK_GENERATOR ZIP)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(CPACK_SYSTEM_NAME windows-x64)
    else()
        set(CPACK_SYSTEM_NAME windows-x86)
    endif()
else()
    set(CPACK_GENERATOR DEB TGZ)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The C library version the executable needs, worked out by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
