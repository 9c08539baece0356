#!/usr/bin/env bash
# The touch screen's cost: time from the start of zek710amgrgui to the first frame of its main
# window (the splash) and to the first message a camera receives (median and p99 over several
# starts), with the parts of the start-up between them, then the CPU and resident memory of the
# idle application with its screens up, offscreen with the software renderer, against the virtual
# MCU and two serial cameras.
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
  for n in 1 2; do "$build/sim/simctl" "$root/run/cam$n.sock" clear messages >/dev/null; done
  # The start on the cameras' clock (CLOCK_MONOTONIC, which /proc/uptime follows here), in ms.
  started_ms=$(awk '{ printf "%d", $1 * 1000 }' /proc/uptime)
  QT_MESSAGE_PATTERN='%{time process} %{message}' ZEK_ROOT="$root" ZEK_SIMULATION=1 \
    QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software \
    "$build/panel/zek710amgrgui" >"$root/panel.log" 2>&1 &
  app=$!
  pids+=($app)
  for _ in $(seq 400); do grep -q "End of SysInit()" "$root/panel.log" && return 0; sleep 0.05; done
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

# ms from the start to the first message camera N received
first_message_ms() {
  local ns
  for _ in $(seq 100); do
    ns=$("$build/sim/simctl" "$root/run/cam$1.sock" get times | awk '{ print $1 }')
    [ -n "$ns" ] && [ "$ns" != none ] && break
    sleep 0.05
  done
  awk -v ns="$ns" -v start="$started_ms" 'BEGIN { printf "%d\n", ns / 1e6 - start }'
}

frames=() first_command=() mcu=() netfiles=() scan=() constructor=() documents=() init=()
for _ in $(seq "$starts"); do
  start_panel
  frame=$(sed -nE 's/.*First frame after ([0-9]+) ms.*/\1/p' "$root/panel.log" | head -1)
  mcu_ready=$(at_ms "rollingKeyStates thread")
  mount=$(at_ms "sudo mount /dev/mmcblk0p1 /boot")
  scanning=$(at_ms "[hcipPreProcess]")
  built=$(at_ms "MainObj construct")
  loaded=$(at_ms "System Init")
  initialised=$(at_ms "End of SysInit()")
  frames+=("$frame")
  first_command+=("$(first_message_ms 1)")
  mcu+=("$mcu_ready")
  netfiles+=("$((scanning - mount))")
  scan+=("$((built - scanning))")
  constructor+=("$built")
  documents+=("$((loaded - built))")
  init+=("$((initialised - loaded))")
  stop_panel
done
echo "start to first frame (the splash) over $starts starts: $(printf '%s\n' "${frames[@]}" | summary)"
echo "start to the first message a camera receives: $(printf '%s\n' "${first_command[@]}" | summary)"
echo "  mainControl's construction: $(printf '%s\n' "${constructor[@]}" | summary), of which"
echo "    MCU start-up (line, version, initialisation, workers): $(printf '%s\n' "${mcu[@]}" | summary)"
echo "    network settings and the boot partition's MAC: $(printf '%s\n' "${netfiles[@]}" | summary)"
echo "    camera discovery (pre-scan window): $(printf '%s\n' "${scan[@]}" | summary)"
echo "  the screens' documents loaded and made, first frame drawn: $(printf '%s\n' "${documents[@]}" | summary)"
echo "  sysInit (serial lines, cameras), after the first frame: $(printf '%s\n' "${init[@]}" | summary)"

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
  printf "idle with the screens up over %.1f s: CPU %.1f %% of one core (goal 2 %%), RSS %.1f MiB (goal 80 MiB)\n",
         wall, 100 * (c1 - c0) / hz / wall, rss / 1024
}'
