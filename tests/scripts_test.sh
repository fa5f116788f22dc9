#!/usr/bin/env bash
# scripts/setup.sh against a package manager that fails as told: stand-ins for
# apt-get, dpkg, locale-gen, locale, id and chmod come first on PATH, log the
# calls that change the machine and answer from the case's settings. Then
# scripts/test.sh where no tree's Wine can start, the build stood in by a
# cmake that runs only the configuration's Wine check (cmake/wine.cmake)
# against Wines that fail, and scripts/wineprefix.sh with one. Each case
# checks the exit status, every line said and the calls made.
set -uo pipefail
scripts=$(cd "$(dirname "$0")/.." && pwd)/scripts
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/bin"
cat >"$work/bin/standin" <<'STANDIN'
#!/usr/bin/env bash
# STANDIN_INSTALLED: installed packages; STANDIN_REFUSE: what apt cannot
# install; STANDIN_UPDATE_FAILS, STANDIN_INSTALL_FAILS: how many index updates
# and installs fail first; STANDIN_LOCALES: what locale -a lists; STANDIN_UID:
# who runs; STANDIN_KERNEL_32: yes when the kernel starts 32-bit programs (the
# probe made executable then exits as the 32-bit probe does; else it stays a
# file the kernel does not start).
name=$(basename "$0")
case "$name $1" in
    "dpkg -s") [[ " $STANDIN_INSTALLED " == *" $2 "* ]] && echo "Status: install ok installed"; exit ;;
    "dpkg --print-foreign-architectures") exit 0 ;;
    "locale -a") printf '%s\n' $STANDIN_LOCALES; exit 0 ;;
    "id -u") echo "$STANDIN_UID"; exit 0 ;;
    "chmod +x")
        [ "$STANDIN_KERNEL_32" = yes ] && printf '#!/bin/sh\nexit 7\n' >"$2" && /bin/chmod +x "$2"
        exit 0 ;;
    "cmake -S")
        # The configuration's Wine check alone, as cmake/wine.cmake makes it.
        arch=i686
        [[ "$*" == *mingw-x86_64* ]] && arch=x86_64
        mkdir -p "$4"
        printf 'cmake_minimum_required(VERSION 3.20)\nproject(wine_check NONE)\nset(CMAKE_SIZEOF_VOID_P %s)\n' \
            "$([ $arch = i686 ] && echo 4 || echo 8)" >"$4/CMakeLists.txt"
        echo "include($2/cmake/wine.cmake)" >>"$4/CMakeLists.txt"
        /usr/bin/cmake -S "$4" -B "$4" -DWINE_LOADER="$STANDIN_WINE_DIR/wine-$arch" >/dev/null 2>&1 ;;
esac
echo "$name${*:+ $*}" >>"$STANDIN_LOG"
[ "$name" = cmake ] && exit 0
count() { grep -c "^apt-get $1" "$STANDIN_LOG"; }
if [ "$name $1" = "apt-get update" ] && [ "$(count update)" -le "$STANDIN_UPDATE_FAILS" ]; then
    echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size. Mirror sync in progress?" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100
fi
if [ "$name $1" = "apt-get install" ] && [ "$(count install)" -le "$STANDIN_INSTALL_FAILS" ]; then
    echo "E: Could not get lock /var/lib/dpkg/lock-frontend" >&2
    exit 100
fi
for package in "${@:7}"; do
    [[ " $STANDIN_REFUSE " == *" $package "* ]] && echo "E: Unable to locate package $package" >&2 && exit 100
done
# apt's status lines, with its noise on standard output beside them.
if [ "$name $1" = "apt-get install" ] && [ -n "${STANDIN_PROGRESS:-}" ]; then
    echo "Reading package lists..."
    for percent in $STANDIN_PROGRESS; do
        echo "dlstatus:1:$percent:Retrieving file 1 of 2" >&3
        echo "Get:1 http://deb.debian.org/debian bookworm/main wine"
    done
    for percent in $STANDIN_PROGRESS; do
        echo "pmstatus:wine:$percent:Installing wine" >&3
    done
fi
exit 0
STANDIN
/bin/chmod +x "$work/bin/standin"
for name in apt-get dpkg locale-gen locale id chmod cmake; do
    ln -s standin "$work/bin/$name"
done
# Wines that cannot start, one a tree, as on a machine without 32-bit support.
mkdir "$work/wine"
printf '#!/bin/sh\necho "it looks like wine32 is missing, you should install it." >&2\nexit 1\n' \
    >"$work/wine/wine-i686"
printf '#!/bin/sh\necho "wine64: could not load ntdll.so" >&2\nexit 126\n' >"$work/wine/wine-x86_64"
/bin/chmod +x "$work/wine/wine-i686" "$work/wine/wine-x86_64"

all=$(echo g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 \
          clang-16 lld-16 llvm-16 libclang-rt-16-dev cmake ninja-build googletest wine wine64 xvfb xauth locales wine32:i386)
update="apt-get update -q"
install="apt-get install -y -q -o APT::Status-Fd=3 --no-install-recommends"
lines() { printf '%s\n' "$@"; }
failures=0

# check NAME EXIT LINES CALLS [VAR=VALUE...]: runs setup.sh (or SCRIPT) with
# the settings; LINES is all it says (empty: nothing), CALLS its calls, one a
# line.
check() {
    local name=$1 exit=$2 said=$3 calls=$4 output status=0 problems=()
    shift 4
    : >"$work/log"
    : >"$work/locale.gen"
    output=$(env PATH="$work/bin:$PATH" STANDIN_LOG="$work/log" TAVO_LOCALE_GEN_LIST="$work/locale.gen" \
                 STANDIN_INSTALLED="$all" STANDIN_LOCALES="C cs_CZ.utf8" STANDIN_UID=0 STANDIN_REFUSE= \
                 STANDIN_UPDATE_FAILS=0 STANDIN_INSTALL_FAILS=0 STANDIN_KERNEL_32=yes \
                 STANDIN_WINE_DIR="$work/wine" TAVO_RUNTIME_32= "$@" bash "$scripts/${SCRIPT:-setup.sh}" \
                 ${SCRIPT_ARGS:-} 2>&1 >/dev/null) ||
        status=$?
    [ "$status" = "$exit" ] || problems+=("exit status $status, expected $exit")
    [ "$output" = "${said%$'\n'}" ] || problems+=("it said other lines than:"$'\n'"$said")
    [ "$(cat "$work/log")" = "${calls%$'\n'}" ] || problems+=("calls differ: expected"$'\n'"$calls")
    if [ ${#problems[@]} -gt 0 ]; then
        failures=$((failures + 1))
        printf 'FAILED %s: %s\nit said:\n%s\nit called:\n%s\n\n' "$name" "$(printf '%s; ' "${problems[@]}")" \
            "$output" "$(cat "$work/log")"
    else
        echo "ok     $name"
    fi
}

index="setup: the package index is not fully up to date (Some index files failed to download. They have been \
ignored, or old ones used instead.); going on with what apt has"
no32="${all/wine32:i386/}"
check "everything there: no call at all" 0 "" ""
check "the index update fails twice: the install decides" 0 "$(lines "$index" "setup: installing clang-16")" \
    "$(lines "$update" "$update" "$install clang-16")" STANDIN_INSTALLED="${all/clang-16/}" STANDIN_UPDATE_FAILS=2
check "the index incomplete at both updates: said once" 0 "$(lines "$index" "setup: installing clang-16")" \
    "$(lines "$update" "$update" "$install clang-16" "$update" "$update" "$install clang-16")" \
    STANDIN_INSTALLED="${all/clang-16/}" STANDIN_UPDATE_FAILS=4 STANDIN_INSTALL_FAILS=1
check "wine32:i386 refused: the x86_64 tree runs the tests" 0 \
    "$(lines "setup: installing wine32:i386" "setup: wine32:i386 cannot be installed (Unable to locate package \
wine32:i386): the tests run in the x86_64 tree")" \
    "$(lines "dpkg --add-architecture i386" "$update" "$install wine32:i386" "$update" "$install wine32:i386")" \
    STANDIN_INSTALLED="$no32" STANDIN_REFUSE=wine32:i386 TAVO_RUNTIME_32=yes
check "wine32:i386 missing, the kernel starts 32-bit programs: installed" 0 "setup: installing wine32:i386" \
    "$(lines "dpkg --add-architecture i386" "$update" "$install wine32:i386")" STANDIN_INSTALLED="$no32"
check "an install shows apt's progress each tenth of a phase, not its noise" 0 \
    "$(lines "setup: installing wine" "setup:   downloading: 0% (Retrieving file 1 of 2)" \
             "setup:   downloading: 12% (Retrieving file 1 of 2)" "setup:   downloading: 57% (Retrieving file 1 of 2)" \
             "setup:   downloading: 100% (Retrieving file 1 of 2)" "setup:   installing: 0% (Installing wine)" \
             "setup:   installing: 12% (Installing wine)" "setup:   installing: 57% (Installing wine)" \
             "setup:   installing: 100% (Installing wine)")" \
    "$(lines "$update" "$install wine")" STANDIN_INSTALLED="${all/ wine / }" STANDIN_PROGRESS="0 3.5 12.2 15 57 58 100"
check "wine32:i386 missing, the kernel starts no 32-bit programs: left out" 0 \
    "setup: the kernel cannot start 32-bit programs: wine32:i386 left out, the tests run in the x86_64 tree" "" \
    STANDIN_INSTALLED="$no32" STANDIN_KERNEL_32=no
check "wine32:i386 missing, TAVO_RUNTIME_32=no: left out without a word" 0 "" "" STANDIN_INSTALLED="$no32" \
    TAVO_RUNTIME_32=no
check "locales installed, the Czech locale missing: only locale-gen" 0 "" "locale-gen" STANDIN_LOCALES="C POSIX"
grep -qx 'cs_CZ.UTF-8 UTF-8' "$work/locale.gen" || { failures=$((failures + 1)); echo "FAILED: no cs_CZ"; }
check "a build package refused: setup fails and names it" 1 \
    "$(lines "setup: installing lld-16" "setup: the build needs lld-16, which apt cannot install: Unable to locate \
package lld-16")" \
    "$(lines "$update" "$install lld-16" "$update" "$install lld-16")" STANDIN_INSTALLED="${all/lld-16/}" \
    STANDIN_REFUSE=lld-16
check "not root with packages missing: no apt call" 1 "setup: run this script as root: it would install cmake" \
    "" STANDIN_INSTALLED="${all/cmake/}" STANDIN_UID=1000
check "not root, only the Czech locale missing: says so, writes nothing" 1 "setup: run this script as root: it would \
generate the locale cs_CZ.UTF-8, without which Wine does not report the Czech code page" "" STANDIN_LOCALES="C POSIX" \
    STANDIN_UID=1000
[ -s "$work/locale.gen" ] && { failures=$((failures + 1)); echo "FAILED: locale.gen written by a user"; }

configure() {
    lines "cmake -S ${scripts%/*} -B $work/build/$1 -G Ninja -DCMAKE_TOOLCHAIN_FILE=${scripts%/*}/cmake/mingw-$1.cmake \
-DCMAKE_BUILD_TYPE=Release${2:+ $2}" "cmake --build $work/build/$1 -j2"
}
i686="Wine is installed but cannot start here: $work/wine/wine-i686 --version: it looks like wine32 is missing, you \
should install it. (exit status 1)"
x86_64="Wine is installed but cannot start here: $work/wine/wine-x86_64 --version: wine64: could not load ntdll.so \
(exit status 126)"
SCRIPT=test.sh check "test.sh where no tree's Wine can start: fails, saying why" 1 \
    "$(lines "The i686 tree's programs cannot run here ($i686): the x86_64 tree runs them" \
             "No build tree can run its programs here: i686: $i686; x86_64: $x86_64")" \
    "$(configure i686; configure x86_64 "-DTAVO_MODULE_32=$work/build/i686/bin/TestTAVO02.test")" \
    TAVO_BUILD_DIR="$work/build"

SCRIPT=wineprefix.sh SCRIPT_ARGS="$work/wine/wine-i686 $work/prefix" check \
    "wineprefix.sh with a Wine that cannot start: shows Wine's last lines" 1 \
    "$(lines "wineprefix.sh: Wine cannot create the prefix in $work/prefix; Wine's last lines:" \
             "    it looks like wine32 is missing, you should install it.")" ""

[ "$failures" -eq 0 ] || { echo "$failures of the entry-script cases failed"; exit 1; }
