#!/usr/bin/env bash
# The demo: the panel-link code against a virtual panel MCU in a temporary root.
#
# It builds the programs, starts the virtual MCU on a pseudo-terminal published as
# <root>/dev/ttyAMA0, and starts linkMonitor, which runs the status exchange in a loop and prints
# the panel's controls as they change. The script then presses keys, moves the joystick, the
# T-bar and a slider through the MCU's control channel, and reads back the LED map the MCU holds
# (a held key is lit red by the monitor). Nothing outside the temporary root is touched.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target virtualMcu simctl linkMonitor -j "$(nproc 2>/dev/null || echo 2)"

root=$(mktemp -d /tmp/zek-demo.XXXXXX)
mkdir -p "$root/dev" "$root/run"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  sleep 0.3
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$root"
}
trap cleanup EXIT

control="$root/run/mcu.sock"
build/sim/virtualMcu --link "$root/dev/ttyAMA0" --control "$control" --version 1.7 >"$root/mcu.out" &
pids+=($!)
for _ in $(seq 100); do
  grep -q ready "$root/mcu.out" 2>/dev/null && break
  sleep 0.1
done
grep -q ready "$root/mcu.out" || { echo "virtual MCU did not start"; exit 1; }
echo "[demo] $(cat "$root/mcu.out")"

ZEK_ROOT="$root" ZEK_SIMULATION=1 build/link/monitor/linkMonitor --period-ms 20 \
  > >(sed -u 's/^/[monitor] /') &
pids+=($!)
sleep 1.5

mcu() { build/sim/simctl "$control" "$@" >/dev/null; }
step() { echo "[demo] $*"; }

step "press key 5 (a camera key), hold it, read the LED map the MCU holds"
mcu press 5; sleep 0.5
echo "[demo] MCU LED colours of keys 0..39: $(build/sim/simctl "$control" get leds)"
step "release key 5"
mcu release 5; sleep 0.5
step "deflect the joystick right and up, twist for zoom"
mcu joy x 2603 0; mcu joy y 1200 1; sleep 0.5
mcu joy z 900 1; sleep 0.5
step "centre the joystick"
mcu joy x 0 0; mcu joy y 0 0; mcu joy z 0 0; sleep 0.5
step "move the T-bar and slider 2, turn the shuttle"
mcu tbar 32768; mcu slider 2 200; sleep 0.3
mcu shuttle 40 1; sleep 0.5
step "press keys 21 and 22 together, then release both"
mcu press 21; mcu press 22; sleep 0.5
mcu release all; sleep 0.5
step "the MCU goes silent for a moment: the monitor sees an all-zero snapshot, then recovers"
mcu fault silent; sleep 0.6
mcu fault none; sleep 0.6
echo "[demo] frames the MCU received: $(build/sim/simctl "$control" get counts)"
echo "[demo] done"
