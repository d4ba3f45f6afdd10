#!/usr/bin/env bash
# Builds the libFuzzer targets (one per input that reaches the program from outside, see
# fuzz/CMakeLists.txt) with clang under AddressSanitizer and UndefinedBehaviorSanitizer and runs
# each for a bounded time, one after the other, starting from the seeds in fuzz/corpus.
# Usage: fuzz.sh [seconds per target] [target...]   (default 60 seconds, every target)
# Prints the executions, the corpus size and the findings of each target. Exits non-zero when
# a target finds a crash, a sanitizer report, a time-out, an exhausted memory limit or a broken
# invariant; the input that did it is left in build-fuzz/artifacts.
set -euo pipefail

seconds=${1:-60}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-fuzz"

# The CLI is configured in every build, so its libraries are needed even here.
packages=(cmake ninja-build clang libclang-rt-14-dev libcli11-dev nlohmann-json3-dev)

source "$root/scripts/install_packages.sh"

case "$seconds" in
  ''|*[!0-9]*) echo "usage: $0 [seconds per target] [target...]" >&2; exit 2 ;;
esac
shift $(( $# > 0 ? 1 : 0 ))

# The target list is the one fuzz/CMakeLists.txt builds.
all=$(sed -n '/^set(KELVARO_FUZZ_TARGETS/,/)/p' "$root/fuzz/CMakeLists.txt" |
      sed 's/^set(KELVARO_FUZZ_TARGETS//; s/)//' | xargs)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && read -r -a targets <<< "$all"
for name in "${targets[@]}"; do
  case " $all " in *" $name "*) ;; *) echo "unknown target $name (targets: $all)" >&2; exit 2 ;; esac
done

install_missing_packages
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKELVARO_BUILD_FUZZ=ON -DKELVARO_BUILD_GUI=OFF -DKELVARO_BUILD_TESTS=OFF -DKELVARO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]/%/_fuzz}" --parallel "$(nproc)"

# What a target is given beyond its seeds: the words of its input, and tighter limits where a
# single input may legitimately run long or allocate much.
options_of() {
  case "$1" in
    translator|compile|image) echo "-dict=$root/fuzz/language.dict" ;;
    # A run of 30 virtual seconds; a text that grows without bound hits the allocation limit.
    engine) echo "-dict=$root/fuzz/language.dict -timeout=60 -malloc_limit_mb=512" ;;
    project_file) echo "-dict=$root/fuzz/project_file.dict -max_len=16384" ;;
    settings|cli_args) echo "-dict=$root/fuzz/$1.dict" ;;
    *) echo "" ;;
  esac
}

failed=0
summary=()
for name in "${targets[@]}"; do
  # New inputs go to the build's corpus; the committed seeds are only read.
  corpus="$build/corpus/$name"
  artifacts="$build/artifacts"
  log="$build/logs/$name.log"
  mkdir -p "$corpus" "$artifacts" "$build/logs"
  echo "== ${name}_fuzz for ${seconds} s"
  status=0
  # shellcheck disable=SC2046
  "$build/fuzz/${name}_fuzz" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
      $(options_of "$name") -artifact_prefix="$artifacts/${name}-" \
      "$corpus" "$root/fuzz/corpus/$name" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  size=$(find "$corpus" -type f | wc -l)
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log" >&2
    echo "== ${name}_fuzz found a fault; the input is in $artifacts, the log in $log" >&2
    failed=1
    summary+=("$name: ${runs:-?} runs, corpus $size inputs, FINDING (exit $status)")
  else
    summary+=("$name: $runs runs, corpus $size inputs, no finding")
  fi
done
printf '%s\n' "== summary (${seconds} s per target)" "${summary[@]}"
exit $failed
