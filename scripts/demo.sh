#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job: a series
# of four simulated units configured through the real dialogs by the shipped
# operator script, with the Czech language file. Prints the host report and
# the units' settings as the bench holds them afterwards, and where it wrote
# the report and the bench.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

build_all
tree=$(run_tree)
start_wineserver "$tree"
cd "$tree/bin"
"$tree/wine-run" tavohost.exe info TestTAVO02.test
echo
"$tree/wine-run" tavohost.exe configure TestTAVO02.test \
    --bench "$root/examples/bench.ini" \
    --script "$root/examples/series.script" \
    --lang lang/cs.xml \
    --report "$build/demo-report.txt" \
    --save-bench "$build/demo-bench.ini"
echo
echo "The host report is in $build/demo-report.txt, the bench as the series left it in $build/demo-bench.ini."
