# Shared by the scripts that run simulators and the panel in a temporary root (sourced).
# Every process started is remembered and stopped by process id when the script ends (SIGTERM,
# then SIGKILL), and the root is removed.

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  sleep 0.3
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [ -n "${root:-}" ] && rm -rf "$root"
}
trap cleanup EXIT

# wait_ready FILE: waits (10 s at most) for a simulator's ready line in its output file.
wait_ready() {
  for _ in $(seq 100); do grep -q ready "$1" 2>/dev/null && return 0; sleep 0.1; done
  echo "not ready: $1"; cat "$1"; exit 1
}
