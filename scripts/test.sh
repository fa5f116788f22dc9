#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs the whole test suite.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

build_all
tree=$(run_tree)
echo "== Tests run in $(basename "$tree") =="
start_wineserver "$tree"
status=0
if [ "$tree" != "$build/i686" ]; then
    # 32-bit Wine cannot start here: check the 32-bit product as a file.
    (cd "$build/i686" && ctest --output-on-failure) || status=1
fi
(cd "$tree" && ctest --output-on-failure) || status=1
exit $status
