#!/usr/bin/env bash
# Fuzzes the PNG reader with libFuzzer (ASan and UBSan on) for a fixed time, starting
# from the logo and a few small generated PNGs, then prints how many inputs it ran.
# Exits non-zero when the fuzzer finds a crash, a leak or undefined behaviour; the
# input that caused it is kept in the build folder.
#
#   bench/fuzz_png.sh               # 60 seconds, build folder build/png-fuzz
#   ORVGEN_FUZZ_SECONDS=600 ORVGEN_FUZZ_BUILD_DIR=/tmp/f bench/fuzz_png.sh
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVGEN_FUZZ_BUILD_DIR:-$root/build/png-fuzz}"
seconds="${ORVGEN_FUZZ_SECONDS:-60}"

cmake -S "$root" --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j2 --target orvgen_png_fuzzer

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
corpus="$work/corpus"
mkdir -p "$corpus"
cp "$root/resources/logo.png" "$corpus/logo.png"

# Small seeds that reach every part of the reader: both colour types, every filter
# type, stored (uncompressed) deflate blocks whose bytes the fuzzer can change one by
# one, image data split over several IDAT chunks, and ancillary chunks to skip.
python3 - "$corpus" <<'PY'
import os, struct, sys, zlib

out = sys.argv[1]

def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

def png(width, height, colour, filters, level, split=1, extra=()):
    channels = 4 if colour == 6 else 3
    raw = bytearray()
    for y in range(height):
        raw.append(filters[y % len(filters)])
        raw += bytes((x * 37 + y * 91 + c * 53) & 0xFF for x in range(width) for c in range(channels))
    data = zlib.compress(bytes(raw), level)
    step = max(1, -(-len(data) // split))
    parts = [data[i:i + step] for i in range(0, len(data), step)]
    header = struct.pack(">IIBBBBB", width, height, 8, colour, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + b"".join(chunk(k, d) for k, d in extra)
            + b"".join(chunk(b"IDAT", p) for p in parts) + chunk(b"IEND", b""))

seeds = {
    "rgba_filters.png": png(5, 5, 6, [0, 1, 2, 3, 4], 9),
    "rgb_filters.png": png(4, 5, 2, [4, 3, 2, 1, 0], 9),
    "rgba_stored.png": png(3, 5, 6, [0, 1, 2, 3, 4], 0),
    "rgb_stored.png": png(2, 3, 2, [1, 3, 4], 0),
    "split_idat.png": png(6, 4, 6, [2, 4], 6, split=4, extra=[(b"tEXt", b"Title\0seed"), (b"gAMA", b"\0\0\xb1\x8f")]),
    "one_pixel.png": png(1, 1, 2, [0], 9),
}
for name, data in seeds.items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
PY

cat > "$work/png.dict" <<'DICT'
"\x89PNG\x0d\x0a\x1a\x0a"
"IHDR"
"IDAT"
"IEND"
"PLTE"
"tEXt"
"\x00\x00\x00\x00IEND\xaeB`\x82"
"\x08\x06\x00\x00\x00"
"\x08\x02\x00\x00\x00"
DICT

artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
log="$build/fuzz_png.log"

set +e
"$build/src/png/orvgen_png_fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
  -dict="$work/png.dict" -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1
status=$?
set -e

tail -n 15 "$log"
executions="$(awk '/stat::number_of_executed_units/ {print $2}' "$log" | tail -n 1)"
echo "executions: ${executions:-unknown} in ${seconds} s"
if [ "$status" -ne 0 ]; then
  echo "the fuzzer stopped with status $status: see $log and the input kept in $artifacts" >&2
  exit "$status"
fi
echo "no crash"
