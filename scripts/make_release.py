#!/usr/bin/env python3
"""Packs a Windows release from a finished build folder.

    make_release.py BUILD DIST

writes DIST/orvgen-VERSION-win64.zip with orvgen.exe, orvgen-cli.exe, README.txt and
LICENSE.txt, the same four files loose beside it, and DIST/SHA256SUMS over the zip and
each file in it, so that `sha256sum -c SHA256SUMS` checks everything in DIST. VERSION is
the project version CMake put in BUILD's cache.

Every byte follows from the inputs: the zip's entries come in a fixed order, carry the
time SOURCE_DATE_EPOCH names (the commit's time) and fixed permissions, so two builds of
one commit give the same zip.

README.txt is the part of README.md between its "windows-users" markers, as plain text;
LICENSE.txt is our LICENSE followed by the licenses of what the two programs carry
inside: zlib, the MinGW-w64 runtime and winpthreads, and GCC's runtime libraries, with
their texts taken from the installed Debian copyright files and the zlib source.
"""

import argparse
import datetime
import hashlib
import os
import re
import subprocess
import sys
import textwrap
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# The Debian packages whose copyright files cover the runtime pieces linked into the exes.
MINGW_PACKAGE = "mingw-w64-x86-64-dev"
GCC_PACKAGE = "gcc-mingw-w64-x86-64-posix"
GXX_PACKAGE = "g++-mingw-w64-x86-64-posix"

README_BEGIN = "<!-- windows-users: begin -->"
README_END = "<!-- windows-users: end -->"


class ReleaseError(Exception):
    pass


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def crlf(text):
    """Windows line ends, one final line end."""
    return text.rstrip("\n").replace("\r\n", "\n").replace("\n", "\r\n") + "\r\n"


def cache_value(build, name):
    for line in read(os.path.join(build, "CMakeCache.txt")).splitlines():
        key, sep, value = line.partition("=")
        if sep and key.split(":")[0] == name:
            return value
    raise ReleaseError(f"{name} is not in {build}/CMakeCache.txt")


# README.txt ------------------------------------------------------------------------


def inline_to_text(text):
    """Markdown's inline marks off; they may span lines."""
    text = re.sub(r"!\[([^]]*)\]\([^)]*\)", r"\1", text)
    text = re.sub(r"\[([^]]*)\]\(([^)]*)\)", r"\1 (\2)", text)
    text = re.sub(r"\*\*([^*]+)\*\*", r"\1", text)
    return re.sub(r"`([^`]+)`", r"\1", text)


def markdown_to_text(md):
    """The little Markdown the user part of README.md uses, as plain text."""
    out, prose = [], []

    def flush():
        if prose:
            out.append(inline_to_text("\n".join(prose)))
            prose.clear()

    in_code = False
    for line in md.splitlines():
        if line.startswith("```"):
            in_code = not in_code
        elif in_code or line.startswith("    ") and (not prose or not prose[-1].strip()):
            # A code block: indented by four after a blank line, or fenced.
            flush()
            out.append(line if line.startswith("    ") else "    " + line)
        elif re.match(r"^#+\s", line):
            flush()
            marks, title = line.split(None, 1)
            out.append(title + "\n" + ("=" if len(marks) <= 2 else "-") * len(title))
        elif line.strip() == "" and out and out[-1].startswith("    ") and not prose:
            out.append("")
        else:
            prose.append(line)
    flush()
    # No run of blank lines longer than one.
    return re.sub(r"\n{3,}", "\n\n", "\n".join(out)).strip("\n") + "\n"


def readme_txt(readme_md, version):
    text = read(readme_md)
    begin, end = text.find(README_BEGIN), text.find(README_END)
    if begin < 0 or end < begin:
        raise ReleaseError(f"{readme_md} has no {README_BEGIN} ... {README_END} part")
    body = markdown_to_text(text[begin + len(README_BEGIN) : end])
    title = f"Orvanta Password Generator {version}"
    return crlf(f"{title}\n{'=' * len(title)}\n\n{body}")


# LICENSE.txt -----------------------------------------------------------------------


def dep5_paragraphs(text):
    """The paragraphs of a machine-readable Debian copyright file, as dicts of field
    name to the field's lines (first line's value, then its continuation lines)."""
    paragraphs = []
    for block in re.split(r"\n[ \t]*\n", text):
        fields, key = {}, None
        for line in block.splitlines():
            if line[:1] in (" ", "\t") and key:
                fields[key].append(line)
            elif ":" in line:
                key, _, value = line.partition(":")
                fields[key] = [value.strip()]
        if fields:
            paragraphs.append(fields)
    return paragraphs


def dep5_text(lines):
    """A field's continuation lines as text: one leading blank off, " ." is a blank line."""
    out = []
    for line in lines:
        line = line[1:] if line[:1] in (" ", "\t") else line
        out.append("" if line.strip() == "." else line.rstrip())
    return "\n".join(out)


def dep5_section(path, first_file, what):
    """The copyright and license of the paragraph whose Files field starts with
    FIRST_FILE, with the license text from a stand-alone License paragraph if the
    Files paragraph only names it."""
    paragraphs = dep5_paragraphs(read(path))
    files = [p for p in paragraphs if "Files" in p and p["Files"][0].split()[0] == first_file]
    if len(files) != 1:
        raise ReleaseError(f"{path}: no single 'Files: {first_file}' paragraph")
    p = files[0]
    license_name = p["License"][0]
    license_text = dep5_text(p["License"][1:])
    if not license_text:
        named = [q for q in paragraphs if "Files" not in q and q.get("License", [""])[0] == license_name]
        if len(named) != 1:
            raise ReleaseError(f"{path}: no text for license {license_name}")
        license_text = dep5_text(named[0]["License"][1:])
    holders = [p["Copyright"][0]] + [line.strip() for line in p["Copyright"][1:]]
    copyright_lines = "\n".join(
        "Copyright: " + h if h != "public-domain" else "Public domain" for h in holders if h
    )
    return f"{what}\n(from {path}, files {first_file} ...; license {license_name})\n\n{copyright_lines}\n\n{license_text}\n"


def between(text, start, end, path):
    """The lines of TEXT from the one starting with START to the one starting with END,
    both included."""
    lines = text.splitlines()
    try:
        first = next(i for i, line in enumerate(lines) if line.startswith(start))
        last = next(i for i in range(first, len(lines)) if lines[i].startswith(end))
    except StopIteration:
        raise ReleaseError(f"{path}: no text from '{start}' to '{end}'") from None
    return "\n".join(lines[first : last + 1]) + "\n"


def package_version(package):
    try:
        return subprocess.run(
            ["dpkg-query", "-W", "-f=${Version}", package], check=True, capture_output=True, text=True
        ).stdout
    except (OSError, subprocess.CalledProcessError):
        raise ReleaseError(f"the Debian package {package} is not installed") from None


def zlib_package_version(zlib_source):
    """The Debian version of the zlib source, from the first line of its changelog."""
    try:
        first = read(os.path.join(zlib_source, "debian", "changelog")).splitlines()[0]
    except (OSError, IndexError):
        return "version unknown"
    match = re.match(r"^(\S+) \(([^)]+)\)", first)
    return f"{match.group(1)} {match.group(2)}" if match else "version unknown"


def rule(title):
    return f"{'=' * 78}\n{title}\n{'=' * 78}\n\n"


def license_txt(zlib_source):
    parts = [rule("Orvanta Password Generator"), read(os.path.join(ROOT, "LICENSE"))]

    parts.append(
        "\n"
        + rule("Third-party software inside orvgen.exe and orvgen-cli.exe")
        + textwrap.fill(
            "Each program is one self-contained file: the pieces below are linked into it. "
            "Their licenses follow, as the Debian packages the release is built from "
            "state them.",
            78,
        )
        + "\n"
    )

    zlib_version = re.search(r'#define ZLIB_VERSION "([^"]+)"', read(os.path.join(zlib_source, "zlib.h")))
    zlib_license = os.path.join(zlib_source, "LICENSE")
    if not zlib_version or not os.path.exists(zlib_license):
        raise ReleaseError(f"{zlib_source} is not a zlib source tree with a LICENSE file")
    parts.append(
        "\n"
        + rule(f"zlib {zlib_version.group(1)}")
        + "Linked into orvgen.exe, whose logo it unpacks. Built from Debian's zlib source package\n"
        + f"({zlib_package_version(zlib_source)}).\n\n"
        + read(zlib_license).strip("\n")
        + "\n"
    )

    mingw = f"/usr/share/doc/{MINGW_PACKAGE}/copyright"
    parts.append(
        "\n"
        + rule("MinGW-w64 runtime and winpthreads")
        + f"Debian package: {MINGW_PACKAGE} {package_version(MINGW_PACKAGE)}\n\n"
        + textwrap.fill(
            "Linked in: the start-up code and C runtime helpers (crt, libmingw32, parts of "
            "libmingwex and of the msvcrt import library), the number formatting of "
            "libmingwex (gdtoa, mingw_pformat, mingw_vsprintf) and winpthreads.",
            78,
        )
        + "\n"
    )
    for first_file, what in [
        ("*", "MinGW-w64 (everything not named below)"),
        ("mingw-w64-crt/crt/*", "MinGW-w64 start-up code, misc and headers"),
        ("mingw-w64-crt/gdtoa/*", "gdtoa and mingw_pformat"),
        ("mingw-w64-crt/misc/basename.c", "mingw_pformat and the printf family"),
        ("mingw-w64-libraries/winpthreads/*", "winpthreads"),
        ("mingw-w64-libraries/winpthreads/include/pthread.h", "winpthreads' pthread.h"),
    ]:
        parts.append("\n" + "-" * 78 + "\n" + dep5_section(mingw, first_file, what))

    gcc = f"/usr/share/doc/{GCC_PACKAGE}/copyright"
    gcc_text = read(gcc)
    parts.append(
        "\n"
        + rule("GCC runtime libraries: libstdc++ and libgcc")
        + f"Debian packages: {GXX_PACKAGE} {package_version(GXX_PACKAGE)},\n"
        + f"                 {GCC_PACKAGE} {package_version(GCC_PACKAGE)}\n\n"
        + textwrap.fill(
            "Linked in: parts of libstdc++, libgcc and libgcc_eh. Both programs are compiled "
            "by GCC alone, an Eligible Compilation Process, so the GCC Runtime Library "
            "Exception lets them be conveyed under their own license (MIT, above). "
            f"From {gcc}:",
            78,
        )
        + "\n\n"
        + between(gcc_text, "GCC is Copyright", "Free Software Foundation, Inc.", gcc)
        + "\n"
        + between(gcc_text, "The following runtime libraries are licensed", " - libvtv", gcc)
        + "\n"
        + between(gcc_text, "GCC RUNTIME LIBRARY EXCEPTION", "requirements of the license of GCC.", gcc)
    )
    return crlf("".join(parts))


# The zip and SHA256SUMS ------------------------------------------------------------


def zip_time(epoch):
    t = datetime.datetime.fromtimestamp(epoch, tz=datetime.timezone.utc)
    # The zip format counts from 1980 and in steps of two seconds.
    if t.year < 1980:
        return (1980, 1, 1, 0, 0, 0)
    return (t.year, t.month, t.day, t.hour, t.minute, t.second - t.second % 2)


def write_zip(path, entries, epoch):
    """ENTRIES: (name, bytes, executable) in the order they go into the zip."""
    with zipfile.ZipFile(path, "w") as z:
        for name, data, executable in entries:
            info = zipfile.ZipInfo(name, date_time=zip_time(epoch))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # Unix, so that the permissions below mean what they say
            info.external_attr = (0o100755 if executable else 0o100644) << 16
            z.writestr(info, data, compresslevel=9)


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", help="the Windows build folder with orvgen.exe and orvgen-cli.exe")
    parser.add_argument("dist", help="the folder for the zip and SHA256SUMS")
    args = parser.parse_args()

    epoch_text = os.environ.get("SOURCE_DATE_EPOCH", "")
    if not epoch_text.isdigit():
        raise ReleaseError("SOURCE_DATE_EPOCH must hold the commit's time in seconds")
    epoch = int(epoch_text)

    version = cache_value(args.build, "CMAKE_PROJECT_VERSION")
    zlib_source = cache_value(args.build, "ORVGEN_ZLIB_SOURCE")

    def program(relative):
        with open(os.path.join(args.build, relative), "rb") as f:
            return f.read()

    entries = [
        ("orvgen.exe", program("src/shell/orvgen.exe"), True),
        ("orvgen-cli.exe", program("src/cli/orvgen-cli.exe"), True),
        ("README.txt", readme_txt(os.path.join(ROOT, "README.md"), version).encode("utf-8-sig"), False),
        ("LICENSE.txt", license_txt(zlib_source).encode("utf-8-sig"), False),
    ]

    os.makedirs(args.dist, exist_ok=True)
    zip_name = f"orvgen-{version}-win64.zip"
    zip_path = os.path.join(args.dist, zip_name)
    write_zip(zip_path, entries, epoch)
    for name, data, _ in entries:
        with open(os.path.join(args.dist, name), "wb") as f:
            f.write(data)
    with open(zip_path, "rb") as f:
        sums = [(sha256(f.read()), zip_name)] + [(sha256(data), name) for name, data, _ in entries]
    with open(os.path.join(args.dist, "SHA256SUMS"), "w", encoding="utf-8", newline="\n") as f:
        f.writelines(f"{digest}  {name}\n" for digest, name in sums)
    print(zip_path)


if __name__ == "__main__":
    try:
        main()
    except (ReleaseError, OSError) as e:
        print(f"make_release.py: {e}", file=sys.stderr)
        sys.exit(1)
