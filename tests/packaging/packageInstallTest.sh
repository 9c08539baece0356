#!/usr/bin/env bash
# The Debian packages of a build, installed with dpkg -i into a copy of a clean Debian 12 root
# that holds only what they declare to depend on (scripts/make-clean-root.sh): dpkg accepts them,
# the maintainer scripts run without systemd, the files land where the update, the recovery tool
# and the daemon's own update expect them, the programs start there with "-v" (every library they
# load comes from a declared dependency), the units verify, and removal and purge leave nothing.
#
#   packageInstallTest.sh BUILD_DIR CLEAN_ROOT
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR CLEAN_ROOT}
clean=${2:?usage: $0 BUILD_DIR CLEAN_ROOT}
if [ ! -f "$clean/.zek-dependencies" ]; then
  echo "no clean root at $clean: scripts/make-clean-root.sh makes it (scripts/test.sh does)" >&2
  exit 1
fi

work=$(mktemp -d /tmp/zek-package-test.XXXXXX)
cleanup() { rm -rf "$work"; }
trap cleanup EXIT
failures=0
check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

(cd "$build" && cpack -G DEB -B "$work/packages" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; exit 1; }
debs=("$work"/packages/*.deb)
[ ${#debs[@]} -eq 4 ] || { echo "expected four packages, got: ${debs[*]}"; exit 1; }

root=$work/root
cp -a "$clean" "$root"
mkdir -p "$root/tmp/packages"
cp "${debs[@]}" "$root/tmp/packages/"
in_root() { chroot "$root" "$@"; }

check "dpkg -i installs the four packages" \
  in_root sh -c 'dpkg -i /tmp/packages/*.deb >/tmp/dpkg.log 2>&1 || { cat /tmp/dpkg.log; exit 1; }'
check "every package configured" \
  test "$(in_root dpkg-query -W -f='${db:Status-Abbrev}\n' zek710amgrgui linkdaemon panelrescue \
    zek-tools | grep -c '^ii')" -eq 4
check "no broken dependency left" in_root dpkg --audit

# Where the programs must be.
panel=/home/zek710a/application/current
check "panel application in $panel" test -x "$root$panel/zek710amgrgui"
for code in en_US zh_TW zh_CN es_ES pt_PT; do
  check "translation app_$code.qm beside it" test -s "$root$panel/app_$code.qm"
done
check "the screens' Latin font (Carlito) came with the panel package" \
  test -s "$root/usr/share/fonts/truetype/crosextra/Carlito-Regular.ttf"
check "the screens' Chinese font (WenQuanYi Micro Hei) came with the panel package" \
  test -s "$root/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
check "daemon version directory" test -x "$root/home/zek710/software/v-023.035/linkDaemon"
check "current link points at it" \
  test "$(readlink "$root/home/zek710/software/current")" = "/home/zek710/software/v-023.035"
check "recovery tool in /usr/bin" test -x "$root/usr/bin/panelRescue"
for unit in zek710amgrgui linkDaemon panelRescue; do
  check "$unit.service installed" test -f "$root/lib/systemd/system/$unit.service"
done
if [ -x "$root/usr/bin/deb-systemd-helper" ]; then
  for unit in zek710amgrgui linkDaemon panelRescue; do
    check "$unit.service enabled" \
      test -L "$root/etc/systemd/system/multi-user.target.wants/$unit.service"
  done
fi

# The programs start in the clean root and print their versions.
check "zek710amgrgui -v" test "$(in_root $panel/zek710amgrgui -v)" = "v1.0.7"
check "linkDaemon -v through the current link" \
  test "$(in_root /home/zek710/software/current/linkDaemon -v)" = "current Version:023.035"
check "panelRescue -v" test "$(in_root /usr/bin/panelRescue -v)" = "panelRescue v1.0"
# The studio's tools: their help, manual pages and completion.
for tool in linkctl hcipTool; do
  check "$tool --help" sh -c "chroot '$root' /usr/bin/$tool --help 2>&1 | grep -q '^usage: $tool'"
  check "$tool manual page" test -s "$root/usr/share/man/man1/$tool.1.gz"
  check "$tool bash completion" test -s "$root/usr/share/bash-completion/completions/$tool"
done
# Every shared library of the programs resolves in the root (the dynamic loader's own view).
for program in $panel/zek710amgrgui /home/zek710/software/current/linkDaemon /usr/bin/panelRescue \
  /usr/bin/linkctl /usr/bin/hcipTool; do
  check "$program: no library missing" \
    sh -c "! chroot '$root' ldd '$program' | grep -q 'not found'"
done
# The Qt Quick modules the screens import are there for the application's Qt.
for module in QtQuick.2 QtQuick/Controls.2 QtQuick/Window.2; do
  check "QML module $module installed" \
    sh -c "ls '$root'/usr/lib/*/qt5/qml/$module/qmldir >/dev/null 2>&1"
done

# The units, against the root's systemd: its targets, the programs they start.
check "units verify" sh -c "systemd-analyze verify --man=no --root='$root' \
  zek710amgrgui.service linkDaemon.service panelRescue.service >'$work/verify.log' 2>&1"
cat "$work/verify.log"

# Removal: the programs and the daemon's link go; purge forgets the units.
check "dpkg -r removes them" in_root dpkg -r zek710amgrgui linkdaemon panelrescue zek-tools
check "panel application gone" test ! -e "$root$panel/zek710amgrgui"
check "daemon link gone" test ! -L "$root/home/zek710/software/current"
check "tools gone" test ! -e "$root/usr/bin/linkctl"
check "dpkg --purge" in_root dpkg --purge zek710amgrgui linkdaemon panelrescue zek-tools
check "no unit enablement left" \
  sh -c "! ls '$root'/etc/systemd/system/multi-user.target.wants/ 2>/dev/null |
    grep -q -e zek710amgrgui -e linkDaemon -e panelRescue"

echo "$failures failed"
[ "$failures" -eq 0 ]
