#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need. Does nothing when they
# are all there already.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qtbase5-dev qtdeclarative5-dev qtquickcontrols2-5-dev libqt5serialport5-dev libqt5svg5-dev qttools5-dev-tools
  qml-module-qtquick2 qml-module-qtquick-controls2 qml-module-qtquick-window2
  qml-module-qtquick-templates2 qml-module-qttest
  libserial-dev libfmt-dev libgtest-dev libgmock-dev iproute2 xvfb xdotool
  clang libclang-rt-14-dev zip unzip
  fonts-crosextra-carlito fonts-wqy-microhei
)

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
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
