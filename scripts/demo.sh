#!/usr/bin/env bash
# Builds everything in the default preset and runs the command-line host's demo.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
if [[ -x build/default/host/cli/qnhost ]]; then
    build/default/host/cli/qnhost demo "$@"
else
    ctest --preset default
fi
