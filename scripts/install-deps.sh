#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, if any is missing.
# Usage: scripts/install-deps.sh [--windows] [extra package ...]
#   --windows  also the 32-bit Windows cross toolchain and Wine (windows-x86 preset)
set -euo pipefail

packages=(cmake make g++ g++-multilib googletest libgtest-dev libgmock-dev
          libbenchmark-dev libcli11-dev libsndfile1-dev clang libclang-rt-14-dev valgrind
          python3)

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi

# The i686 mingw-w64 compilers, and Wine to run what they build. wine32 comes from the i386
# architecture, which dpkg must know before apt-get update can list it.
add_windows_toolchain() {
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        echo "adding the i386 architecture"
        "${sudo_cmd[@]}" dpkg --add-architecture i386
    fi
    packages+=(g++-mingw-w64-i686 wine wine32:i386)
}

for argument in "$@"; do
    if [[ $argument == --windows ]]; then
        add_windows_toolchain
    else
        packages+=("$argument")
    fi
done

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    echo "installing: ${missing[*]}"
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq \
        --no-install-recommends "${missing[@]}"
fi
