#!/usr/bin/env bash
# End to end: the automation interface of the real zek710amgrgui against the virtual MCU, two
# virtual serial cameras and a virtual switcher, its clients on the camera network. Run inside
# the test namespaces (scripts/netns-run.sh). Arguments: the build directory, then "--page" to
# check the status page in a browser too, and a file to keep its screenshot in.
set -euo pipefail
build=$1
page_check=${2:-}
keep_screenshot=${3:-}
: "${ZEK_CAMERA_NS:?run through scripts/netns-run.sh}"
root=$(mktemp -d /tmp/zek-automation.XXXXXX)
here=$(dirname "$0")
source "$here/../app/e2e-lib.sh"
trap 'fail "a command failed at line $LINENO"' ERR

read_token=$(printf 'a1%.0s' $(seq 32))  # tokens are 64 hex digits
control_token=$(printf 'c2%.0s' $(seq 32))
panel=http://10.77.0.1:8710
# A client on the camera network; -w prints the status after the body.
client() { ip netns exec "$ZEK_CAMERA_NS" curl -s --max-time 5 -w ' %{http_code}' "$@"; }
status_of() { client -o /dev/null "$@" | tr -d ' '; }
as_read=(-H "Authorization: Bearer $read_token")
as_control=(-H "Authorization: Bearer $control_token")
act() { client "${as_control[@]}" -H 'Content-Type: application/json' -d "$2" "$panel/api/v1/actions/$1"; }
leds() { ctl "$root/run/mcu.sock" get leds; }
key_led() { leds | cut -c$(($1 + 1)); }  # the colour of key k
messages() { ctl "$root/run/cam$1.sock" get messages; }

start_panel_devices "$build" 2
ip netns exec "$ZEK_CAMERA_NS" "$build/sim/virtualSwitcher/virtualSwitcher" --address 10.77.0.60 \
  --mac 02:A4:5C:07:00:60 --control "$root/run/switcher.sock" >"$root/switcher.out" 2>/dev/null &
pids+=($!)
wait_ready "$root/switcher.out"
# Turned on in an earlier run, with a token of each role (their SHA-256 only); switcher tally
# with channel 1 on camera 2.
mkdir -p "$root/home/zek710a/.config/velmora"
cat >"$root/home/zek710a/.config/velmora/zek710a.conf" <<CONF
[automation]
enabled=true
readOnlyTokenHash=3490f80401886d12f3861ec190f5c16419b26345497a92bc4530e22f5d8b4295
controlTokenHash=df854f7a41140641b4142d781848d041d3af693440eab6a639f29b61a09a264b

[system]
tallymode=2
tallymap0=2
CONF

ZEK_ROOT="$root" ZEK_SIMULATION=1 QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software \
  "$build/panel/zek710amgrgui" >"$root/panel.log" 2>&1 &
pids+=($!)
panel_pid=$!
wait_for 30 grep -q "End of SysInit()" "$root/panel.log" || fail "start-up did not finish"
wait_for 10 grep -q "automation: listening on 10.77.0.1 port 8710" "$root/panel.log" ||
  fail "the automation interface does not listen"
# Only on the panel's own address.
[ "$(curl -s -o /dev/null -w '%{http_code}' --max-time 2 http://127.0.0.1:8710/ || true)" = 000 ] ||
  fail "listens on loopback"

# Tokens and roles.
[ "$(status_of "$panel/api/v1/state")" = 401 ] || fail "state without a token"
state=$(client "${as_read[@]}" "$panel/api/v1/state")
[[ "$state" == *'"selection":{"controlled":1,"onScreen":1}'*' 200' ]] || fail "state: $state"
[[ "$state" == *'{"address":"/dev/ttyUSB1","camera":2,"exists":true,"lastPreset":0,"link":"up",'* ]] ||
  fail "camera 2 in the state: $state"
[[ "$state" == *'"tally":{"mode":"switcher","switcher":{"address":"10.77.0.60"'* ]] ||
  fail "tally in the state: $state"
[ "$(status_of "${as_read[@]}" -d '{"preset":1}' "$panel/api/v1/actions/recall")" = 403 ] ||
  fail "a read-only token acted"

# Events: a key pressed on the front panel is told within the stream.
ip netns exec "$ZEK_CAMERA_NS" curl -sN --max-time 60 "${as_read[@]}" "$panel/api/v1/events" \
  >"$root/events.txt" &
pids+=($!)
wait_for 10 grep -q "events after" "$root/events.txt" || fail "no event stream"
ctl "$root/run/mcu.sock" press 22 >/dev/null
sleep 0.2
ctl "$root/run/mcu.sock" release 22 >/dev/null
wait_for 5 grep -q '"selection":{"controlled":2,"onScreen":1}' "$root/events.txt" ||
  fail "no selection event for camera key 2: $(cat "$root/events.txt")"

# Actions: the cameras get the bytes, the key lamps follow as for the keys.
ctl "$root/run/cam1.sock" clear messages >/dev/null
answer=$(act recall '{"camera":1,"preset":3}')
[ "$answer" = '{"camera":1,"done":"recall","preset":3} 200' ] || fail "recall: $answer"
wait_for 5 bash -c "'$build/sim/simctl' '$root/run/cam1.sock' get messages | grep -q 8101043f0202ff" ||
  fail "camera 1 did not get the recall of preset 3: $(messages 1) / camera 2: $(messages 2)"
wait_for 5 bash -c "[ \"\$('$build/sim/simctl' '$root/run/mcu.sock' get leds | cut -c17)\" = 2 ]" ||
  fail "PST 3 is not lit: $(leds)"
[ "$(key_led 21)" = 2 ] || fail "camera key 1 is not lit: $(leds)"
wait_for 5 grep -q '"camera":1,"exists":true,"lastPreset":3' "$root/events.txt" ||
  fail "no event for the recall"
answer=$(act select '{"camera":2}')
[ "$answer" = '{"camera":2,"done":"select"} 200' ] || fail "select: $answer"
wait_for 5 bash -c "[ \"\$('$build/sim/simctl' '$root/run/mcu.sock' get leds | cut -c23)\" = 2 ]" ||
  fail "camera key 2 is not lit: $(leds)"
ctl "$root/run/cam2.sock" clear messages >/dev/null
[ "$(act store '{"preset":5}')" = '{"done":"store","preset":5} 200' ] || fail "store"
wait_for 5 bash -c "'$build/sim/simctl' '$root/run/cam2.sock' get messages | grep -q 8101043f0104ff" ||
  fail "camera 2 did not store preset 5: $(messages 2)"
ctl "$root/run/cam1.sock" clear messages >/dev/null
[ "$(act stop '')" = '{"done":"stop"} 200' ] || fail "stop"
for n in 1 2; do
  wait_for 5 bash -c "'$build/sim/simctl' '$root/run/cam$n.sock' get messages | grep -q '81010601.\{4\}0303ff'" ||
    fail "camera $n was not stopped: $(messages $n)"
done

# Bad input: refused, nothing sent, the panel goes on.
ctl "$root/run/cam2.sock" clear messages >/dev/null
for body in '{"preset":' '{"preset":0}' '{"preset":129}' '{"camera":0,"preset":1}' \
  '{"camera":25,"preset":1}' '{"preset":1,"speed":2}' '"preset"'; do
  got=$(act recall "$body")
  [[ "$got" == '{"error":'*' 400' ]] || fail "$body: $got"
done
head -c 20000 /dev/zero | tr '\0' ' ' >"$root/big.json"
[ "$(status_of "${as_control[@]}" --data-binary "@$root/big.json" "$panel/api/v1/actions/recall")" = 413 ] ||
  fail "an oversized body was not refused"
sleep 0.5
! messages 2 | grep -q 8101043f || fail "a refused action reached camera 2: $(messages 2)"
# A client that never finishes its request is answered 408 and closed; the panel goes on.
# (A byte every 2 s keeps each read of the server from timing out, and stops before the
# deadline, so that nothing is written to a connection the panel has closed.)
slow=$(ip netns exec "$ZEK_CAMERA_NS" bash -c \
  'exec 3<>/dev/tcp/10.77.0.1/8710; printf "GET /api/v1/state HTTP/1.1\r\n" >&3
   for i in 1 2 3 4; do sleep 2; printf "X" >&3; done; timeout 8 head -c 30 <&3' || true)
[[ "$slow" == "HTTP/1.1 408"* ]] || fail "slowloris: $slow"
# Wrong tokens from one address hold that address off; others are served.
for _ in 1 2 3; do status_of --interface 10.77.0.50 -H "Authorization: Bearer nope" "$panel/api/v1/state" >/dev/null; done
[ "$(status_of --interface 10.77.0.50 "${as_read[@]}" "$panel/api/v1/state")" = 429 ] ||
  fail "an address with wrong tokens was not held off"
[ "$(status_of "${as_read[@]}" "$panel/api/v1/state")" = 200 ] || fail "another address was held off"
# A flood from one address is limited.
urls=()
for _ in $(seq 200); do urls+=(-o /dev/null "$panel/api/v1/state"); done
flood=$(ip netns exec "$ZEK_CAMERA_NS" curl -s --parallel --parallel-max 8 -w '%{http_code}\n' \
  --interface 10.77.0.51 "${as_read[@]}" "${urls[@]}" | grep -c 429 || true)
[ "$flood" -ge 10 ] || fail "a flood was not limited ($flood refused)"

# The status page, as a browser shows it: the tiles, and a live tally change.
if [ "$page_check" = --page ]; then
  shot="$root/status-page.png"
  ip netns exec "$ZEK_CAMERA_NS" python3 "$here/pageCheck.py" "$panel/#token=$read_token" "$shot" 2 \
    "$build/sim/simctl" "$root/run/switcher.sock" program 1 || fail "the status page"
  if [ -n "$keep_screenshot" ]; then cp "$shot" "$keep_screenshot"; fi
else
  ctl "$root/run/switcher.sock" program 1 >/dev/null
fi
wait_for 5 grep -q '"camera":2,.*"tally":{"green":false,"red":true}' "$root/events.txt" ||
  fail "no tally event for camera 2"

# The panel itself was not disturbed: a key still drives the camera.
ctl "$root/run/cam2.sock" clear messages >/dev/null
ctl "$root/run/mcu.sock" press 15 >/dev/null; sleep 0.2; ctl "$root/run/mcu.sock" release 15 >/dev/null
wait_for 5 bash -c "'$build/sim/simctl' '$root/run/cam2.sock' get messages | grep -q 8101043f0201ff" ||
  fail "PST 2 did not reach camera 2 after all this"
kill -0 "$panel_pid" || fail "the panel ended"
echo "1 passed, 0 failed"
