#!/usr/bin/env bash
# The demo in factory test mode (ZEK_DEMO_TESTMODE=1 bash scripts/demo.sh), run by demo-inside.sh
# inside the panel's network namespace: the factory marker on the virtual stick, the virtual MCU,
# loop-back cables on the eight camera ports (the second pair broken one way), a stick folder with
# the test picture and two contact inputs high. The demo presses through the test page once;
# every test can be run again by hand while ZEK_DEMO_SECONDS keeps the panel up.
set -euo pipefail
cd "$(dirname "$0")/.."
: "${ZEK_CAMERA_NS:?run through scripts/demo.sh}"

root=$(mktemp -d /tmp/zek-demo-test.XXXXXX)
source "$(dirname "$0")/sim-lib.sh"
say() { echo "[demo] $*"; }
ctl() { build/sim/simctl "$@"; }

mkdir -p "$root/run/media/sda1/velmora" "$root/mnt/velmora" "$root/home/zek710a/application" \
  "$root/home/zek710a/.config/velmora"
: > "$root/run/media/sda1/velmora/tester"
cp build/ui/images/img_bg_launch.png "$root/mnt/velmora/test.png"
# The GPIO block with inputs 3 (red) and 6 (green) high.
python3 - "$root/dev/gpiomem" <<'PY'
import struct, sys, os
os.makedirs(os.path.dirname(sys.argv[1]), exist_ok=True)
block = bytearray(4096)
struct.pack_into("<I", block, 13 * 4, 1 << 22)
struct.pack_into("<I", block, 14 * 4, 1 << (45 - 32))
open(sys.argv[1], "wb").write(block)
PY
start_panel_devices build 0
build/sim/loopbackCable/loopbackCable --root "$root" --control "$root/run/cable.sock" \
  >"$root/cable.out" 2>&1 &
pids+=($!)
wait_ready "$root/cable.out"
ctl "$root/run/cable.sock" break 2 ba >/dev/null
ctl "$root/run/mcu.sock" tbar 10 >/dev/null
say "test mode: factory marker on the stick, loop-back cables on ttyUSB0-7 (pair 3-4 broken"
say "one way), a test picture on the stick, contact inputs 3 (red) and 6 (green) high"

use_display
ZEK_ROOT="$root" ZEK_SIMULATION=1 ZEK_SCREENSHOT="$root/screen.png" \
  build/panel/zek710amgrgui >"$root/panel.log" 2>&1 &
pids+=($!)
for _ in $(seq 300); do [ -f "$root/screen.png" ] && break; sleep 0.1; done
[ -f "$root/screen.png" ] || { echo "no screen from the panel; its log:"; cat "$root/panel.log"; exit 1; }
sleep 2
cp "$root/screen.png" demo-output/testmode-1-page.png
say "the factory test page -> demo-output/testmode-1-page.png"

touch_at() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-1}"; }
say "loop-back pairs 1-2 and 3-4, the USB copy test, the T-bar calibration (bottom at 10, top"
say "at 1100, verify), the contact inputs and the green LED pattern"
touch_at 88 100
touch_at 370 100 3
touch_at 743 100 2
touch_at 106 337
ctl "$root/run/mcu.sock" tbar 1100 >/dev/null
sleep 0.5
touch_at 268 337
touch_at 431 337
touch_at 738 331 4
touch_at 223 533 2
cp "$root/screen.png" demo-output/testmode-2-verdicts.png
say "the verdicts -> demo-output/testmode-2-verdicts.png; the MCU's LED map: $(ctl "$root/run/mcu.sock" get ledmap)"
say "stored T-bar ends (max min): $(ctl "$root/run/mcu.sock" get tbarcal)"
say "commands of the USB test:"
grep -E "mount|cp -f|rm -f" "$root/commands.log" | sed "s|$root||g; s/^/  /"
if [ -n "${ZEK_DEMO_SECONDS:-}" ]; then
  say "the test page stays up for $ZEK_DEMO_SECONDS s: run the tests by hand"
  sleep "$ZEK_DEMO_SECONDS"
fi
cp "$root/panel.log" demo-output/testmode-panel.log
say "done"
