#!/usr/bin/env bash
# Installs what is needed, checks formatting, then builds and runs every test three times:
# a plain build with warnings as errors, AddressSanitizer + UndefinedBehaviorSanitizer, and
# ThreadSanitizer; then a short pass of each fuzz target; then the Debian packages installed into a
# clean root, and the arm64 cross build with its quick tests under qemu-user. Build directories:
# build-test, build-asan, build-tsan, build-fuzz, build-arm64.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
bash scripts/check-format.sh
# Tests stay between a quarter and a third of the code.
bash scripts/code-ratio.sh --check

jobs=$(nproc 2>/dev/null || echo 2)
run_suite() {
  local dir=$1
  shift
  echo "== $dir"
  local start=$SECONDS
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  echo "== $dir built in $((SECONDS - start)) s"
  # Most tests spend their time waiting on lines, sockets, timers and the programs they start
  # (a core is mostly idle under each): twice as many as there are cores run side by side.
  (cd "$dir" && ctest -j "$((jobs * 2))" --output-on-failure) | tee "$dir/ctest.log"
  echo "== $dir built and tested in $((SECONDS - start)) s"
  local summary
  summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$dir/ctest.log" | tail -n 1)
  local failed total
  failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+)/\1/' <<<"$summary")
  total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+)/\2/' <<<"$summary")
  passed_all=$((passed_all + total - failed))
  failed_all=$((failed_all + failed))
}
passed_all=0
failed_all=0

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan.supp"

run_suite build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEK_WERROR=ON
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DZEK_SANITIZE=address
run_suite build-tsan -DCMAKE_BUILD_TYPE=Debug -DZEK_SANITIZE=thread
# A short pass of every fuzz target (seconds each); a finding fails the run.
ZEK_FUZZ_MAX_TIME=10 bash scripts/fuzz.sh 100000 build-fuzz

# The plain build's Debian packages, installed into a clean Debian 12 root.
echo "== packages"
(cd build-test && cpack -G DEB -B "$PWD/packages" >/dev/null)
bash scripts/make-clean-root.sh "$PWD/build-test/clean-root" build-test/packages/*.deb
if bash tests/packaging/packageInstallTest.sh build-test "$PWD/build-test/clean-root"; then
  passed_all=$((passed_all + 1))
else
  failed_all=$((failed_all + 1))
fi

# The arm64 build of the panel boards: the quick set of tests under qemu-user (the emulated set
# and armhf: scripts/cross-build.sh, see the README).
echo "== build-arm64"
if bash scripts/cross-build.sh arm64 --tests quick; then
  passed_all=$((passed_all + 1))
else
  failed_all=$((failed_all + 1))
fi
echo "tests: $passed_all passed, $failed_all failed"
[ "$failed_all" -eq 0 ]
