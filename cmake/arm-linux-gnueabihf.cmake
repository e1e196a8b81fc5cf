# Cross build for 32-bit ARM boards (ARMv7 hard-float), with Debian's g++-arm-linux-gnueabihf.
# Programs built here run on the build machine through qemu-user (package qemu-user), so the
# unit tests can run under ctest.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(QUILLANE_TRIPLET arm-linux-gnueabihf)

set(CMAKE_C_COMPILER ${QUILLANE_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${QUILLANE_TRIPLET}-g++)

# long and the C library's time_t and off_t are 32 bits here by default: 64-bit time keeps
# clock times after 2038-01-19 right, 64-bit offsets keep large files readable.
# -Wno-psabi: GCC notes every standard container of doubles passed by value, since GCC 7.1
# passes them differently; it matters only when linking code built by an older compiler.
set(CMAKE_C_FLAGS_INIT "-D_TIME_BITS=64 -D_FILE_OFFSET_BITS=64")
set(CMAKE_CXX_FLAGS_INIT "-D_TIME_BITS=64 -D_FILE_OFFSET_BITS=64 -Wno-psabi")

include(${CMAKE_CURRENT_LIST_DIR}/CrossCommon.cmake)
