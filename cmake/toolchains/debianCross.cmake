# What the cross builds for the panel boards share: Debian's cross toolchain for
# ZEK_CROSS_TRIPLET, the multiarch libraries of that architecture, and qemu-user
# (ZEK_CROSS_QEMU) to run what they build on the build machine: the build's own image renderer,
# and the tests under ctest. Included by the toolchain file of each board architecture.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_LIBRARY_ARCHITECTURE ${ZEK_CROSS_TRIPLET})
set(CMAKE_C_COMPILER ${ZEK_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${ZEK_CROSS_TRIPLET}-g++)

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
set(ENV{PKG_CONFIG_LIBDIR} "${stagingPkgConfig}/usr/lib/${ZEK_CROSS_TRIPLET}/pkgconfig:/usr/share/pkgconfig")

find_program(ZEK_QEMU ${ZEK_CROSS_QEMU})
if(ZEK_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZEK_QEMU})
endif()
