#!/usr/bin/env bash
# The whole test suite on a fresh Debian 12 machine: installs what it needs,
# checks the formatting, builds natively under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test there, then builds stubra.exe
# and runs the unit tests, the end-to-end table and the signing test against
# it under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-debian.sh

echo "== formatting"
git ls-files '*.cpp' '*.hpp' | xargs clang-format --dry-run --Werror

echo "== native build and tests"
cmake --preset debug >/dev/null
cmake --build --preset debug
ctest --preset debug

scripts/test-windows.sh build/debug
