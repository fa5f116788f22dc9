#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine (run as root).
# Does nothing for what is already there, so it is cheap to call before every run.
#
# A package mirror caught in the middle of a sync does not stop it: the index
# update is tried twice and then left for the install to judge, and a failed
# install is tried again after another update. The build's packages must all
# be there; the 32-bit Wine runtime, which only the i686 tree's tests need,
# may be left out with one line saying why, and the scripts then run the
# tests in the x86_64 tree.
#
# TAVO_RUNTIME_32=no leaves the 32-bit runtime out; =yes installs it without
# first asking the kernel whether it starts 32-bit programs.
set -euo pipefail

# What the build and the x86_64 tree's tests need.
build_packages=(
    g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
    clang-16 lld-16 llvm-16      # the product, in Microsoft's C++ ABI
    libclang-rt-16-dev           # libFuzzer and the sanitizers, for the readers' fuzzers
    cmake ninja-build googletest
    wine wine64 xvfb xauth
)
runtime_32=wine32:i386
locale_name=cs_CZ.UTF-8
# Where locale-gen reads which locales to make (a test points it elsewhere).
locale_list=${TAVO_LOCALE_GEN_LIST:-/etc/locale.gen}

say() { echo "setup: $*" >&2; }

installed() {
    dpkg -s "$1" 2>/dev/null | grep -q '^Status: install ok installed'
}

# Wine reports ANSI code page 1250 only when the Czech locale exists.
has_locale() {
    locale -a 2>/dev/null | grep -qi '^cs_CZ\.utf-\?8$'
}

# Runs a 94-byte 32-bit x86 Linux program that exits with 7: a kernel built
# without 32-bit support refuses it (and so would refuse 32-bit Wine).
kernel_runs_32bit() {
    local probe status=0 elf
    elf='\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08\x34\0\0\0'
    elf+='\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\0\0'    # ELF header: one program header
    elf+='\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08\x5e\0\0\0\x5e\0\0\0\x05\0\0\0\0\x10\0\0'
    elf+='\xbb\x07\0\0\0\xb8\x01\0\0\0\xcd\x80'                      # exit(7)
    probe=$(mktemp) || return 1
    printf "$elf" >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    [ "$status" -eq 7 ]
}

# apt's own reason for the last failure: its last error line.
apt_reason() {
    grep '^E: ' "$apt_errors" | tail -n 1 | cut -c4- || true
}

# Says once when the index stays incomplete.
index_said=false
update_index() {
    apt-get update -q 2>"$apt_errors" >/dev/null && return
    apt-get update -q 2>"$apt_errors" >/dev/null && return
    $index_said || say "the package index is not fully up to date ($(apt_reason)); going on with what apt has"
    index_said=true
}

# apt's progress from its status lines on descriptor 3 ("dlstatus:N:PERCENT:
# TEXT" while it downloads, "pmstatus:PACKAGE:PERCENT:TEXT" while it unpacks
# and sets up): a line at each tenth of each phase, and nothing of its noise.
show_progress() {
    local kind item percent text phase="" next=0
    while IFS=: read -r kind item percent text; do
        case $kind in
            dlstatus) [ "$phase" = downloading ] || { phase=downloading next=0; } ;;
            pmstatus) [ "$phase" = installing ] || { phase=installing next=0; } ;;
            *) continue ;;
        esac
        percent=${percent%%.*}
        [ "${percent:-0}" -ge "$next" ] 2>/dev/null || continue
        say "  $phase: $percent% ($text)"
        next=$(( (percent / 10 + 1) * 10 ))
    done
}

# apt-get install with its progress shown; its status is apt's (pipefail).
apt_install() {
    apt-get install -y -q -o APT::Status-Fd=3 --no-install-recommends "$@" 3>&1 >/dev/null 2>"$apt_errors" |
        show_progress
}

# install PACKAGE...: tried again once after another update.
install() {
    say "installing $*"
    apt_install "$@" && return
    update_index
    apt_install "$@"
}

missing=()
for package in "${build_packages[@]}"; do
    installed "$package" || missing+=("$package")
done
make_locale=false
if ! has_locale; then
    make_locale=true
    installed locales || missing+=(locales)
fi
want_32=false
if [ "${TAVO_RUNTIME_32:-}" != no ] && ! installed "$runtime_32"; then
    if [ "${TAVO_RUNTIME_32:-}" = yes ] || kernel_runs_32bit; then
        want_32=true
    else
        say "the kernel cannot start 32-bit programs: $runtime_32 left out, the tests run in the x86_64 tree"
    fi
fi

# Only root installs packages and generates locales: anyone else is told what
# it would do.
if { [ ${#missing[@]} -gt 0 ] || $want_32 || $make_locale; } && [ "$(id -u)" -ne 0 ]; then
    packages=("${missing[@]}")
    ! $want_32 || packages+=("$runtime_32")
    todo=${packages[*]:+install ${packages[*]}}
    if $make_locale; then
        todo+="${todo:+ and }generate the locale $locale_name, without which Wine does not report the Czech code page"
    fi
    say "run this script as root: it would $todo"
    exit 1
fi

if [ ${#missing[@]} -gt 0 ] || $want_32; then
    export DEBIAN_FRONTEND=noninteractive
    apt_errors=$(mktemp)
    trap 'rm -f "$apt_errors"' EXIT
    if $want_32 && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    update_index
    if [ ${#missing[@]} -gt 0 ] && ! install "${missing[@]}"; then
        say "the build needs ${missing[*]}, which apt cannot install: $(apt_reason)"
        exit 1
    fi
    if $want_32 && ! install "$runtime_32"; then
        say "$runtime_32 cannot be installed ($(apt_reason)): the tests run in the x86_64 tree"
    fi
fi

if $make_locale; then
    sed -i "s/^# *\($locale_name UTF-8\)/\1/" "$locale_list" 2>/dev/null || true
    grep -q "^$locale_name UTF-8" "$locale_list" 2>/dev/null || echo "$locale_name UTF-8" >>"$locale_list"
    locale-gen >/dev/null
fi
