# The Debian packages, one per install component: `cpack -G DEB` in a build directory
# configured for the prefix /usr (the default) makes quillane_VERSION_ARCH.deb and, where
# quillanectl is built, quillanectl_VERSION_ARCH.deb. Installing them starts and enables nothing.
set(QUILLANE_MAINTAINER "Quillane developers <quillane@example.org>" CACHE STRING
    "Maintainer named in the Debian packages")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${QUILLANE_COMPONENTS})
set(CPACK_PACKAGE_NAME quillane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${QUILLANE_MAINTAINER})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_QUILLANE_PACKAGE_NAME quillane)
set(CPACK_DEBIAN_QUILLANE_DESCRIPTION
    "unattended announcer of recorded messages and spoken clock times
Quillane plays recorded announcements and spoken clock times through a
loudspeaker on a timetable that repeats every few minutes. Everything it plays
comes from a USB stick: a schedule file and WAV recordings. It starts at boot,
waits for a stick, and needs no screen, keyboard or network.
.
This package holds the announcer, its systemd service and a udev rule that
mounts sticks read-only under /media.")
set(CPACK_DEBIAN_QUILLANE_PACKAGE_DEPENDS "alsa-utils")
set(CPACK_DEBIAN_QUILLANE_PACKAGE_RECOMMENDS "systemd, udev")

set(CPACK_DEBIAN_QUILLANECTL_PACKAGE_NAME quillanectl)
set(CPACK_DEBIAN_QUILLANECTL_DESCRIPTION
    "check a Quillane stick and preview its timetable
Quillane plays recorded announcements and spoken clock times from a USB stick
on a board with a loudspeaker. quillanectl runs on the PC where such a stick
is prepared: it reports what on the stick will not play as expected and why,
prints the announcements to come on a virtual clock, and runs the announcer
itself through aplay.")
set(CPACK_DEBIAN_QUILLANECTL_PACKAGE_RECOMMENDS "alsa-utils")

# dpkg-shlibdeps knows only this machine's libraries. The announcer links nothing beyond the C
# and C++ libraries, so a cross build names the target's; quillanectl is left to dpkg-shlibdeps,
# which needs the target's libraries installed as Debian packages, as its build does.
set(quillane_debian_arch_arm armhf)
set(quillane_debian_arch_aarch64 arm64)
set(CPACK_DEBIAN_QUILLANECTL_PACKAGE_SHLIBDEPS ON)
if(CMAKE_CROSSCOMPILING)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${quillane_debian_arch_${CMAKE_SYSTEM_PROCESSOR}})
    string(APPEND CPACK_DEBIAN_QUILLANE_PACKAGE_DEPENDS
        ", libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1 (>= 3.5)")
else()
    set(CPACK_DEBIAN_QUILLANE_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
