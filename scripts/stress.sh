#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite three times
# in a row while two CPU-bound processes run beside it: the tests wait on
# what they need (events, the bench's call log), not on the clock, so a busy
# machine must not change their outcome. Usage: stress.sh [ROUNDS]
set -euo pipefail
source "$(dirname "$0")/lib.sh"

build_all >/dev/null
tree=$(run_tree)
rounds=${1:-3}
start_wineserver "$tree"
burners=()
for _ in 1 2; do
    (while :; do :; done) &
    burners+=($!)
done
trap 'kill "${burners[@]}" 2>/dev/null || true; stop_wineserver' EXIT
for round in $(seq 1 "$rounds"); do
    echo "== Round $round of $rounds, beside two CPU-bound processes =="
    (cd "$tree" && ctest --output-on-failure --no-tests=error) || { echo "round $round failed"; exit 1; }
done
echo "== $rounds rounds passed =="
