# Cross build for 32-bit soft-float little-endian ARM (the handheld's ABI) with Debian's armel
# cross compiler; tests run under qemu-arm against an unpacked armel sysroot.
set(CMAKE_SYSTEM_PROCESSOR arm)
set(QB_ARM_TRIPLET arm-linux-gnueabi)
include(${CMAKE_CURRENT_LIST_DIR}/arm-sysroot.cmake)

# The GP2X's ARM920T; Debian's armel libraries are ARMv5TE, so qemu emulates an ARM926.
set(CMAKE_C_FLAGS_INIT "-march=armv4t -mtune=arm920t")
# -Wno-psabi: the notes that GCC 7.1 changed how some arguments are passed concern mixing old
# and new objects, which this build never does
set(CMAKE_CXX_FLAGS_INIT "-march=armv4t -mtune=arm920t -Wno-psabi")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L "${QB_ARM_SYSROOT}" -cpu arm926)

# The handheld's code: its frame gate keeps to the pure busy wait.
set(QB_PLATFORM armel CACHE STRING "The SDL host's platform" FORCE)
