#!/usr/bin/env bash
# Builds Talvo.dll and talvo-host.exe for 32-bit and 64-bit Windows with the
# MinGW-w64 cross compilers and collects them, with a README, the example
# script and the sample rule files, into dist/win32/, dist/win64/ and one zip
# each. Safe to run again: it rebuilds what changed and replaces only the
# files it made itself.
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
samples="talvo/samples"

# Windows users open these files with Notepad and the client: CRLF line ends.
to_crlf() {
  sed -e 's/\r$//' -e 's/$/\r/' "$1" >"$2"
}

write_readme() {
  local bits="$1" out="$2" tmp
  tmp="$(mktemp)"
  sed -e "s/@BITS@/${bits}/g" "$readme" >"$tmp"
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
  cmake --build "$build" --target talvo talvo-host -j"$jobs"

  mkdir -p "$out"
  local name src
  for name in Talvo.dll Talvo.def talvo-host.exe; do
    src="$(built_file "$build" "$name")"
    cp -f "$src" "$out/$name"
  done
  write_readme "$bits" "$out/README.txt"
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
  echo "build-windows: $out and $zipfile ready"
}

build_one mingw32 32
build_one mingw64 64
