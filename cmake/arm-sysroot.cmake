# What the ARM cross builds share: Debian's cross compiler for QB_ARM_TRIPLET, and the unpacked
# sysroot (scripts/arm-sysroot.sh makes it) passed as -DQB_ARM_SYSROOT=..., which try_compile
# projects, reading the toolchain file again, find in the environment.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${QB_ARM_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${QB_ARM_TRIPLET}-g++)
set(CMAKE_ASM_COMPILER ${QB_ARM_TRIPLET}-gcc)

if(NOT QB_ARM_SYSROOT)
  set(QB_ARM_SYSROOT "$ENV{QB_ARM_SYSROOT}")
endif()
if(NOT QB_ARM_SYSROOT)
  message(FATAL_ERROR "this build needs -DQB_ARM_SYSROOT=<folder made by scripts/arm-sysroot.sh>")
endif()
set(ENV{QB_ARM_SYSROOT} "${QB_ARM_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH "${QB_ARM_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(ENV{PKG_CONFIG_LIBDIR} "${QB_ARM_SYSROOT}/usr/lib/${QB_ARM_TRIPLET}/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "${QB_ARM_SYSROOT}")
set(ENV{PKG_CONFIG_PATH} "")
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-Wl,-rpath-link,${QB_ARM_SYSROOT}/usr/lib/${QB_ARM_TRIPLET}:${QB_ARM_SYSROOT}/lib/${QB_ARM_TRIPLET}:${QB_ARM_SYSROOT}/usr/lib/${QB_ARM_TRIPLET}/pulseaudio")
