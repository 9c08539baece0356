#!/usr/bin/env bash
# End to end: the real zek710amgrgui (offscreen, software rendering) against the virtual MCU, two
# virtual serial cameras and a virtual switcher in a temporary root. Run inside the test namespaces
# (scripts/netns-run.sh). Arguments: the build directory.
set -euo pipefail
build=$1
: "${ZEK_CAMERA_NS:?run through scripts/netns-run.sh}"
root=$(mktemp -d /tmp/zek-e2e.XXXXXX)
source "$(dirname "$0")/e2e-lib.sh"

test "$("$build/panel/zek710amgrgui" -v)" = "v1.0.7" || fail "-v"

mkdir -p "$root/dev/input" "$root/run"
: > "$root/dev/input/event0"
echo "rotary@10" > "$root/dev/input/event0.name"
"$build/sim/virtualMcu" --link "$root/dev/ttyAMA0" --control "$root/run/mcu.sock" --version 2.5 \
  >"$root/mcu.out" &
pids+=($!)
for n in 1 2; do
  "$build/sim/virtualCamera/virtualCamera" --serial "$root/dev/ttyUSB$((n - 1))" \
    --control "$root/run/cam$n.sock" >"$root/cam$n.out" 2>/dev/null &
  pids+=($!)
done
wait_for 10 grep -q ready "$root/mcu.out" || fail "virtual MCU"
for n in 1 2; do wait_for 10 grep -q ready "$root/cam$n.out" || fail "camera $n"; done
ctl "$root/run/cam1.sock" set wbMode 5 >/dev/null
# A video switcher that the start-up scan finds; tally from it was chosen in an earlier run, with
# switcher channel 1 on camera 2.
ip netns exec "$ZEK_CAMERA_NS" "$build/sim/virtualSwitcher/virtualSwitcher" --address 10.77.0.60 \
  --mac 02:A4:5C:07:00:60 --control "$root/run/switcher.sock" >"$root/switcher.out" 2>/dev/null &
pids+=($!)
wait_for 10 grep -q ready "$root/switcher.out" || fail "virtual switcher"
mkdir -p "$root/home/zek710a/.config/velmora"
printf '[system]\ntallymode=2\ntallymap0=2\n' > "$root/home/zek710a/.config/velmora/zek710a.conf"

ZEK_ROOT="$root" ZEK_SIMULATION=1 QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software \
  "$build/panel/zek710amgrgui" >"$root/panel.log" 2>&1 &
pids+=($!)
panel=$!

# Start-up: version, initialisation with the colour table, then status exchanges.
wait_for 20 grep -q "End of SysInit()" "$root/panel.log" || fail "start-up did not finish"
order=$(ctl "$root/run/mcu.sock" get order)
[[ "$order" == "80 87 81"* ]] || fail "MCU frame order: $order"
colours=$(ctl "$root/run/mcu.sock" get colours)
[ "${#colours}" -eq 196 ] || fail "colour table: $colours"
# The serial scan asked both cameras for their version; the round robin polls camera 1.
wait_for 20 bash -c "'$build/sim/simctl' '$root/run/cam1.sock' get messages | grep -q 81097e7e70ff" \
  || fail "camera 1 was not polled"
ctl "$root/run/cam2.sock" get messages | grep -q 81090002ff || fail "camera 2 was not scanned"
# The polled white balance (manual) darkens the AWB key on the MCU.
wait_for 20 bash -c "[ \"\$('$build/sim/simctl' '$root/run/mcu.sock' get leds | cut -c9)\" = 1 ]" \
  || fail "AWB LED: $(ctl "$root/run/mcu.sock" get leds)"
grep -qx "i2cset -f -y 1 0x03 0x02 0x55" "$root/commands.log" || fail "i2cset not recorded"
# A camera key, then a preset key: the selected camera recalls the preset.
tap() { ctl "$root/run/mcu.sock" press "$1" >/dev/null; sleep 0.2; ctl "$root/run/mcu.sock" release "$1" >/dev/null; sleep 0.2; }
tap 22
tap 16
wait_for 10 bash -c "[ \"\$('$build/sim/simctl' '$root/run/cam2.sock' get lastPreset)\" = 2 ]" \
  || fail "camera 2 did not recall preset 2: $(ctl "$root/run/cam2.sock" get lastPreset)"
grep -q "Testmode: false" "$root/panel.log" || fail "test mode line"
# Tally: program on channel 1 lights camera 2 red; a switcher restart darkens it until the link
# is back by itself.
lamp() { ctl "$root/run/cam2.sock" get tallyRed; }
ctl "$root/run/switcher.sock" program 1 >/dev/null
wait_for 10 bash -c "[ \"\$('$build/sim/simctl' '$root/run/cam2.sock' get tallyRed)\" = 1 ]" \
  || fail "camera 2 tally red: $(lamp)"
grep -q "Get port:  5001" "$root/panel.log" || fail "switcher port line"
ctl "$root/run/switcher.sock" restart 1500 >/dev/null
wait_for 10 bash -c "[ \"\$('$build/sim/simctl' '$root/run/cam2.sock' get tallyRed)\" = 0 ]" \
  || fail "camera 2 lamp stayed lit while the switcher was away"
wait_for 20 bash -c "[ \"\$('$build/sim/simctl' '$root/run/cam2.sock' get tallyRed)\" = 1 ]" \
  || fail "tally did not come back after the switcher restart"

# Stopped (SIGTERM, as systemd does) while camera 2 pans under the joystick: the camera is stopped
# before the panel ends.
ctl "$root/run/mcu.sock" joy x 1400 1 >/dev/null
wait_for 10 bash -c "[ \"\$('$build/sim/simctl' '$root/run/cam2.sock' get panDir)\" = right ]" \
  || fail "camera 2 did not pan"
kill -TERM "$panel"
(sleep 10; kill -KILL "$panel" 2>/dev/null) &
watchdog=$!
status=0
wait "$panel" 2>/dev/null || status=$?
kill "$watchdog" 2>/dev/null || true
[ "$status" -eq 0 ] || fail "the panel did not end by itself on SIGTERM (status $status)"
[ "$(ctl "$root/run/cam2.sock" get panDir)" = stop ] || fail "camera 2 still pans after the panel ended"
grep -q "stop requested: ending" "$root/panel.log" || fail "no line about the stop request"
ctl "$root/run/mcu.sock" joy x 0 0 >/dev/null

# Started again without any input device: it says why the start-up stopped short, and runs on.
rm -f "$root"/dev/input/event*
ZEK_ROOT="$root" ZEK_SIMULATION=1 QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software \
  "$build/panel/zek710amgrgui" >"$root/panel.log" 2>&1 &
pids+=($!)
panel=$!
wait_for 20 grep -q "No input device in" "$root/panel.log" || fail "no line about the missing input device"
grep -q "End of SysInit()" "$root/panel.log" && fail "sysInit went on without an input device"
sleep 1
kill -0 "$panel" || fail "the panel ended without an input device"
echo "1 passed, 0 failed"
