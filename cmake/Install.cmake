# Installs what runs the announcer on a board (the service, the rule that mounts sticks, the
# mount helper, the manual pages) and describes the Debian packages built by `cpack -G DEB`.
# The programs install themselves to bin/. The unit and the rule name the installed programs,
# so they are written here, for the prefix chosen at configure time.
include(GNUInstallDirs)
find_package(PkgConfig QUIET)

# systemd and udev look in their own directories, which the system's .pc files name; an install
# to any other prefix keeps the unit and the rule below that prefix.
set(QUILLANE_SYSTEMD_UNIT_DIR "" CACHE PATH
    "Where quillane.service goes (default: systemd's directory for prefix /usr, else below it)")
set(QUILLANE_UDEV_RULES_DIR "" CACHE PATH
    "Where the stick mounting rule goes (default: udev's directory for prefix /usr, else below it)")
set(unit_dir lib/systemd/system)
set(udev_dir lib/udev)
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(unit_dir /lib/systemd/system)
    set(udev_dir /lib/udev)
    if(PKG_CONFIG_FOUND)
        pkg_get_variable(found systemd systemdsystemunitdir)
        if(found)
            set(unit_dir ${found})
        endif()
        pkg_get_variable(found udev udevdir)
        if(found)
            set(udev_dir ${found})
        endif()
    endif()
endif()
set(rules_dir ${udev_dir}/rules.d)
if(QUILLANE_SYSTEMD_UNIT_DIR)
    set(unit_dir ${QUILLANE_SYSTEMD_UNIT_DIR})
endif()
if(QUILLANE_UDEV_RULES_DIR)
    set(rules_dir ${QUILLANE_UDEV_RULES_DIR})
endif()

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(QUILLANE_BINDIR ${CMAKE_INSTALL_FULL_BINDIR})
set(QUILLANE_MOUNT_HELPER ${CMAKE_INSTALL_FULL_LIBEXECDIR}/quillane/quillane-mount)
configure_file(${packaging}/quillane.service.in packaging/quillane.service @ONLY)
configure_file(${packaging}/90-quillane-media.rules.in packaging/90-quillane-media.rules @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/quillane.service
    DESTINATION ${unit_dir} COMPONENT quillane)
install(FILES ${PROJECT_BINARY_DIR}/packaging/90-quillane-media.rules
    DESTINATION ${rules_dir} COMPONENT quillane)
install(PROGRAMS ${packaging}/quillane-mount
    DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quillane COMPONENT quillane)

# Each component is a Debian package of the same name: quillane (the announcer and what runs it
# on a board) and quillanectl (the stick checker). Manual pages and the Debian changelog are
# installed compressed, as Debian expects; each package has its own copy of them and of the
# licence terms.
set(QUILLANE_COMPONENTS quillane)
if(QUILLANE_TOOLS)
    list(APPEND QUILLANE_COMPONENTS quillanectl)
endif()
set(compressed "")
foreach(file quillane.8 quillanectl.1 changelog)
    set(out ${PROJECT_BINARY_DIR}/packaging/${file}.gz)
    add_custom_command(OUTPUT ${out}
        COMMAND sh -c "gzip -9 -n -c \"$1\" > \"$2\"" sh ${packaging}/${file} ${out}
        DEPENDS ${packaging}/${file} VERBATIM)
    list(APPEND compressed ${out})
endforeach()
add_custom_target(quillane_compressed_docs ALL DEPENDS ${compressed})
install(FILES ${PROJECT_BINARY_DIR}/packaging/quillane.8.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man8 COMPONENT quillane)
if(QUILLANE_TOOLS)
    install(FILES ${PROJECT_BINARY_DIR}/packaging/quillanectl.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT quillanectl)
endif()
foreach(component ${QUILLANE_COMPONENTS})
    install(FILES ${packaging}/copyright ${PROJECT_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${component} COMPONENT ${component})
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/DebianPackage.cmake)
