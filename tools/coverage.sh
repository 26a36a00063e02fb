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
  -ignore-filename-regex="(^|/)(tests|fuzz|bench|tools|examples|python)/|^/usr/" >"$report"
cat "$report"
# Lines per top-level directory of the library.
# llvm-cov names files by absolute path or relative to the build directory:
# the leading components up to the source tree are dropped first.
awk 'NR > 2 && $1 ~ /\// {
       path = $1; sub("^" ENVIRON["PWD"] "/", "", path); gsub(/^(\.\.\/)+/, "", path);
       split(path, parts, "/"); dir = parts[1];
       if (parts[1] == "decode") dir = parts[1] "/" parts[2];
       lines[dir] += $8; missed[dir] += $9 }
     END { for (d in lines) printf "%-18s %6d lines  %6.2f%% covered\n", d, lines[d], 100 * (lines[d] - missed[d]) / lines[d] }' \
  "$report" | sort
