#!/bin/sh
# A --save-bench stopped half-way leaves the old bench whole. The bench holds
# many units, so its saved text is larger than the file size the kernel lets
# the run write (ulimit -f): the writer is stopped in the middle of the file,
# once killed by SIGXFSZ, once by a write that fails, which tavohost answers
# with exit status 1 (a fault of the run) and the reason.
#   killed_save_test.sh WINE_RUN BIN SCRIPT
set -eu
run=$1 bin=$2 script=$3
bench=$bin/killed-save-bench.ini
{ echo "[Bench]"; for i in $(seq 150); do printf '[Unit U%d]\nType=TAVO-02\nSerial=%08d\nUserConfig=%s\n' $i $i \
    "05 0A 60 02 00 00 73 61 76 65 03 23 02 02 02 02 50 50 50 50 00"; done; } > "$bench"
before=$(sha256sum < "$bench")

# The Wine server must not inherit the limit: a Wine process that waits on a
# pipe keeps one up, started without it, until the test ends.
fifo=$bin/killed-save-keeper
rm -f "$fifo" && mkfifo "$fifo"
"$run" cmd.exe /c pause < "$fifo" > /dev/null 2>&1 &
keeper=$!
exec 3> "$fifo"
trap 'code=$?; exec 3>&-; kill $keeper 2> /dev/null || true; wait $keeper 2> /dev/null || true; rm -f "$fifo"; exit $code' EXIT
"$run" "$bin/tavohost.exe" --version > /dev/null

# save TRAP EXPECTED: one run under the limit, SIGXFSZ handled as TRAP says;
# fails unless it ends as EXPECTED says (killed or 1) with the bench whole.
save() {
    status=0
    (cd "$bin" && trap "$1" XFSZ && ulimit -f 8 && exec "$run" "$bin/tavohost.exe" configure TestTAVO02.test \
        --bench "$bench" --script "$script" --save-bench "$bench") > "$bin/killed-save-output.txt" 2>&1 || status=$?
    after=$(sha256sum < "$bench")
    case "$2:$status" in killed:[012] | 1:[!1]* | 1:1?*) ended=wrong ;; *) ended=right ;; esac
    if [ $ended = wrong ] || [ "$before" != "$after" ] || grep -q "wineserver crashed" "$bin/killed-save-output.txt" ||
       { [ "$2" = 1 ] && ! grep -q "cannot be written whole.*the file is as it was" "$bin/killed-save-output.txt"; }; then
        echo "the save under an 8 KB limit (SIGXFSZ: '$1') answered $status, expected $2, and left the bench" \
             "$(wc -c < "$bench") bytes long ($( [ "$before" = "$after" ] && echo unchanged || echo changed ));" \
             "it printed:" >&2
        cat "$bin/killed-save-output.txt" >&2
        exit 1
    fi
    echo "the bench is whole after a save stopped half-way (SIGXFSZ '$1', exit status $status)"
}
save - killed
save "" 1
rm -f "$bench" "$bench".~*.tmp "$bin/killed-save-output.txt"
