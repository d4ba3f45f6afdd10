#!/usr/bin/env bash
# Takes the README's screenshots (docs/screenshots/*.png) from the real windows with the demo
# project loaded, on a virtual X display. Needs a build (scripts/kelvaro.sh) and Xvfb.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
packages=(xvfb xauth fonts-dejavu-core)
source "$root/scripts/install_packages.sh"
install_missing_packages

cmake --build "$build" --target kelvaro-screenshots execution_window_test
source "$root/scripts/demo_settings.sh"
ini=$(mktemp --suffix=.INI)
trap 'rm -f "$ini"' EXIT
write_demo_settings "$ini"
cd "$root/examples/demo"
KELVARO_INI="$ini" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" \
  "$build/src/gui/kelvaro-screenshots" "$root/examples/demo/DEMO.SPG" "$root/docs/screenshots"
# The debugger dialog stopped on a line, from its window test, which saves it when asked.
KELVARO_SCREENSHOT_DIR="$root/docs/screenshots" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" \
  "$build/tests/gui/execution_window_test" theDialogStopsWatchesSetsBreakpointsAndEnds >/dev/null
