#!/usr/bin/env bash
# The screen tour of the real application in English and traditional Chinese, and its factory
# test page: every picture is there, at the window's size, and not blank. The pictures stay in
# BUILD/screenshots for review. Run inside the test namespaces (scripts/netns-run.sh).
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")/../.." && pwd)
bash "$here/scripts/screenshots.sh" "$build" "$build/screenshots"
"$build/tests/checkScreenshots" "$build/screenshots/en_US" 29 "$build/screenshots/zh_TW" 29 \
  "$build/screenshots/test" 1
echo "1 passed, 0 failed"
