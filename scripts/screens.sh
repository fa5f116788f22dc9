#!/usr/bin/env bash
# Installs what is missing, builds, and renders the pictures of docs/screens:
# every dialog and message box the moment it is ready, in Czech and English,
# under Xvfb with Wine's normal (x11) display driver.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

build_all >/dev/null
tree=$(run_tree)
prefix=$tree/wineprefix-x11
if [ ! -f "$prefix/.ready" ]; then
    # The tests' prefix without the null driver; Wine draws its own captions.
    rm -rf "$prefix"
    cp -a "$tree/wineprefix" "$prefix"
    for key in 'HKCU\Software\Wine\Drivers /v Graphics /f' ; do
        TAVO_WINEPREFIX=$prefix "$tree/wine-run" reg delete $key >/dev/null 2>&1 || true
    done
    TAVO_WINEPREFIX=$prefix "$tree/wine-run" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
    TAVO_WINEPREFIX=$prefix "$tree/wine-run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
    touch "$prefix/.ready"
fi

screens=$root/docs/screens
examples=$root/examples/screens
work=$(mktemp -d)
mkdir -p "$screens"
cd "$tree/bin"

# shoot NAME SCRIPT LANGUAGE PICTURE...: runs SCRIPT and keeps its pictures as
# NAME-PICTURE.png for each listed picture number (the order dialogs opened).
shoot() {
    local name=$1 script=$2 language=$3
    shift 3
    local lang=()
    [ "$language" = cs ] && lang=(--lang lang/cs.xml)
    TAVO_WINEPREFIX=$prefix xvfb-run -a -s "-screen 0 1024x768x24" "$tree/wine-run" tavohost.exe configure \
        TestTAVO02.test --bench "$examples/bench.ini" --script "$examples/$script" "${lang[@]}" \
        --shots "$work/$name" >/dev/null
    for picture in "$@"; do
        cp "$work/$name-${picture%%:*}.png" "$screens/$name${picture#*:}.png"
    done
}

for language in cs en; do
    shoot "$language-config-generic" open-G.script "$language" "1:"
    shoot "$language-config-qx2210" open-QX2210.script "$language" "1:"
    shoot "$language-config-qx2250" open-QX2250.script "$language" "1:"
done
shoot cs-config-defaults open-DEFAULTS.script cs "1:"
shoot en-config-defaults open-DEFAULTS.script en "1:"
shoot cs-rejected-value rejected.script cs "2:"
shoot en-rejected-value rejected.script en "2:"
shoot cs-test test.script cs "2:"
shoot en-test test.script en "2:"
shoot cs series.script cs "3:-next-unit" "4:-address-wrap" "5:-already-configured"
shoot en series.script en "3:-next-unit" "4:-address-wrap" "5:-already-configured"
# The interactive host with its bench window, driven by the operator automation.
TAVO_WINEPREFIX=$prefix TAVO_SHOTS="$screens/interactive" xvfb-run -a -s "-screen 0 1024x768x24" \
    "$tree/wine-run" host_window_tests.exe >/dev/null
rm -rf "$work"
ls "$screens"
