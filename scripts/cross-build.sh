#!/usr/bin/env bash
# Cross builds for the panel boards with Debian's cross toolchains and multiarch Qt:
#
#   scripts/cross-build.sh ARCH [--tests SET] [--packages DIR] [--build-dir DIR] [--jobs N]
#
# ARCH is arm64 (aarch64-linux-gnu) or armhf (arm-linux-gnueabihf); the build goes to
# build-ARCH. --tests builds a set of tests and runs it under qemu-user:
#   quick     the protocol tests with their exact bytes, the camera core, key dispatch and the
#             GPIO mapping (what CI runs)
#   emulated  quick, plus the MCU line over pseudo-terminals, the platform seams, the network
#             configuration service, the daemon's protocol and the daemon as a program against the
#             virtual MCU, tally and peripherals
# --packages DIR builds the programs only (no simulators or tests) and puts their Debian
# packages into DIR. Installs what it needs first (scripts/install-deps.sh --cross ARCH).
set -euo pipefail
cd "$(dirname "$0")/.."

arch=${1:-}
shift || true
case "$arch" in
  arm64) triplet=aarch64-linux-gnu ;;
  armhf) triplet=arm-linux-gnueabihf ;;
  *)
    echo "usage: $0 arm64|armhf [--tests quick|emulated] [--packages DIR] [--build-dir DIR] [--jobs N]" >&2
    exit 2
    ;;
esac
tests=""
packages=""
build_dir=""
jobs=$(nproc 2>/dev/null || echo 2)
while [ $# -gt 0 ]; do
  case "$1" in
    --tests) tests=$2; shift 2 ;;
    --packages) packages=$2; shift 2 ;;
    --build-dir) build_dir=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
done
case "$tests" in
  "" | quick | emulated) ;;
  *) echo "--tests takes quick or emulated" >&2; exit 2 ;;
esac
[ -n "$build_dir" ] || build_dir=build-$arch

bash scripts/install-deps.sh --cross "$arch"

# libserial-dev is not multiarch: the board's library comes from libserial1:ARCH, and its
# pkg-config file and link-time name are staged here, pointing at that library.
case "$build_dir" in
  /*) ;;
  *) build_dir=$PWD/$build_dir ;;
esac
staging=$build_dir/cross-staging
mkdir -p "$staging/pkgconfig" "$staging/lib"
library=$(ls /usr/lib/"$triplet"/libserial.so.1* 2>/dev/null | head -n 1)
if [ -z "$library" ]; then
  echo "libserial1:$arch is not installed" >&2
  exit 1
fi
ln -sfn "$library" "$staging/lib/libserial.so"
build_triplet=$(dpkg-architecture -qDEB_BUILD_MULTIARCH)
sed -e "s|^libdir=.*|libdir=$staging/lib|" /usr/lib/"$build_triplet"/pkgconfig/libserial.pc \
  > "$staging/pkgconfig/libserial.pc"
# The same for cpp-httplib: the board's library, the build machine's header.
library=$(ls /usr/lib/"$triplet"/libcpp-httplib.so.0.11* 2>/dev/null | head -n 1)
if [ -z "$library" ]; then
  echo "libcpp-httplib0.11:$arch is not installed" >&2
  exit 1
fi
ln -sfn "$library" "$staging/lib/libcpp-httplib.so"
sed -e "s|^libdir=.*|libdir=$staging/lib|" /usr/lib/"$build_triplet"/pkgconfig/cpp-httplib.pc \
  > "$staging/pkgconfig/cpp-httplib.pc"
export ZEK_CROSS_STAGING=$staging

# The quick set is the byte-level code (where the boards' unsigned char and 32-bit sizes would
# show) and builds none of the panel application's library.
quick_tests=(linkProtocolTest linkRobustnessTest daemonProtocolTest cameraCoreTest tallyCoreTest
             gpioMappingTest)
emulated_tests=("${quick_tests[@]}" workItemTest mcuLineTest platformTest networkConfigTest
                linkLogTest linkDaemonTest keyDispatchTest peripheralsTest panelStateTest)

build_tests=ON
[ -n "$packages" ] && [ -z "$tests" ] && build_tests=OFF
start=$(date +%s)
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchains/$triplet.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEK_WERROR=ON -DZEK_BUILD_TESTS=$build_tests >/dev/null
# The programs when packages are asked for or nothing else is; the tests pull in what they start.
targets=()
if [ -n "$packages" ] || [ -z "$tests" ]; then
  targets=(zek710amgrgui linkDaemon panelRescue linkctl hcipTool zekTranslations)
fi
case "$tests" in
  quick) selected=("${quick_tests[@]}") ;;
  emulated) selected=("${emulated_tests[@]}") ;;
  *) selected=() ;;
esac
targets+=("${selected[@]}")
cmake --build "$build_dir" -j "$jobs" --target "${targets[@]}"
echo "cross build $arch: $(($(date +%s) - start)) s"

if [ ${#selected[@]} -gt 0 ]; then
  start=$(date +%s)
  regex="^($(IFS='|'; echo "${selected[*]}"))\$"
  (cd "$build_dir" && ctest --output-on-failure -R "$regex") | tee "$build_dir/ctest.log"
  echo "emulated tests $arch: $(($(date +%s) - start)) s"
  grep -q '^100% tests passed' "$build_dir/ctest.log"
fi

if [ -n "$packages" ]; then
  mkdir -p "$packages"
  (cd "$build_dir" && cpack -G DEB >/dev/null)
  cp "$build_dir"/*_"$arch".deb "$packages"/
  ls -l "$packages"/*_"$arch".deb
fi
