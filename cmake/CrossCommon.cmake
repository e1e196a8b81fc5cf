# Shared by the cross toolchain files, which set QUILLANE_TRIPLET and the compilers first.
# Debian's cross packages keep the target's C library and headers under /usr/<triplet>.
set(CMAKE_FIND_ROOT_PATH /usr/${QUILLANE_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config reads the target's .pc files (Debian's multiarch packages, e.g. libfoo-dev:armhf)
# and the architecture-independent ones, never this machine's libraries.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${QUILLANE_TRIPLET}/pkgconfig:/usr/share/pkgconfig)

# -L points the emulator's dynamic loader at the target's libraries.
find_program(QUILLANE_QEMU qemu-${CMAKE_SYSTEM_PROCESSOR})
if(QUILLANE_QEMU)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLANE_QEMU} -L /usr/${QUILLANE_TRIPLET})
endif()

# Host packages are of no use to the target: GoogleTest is compiled from Debian's sources.
set(QUILLANE_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to build")
