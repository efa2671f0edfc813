# The handheld build: a fully static ARMv4T (ARM920T), soft-float, little-endian EABI executable
# of musl, SDL 1.2 and the demo, every piece compiled for ARMv4T by toolchain/gp2x.sh; no
# C++ run-time library. Tests run under qemu's ARMv4T core.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

# The toolchain's folder: -DQB_GP2X_TOOLCHAIN=..., or build-gp2x/toolchain in the source tree.
# try_compile projects read this file again and find it in the environment.
if(NOT QB_GP2X_TOOLCHAIN)
  set(QB_GP2X_TOOLCHAIN "$ENV{QB_GP2X_TOOLCHAIN}")
endif()
if(NOT QB_GP2X_TOOLCHAIN)
  get_filename_component(QB_GP2X_TOOLCHAIN "${CMAKE_CURRENT_LIST_DIR}/../build-gp2x/toolchain" ABSOLUTE)
endif()
if(NOT EXISTS "${QB_GP2X_TOOLCHAIN}/.complete")
  message(FATAL_ERROR "no toolchain in ${QB_GP2X_TOOLCHAIN}: run toolchain/gp2x.sh first")
endif()
set(ENV{QB_GP2X_TOOLCHAIN} "${QB_GP2X_TOOLCHAIN}")

set(CMAKE_C_COMPILER ${QB_GP2X_TOOLCHAIN}/bin/gp2x-gcc)
set(CMAKE_CXX_COMPILER ${QB_GP2X_TOOLCHAIN}/bin/gp2x-g++)
set(CMAKE_ASM_COMPILER ${QB_GP2X_TOOLCHAIN}/bin/gp2x-gcc)
set(CMAKE_FIND_ROOT_PATH "${QB_GP2X_TOOLCHAIN}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(ENV{PKG_CONFIG_LIBDIR} "${QB_GP2X_TOOLCHAIN}/sdl/lib/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(ENV{PKG_CONFIG_PATH} "")

# Nothing of the demo throws or asks a type at run time; without either it needs no C++ run-time.
# -Wno-psabi: the notes that GCC 7.1 changed how some arguments are passed concern mixing old
# and new objects, which this build never does.
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions -fno-rtti -fno-threadsafe-statics -Wno-psabi")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -cpu ti925t)

# The handheld's own devices, and a frame gate that keeps to the pure busy wait.
set(QB_PLATFORM gp2x CACHE STRING "The SDL host's platform" FORCE)
set(QB_GP2X ON CACHE BOOL "The static handheld build: the demo and its golden record" FORCE)
set(QB_TESTS OFF CACHE BOOL "Build the tests" FORCE)
set(QB_BENCH OFF CACHE BOOL "Build the benchmarks" FORCE)
