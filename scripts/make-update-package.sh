#!/usr/bin/env bash
# Builds a sample update package on the USB stick of a root, as the panel finds it:
# ROOT/run/media/sda1/velmora/zek710a_fwup, a zip archive with the panel's password whose folder
# "zek710a_fwup" holds the manifest, an MCU image, a stand-in application that prints its version,
# and a small script that leaves a note in the application directory.
#
#   scripts/make-update-package.sh ROOT [APP_VERSION] [MCU_VERSION]   (defaults 1.0.8, 0.1.0.8)
#
# Then: ZEK_ROOT=ROOT ZEK_SIMULATION=1 build/panel/zek710amgrgui --update check   (or install)
set -euo pipefail
root=${1:?usage: make-update-package.sh ROOT [APP_VERSION] [MCU_VERSION]}
app=${2:-1.0.8}
mcu=${3:-0.1.0.8}
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
folder="$staging/zek710a_fwup"
mkdir -p "$folder" "$root/run/media/sda1/velmora"

printf 'ZEK-710A MCU image %s\n' "$mcu" > "$folder/zek710a_mcu.bin"
cat > "$folder/zek710amgrgui" <<END
#!/bin/sh
# Stand-in for the panel application of the sample package.
echo "v$app"
END
cat > "$folder/postinstall.sh" <<'END'
# Runs once during the install, from the update folder.
echo "installed by the sample package" > "${ZEK_ROOT:-}/home/zek710a/application/current/package-note.txt"
END
# The MCU image comes before the application, so that it travels into "current" with it.
cat > "$folder/manifest.txt" <<END
1, zek710a_mcu.bin, v$mcu, panel MCU image
2, zek710amgrgui, v$app, panel application
4, postinstall.sh, v1, note in the application directory
END
archive="$root/run/media/sda1/velmora/zek710a_fwup"
rm -f "$archive" "$archive.zip"
(cd "$staging" && zip -q -r -P 'mQ#v_2408T' "$archive.zip" zek710a_fwup)
mv "$archive.zip" "$archive"
echo "$archive"
