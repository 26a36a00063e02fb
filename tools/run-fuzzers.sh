#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, `fuzz` preset) and runs each one on
# its seed corpus for a bounded time.
#
#   tools/run-fuzzers.sh [SECONDS_PER_TARGET] [TARGET...]
#
# Seeds come from the corpus generator; the corpus a run grows is kept in
# build/fuzz/corpus/<target>. A crash input is left in build/fuzz/crashes/;
# keep it once fixed: a message under tests/regressions/, so every build
# replays it, and any other target's input under fuzz/regressions/<target>.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
seeds=build/fuzz/seeds
mkdir -p "$seeds" build/fuzz/crashes
build/fuzz/fuzz/kestrel_make_corpus "$seeds"
cp tests/regressions/* "$seeds"/ 2>/dev/null || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz_decode_message fuzz_compressed fuzz_roundtrip fuzz_records fuzz_series fuzz_visit
           fuzz_family_realtime fuzz_family_level2 fuzz_family_klines
           fuzz_family_trends fuzz_family_envelopes fuzz_family_service)
  # The capture reader's target exists only when libpcap was found.
  [ -x build/fuzz/fuzz/fuzz_capture ] && targets+=(fuzz_capture)
fi
for target in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus"
  # Inputs that once made a target fail (kept under fuzz/regressions/<target>)
  # run again first.
  regressions=()
  [ -d fuzz/regressions/"$target" ] && regressions=(fuzz/regressions/"$target")
  echo "== $target: ${seconds}s"
  build/fuzz/fuzz/"$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -rss_limit_mb=2048 -dict=fuzz/kestrel.dict -artifact_prefix=build/fuzz/crashes/"$target"- \
    -print_final_stats=1 "$corpus" "$seeds" "${regressions[@]}" 2>&1 | grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)|ERROR|SUMMARY' || true
  if ls build/fuzz/crashes/"$target"-* >/dev/null 2>&1; then
    echo "$target found a crash: see build/fuzz/crashes/" >&2
    exit 1
  fi
done
