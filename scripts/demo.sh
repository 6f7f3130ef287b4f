#!/usr/bin/env bash
# The demo on a fresh Debian 12 machine: installs what it needs, builds the
# stub and the packer, packs a sample installer with two values into the stub
# and runs it, so you watch it extract into a fresh work folder, start the
# installer with the package's parameters, wait, hand back its exit code and
# remove the work folder.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-debian.sh
cmake --preset release >/dev/null
cmake --build --preset release --target stubra stubra-pack

build=build/release
demo=$(mktemp -d /tmp/stubra-demo-XXXXXX)
trap 'rm -rf "$demo"' EXIT
mkdir "$demo/temp"
printf 'Thank you for installing the demo.\r\n' >"$demo/readme.txt"

echo "== packing"
"$build/tools/pack/stubra-pack" build --stub "$build/bootstrap/stubra" --output "$demo/demo-setup" \
    --value 'executable32=setup.sh' \
    --value 'parameters=/quiet /V"INSTALLDIR=%source%"' \
    --file setup setup.sh scripts/demo/sample-installer.sh \
    --file readme readme.txt "$demo/readme.txt"
"$build/tools/pack/stubra-pack" list "$demo/demo-setup"

echo "== running: demo-setup /norestart /V\"LANG=en\" (temporary folder $demo/temp)"
status=0
TMPDIR="$demo/temp" "$demo/demo-setup" '/norestart /V"LANG=en"' || status=$?
echo "== the stub returned $status"
echo "== left in the temporary folder: $(ls -A "$demo/temp" | tr '\n' ' ')"

echo
echo "== the same with stubra.exe under Wine"
scripts/demo-windows.sh
