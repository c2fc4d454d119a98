#!/usr/bin/env bash
# Builds the fuzz preset, replays every checked-in corpus, then runs each fuzzer for a fixed
# time from its corpus under ASan + UBSan. Any crash, sanitizer report, leak, timeout or
# broken invariant fails the script; the input that caused it is left in
# build/fuzz/findings/ and belongs in fuzz/corpus/<fuzzer>/ as a regression case once fixed.
#
# Usage: scripts/run-fuzzers.sh [seconds per fuzzer, default 60]   (or QN_FUZZ_SECONDS)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-${QN_FUZZ_SECONDS:-60}}"
fuzzers=(enum_list_fuzzer host_session_fuzzer gui_fuzzer)

cmake --workflow --preset fuzz

bin=build/fuzz/fuzz
findings=build/fuzz/findings
mkdir -p "${findings}"
export ASAN_OPTIONS="detect_leaks=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"

status=0
summary=()
for fuzzer in "${fuzzers[@]}"; do
    # New inputs go to a scratch corpus, so a run never rewrites the checked-in one.
    work="build/fuzz/work/${fuzzer}"
    rm -rf "${work}"
    mkdir -p "${work}"
    log="${findings}/${fuzzer}.log"
    echo "=== ${fuzzer}: ${seconds} s ==="
    if "${bin}/${fuzzer}" -max_total_time="${seconds}" -timeout=10 -rss_limit_mb=2048 \
        -max_len=4096 -print_final_stats=1 -artifact_prefix="${findings}/${fuzzer}-" \
        "${work}" "fuzz/corpus/${fuzzer}" >"${log}" 2>&1; then
        result=ok
    else
        result=FAILED
        status=1
        grep -E "ERROR|invariant broken|SUMMARY|Test unit written" "${log}" || tail -n 20 "${log}"
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "${log}" | tail -n 1)
    summary+=("${fuzzer}: ${runs:-?} executions in ${seconds} s, ${result}")
done

echo "=== fuzzing summary ==="
printf '%s\n' "${summary[@]}"
exit "${status}"
