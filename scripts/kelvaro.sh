#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine for kelvaro, builds it, then runs the demo ("demo") or
# every test ("test"). Safe to run again: packages already present are not installed twice.
set -euo pipefail

mode=${1:-demo}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-qpa-plugins qt6-translations-l10n
  libcli11-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  lua5.4
  # the installed tree's checks in the tests, and the Debian package (cpack -G DEB)
  desktop-file-utils appstream shared-mime-info man-db dpkg-dev file
)

source "$root/scripts/install_packages.sh"

build_all() {
  # Both commands share one build (so switching between them rebuilds nothing); a new
  # warning fails it, and with it CI.
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVARO_WERROR=ON >/dev/null
  cmake --build "$build" --parallel "$(nproc)"
}

install_missing_packages
build_all

case "$mode" in
  demo)
    cli="$build/src/cli/kelvaro-cli"
    demo="$root/examples/demo/DEMO.SPG"
    "$cli" info "$demo"
    "$cli" check "$demo"
    "$cli" compile "$demo" -o "$build/DEMO.SPA"
    "$cli" sun
    # A day of the installation in virtual time, then its program sent to the simulated unit.
    "$cli" run "$demo" --fast --for 1d --trace
    # The same installation with its devices behind the built-in simulated unit, for 70 minutes.
    "$cli" run "$demo" --fast --for 70m --trace --port SIM --scenario "$root/examples/demo/DEMO.scenario"
    "$cli" unit transfer "$demo" --port SIM
    # With a display, the main window opens on the demo project, with settings of its own
    # kept in the build directory; the suffix -P starts it running on the PC at once.
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
      ini="$build/demo-kelvaro.INI"
      source "$root/scripts/demo_settings.sh"
      [ -f "$ini" ] || write_demo_settings "$ini"
      (cd "$root/examples/demo" && KELVARO_INI="$ini" "$build/src/gui/kelvaro" "$demo-P")
    else
      echo "No display: start the window later with  $build/src/gui/kelvaro $demo"
    fi
    ;;
  test)
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
    ;;
  *)
    echo "usage: $0 demo|test" >&2
    exit 2
    ;;
esac
