#!/usr/bin/env bash
# Builds the Windows release from this checkout: dist/orvgen-VERSION-win64.zip (orvgen.exe,
# orvgen-cli.exe, README.txt, LICENSE.txt) and dist/SHA256SUMS over the zip and each file
# in it. VERSION is the project version in CMakeLists.txt.
#
# The build starts from nothing in build/release, and one commit gives the same bytes
# wherever and whenever it is built (on the same Debian release with the same toolchain
# packages): anyone can rebuild a release and compare its SHA256SUMS. The zip's file
# times are the commit's time (SOURCE_DATE_EPOCH, taken from git unless already set).
#
# ORVGEN_RELEASE_BUILD=DIR builds in DIR instead of build/release.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  if ! SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null); then
    echo "release.sh: not a git checkout; set SOURCE_DATE_EPOCH to the commit's time" >&2
    exit 2
  fi
  if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
    echo "release.sh: warning: files differ from the commit; this build is not that commit's release" >&2
  fi
fi
export SOURCE_DATE_EPOCH

build=${ORVGEN_RELEASE_BUILD:-$root/build/release}
rm -rf "$build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target orvgen orvgen-cli

rm -rf dist
python3 scripts/make_release.py "$build" dist >/dev/null
cat dist/SHA256SUMS
