# Cross build for the panel boards on arm-linux-gnueabihf, with Debian's cross toolchain and the multiarch
# libraries of that architecture (scripts/cross-build.sh installs and uses them). Programs built
# for the board run on the build machine through qemu-user: the build's own image renderer, and
# the tests under ctest.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
# GCC notes on every std::vector iterator passed by value that its ABI changed in GCC 7.1: no
# code here is linked against objects from before that.
set(CMAKE_CXX_FLAGS_INIT -Wno-psabi)

# Libraries and headers of the target architecture only; programs (moc, rcc, lrelease) of the
# build machine.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
# The build machine's own libraries (amd64) are never the target's.
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /usr/lib/x86_64-linux-gnu/cmake)

# pkg-config of the target: its multiarch folder, and a staging folder for -dev packages that
# cannot be installed beside the build machine's own (ZEK_CROSS_STAGING, set by the script).
set(stagingPkgConfig "")
if(DEFINED ENV{ZEK_CROSS_STAGING})
  set(stagingPkgConfig "$ENV{ZEK_CROSS_STAGING}/pkgconfig:")
endif()
set(ENV{PKG_CONFIG_LIBDIR} "${stagingPkgConfig}/usr/lib/arm-linux-gnueabihf/pkgconfig:/usr/share/pkgconfig")

find_program(ZEK_QEMU qemu-arm)
if(ZEK_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZEK_QEMU})
endif()
