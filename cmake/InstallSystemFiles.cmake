# Runs at install time (see Install.cmake, which sets the QUILLANE_* variables first): writes
# quillane.service and the stick mounting rule with the paths of this install, and puts them
# where systemd and udev look. Only an install to /usr goes to the system's own directories; a
# trial install under another prefix stays below that prefix.

# a_Out = the override if given, else a_System for /usr, else a_Relative below the prefix.
function(quillane_install_dir a_Out a_Override a_System a_Relative)
    if(a_Override)
        set(dir ${a_Override})
    elseif(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
        set(dir ${a_System})
    else()
        set(dir ${CMAKE_INSTALL_PREFIX}/${a_Relative})
    endif()
    set(${a_Out} ${dir} PARENT_SCOPE)
endfunction()

# Installs to different places at once (a package being built during a trial install) must not
# share the files they write.
string(MD5 tag "$ENV{DESTDIR}|${CMAKE_INSTALL_PREFIX}")
set(staging ${QUILLANE_STAGING}/install-${tag})
set(QUILLANE_BINDIR ${CMAKE_INSTALL_PREFIX}/${QUILLANE_BINDIR_REL})
set(QUILLANE_MOUNT_HELPER
    ${CMAKE_INSTALL_PREFIX}/${QUILLANE_LIBEXECDIR_REL}/quillane/quillane-mount)
configure_file(${QUILLANE_PACKAGING}/quillane.service.in ${staging}/quillane.service
    @ONLY)
configure_file(${QUILLANE_PACKAGING}/90-quillane-media.rules.in
    ${staging}/90-quillane-media.rules @ONLY)

quillane_install_dir(unit_dir "${QUILLANE_UNIT_DIR_OVERRIDE}" ${QUILLANE_SYSTEM_UNIT_DIR}
    lib/systemd/system)
quillane_install_dir(rules_dir "${QUILLANE_RULES_DIR_OVERRIDE}"
    ${QUILLANE_SYSTEM_UDEV_DIR}/rules.d lib/udev/rules.d)
file(INSTALL DESTINATION ${unit_dir} TYPE FILE FILES ${staging}/quillane.service)
file(INSTALL DESTINATION ${rules_dir} TYPE FILE
    FILES ${staging}/90-quillane-media.rules)
