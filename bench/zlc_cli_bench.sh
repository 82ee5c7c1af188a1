#!/usr/bin/env bash
# The zlc tool on one large cached file beside its peers: wall time (median of three runs), the
# ratio to each peer, and peak resident memory (the largest of the three runs).
#   bench/zlc_cli_bench.sh BUILD_DIR [MIB]      (default 1024 MiB)
# BUILD_DIR holds cli/zlc and, when the benchmarks are built, bench/bench_cipher, whose ARIA-128-CTR
# Update throughput is the library figure the enc command is held against.
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR [MIB]}" && pwd)
mib=${2:-1024}
zlc=$build/cli/zlc
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data=$work/data
head -c $((mib << 20)) /dev/urandom > "$data"
cat "$data" > /dev/null

# measure LABEL COMMAND...: prints the line and leaves the median in $median (seconds).
measure() {
    local label=$1 times=() peak=0 t m
    shift
    for _ in 1 2 3; do
        /usr/bin/time -f "%e %M" -o "$work/time" "$@" > /dev/null
        read -r t m < "$work/time"
        times+=("$t")
        (( m > peak )) && peak=$m
    done
    median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 2p)
    awk -v label="$label" -v t="$median" -v mib="$mib" -v kib="$peak" \
        'BEGIN { printf "%-28s %7.2f s  %8.1f MiB/s  peak RSS %6.1f MiB\n", label, t, mib / t, kib / 1024 }'
}

key=000102030405060708090a0b0c0d0e0f
iv=0f0e0d0c0b0a09080706050403020100
echo "zlc on a ${mib} MiB cached file, $(date -u +%Y-%m-%d)"
measure "zlc dgst" "$zlc" dgst "$data"; zlc_dgst=$median
measure "openssl dgst -sha256" openssl dgst -sha256 "$data"; openssl_dgst=$median
measure "sha256sum" sha256sum "$data"; sha256sum=$median
measure "zlc enc -c aria-128-ctr" "$zlc" enc -c aria-128-ctr -K $key -iv $iv -in "$data"; zlc_enc=$median
measure "openssl enc -aria-128-ctr" openssl enc -aria-128-ctr -K $key -iv $iv -in "$data"
awk -v z="$zlc_dgst" -v o="$openssl_dgst" -v s="$sha256sum" \
    'BEGIN { printf "zlc dgst / openssl dgst: %.3f\nzlc dgst / sha256sum:    %.3f\n", z / o, z / s }'

bench=$build/bench/bench_cipher
if [ -x "$bench" ]; then
    library=$("$bench" --benchmark_filter='^ZlcUpdate/aria128_ctr$' --benchmark_repetitions=3 \
                  --benchmark_report_aggregates_only=true --benchmark_format=json |
              python3 -c 'import json,sys; print(next(b["bytes_per_second"] for b in json.load(sys.stdin)["benchmarks"] if b["aggregate_name"] == "median"))')
    awk -v rate="$library" -v t="$zlc_enc" -v mib="$mib" 'BEGIN {
        printf "library ARIA-128-CTR Update: %.1f MiB/s; zlc enc time / library time: %.3f\n",
               rate / 1048576, t / (mib * 1048576 / rate) }'
fi
