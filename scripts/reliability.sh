#!/usr/bin/env bash
# Installs what is missing, builds, and runs the long reliability runs that
# docs/reliability.md reports: the fault matrix, 1,000 garbage unit images,
# 1,000 language files, the soak (1,000 units in one series, 100 single
# calls), 1,002 Cancel moments, 100 load/configure/unload rounds, and 2,000
# damaged copies of the module and 20,000 of a language file for tavohost's
# checks, and the readers of the bench file and the operator script fuzzed
# for half an hour each and the module's readers for an hour. Takes about 170
# minutes; pass one of matrix, units,
# languages, soak, unload, files, fuzz to run only that part.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

build_all >/dev/null
tree=$(run_tree)
export TAVO_WINEPREFIX=$(own_prefix "$tree" reliability)
start_wineserver "$tree"
cd "$tree/bin"
run() { echo "== $1 =="; shift; "$tree/wine-run" "$@"; echo; }
part=${1:-all}
status=0
if [[ $part == all || $part == matrix ]]; then
    run "fault matrix" fault_matrix_tests.exe || status=1
fi
if [[ $part == all || $part == units ]]; then
    TAVO_UNIT_IMAGES=1000 run "1,000 garbage unit images" bad_unit_data_tests.exe || status=1
fi
if [[ $part == all || $part == languages ]]; then
    TAVO_LANGUAGE_FILES=1000 run "1,000 language files" bad_language_files_tests.exe || status=1
fi
if [[ $part == all || $part == soak ]]; then
    TAVO_SOAK_UNITS=1000 TAVO_SOAK_CALLS=100 TAVO_RACES=334 run "soak and races" endurance_tests.exe || status=1
fi
if [[ $part == all || $part == unload ]]; then
    run "load, configure, unload" series_tests.exe --gtest_filter='SeriesLifetime.*' || status=1
fi
if [[ $part == all || $part == files ]]; then
    TAVO_DAMAGED_MODULES=2000 TAVO_DAMAGED_LANGUAGE_FILES=20000 \
        run "2,000 damaged modules against the loader, 20,000 language files against the module's reading" \
        file_check_tests.exe --gtest_filter='*DamagedCopy*' || status=1
fi
if [[ $part == all || $part == fuzz ]]; then
    echo "== the bench file's and the operator script's readers, fuzzed 30 minutes each; the module's, an hour =="
    TAVO_FUZZ_IMAGES=$tree/bin TAVO_FUZZ_MODULE_BUDGET=-max_total_time=3600 \
        bash "$(dirname "$0")/fuzz.sh" "$tree/fuzz-long" -max_total_time=1800 || status=1
fi
exit $status
