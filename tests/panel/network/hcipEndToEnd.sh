#!/usr/bin/env bash
# End to end: the configuration service of the real zek710amgrgui, asked by hcipTool from the
# camera namespace across the namespace link: scan, versions, model, a complete manual setup, DHCP,
# a new MAC address, and hostile datagrams that must leave it answering with its files intact.
# Run inside the test namespaces (scripts/netns-run.sh). Arguments: the build directory.
set -euo pipefail
build=$1
: "${ZEK_CAMERA_NS:?run through scripts/netns-run.sh}"
root=$(mktemp -d /tmp/zek-hcip.XXXXXX)
source "$(dirname "$0")/../app/e2e-lib.sh"

# Not on a terminal, as in a script, even when the tests are started from one.
tool() { ip netns exec "$ZEK_CAMERA_NS" "$build/tools/hcipTool/hcipTool" --interface "$ZEK_CAMERA_IFACE" "$@" </dev/null; }
expect_line() {  # pattern, output
  grep -qx -- "$1" <<<"$2" || fail "expected line '$1' in:
$2"
}

mkdir -p "$root/dev/input" "$root/run" "$root/etc/network" "$root/boot" "$root/var/lib/connman"
: > "$root/dev/input/event0"
echo "rotary@10" > "$root/dev/input/event0.name"
cat > "$root/etc/network/interfaces" <<'END'
auto lo
iface lo inet loopback

auto eth0
iface eth0 inet static
address 10.77.0.1
gateway 10.77.0.254
netmask 255.255.255.0
nameserver 9.9.9.9
nameserver  8.8.4.4
END
echo "console=tty1 smsc95xx.macaddr=02:a4:5c:01:00:07 rootwait" > "$root/boot/cmdline.txt"

"$build/sim/virtualMcu" --link "$root/dev/ttyAMA0" --control "$root/run/mcu.sock" --version 2.5 \
  >"$root/mcu.out" &
pids+=($!)
wait_for 10 grep -q ready "$root/mcu.out" || fail "virtual MCU"
ZEK_ROOT="$root" ZEK_SIMULATION=1 QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software \
  "$build/panel/zek710amgrgui" >"$root/panel.log" 2>&1 &
pids+=($!)
wait_for 20 grep -q "End of SysInit()" "$root/panel.log" || fail "start-up did not finish"

mac=$(tr 'a-f' 'A-F' < /sys/class/net/eth0/address)
# The service answers once the network had its 10 s to come up; requests wait in the socket.
out=$(tool --timeout 15000 version) || fail "no version answer: $out"
expect_line "version app=1.0 mcu=2.5" "$(tail -1 <<<"$out")"
out=$(tool --timeout 1000 scan || true)
expect_line "device mac=$mac name=ZEK-710A dhcp=0 ip=10.77.0.1 mask=255.255.255.0 gateway=10.77.0.254 dns1=9.9.9.9 dns2=8.8.4.4" "$(grep '^device' <<<"$out")"
out=$(tool --to 10.77.0.1 version) || fail "unicast version: $out"
grep -q "^answer from 10.77.0.1:5002 00 14 81 42 00 01 00 00 00 02 00 05" <<<"$out" || fail "unicast version: $out"
out=$(tool model "$mac") || fail "model: $out"
expect_line "model vendor-category=0x05 vendor-id=0x88 product-category=0x40 product-id=0x01" "$(tail -1 <<<"$out")"
out=$(tool model-name "$mac") || fail "model name: $out"
expect_line "model-name ZEK-710A" "$(tail -1 <<<"$out")"

# A complete manual setup arrives as a new service file, with the taken netmask and DNS.
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
#HOSTNAME=ZEK-710A'
[ "$(cat "$root/var/lib/connman/default.config_new")" = "$expected_static" ] \
  || fail "static service file: $(cat "$root/var/lib/connman/default.config_new")"

out=$(tool set-dhcp "$mac" on) || fail "set-dhcp: $out"
grep -qx "IPv4 = dhcp" "$root/var/lib/connman/default.config_new" || fail "DHCP service file"

# A unicast setting reaches only the device named by its MAC: a wrong MAC, or an address where
# no device answers, sends nothing; and a person at a terminal confirms a change with --yes.
before=$(md5sum < "$root/var/lib/connman/default.config_new")
out=$(tool --to 10.77.0.1 set-netmask 02:00:00:00:00:99 255.0.0.0 2>&1) \
  && fail "set-netmask to another MAC: $out"
grep -q "the device at 10.77.0.1 is $mac, not 02:00:00:00:00:99, so nothing was changed" <<<"$out" \
  || fail "wrong MAC: $out"
out=$(tool --timeout 300 --to 10.77.0.99 set-dns1 "$mac" 1.1.1.1 2>&1) \
  && fail "set-dns1 to an address without a device: $out"
grep -q "no device at 10.77.0.99 answered the scan within 300 ms" <<<"$out" || fail "no device: $out"
out=$(script -qec "ip netns exec $ZEK_CAMERA_NS $build/tools/hcipTool/hcipTool \
  --interface $ZEK_CAMERA_IFACE set-dhcp $mac off; echo status=\$?" /dev/null | tr -d '\r')
grep -q "'set-dhcp' changes a device's network setup; nothing was sent" <<<"$out" \
  && grep -qx "status=2" <<<"$out" || fail "a change on a terminal without --yes: $out"
[ "$(md5sum < "$root/var/lib/connman/default.config_new")" = "$before" ] \
  || fail "service file changed: $(cat "$root/var/lib/connman/default.config_new")"

# A new MAC address goes into the boot command line; the rest of the line stays.
out=$(tool --to 10.77.0.1 set-mac "$mac" 02:a4:5c:01:0a:0b) || fail "set-mac: $out"
[ "$(cat "$root/boot/cmdline.txt")" = "console=tty1 smsc95xx.macaddr=02:a4:5c:01:0a:0b rootwait" ] \
  || fail "boot command line: $(cat "$root/boot/cmdline.txt")"
grep -qx "sudo mount /dev/mmcblk0p1 /boot" "$root/commands.log" || fail "mount not recorded"

# Hostile datagrams: every length class, both type codes, words at odd places, values cut short,
# a host name that would add lines to the file. The files stay as they are.
before=$(cat "$root/var/lib/connman/default.config_new" "$root/boot/cmdline.txt" | md5sum)
hexof() { od -An -tx1 -v | tr -d ' \n'; }
name_attack=$(printf '\x00\x20\x81\x09SET_DHCPNAMEcam\n[x]=1\x00\x00' | hexof)
for datagram in 80 0080 008081 "0004800000" "$name_attack" \
  "$(printf '\x00\x10\x81\x0bSET_NETMASK' | hexof)" \
  "$(printf '\x00\x10\x80\x03' | hexof)${mac//:/}$(printf 'SET_IPADR\x0a' | hexof)" \
  "$(printf '\x00\x10\x81\x0aSET_MACADR\xff' | hexof)" \
  "$(printf '\x00\x00\x80\x00SET_DHCPMODEGET_MODEL_NAMEE2P_DEFAULTETH_REQ' | hexof)" \
  "$(head -c 65503 /dev/urandom | hexof | sed 's/^/00008000/')" \
  "$(head -c 1500 /dev/urandom | hexof | sed 's/^/00008100/')"; do
  tool --timeout 300 raw "$datagram" >/dev/null 2>&1 || true
  tool --timeout 300 --to 10.77.0.1 raw "${datagram:0:4}81${datagram:6}" >/dev/null 2>&1 || true
done
[ "$(cat "$root/var/lib/connman/default.config_new" "$root/boot/cmdline.txt" | md5sum)" = "$before" ] \
  || fail "files changed by hostile datagrams"
out=$(tool --timeout 1000 scan || true)
grep -q "^device mac=$mac name=ZEK-710A " <<<"$out" || fail "no scan answer after hostile input: $out"
# The refused host name never reaches a file: the next file has its nine lines.
tool set-dhcp "$mac" on >/dev/null || fail "set-dhcp after hostile input"
[ "$(wc -l < "$root/var/lib/connman/default.config_new")" = 9 ] \
  && grep -qx "#HOSTNAME=ZEK-710A" "$root/var/lib/connman/default.config_new" \
  || fail "service file after hostile input: $(cat "$root/var/lib/connman/default.config_new")"
kill -0 "${pids[1]}" || fail "the panel died"

# Locked by its operator (the saved setting, read again at the next start), the panel still
# answers scans, refuses every change with NAK, writes nothing and logs who asked.
kill -TERM "${pids[1]}"
wait "${pids[1]}" || true
settings="$root/home/zek710a/.config/velmora/zek710a.conf"
grep -qx '\[system\]' "$settings" || fail "no saved settings: $(cat "$settings")"
sed -i '/^\[system\]$/a remoteSetupLocked=true' "$settings"
: > "$root/panel.log"
ZEK_ROOT="$root" ZEK_SIMULATION=1 QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software \
  "$build/panel/zek710amgrgui" >"$root/panel.log" 2>&1 &
pids+=($!)
wait_for 20 grep -q "End of SysInit()" "$root/panel.log" || fail "second start-up did not finish"
out=$(tool --timeout 15000 version) || fail "no version answer when locked: $out"
out=$(tool --timeout 1000 scan || true)
grep -q "^device mac=$mac name=ZEK-710A " <<<"$out" || fail "no scan answer when locked: $out"
before=$(cat "$root/var/lib/connman/default.config_new" "$root/boot/cmdline.txt" | md5sum)
out=$(tool set-dhcp "$mac" off) && fail "set-dhcp taken when locked: $out"
grep -q "^answer from 10.77.0.1:5002 00 05 80 02 15$" <<<"$out" || fail "set-dhcp when locked: $out"
out=$(tool --to 10.77.0.1 set-mac "$mac" 02:a4:5c:01:0c:0d) && fail "set-mac taken when locked: $out"
grep -q "^answer from 10.77.0.1:5002 00 05 81 0A 15$" <<<"$out" || fail "set-mac when locked: $out"
[ "$(cat "$root/var/lib/connman/default.config_new" "$root/boot/cmdline.txt" | md5sum)" = "$before" ] \
  || fail "files changed while locked"
grep -q "remote setup locked: SET_DHCPMODE from 10.77.0.2 refused" "$root/panel.log" \
  && grep -q "remote setup locked: SET_MACADR from 10.77.0.2 refused" "$root/panel.log" \
  || fail "refusals not logged"
echo "1 passed, 0 failed"
