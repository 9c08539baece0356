#!/usr/bin/env bash
# Runs a command inside a network namespace of its own ("the panel's"), wired by a veth pair to a
# second namespace standing for the camera network:
#
#   panel namespace  10.77.0.1/24  <-- veth -->  10.77.0.2 .. 10.77.0.99/24  camera namespace
#
# The camera side carries 98 addresses, so that a scan can find a full set of cameras besides
# switchers, recorders and other panels, each device at an address of its own.
# The command sees ZEK_CAMERA_NS (run a virtual network camera there with
# "ip netns exec $ZEK_CAMERA_NS ..."), ZEK_CAMERA_IFACE (the camera side of the link, for tools
# that broadcast there) and ZEK_PANEL_ADDRESS. Nothing reaches the machine's own
# network. Both namespaces and everything started in them are removed on exit.
set -euo pipefail
id="$$"
panel="zekp$id"
cameras="zekc$id"

cleanup() {
  for ns in "$panel" "$cameras"; do
    if ip netns list | grep -qw "$ns"; then
      for pid in $(ip netns pids "$ns" 2>/dev/null); do kill -TERM "$pid" 2>/dev/null || true; done
      sleep 0.2
      for pid in $(ip netns pids "$ns" 2>/dev/null); do kill -KILL "$pid" 2>/dev/null || true; done
      ip netns del "$ns" 2>/dev/null || true
    fi
  done
}
trap cleanup EXIT

ip netns add "$panel"
ip netns add "$cameras"
ip link add "vp$id" type veth peer name "vc$id"
ip link set "vp$id" netns "$panel"
ip link set "vc$id" netns "$cameras"
ip -n "$panel" link set lo up
ip -n "$cameras" link set lo up
ip -n "$panel" link set "vp$id" name eth0
ip -n "$panel" addr add 10.77.0.1/24 dev eth0
ip -n "$panel" link set eth0 up
# One batch for all addresses: one ip process instead of a hundred.
for host in $(seq 2 99); do
  echo "addr add 10.77.0.$host/24 dev vc$id"
done | ip -n "$cameras" -batch -
ip -n "$cameras" link set "vc$id" up

export ZEK_CAMERA_NS="$cameras"
export ZEK_CAMERA_IFACE="vc$id"
export ZEK_PANEL_ADDRESS=10.77.0.1
ip netns exec "$panel" "$@"
