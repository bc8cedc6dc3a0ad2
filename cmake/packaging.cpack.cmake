# SPDX-License-Identifier: MIT
# Read by cpack before each generator runs.
if(CPACK_GENERATOR STREQUAL "DEB")
    # Without them CPack fails obscurely (file) or builds a package that declares no dependency
    # at all (dpkg-shlibdeps).
    foreach(tool_and_package "file;file" "dpkg-shlibdeps;dpkg-dev")
        list(GET tool_and_package 0 tool)
        list(GET tool_and_package 1 package)
        find_program(OSCLOCK_${tool}_PROGRAM ${tool})
        if(NOT OSCLOCK_${tool}_PROGRAM)
            message(FATAL_ERROR "building a Debian package needs ${tool}: install the ${package} package")
        endif()
    endforeach()
    # The .deb carries the licence and changelog in Debian's formats, rather than upstream's
    # LICENSE and NEWS that `cmake --install` installs.
    set(CPACK_INSTALL_CMAKE_PROJECTS
        "${CPACK_OSCLOCK_BINARY_DIR};osclock;program;/;${CPACK_OSCLOCK_BINARY_DIR};osclock;debian_docs;/")
elseif(CPACK_GENERATOR STREQUAL "TGZ")
    # The static executable's archive holds upstream's LICENSE and NEWS, and a README of its own.
    set(CPACK_INSTALL_CMAKE_PROJECTS "")
    foreach(component program upstream_docs archive_docs)
        list(APPEND CPACK_INSTALL_CMAKE_PROJECTS ${CPACK_OSCLOCK_BINARY_DIR} osclock ${component} /)
    endforeach()
endif()
# The archives' time stamps, and those that strip writes into a Windows executable, are the
# release's date unless the builder gives another.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    set(ENV{SOURCE_DATE_EPOCH} ${CPACK_OSCLOCK_RELEASE_EPOCH})
endif()
if(CPACK_GENERATOR STREQUAL "ZIP")
    # A ZIP stores its entries' times as local times: the same in every builder's zone only if
    # that zone is fixed.
    set(ENV{TZ} UTC0)
endif()
