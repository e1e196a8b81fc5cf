# Installs what runs the announcer on a board (the service, the rule that mounts sticks, the
# manual pages) and describes the Debian package built by `cpack -G DEB`. The programs install
# themselves to bin/.
include(GNUInstallDirs)
find_package(PkgConfig QUIET)

set(QUILLANE_SYSTEMD_UNIT_DIR "" CACHE PATH
    "Where quillane.service goes (default: systemd's own directory when installing to /usr)")
set(QUILLANE_UDEV_RULES_DIR "" CACHE PATH
    "Where the stick mounting rule goes (default: udev's own directory when installing to /usr)")
set(QUILLANE_MAINTAINER "Quillane developers <quillane@example.org>" CACHE STRING
    "Maintainer named in the Debian package")

# The directories the system's .pc files name, used when installing to /usr.
set(QUILLANE_SYSTEM_UNIT_DIR /lib/systemd/system)
set(QUILLANE_SYSTEM_UDEV_DIR /lib/udev)
if(PKG_CONFIG_FOUND)
    pkg_get_variable(found systemd systemdsystemunitdir)
    if(found)
        set(QUILLANE_SYSTEM_UNIT_DIR ${found})
    endif()
    pkg_get_variable(found udev udevdir)
    if(found)
        set(QUILLANE_SYSTEM_UDEV_DIR ${found})
    endif()
endif()

# The unit and the rule name installed paths, so they are written at install time, when the
# prefix is known for certain (cmake --install --prefix, or /usr when cpack builds a package).
set(packaging ${PROJECT_SOURCE_DIR}/packaging)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/packaging)
set(settings "")
foreach(pair
        "PACKAGING;${packaging}" "STAGING;${PROJECT_BINARY_DIR}/packaging"
        "BINDIR_REL;${CMAKE_INSTALL_BINDIR}" "LIBEXECDIR_REL;${CMAKE_INSTALL_LIBEXECDIR}"
        "UNIT_DIR_OVERRIDE;${QUILLANE_SYSTEMD_UNIT_DIR}"
        "RULES_DIR_OVERRIDE;${QUILLANE_UDEV_RULES_DIR}"
        "SYSTEM_UNIT_DIR;${QUILLANE_SYSTEM_UNIT_DIR}" "SYSTEM_UDEV_DIR;${QUILLANE_SYSTEM_UDEV_DIR}")
    list(GET pair 0 name)
    list(GET pair 1 value)
    string(APPEND settings "set(QUILLANE_${name} [==[${value}]==])\n")
endforeach()
file(WRITE ${PROJECT_BINARY_DIR}/packaging/InstallSettings.cmake "${settings}")
install(SCRIPT ${PROJECT_BINARY_DIR}/packaging/InstallSettings.cmake)
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/InstallSystemFiles.cmake)
install(PROGRAMS ${packaging}/quillane-mount
    DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quillane)

# Manual pages and the Debian changelog are installed compressed, as Debian expects.
set(QUILLANE_MAN_PAGES quillane.8)
if(QUILLANE_TOOLS)
    list(APPEND QUILLANE_MAN_PAGES quillanectl.1)
endif()
set(compressed "")
foreach(page ${QUILLANE_MAN_PAGES} changelog)
    set(out ${PROJECT_BINARY_DIR}/packaging/${page}.gz)
    add_custom_command(OUTPUT ${out}
        COMMAND sh -c "gzip -9 -n -c \"$1\" > \"$2\"" sh ${packaging}/${page} ${out}
        DEPENDS ${packaging}/${page} VERBATIM)
    list(APPEND compressed ${out})
    if(page MATCHES "\\.([0-9])$")
        install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${CMAKE_MATCH_1})
    endif()
endforeach()
add_custom_target(quillane_compressed_docs ALL DEPENDS ${compressed})
install(FILES ${packaging}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

include(${CMAKE_CURRENT_LIST_DIR}/DebianPackage.cmake)
