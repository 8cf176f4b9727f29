#!/usr/bin/env bash
# Runs every benchmark of the default build and prints the machine it ran on.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
for bench in renamer/bench/name_rule_bench talvo/bench/talvo_matching_bench \
             talvo/bench/talvo_rules_bench talvo/bench/talvo_reload_memory_bench \
             talvo/magic/bench/talvo_magic_bench talvo/bench/talvo_peer_bench; do
  if [ "$bench" = talvo/bench/talvo_peer_bench ] && [ ! -x "$build/$bench" ]; then
    echo
    echo "== $bench: not built (it needs libhyperscan-dev)"
    continue
  fi
  echo
  echo "== $bench"
  "$build/$bench"
done
echo
echo "== nomvary-cli against a bare rename loop"
scripts/bench-rename.sh "$build"
