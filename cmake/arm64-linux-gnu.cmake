# Cross-building for 64-bit ARM (Debian's arm64) on a Debian PC, with Debian's cross compiler
# and the target's libraries installed through multiarch (tools/install-deps --arch arm64):
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/arm64-linux-gnu.cmake
# Qt's build tools (moc, rcc: qt6-base-dev-tools) are the building machine's own. Programs the build runs for
# itself (the icon tool) are arm64 programs, run through qemu-user.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(QUADRON_DEBIAN_ARCH arm64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

find_program(QUADRON_QEMU_AARCH64 NAMES qemu-aarch64 qemu-aarch64-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUADRON_QEMU_AARCH64})

# Libraries and headers from the target's multiarch directories; programs from the machine's.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig")
