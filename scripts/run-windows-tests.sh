#!/usr/bin/env bash
# Builds the windows-x86 preset (32-bit DLLs, mingw-w64) and runs its tests under Wine,
# headless, then checks that the DLLs' curve outputs match the native build's bit for bit.
# Usage: scripts/run-windows-tests.sh [native build folder, default build/default]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --windows

build=build/windows-x86
native=${1:-build/default}

cmake --preset windows-x86
cmake --build --preset windows-x86

# One Wine prefix inside the build folder, no debug chatter, no Mono or Gecko installers.
export WINEPREFIX="$PWD/$build/wine-prefix"
export WINEDEBUG=-all
export WINEARCH=win32
mkdir -p "$WINEPREFIX"

# The server is started detached from every pipe of ours: a wineserver that inherits ctest's
# output pipe keeps ctest waiting for it. -p keeps it up between the test programs.
stop_wineserver() { wineserver -k >/dev/null 2>&1 || true; }
trap stop_wineserver EXIT
# It forks into the background once it accepts connections, so the prefix set-up after it
# finds it running.
setsid wineserver -p </dev/null >/dev/null 2>&1
WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init </dev/null >/dev/null 2>&1

ctest --preset windows-x86

# The same inputs through the native libraries and through the DLLs: the digests must agree.
if [[ ! -f "$native/CMakeCache.txt" ]]; then
    cmake --preset default -B "$native"
fi
cmake --build "$native" --target curve_bits_tests -j2
digests() { grep '^curve digest' | tr -d '\r'; }
native_digests=$("$native/tests/windows/curve_bits_tests" | digests)
windows_digests=$(wine "$build/tests/windows/curve_bits_tests.exe" </dev/null | digests)
echo "native:  ${native_digests//$'\n'/$'\n'         }"
echo "windows: ${windows_digests//$'\n'/$'\n'         }"
if [[ -z $native_digests || $native_digests != "$windows_digests" ]]; then
    echo "the DLLs' curve outputs differ from the native build's" >&2
    exit 1
fi
