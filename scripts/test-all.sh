#!/usr/bin/env bash
# Builds and runs every test in every preset, installing whatever the machine lacks first.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

for preset in default m32 asan; do
    echo "=== preset ${preset} ==="
    cmake --workflow --preset "${preset}"
done
