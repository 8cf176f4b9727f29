#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang with ASan and UBSan) and
# runs each one for FUZZ_SECONDS seconds, one after another, starting from its
# seed corpus in the repository. New inputs go to build-fuzz/corpus/<name>,
# never into the repository; a crash leaves its input in
# build-fuzz/artifacts/<name>/ and makes the script fail.
#
#   FUZZ_SECONDS   seconds per target (default 150: on two shared cores
#                  the six targets then pass 10 million executions together)
#   FUZZ_TARGETS   names to run (default: every target the build lists)
#
# At the end it prints executions, seconds and executions per second for
# every target and in total.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-150}"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "run-fuzzers: FUZZ_SECONDS must be a whole number of seconds, not \"$seconds\"" >&2
  exit 2
fi

cmake --preset fuzz >/dev/null
# Absolute paths throughout: a harness may change its current folder.
build="$PWD/build-fuzz"
list="$build/fuzz_targets.txt"
mapfile -t rows < "$list"
if [ -n "${FUZZ_TARGETS:-}" ]; then
  wanted=" ${FUZZ_TARGETS} "
  kept=()
  for row in "${rows[@]}"; do
    [[ "$wanted" == *" ${row%% *} "* ]] && kept+=("$row")
  done
  rows=("${kept[@]}")
fi
if [ ${#rows[@]} -eq 0 ]; then
  echo "run-fuzzers: no fuzz targets to run" >&2
  exit 2
fi
targets=()
for row in "${rows[@]}"; do targets+=("${row%% *}_fuzzer"); done
cmake --build "$build" --target "${targets[@]}" -j2

# The longest input each target is given: room for what it reads (a rule
# file with lines past 512 characters, a settings record, a call text in the
# largest host buffer) without making every run slow.
max_len() {
  case "$1" in
    rule_filter) echo 1200 ;;
    matching) echo 1024 ;;
    name_rule) echo 512 ;;
    settings) echo 1100 ;;
    magic) echo 12000 ;;
    *) echo 4096 ;;
  esac
}

summary="$build/fuzz-summary.txt"
printf '%-12s %14s %8s %10s\n' target executions seconds "exec/s" > "$summary"
total_runs=0
total_seconds=0
failed=()
for row in "${rows[@]}"; do
  name="${row%% *}"
  seeds="${row#* }"
  binary=$(find "$build" -type f -name "${name}_fuzzer" -perm -u+x | head -n 1)
  corpus="$build/corpus/$name"
  artifacts="$build/artifacts/$name"
  mkdir -p "$corpus" "$artifacts"
  log="$build/fuzz-$name.log"
  echo "run-fuzzers: $name for ${seconds}s (log: $log)"
  status=0
  "$binary" -max_total_time="$seconds" -max_len="$(max_len "$name")" -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$corpus" "$seeds" > "$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -n 1)
  runs=${runs:-0}
  took=${took:-0}
  rate=0
  [ "$took" -gt 0 ] && rate=$((runs / took))
  printf '%-12s %14s %8s %10s\n' "$name" "$runs" "$took" "$rate" >> "$summary"
  total_runs=$((total_runs + runs))
  total_seconds=$((total_seconds + took))
  if [ "$status" -ne 0 ]; then
    failed+=("$name")
    echo "run-fuzzers: $name FAILED (exit $status); the input is in $artifacts/" >&2
    grep -E 'ERROR|runtime error|_fuzzer: |SUMMARY' "$log" | head -n 20 >&2 || true
  fi
done
printf '%-12s %14s %8s\n' total "$total_runs" "$total_seconds" >> "$summary"
cat "$summary"
if [ ${#failed[@]} -ne 0 ]; then
  echo "run-fuzzers: failed: ${failed[*]}" >&2
  exit 1
fi
