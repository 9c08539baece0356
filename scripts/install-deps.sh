#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need. Does nothing when they
# are all there already.
set -euo pipefail

# scripts/install-deps.sh --cross ARCH...: the cross toolchains, the multiarch libraries of the
# panel boards (arm64, armhf), qemu-user to run what they build, and the packaging tools.
cross_architectures=()
if [ "${1:-}" = "--cross" ]; then
  shift
  cross_architectures=("$@")
fi

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qtbase5-dev qtdeclarative5-dev qtquickcontrols2-5-dev libqt5serialport5-dev libqt5svg5-dev qttools5-dev-tools
  qml-module-qtquick2 qml-module-qtquick-controls2 qml-module-qtquick-window2
  qml-module-qtquick-templates2 qml-module-qttest
  libserial-dev libfmt-dev libgtest-dev libgmock-dev iproute2 xvfb xdotool
  clang libclang-rt-14-dev zip unzip
  fonts-crosextra-carlito fonts-wqy-microhei
  libcpp-httplib-dev libssl-dev zlib1g-dev libbrotli-dev
  # The automation interface's tests and demo: a client, and a browser for the status page.
  curl chromium python3
)

packages+=(lintian debootstrap)
for arch in "${cross_architectures[@]}"; do
  case "$arch" in
    arm64 | armhf) ;;
    *) echo "unknown board architecture: $arch (arm64 or armhf)" >&2; exit 2 ;;
  esac
  packages+=(
    "crossbuild-essential-$arch" qemu-user
    "qtbase5-dev:$arch" "qtdeclarative5-dev:$arch" "qtquickcontrols2-5-dev:$arch"
    "libqt5serialport5-dev:$arch" "libqt5svg5-dev:$arch"
    "qml-module-qtquick2:$arch" "qml-module-qtquick-controls2:$arch"
    "qml-module-qtquick-window2:$arch" "qml-module-qtquick-templates2:$arch"
    # libserial-dev cannot stand beside the build machine's own: only its library is installed
    # here, scripts/cross-build.sh stages the rest.
    "libserial1:$arch" "libfmt-dev:$arch" "libgtest-dev:$arch" "libgmock-dev:$arch"
    # The same for libcpp-httplib-dev: its library here, its header is the build machine's.
    "libcpp-httplib0.11:$arch" "libssl-dev:$arch" "zlib1g-dev:$arch" "libbrotli-dev:$arch"
  )
done

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
for arch in "${cross_architectures[@]}"; do
  if ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
    $sudo dpkg --add-architecture "$arch"
  fi
done
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
