#!/usr/bin/env bash
# tavohost preview under the scripts' virtual display, in the built-in texts
# and both shipped languages: a picture of each dialog for each type of unit
# and of each message box, each a PNG; a dialog's picture has its template's
# size in every language, and the language's texts are in it.
# Usage: preview_test.sh TREE
set -euo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
tree=$1
if ! command -v xvfb-run >/dev/null; then
    echo "preview not tried: no xvfb-run here, and the pictures need a display (package xvfb)"
    exit 77
fi
if ! prefix=$(x11_prefix "$tree"); then
    echo "preview not tried: no Wine prefix with a display driver here"
    exit 77
fi
cd "$tree/bin"
out=preview-test
rm -rf "$out"
mkdir "$out"
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; rm -rf "$tree/bin/$out"' EXIT

dialogs="config test next"
types="TAVO-02 QX2210.00 QX2250.10"
expected=$(for type in $types; do for dialog in $dialogs; do echo "$type-$dialog.png"; done; done
           for message in 20 21 22 27 28 29 30 33 35 46; do echo "message-$message.png"; done)
expected=$(echo "$expected" | sort)

# width x height of a PNG, from its IHDR chunk; "no PNG" otherwise.
png_size() {
    if [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" != 89504e470d0a1a0a ]; then
        echo "no PNG"
        return
    fi
    local words
    words=($(od -An -tu1 -j16 -N8 "$1"))
    echo "$(( (words[0] << 24) | (words[1] << 16) | (words[2] << 8) | words[3] ))x$(( (words[4] << 24) | (words[5] << 16) | (words[6] << 8) | words[7] ))"
}

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

for language in en cs de; do
    lang=()
    [ "$language" = en ] || lang=(--lang "lang/$language.xml")
    if ! TAVO_WINEPREFIX=$prefix xvfb-run -a -s "-screen 0 1024x768x24" "$tree/wine-run" tavohost.exe preview \
            TestTAVO02.test "${lang[@]}" --out "$out\\$language" > "$out-$language.log" 2>&1; then
        fail "$language: preview failed:"; cat "$out-$language.log"
    fi
    rm -f "$out-$language.log"
    found=$(ls "$out/$language" 2>/dev/null | sort)
    [ "$found" = "$expected" ] || fail "$language: pictures $(echo $found), not $(echo $expected)"
    for picture in $found; do
        size=$(png_size "$out/$language/$picture")
        case $size in
        "no PNG") fail "$language/$picture is no PNG" ;;
        *x*) [ "${size%x*}" -ge 100 ] && [ "${size#*x}" -ge 60 ] || fail "$language/$picture is only $size" ;;
        esac
    done
    config=$(for type in $types; do png_size "$out/$language/$type-config.png"; done | sort -u)
    [ "$(echo "$config" | wc -l)" = 1 ] || fail "$language: the configuration dialog's sizes differ by type: $config"
done
for language in cs de; do
    for type in $types; do
        for dialog in $dialogs; do
            picture=$type-$dialog.png
            [ "$(png_size "$out/en/$picture")" = "$(png_size "$out/$language/$picture")" ] ||
                fail "$language/$picture is not the size of the template's dialog"
        done
    done
    for picture in TAVO-02-config.png TAVO-02-test.png message-21.png; do
        ! cmp -s "$out/en/$picture" "$out/$language/$picture" || fail "$language/$picture shows the built-in texts"
    done
done
[ "$failures" = 0 ] && echo "preview: $(echo "$expected" | wc -l) pictures in each of en, cs and de"
exit $((failures > 0))
