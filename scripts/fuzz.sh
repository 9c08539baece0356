#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan, nothing else of the project but the
# libraries they link) and runs each for RUNS executions over a copy of its seeds in a temporary
# folder; new inputs never land in the repository. Exits non-zero when a target finds a crash, a
# leak, undefined behaviour or a broken invariant; the input that did it is kept in
# BUILD_DIR/fuzz-findings/.
#
#   scripts/fuzz.sh [RUNS] [BUILD_DIR]        defaults: 1000000, build-fuzz
#
# ZEK_FUZZ_MAX_TIME caps each target's run in seconds (default 900): a run stopped by the cap is
# reported with the executions it did, and is not a finding. ZEK_FUZZ_BUILD_JOBS sets the build's
# parallel jobs (default: every core).
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-1000000}
dir=${2:-build-fuzz}
maxTime=${ZEK_FUZZ_MAX_TIME:-900}
buildJobs=${ZEK_FUZZ_BUILD_JOBS:-$(nproc 2>/dev/null || echo 2)}

bash scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DZEK_FUZZ=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$dir" -j "$buildJobs"

targetList="$dir/tests/fuzz/fuzzTargets.txt"
[ -s "$targetList" ] || {
  echo "fuzz: no targets listed in $targetList" >&2
  exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
findings="$dir/fuzz-findings"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=0
while read -r name maxLen; do
  [ -n "$name" ] || continue
  corpus="$work/$name/corpus"
  artifacts="$work/$name/artifacts"
  log="$work/$name/log"
  mkdir -p "$corpus" "$artifacts"
  if [ -d "tests/fuzz/corpus/$name" ]; then
    cp -R "tests/fuzz/corpus/$name/." "$corpus/"
  fi
  start=$(date +%s.%N)
  status=0
  "$dir/tests/fuzz/$name" -runs="$runs" -max_len="$maxLen" -max_total_time="$maxTime" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "$corpus" >"$log" 2>&1 || status=$?
  seconds=$(echo "$start $(date +%s.%N)" | awk '{printf "%.1f", $2 - $1}')
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  echo "$name: ${executions:-?} executions in $seconds s (max_len $maxLen)"
  if [ "$status" -ne 0 ]; then
    failed=$((failed + 1))
    mkdir -p "$findings"
    cp -R "$artifacts/." "$findings/"
    cp "$log" "$findings/$name.log"
    echo "$name: FINDING (exit $status); input and log kept in $findings/" >&2
    grep -E 'invariant broken|ERROR|runtime error|ASSERT|SUMMARY|Test unit written' "$log" >&2 || true
  elif [ "${executions:-0}" -lt "$runs" ] 2>/dev/null; then
    echo "$name: stopped by the ${maxTime} s cap before $runs executions"
  fi
done <"$targetList"

if [ "$failed" -ne 0 ]; then
  echo "fuzz: $failed target(s) found a fault" >&2
  exit 1
fi
echo "fuzz: no findings"
