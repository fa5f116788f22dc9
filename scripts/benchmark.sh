#!/usr/bin/env bash
# Installs what is missing, builds, and runs the benchmark that
# docs/performance.md reports.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

build_all >/dev/null
tree=$(run_tree)
export TAVO_WINEPREFIX=$(own_prefix "$tree" benchmark)
start_wineserver "$tree"
cd "$tree/bin"
"$tree/wine-run" tavo_benchmark.exe
