#!/usr/bin/env bash
# The demo: the panel application against simulated hardware.
#
# In a temporary root and a pair of network namespaces of its own (nothing reaches this machine's
# network), it starts the virtual panel MCU, two virtual serial cameras (cameras 1 and 2), two HCIP
# cameras, a video switcher and other devices on the network (a recorder, another panel), and
# zek710amgrgui, which finds the network cameras by discovery and places them as cameras 9 and 10.
# The panel shows camera 1; the demo changes that camera's picture settings and the screen
# follows, and cuts on the switcher light the tally lamps of the mapped cameras. The window opens
# on the display, or on a virtual one (Xvfb) when there is none; screenshots go to demo-output/
# either way. The virtual front panel opens beside it: with
# ZEK_DEMO_SECONDS=N both stay up N seconds for a person to play with. ZEK_DEMO_TESTMODE=1 starts
# the panel in factory test mode instead (scripts/demo-testmode-inside.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target zek710amgrgui virtualMcu virtualCamera virtualHcipDevices virtualSwitcher virtualFrontPanel simctl hcipTool loopbackCable \
  panelRescue zekTranslations \
  -j "$(nproc 2>/dev/null || echo 2)"

mkdir -p demo-output
exec bash scripts/netns-run.sh bash scripts/demo-inside.sh
