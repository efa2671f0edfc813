# Cross build for today's Linux handhelds (64-bit ARM, Cortex-A35/A53/A55) with Debian's aarch64
# cross compiler: the SDL 2 host only, one binary for every firmware PortMaster serves (the C++
# library inside it, nothing of glibc newer than 2.17), run under qemu-aarch64 against an
# unpacked arm64 sysroot (scripts/arm-sysroot.sh DIR arm64).
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(QB_ARM_TRIPLET aarch64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/arm-sysroot.cmake)

# ARMv8.0, which every one of these cores runs; no exceptions or run-time types, as on the GP2X.
# SDL's configuration header lies in the multiarch folder, which only a native compiler searches.
set(QB_ARCH_FLAGS "-march=armv8-a -mtune=cortex-a53 -isystem ${QB_ARM_SYSROOT}/usr/include/${QB_ARM_TRIPLET}")
set(CMAKE_C_FLAGS_INIT "${QB_ARCH_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${QB_ARCH_FLAGS} -fno-exceptions -fno-rtti -fno-threadsafe-statics")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${CMAKE_EXE_LINKER_FLAGS_INIT} -static-libstdc++ -Wl,--as-needed")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L "${QB_ARM_SYSROOT}" -cpu cortex-a53)

set(QB_SDL12 OFF CACHE BOOL "Build the SDL 1.2 host" FORCE)
set(QB_TESTS OFF CACHE BOOL "Build the tests" FORCE)
set(QB_BENCH OFF CACHE BOOL "Build the benchmarks" FORCE)
set(QB_GLIBC_FLOOR ON CACHE BOOL "Nothing newer than glibc 2.17's symbols" FORCE)
