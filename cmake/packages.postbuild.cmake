# SPDX-License-Identifier: MIT
# Run by cpack once it has made the packages, before it copies them out and sums them: what the
# builder's file system and user would decide in them is decided here instead, the same everywhere.
# A ZIP and a tarball list their entries in the order the staging folder does (ext4 orders by a hash
# seeded per file system), and a ZIP records their owners; CPack counts folders' sizes into a .deb's
# Installed-Size (4 KiB each on ext4, a few bytes on tmpfs), and records the builder as the files'
# owner.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(package MATCHES "\\.zip$")
        # Entries in name order, owned by root, with the times and attributes the release gives.
        find_program(OSCLOCK_STRIP_NONDETERMINISM strip-nondeterminism)
        if(NOT OSCLOCK_STRIP_NONDETERMINISM)
            message(FATAL_ERROR "building a ZIP needs strip-nondeterminism: install the "
                "strip-nondeterminism package")
        endif()
        execute_process(COMMAND ${OSCLOCK_STRIP_NONDETERMINISM} --type zip
            --timestamp $ENV{SOURCE_DATE_EPOCH} ${package} COMMAND_ERROR_IS_FATAL ANY)
    elseif(package MATCHES "\\.tar\\.gz$")
        # Made again by GNU tar from what CPack packed: entries in name order, owned by root, dated
        # by the release and with install()'s modes, in a stream without a name or a time.
        string(REGEX REPLACE "\\.tar\\.gz$" "" top ${package})
        get_filename_component(top ${top} NAME)
        set(unpacked ${CPACK_TOPLEVEL_DIRECTORY}/sorted)
        file(REMOVE_RECURSE ${unpacked})
        file(MAKE_DIRECTORY ${unpacked})
        execute_process(COMMAND tar -xzf ${package} -C ${unpacked} COMMAND_ERROR_IS_FATAL ANY)
        execute_process(COMMAND tar --sort=name --owner=0 --group=0 --numeric-owner --mode=u=rwX,go=rX
                --mtime=@$ENV{SOURCE_DATE_EPOCH} --format=ustar -C ${unpacked} -cf - ${top}
            COMMAND gzip -9n OUTPUT_FILE ${package} COMMAND_ERROR_IS_FATAL ANY)
        file(REMOVE_RECURSE ${unpacked})
    elseif(package MATCHES "\\.deb$")
        # Installed-Size as dpkg-gencontrol counts it: each file's size in KiB, rounded up, and one
        # for each folder. dpkg-deb builds the package again around the corrected control file.
        set(unpacked ${CPACK_TOPLEVEL_DIRECTORY}/installed-size)
        file(REMOVE_RECURSE ${unpacked})
        execute_process(COMMAND dpkg-deb --raw-extract ${package} ${unpacked} COMMAND_ERROR_IS_FATAL ANY)
        file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${unpacked} ${unpacked}/*)
        set(kib 0)
        foreach(entry IN LISTS entries)
            if(entry MATCHES "^DEBIAN(/|$)")
                continue()
            elseif(IS_DIRECTORY ${unpacked}/${entry} OR IS_SYMLINK ${unpacked}/${entry})
                math(EXPR kib "${kib} + 1")
            else()
                file(SIZE ${unpacked}/${entry} bytes)
                math(EXPR kib "${kib} + (${bytes} + 1023) / 1024")
            endif()
        endforeach()
        file(READ ${unpacked}/DEBIAN/control control)
        string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${kib}\n" control "${control}")
        file(WRITE ${unpacked}/DEBIAN/control "${control}")
        execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip --build ${unpacked} ${package}
            OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
        file(REMOVE_RECURSE ${unpacked})
    endif()
endforeach()
