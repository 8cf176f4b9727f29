#!/usr/bin/env bash
# Times nomvary-cli renaming 10,000 files in a temporary folder against a bare
# C++ loop of the same renames (same names, same no-replace call), in one run,
# and prints the ratio. Goal: at most 1.25. Then 10,000 case-only renames that
# are each refused (T00001.MP3 beside T00001.mp3) against 10,000 that go
# through (T00001.MP3 alone). Goal: at most 2.
#
#   scripts/bench-rename.sh [BUILD_DIR]        (FILES=10000 ROUNDS=7 by default)
set -euo pipefail

build="${1:-build}"
cli="$build/renamer/cli/nomvary-cli"
baseline="$build/renamer/bench/rename-baseline"
for tool in "$cli" "$baseline"; do
  if [ ! -x "$tool" ]; then
    echo "bench-rename: $tool is missing; build with -DBUILD_BENCHMARKS=ON first" >&2
    exit 2
  fi
done

echo "machine:     $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "file system: $(df -T "${TMPDIR:-/tmp}" | awk 'NR == 2 { print $2 }') (${TMPDIR:-/tmp})"
exec "$baseline" --files "${FILES:-10000}" --rounds "${ROUNDS:-7}" "$cli"
