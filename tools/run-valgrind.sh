#!/usr/bin/env bash
# Runs the test suite under valgrind's memcheck; any error or leak fails.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default
for binary in build/default/tests/kestrel_tests build/default/tests/kestrel_host_tests; do
  valgrind --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
    --quiet "$binary" --gtest_brief=1
done
echo "valgrind: clean"
