#!/usr/bin/env bash
# Builds the fuzzers of the readers that are pure functions over bytes
# natively (clang 16's libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer, any report fatal) into OUT and runs each from
# the project's own files as seeds, for BUDGET: -runs=N, a bounded run the
# same every time (the suite), or -max_total_time=SECONDS (the reliability
# script). A finding stops the run with the input that broke, kept in OUT.
# NAME... runs only those harnesses. The module's readers (PE, PDB, version
# block) are seeded from the module, its PDB and the programs of a built
# tree's bin folder (TAVO_FUZZ_IMAGES, else OUT/../bin), whole and cut short;
# their inputs are a hundred times larger, so TAVO_FUZZ_MODULE_BUDGET may
# give them a budget of their own.
#   fuzz.sh OUT [BUDGET [NAME...]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$1
budget=${2:--runs=20000}
shift $(( $# < 2 ? $# : 2 ))
wanted=("$@")
compiler=${TAVO_FUZZ_CXX:-clang++-16}
command -v "$compiler" >/dev/null || { echo "fuzz.sh: $compiler is not installed (scripts/setup.sh installs it)" >&2; exit 1; }
mkdir -p "$out"
flags=(-std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
       -I"$root/bench" -I"$root/common" -I"$root/host" -I"$root/resources" -I"$root/gate" -I"$root/langcheck")

# fuzz NAME "SOURCES" MAXLEN BUDGET SEEDS...: builds NAME from its harness
# and SOURCES, then runs it on inputs of at most MAXLEN bytes for BUDGET.
fuzz() {
    local name=$1 sources=$2 max_len=$3 budget=$4 corpus
    shift 4
    if [ ${#wanted[@]} -gt 0 ] && [[ " ${wanted[*]} " != *" $name "* ]]; then
        return
    fi
    local paths=()
    for source in $sources; do paths+=("$root/$source"); done
    if ! "$compiler" "${flags[@]}" ${TAVO_FUZZ_EXTRA:-} "$root/tests/fuzz/$name.cpp" "${paths[@]}" -o "$out/$name" \
            2>"$out/$name.build"; then
        echo "fuzz.sh: $name does not build:" >&2
        cat "$out/$name.build" >&2
        exit 1
    fi
    corpus=$out/$name-corpus
    rm -rf "$corpus"
    mkdir -p "$corpus"
    cp "$@" "$corpus/"
    echo "== $name ($budget) =="
    # Inputs of a module's size keep more memory in the sanitizers' caches
    # than libFuzzer's 2 GB limit allows over an hour.
    (cd "$out" && "./$name" -seed=1 -max_len="$max_len" -rss_limit_mb=6144 -print_final_stats=1 "$budget" "$corpus" \
        2>"$name.log") || {
        echo "fuzz.sh: $name found a fault:" >&2
        tail -n 40 "$out/$name.log" >&2
        exit 1
    }
    grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb" "$out/$name.log" | sed 's/^/    /'
}

# The module's images, whole and cut inside their headers, tables and data.
images=${TAVO_FUZZ_IMAGES:-$(dirname "$out")/bin}
seeds=$out/module-seeds
rm -rf "$seeds"
mkdir -p "$seeds"
for image in "$images"/TestTAVO02.test "$images"/TestTAVO02.pdb "$images"/TestBench.dll "$images"/tavohost.exe; do
    [ -f "$image" ] || { echo "fuzz.sh: no $image to seed the module's readers (build a tree first)" >&2; exit 1; }
    name=$(basename "$image")
    size=$(stat -c %s "$image")
    cp "$image" "$seeds/$name"
    for cut in 1024 $((size / 4)) $((size / 2)); do
        head -c "$cut" "$image" > "$seeds/$name-$cut"
    done
done

fuzz bench_text_fuzz bench/BenchText.cpp 8192 "$budget" "$root"/examples/*.ini "$root"/tests/data/*.ini
fuzz operator_script_fuzz host/OperatorScriptText.cpp 8192 "$budget" "$root"/examples/*.script "$root"/tests/data/*.script
fuzz language_scan_fuzz langcheck/ByteScan.cpp 65536 "$budget" "$root"/lang/*.xml "$root"/tests/data/*.xml
fuzz module_readers_fuzz "gate/PeFile.cpp gate/PeLayout.cpp gate/PdbFile.cpp gate/VersionBlock.cpp" 262144 \
    "${TAVO_FUZZ_MODULE_BUDGET:-$budget}" "$seeds"/*
echo "no sanitizer report, no broken property"
