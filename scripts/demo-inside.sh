#!/usr/bin/env bash
# The demo's body, run by demo.sh inside the panel's network namespace (see netns-run.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
: "${ZEK_CAMERA_NS:?run through scripts/demo.sh}"
if [ "${ZEK_DEMO_TESTMODE:-0}" = 1 ]; then
  exec bash scripts/demo-testmode-inside.sh
fi

root=$(mktemp -d /tmp/zek-demo.XXXXXX)
mkdir -p "$root/dev/input" "$root/run" "$root/home/zek710a/.config/velmora"
source "$(dirname "$0")/sim-lib.sh"

say() { echo "[demo] $*"; }
ctl() { build/sim/simctl "$@"; }

# The panel's network setup as the board keeps it, and its MAC address on the boot partition.
mkdir -p "$root/etc/network" "$root/boot" "$root/var/lib/connman"
cat > "$root/etc/network/interfaces" <<'END'
auto lo
iface lo inet loopback

auto eth0
iface eth0 inet static
address 10.77.0.1
gateway 10.77.0.254
netmask 255.255.255.0
nameserver 9.9.9.9
nameserver  8.8.4.4
END
echo "console=tty1 smsc95xx.macaddr=02:a4:5c:01:00:07 rootwait" > "$root/boot/cmdline.txt"

# The screens' translations, where the application looks for them: beside itself.
mkdir -p "$root/home/zek710a/application/current"
cp build/ui/translations/app_*.qm "$root/home/zek710a/application/current/"

# The rotary encoder's input node, named as the panel looks for it.
mkfifo "$root/dev/input/event0"
echo "rotary@10" > "$root/dev/input/event0.name"

# The panel finds its network cameras by discovery at start-up: two cameras, and devices that
# answer the scan but are no cameras (a switcher, a recorder, another panel).
cat > "$root/home/zek710a/.config/velmora/zek710a.conf" <<'CONF'
[system]
useRS422=true
hcipautoscan=true
tallymode=2
tallymap0=1
tallymap1=9
tallymap2=2

[automation]
enabled=true
readOnlyTokenHash=832325dfdda2985ff4dd0f750cc9907a77211950d2852cbded293e21e7b0bcaa
controlTokenHash=a1528aca3a55359af7a271aea44ec058ec61c07b98f12e0f439473d8fcb6194b
CONF

build/sim/virtualMcu --link "$root/dev/ttyAMA0" --control "$root/run/mcu.sock" >"$root/mcu.out" &
pids+=($!)
wait_ready "$root/mcu.out"
for n in 1 2; do
  build/sim/virtualCamera/virtualCamera --serial "$root/dev/ttyUSB$((n - 1))" --control "$root/run/cam$n.sock" \
    >"$root/cam$n.out" 2>/dev/null &
  pids+=($!)
  wait_ready "$root/cam$n.out"
done
# Network cameras are placed by the last number of their address: .12 before .30.
ip netns exec "$ZEK_CAMERA_NS" build/sim/virtualCamera/virtualCamera --hcip 10.77.0.30 \
  --hcip-name studio-wide --mac 02:A4:5C:07:00:30 \
  --control "$root/run/cam10.sock" >"$root/cam10.out" 2>/dev/null &
pids+=($!)
ip netns exec "$ZEK_CAMERA_NS" build/sim/virtualCamera/virtualCamera --hcip 10.77.0.12 \
  --hcip-name studio-close --mac 02:A4:5C:05:00:12 \
  --control "$root/run/cam9.sock" >"$root/cam9.out" 2>/dev/null &
pids+=($!)
ip netns exec "$ZEK_CAMERA_NS" build/sim/hcipDevices/virtualHcipDevices \
  --device WXR-100,AA:BB:CC:00:00:52,10.77.0.52 \
  --device ZEK-710A,02:A4:5C:01:00:53,10.77.0.53 \
  --control "$root/run/others.sock" >"$root/others.out" 2>/dev/null &
pids+=($!)
# The video switcher: the scan files it, and its program and preview drive the cameras' tally
# (channel 1 -> camera 1, channel 2 -> camera 9, channel 3 -> camera 2, as saved above).
ip netns exec "$ZEK_CAMERA_NS" build/sim/virtualSwitcher/virtualSwitcher --address 10.77.0.51 \
  --name MX5800 --mac AA:BB:CC:00:00:51 --control "$root/run/switcher.sock" >"$root/switcher.out" 2>/dev/null &
pids+=($!)
wait_ready "$root/switcher.out"
wait_ready "$root/cam9.out"
wait_ready "$root/cam10.out"
wait_ready "$root/others.out"
say "virtual MCU, serial cameras 1 and 2; on the network: HCIP cameras at 10.77.0.30 and"
say "10.77.0.12, a switcher, a recorder and another panel, all answering the scan"

cam9="$root/run/cam9.sock"
# The screens show camera 1 at start.
shown="$root/run/cam1.sock"
ctl "$shown" set wbMode 0 >/dev/null
ctl "$shown" set videoMode 20 >/dev/null
ctl "$shown" set shutter 6 >/dev/null

use_display
ZEK_ROOT="$root" ZEK_SIMULATION=1 ZEK_SCREENSHOT="$root/screen.png" \
  build/panel/zek710amgrgui >"$root/panel.log" 2>&1 &
pids+=($!)
say "zek710amgrgui started (log: panel.log); waiting for its first screen"
for _ in $(seq 300); do [ -f "$root/screen.png" ] && break; sleep 0.1; done
if [ ! -f "$root/screen.png" ]; then
  echo "no screen from the panel; its log:"; cat "$root/panel.log"; exit 1
fi
sleep 4
cp "$root/screen.png" demo-output/screen-1-start.png
say "screen 1: the camera page as the panel starts, camera 1 chosen -> demo-output/screen-1-start.png"

say "camera 1 changes: manual white balance, 720p50, flipped, shutter 1/215, gain 12"
for setting in "wbMode 5" "videoMode 12" "vflip 1" "hflip 1" "shutter 11" "gain 12" "rGain 167"; do
  ctl "$shown" set $setting >/dev/null
done
# Touch camera 1's tile: its status screen opens with the values the panel polled.
sleep 2
xdotool search --sync --name "ZEK-710A v" mousemove --window %1 260 200 \
  click 1 >/dev/null 2>&1 || true
sleep 4
cp "$root/screen.png" demo-output/screen-2-changed.png
say "screen 2: camera 1's status screen shows the new values -> demo-output/screen-2-changed.png"
xdotool search --name "ZEK-710A v" mousemove --window %1 1000 400 click 1 >/dev/null 2>&1 || true

# The virtual front panel beside the panel: keys, joystick, T-bar, sliders, encoder, function
# keys. A person can play with it; the demo also drives the MCU itself below.
build/sim/frontPanel/virtualFrontPanel --mcu "$root/run/mcu.sock" --root "$root" \
  --screenshot "$root/frontpanel.png" >"$root/frontpanel.out" 2>&1 &
pids+=($!)
wait_ready "$root/frontpanel.out"
mcu() { ctl "$root/run/mcu.sock" "$@" >/dev/null; }
tap() { mcu press "$1"; sleep 0.2; mcu release "$1"; sleep 0.3; }
say "keys on the panel: camera key 2 (serial camera 2), then PST 3"
tap 22
tap 16
echo "  camera 2 recalled preset: $(ctl "$root/run/cam2.sock" get lastPreset)"
say "joystick right and up on camera 2, then released"
mcu joy x 1400 1; mcu joy y 1000 1; sleep 0.6
echo "  camera 2 moving: $(ctl "$root/run/cam2.sock" get state | grep -o 'panSpeed=[0-9]* tiltSpeed=[0-9]* panDir=[a-z]* tiltDir=[a-z]*')"
mcu joy x 0 0; mcu joy y 0 0; sleep 0.6
echo "  camera 2 after release: $(ctl "$root/run/cam2.sock" get state | grep -o 'panDir=[a-z]* tiltDir=[a-z]*')"
say "camera key 9 (HCIP camera), AUTO FOCUS off, then PST 1"
tap 29
tap 11
tap 14
echo "  camera 9: $(ctl "$cam9" get state | grep -o 'focusMode=[a-z]* .*lastPreset=[0-9]*' | cut -c1-60)"
say "camera 9 reboots for 2 s while camera 2 is in control; the panel connects it again by itself"
tap 22
ctl "$cam9" reboot 2000 >/dev/null
for _ in $(seq 100); do grep -q "camera 9 connected again" "$root/panel.log" && break; sleep 0.1; done
grep -E "camera 9 .*(connection lost|attempt|connected again)" "$root/panel.log" | sed 's/^/    /'
say "camera key 9, then PST 2: no rescan, no restart"
tap 29
tap 15
echo "  camera 9 recalled preset: $(ctl "$cam9" get lastPreset)"
kill -USR1 "${pids[-1]}" 2>/dev/null || true
sleep 1
cp "$root/frontpanel.png" demo-output/screen-3-front-panel.png 2>/dev/null || true
say "the front panel, lit as the panel sends it -> demo-output/screen-3-front-panel.png"
if [ -n "${ZEK_DEMO_SECONDS:-}" ]; then
  say "panel and front panel stay up for $ZEK_DEMO_SECONDS s: play with them"
  sleep "$ZEK_DEMO_SECONDS"
fi

# A configuration tool on the camera network finds the panel and gives it a new static setup,
# which waits in a new service file for the next start of the network.
# Tally: cuts on the switcher light the mapped cameras' lamps.
sw() { ctl "$root/run/switcher.sock" "$@" >/dev/null; }
lamps() {
  for n in 1 9 2; do
    printf '    camera %s: %s\n' "$n" "$(ctl "$root/run/cam$n.sock" get state | grep -o 'tallyRed=[01] tallyGreen=[01]')"
  done
}
say "tally: switcher channel 1 on program, channel 2 on preview"
sw program 1; sw preview 2; sleep 1.5
lamps
say "tally: cut to channel 2, channel 3 on preview"
sw program 2; sw preview 3; sleep 1.5
lamps
say "tally: the switcher restarts; lamps go dark, then come back by themselves"
sw restart 1500; sleep 1
lamps
sleep 4
lamps

# The automation interface, turned on in the settings above with a read-only token (d0 32 times)
# and a control token (dc 32 times); its clients on the camera network.
say "automation: the studio's automation reads the state, follows the events and acts"
api=http://10.77.0.1:8710
read_token=$(printf 'd0%.0s' $(seq 32))
control_token=$(printf 'dc%.0s' $(seq 32))
on_network() { ip netns exec "$ZEK_CAMERA_NS" "$@"; }
on_network curl -s --max-time 5 -H "Authorization: Bearer $read_token" "$api/api/v1/state" |
  python3 -c 'import json, sys; s = json.load(sys.stdin)
print("  state: controlled camera %d; cameras found: %s; tally %s" % (s["selection"]["controlled"],
      ", ".join(str(c["camera"]) for c in s["cameras"] if c["exists"]), s["tally"]["mode"]))' || true
on_network curl -sN --max-time 8 -H "Authorization: Bearer $read_token" "$api/api/v1/events" \
  >"$root/events.txt" 2>/dev/null &
sleep 0.5
echo "  recall preset 4 on camera 2: $(on_network curl -s --max-time 5 \
  -H "Authorization: Bearer $control_token" -d '{"camera":2,"preset":4}' "$api/api/v1/actions/recall")"
sleep 0.5
echo "  camera 2 recalled its preset memory $(ctl "$root/run/cam2.sock" get lastPreset) (VISCA counts from 0)"
echo "  with the read-only token: $(on_network curl -s --max-time 5 -H "Authorization: Bearer $read_token" \
  -d '{"camera":1}' "$api/api/v1/actions/select")"
tap 21
echo "  camera key 1 on the panel; events seen by the client:"
sleep 0.5
grep '^event: ' "$root/events.txt" | sort | uniq -c | sed 's/^/   /' || true
say "the status page in a browser on the camera network; the switcher cuts to camera 2 meanwhile"
if on_network python3 tests/panel/automation/pageCheck.py "$api/#token=$read_token" \
  "$root/automation-page.png" 2 build/sim/simctl "$root/run/switcher.sock" program 3 | sed 's/^/  /'; then
  cp "$root/automation-page.png" demo-output/automation-page.png
  say "the status page, camera 2 on program -> demo-output/automation-page.png"
fi

say "a configuration tool on the camera network scans and sets up the panel:"
hcip() { ip netns exec "$ZEK_CAMERA_NS" build/tools/hcipTool/hcipTool --interface "$ZEK_CAMERA_IFACE" "$@"; }
hcip --timeout 15000 version >/dev/null 2>&1 || true
hcip --timeout 500 scan 2>/dev/null | grep '^device' | sed 's/^/  /' || true
mac=$(tr 'a-f' 'A-F' < /sys/class/net/eth0/address)
hcip --yes --to 10.77.0.1 set-static "$mac" 10.77.0.50 255.255.255.0 10.77.0.254 9.9.9.9 8.8.4.4 \
  2>/dev/null | grep '^ack' | sed 's/^/  /' || true
echo "  new service file: $(grep IPv4 "$root/var/lib/connman/default.config_new" 2>/dev/null)"

# A software update from a USB stick: the sample package is checked and installed by the panel
# program from its command line; then the recovery tool runs its chasing light and ends.
say "a USB stick with an update package:"
mkdir -p "$root/home/zek710a/application/current" "$root/home/zek710a/application/prev"
cp build/panel/zek710amgrgui "$root/home/zek710a/application/current/"
scripts/make-update-package.sh "$root" 1.0.8 0.2.0.5 >/dev/null
update() { ZEK_ROOT="$root" ZEK_SIMULATION=1 build/panel/zek710amgrgui --update "$1" 2>/dev/null; }
update check | grep '^new version' | sed 's/^/  /' || true
update install | grep '^result' | sed 's/^/  install /' || true
echo "  current application now says: $("$root/home/zek710a/application/current/zek710amgrgui")"
echo "  previous application kept:    $("$root/home/zek710a/application/prev/zek710amgrgui" -v)"
say "the recovery tool waits for its key chord, chasing the function-key lamps:"
rescue_status=0
ZEK_ROOT="$root" ZEK_SIMULATION=1 QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software \
  timeout 30 build/rescue/panelRescue >/dev/null 2>&1 || rescue_status=$?
echo "  no chord held: panelRescue ended with status $rescue_status, lamps off"

say "what the cameras and the MCU saw:"
echo "  discovery at start-up (the panel's log):"
grep -E '\[hcipScan\] (devices|camera)' "$root/panel.log" | sed 's/^/    /' || true
echo "  switcher link (the panel's log):"
grep -E 'Get port|First Packet Over|Switcher (link|Realtime|silent)' "$root/panel.log" | sed 's/^/    /' || true
echo "  switcher: $(ctl "$root/run/switcher.sock" get state)"
echo "  camera 9 messages: $(ctl "$cam9" get count), identity: $(ctl "$cam9" get identity | cut -d' ' -f1-4)"
echo "  camera 10 state:   $(ctl "$root/run/cam10.sock" get state | cut -c1-80)..."
echo "  MCU frames:        $(ctl "$root/run/mcu.sock" get counts)"
echo "  MCU key LEDs:      $(ctl "$root/run/mcu.sock" get leds)"
echo "  system commands recorded (file commands inside the root ran, the others did not):"
sed 's/^/    /' "$root/commands.log"
cp "$root/panel.log" demo-output/panel.log
say "done"
