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
ctest --output-on-failure --no-tests=error
echo "== $(ctest -N --no-tests=error | sed -n 's/^Total Tests: //p') tests ran in $(basename "$tree") =="
