# Shared by the end-to-end scripts of the real panel program (sourced after $build and $root are
# set): the simulators' process handling, and small helpers to fail with the panel's log, wait
# for a condition and talk to a simulator.
source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/sim-lib.sh"
fail() { echo "FAIL: $*"; echo "--- panel log"; tail -30 "$root/panel.log" || true; exit 1; }
wait_for() {  # seconds, command...
  local limit=$1; shift
  for _ in $(seq $((limit * 10))); do "$@" && return 0; sleep 0.1; done
  return 1
}
ctl() { "$build/sim/simctl" "$@"; }
