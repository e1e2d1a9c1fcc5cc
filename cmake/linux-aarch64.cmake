# Linux on 64-bit ARM (package g++-aarch64-linux-gnu); the programs run here under qemu-user:
# qemu-aarch64 -L /usr/aarch64-linux-gnu PROGRAM.
set(LINUX_TRIPLET aarch64-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(LINUX_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
