# Cross build for 32-bit soft-float little-endian ARM (the handheld's ABI) with Debian's armel
# cross compiler; tests run under qemu-arm against an unpacked armel sysroot.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabi-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabi-g++)
set(CMAKE_ASM_COMPILER arm-linux-gnueabi-gcc)

# The sysroot (scripts/arm-sysroot.sh makes it) is passed as -DQB_ARM_SYSROOT=...; try_compile
# projects read this file again and find it in the environment.
if(NOT QB_ARM_SYSROOT)
  set(QB_ARM_SYSROOT "$ENV{QB_ARM_SYSROOT}")
endif()
if(NOT QB_ARM_SYSROOT)
  message(FATAL_ERROR "the armel build needs -DQB_ARM_SYSROOT=<folder made by scripts/arm-sysroot.sh>")
endif()
set(ENV{QB_ARM_SYSROOT} "${QB_ARM_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH "${QB_ARM_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(ENV{PKG_CONFIG_LIBDIR} "${QB_ARM_SYSROOT}/usr/lib/arm-linux-gnueabi/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "${QB_ARM_SYSROOT}")
set(ENV{PKG_CONFIG_PATH} "")

# The GP2X's ARM920T; Debian's armel libraries are ARMv5TE, so qemu emulates an ARM926.
set(CMAKE_C_FLAGS_INIT "-march=armv4t -mtune=arm920t")
# -Wno-psabi: the notes that GCC 7.1 changed how some arguments are passed concern mixing old
# and new objects, which this build never does
set(CMAKE_CXX_FLAGS_INIT "-march=armv4t -mtune=arm920t -Wno-psabi")
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-Wl,-rpath-link,${QB_ARM_SYSROOT}/usr/lib/arm-linux-gnueabi:${QB_ARM_SYSROOT}/lib/arm-linux-gnueabi:${QB_ARM_SYSROOT}/usr/lib/arm-linux-gnueabi/pulseaudio")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L "${QB_ARM_SYSROOT}" -cpu arm926)

# The handheld's code: its frame gate keeps to the pure busy wait.
set(QB_PLATFORM armel CACHE STRING "The SDL host's platform" FORCE)
