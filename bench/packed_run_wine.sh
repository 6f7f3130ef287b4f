#!/usr/bin/env bash
# stubra.exe carrying a 256 MiB payload, run to its end under 32-bit Wine
# (scan, verify, extract, start the fake installer, wait, remove the work
# folder), timed from the start of Wine to the harness's report, against the
# same stub carrying the fake installer alone, which shows what Wine's own
# start costs. Prints the median of several runs of each.
#
#   bench/packed_run_wine.sh [NATIVE_BUILD] [RUNS]      (default build/release, 5)
#
# Needs the windows build (cmake --preset windows && cmake --build --preset
# windows) and stubra-pack in NATIVE_BUILD. The runs use the Wine prefix of
# the windows build, without a display: a successful run shows no dialog.
set -euo pipefail
cd "$(dirname "$0")/.."

native=${1:-build/release}
runs=${2:-5}
windows=$PWD/build/windows
prefix=$windows/wine/win32
work=$(mktemp -d /tmp/stubra-bench-wine-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/temp"

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

head -c $((256 * 1024 * 1024)) /dev/urandom >"$work/payload.bin"
pack() {
  "$native/tools/pack/stubra-pack" build --stub "$windows/bootstrap/stubra.exe" --output "$1" \
      --value executable32=setup.exe \
      --file "" setup.exe "$windows/tests/fake_installer/stubra-fake-installer.exe" "${@:2}" >/dev/null
}
pack "$work/with-payload.exe" --file payload payload.bin "$work/payload.bin"
pack "$work/installer-only.exe"

# Milliseconds of one run of the packed stub given; fails unless the stub
# returned the installer's exit code, 0.
milliseconds_of() {
  local start end report
  start=$(date +%s%N)
  report=$(scripts/wine-run.sh --no-display "$prefix" "$windows/tests/wine_harness/stubra-wine-harness.exe" \
      --temp "$(windows_path "$work/temp")" "$(windows_path "$1")")
  end=$(date +%s%N)
  [ "$report" = "exit code: 0x00000000" ] || { echo "unexpected run: $report" >&2; exit 1; }
  echo $(((end - start) / 1000000))
}

median() {
  sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# One run first, so that the prefix is made and Wine's server is up.
milliseconds_of "$work/installer-only.exe" >/dev/null

payload_ms=$(for _ in $(seq "$runs"); do milliseconds_of "$work/with-payload.exe"; done | median)
alone_ms=$(for _ in $(seq "$runs"); do milliseconds_of "$work/installer-only.exe"; done | median)

printf '%-44s %10s\n' "median of $runs runs under Wine" seconds
printf '%-44s %10.3f\n' "stubra.exe, 256 MiB payload" "$(awk "BEGIN { print $payload_ms / 1000 }")"
printf '%-44s %10.3f\n' "stubra.exe, fake installer alone" "$(awk "BEGIN { print $alone_ms / 1000 }")"
