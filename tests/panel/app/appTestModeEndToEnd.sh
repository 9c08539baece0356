#!/usr/bin/env bash
# End to end in test mode: the real zek710amgrgui (offscreen, software rendering) with the
# production tester's marker on the USB stick, against the virtual MCU and a virtual serial
# camera 1 in a temporary root. The serial scan asks the camera for its version; after that no
# camera command is sent, and the GUI thread stays live. Run inside the test namespaces
# (scripts/netns-run.sh). Arguments: the build directory.
set -euo pipefail
build=$1
: "${ZEK_CAMERA_NS:?run through scripts/netns-run.sh}"
root=$(mktemp -d /tmp/zek-e2e-tester.XXXXXX)
source "$(dirname "$0")/e2e-lib.sh"
camera_heard() { ctl "$root/run/cam1.sock" get messages | grep -q "$1"; }

mkdir -p "$root/dev/input" "$root/run/media/sda1/velmora"
: > "$root/run/media/sda1/velmora/tester"
: > "$root/dev/input/event0"
echo "rotary@10" > "$root/dev/input/event0.name"
"$build/sim/virtualMcu" --link "$root/dev/ttyAMA0" --control "$root/run/mcu.sock" --version 2.5 \
  >"$root/mcu.out" &
pids+=($!)
"$build/sim/virtualCamera/virtualCamera" --serial "$root/dev/ttyUSB0" \
  --control "$root/run/cam1.sock" >"$root/cam1.out" 2>/dev/null &
pids+=($!)
wait_for 10 grep -q ready "$root/mcu.out" || fail "virtual MCU"
wait_for 10 grep -q ready "$root/cam1.out" || fail "camera 1"

ZEK_ROOT="$root" ZEK_SIMULATION=1 QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software \
  "$build/panel/zek710amgrgui" >"$root/panel.log" 2>&1 &
pids+=($!)

wait_for 20 grep -q "End of SysInit()" "$root/panel.log" || fail "start-up did not finish"
grep -q "Testmode: true" "$root/panel.log" || fail "test mode line"
# Version inquiry: the scan reached the camera, so its line works.
wait_for 5 camera_heard 81090002ff || fail "camera 1 was not scanned"

# The GUI thread stays live: in test mode the key thread reports the T-bar on every pass, and
# the GUI thread logs each move of more than 10 on its way to the test screen.
for value in 200 400 600; do
  ctl "$root/run/mcu.sock" tbar $value >/dev/null
  wait_for 2 grep -qE "^workerCatchTBarValue [0-9]+ $value\$" "$root/panel.log" \
    || fail "T-bar $value did not reach the GUI thread: it handles no events"
  sleep 1
done

# Over those seconds the round robin would have polled the camera's status.
if camera_heard 81097e7e70ff; then
  fail "camera 1 was polled in test mode: $(ctl "$root/run/cam1.sock" get messages)"
fi
echo "1 passed, 0 failed"
