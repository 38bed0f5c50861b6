#!/usr/bin/env bash
# Runs every test: the native unit tests (plain and under ASan/UBSan), then the Windows
# build's in-process tests and end-to-end tests under Wine on a virtual screen.
# Then the clang build's in-process tests under Wine, the 32-bit build (compiled and
# linked only), and the release built twice in differently named folders, byte for byte.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

jobs=$(nproc)

echo "== native build and unit tests"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

echo "== native unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset native-asan >/dev/null
cmake --build --preset native-asan -j "$jobs"
ctest --preset native-asan -j "$jobs"

echo "== Windows build, tests under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
# shellcheck source=scripts/wine_env.sh
source scripts/wine_env.sh
wine_env_up "$PWD/build/windows/wine-tests"
trap wine_env_down EXIT
ctest --preset windows

echo "== Windows build with clang and lld, in-process tests under Wine"
# A fresh Wine environment: nothing the previous tests left behind reaches these.
wine_env_down
cmake --preset windows-clang >/dev/null
cmake --build --preset windows-clang -j "$jobs"
wine_env_up "$PWD/build/windows-clang/wine-tests"
ctest --preset windows-clang
wine_env_down

echo "== 32-bit Windows build (compiled and linked only: this machine runs no 32-bit Windows programs)"
cmake --preset windows-i686 >/dev/null
cmake --build --preset windows-i686 -j "$jobs"

echo "== reproducible release: built twice from copies in differently named folders, compared"
python3 tests/release/release_test.py
