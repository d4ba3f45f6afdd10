#!/usr/bin/env bash
# Takes the README's screenshots (docs/screenshots/*.png) from the real windows with the demo
# project loaded, on a virtual X display. Needs a build (scripts/kelvaro.sh) and Xvfb.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
packages=(xvfb xauth fonts-dejavu-core)
source "$root/scripts/install_packages.sh"
install_missing_packages

cmake --build "$build" --target kelvaro-screenshots execution_window_test print_dialog_test unit_visualisation_test kelvaro-cli
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
# The print dialog from its window test, and the demo's object list as printed (docs/).
KELVARO_SCREENSHOT_DIR="$root/docs/screenshots" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" \
  "$build/tests/gui/print_dialog_test" >/dev/null
"$build/src/cli/kelvaro-cli" print "$root/examples/demo/DEMO.SPG" --objects -o "$root/docs/demo_objects.pdf"
# The demo transferred to the built-in simulated unit and visualised, from its window test.
KELVARO_SCREENSHOT_DIR="$root/docs/screenshots" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" \
  "$build/tests/gui/unit_visualisation_test" >/dev/null
