#!/usr/bin/env bash
# The touch screen's cost: time from the start of zek710amgrgui to the first frame of its main
# window (median and p99 over several starts), then the CPU and resident memory of the idle
# application with its screens up, offscreen with the software renderer, against the virtual MCU
# and two serial cameras.
#   scripts/netns-run.sh bench/screenBench.sh build [starts] [idle seconds]
set -euo pipefail
build=$1
starts=${2:-10}
seconds=${3:-20}
: "${ZEK_CAMERA_NS:?run through scripts/netns-run.sh}"
root=$(mktemp -d /tmp/zek-screens.XXXXXX)
source "$(dirname "$0")/../scripts/sim-lib.sh"
start_panel_devices "$build" 2

start_panel() {
  rm -f "$root/panel.log"
  QT_MESSAGE_PATTERN='%{time process} %{message}' ZEK_ROOT="$root" ZEK_SIMULATION=1 \
    QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software \
    "$build/panel/zek710amgrgui" >"$root/panel.log" 2>&1 &
  app=$!
  pids+=($app)
  for _ in $(seq 400); do grep -q "First frame after" "$root/panel.log" && return 0; sleep 0.05; done
  echo "no first frame; the log:"; cat "$root/panel.log"; exit 1
}
stop_panel() {
  kill "$app"
  wait "$app" 2>/dev/null || true
}

# The log's time stamp (seconds since the start) of the first line holding a text, in ms.
at_ms() { awk -v text="$1" 'index($0, text) { printf "%d\n", $1 * 1000; exit }' "$root/panel.log"; }
# median and p99 of the numbers on standard input
summary() {
  sort -n | awk -v n="$starts" '{ v[NR] = $1 } END {
    p99 = int(n * 99 / 100) + 1; if (p99 > n) p99 = n
    printf "median %d ms, p99 %d ms", v[int(n / 2) + 1], v[p99] }'
}

frames=() constructor=() documents=() init=()
for _ in $(seq "$starts"); do
  start_panel
  frame=$(sed -nE 's/.*First frame after ([0-9]+) ms.*/\1/p' "$root/panel.log" | head -1)
  built=$(at_ms "MainObj construct")
  loaded=$(at_ms "System Init")
  initialised=$(at_ms "End of SysInit()")
  frames+=("$frame")
  constructor+=("$built")
  documents+=("$((loaded - built))")
  init+=("$((initialised - loaded))")
  stop_panel
done
echo "start to first frame over $starts starts: $(printf '%s\n' "${frames[@]}" | summary)"
echo "  of which mainControl's construction (MCU start-up, network scan): $(printf '%s\n' "${constructor[@]}" | summary)"
echo "  the screens' documents loaded and made: $(printf '%s\n' "${documents[@]}" | summary)"
echo "  sysInit (serial lines, cameras), which the first frame waits for: $(printf '%s\n' "${init[@]}" | summary)"

start_panel
sleep 3  # past start-up
ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$app/stat"; }
c0=$(cpu); t0=$(date +%s.%N)
sleep "$seconds"
c1=$(cpu); t1=$(date +%s.%N)
rss=$(awk '/VmRSS/ {print $2}' "/proc/$app/status")
stop_panel
awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v hz="$ticks" -v rss="$rss" 'BEGIN {
  wall = t1 - t0
  printf "idle with the screens up over %.1f s: CPU %.1f %% of one core (goal 5 %%), RSS %.1f MiB (goal 80 MiB)\n",
         wall, 100 * (c1 - c0) / hz / wall, rss / 1024
}'
