#!/usr/bin/env bash
# End to end: the sample update package made by scripts/make-update-package.sh, checked and
# installed by the real zek710amgrgui from its command line, then panelRescue offscreen left to
# time out. Runs inside the test namespaces (scripts/netns-run.sh). Arguments: the build directory.
set -euo pipefail
build=$1
root=$(mktemp -d /tmp/zek-update.XXXXXX)
source "$(dirname "$0")/../app/e2e-lib.sh"
scripts=$(cd "$(dirname "$0")/../../../scripts" && pwd)

mkdir -p "$root/home/zek710a/application/current" "$root/home/zek710a/application/prev" \
  "$root/dev" "$root/run"
# The MCU answers version 2.5, which the panel shows as 0.2.0.5.
"$build/sim/virtualMcu" --link "$root/dev/ttyAMA0" --control "$root/run/mcu.sock" --version 2.5 \
  >"$root/mcu.out" &
pids+=($!)
wait_for 10 grep -q ready "$root/mcu.out" || fail "virtual MCU"
echo "running build" > "$root/home/zek710a/application/current/zek710amgrgui"
echo "older build" > "$root/home/zek710a/application/prev/zek710amgrgui"
: > "$root/panel.log"
"$scripts/make-update-package.sh" "$root" 1.0.8 0.1.0.8 >/dev/null

panel() { ZEK_ROOT="$root" ZEK_SIMULATION=1 "$build/panel/zek710amgrgui" "$@"; }
out=$(panel --update check 2>/dev/null) || fail "check: $out"
grep -qx "new version: upable=1 app=v1.0.8 mcu=v0.1.0.8" <<<"$out" || fail "check: $out"
[ ! -e "$root/home/zek710a/application/temp/zek710a_fwup" ] || fail "temp folder left behind"

out=$(panel --update install 2>/dev/null) || fail "install: $out"
[ "$(grep '^progress' <<<"$out" | tr '\n' ' ')" = "progress 10 progress 12 progress 15 progress 25 progress 33 progress 40 progress 50 progress 56 progress 60 progress 68 progress 70 progress 80 progress 82 progress 84 progress 86 progress 100 " ] \
  || fail "progress: $out"
grep -qx "result OK" <<<"$out" || fail "install: $out"
app="$root/home/zek710a/application"
[ "$("$app/current/zek710amgrgui")" = "v1.0.8" ] || fail "new application"
grep -q "0.1.0.8" "$app/current/zek710a_mcu.bin" || fail "MCU image"
grep -q "sample package" "$app/current/package-note.txt" || fail "script"
[ "$(cat "$app/prev/zek710amgrgui")" = "running build" ] || fail "prev"

# An older application with the running MCU image is not offered; a newer MCU image is.
"$scripts/make-update-package.sh" "$root" 0.9.9 0.2.0.5 >/dev/null
out=$(panel --update check 2>/dev/null) || fail "check: $out"
grep -qx "new version: upable=0 app=v0.9.9 mcu=v0.2.0.5" <<<"$out" || fail "older package: $out"
"$scripts/make-update-package.sh" "$root" 0.9.9 0.2.0.6 >/dev/null
out=$(panel --update check 2>/dev/null) || fail "check: $out"
grep -qx "new version: upable=1 app=v0.9.9 mcu=v0.2.0.6" <<<"$out" || fail "newer MCU image: $out"

# The recovery tool, left alone, chases its lamps and ends with them off.
rm -f "$root/commands.log"
status=0
ZEK_ROOT="$root" ZEK_SIMULATION=1 QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software \
  timeout 30 "$build/rescue/panelRescue" >/dev/null 2>&1 || status=$?
[ "$status" = 0 ] || fail "panelRescue ended with $status"
[ "$(wc -l < "$root/commands.log")" = 30 ] || fail "lamp steps: $(cat "$root/commands.log")"
[ "$(tail -3 "$root/commands.log" | tr '\n' ' ')" = "i2cset -f -y 1 0x03 0x02 0x00 i2cset -f -y 1 0x03 0x03 0x00 i2cset -f -y 1 0x03 0x04 0x00 " ] \
  || fail "lamps not off"
echo "1 passed, 0 failed"
