#!/usr/bin/env bash
# Builds the Debian packages (the three programs and zek-tools) for amd64, arm64 and armhf into one
# folder and checks each with lintian:
#
#   scripts/release.sh [OUTPUT_DIR] [ARCH...]      (default: release/, all three)
#
# Each architecture is built without simulators or tests in build-release-ARCH (the board
# architectures with scripts/cross-build.sh). lintian's findings are kept beside the packages in
# lintian.txt; an error fails the release. The findings that remain are the ones
# packaging/*/lintian-overrides accept, with their reasons.
set -euo pipefail
cd "$(dirname "$0")/.."

output=${1:-release}
shift || true
architectures=("$@")
[ ${#architectures[@]} -gt 0 ] || architectures=(amd64 arm64 armhf)
native=$(dpkg --print-architecture)

cross=()
for arch in "${architectures[@]}"; do
  [ "$arch" = "$native" ] || cross+=("$arch")
done
bash scripts/install-deps.sh --cross "${cross[@]}"

mkdir -p "$output"
output=$(cd "$output" && pwd)
times=()
for arch in "${architectures[@]}"; do
  start=$(date +%s)
  rm -f "$output"/*_"$arch".deb
  if [ "$arch" = "$native" ]; then
    cmake -S . -B build-release-"$arch" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DZEK_WERROR=ON -DZEK_BUILD_TESTS=OFF >/dev/null
    cmake --build build-release-"$arch" -j "$(nproc 2>/dev/null || echo 2)"
    (cd build-release-"$arch" && cpack -G DEB >/dev/null)
    cp build-release-"$arch"/*_"$arch".deb "$output"/
  else
    bash scripts/cross-build.sh "$arch" --packages "$output" --build-dir build-release-"$arch"
  fi
  times+=("$arch: $(($(date +%s) - start)) s")
done

echo "== lintian"
# The report shows the overridden findings too (O:); the verdict is lintian's without them (it
# counts a shown override as a failure).
lintian --tag-display-limit 0 --show-overrides --info "$output"/*.deb >"$output/lintian.txt" 2>&1 ||
  true
cat "$output/lintian.txt"
status=0
lintian --tag-display-limit 0 --info "$output"/*.deb >/dev/null 2>&1 || status=$?
echo "== packages"
for deb in "$output"/*.deb; do
  printf '%-40s %8s bytes  installed %6s KiB\n' "$(basename "$deb")" "$(stat -c %s "$deb")" \
    "$(dpkg-deb -f "$deb" Installed-Size)"
done
printf 'build time %s\n' "${times[@]}"
if grep -q '^E: ' "$output/lintian.txt"; then
  echo "lintian reports errors" >&2
  exit 1
fi
exit "$status"
