# Cross build for the arm64 panel boards (scripts/cross-build.sh arm64).
set(ZEK_CROSS_TRIPLET aarch64-linux-gnu)
set(ZEK_CROSS_QEMU qemu-aarch64)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/debianCross.cmake)
