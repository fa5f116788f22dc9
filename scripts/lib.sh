# Shared by the entry scripts: where the trees are and which one runs here.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TAVO_BUILD_DIR:-$root/build}

# Builds the i686 tree, the product; and the x86_64 tree, the same code,
# only where the i686 tree's programs cannot run here (or TAVO_BOTH_TREES=1
# asks), saying in one line why.
build_all() {
    "$root/scripts/setup.sh"
    build_tree i686
    if [ ! -x "$build/i686/wine-run" ]; then
        echo "The i686 tree's programs cannot run here ($(unavailable i686)): the x86_64 tree runs them" >&2
    fi
    if [ ! -x "$build/i686/wine-run" ] || [ "${TAVO_BOTH_TREES:-0}" = 1 ]; then
        build_tree x86_64 -DTAVO_MODULE_32="$build/i686/bin/TestTAVO02.test"
    fi
}

build_tree() {
    local arch=$1
    shift
    cmake -S "$root" -B "$build/$arch" -G Ninja \
          -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
          -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    cmake --build "$build/$arch" -j2
}

# Why a tree's programs cannot run here, as its configuration found.
unavailable() {
    cat "$build/$1/wine-unavailable" 2>/dev/null || echo "the tree is not built"
}

# The tree whose programs Wine can start here: the 32-bit one when it can.
# Fails, saying why, when neither can.
run_tree() {
    local arch
    for arch in i686 x86_64; do
        if [ -x "$build/$arch/wine-run" ]; then
            echo "$build/$arch"
            return
        fi
    done
    echo "No build tree can run its programs here: i686: $(unavailable i686); x86_64: $(unavailable x86_64)" >&2
    return 1
}

# Keeps one wineserver alive for a run of many short Wine processes. The first
# program started brings up Wine's own background services, which live as long
# as the server: start them here with no output attached, or a caller that
# reads a later program's output would wait for them forever. Wine's desktop
# process, though, closes a second after its last user has gone, and one that
# a later program starts again inherits that program's output, holding its
# reader (ctest) for that second: a program that stays (Notepad, windowless
# under the null driver) keeps the desktop up for the whole run.
# The prefix is the tree's own, or TAVO_WINEPREFIX when set.
start_wineserver() {
    wineserver_program=/usr/lib/wine/wineserver64
    [ -x "$wineserver_program" ] || wineserver_program=wineserver
    wineserver_prefix=${TAVO_WINEPREFIX:-$1/wineprefix}
    WINEPREFIX="$wineserver_prefix" "$wineserver_program" -p 2>/dev/null || true  # one may run already
    trap stop_wineserver EXIT
    "$1/wine-run" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
    "$1/wine-run" notepad.exe </dev/null >/dev/null 2>&1 &
}

stop_wineserver() {
    WINEPREFIX="$wineserver_prefix" "$wineserver_program" -k 2>/dev/null || true
}

# A copy of the tree's prefix for long runs, so that a test run ending (and
# stopping its wineserver) does not stop them.
own_prefix() {
    local prefix=$1/wineprefix-$2
    if [ ! -f "$prefix/.ready" ]; then
        rm -rf "$prefix"
        cp -a "$1/wineprefix" "$prefix"
    fi
    echo "$prefix"
}

# A copy of the tree's prefix with Wine's x11 display driver in place of the
# null one, for pictures under Xvfb; Wine draws its own captions, unmanaged.
x11_prefix() {
    local tree=$1 prefix=$1/wineprefix-x11
    if [ ! -f "$prefix/.ready" ]; then
        rm -rf "$prefix"
        if ! cp -a "$tree/wineprefix" "$prefix"; then
            rm -rf "$prefix"
            echo "the x11 copy of the Wine prefix cannot be made in $tree (is the disk full?)" >&2
            return 1
        fi
        TAVO_WINEPREFIX=$prefix "$tree/wine-run" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f \
            >/dev/null 2>&1 || true
        TAVO_WINEPREFIX=$prefix "$tree/wine-run" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f \
            >/dev/null 2>&1
        TAVO_WINEPREFIX=$prefix "$tree/wine-run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
            >/dev/null 2>&1
        WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
        touch "$prefix/.ready"
    fi
    echo "$prefix"
}
