#!/usr/bin/env bash
# The link daemon demo: linkDaemon (the older panel's program) against the virtual panel MCU, in
# a temporary root and a pair of network namespaces of its own. The virtual front panel opens (on
# a virtual display, Xvfb, when there is none) and linkctl watches the panel state live while the
# controls move; then a client books, reads versions and upgrades the MCU firmware from a stick
# folder. Screenshots and the client's output go to demo-output/. With ZEK_DEMO_SECONDS=N the
# front panel stays up N seconds for a person to move the controls and watch linkctl.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${ZEK_CAMERA_NS:-}" ]; then
  bash scripts/install-deps.sh
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build --target linkDaemon linkctl virtualMcu virtualCamera virtualFrontPanel simctl \
    hcipTool -j "$(nproc 2>/dev/null || echo 2)"
  mkdir -p demo-output
  exec bash scripts/netns-run.sh bash scripts/daemon-demo.sh
fi

root=$(mktemp -d /tmp/zek-daemon-demo.XXXXXX)
mkdir -p "$root/dev" "$root/run" "$root/home/zek710/software/current"
source scripts/sim-lib.sh
say() { echo "[daemon demo] $*"; }
mcu() { build/sim/simctl "$root/run/mcu.sock" "$@" >/dev/null; }
linkctl() { build/tools/linkctl/linkctl "$@"; }

build/sim/virtualMcu --link "$root/dev/ttymxc1" --control "$root/run/mcu.sock" --version 1.7 \
  >"$root/mcu.out" 2>"$root/mcu.err" &
pids+=($!)
build/sim/virtualCamera/virtualCamera --serial "$root/dev/ttymxc2" --control "$root/run/echo.sock" \
  >"$root/echo.out" 2>/dev/null &
pids+=($!)
wait_ready "$root/mcu.out"
wait_ready "$root/echo.out"
ZEK_ROOT="$root" ZEK_SIMULATION=1 build/daemon/linkDaemon >"$root/daemon.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -q "Start to listen!" "$root/daemon.log" && break; sleep 0.1; done
say "linkDaemon listens on 7000 (control) and 7001-7006 (pool ports), the MCU on ttymxc1"

use_display
build/sim/frontPanel/virtualFrontPanel --mcu "$root/run/mcu.sock" --root "$root" \
  --screenshot "$root/frontpanel.png" >"$root/frontpanel.out" 2>&1 &
frontpanel=$!
pids+=($frontpanel)
wait_ready "$root/frontpanel.out"

seconds=${ZEK_DEMO_SECONDS:-0}
polls=$(( seconds > 0 ? seconds * 5 : 12 ))
say "linkctl books the whole panel, initialises the MCU and watches it ($polls polls):"
linkctl watch --interval 200 --count "$polls" >demo-output/linkctl-watch.txt 2>&1 &
watcher=$!
pids+=($watcher)
sleep 0.8
if [ "$seconds" -gt 0 ]; then
  say "move the front panel's controls for $seconds s; linkctl's lines go to demo-output/linkctl-watch.txt"
else
  say "the front panel moves: key 21 down, joystick right, T-bar up, slider 2"
  mcu press 21; sleep 0.4
  mcu joy x 1800 1; sleep 0.4
  mcu tbar 40000; mcu slider 2 200; sleep 0.4
  kill -USR1 "$frontpanel" 2>/dev/null || true
  mcu release all; mcu joy x 0 0
fi
wait "$watcher" || true
sed 's/^/  /' demo-output/linkctl-watch.txt | grep -E '^  (pool|booked|init|poll)' | head -20
sleep 0.5
cp "$root/frontpanel.png" demo-output/screen-daemon-front-panel.png 2>/dev/null || true
say "the front panel as the daemon's client lit it -> demo-output/screen-daemon-front-panel.png"

say "a client asks for the versions and the T-bar calibration:"
linkctl version + calibration 2>&1 | grep -vE '^(pool port|free)' | sed 's/^/  /'

say "a stick folder with a newer MCU image; the client upgrades the MCU and follows the progress:"
mkdir -p "$root/home/zek710/usb/zek710-firmware"
{ printf '\0\0\0\0\0\0\0\0\0\0\0\1\0\10\0\0'; head -c 20000 /dev/urandom; } \
  > "$root/home/zek710/usb/zek710-firmware/mcu.bin"
linkctl needupdate 2>&1 | grep -vE '^(pool port|free)' | sed 's/^/  /' || true
linkctl upgrade 2>&1 | tr '\r' '\n' | grep -vE '^(pool port|free)' | tail -3 | sed 's/^/  /' || true
image=$(tail -c +17 "$root/home/zek710/usb/zek710-firmware/mcu.bin" | od -An -tx1 -v | tr -d ' \n')
if [ "$(build/sim/simctl "$root/run/mcu.sock" get image)" = "$image" ]; then
  echo "  the virtual MCU rebuilt the 20000-byte image byte for byte"
else
  echo "  the virtual MCU's image differs from the file"
fi
echo "  MCU loader: $(build/sim/simctl "$root/run/mcu.sock" get upgrade)"
cp "$root/daemon.log" demo-output/daemon.log
say "done (daemon log: demo-output/daemon.log)"
