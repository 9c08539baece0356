# Cross build for the 32-bit armhf panel boards (scripts/cross-build.sh armhf).
set(ZEK_CROSS_TRIPLET arm-linux-gnueabihf)
set(ZEK_CROSS_QEMU qemu-arm)
set(CMAKE_SYSTEM_PROCESSOR arm)
# GCC notes on every std::vector iterator passed by value that its ABI changed in GCC 7.1: no
# code here is linked against objects from before that.
set(CMAKE_CXX_FLAGS_INIT -Wno-psabi)
include(${CMAKE_CURRENT_LIST_DIR}/debianCross.cmake)
