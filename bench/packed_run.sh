#!/usr/bin/env bash
# A packed stub carrying a 256 MiB payload, run to its end (scan, verify,
# extract, start a trivial installer, remove the work folder), against the
# baseline of `md5sum` followed by `cp` of the same payload file. Prints the
# median of several runs of each and their ratio.
#
#   bench/packed_run.sh [BUILD_FOLDER] [RUNS]      (default build/release, 5)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/release}
runs=${2:-5}
work=$(mktemp -d /tmp/stubra-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/temp"

head -c $((256 * 1024 * 1024)) /dev/urandom >"$work/payload.bin"
printf '#!/bin/sh\nexit 0\n' >"$work/setup.sh"
"$build/tools/pack/stubra-pack" build --stub "$build/bootstrap/stubra" --output "$work/packed" \
    --value executable32=setup.sh \
    --file "" setup.sh "$work/setup.sh" \
    --file payload payload.bin "$work/payload.bin" >/dev/null

# Seconds of one run of the command given, as a decimal.
seconds_of() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    echo "scale=4; ($end - $start) / 1000000000" | bc
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

packed_run() { TMPDIR="$work/temp" "$work/packed"; }
baseline() { md5sum "$work/payload.bin" && cp "$work/payload.bin" "$work/temp/copy.bin" && rm "$work/temp/copy.bin"; }

stub_times=$(for _ in $(seq "$runs"); do seconds_of packed_run; done | median)
base_times=$(for _ in $(seq "$runs"); do seconds_of baseline; done | median)

printf '%-34s %10s\n' "median of $runs runs" seconds
printf '%-34s %10.3f\n' "packed stub, 256 MiB payload" "$stub_times"
printf '%-34s %10.3f\n' "md5sum + cp of the payload" "$base_times"
printf '%-34s %10.2f\n' "ratio stub / baseline" "$(echo "scale=4; $stub_times / $base_times" | bc)"
