#!/usr/bin/env bash
# Builds the libFuzzer targets of the line translator, the compiler and the frame receiver
# with clang and runs
# each for a bounded time, starting from the seeds in fuzz/corpus. Usage: fuzz.sh [seconds]
# (default 60 per target). Exits non-zero when a target finds a crash, a sanitizer report or
# a broken invariant; the input that did it is left in build-fuzz/artifacts.
set -euo pipefail

seconds=${1:-60}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-fuzz"

# The CLI is configured in every build, so its libraries are needed even here.
packages=(cmake ninja-build clang libclang-rt-14-dev libcli11-dev nlohmann-json3-dev)

source "$root/scripts/install_packages.sh"

case "$seconds" in
  ''|*[!0-9]*) echo "usage: $0 [seconds per target]" >&2; exit 2 ;;
esac

install_missing_packages
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKELVARO_BUILD_FUZZ=ON -DKELVARO_BUILD_GUI=OFF -DKELVARO_BUILD_TESTS=OFF -DKELVARO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target translator_fuzz compile_fuzz receive_frame_fuzz --parallel "$(nproc)"

failed=0
for name in translator compile receive_frame; do
  # New inputs go to the build's corpus; the committed seeds are only read.
  corpus="$build/corpus/$name"
  artifacts="$build/artifacts"
  mkdir -p "$corpus" "$artifacts"
  dict=()
  [ "$name" != receive_frame ] && dict=(-dict="$root/fuzz/language.dict")
  echo "== ${name}_fuzz for ${seconds} s"
  if ! "$build/fuzz/${name}_fuzz" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
      "${dict[@]}" -artifact_prefix="$artifacts/${name}-" \
      "$corpus" "$root/fuzz/corpus/$name"; then
    echo "== ${name}_fuzz found a fault; the input is in $artifacts" >&2
    failed=1
  fi
done
exit $failed
