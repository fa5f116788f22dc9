#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine (run as root).
# Does nothing for what is already there, so it is cheap to call before every run.
set -euo pipefail

need=()
command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-i686 binutils-mingw-w64-i686)
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64)
# The product is built in Microsoft's C++ ABI by clang and linked by lld.
command -v clang++-16 >/dev/null || need+=(clang-16)
command -v ld.lld-16 >/dev/null || need+=(lld-16)
command -v llvm-objcopy-16 >/dev/null || need+=(llvm-16)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
[ -d /usr/src/googletest ] || need+=(googletest)
[ -x /usr/lib/wine/wine64 ] || need+=(wine wine64)
[ -x /usr/lib/wine/wine ] || need+=(wine32:i386)
command -v xvfb-run >/dev/null || need+=(xvfb xauth)
locale -a 2>/dev/null | grep -qi '^cs_CZ.utf8$' || need+=(locales)

if [ ${#need[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "setup: missing packages (${need[*]}); run this script as root" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${need[@]}"
fi

# Wine reports ANSI code page 1250 only when the Czech locale exists.
if ! locale -a 2>/dev/null | grep -qi '^cs_CZ.utf8$'; then
    sed -i 's/^# *\(cs_CZ.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^cs_CZ.UTF-8 UTF-8' /etc/locale.gen || echo 'cs_CZ.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi
