#!/usr/bin/env python3
"""The release, built twice from two copies of this checkout in differently named
folders, one after the other, must come out byte for byte the same: the zip,
SHA256SUMS, orvgen.exe, orvgen-cli.exe and the native orvgen-cli. The first build's
zip is then checked for what a Windows user gets: the four files, fixed times, text
with Windows line ends, checksums that match and the project's version throughout.

    python3 tests/release/release_test.py [--keep]

--keep leaves the two copies in place for a look. Exit status 0 when all holds, 1 with
the first differing file named when not.
"""

import argparse
import datetime
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# What a release build leaves, relative to the copy: compared between the two builds.
PRODUCTS = [
    "build/release/src/shell/orvgen.exe",
    "build/release/src/cli/orvgen-cli.exe",
    "build/native/src/cli/orvgen-cli",
    "dist/SHA256SUMS",
]
ZIP_NAMES = ["orvgen.exe", "orvgen-cli.exe", "README.txt", "LICENSE.txt"]

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print(f"FAILED: {message}")


def checkout_files():
    listed = subprocess.run(
        ["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
        cwd=ROOT, check=True, capture_output=True,
    ).stdout.decode().split("\0")
    return [f for f in listed if f and os.path.isfile(os.path.join(ROOT, f))]


def copy_checkout(files, target):
    for f in files:
        os.makedirs(os.path.dirname(os.path.join(target, f)), exist_ok=True)
        shutil.copy2(os.path.join(ROOT, f), os.path.join(target, f))
    # The zlib source the setup script fetched: not in git, but part of what is built.
    shutil.copytree(os.path.join(ROOT, "third_party", "zlib-src"), os.path.join(target, "third_party", "zlib-src"))


def build(copy, epoch):
    log = copy + ".log"
    env = dict(os.environ, SOURCE_DATE_EPOCH=str(epoch))
    jobs = str(os.cpu_count() or 1)
    for args in (
        ["bash", "scripts/release.sh"],
        ["cmake", "--preset", "native"],
        ["cmake", "--build", "--preset", "native", "--parallel", jobs, "--target", "orvgen-cli"],
    ):
        with open(log, "ab") as out:
            result = subprocess.run(args, cwd=copy, stdout=out, stderr=subprocess.STDOUT, env=env)
        if result.returncode != 0:
            with open(log, encoding="utf-8", errors="replace") as f:
                sys.stdout.write(f.read()[-4000:])
            sys.exit(f"release_test: {' '.join(args)} failed in {copy} (log: {log})")


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def first_differences(a, b, count=5):
    with open(a, "rb") as f:
        x = f.read()
    with open(b, "rb") as f:
        y = f.read()
    offsets = [i for i in range(min(len(x), len(y))) if x[i] != y[i]]
    sizes = "" if len(x) == len(y) else f", sizes {len(x)} and {len(y)}"
    shown = ", ".join(f"0x{i:x}" for i in offsets[:count])
    return f"{len(offsets)} differing bytes{sizes}; first at {shown or '-'}"


def compare(first, second, products):
    """Prints both builds' hashes; returns the first differing product, or None."""
    differing = None
    for product in products:
        a, b = sha256(os.path.join(first, product)), sha256(os.path.join(second, product))
        same = "same" if a == b else "DIFFERENT"
        print(f"  {same:9} {a}  {b}  {product}")
        if a != b and differing is None:
            differing = product
    return differing


def check_zip(copy, epoch):
    version = cache_value(os.path.join(copy, "build/release/CMakeCache.txt"), "CMAKE_PROJECT_VERSION")
    major_minor = ".".join(version.split(".")[:2])
    zip_path = os.path.join(copy, "dist", f"orvgen-{version}-win64.zip")
    check(os.path.isfile(zip_path), f"the zip is named after the project version {version}")
    if not os.path.isfile(zip_path):
        return

    when = datetime.datetime.fromtimestamp(epoch, tz=datetime.timezone.utc)
    expected_time = (when.year, when.month, when.day, when.hour, when.minute, when.second - when.second % 2)
    with zipfile.ZipFile(zip_path) as z:
        infos = z.infolist()
        check([i.filename for i in infos] == ZIP_NAMES, f"the zip holds {ZIP_NAMES} in that order, got {[i.filename for i in infos]}")
        for info in infos:
            check(info.date_time == expected_time, f"{info.filename} carries the commit's time {expected_time}, got {info.date_time}")
            mode = info.external_attr >> 16
            check(mode in (0o100644, 0o100755), f"{info.filename} has fixed permissions, got {oct(mode)}")
        contents = {i.filename: z.read(i) for i in infos}

    for name in ("README.txt", "LICENSE.txt"):
        text = contents.get(name, b"")
        check(text.count(b"\n") > 10 and text.count(b"\n") == text.count(b"\r\n"), f"{name} has Windows line ends throughout")
        check(text.endswith(b"\r\n"), f"{name} ends with a line end")
    readme = contents.get("README.txt", b"").decode("utf-8-sig", errors="replace")
    for mark in ("**", "`", "<!--", "](", "\n#"):
        check(mark not in readme, f"README.txt is plain text, without the Markdown mark {mark!r}")
    for heading in ("Download and check", "Keep the icon in sight", "Start it at logon", "How strong the passwords are"):
        check(heading in readme, f"README.txt has the part {heading!r}")
    check(f"Orvanta Password Generator {version}" in readme, "README.txt names the version")
    license_text = contents.get("LICENSE.txt", b"").decode("utf-8-sig", errors="replace")
    for needle in ("MIT License", "Copyright (c) 2026 Orvanta", "Jean-loup Gailly and Mark Adler",
                   "the mingw-w64 project", "winpthreads", "GCC RUNTIME LIBRARY EXCEPTION"):
        check(needle in license_text, f"LICENSE.txt holds {needle!r}")

    # SHA256SUMS: the zip and each file in it, in sha256sum's format.
    with open(os.path.join(copy, "dist", "SHA256SUMS"), encoding="utf-8") as f:
        sums = [line.rstrip("\n").split("  ", 1) for line in f]
    listed = {name: digest for digest, name in sums}
    check([name for _, name in sums] == [os.path.basename(zip_path)] + ZIP_NAMES, "SHA256SUMS lists the zip, then each file in it")
    check(listed.get(os.path.basename(zip_path)) == sha256(zip_path), "SHA256SUMS holds the zip's checksum")
    for name, data in contents.items():
        check(listed.get(name) == hashlib.sha256(data).hexdigest(), f"SHA256SUMS holds the checksum of {name}")
    verified = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=os.path.join(copy, "dist"), capture_output=True)
    check(verified.returncode == 0, f"sha256sum -c passes in dist: {verified.stdout.decode()}{verified.stderr.decode()}")

    # The version as Windows shows it: the version block, the manifest and the main
    # window's label, all from the one project version.
    exe = os.path.join(copy, "build/release/src/shell/orvgen.exe")
    rc = subprocess.run(["x86_64-w64-mingw32-windres", "-i", exe, "-O", "rc"], capture_output=True, text=True).stdout
    parts = (version.split(".") + ["0"] * 4)[:4]  # Windows versions have four numbers
    numbers = ", ".join(parts)
    check(f"FILEVERSION {numbers}" in rc and f"PRODUCTVERSION {numbers}" in rc, f"the version block says {numbers}")
    check(f'VALUE "FileVersion", "{version}"' in rc, f"the version block's FileVersion is {version}")
    four = ".".join(parts)
    check(re.search(rf'name=""Orvanta\.PasswordGenerator"" version=""{re.escape(four)}"" processorArchitecture=""amd64""', rc) is not None,
          f"the manifest names version {four} and the amd64 processor")
    label = f"Version {major_minor} (Build {version})".encode("utf-16-le")
    with open(exe, "rb") as f:
        check(label in f.read(), "orvgen.exe carries the version label of the project version")


def cache_value(cache, name):
    with open(cache, encoding="utf-8") as f:
        for line in f:
            key, sep, value = line.rstrip("\n").partition("=")
            if sep and key.split(":")[0] == name:
                return value
    sys.exit(f"release_test: {name} is not in {cache}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--keep", action="store_true", help="keep the two copies")
    args = parser.parse_args()

    started = time.monotonic()
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH") or subprocess.run(
        ["git", "log", "-1", "--format=%ct"], cwd=ROOT, check=True, capture_output=True, text=True).stdout)
    files = checkout_files()
    tmp = tempfile.mkdtemp(prefix="orvgen-release-test-")
    # Two names of different length, so that no path can hide in a fixed-size field.
    first = os.path.join(tmp, "one")
    second = os.path.join(tmp, "second-copy-of-the-checkout")
    try:
        for copy in (first, second):
            copy_checkout(files, copy)
            build(copy, epoch)
            print(f"built the release in {copy} ({time.monotonic() - started:.0f} s so far)")

        zip_name = next(n for n in os.listdir(os.path.join(first, "dist")) if n.endswith(".zip"))
        print("SHA-256 of the first and the second build:")
        # The programs first: when one differs, the zip and SHA256SUMS differ through it.
        differing = compare(first, second, PRODUCTS[:3] + [f"dist/{zip_name}"] + PRODUCTS[3:])
        if differing:
            failures.append(f"{differing} differs between the builds: "
                            f"{first_differences(os.path.join(first, differing), os.path.join(second, differing))}")
            print(f"FAILED: {failures[-1]}")
        check_zip(first, epoch)
    finally:
        if args.keep:
            print(f"kept {tmp}")
        else:
            shutil.rmtree(tmp, ignore_errors=True)

    print(f"release test: {time.monotonic() - started:.0f} s, {'failed' if failures else 'passed'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
