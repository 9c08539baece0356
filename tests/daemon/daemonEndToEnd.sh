#!/usr/bin/env bash
# End to end: the real linkDaemon against the virtual MCU, asked by a configuration tool across
# the namespace link (its UDP configuration service in the daemon's form: host name from the
# service file, gateway and DNS from "netsetup.sh getinfo", version 23.35) and by the
# command-line client on its TCP ports. Run inside the test namespaces (scripts/netns-run.sh).
# Arguments: the build directory.
set -euo pipefail
build=$1
: "${ZEK_CAMERA_NS:?run through scripts/netns-run.sh}"
root=$(mktemp -d /tmp/zek-daemon.XXXXXX)
source "$(dirname "$0")/../panel/app/e2e-lib.sh"
fail() { echo "FAIL: $*"; echo "--- daemon log"; tail -40 "$root/daemon.log" || true; exit 1; }
# Not on a terminal, as in a script, even when the tests are started from one.
tool() { ip netns exec "$ZEK_CAMERA_NS" "$build/tools/hcipTool/hcipTool" --interface "$ZEK_CAMERA_IFACE" "$@" </dev/null; }
expect_line() {  # pattern, output
  grep -qx -- "$1" <<<"$2" || fail "expected line '$1' in:
$2"
}

mkdir -p "$root/dev" "$root/run" "$root/var/lib/connman" "$root/home/zek710/software/current"
printf '[service_default_ethernet]\nType = ethernet\nIPv4 = dhcp\n#HOSTNAME=studio-link\n' \
  > "$root/var/lib/connman/default.config"
cat > "$root/home/zek710/software/current/netsetup.sh" <<'END'
#!/bin/sh
echo "mode=static, 10.77.0.254 9.9.9.9 8.8.4.4"
END
chmod +x "$root/home/zek710/software/current/netsetup.sh"

"$build/sim/virtualMcu" --link "$root/dev/ttymxc1" --control "$root/run/mcu.sock" --version 2.5 \
  >"$root/mcu.out" &
pids+=($!)
# A serial camera stands at the far end of the echo port; the daemon sends back what it hears.
"$build/sim/virtualCamera/virtualCamera" --serial "$root/dev/ttymxc2" --control "$root/run/echo.sock" \
  >"$root/echo.out" 2>/dev/null &
pids+=($!)
wait_for 10 grep -q ready "$root/mcu.out" || fail "virtual MCU"
wait_for 10 grep -q ready "$root/echo.out" || fail "echo partner"
ZEK_ROOT="$root" ZEK_SIMULATION=1 "$build/daemon/linkDaemon" >"$root/daemon.log" 2>&1 &
pids+=($!)
wait_for 20 grep -q "Start to listen!" "$root/daemon.log" || fail "the daemon did not listen"
# At start it read its service file from the root, once resolved.
grep -q "ipv4 line in file IPv4 = dhcp" "$root/daemon.log" || fail "service file not read: $(head -5 "$root/daemon.log")"
grep -q "read hostName  fail" "$root/daemon.log" && fail "the daemon looked for its service file elsewhere"

mac=$(tr 'a-f' 'A-F' < /sys/class/net/eth0/address)
# The service answers once the network had its 10 s to come up; requests wait in the socket.
out=$(tool --timeout 15000 version) || fail "no version answer: $out"
expect_line "version app=23.35 mcu=2.5" "$(tail -1 <<<"$out")"
out=$(tool --timeout 1000 scan || true)
expect_line "device mac=$mac name=studio-link dhcp=0 ip=10.77.0.1 mask=255.255.255.0 gateway=10.77.0.254 dns1=9.9.9.9 dns2=8.8.4.4" "$(grep '^device' <<<"$out")"
# The daemon answers "GET_MODEL_NAME" with the model name and the model information both.
request="00188041${mac//:/}$(printf 'GET_MODEL_NAME' | od -An -tx1 -v | tr -d ' \n')"
out=$(tool --timeout 500 raw "$request" || true)
grep -q "^answer from 10.77.0.1:5002 00 14 80 41 5A 45 4B 2D 37 31 30 00" <<<"$out" \
  || fail "model name: $out"
grep -q "^answer from 10.77.0.1:5002 00 08 80 40 05 88 40 01$" <<<"$out" \
  || fail "model information with the model name: $out"
grep -q "netsetup.sh getinfo" "$root/commands.log" || fail "netsetup.sh was not asked"

out=$(tool --to 10.77.0.1 set-static "$mac" 10.77.0.50 255.255.0.0 10.77.0.254 9.9.9.9 8.8.4.4) \
  || fail "set-static: $out"
expected_static='[service_default_ethernet]
Type = ethernet
IPv4 = 10.77.0.50/255.255.0.0/10.77.0.254
IPv6 = auto
Nameservers = 9.9.9.9,8.8.4.4
SearchDomains = zek710.lan
Timeservers = pool.ntp.org
Domain = velmora.lan
#HOSTNAME=studio-link'
[ "$(cat "$root/var/lib/connman/default.config_new")" = "$expected_static" ] \
  || fail "static service file: $(cat "$root/var/lib/connman/default.config_new")"
# The daemon does not take a new MAC address.
out=$(tool --timeout 500 --to 10.77.0.1 set-mac "$mac" 02:a4:5c:01:0a:0b || true)
grep -q "^ack" <<<"$out" && fail "the daemon answered SET_MACADR: $out"

# The command-line client on the TCP ports: control, bookings, initialisation, the panel state
# with a key held on the virtual MCU, versions, and an MCU upgrade from a stick folder.
linkctl() { "$build/tools/linkctl/linkctl" "$@"; }
out=$(linkctl ask) || fail "linkctl ask: $out"
grep -qx "pool port 7001" <<<"$out" || fail "pool port: $out"
out=$(linkctl book TBar joyStick + release TBar + version + calibration) || fail "session: $out"
grep -qx "linkDaemon version 23.35" <<<"$out" || fail "daemon version: $out"
grep -qx "MCU version 2.5 (0.2.0.5)" <<<"$out" || fail "MCU version: $out"
"$build/sim/simctl" "$root/run/mcu.sock" press 17 >/dev/null
"$build/sim/simctl" "$root/run/mcu.sock" tbar 30000 >/dev/null
out=$(linkctl watch --interval 100 --count 3) || fail "watch: $out"
grep -q "^poll 3 keys=17 " <<<"$out" || fail "key 17 not seen: $out"
grep -q " tbar=30000 " <<<"$out" || fail "T-bar not seen: $out"
grep -q "init zek setting to mcu ack" "$root/daemon.log" || fail "no initialisation"

mkdir -p "$root/home/zek710/usb/zek710-firmware"
{ printf '\0\0\0\0\0\0\0\0\0\0\0\3\0\1\0\0'; head -c 1000 /dev/urandom; } \
  > "$root/home/zek710/usb/zek710-firmware/mcu.bin"
out=$(linkctl needupdate) || fail "needupdate: $out"
# The operator names the image meant: a copy whose version header was wiped is refused before
# anything reaches the daemon; the stick's own file goes through.
head -c 10 "$root/home/zek710/usb/zek710-firmware/mcu.bin" > "$root/wiped.bin"
printf '\377\377\377\377' >> "$root/wiped.bin"
tail -c +15 "$root/home/zek710/usb/zek710-firmware/mcu.bin" >> "$root/wiped.bin"
out=$(linkctl upgrade --image "$root/wiped.bin" 2>&1) && fail "a wiped image was taken: $out"
grep -q "refused: the header carries no version" <<<"$out" || fail "wiped image: $out"
out=$(linkctl upgrade --image "$root/home/zek710/usb/zek710-firmware/mcu.bin") \
  || fail "upgrade: $out"
image=$(tail -c +17 "$root/home/zek710/usb/zek710-firmware/mcu.bin" | od -An -tx1 -v | tr -d ' \n')
[ "$("$build/sim/simctl" "$root/run/mcu.sock" get image)" = "$image" ] || fail "image not rebuilt"

kill -0 "${pids[2]}" || fail "the daemon died"

# Its unit's environment file locks remote setup: started again with that environment as systemd
# gives it, the daemon answers scans, refuses a change with NAK and logs who asked.
kill -TERM "${pids[2]}"
wait "${pids[2]}" || true
unit="$(dirname "$0")/../../packaging/systemd/linkDaemon.service"
environment=$(sed -n 's/^EnvironmentFile=-\?//p' "$unit")
[ "$environment" = /etc/default/linkdaemon ] || fail "the unit reads no environment file: $environment"
mkdir -p "$root/etc/default"
echo "ZEK_REMOTE_SETUP=locked" > "$root$environment"
(set -a; source "$root$environment"; set +a
 ZEK_ROOT="$root" ZEK_SIMULATION=1 exec "$build/daemon/linkDaemon" >"$root/daemon.log" 2>&1) &
pids+=($!)
wait_for 20 grep -q "remote setup: locked" "$root/daemon.log" || fail "the lock was not read"
out=$(tool --timeout 15000 version) || fail "no version answer when locked: $out"
out=$(tool --timeout 1000 scan || true)
grep -q "^device mac=$mac name=studio-link " <<<"$out" || fail "no scan answer when locked: $out"
before=$(md5sum < "$root/var/lib/connman/default.config_new")
out=$(tool set-dhcp "$mac" on) && fail "set-dhcp taken when locked: $out"
grep -q "^answer from 10.77.0.1:5002 00 05 80 02 15$" <<<"$out" || fail "set-dhcp when locked: $out"
[ "$(md5sum < "$root/var/lib/connman/default.config_new")" = "$before" ] \
  || fail "service file changed while locked"
grep -q "remote setup locked: SET_DHCPMODE from 10.77.0.2 refused" "$root/daemon.log" \
  || fail "refusal not logged: $(tail -5 "$root/daemon.log")"
echo "1 passed, 0 failed"
