# SPDX-License-Identifier: MIT
# Removes what the last install of this build wrote, as its install_manifest.txt lists it, then
# osclock's own folders once they are empty. Folders shared with other programs (bin, man1) stay.
#
# usage: cmake -P uninstall.cmake, in the build folder, with the DESTDIR that install was given
# (the uninstall target runs it so)
if(NOT EXISTS install_manifest.txt)
    message(FATAL_ERROR "uninstall: no install_manifest.txt in ${CMAKE_CURRENT_BINARY_DIR}: "
        "this build was not installed")
endif()
file(STRINGS install_manifest.txt installed)
set(own_folders)
foreach(file IN LISTS installed)
    set(file "$ENV{DESTDIR}${file}") # the manifest leaves it out
    if(EXISTS "${file}" OR IS_SYMLINK "${file}")
        message(STATUS "Removing ${file}")
        file(REMOVE "${file}")
    endif()
    get_filename_component(folder "${file}" DIRECTORY)
    get_filename_component(folder_name "${folder}" NAME)
    if(folder_name STREQUAL "osclock")
        list(APPEND own_folders "${folder}")
    endif()
endforeach()
list(REMOVE_DUPLICATES own_folders)
foreach(folder IN LISTS own_folders)
    file(GLOB left LIST_DIRECTORIES true "${folder}/*")
    if(IS_DIRECTORY "${folder}" AND NOT left)
        message(STATUS "Removing ${folder}")
        file(REMOVE_RECURSE "${folder}")
    endif()
endforeach()
