#!/usr/bin/env bash
# Instructions per sample of each curve kernel under valgrind's callgrind, counted inside the
# kernel functions only, over 1024-sample runs of random control. Stable where wall-clock time
# is noisy. valgrind reports no AVX-512 to the program, so the widest path measured is AVX2.
#
#   scripts/callgrind-curves.sh [build-dir]     (default build/bench, from the bench preset)
set -euo pipefail

build_dir=${1:-build/bench}
counter="$build_dir/bench/qn_curve_count"
if [[ ! -x $counter ]]; then
    echo "no $counter: cmake --preset bench && cmake --build --preset bench --target qn_curve_count" >&2
    exit 1
fi
command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 1; }

runs=200
samples=$((runs * 1024))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Instructions executed inside the named kernel (its callees included).
count() {
    local curve=$1 path=$2 function=$3
    if ! valgrind --tool=callgrind --callgrind-out-file="$work/out" \
        --toggle-collect="$function" "$counter" "$curve" "$path" "$runs" \
        >"$work/log" 2>&1; then
        return 1
    fi
    awk '/^(summary|totals):/ { print $2; exit }' "$work/out"
}

printf '%-5s %-14s %10s\n' curve path "Ir/sample"
for curve in 1bp 2bp 3bp; do
    for path in scalar sse2 avx2 avx512 stream_sse2 stream_avx2; do
        case $path in
            stream_*) function="*qnbench::stream*" ;;
            scalar) function="*qn::shapers::curveKernelScalar*" ;;
            *) function="*qn::shapers::$path::curveKernel*" ;;
        esac
        if instructions=$(count "$curve" "$path" "$function"); then
            awk -v c="$curve" -v p="$path" -v i="$instructions" -v n="$samples" \
                'BEGIN { printf "%-5s %-14s %10.2f\n", c, p, i / n }'
        else
            printf '%-5s %-14s %10s\n' "$curve" "$path" "n/a"
        fi
    done
done
