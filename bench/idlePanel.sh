#!/usr/bin/env bash
# CPU use, key-loop passes per second and resident memory of an idle zek710amgrgui (offscreen)
# against the virtual MCU answering after 2 ms and one serial camera; once with the MCU
# exchanges sleeping their waits out in fixed steps (ZEK_MCU_WAITS=steps), once waiting on the
# line.
#   scripts/netns-run.sh bench/idlePanel.sh build [seconds]
set -euo pipefail
build=$1
seconds=${2:-20}
: "${ZEK_CAMERA_NS:?run through scripts/netns-run.sh}"
root=$(mktemp -d /tmp/zek-idle.XXXXXX)
source "$(dirname "$0")/../scripts/sim-lib.sh"
start_panel_devices "$build" 1
"$build/sim/simctl" "$root/run/mcu.sock" fault delay 2 >/dev/null
measure() {
  local mode=$1
  rm -f "$root/panel.log"
  ZEK_MCU_WAITS=$mode ZEK_ROOT="$root" ZEK_SIMULATION=1 QT_QPA_PLATFORM=offscreen \
    QT_QUICK_BACKEND=software "$build/panel/zek710amgrgui" >"$root/panel.log" 2>&1 &
  app=$!
  pids+=($app)
  for _ in $(seq 200); do grep -q "End of SysInit()" "$root/panel.log" && break; sleep 0.1; done
  sleep 3  # past start-up

  ticks=$(getconf CLK_TCK)
  cpu() { awk '{print $14 + $15}' "/proc/$app/stat"; }
  passes() { "$build/sim/simctl" "$root/run/mcu.sock" get counts | sed -E 's/.*81=([0-9]+).*/\1/'; }
  c0=$(cpu); p0=$(passes); t0=$(date +%s.%N)
  sleep "$seconds"
  c1=$(cpu); p1=$(passes); t1=$(date +%s.%N)
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$app/status")
  kill "$app"
  wait "$app" 2>/dev/null || true
  awk -v c0="$c0" -v c1="$c1" -v p0="$p0" -v p1="$p1" -v t0="$t0" -v t1="$t1" -v hz="$ticks" \
      -v rss="$rss" -v mode="$mode" 'BEGIN {
    wall = t1 - t0
    printf "idle zek710amgrgui, MCU waits %-5s over %.1f s: CPU %.1f %% of one core, %.0f key-loop passes/s, RSS %.1f MiB\n",
           mode, wall, 100 * (c1 - c0) / hz / wall, (p1 - p0) / wall, rss / 1024
  }'
}
measure steps
measure line
