#!/usr/bin/env bash
# Installs what the build, the tests and the Wine harness need on a Debian machine.
# Idempotent: packages already present are skipped, the zlib source is fetched once.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build g++ clang lld libclang-rt-14-dev clang-format
  libgtest-dev googletest libbenchmark-dev zlib1g-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64 xvfb xdotool fonts-wine imagemagick
  dpkg-dev python3 git
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

sudo_() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# Source packages: a copy of the machine's own apt source file, with deb turned into deb-src.
src_list=/etc/apt/sources.list.d/orvgen-deb-src.sources
need_update=0
if [ ! -f "$src_list" ]; then
  base=$(ls /etc/apt/sources.list.d/*.sources 2>/dev/null | grep -v orvgen-deb-src | head -n1 || true)
  if [ -n "$base" ]; then
    sed -e 's/^Types: deb$/Types: deb-src/' "$base" | sudo_ tee "$src_list" >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed -e 's/^deb /deb-src /' | sudo_ tee /etc/apt/sources.list.d/orvgen-deb-src.list >/dev/null
    src_list=/etc/apt/sources.list.d/orvgen-deb-src.list
  fi
  need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ "$need_update" -eq 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  sudo_ apt-get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
  sudo_ apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# zlib for the Windows target: Debian's own zlib source, built later by CMake with the cross toolchain.
zdir=third_party/zlib-src
if [ ! -f "$zdir/zlib.h" ]; then
  tmp=$(mktemp -d)
  # Newest version first; an archive that lists a version it cannot serve is skipped.
  for v in $(apt-cache showsrc zlib | sed -n 's/^Version: //p' | sort -u -r -V); do
    (cd "$tmp" && apt-get source -q --download-only "zlib=$v" >/dev/null 2>&1) && break
    rm -f "$tmp"/zlib_*
  done
  (cd "$tmp" && dpkg-source -x --no-check ./zlib_*.dsc zlib >/dev/null)
  rm -rf "$zdir"; mkdir -p third_party
  mv "$tmp/zlib" "$zdir"
  rm -rf "$tmp"
fi
