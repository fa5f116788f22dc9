#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs the whole test suite in
# the tree whose programs Wine can start here (the 32-bit one when it can).
set -euo pipefail
source "$(dirname "$0")/lib.sh"

build_all
tree=$(run_tree)
echo "== Tests run in $(basename "$tree") =="
start_wineserver "$tree"
cd "$tree"
ctest --output-on-failure
