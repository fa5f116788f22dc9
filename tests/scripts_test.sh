#!/usr/bin/env bash
# scripts/setup.sh against a package manager that fails as told: stand-ins for
# apt-get, dpkg, locale-gen, locale and id come first on PATH, log the calls
# that change the machine and answer from the case's settings. Then
# scripts/test.sh where no tree's Wine can start, the build stood in by a
# cmake that does nothing. Each case checks the exit status, the one line
# said and the calls made.
set -uo pipefail
scripts=$(cd "$(dirname "$0")/.." && pwd)/scripts
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/bin"
cat >"$work/bin/standin" <<'EOF'
#!/usr/bin/env bash
# STANDIN_INSTALLED: installed packages; STANDIN_REFUSE: what apt cannot
# install; STANDIN_UPDATE_FAILS: how many index updates fail; STANDIN_LOCALES:
# what locale -a lists; STANDIN_UID: who runs.
name=$(basename "$0")
case "$name $1" in
    "dpkg -s") [[ " $STANDIN_INSTALLED " == *" $2 "* ]] && echo "Status: install ok installed"; exit ;;
    "dpkg --print-foreign-architectures") exit 0 ;;
    "locale -a") printf '%s\n' $STANDIN_LOCALES; exit 0 ;;
    "id -u") echo "$STANDIN_UID"; exit 0 ;;
esac
echo "$name${*:+ $*}" >>"$STANDIN_LOG"
updates=$(grep -c '^apt-get update' "$STANDIN_LOG")
if [ "$name $1" = "apt-get update" ] && [ "$updates" -le "$STANDIN_UPDATE_FAILS" ]; then
    echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size. Mirror sync in progress?" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100
fi
for package in "${@:5}"; do
    [[ " $STANDIN_REFUSE " == *" $package "* ]] && echo "E: Unable to locate package $package" >&2 && exit 100
done
exit 0
EOF
chmod +x "$work/bin/standin"
for name in apt-get dpkg locale-gen locale id cmake; do
    ln -s standin "$work/bin/$name"
done

all=$(echo g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 \
          clang-16 lld-16 llvm-16 cmake ninja-build googletest wine wine64 xvfb xauth locales wine32:i386)
update="apt-get update -q"
install="apt-get install -y -q --no-install-recommends"
lines() { printf '%s\n' "$@"; }
failures=0

# check NAME EXIT LINE CALLS [VAR=VALUE...]: runs setup.sh (or SCRIPT) with
# the settings; LINE is a pattern of what it says (empty: nothing), CALLS its
# calls, one a line.
check() {
    local name=$1 exit=$2 line=$3 calls=$4 output status=0 problems=()
    shift 4
    : >"$work/log"
    : >"$work/locale.gen"
    output=$(env PATH="$work/bin:$PATH" STANDIN_LOG="$work/log" TAVO_LOCALE_GEN_LIST="$work/locale.gen" \
                 STANDIN_INSTALLED="$all" STANDIN_LOCALES="C cs_CZ.utf8" STANDIN_UID=0 STANDIN_REFUSE= \
                 STANDIN_UPDATE_FAILS=0 TAVO_RUNTIME_32=yes "$@" bash "$scripts/${SCRIPT:-setup.sh}" 2>&1 >/dev/null) ||
        status=$?
    [ "$status" = "$exit" ] || problems+=("exit status $status, expected $exit")
    if [ -z "$line" ]; then
        [ -z "$output" ] || problems+=("said something when it should say nothing")
    elif ! grep -Eq "^$line" <<<"$output"; then
        problems+=("no line matching '$line'")
    fi
    [ "$(cat "$work/log")" = "${calls%$'\n'}" ] || problems+=("calls differ: expected"$'\n'"$calls")
    if [ ${#problems[@]} -gt 0 ]; then
        failures=$((failures + 1))
        printf 'FAILED %s: %s\nit said:\n%s\nit called:\n%s\n\n' "$name" "$(printf '%s; ' "${problems[@]}")" \
            "$output" "$(cat "$work/log")"
    else
        echo "ok     $name"
    fi
}

check "everything there: no call at all" 0 "" ""
check "the index update fails twice: the install decides" 0 \
    "setup: the package index is not fully up to date \(Some index files failed" \
    "$(lines "$update" "$update" "$install clang-16")" STANDIN_INSTALLED="${all/clang-16/}" STANDIN_UPDATE_FAILS=2
check "wine32:i386 refused: the x86_64 tree runs the tests" 0 \
    "setup: wine32:i386 cannot be installed \(Unable to locate package wine32:i386\): the tests run in the x86_64" \
    "$(lines "dpkg --add-architecture i386" "$update" "$install wine32:i386" "$update" "$install wine32:i386")" \
    STANDIN_INSTALLED="${all/wine32:i386/}" STANDIN_REFUSE=wine32:i386
check "locales installed, the Czech locale missing: only locale-gen" 0 "" "locale-gen" STANDIN_LOCALES="C POSIX"
grep -qx 'cs_CZ.UTF-8 UTF-8' "$work/locale.gen" || { failures=$((failures + 1)); echo "FAILED: no cs_CZ"; }
check "a build package refused: setup fails and names it" 1 \
    "setup: the build needs lld-16, which apt cannot install: Unable to locate package lld-16" \
    "$(lines "$update" "$install lld-16" "$update" "$install lld-16")" STANDIN_INSTALLED="${all/lld-16/}" \
    STANDIN_REFUSE=lld-16
check "not root with packages missing: no apt call" 1 "setup: missing packages \(cmake\); run this script as root" \
    "" STANDIN_INSTALLED="${all/cmake/}" STANDIN_UID=1000

mkdir -p "$work/build/i686" "$work/build/x86_64"
echo "no Wine for it: wine32:i386 is not installed" >"$work/build/i686/wine-unavailable"
echo "Wine is installed but cannot start here: wine64 --version: 126" >"$work/build/x86_64/wine-unavailable"
configure() {
    lines "cmake -S ${scripts%/*} -B $work/build/$1 -G Ninja -DCMAKE_TOOLCHAIN_FILE=${scripts%/*}/cmake/mingw-$1.cmake \
-DCMAKE_BUILD_TYPE=Release${2:+ $2}" "cmake --build $work/build/$1 -j2"
}
SCRIPT=test.sh check "test.sh where no tree's Wine can start: fails, saying why" 1 \
    "No build tree can run its programs here: i686: no Wine for it: wine32:i386 is not installed; x86_64: Wine is" \
    "$(configure i686; configure x86_64 "-DTAVO_MODULE_32=$work/build/i686/bin/TestTAVO02.test")" \
    TAVO_BUILD_DIR="$work/build"

[ "$failures" -eq 0 ] || { echo "$failures of the entry-script cases failed"; exit 1; }
