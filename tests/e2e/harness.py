"""The pieces the end-to-end tests stand on: a Wine desktop under Xvfb (brought up by
scripts/wine_env.sh), the Windows driver that reads and pokes windows from inside that
desktop, real mouse and keyboard input through xdotool, and the program under test as a
running process.

Waiting is always a bounded poll of a condition; nothing here sleeps for correctness.
"""

from __future__ import annotations

import os
import re
import shlex
import subprocess
import sys
import time
from pathlib import Path
from typing import Callable, Optional, TypeVar

REPO = Path(__file__).resolve().parents[2]
WINE_ENV_SCRIPT = REPO / "scripts" / "wine_env.sh"

T = TypeVar("T")

# Window messages and values the tests send or look for.
WM_CLOSE = 0x0010
WM_QUERYENDSESSION = 0x0011
WM_ENDSESSION = 0x0016
WM_HOTKEY = 0x0312
WM_USER = 0x0400
HKM_GETHOTKEY = 0x0402
WS_EX_TOOLWINDOW = 0x00000080
MOD_ALT = 0x1
MOD_CONTROL = 0x2
VK_N = 0x4E
VK_P = 0x50

DEFAULT_TIMEOUT = 10.0


def WaitFor(condition: Callable[[], T], what: str, timeout: float = DEFAULT_TIMEOUT,
            interval: float = 0.05) -> T:
    """Polls condition until it returns something true, and returns that; fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout:.1f} s waiting for {what}")
        time.sleep(interval)


def Unescape(text: str) -> str:
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c != "\\" or i + 1 == len(text):
            out.append(c)
            i += 1
            continue
        n = text[i + 1]
        if n == "x" and i + 3 < len(text):
            out.append(chr(int(text[i + 2:i + 4], 16)))
            i += 4
            continue
        out.append({"t": "\t", "r": "\r", "n": "\n"}.get(n, n))
        i += 2
    return "".join(out)


def ParseRecord(line: str) -> dict:
    record = {}
    for field in line.split("\t"):
        key, _, value = field.partition("=")
        record[key] = Unescape(value)
    return record


def Rect(value: str) -> tuple:
    return tuple(int(v) for v in value.split(","))


class WineDesktop:
    """One Wine prefix, one Xvfb screen and the desktop "orvgen", from scripts/wine_env.sh."""

    def __init__(self, directory: Path, template: Optional[Path] = None):
        self.directory = Path(directory).resolve()
        self.template = template
        self.env: dict = {}
        self.upSeconds = 0.0
        self.children: list = []

    def Up(self) -> None:
        self.directory.mkdir(parents=True, exist_ok=True)
        env = dict(os.environ)
        if self.template:
            env["WINE_ENV_TEMPLATE"] = str(self.template)
        script = (f"source {shlex.quote(str(WINE_ENV_SCRIPT))} && "
                  f"wine_env_up {shlex.quote(str(self.directory))} && env -0")
        started = time.monotonic()
        result = subprocess.run(["bash", "-c", script], env=env, capture_output=True, timeout=300)
        self.upSeconds = time.monotonic() - started
        if result.returncode != 0:
            raise RuntimeError("wine_env_up failed: " + result.stderr.decode(errors="replace"))
        exported = dict(item.split("=", 1) for item in result.stdout.decode().split("\0") if "=" in item)
        self.env = dict(os.environ)
        for key in ("DISPLAY", "WINEPREFIX", "WINEDEBUG", "WINEDLLOVERRIDES", "WINE_ENV_DIR"):
            self.env[key] = exported[key]

    def Down(self) -> None:
        for child in self.children:
            if child.poll() is None:
                child.kill()
                child.wait(timeout=10)
            if child.stdout:
                child.stdout.close()
        self.children.clear()
        script = f"source {shlex.quote(str(WINE_ENV_SCRIPT))} && wine_env_down {shlex.quote(str(self.directory))}"
        subprocess.run(["bash", "-c", script], env=dict(os.environ), capture_output=True, timeout=60)

    def Start(self, *command: str, log: Optional[Path] = None, env: Optional[dict] = None,
              **kwargs) -> subprocess.Popen:
        """Starts a Windows program in the desktop. The Popen is the program's own process."""
        out = open(log, "ab") if log else subprocess.DEVNULL
        try:
            process = subprocess.Popen(["wine", *command], env=env or self.env, stdin=subprocess.DEVNULL,
                                       stdout=kwargs.pop("stdout", out), stderr=subprocess.STDOUT, **kwargs)
        finally:
            if log:
                out.close()  # the child has its own copy
        self.children.append(process)
        return process

    def Run(self, *command: str, timeout: float = 60) -> subprocess.CompletedProcess:
        return subprocess.run(list(command), env=self.env, capture_output=True, timeout=timeout)

    def Screenshot(self, path: Path) -> Path:
        path.parent.mkdir(parents=True, exist_ok=True)
        self.Run("import", "-window", "root", str(path))
        return path

    def SetRegistry(self, key: str, name: str, kind: str, data: str) -> None:
        result = self.Run("wine", "reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f")
        if result.returncode != 0:
            raise RuntimeError(f"reg add {key} {name} failed: {result.stdout!r} {result.stderr!r}")


# Queries without side effects that print something whenever they run. Now and then,
# under load, a driver run under Wine gives no output at all; such a query is asked
# again (and fails loudly after three tries) rather than read as "nothing there".
ALWAYS_ANSWER = {"clipboard-seq", "foreground", "tray-icons", "can-register-hotkey"}


class Driver:
    """orvgen-driver.exe, run once per query inside the desktop (about 15 ms a call)."""

    def __init__(self, desktop: WineDesktop, exe: Path):
        self.desktop = desktop
        self.exe = str(exe)

    def Call(self, *args) -> tuple:
        for attempt in range(3):
            result = subprocess.run(["wine", self.exe, *[str(a) for a in args]], env=self.desktop.env,
                                    capture_output=True, timeout=60)
            if result.stdout or str(args[0]) not in ALWAYS_ANSWER:
                break
            sys.stderr.write(f"driver {args}: no answer (status {result.returncode}, "
                             f"{result.stderr[-300:]!r}), attempt {attempt + 1}\n")
        else:
            raise RuntimeError(f"driver {args} gave no answer three times")
        lines = result.stdout.decode("utf-8", errors="replace").splitlines()
        if result.returncode not in (0, 1, 64):
            raise RuntimeError(f"driver {args} ended with {result.returncode}: "
                               f"{result.stdout!r} {result.stderr!r}")
        return result.returncode, lines

    def Records(self, *args) -> list:
        rc, lines = self.Call(*args)
        if rc == 64:
            raise RuntimeError(f"driver {args}: {lines}")
        return [ParseRecord(line) for line in lines if line]

    def One(self, *args) -> Optional[dict]:
        records = self.Records(*args)
        return records[0] if records else None

    def Ok(self, *args) -> bool:
        rc, lines = self.Call(*args)
        if rc == 64:
            raise RuntimeError(f"driver {args}: {lines}")
        return rc == 0

    # --- windows

    def Windows(self, className: Optional[str] = None, pid: Optional[int] = None,
                visibleOnly: bool = False) -> list:
        args = ["windows"]
        if className:
            args += ["--class", className]
        if pid:
            args += ["--pid", pid]
        if visibleOnly:
            args.append("--visible")
        return self.Records(*args)

    def Window(self, hwnd: str) -> Optional[dict]:
        rc, lines = self.Call("window", hwnd)
        return ParseRecord(lines[0]) if rc == 0 and lines else None

    def Children(self, hwnd: str) -> list:
        return self.Records("children", hwnd)

    def Foreground(self) -> Optional[str]:
        record = self.One("foreground")
        return record["hwnd"] if record and record.get("hwnd") != "0x0" else None

    # --- clipboard

    def ClipboardText(self) -> Optional[str]:
        rc, lines = self.Call("clipboard")
        return ParseRecord(lines[0])["text"] if rc == 0 and lines else None

    def ClipboardSeq(self) -> int:
        return int(self.One("clipboard-seq")["seq"])

    def SetClipboard(self, text: str) -> None:
        if not self.Ok("set-clipboard", text):
            raise RuntimeError("set-clipboard failed")

    # --- messages

    def Post(self, hwnd: str, message, wParam=0, lParam=0) -> bool:
        return self.Ok("post", hwnd, message, wParam, lParam)

    def Send(self, hwnd: str, message, wParam=0, lParam=0) -> Optional[int]:
        record = self.One("send", hwnd, message, wParam, lParam)
        return int(record["result"]) if record and "result" in record else None

    def CanRegisterHotKey(self, mods: int, vk: int) -> bool:
        _, lines = self.Call("can-register-hotkey", mods, vk)
        return lines == ["yes"]

    # --- notification area

    def TrayIcons(self) -> list:
        records = self.Records("tray-icons")
        return records[1:]


class Input:
    """Real X input through xdotool: the desktop turns it into Windows mouse and key messages."""

    def __init__(self, desktop: WineDesktop):
        self.desktop = desktop

    def Xdo(self, *args) -> None:
        result = self.desktop.Run("xdotool", *[str(a) for a in args])
        if result.returncode != 0:
            raise RuntimeError(f"xdotool {args}: {result.stderr!r}")

    def Click(self, x: int, y: int, button: int = 1) -> None:
        self.Xdo("mousemove", x, y, "click", button)

    def DoubleClick(self, x: int, y: int) -> None:
        # Two clicks well inside the double-click time (500 ms), as a person makes them.
        self.Xdo("mousemove", x, y, "click", "--repeat", 2, "--delay", 80, 1)

    def Move(self, x: int, y: int) -> None:
        self.Xdo("mousemove", x, y)

    def Keys(self, *steps: str) -> None:
        """Steps like "keydown ctrl", "key n", "keyup ctrl", sent in one xdotool run."""
        args = []
        for step in steps:
            args += step.split()
        self.Xdo(*args)

    def Type(self, text: str) -> None:
        self.Xdo("type", "--delay", 20, text)


PASSWORD_PATTERN = re.compile(r"^[a-z]{3}[A-Z]{2,3}[a-z]{3}$")

MUTATIONS = str.maketrans({"a": "@", "A": "@", "b": "8", "B": "8", "i": "!", "I": "!",
                           "o": "0", "O": "0", "s": "$", "S": "$", "l": "1", "L": "1"})


def Mutated(text: str) -> str:
    return text.translate(MUTATIONS)


HINT_PATTERN = re.compile(r"^([a-z][a-z-]*)[ \t]* ([a-z]+)[ \t]* ([a-z][a-z-]*)[ \t]*$")


def HintMatchesPassword(password: str, hint: str) -> bool:
    """The hint is noun, verb, noun with a blank after each of the first two; an entry may
    carry its own trailing blank or tab. The password is the first three letters of each
    (both of a two-letter verb), the verb's in upper case."""
    match = HINT_PATTERN.match(hint)
    if not match:
        return False
    noun1, verb, noun2 = match.groups()
    return password == noun1[:3] + verb[:3].upper() + noun2[:3]
