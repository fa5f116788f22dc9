#!/usr/bin/env bash
# Creates a Wine prefix for the tests: null graphics driver, no crash dialog.
# Usage: wineprefix.sh RUNNER PREFIX   (RUNNER is the tree's wine-run script)
# When Wine cannot make it, says which step failed and shows Wine's last lines.
set -euo pipefail
runner=$1 prefix=$2
rm -rf "$prefix"
mkdir -p "$prefix"
export WINEPREFIX=$prefix
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# step WHAT COMMAND...: runs a Wine command, its output kept for a failure.
step() {
    local what=$1
    shift
    if ! "$@" >>"$log" 2>&1; then
        echo "wineprefix.sh: Wine cannot $what in $prefix; Wine's last lines:" >&2
        tail -n 15 "$log" | sed 's/^/    /' >&2
        exit 1
    fi
}

step "create the prefix" "$runner" wineboot --init
step "set the null graphics driver" "$runner" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
step "turn the crash dialog off" "$runner" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
touch "$prefix/.ready"
