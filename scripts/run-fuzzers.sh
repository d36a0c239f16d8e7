#!/usr/bin/env bash
# Runs libFuzzer targets one after another for a number of seconds each:
#   scripts/run-fuzzers.sh BUILD_DIR SECONDS NAME...
# Each run starts with the committed seeds and findings of
# tests/fuzz/corpus/<name>/ (so every earlier finding is tried again) and
# grows build-fuzz's own corpus/<name>/ from run to run. A crash, a leak, a
# time-out of one input (10 s) or undefined behaviour stops the run with a
# non-zero status; the input is saved as BUILD_DIR/findings/<name>-*.
set -euo pipefail
build=$1
seconds=$2
shift 2
source_dir=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$build/findings"
for name in "$@"; do
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$build/findings/$name-")
  dictionary="$source_dir/tests/fuzz/$name.dict"
  [[ -f $dictionary ]] && options+=(-dict="$dictionary")
  echo "== fuzzing $name for ${seconds}s"
  # Without the marker variable each fuzzer makes a sandbox of its own, so no
  # run touches the real home, bus or registry.
  env -u TUNEFETCH_TEST_SANDBOX UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$build/tests/fuzz/${name}_fuzz" "${options[@]}" "$corpus" "$source_dir/tests/fuzz/corpus/$name" \
    2>"$build/findings/$name.log" || {
    tail -n 60 "$build/findings/$name.log"
    echo "fuzzing $name failed" >&2
    exit 1
  }
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$build/findings/$name.log" || true
done
