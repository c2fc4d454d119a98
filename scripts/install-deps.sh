#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, if any is missing.
# Usage: scripts/install-deps.sh [extra package ...]
set -euo pipefail

packages=(cmake make g++ g++-multilib googletest libgtest-dev libgmock-dev
          libbenchmark-dev libcli11-dev libsndfile1-dev clang libclang-rt-14-dev "$@")

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    echo "installing: ${missing[*]}"
    sudo_cmd=()
    if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq \
        --no-install-recommends "${missing[@]}"
fi
