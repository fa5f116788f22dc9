#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite in the tree
# whose programs Wine can start here (the 32-bit one when it can). Fails when
# no tree can run them, or when the suite finds no test to run.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

build_all
tree=$(run_tree)
echo "== Tests run in $(basename "$tree") =="
start_wineserver "$tree"
cd "$tree"
# The run's output is kept in the tree; its last lines are CTest's own count
# of the tests it ran: "100% tests passed, 0 tests failed out of N".
ctest --output-on-failure --no-tests=error | tee ctest-output.txt
echo "== $(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' ctest-output.txt) tests ran in $(basename "$tree") =="
