# Shared by the scripts that run simulators and the panel in a temporary root (sourced).
# Every process started is remembered and stopped by process id when the script ends (SIGTERM,
# then SIGKILL for what is still there after 3 s; a virtual display last), and the root is
# removed.

pids=()
xvfb_pid=
cleanup() {
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  # The panel stops the cameras it leaves moving on its way out (up to 2 s): it is given that
  # time, and its display stays until it has gone.
  for _ in $(seq 30); do
    alive=0
    for pid in "${pids[@]}"; do kill -0 "$pid" 2>/dev/null && alive=1; done
    [ "$alive" -eq 0 ] && break
    sleep 0.1
  done
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  [ -n "$xvfb_pid" ] && kill -TERM "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null || true
  [ -n "${root:-}" ] && rm -rf "$root"
}
trap cleanup EXIT

# wait_ready FILE: waits (10 s at most) for a simulator's ready line in its output file.
wait_ready() {
  for _ in $(seq 100); do grep -q ready "$1" 2>/dev/null && return 0; sleep 0.1; done
  echo "not ready: $1"; cat "$1"; exit 1
}

# use_display: windows go to the display, or to a virtual one (Xvfb, stopped with the script)
# when there is none; they are seen through screenshots then.
use_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local display=":$((200 + $$ % 300))"
  Xvfb "$display" -screen 0 1280x720x24 -nolisten tcp >"$root/xvfb.log" 2>&1 &
  xvfb_pid=$!
  export DISPLAY="$display"
  for _ in $(seq 50); do [ -S "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
}

# start_panel_devices BUILD CAMERAS: the device stand-ins zek710amgrgui needs in $root: its boot
# partition's command line, a rotary encoder input that stays silent, the virtual MCU on
# /dev/ttyAMA0 and CAMERAS virtual serial cameras on /dev/ttyUSB0 onwards, with their control
# sockets $root/run/mcu.sock, cam1.sock, ... and their output in $root/mcu.out, cam1.out, ...; and
# the screens' translations where the application looks for them. Returns once every simulator
# is ready.
start_panel_devices() {
  local build=$1 cameras=$2 n
  mkdir -p "$root/dev/input" "$root/run" "$root/home/zek710a/application/current"
  # The board's boot partition, where the panel reads its MAC address.
  mkdir -p "$root/boot"
  [ -f "$root/boot/cmdline.txt" ] ||
    echo "console=tty1 smsc95xx.macaddr=02:a4:5c:01:00:07 rootwait" >"$root/boot/cmdline.txt"
  mkfifo "$root/dev/input/event0"
  echo "rotary@10" > "$root/dev/input/event0.name"
  cp "$build"/ui/translations/app_*.qm "$root/home/zek710a/application/current/"
  "$build/sim/virtualMcu" --link "$root/dev/ttyAMA0" --control "$root/run/mcu.sock" >"$root/mcu.out" &
  pids+=($!)
  for ((n = 1; n <= cameras; n++)); do
    "$build/sim/virtualCamera/virtualCamera" --serial "$root/dev/ttyUSB$((n - 1))" \
      --control "$root/run/cam$n.sock" >"$root/cam$n.out" 2>/dev/null &
    pids+=($!)
  done
  wait_ready "$root/mcu.out"
  for ((n = 1; n <= cameras; n++)); do wait_ready "$root/cam$n.out"; done
}
