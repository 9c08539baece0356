#!/usr/bin/env bash
# Makes a clean Debian 12 root (debootstrap, minbase) holding systemd and exactly what the given
# packages declare they depend on, for the package installation test (tests/packaging): that test copies
# it and installs the packages into the copy with dpkg -i, offline.
#
#   scripts/make-clean-root.sh ROOT PACKAGE.deb...
#
# Downloads from the machine's own Debian mirror, like scripts/install-deps.sh; a root made
# earlier for the same dependencies is kept.
set -euo pipefail

root=${1:?usage: $0 ROOT PACKAGE.deb...}
shift
[ $# -gt 0 ] || { echo "usage: $0 ROOT PACKAGE.deb..." >&2; exit 2; }

# The dependencies of the packages, less the packages themselves (a Recommends between them is
# not installed).
own=()
for deb in "$@"; do
  own+=("$(dpkg-deb -f "$deb" Package)")
done
relations=()
for deb in "$@"; do
  depends=$(dpkg-deb -f "$deb" Depends)
  IFS=',' read -ra items <<<"$depends"
  for item in "${items[@]}"; do
    item=$(sed -e 's/^ *//' -e 's/ *$//' <<<"$item")
    name=${item%% *}
    [[ " ${own[*]} " == *" $name "* ]] || relations+=("$item")
  done
done
# And systemd, as on the boards: the units are checked against it.
relations+=(systemd)
wanted=$(printf '%s\n' "${relations[@]}" | sort -u | paste -sd, -)
stamp="$root/.zek-dependencies"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ]; then
  echo "clean root $root: up to date"
  exit 0
fi

mirror=$(sed -n 's/^URIs: *\(http[^ ]*debian\)$/\1/p' /etc/apt/sources.list.d/debian.sources \
  2>/dev/null | head -n 1)
[ -n "$mirror" ] || mirror=http://deb.debian.org/debian
rm -rf "$root"
mkdir -p "$(dirname "$root")"
echo "clean root $root: debootstrap from $mirror"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 ||
  { tail -n 20 "$root.log" >&2; exit 1; }
cp /etc/resolv.conf "$root/etc/resolv.conf"
echo "clean root $root: $wanted"
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get satisfy -y -qq --no-install-recommends \
  "$wanted" >>"$root.log" 2>&1 || { tail -n 20 "$root.log" >&2; exit 1; }
chroot "$root" apt-get clean
echo "$wanted" >"$stamp"
