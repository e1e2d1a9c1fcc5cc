# Cross-build for Linux on another machine with Debian's cross compilers; the including
# toolchain file (or -D) sets LINUX_TRIPLET (aarch64-linux-gnu, s390x-linux-gnu, ...),
# CMAKE_SYSTEM_PROCESSOR and LINUX_QEMU, the qemu-user program that runs the target's programs.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${LINUX_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${LINUX_TRIPLET}-g++)
# The compiler checks read this file again in projects of their own: pass the settings on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LINUX_TRIPLET LINUX_QEMU)

# Headers, libraries and packages of the target only, never the host's: the cross compiler's
# own root, then the system's, where Debian installs a target's libraries (libgtk-3-dev:arm64
# and the like) in the target's own folders (/usr/lib/aarch64-linux-gnu), the only library
# folders searched there. A CMAKE_FIND_ROOT_PATH given on the command line is kept.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${LINUX_TRIPLET} /)
set(CMAKE_LIBRARY_ARCHITECTURE ${LINUX_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config too: the target's .pc files only, so a library installed for the host alone is
# not found (pictor is then skipped) instead of being linked into the target's programs.
set(ENV{PKG_CONFIG_LIBDIR}
    /usr/lib/${LINUX_TRIPLET}/pkgconfig:/usr/${LINUX_TRIPLET}/lib/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# The target's programs (tests, test discovery) run here under qemu-user.
set(CMAKE_CROSSCOMPILING_EMULATOR ${LINUX_QEMU} -L /usr/${LINUX_TRIPLET})
