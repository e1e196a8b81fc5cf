# The Debian package: `cpack -G DEB` in a build directory configured for the prefix /usr (the
# default). Installing it starts and enables nothing.
set(QUILLANE_MAINTAINER "Quillane developers <quillane@example.org>" CACHE STRING
    "Maintainer named in the Debian package")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${QUILLANE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "unattended announcer of recorded messages and spoken clock times")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillane plays recorded announcements and spoken clock times through a
loudspeaker on a timetable that repeats every few minutes. Everything it plays
comes from a USB stick: a schedule file and WAV recordings. It starts at boot,
waits for a stick, and needs no screen, keyboard or network.
.
This package holds the announcer, its systemd service, a udev rule that mounts
sticks read-only under /media, and quillanectl, which checks a stick and
previews its timetable.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "alsa-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "systemd, udev")

# dpkg-shlibdeps knows only this machine's libraries; a cross build names the target's.
set(quillane_debian_arch_arm armhf)
set(quillane_debian_arch_aarch64 arm64)
if(CMAKE_CROSSCOMPILING)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${quillane_debian_arch_${CMAKE_SYSTEM_PROCESSOR}})
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS
        ", libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1 (>= 3.5)")
else()
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
