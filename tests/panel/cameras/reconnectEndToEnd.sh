#!/usr/bin/env bash
# End to end: the real zek710amgrgui (offscreen) with an HCIP camera that its start-up discovery
# finds in the camera namespace, and a serial camera whose adapter is plugged in only after
# start-up. The network camera reboots while the panel runs; afterwards its preset keys work
# again, with no rescan and no restart of the program, and the late adapter is used. (VISCA over
# IP through the same steps: cameraReconnectTest.) Run inside the test namespaces
# (scripts/netns-run.sh). Arguments: the build directory.
set -euo pipefail
build=$1
: "${ZEK_CAMERA_NS:?run through scripts/netns-run.sh}"
root=$(mktemp -d /tmp/zek-reconnect.XXXXXX)
source "$(dirname "$0")/../app/e2e-lib.sh"
# The panel's log without the backlight's recorded commands, which fill it.
fail() {
  echo "FAIL: $*"
  echo "--- panel log"
  grep -v "^simulation: recorded" "$root/panel.log" | tail -40 || true
  exit 1
}

mkdir -p "$root/dev/input" "$root/run" "$root/home/zek710a/.config/velmora"
: > "$root/dev/input/event0"
echo "rotary@10" > "$root/dev/input/event0.name"
"$build/sim/virtualMcu" --link "$root/dev/ttyAMA0" --control "$root/run/mcu.sock" --version 2.5 \
  >"$root/mcu.out" &
pids+=($!)
# Camera 2 on its line; camera 1's adapter is not there yet.
"$build/sim/virtualCamera/virtualCamera" --serial "$root/dev/ttyUSB1" \
  --control "$root/run/cam2.sock" >"$root/cam2.out" 2>/dev/null &
pids+=($!)
"$build/sim/virtualCamera/virtualCamera" --serial "$root/dev/ttyUSB0" --unplugged \
  --control "$root/run/cam1.sock" >"$root/cam1.out" 2>/dev/null &
pids+=($!)
# The HCIP camera the start-up discovery finds: camera 9.
ip netns exec "$ZEK_CAMERA_NS" "$build/sim/virtualCamera/virtualCamera" --hcip 10.77.0.12 \
  --hcip-name studio-close --mac 02:A4:5C:05:00:12 \
  --control "$root/run/hcip.sock" >"$root/hcip.out" 2>/dev/null &
pids+=($!)
for sim in mcu cam1 cam2 hcip; do
  wait_for 10 grep -q ready "$root/$sim.out" || fail "$sim did not start"
done

# Camera 2 in control (camera 1, without its adapter, would stop the round robin with its message
# until an operator confirmed it).
cat > "$root/home/zek710a/.config/velmora/zek710a.conf" <<'END'
[system]
useRS422=true
hcipautoscan=true
currentControl=2
currentOnScreen=2
END

ZEK_ROOT="$root" ZEK_SIMULATION=1 QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software \
  "$build/panel/zek710amgrgui" >"$root/panel.log" 2>&1 &
panel=$!
pids+=($panel)
wait_for 20 grep -q "End of SysInit()" "$root/panel.log" || fail "start-up did not finish"

tap() { ctl "$root/run/mcu.sock" press "$1" >/dev/null; sleep 0.2; ctl "$root/run/mcu.sock" release "$1" >/dev/null; sleep 0.2; }
preset_is() {  # control socket, preset, seconds
  wait_for "$3" bash -c "[ \"\$('$build/sim/simctl' '$1' get lastPreset)\" = $2 ]"
}
hcip=$root/run/hcip.sock

# HCIP camera 9: a preset; then, while camera 2 is in control, it reboots. The panel notices in
# the background and connects it again; selected again, it recalls presets with no rescan, no
# restart and no message to confirm. (A loss found while it is in control shows the message once
# and stops the round robin until the operator confirms it: cameraReconnectTest.)
tap 29
tap 16
preset_is "$hcip" 2 10 || fail "camera 9 did not recall preset 2"
tap 22
ctl "$hcip" reboot 1500 >/dev/null
wait_for 10 grep -q "camera 9 .* connection lost" "$root/panel.log" || fail "loss of camera 9 not seen"
wait_for 15 grep -q "camera 9 connected again" "$root/panel.log" || fail "camera 9 not connected again"
tap 29
tap 17
preset_is "$hcip" 3 10 || fail "camera 9 did not recall preset 3 after its reboot"
tap 18
preset_is "$hcip" 4 10 || fail "camera 9 did not recall preset 4 after its reboot"

# Camera 1's adapter appears: the next step that needs the line opens it.
ctl "$root/run/cam1.sock" plug >/dev/null
tap 21
tap 19
preset_is "$root/run/cam1.sock" 5 10 || fail "camera 1 (adapter plugged in late) did not recall preset 5"

kill -0 "$panel" 2>/dev/null || fail "the panel program ended"
echo "1 passed, 0 failed"
