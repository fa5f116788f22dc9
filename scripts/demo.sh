#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs the main job.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

build_all
tree=$(run_tree)
start_wineserver "$tree"
cd "$tree/bin"
"$tree/wine-run" tavohost.exe info TestTAVO02.test
