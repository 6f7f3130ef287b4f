#!/usr/bin/env bash
# The Windows half of the test suite: builds stubra.exe and the tests with
# mingw-w64 (preset "windows", build/windows), runs the unit tests under
# 32-bit Wine, then the end-to-end scenario table and the code-signing test
# against stubra.exe under Wine, 32-bit and 64-bit, on a private Xvfb display.
#
#   scripts/test-windows.sh [NATIVE_BUILD]
#
# The end-to-end test program and the packer are host programs from the
# native build NATIVE_BUILD (default build/debug, preset "debug"), built here
# if needed. Wine prefixes live in build/windows/wine and are made on first use.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
native=$(realpath -m "${1:-build/debug}")
windows=$root/build/windows
prefixes=$windows/wine

echo "== windows build"
cmake --preset windows >/dev/null
cmake --build --preset windows

if [ "$native" = "$root/build/debug" ]; then
  cmake --preset debug >/dev/null
fi
cmake --build "$native" --target stubra_e2e_test stubra-pack

xvfb_pid=
stop_wine_and_display() {
  local prefix
  for prefix in "$prefixes"/win32 "$prefixes"/win64; do
    [ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap stop_wine_and_display EXIT

# Made before the tests start, so that no test's time goes into it.
echo "== wine prefixes"
for arch in win32 win64; do
  if [ ! -f "$prefixes/$arch/.stubra-ready" ]; then
    start=$(date +%s%N)
    scripts/wine-run.sh --arch "$arch" --no-display "$prefixes/$arch" cmd /c exit
    echo "$arch prefix made in $((($(date +%s%N) - start) / 1000000)) ms"
  fi
done

# Where Wine itself differs from Windows, the tests keep Windows' behaviour
# and are left out here, each for the reason beside it.
wine_differs=(
  # Wine cuts a long module path without the terminating null, as Windows XP
  # did; Windows 7 and later end the cut text with one.
  '^module_file_name\.names_this_program_and_cuts_to_a_small_buffer$'
  # Wine run as root opens a read-only file for writing.
  '^create_file\.refuses_to_write_a_read_only_file$'
  # Wine's system message texts are its own ("Access denied.").
  '^codes_the_system_reports/system_message_text\.'
  '^system_error_text\.gives_the_system_text_without_its_line_end$'
)
echo "== unit tests under Wine"
# Both parts run whatever the other shows; the script fails if either does.
status=0
ctest --preset windows --exclude-regex "$(IFS='|'; echo "${wine_differs[*]}")" || status=1

echo "== end-to-end under Wine"
display_file=$(mktemp)
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
until [ -s "$display_file" ]; do
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
export DISPLAY=:$(cat "$display_file")
rm -f "$display_file"

# A stub that waits on a program which never ends would hold the suite for
# ever; twenty minutes is many times what the table takes.
STUBRA_E2E_TARGET=wine \
STUBRA_E2E_STUB=$windows/bootstrap/stubra.exe \
STUBRA_E2E_INSTALLER=$windows/tests/fake_installer/stubra-fake-installer.exe \
STUBRA_E2E_HARNESS=$windows/tests/wine_harness/stubra-wine-harness.exe \
STUBRA_E2E_PACK=$native/tools/pack/stubra-pack \
STUBRA_E2E_WINE_RUN=$root/scripts/wine-run.sh \
STUBRA_E2E_WINE_PREFIXES=$prefixes \
  timeout --kill-after=10 1200 "$native/tests/e2e/stubra_e2e_test" || status=1
exit $status
