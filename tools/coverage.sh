#!/usr/bin/env bash
# Line coverage of the library code under the test suite (clang source-based
# coverage, `coverage` preset): a summary per file and per directory.
set -euo pipefail
cd "$(dirname "$0")/.."
rm -rf build/coverage/profiles
cmake --workflow --preset coverage >/dev/null
llvm-profdata merge -sparse build/coverage/profiles/*.profraw -o build/coverage/tests.profdata
report=build/coverage/summary.txt
llvm-cov report build/coverage/tests/kestrel_tests \
  -instr-profile=build/coverage/tests.profdata \
  -ignore-filename-regex="^($(pwd)/(tests|fuzz|bench|tools|examples)/|/usr/)" >"$report"
cat "$report"
# Lines per top-level directory of the library.
awk 'NR > 2 && $1 ~ /\// {
       split($1, parts, "/"); dir = parts[1];
       if (parts[1] == "decode") dir = parts[1] "/" parts[2];
       lines[dir] += $8; missed[dir] += $9 }
     END { for (d in lines) printf "%-18s %6d lines  %6.2f%% covered\n", d, lines[d], 100 * (lines[d] - missed[d]) / lines[d] }' \
  "$report" | sort
