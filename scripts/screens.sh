#!/usr/bin/env bash
# Installs what is missing, builds, and renders the pictures of docs/screens:
# every dialog and message box the moment it is ready, in Czech and English,
# under Xvfb with Wine's normal (x11) display driver.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

build_all >/dev/null
tree=$(run_tree)
prefix=$(x11_prefix "$tree")

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

# Every dialog for each type and every message box, in each language, as the
# localizer's preview makes them; kept under the names the README shows.
for language in cs en; do
    lang=()
    [ "$language" = cs ] && lang=(--lang lang/cs.xml)
    TAVO_WINEPREFIX=$prefix xvfb-run -a -s "-screen 0 1024x768x24" "$tree/wine-run" tavohost.exe preview \
        TestTAVO02.test "${lang[@]}" --out "$work/$language" >/dev/null
    while read -r picture name; do
        cp "$work/$language/$picture.png" "$screens/$language-$name.png"
    done <<'NAMES'
TAVO-02-config config-generic
QX2210.00-config config-qx2210
QX2250.10-config config-qx2250
message-21 rejected-value
TAVO-02-test test
TAVO-02-next next-unit
message-20 address-wrap
message-35 already-configured
NAMES
done
# Filled from the unit's default block, which only a bench file gives.
shoot cs-config-defaults open-DEFAULTS.script cs "1:"
shoot en-config-defaults open-DEFAULTS.script en "1:"
# The interactive host with its bench window, driven by the operator automation.
TAVO_WINEPREFIX=$prefix TAVO_SHOTS="$screens/interactive" xvfb-run -a -s "-screen 0 1024x768x24" \
    "$tree/wine-run" host_window_tests.exe >/dev/null
rm -rf "$work"
ls "$screens"
