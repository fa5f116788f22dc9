#!/usr/bin/env bash
# Builds the fuzzers of the bench file's and the operator script's readers
# natively (clang 16's libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer, any report fatal) into OUT and runs each from
# the project's own files as seeds, for BUDGET: -runs=N, a bounded run the
# same every time (the suite), or -max_total_time=SECONDS (the reliability
# script). A finding stops the run with the input that broke, kept in OUT.
#   fuzz.sh OUT [BUDGET]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$1
budget=${2:--runs=20000}
compiler=${TAVO_FUZZ_CXX:-clang++-16}
command -v "$compiler" >/dev/null || { echo "fuzz.sh: $compiler is not installed (scripts/setup.sh installs it)" >&2; exit 1; }
mkdir -p "$out"
flags=(-std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
       -I"$root/bench" -I"$root/common" -I"$root/host" -I"$root/resources")

# fuzz NAME SOURCE SEEDS...: builds NAME from its harness and SOURCE, then runs it.
fuzz() {
    local name=$1 source=$2 corpus
    shift 2
    if ! "$compiler" "${flags[@]}" "$root/tests/fuzz/$name.cpp" "$root/$source" -o "$out/$name" 2>"$out/$name.build"; then
        echo "fuzz.sh: $name does not build:" >&2
        cat "$out/$name.build" >&2
        exit 1
    fi
    corpus=$out/$name-corpus
    rm -rf "$corpus"
    mkdir -p "$corpus"
    cp "$@" "$corpus/"
    echo "== $name ($budget) =="
    (cd "$out" && "./$name" -seed=1 -max_len=8192 -print_final_stats=1 "$budget" "$corpus" 2>"$name.log") || {
        echo "fuzz.sh: $name found a fault:" >&2
        tail -n 40 "$out/$name.log" >&2
        exit 1
    }
    grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb" "$out/$name.log" | sed 's/^/    /'
}

fuzz bench_text_fuzz bench/BenchText.cpp "$root"/examples/*.ini "$root"/tests/data/*.ini
fuzz operator_script_fuzz host/OperatorScriptText.cpp "$root"/examples/*.script "$root"/tests/data/*.script
echo "no sanitizer report, no broken property"
