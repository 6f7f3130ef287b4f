#!/usr/bin/env bash
# The demo's Windows half (after scripts/setup-debian.sh): builds stubra.exe
# with mingw-w64 and the host packer, packs a sample installer and a readme
# into stubra.exe, and runs the packed stubra.exe under 32-bit Wine. The
# sample installer is the test suite's fake installer: it writes down the
# command line, working folder and neighbours it was started with, and ends
# with the exit code it is told, here 0x80000005, which the stub hands back
# whole. Then the bare stubra.exe, which carries no package, shows its
# "Invalid Archive!" message box; the Wine harness reads it off the dialog and
# presses OK, as a user would. Runs get a private Xvfb display unless DISPLAY
# is set.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset windows >/dev/null
cmake --build --preset windows --target stubra stubra-fake-installer stubra-wine-harness
cmake --preset release >/dev/null
cmake --build --preset release --target stubra-pack

root=$PWD
windows=$root/build/windows
pack=build/release/tools/pack/stubra-pack
prefix=$windows/wine/win32
demo=$(mktemp -d /tmp/stubra-demo-windows-XXXXXX)
trap 'rm -rf "$demo"' EXIT
mkdir "$demo/temp"
printf 'Thank you for installing the demo.\r\n' >"$demo/readme.txt"

# Wine's drive Z: is the host's root folder.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

run_under_wine() {
  (cd "$demo" && "$root/scripts/wine-run.sh" "$prefix" \
    "$windows/tests/wine_harness/stubra-wine-harness.exe" --temp "$(windows_path "$demo/temp")" "$@")
}

echo "== packing stubra.exe ($(stat -c %s "$windows/bootstrap/stubra.exe") bytes) into demo-setup.exe"
"$pack" build --stub "$windows/bootstrap/stubra.exe" --output "$demo/demo-setup.exe" \
    --value 'executable32=setup.exe' \
    --value 'executable64=setup.exe' \
    --value 'parameters=/quiet /V"INSTALLDIR=%source%"' \
    --file setup setup.exe "$windows/tests/fake_installer/stubra-fake-installer.exe" \
    --file readme readme.txt "$demo/readme.txt"
"$pack" list "$demo/demo-setup.exe"

echo "== running under Wine: demo-setup.exe /norestart /V\"LANG=en\" (TEMP=$(windows_path "$demo/temp"))"
STUBRA_FAKE_INSTALLER_REPORT=$(windows_path "$demo/installer-report.txt") \
STUBRA_FAKE_INSTALLER_EXIT_CODE=0x80000005 \
  run_under_wine "$(windows_path "$demo/demo-setup.exe")" '/norestart /V"LANG=en"'
echo "== the installer wrote:"
sed 's/^/    /' "$demo/installer-report.txt"
echo "== left in the temporary folder: $(ls -A "$demo/temp" | tr '\n' ' ')"

echo "== running under Wine: the bare stubra.exe, without a package"
cp "$windows/bootstrap/stubra.exe" "$demo/bare.exe"
run_under_wine "$(windows_path "$demo/bare.exe")"
