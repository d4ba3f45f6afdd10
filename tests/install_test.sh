#!/usr/bin/env bash
# The installed tree: `cmake --install` into a temporary prefix, then the programs run from
# there (nothing may still come from the source or build tree), the desktop entry, file types
# and software-centre file checked by the freedesktop validators when they are installed, the
# manual pages rendered, and the bash completion asked what it offers.
# usage: install_test.sh BUILD_DIR VERSION
set -uo pipefail

build=$1
version=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
skip() { echo "SKIPPED: $*"; }

# Expect the output of a command, exactly.
expect() {
  local what=$1 want=$2 got
  shift 2
  got=$("$@" 2>&1)
  [ "$got" == "$want" ] || fail "$what: expected [$want], got [$got]"
}

if ! cmake --install "$build" --prefix "$prefix" >/dev/null; then
  echo "FAIL: cmake --install"
  exit 1
fi

# The installed tool, run from elsewhere, on the installed demo; no settings file of the user.
export KELVARO_INI="$prefix/none.INI"
cd "$prefix"
expect "kelvaro-cli --version" "kelvaro-cli $version" "$prefix/bin/kelvaro-cli" --version
demo="$prefix/share/kelvaro/examples/demo/DEMO.SPG"
check=$("$prefix/bin/kelvaro-cli" check "$demo" 2>&1)
[[ $check =~ ^OK\ [0-9]+\ Objekte,\ [0-9]+\ Symbole,\ [0-9]+\ Bytes\ Code,\ [0-9]+\ Zeilen$ ]] ||
  fail "kelvaro-cli check on the installed demo: $check"
"$prefix/bin/kelvaro-sim" --help >/dev/null || fail "kelvaro-sim --help"

# Everything the package promises is there.
[ -x "$build/src/gui/kelvaro" ] && { [ -x "$prefix/bin/kelvaro" ] || fail "not installed: bin/kelvaro"; }
for f in share/kelvaro/examples/demo/INIT.SPI share/kelvaro/examples/demo/DEMO.scenario \
  share/kelvaro/examples/demo/BMP/EG.BMP share/applications/kelvaro.desktop share/mime/packages/kelvaro.xml \
  share/metainfo/org.kelvaro.kelvaro.metainfo.xml share/icons/hicolor/scalable/apps/kelvaro.svg \
  share/man/man1/kelvaro.1.gz share/man/man1/kelvaro-cli.1.gz share/man/man1/kelvaro-sim.1.gz \
  share/bash-completion/completions/kelvaro-cli; do
  [ -f "$prefix/$f" ] || fail "not installed: $f"
done
for size in 16 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${size}x$size/apps/kelvaro.png"
  # The PNG header gives width and height as 32-bit big-endian numbers at bytes 16 and 20.
  dims=$(od -An -tu1 -j16 -N8 "$png" 2>/dev/null | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$dims" == "${size}x$size" ] || fail "icon $size: $dims"
done

# The validators of the desktop's files, when present (the set-up script installs them).
apps="$prefix/share/applications/kelvaro.desktop"
if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$apps" 2>&1) && [ -z "$out" ] || fail "desktop-file-validate: $out"
else
  skip "desktop-file-validate is not installed (package desktop-file-utils)"
fi
meta="$prefix/share/metainfo/org.kelvaro.kelvaro.metainfo.xml"
if command -v appstream-util >/dev/null; then
  appstream-util validate-relax --nonet "$meta" >/dev/null || fail "appstream-util: $(appstream-util validate-relax --nonet "$meta")"
elif command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$meta" >/dev/null || fail "appstreamcli: $(appstreamcli validate --no-net "$meta")"
else
  skip "neither appstream-util nor appstreamcli is installed (package appstream)"
fi
# The file types as the desktop sees them: the database built from the installed XML maps
# each extension, in either letter case, to its type, and a project opens in kelvaro.
if command -v update-mime-database >/dev/null; then
  if update-mime-database "$prefix/share/mime" 2>/dev/null; then
    expect "file types" "application/x-kelvaro-defaults:*.spi
application/x-kelvaro-program-image:*.spa
application/x-kelvaro-project:*.spg
application/x-kelvaro-type-library:*.oty" \
      bash -c "grep -h kelvaro '$prefix/share/mime/globs' | sort"
  else
    fail "update-mime-database rejects share/mime/packages/kelvaro.xml"
  fi
else
  skip "update-mime-database is not installed (package shared-mime-info)"
fi
expect "desktop entry" "Exec=kelvaro --ask-start %f
MimeType=application/x-kelvaro-project;" grep -E '^(Exec|MimeType)=' "$apps"

# The manual pages render without a warning, and kelvaro-cli's lists every command.
if command -v man >/dev/null; then
  for page in kelvaro kelvaro-cli kelvaro-sim; do
    warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man $page: $warnings"
  done
  commands=$("$prefix/bin/kelvaro-cli" --help | sed -n '/^Subcommands:/,$s/^  \([a-z-]*\) .*/\1/p')
  rendered=$(MANWIDTH=200 man -l "$prefix/share/man/man1/kelvaro-cli.1.gz" 2>/dev/null)
  for c in $commands; do
    grep -q "^   kelvaro-cli $c" <<<"$rendered" || fail "man kelvaro-cli lacks the command $c"
  done
  grep -q -- "--pty TEXT REQUIRED" < <(MANWIDTH=200 man -l "$prefix/share/man/man1/kelvaro-sim.1.gz" 2>/dev/null) ||
    fail "man kelvaro-sim lacks --pty"
else
  skip "man is not installed (package man-db)"
fi

# The completion, as bash asks it: the words typed so far, what it offers for the last one.
complete_words() {
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _kelvaro_cli; printf "%s\n" "${COMPREPLY[@]}"' \
    _ "$prefix/share/bash-completion/completions/kelvaro-cli" "$@"
}
expect "completion of a command" "roundtrip
run
radio" complete_words kelvaro-cli r
expect "completion of an option" "--mode" complete_words kelvaro-cli dump x.SPG --m
expect "completion of an option's value" "1
9" complete_words kelvaro-cli dump --mode ""
expect "completion of a positional's choices" "read
write-code" complete_words kelvaro-cli radio ""
expect "completion of a choice with a blank" 'CU-A2\ Ver.2' complete_words kelvaro-cli unit identify --unit "CU-A2\\ V"
expect "completion after an option's value" "write-code" complete_words kelvaro-cli radio --port SIM w
expect "no completion for the hidden export" "" complete_words kelvaro-cli help-

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "installed tree checked"
