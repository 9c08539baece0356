#!/usr/bin/env bash
# Lines of code by area of the checkout (tracked files only; blank and comment-only lines left
# out), and the share of test code in all of it. Tests stay between a quarter and a third of the
# code: with --check the script exits 1 outside 25-33 %.
# Usage: scripts/code-ratio.sh [--check]
set -u
cd "$(git rev-parse --show-toplevel)" || exit 2
count() {
  git ls-files -- "$@" | grep -E '\.(cpp|h|hpp|c|qml|js|py|sh)$' | tr '\n' '\0' |
    xargs -0 cat 2>/dev/null | grep -vE '^\s*$|^\s*(//|#[^!id]|\*|/\*)' | wc -l
}
tests=$(count tests)
all=$(count .)
for area in link panel peripherals daemon rescue ui sim bench scripts tests; do
  printf '%-12s %6d\n' "$area/" "$(count "$area")"
done
share=$(awk -v t="$tests" -v a="$all" 'BEGIN { printf "%.1f", 100 * t / a }')
printf '%-12s %6d\n' "all" "$all"
echo "tests are $share % of all code (goal 25-33 %)"
if [ "${1:-}" = "--check" ]; then
  awk -v s="$share" 'BEGIN { exit !(s >= 25 && s <= 33) }'
fi
