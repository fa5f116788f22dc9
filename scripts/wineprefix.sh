#!/usr/bin/env bash
# Creates a Wine prefix for the tests: null graphics driver, no crash dialog.
# Usage: wineprefix.sh RUNNER PREFIX   (RUNNER is the tree's wine-run script)
set -euo pipefail
runner=$1 prefix=$2
rm -rf "$prefix"
mkdir -p "$prefix"
export WINEPREFIX=$prefix
"$runner" wineboot --init >/dev/null 2>&1
"$runner" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
"$runner" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
touch "$prefix/.ready"
