#!/usr/bin/env bash
# Builds Talvo.dll and talvo-host.exe, and Nomvary's nomvary.exe and
# nomvary-cli.exe, for 32-bit and 64-bit Windows with the MinGW-w64 cross
# compilers and collects them into dist/win32/ and dist/win64/: Talvo with a
# README, the example script and the sample rule files, zipped as
# dist/talvo-win<bits>.zip; Nomvary with its README, zipped as
# dist/nomvary-win<bits>.zip. The 64-bit build also makes the Windows
# platform's tests and window probe, which `make test` runs under wine64.
# Safe to run again: it rebuilds what changed and replaces only the files it
# made itself.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

for tool in i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix zip; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "build-windows: $tool not found; run scripts/install-deps.sh first" >&2
    exit 1
  fi
done

jobs="${JOBS:-2}"
example="docs/talvo-example.mrc"
readme="docs/windows-readme.txt"
nomvary_readme="docs/nomvary-windows-readme.txt"
samples="talvo/samples"

# Windows users open these files with Notepad and the client: CRLF line ends.
to_crlf() {
  sed -e 's/\r$//' -e 's/$/\r/' "$1" >"$2"
}

# Notepad of older Windows reads a text without a byte-order mark in the
# ANSI code page: the READMEs must be plain ASCII.
write_readme() {
  local source="$1" bits="$2" out="$3" tmp
  if LC_ALL=C grep -q '[^[:print:][:space:]]' "$source"; then
    echo "build-windows: $source holds bytes beyond ASCII" >&2
    exit 1
  fi
  tmp="$(mktemp)"
  sed -e "s/@BITS@/${bits}/g" "$source" >"$tmp"
  to_crlf "$tmp" "$out"
  rm -f "$tmp"
}

# The path of a file the build made, wherever the build puts it.
built_file() {
  local found
  found="$(find "$1" -path "$1/CMakeFiles" -prune -o -name "$2" -type f -print | head -n 1)"
  if [ -z "$found" ]; then
    echo "build-windows: the build in $1 made no $2" >&2
    exit 1
  fi
  printf '%s\n' "$found"
}

build_one() {
  local preset="$1" bits="$2"
  local build="build-${preset}" out="dist/win${bits}" zipfile="dist/talvo-win${bits}.zip"

  echo "build-windows: ${preset}"
  cmake --preset "$preset" >/dev/null
  local targets=(talvo talvo-host nomvary nomvary-cli)
  # Only the 64-bit build can run here (under wine64): it alone brings the
  # Windows platform's tests.
  if [ "$bits" = 64 ]; then
    targets+=(nomvary_windows_test window_probe)
  fi
  cmake --build "$build" --target "${targets[@]}" -j"$jobs"

  mkdir -p "$out"
  local name src
  for name in Talvo.dll Talvo.def talvo-host.exe nomvary.exe nomvary-cli.exe; do
    src="$(built_file "$build" "$name")"
    cp -f "$src" "$out/$name"
  done
  write_readme "$readme" "$bits" "$out/README.txt"
  write_readme "$nomvary_readme" "$bits" "$out/nomvary-README.txt"
  to_crlf "$example" "$out/talvo-example.mrc"
  # The samples folder is ours alone: made afresh, so no stale rule survives.
  rm -rf "$out/samples"
  mkdir -p "$out/samples/Talvo/Rules"
  for src in "$samples"/Talvo/Rules/Talvo.*; do
    to_crlf "$src" "$out/samples/Talvo/Rules/$(basename "$src")"
  done

  # A fresh zip each time, so that no stale member survives.
  rm -f "$zipfile"
  (cd "$out" && zip -q -X -r "../$(basename "$zipfile")" Talvo.dll talvo-host.exe README.txt talvo-example.mrc samples)
  # Nomvary's zip holds its own README under the name README.txt.
  local nomvary_zip="dist/nomvary-win${bits}.zip" stage
  stage="$(mktemp -d)"
  cp -f "$out/nomvary.exe" "$out/nomvary-cli.exe" "$stage/"
  cp -f "$out/nomvary-README.txt" "$stage/README.txt"
  rm -f "$nomvary_zip"
  (cd "$stage" && zip -q -X "$root/$nomvary_zip" nomvary.exe nomvary-cli.exe README.txt)
  rm -rf "$stage"
  echo "build-windows: $out, $zipfile and $nomvary_zip ready"
}

build_one mingw32 32
build_one mingw64 64
