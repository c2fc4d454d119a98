#!/usr/bin/env bash
# Builds and runs every test in every preset, installing whatever the machine lacks first.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --windows

for preset in default m32 asan; do
    echo "=== preset ${preset} ==="
    cmake --workflow --preset "${preset}"
done

# Every fuzzer for a bounded time (60 s each) under the sanitizers; fails on any finding.
echo "=== fuzzers ==="
scripts/run-fuzzers.sh

# The host's own platform: 32-bit Windows DLLs, tested under Wine, compared with build/default.
echo "=== preset windows-x86 ==="
scripts/run-windows-tests.sh build/default
