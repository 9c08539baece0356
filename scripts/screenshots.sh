#!/usr/bin/env bash
# Pictures of every screen and dialog of zek710amgrgui, in English and in traditional Chinese,
# and of the factory test page: the real application, offscreen, against the virtual MCU, two
# serial cameras, a network camera and a switcher, guided by tests/ui/tour/ScreenTour.qml.
#   scripts/netns-run.sh scripts/screenshots.sh BUILD_DIR [OUTPUT_DIR]   (default BUILD/screenshots)
set -euo pipefail
build=$(cd "$1" && pwd)
out=${2:-$build/screenshots}
: "${ZEK_CAMERA_NS:?run through scripts/netns-run.sh}"
here=$(cd "$(dirname "$0")/.." && pwd)
root=$(mktemp -d /tmp/zek-shots.XXXXXX)
source "$here/scripts/sim-lib.sh"
mkdir -p "$root/home/zek710a/.config/velmora"
start_panel_devices "$build" 2
ip netns exec "$ZEK_CAMERA_NS" "$build/sim/virtualCamera/virtualCamera" --hcip 10.77.0.12 \
  --hcip-name studio-close --mac 02:A4:5C:05:00:12 --control "$root/run/cam9.sock" \
  >"$root/cam9.out" 2>/dev/null &
pids+=($!)
ip netns exec "$ZEK_CAMERA_NS" "$build/sim/virtualSwitcher/virtualSwitcher" --address 10.77.0.51 \
  --mac AA:BB:CC:00:00:51 --control "$root/run/switcher.sock" >"$root/switcher.out" 2>/dev/null &
pids+=($!)
for f in cam9 switcher; do wait_ready "$root/$f.out"; done

# One run of the application; its log goes to panel-NAME.log in the output folder.
run_panel() {
  local name=$1
  shift
  ZEK_ROOT="$root" ZEK_SIMULATION=1 QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software "$@" \
    "$build/panel/zek710amgrgui" >"$out/panel-$name.log" 2>&1 &
  app=$!
  pids+=($app)
}

for language in en_US zh_TW; do
  mkdir -p "$out/$language"
  rm -f "$out/$language"/*.png
  printf '[system]\nlanguage=%s\ntallymode=2\ntallymap0=1\n' "$language" \
    >"$root/home/zek710a/.config/velmora/zek710a.conf"
  run_panel "$language" env ZEK_UI_TOUR="$here/tests/ui/tour/ScreenTour.qml" \
    ZEK_UI_TOUR_OUTPUT="$out/$language"
  for _ in $(seq 600); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
  if kill -0 "$app" 2>/dev/null; then
    gdb -p "$app" -batch -ex "thread apply 1 bt 25" >"$out/hang-$language.txt" 2>&1 || true
    kill "$app"; echo "the tour in $language did not end"; exit 1
  fi
  grep -q "screen tour done" "$out/panel-$language.log" || { echo "no tour in $language"; exit 1; }
  echo "$language: $(ls "$out/$language" | wc -l) pictures in $out/$language"
done

# The factory test page, with the tester's marker on the stick.
mkdir -p "$root/run/media/sda1/velmora" "$out/test"
: > "$root/run/media/sda1/velmora/tester"
rm -f "$out/test"/*.png
run_panel test env ZEK_UI_TOUR="$here/tests/ui/tour/ScreenTour.qml" ZEK_UI_TOUR_OUTPUT="$out/test"
for _ in $(seq 300); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
kill "$app" 2>/dev/null || true
[ -f "$out/test/test-page.png" ] || { echo "no picture of the test page"; exit 1; }
echo "test: the factory test page in $out/test"
