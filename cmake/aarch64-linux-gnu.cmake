# Cross build for 64-bit ARM boards, with Debian's g++-aarch64-linux-gnu. Programs built here
# run on the build machine through qemu-user (package qemu-user).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(QUILLANE_TRIPLET aarch64-linux-gnu)

set(CMAKE_C_COMPILER ${QUILLANE_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${QUILLANE_TRIPLET}-g++)

include(${CMAKE_CURRENT_LIST_DIR}/CrossCommon.cmake)
