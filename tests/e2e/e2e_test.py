#!/usr/bin/env python3
"""End-to-end tests: the real orvgen.exe in a Wine virtual desktop under Xvfb.

The tests click the notification-area icon and press keys for real (xdotool); the
driver program (orvgen-driver.exe) reads the clipboard, the windows and their fields
from inside the desktop, and posts to the program only what Wine cannot produce itself:
balloon notifications, "TaskbarCreated", the log-off messages and hot-key identifiers
that no key makes.

Each test class brings up one Wine environment (prefix, Xvfb, desktop) and tears it
down at the end. Usage:

  e2e_test.py --exe orvgen.exe --driver orvgen-driver.exe [--work DIR] [--shots DIR] [unittest args]

How a test knows that a generation happened, and how many: each copy of a password
advances the clipboard's sequence number by the same step (Wine counts every emptying
and every format set; the program's copy sets more than plain text). Each class
measures that step once on the path that generates exactly once by construction, the
generate button, and checks it against the step of a plain-text copy by the driver,
which no copy of a password can undercut. A step that never comes is a missing
generation; two steps where one is due is a double generation. A test that expects
nothing first waits for a later event that the program can only see after the one under
test (the tray menu opening, a typed character, a window hiding), so "nothing happened"
is never "nothing happened yet".
"""

from __future__ import annotations

import argparse
import select
import subprocess
import sys
import unittest
from pathlib import Path
from typing import Optional

sys.path.insert(0, str(Path(__file__).resolve().parent))
sys.path.insert(0, str(Path(__file__).resolve().parent.parent))

from harness import (  # noqa: E402
    DEFAULT_TIMEOUT, HKM_GETHOTKEY, MOD_ALT, MOD_CONTROL, PASSWORD_PATTERN, VK_N, VK_P,
    WM_CLOSE, WM_ENDSESSION, WM_HOTKEY, WM_QUERYENDSESSION, WM_USER, WS_EX_TOOLWINDOW,
    Driver, HintMatchesPassword, Input, Mutated, Rect, WaitFor, WineDesktop)
from wine_log import CheckedEnvironment, Faults  # noqa: E402

MAIN_CLASS = "TfrmOrvantaPassGenMain"
APP_CLASS = "OrvgenApplication"
TRAY_CLASS = "OrvgenTrayIconWindow"
SETTINGS_CLASS = "TfrmPassGenSettings"
MENU_CLASS = "#32768"
DIALOG_CLASS = "#32770"
TITLE = "Orvanta Password Generator"
TOOLTIP = "Orvanta Password Generator - Click to generate new password"
BALLOON_TEXT = "Password Generator started! Use this tray icon to create new password."
DOWNLOADS = "http://orvanta.example/password-generator-application/downloads.html"
HOME = "http://orvanta.example/"
TRAY_CALLBACK = WM_USER + 1
NIN_BALLOONUSERCLICK = WM_USER + 5
WM_SYSCOMMAND = 0x0112
SC_RESTORE = 0xF120
HTMINBUTTON = 8
HTCLOSE = 20
HOTKEYF_CONTROL = 0x02
HOTKEYF_ALT = 0x04


class Options:
    exe: Path
    driver: Path
    work: Path
    shots: Path


OPTIONS = Options()


def ReadLine(process: subprocess.Popen, timeout: float) -> str:
    ready, _, _ = select.select([process.stdout], [], [], timeout)
    if not ready:
        raise AssertionError(f"no output from {process.args} within {timeout} s")
    return process.stdout.readline().decode(errors="replace").strip()


def Check(condition, message: str) -> None:
    if not condition:
        raise AssertionError(message)


class Orvgen:
    """One running copy of orvgen.exe and the handles of its windows. The owner is a test
    case or a test class: it has the desktop, the driver and the input.

    Every copy runs under Wine's heap checking with a log of its own, and every test
    fails when that log reports a fault (see wine_log.py), whatever the test concluded."""

    runs = 0

    def __init__(self, owner):
        self.test = owner
        self.driver = owner.driver
        self.process: Optional[subprocess.Popen] = None
        self.pid = 0
        self.tray = self.main = self.app = ""
        self.slot = 0
        self.clicks = 0
        Orvgen.runs += 1
        self.log = owner.workDir / f"orvgen-{Orvgen.runs}.log"
        self.faultsSeen = 0
        owner.apps.append(self)

    def Start(self) -> "Orvgen":
        trayBefore = {w["hwnd"] for w in self.driver.Windows(TRAY_CLASS)}
        self.slot = len(self.driver.TrayIcons())
        self.process = self.test.desktop.Start(str(OPTIONS.exe), cwd=str(self.test.workDir), log=self.log,
                                               env=CheckedEnvironment(self.test.desktop.env))
        tray = WaitFor(lambda: [w for w in self.driver.Windows(TRAY_CLASS) if w["hwnd"] not in trayBefore],
                       f"a window of class {TRAY_CLASS}")[0]
        self.tray = tray["hwnd"]
        self.pid = int(tray["pid"])
        # The icon is the last thing start-up shows: once it is there, start-up is done.
        WaitFor(lambda: len(self.driver.TrayIcons()) > self.slot, "the icon in the notification area")
        self.main = self.OneWindow(MAIN_CLASS)["hwnd"]
        self.app = self.OneWindow(APP_CLASS)["hwnd"]
        return self

    def OneWindow(self, className: str) -> dict:
        windows = self.driver.Windows(className, pid=self.pid)
        Check(len(windows) == 1, f"windows of class {className}: {windows}")
        return windows[0]

    def Running(self) -> bool:
        return self.process is not None and self.process.poll() is None

    def NewFaults(self) -> list:
        """The faults in this copy's Wine log that no earlier call returned."""
        faults = Faults(self.log.read_text(errors="replace")) if self.log.exists() else []
        new = faults[self.faultsSeen:]
        self.faultsSeen = len(faults)
        return new

    def Stop(self) -> None:
        if self.Running():
            self.process.kill()
            self.process.wait(timeout=10)

    def WaitExit(self, timeout: float = DEFAULT_TIMEOUT) -> int:
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"orvgen.exe still running after {timeout} s") from None

    # --- windows and controls

    def Main(self) -> dict:
        return self.driver.Window(self.main)

    def MainVisible(self) -> bool:
        main = self.Main()
        return bool(main) and main["visible"] == "1"

    def Controls(self) -> list:
        return [c for c in self.driver.Children(self.main) if c["parent"] == self.main]

    def Edits(self) -> tuple:
        edits = sorted((c for c in self.Controls() if c["class"] == "Edit"), key=lambda c: Rect(c["rect"])[1])
        Check(len(edits) == 2, f"edit fields: {edits}")
        return edits[0]["hwnd"], edits[1]["hwnd"]

    def Button(self, caption: str) -> dict:
        for control in self.Controls():
            if control["class"] == "Button" and control["text"].replace("\r", " ").replace("\n", " ").startswith(caption):
                return control
        raise AssertionError(f"no button starting with {caption!r} in {self.Controls()}")

    def Text(self, hwnd: str) -> str:
        window = self.driver.Window(hwnd)
        return window["title"] if window else ""

    def Fields(self) -> tuple:
        password, hint = self.Edits()
        return self.Text(password), self.Text(hint)

    def ScreenPoint(self, clientX: int, clientY: int) -> tuple:
        originX, originY = Rect(self.Main()["origin"])
        return originX + clientX, originY + clientY

    def ClickClient(self, clientX: int, clientY: int) -> None:
        self.test.input.Click(*self.ScreenPoint(clientX, clientY))

    def ClickIntoField(self, hwnd: str) -> None:
        control = [c for c in self.Controls() if c["hwnd"] == hwnd][0]
        left, top, _, bottom = Rect(control["rect"])
        self.ClickClient(left + 40, (top + bottom) // 2)

    def ClickControl(self, control: dict) -> None:
        left, top, right, bottom = Rect(control["rect"])
        self.ClickClient((left + right) // 2, (top + bottom) // 2)

    def FrameButton(self, hwnd: str, hitCode: int) -> tuple:
        """The screen point of a title-bar button, found by asking the window itself."""
        area = self.driver.One("hit-area", hwnd, hitCode)
        Check(area, f"no title-bar part with hit code {hitCode} on {hwnd}")
        return int(area["cx"]), int(area["cy"])

    def VisibleWindows(self) -> list:
        return self.driver.Windows(pid=self.pid, visibleOnly=True)

    # --- the notification-area icon

    def IconPoint(self) -> tuple:
        icons = self.driver.TrayIcons()
        Check(len(icons) > self.slot, "the program's icon is missing")
        return int(icons[self.slot]["cx"]), int(icons[self.slot]["cy"])

    def ClickIcon(self) -> None:
        # Two clicks on one spot within the double-click time make a double click, which
        # is not what these calls mean: every other click lands 10 pixels to the side,
        # still on the 16-pixel icon but outside the double-click rectangle.
        x, y = self.IconPoint()
        self.clicks += 1
        self.test.input.Click(x + (5 if self.clicks % 2 else -5), y)

    def Menu(self) -> Optional[dict]:
        menus = self.driver.Windows(MENU_CLASS, pid=self.pid, visibleOnly=True)
        return menus[0] if menus else None

    def OpenMenu(self) -> dict:
        self.test.input.Click(*self.IconPoint(), button=3)
        return WaitFor(self.Menu, "the tray menu")

    def EmptyDesktopPoint(self) -> tuple:
        """A point of the desktop that no visible window covers (a click there does nothing)."""
        covered = [Rect(w["rect"]) for w in self.driver.Windows(visibleOnly=True)]
        for x, y in [(4, 4), (1019, 4), (4, 600), (1019, 600), (512, 4)]:
            if not any(l <= x < r and t <= y < b for l, t, r, b in covered):
                return x, y
        raise AssertionError(f"no empty spot on the desktop: {covered}")

    def CloseMenu(self) -> None:
        # A click on the empty desktop dismisses a tray menu, as it does for a person.
        self.test.input.Click(*self.EmptyDesktopPoint())
        WaitFor(lambda: self.Menu() is None, "the tray menu to close")

    def MenuBarrier(self) -> None:
        """The icon's notifications arrive in order: once the menu of a later right click
        is open, everything the icon reported before it has been handled."""
        self.OpenMenu()
        self.CloseMenu()

    def ShowByClick(self) -> None:
        seq = self.driver.ClipboardSeq()
        self.ClickIcon()
        WaitFor(self.MainVisible, "the main window")
        self.test.WaitGeneration(seq)


class OrvgenTestCase(unittest.TestCase):
    """One Wine environment per class, and helpers that every class uses."""

    desktop: WineDesktop
    driver: Driver
    input: Input
    step: int
    workDir: Path
    apps: list

    @classmethod
    def setUpClass(cls) -> None:
        cls.apps = []
        cls.workDir = OPTIONS.work / cls.__name__
        cls.desktop = WineDesktop(cls.workDir, OPTIONS.work / "template")
        cls.addClassCleanup(cls.desktop.Down)
        cls.desktop.Up()
        sys.stderr.write(f"{cls.__name__}: Wine environment up in {cls.desktop.upSeconds:.1f} s\n")
        cls.driver = Driver(cls.desktop, OPTIONS.driver)
        cls.input = Input(cls.desktop)
        WaitFor(lambda: cls.driver.Windows("Shell_TrayWnd"), "the desktop's taskbar window")
        cls.plainStep = cls.PlainCopyStep()
        cls.step = 0

    @classmethod
    def PlainCopyStep(cls) -> int:
        before = cls.driver.ClipboardSeq()
        cls.driver.SetClipboard("orvgen e2e: measuring the clipboard's step")
        step = cls.driver.ClipboardSeq() - before
        Check(step > 0, "the clipboard sequence number does not move on a copy; generations cannot be counted here")
        return step

    @classmethod
    def MeasureGenerationStep(cls, app: "Orvgen") -> None:
        """Shows the window, then presses the generate button once and measures the step."""
        before = cls.driver.ClipboardSeq()
        app.ClickIcon()
        WaitFor(app.MainVisible, "the main window")
        WaitFor(lambda: cls.driver.ClipboardSeq() > before, "the first copy")
        _, hint = app.Edits()
        before = cls.driver.ClipboardSeq()
        previous = app.Fields()[0]
        app.ClickControl(app.Button("Generate"))
        WaitFor(lambda: app.Fields()[0] != previous, "a password from the generate button")
        # Input reaches the program in order: once a character typed after the button
        # click shows, the click and its copy are done.
        app.ClickIntoField(hint)
        cls.TypeBarrier(app, hint)
        cls.step = cls.driver.ClipboardSeq() - before
        Check(cls.step >= cls.plainStep,
              f"one generation moved the clipboard by {cls.step}, less than a plain copy ({cls.plainStep})")
        Check(cls.driver.ClipboardText() == app.Fields()[0], "the generate button's password is not on the clipboard")

    def tearDown(self) -> None:
        faults = {app.log.name: app.NewFaults() for app in self.apps}
        faults = {log: lines for log, lines in faults.items() if lines}
        self.assertEqual(faults, {}, "Wine reported faults in orvgen.exe")

    def StartOrvgen(self) -> Orvgen:
        app = Orvgen(self).Start()
        self.addCleanup(app.Stop)
        return app

    @classmethod
    def StartShared(cls) -> Orvgen:
        """A copy of the program for the whole class, for tests that do not interfere."""
        app = Orvgen(cls)
        cls.addClassCleanup(app.Stop)
        return app.Start()

    def Shot(self, name: str) -> Path:
        return self.desktop.Screenshot(OPTIONS.shots / f"{type(self).__name__}.{name}.png")

    # --- generations

    @classmethod
    def WaitGeneration(cls, seqBefore: int, count: int = 1) -> None:
        step = cls.step or cls.plainStep  # before the step is known: at least one copy
        target = seqBefore + count * step
        WaitFor(lambda: cls.driver.ClipboardSeq() >= target, f"{count} new clipboard copy(ies)")

    def AssertGenerations(self, seqBefore: int, count: int, what: str) -> None:
        self.assertTrue(self.step, "the class did not measure the generation step")
        self.assertEqual((self.driver.ClipboardSeq() - seqBefore) / self.step, count, what)

    def AssertFreshPassword(self, app: Orvgen, previous: Optional[str] = None) -> str:
        password, hint = app.Fields()
        self.assertRegex(password, PASSWORD_PATTERN)
        self.assertTrue(HintMatchesPassword(password, hint), f"hint {hint!r} does not spell {password!r}")
        self.assertEqual(self.driver.ClipboardText(), password, "the clipboard holds another text")
        if previous is not None:
            self.assertNotEqual(password, previous)
        return password

    # --- another program

    @classmethod
    def StartNotepad(cls) -> None:
        """Another program, to be the active one when the program under test is called on."""
        cls.desktop.Start("notepad")
        cls.notepadWindow = WaitFor(lambda: cls.driver.Windows("Notepad", visibleOnly=True), "Notepad")[0]["hwnd"]

    def ActivateNotepad(self) -> None:
        left, top, right, bottom = Rect(self.driver.Window(self.notepadWindow)["rect"])
        self.input.Click((left + right) // 2, (top + bottom) // 2)
        WaitFor(lambda: self.driver.Foreground() == self.notepadWindow, "Notepad active")

    @classmethod
    def TypeBarrier(cls, app: Orvgen, field: str) -> None:
        """Types a digit (which no password or hint holds) into the focused field and waits
        for it: the input before it has all been handled by then."""
        before = app.Text(field).count("7")
        cls.input.Keys("key 7")
        WaitFor(lambda: app.Text(field).count("7") > before, "the typed barrier character")


class StartUpTest(OrvgenTestCase):
    """What the user sees before touching anything."""

    @classmethod
    def setUpClass(cls) -> None:
        super().setUpClass()
        cls.app = cls.StartShared()
        cls.atStart = {
            "visible": cls.driver.Windows(pid=cls.app.pid, visibleOnly=True),
            "app": cls.driver.Window(cls.app.app),
            "main": cls.driver.Window(cls.app.main),
            "icons": cls.driver.TrayIcons(),
            "fields": cls.app.Fields(),
        }

    def testOnlyTheIconShows(self):
        self.assertEqual(self.atStart["visible"], [], "visible windows right after start")
        self.assertEqual(len(self.atStart["icons"]), 1)
        app = self.atStart["app"]
        self.assertTrue(int(app["exstyle"], 16) & WS_EX_TOOLWINDOW, f"application window {app}")
        self.assertEqual(app["title"], "")
        main = self.atStart["main"]
        self.assertEqual(main["title"], TITLE)
        self.assertEqual(main["client"], "312,256")
        self.assertEqual(self.atStart["fields"], ("", ""))

    def testBalloonShowsTheStartMessage(self):
        # Wine shows the balloon as a balloon tooltip of its explorer; its window text is the
        # balloon's text. It comes about 2 s after the request.
        balloon = WaitFor(lambda: [w for w in self.driver.Windows("tooltips_class32", visibleOnly=True)
                                   if w["title"] == BALLOON_TEXT], "the start balloon", timeout=15)
        self.assertEqual(len(balloon), 1)
        self.Shot("balloon")

    def testTooltipOnTheIcon(self):
        x, y = self.app.IconPoint()
        self.input.Move(x - 3, y)
        self.input.Move(x, y)
        WaitFor(lambda: [w for w in self.driver.Windows("tooltips_class32", visibleOnly=True)
                         if w["title"] == TOOLTIP], "the icon's tooltip")


class TrayIconTest(OrvgenTestCase):
    """Clicks on the icon and its menu. One program run for the class."""

    @classmethod
    def setUpClass(cls) -> None:
        super().setUpClass()
        cls.app = cls.StartShared()
        cls.MeasureGenerationStep(cls.app)

    def testClickShowsWindowWithNewPassword(self):
        self.driver.SetClipboard("before the click")
        seq = self.driver.ClipboardSeq()
        previous = self.app.Fields()[0]
        self.app.ClickIcon()
        self.WaitGeneration(seq)
        WaitFor(self.app.MainVisible, "the main window")
        WaitFor(lambda: self.driver.Foreground() == self.app.main, "the main window in the foreground")
        password = self.AssertFreshPassword(self.app, previous)
        selection = self.driver.One("sel", self.app.Edits()[0])
        self.assertEqual((int(selection["start"]), int(selection["end"])), (0, len(password)),
                         "the whole password selected")
        self.app.MenuBarrier()
        self.AssertGenerations(seq, 1, "generations for one click")
        self.Shot("window-up")

    def testDoubleClickGivesExactlyOnePassword(self):
        seq = self.driver.ClipboardSeq()
        self.input.DoubleClick(*self.app.IconPoint())
        self.WaitGeneration(seq)
        self.app.MenuBarrier()
        self.AssertGenerations(seq, 1, "generations for a double click")
        self.AssertFreshPassword(self.app)

    def testRightClickShowsMenuAndGeneratesNothing(self):
        self.driver.SetClipboard("untouched by the menu")
        seq = self.driver.ClipboardSeq()
        fields = self.app.Fields()
        menu = self.app.OpenMenu()
        self.Shot("menu-open")
        self.AssertGenerations(seq, 0, "generations for a right click")
        self.assertEqual(self.app.Fields(), fields)
        self.assertEqual(self.driver.ClipboardText(), "untouched by the menu")
        # The first item does what a click on the icon does.
        left, top, right, _ = Rect(menu["rect"])
        self.input.Click(left + 30, top + 10)
        self.WaitGeneration(seq)
        WaitFor(lambda: self.app.Menu() is None, "the menu to close")
        WaitFor(self.app.MainVisible, "the main window")
        self.AssertFreshPassword(self.app, fields[0])
        self.app.MenuBarrier()
        self.AssertGenerations(seq, 1, "generations for the menu's first item")

    def testPressOnIconWithReleaseAwayGeneratesNothing(self):
        seq = self.driver.ClipboardSeq()
        x, y = self.app.IconPoint()
        awayX, awayY = self.app.EmptyDesktopPoint()
        self.input.Xdo("mousemove", x, y, "mousedown", 1, "mousemove", awayX, awayY, "mouseup", 1)
        self.app.MenuBarrier()
        self.AssertGenerations(seq, 0, "generations for a press on the icon released elsewhere")
        self.app.ClickIcon()
        self.WaitGeneration(seq)
        self.app.MenuBarrier()
        self.AssertGenerations(seq, 1, "generations for the click after it")

    def testTaskbarCreatedPutsTheIconBack(self):
        # Broadcast while the icon is there: it must not appear twice.
        self.driver.Ok("broadcast-taskbarcreated")
        self.app.MenuBarrier()
        self.assertEqual(len(self.driver.TrayIcons()), 1)
        # Take the icon away as a restarted shell would lose it, then announce the new taskbar.
        self.assertTrue(self.driver.Ok("tray-delete", self.app.tray, int(self.app.tray, 16)))
        WaitFor(lambda: not self.driver.TrayIcons(), "the icon to go")
        self.driver.Post(self.app.tray, "reg:TaskbarCreated")
        WaitFor(lambda: len(self.driver.TrayIcons()) == 1, "the icon to come back")
        x, y = self.app.IconPoint()
        self.input.Move(x - 3, y)
        self.input.Move(x, y)
        WaitFor(lambda: [w for w in self.driver.Windows("tooltips_class32", visibleOnly=True)
                         if w["title"] == TOOLTIP], "the tooltip of the icon put back")
        seq = self.driver.ClipboardSeq()
        self.app.ClickIcon()
        self.WaitGeneration(seq)
        self.AssertFreshPassword(self.app)

    def testBalloonClickGeneratesNothing(self):
        seq = self.driver.ClipboardSeq()
        self.driver.Post(self.app.tray, TRAY_CALLBACK, int(self.app.tray, 16), NIN_BALLOONUSERCLICK)
        self.app.MenuBarrier()
        self.AssertGenerations(seq, 0, "generations for a click on the balloon")
        self.assertTrue(self.app.Running())


class MainWindowTest(OrvgenTestCase):
    """The window's keys, buttons and close box. One program run for the class."""

    @classmethod
    def setUpClass(cls) -> None:
        super().setUpClass()
        cls.app = cls.StartShared()
        cls.MeasureGenerationStep(cls.app)

    def setUp(self):
        self.app.ShowByClick()

    def FocusField(self, field: str) -> None:
        self.app.ClickIntoField(field)
        WaitFor(lambda: self.driver.One("focus", self.app.main)["focus"] == field, "the focus in the field")

    def testCtrlNInTheFields(self):
        password, hint = self.app.Edits()
        cases = [
            ("Ctrl+N in the password field", password, ["keydown ctrl", "keydown n", "keyup n", "keyup ctrl"], 1),
            ("Ctrl+N in the hint field", hint, ["keydown ctrl", "keydown n", "keyup n", "keyup ctrl"], 1),
            ("Ctrl+Shift+N", password, ["keydown ctrl", "keydown shift", "keydown n", "keyup n", "keyup shift",
                                        "keyup ctrl"], 1),
            ("N alone", password, ["key n"], 0),
            ("Shift+N", hint, ["keydown shift", "key n", "keyup shift"], 0),
            ("Ctrl let go before N", password, ["keydown ctrl", "keydown n", "keyup ctrl", "keyup n"], 0),
        ]
        for name, field, keys, generations in cases:
            with self.subTest(name):
                self.FocusField(field)
                seq = self.driver.ClipboardSeq()
                previous = self.app.Fields()[0]
                self.input.Keys(*keys)
                if generations:
                    self.WaitGeneration(seq)
                    self.AssertFreshPassword(self.app, previous)
                self.TypeBarrier(self.app, field)
                self.AssertGenerations(seq, generations, name)

    def testCloseHidesAndTheNextClickShowsItWhereItWas(self):
        def CloseBox():
            self.input.Click(*self.app.FrameButton(self.app.main, HTCLOSE))

        def AltF4():
            # Under Wine, a window brought back from hidden with SetForegroundWindow ignores
            # Alt+F4 until one of its controls is clicked (a click on an empty spot of its
            # client area is not enough); so the user clicks into the password field first.
            self.FocusField(self.app.Edits()[0])
            self.input.Keys("keydown alt", "key F4", "keyup alt")

        def Message():
            self.driver.Post(self.app.main, WM_CLOSE)

        for index, (name, close) in enumerate([("close box", CloseBox), ("Alt+F4", AltF4), ("WM_CLOSE", Message)]):
            with self.subTest(name):
                self.app.ShowByClick()
                x, y = 60 + 90 * index, 40 + 70 * index
                self.assertTrue(self.driver.Ok("setpos", self.app.main, x, y))
                moved = WaitFor(lambda: (lambda r: r if r[:2] == (x, y) else None)(Rect(self.app.Main()["rect"])),
                                "the window at its new place")
                close()
                WaitFor(lambda: not self.app.MainVisible(), "the main window to hide")
                self.assertTrue(self.app.Running())
                self.assertEqual(len(self.driver.TrayIcons()), 1)
                self.assertEqual(self.app.VisibleWindows(), [])
                seq = self.driver.ClipboardSeq()
                self.app.ClickIcon()
                WaitFor(self.app.MainVisible, "the main window again")
                self.WaitGeneration(seq)
                self.assertEqual(Rect(self.app.Main()["rect"]), moved)

    def testMutationButton(self):
        mutation = self.app.Button("Add")
        password, hint = self.app.Edits()
        generated = self.app.Fields()[0]
        cases = [
            ("the generated password", None, Mutated(generated)),
            ("a typed text", "Hello World", "He110 W0r1d"),
            ("every letter that changes", "abiosl ABIOSL", "@8!0$1 @8!0$1"),
            ("nothing to change", "12345 xyz", "12345 xyz"),
        ]
        for name, typed, expected in cases:
            with self.subTest(name):
                if typed is not None:
                    self.FocusField(password)
                    self.input.Keys("key End", "key shift+Home", "key Delete")
                    WaitFor(lambda: self.app.Text(password) == "", "the field cleared")
                    self.input.Type(typed)
                    WaitFor(lambda: self.app.Text(password) == typed, "the typed text")
                for press in (1, 2):  # a second press changes nothing more, and copies again
                    seq = self.driver.ClipboardSeq()
                    self.app.ClickControl(mutation)
                    self.WaitGeneration(seq)
                    self.assertEqual(self.app.Text(password), expected, f"press {press}")
                    self.assertEqual(self.driver.ClipboardText(), expected, f"press {press}")
                    self.app.ClickIntoField(hint)
                    self.TypeBarrier(self.app, hint)
                    self.AssertGenerations(seq, 1, f"copies for press {press}")

    def testMutationOfAnEmptyFieldKeepsTheClipboard(self):
        password, _ = self.app.Edits()
        self.FocusField(password)
        self.input.Keys("key End", "key shift+Home", "key Delete")
        WaitFor(lambda: self.app.Text(password) == "", "the field cleared")
        self.driver.SetClipboard("kept")
        seq = self.driver.ClipboardSeq()
        self.app.ClickControl(self.app.Button("Add"))
        self.FocusField(password)
        self.TypeBarrier(self.app, password)
        self.AssertGenerations(seq, 0, "copies from an empty field")
        self.assertEqual(self.driver.ClipboardText(), "kept")

    def testClipboardHeldByAnotherProgram(self):
        holder = self.desktop.Start(str(OPTIONS.driver), "hold-clipboard", "4000", stdout=subprocess.PIPE)
        self.assertEqual(ReadLine(holder, timeout=15), "held")
        previous = self.app.Fields()[0]
        self.app.ClickIcon()
        WaitFor(lambda: self.app.Fields()[0] != previous, "a new password in the window")
        password, hint = self.app.Fields()
        self.assertRegex(password, PASSWORD_PATTERN)
        self.assertTrue(HintMatchesPassword(password, hint))
        # Under Wine the copy may even get through (Wine lets WM_COPY write to a clipboard that
        # another process holds open); either way the window shows the new password and no
        # error box comes. One would come right after the copy, before the next notification.
        self.app.MenuBarrier()
        self.assertEqual(self.driver.Windows(DIALOG_CLASS, pid=self.app.pid, visibleOnly=True), [])
        self.assertEqual([w["class"] for w in self.app.VisibleWindows()], [MAIN_CLASS])
        holder.wait(timeout=15)
        # Once the clipboard is free again, copies work as before.
        self.app.ShowByClick()
        self.AssertFreshPassword(self.app)


class LinksTest(OrvgenTestCase):
    """The three link labels open the maker's pages in the user's browser."""

    @classmethod
    def setUpClass(cls) -> None:
        super().setUpClass()
        cls.browserLog = cls.workDir / "browser.log"
        browser = cls.workDir / "browser.sh"
        browser.write_text(f'#!/bin/sh\nprintf "%s\\n" "$1" >> "{cls.browserLog}"\n')
        browser.chmod(0o755)
        # winebrowser hands web addresses to the programs listed here.
        cls.desktop.SetRegistry(r"HKCU\Software\Wine\WineBrowser", "Browsers", "REG_SZ", str(browser))
        cls.app = cls.StartShared()

    def setUp(self):
        self.app.ShowByClick()

    def testLinksOpenTheMakersPages(self):
        if self.browserLog.exists():
            self.browserLog.unlink()
        cases = [
            ("labVersion", (10 + 40, 50 + 6), DOWNLOADS),
            ("labCopyright", (10 + 30, 66 + 6), HOME),
            ("labGetAnotherLang", (10 + 60, 232 + 6), DOWNLOADS),
        ]
        def Opened() -> list:
            return self.browserLog.read_text().splitlines() if self.browserLog.exists() else []

        for count, (name, point, address) in enumerate(cases, start=1):
            with self.subTest(name):
                self.app.ClickClient(*point)
                WaitFor(lambda: len(Opened()) >= count, f"the browser to be asked for {name}'s page")
                self.assertEqual(Opened(), [address for _, _, address in cases[:count]], "pages opened so far")


class LifecycleTest(OrvgenTestCase):
    """Ways the program ends. Each test starts its own copy.

    Wine's explorer also drops the icon of a program whose windows are gone, so "no icon
    afterwards" cannot tell the program's own removal from Wine's clean-up; the in-process
    tests look at the removal itself. What these show is that the program ends, at once,
    without a question, and leaves nothing in the notification area."""

    def StartWithBothWindows(self) -> Orvgen:
        """A copy with its main window and its settings window open: their tear-down is
        where a window outliving what its procedure uses would show."""
        app = self.StartOrvgen()
        app.ShowByClick()
        settings = app.OneWindow(SETTINGS_CLASS)["hwnd"]
        app.ClickControl(app.Button("Settings"))
        WaitFor(lambda: self.driver.Window(settings)["visible"] == "1", "the settings window")
        return app

    def testExitFromTheMenuEndsTheProgramAndRemovesTheIcon(self):
        app = self.StartWithBothWindows()
        menu = app.OpenMenu()
        left, _, _, bottom = Rect(menu["rect"])
        self.input.Click(left + 30, bottom - 10)
        self.assertEqual(app.WaitExit(), 0)
        self.assertEqual(app.NewFaults(), [], "Wine reported faults at Exit")
        WaitFor(lambda: not self.driver.TrayIcons(), "the icon to leave the notification area")

    def testEndSessionEndsTheProgramWithoutAQuestion(self):
        app = self.StartWithBothWindows()
        windows = [w["hwnd"] for w in self.driver.Windows(pid=app.pid)]
        # As the system does at log-off: ask every top-level window, then tell every one.
        answers = {hwnd: self.driver.Send(hwnd, WM_QUERYENDSESSION, 0, 0) for hwnd in windows}
        self.assertEqual(answers[app.tray], 1)
        self.assertTrue(all(answers.values()), f"a window refused the log-off: {answers}")
        self.assertEqual(self.driver.Windows(DIALOG_CLASS, pid=app.pid, visibleOnly=True), [])
        for hwnd in windows:
            if app.Running():
                self.driver.Send(hwnd, WM_ENDSESSION, 1, 0)
        self.assertEqual(app.WaitExit(), 0)
        self.assertEqual(app.NewFaults(), [], "Wine reported faults at log-off")
        WaitFor(lambda: not self.driver.TrayIcons(), "the icon to leave the notification area")

    def testHotKeysAreFreeAfterExit(self):
        app = self.StartOrvgen()
        combinations = [("Ctrl+Alt+P", VK_P), ("Ctrl+Alt+N", VK_N)]
        for name, vk in combinations:
            self.assertFalse(self.driver.CanRegisterHotKey(MOD_CONTROL | MOD_ALT, vk), f"{name} while running")
        menu = app.OpenMenu()
        left, _, _, bottom = Rect(menu["rect"])
        self.input.Click(left + 30, bottom - 10)
        app.WaitExit()
        for name, vk in combinations:
            self.assertTrue(self.driver.CanRegisterHotKey(MOD_CONTROL | MOD_ALT, vk), f"{name} after exit")


class HotKeyTest(OrvgenTestCase):
    """Ctrl+Alt+P and Ctrl+Alt+N from anywhere on the desktop."""

    @classmethod
    def setUpClass(cls) -> None:
        super().setUpClass()
        cls.app = cls.StartShared()
        cls.MeasureGenerationStep(cls.app)
        cls.StartNotepad()

    def HideMain(self) -> None:
        self.driver.Post(self.app.main, WM_CLOSE)
        WaitFor(lambda: not self.app.MainVisible(), "the main window hidden")

    # The hot key fires on the key's press and brings the main window forward; the key's
    # release then goes to that window, where Ctrl is still down: for N that release is the
    # window's own Ctrl+N and gives a second password. So the key is let go only once the
    # window is in front, which makes the count certain: one for P, two for N.
    HOT_KEYS = [("Ctrl+Alt+P", "p", 1), ("Ctrl+Alt+N", "n", 2)]

    def PressHotKey(self, app: Orvgen, key: str, generations: int) -> None:
        seq = self.driver.ClipboardSeq()
        previous = app.Fields()[0]
        self.input.Keys("keydown ctrl", "keydown alt", f"keydown {key}")
        try:
            self.WaitGeneration(seq)
            WaitFor(lambda: self.driver.Foreground() == app.main, "the main window in front")
            self.AssertFreshPassword(app, previous)
        finally:
            self.input.Keys(f"keyup {key}", "keyup alt", "keyup ctrl")
        # Input reaches the program in order: a character typed after the release shows only
        # once the release has been handled.
        _, hint = app.Edits()
        app.ClickIntoField(hint)
        self.TypeBarrier(app, hint)
        self.AssertGenerations(seq, generations, "passwords for one press of the hot key")

    def testKeysInAnotherProgramBringTheWindowWithAPassword(self):
        for name, key, generations in self.HOT_KEYS:
            with self.subTest(name):
                self.HideMain()
                self.ActivateNotepad()
                self.PressHotKey(self.app, key, generations)

    def testHotKeyMessageIdentifiers(self):
        # The message is posted, and so is the WM_CLOSE after it: once the window has hidden,
        # the hot-key message has been handled. So the window must be visible by then.
        for identifier, generations in [(0, 0), (3, 0), (1, 1), (2, 1)]:
            with self.subTest(identifier=identifier):
                if generations:
                    self.HideMain()
                else:
                    self.app.ShowByClick()
                seq = self.driver.ClipboardSeq()
                self.driver.Post(self.app.main, WM_HOTKEY, identifier, 0)
                if generations:
                    self.WaitGeneration(seq)
                    WaitFor(self.app.MainVisible, "the main window")
                self.HideMain()
                self.AssertGenerations(seq, generations, f"WM_HOTKEY {identifier}")

    def testSecondCopyGetsNeitherKey(self):
        second = self.StartOrvgen()
        self.assertEqual(len(self.driver.TrayIcons()), 2)
        for name, key, generations in self.HOT_KEYS:
            with self.subTest(name):
                self.HideMain()
                self.ActivateNotepad()
                self.PressHotKey(self.app, key, generations)
                self.assertFalse(second.MainVisible(), "the second copy answered a hot key")
        second.Stop()


class SettingsWindowTest(OrvgenTestCase):
    """The settings window beside the main window, and the start-up captions."""

    @classmethod
    def setUpClass(cls) -> None:
        super().setUpClass()
        cls.app = cls.StartShared()
        cls.settings = cls.driver.Windows(SETTINGS_CLASS, pid=cls.app.pid)[0]["hwnd"]
        cls.StartNotepad()

    def setUp(self):
        if self.app.Main()["iconic"] == "1":
            # Left minimised by a test that failed: the tests after it start as usual.
            self.driver.Post(self.app.main, WM_SYSCOMMAND, SC_RESTORE)
            WaitFor(lambda: self.app.Main()["iconic"] == "0", "the main window restored")
        self.app.ShowByClick()
        if self.SettingsVisible():
            self.app.ClickControl(self.app.Button("Settings"))
            WaitFor(lambda: not self.SettingsVisible(), "the settings window hidden")

    def SettingsVisible(self) -> bool:
        return self.driver.Window(self.settings)["visible"] == "1"

    def OpenSettings(self) -> dict:
        self.app.ClickControl(self.app.Button("Settings"))
        WaitFor(self.SettingsVisible, "the settings window")
        return self.driver.Window(self.settings)

    def testCaptionsAfterStartUp(self):
        self.assertEqual(self.app.Button("Generate").get("text"), "Generate new password\r(Ctrl + N)")
        self.assertEqual(self.app.Button("Add").get("text"), "Add\rmutation")
        self.assertEqual(self.app.Button("Settings").get("text"), "Settings")

    def testSettingsButtonShowsTheWindowBesideTheMainWindowAndHidesIt(self):
        self.assertTrue(self.driver.Ok("setpos", self.app.main, 120, 90))
        WaitFor(lambda: Rect(self.app.Main()["rect"])[:2] == (120, 90), "the main window moved")
        settings = self.OpenSettings()
        main = Rect(self.app.Main()["rect"])
        left, top, _, _ = Rect(settings["rect"])
        self.assertEqual((left, top), (main[2] + 8, main[1]))
        self.assertEqual(settings["owner"], self.app.main)
        self.assertEqual(settings["title"], "Settings")
        self.Shot("settings-beside-main")
        fields = [c for c in self.driver.Children(self.settings) if c["class"] == "msctls_hotkey32"]
        self.assertEqual([f["enabled"] for f in fields], ["0", "0"])
        values = sorted(self.driver.Send(f["hwnd"], HKM_GETHOTKEY) for f in fields)
        flags = (HOTKEYF_CONTROL | HOTKEYF_ALT) << 8
        self.assertEqual(values, sorted([flags | VK_P, flags | VK_N]))
        self.app.ClickControl(self.app.Button("Settings"))
        WaitFor(lambda: not self.SettingsVisible(), "the second click to hide it")

    def testAMinimisedWindowComesBackWithAnotherProgramActive(self):
        # Every way of asking from outside must restore the window and the settings window
        # it hid, even when bringing the window to the top would by itself end the
        # minimised state by activating the program.
        def TrayClick():
            self.app.ClickIcon()

        def MenuItem():
            left, top, _, _ = Rect(self.app.OpenMenu()["rect"])
            self.input.Click(left + 30, top + 10)

        def HotKey():
            self.input.Keys("keydown ctrl", "keydown alt", "keydown p")
            try:
                WaitFor(lambda: self.driver.Foreground() == self.app.main, "the main window in front")
            finally:
                self.input.Keys("keyup p", "keyup alt", "keyup ctrl")

        for name, call in [("tray click", TrayClick), ("menu item", MenuItem), ("hot key", HotKey)]:
            with self.subTest(name):
                if not self.app.MainVisible():
                    self.app.ShowByClick()
                if not self.SettingsVisible():
                    self.OpenSettings()
                self.input.Click(*self.app.FrameButton(self.app.main, HTMINBUTTON))
                WaitFor(lambda: self.app.Main()["iconic"] == "1", "the main window minimised")
                WaitFor(lambda: not self.SettingsVisible(), "the settings window hidden with it")
                self.ActivateNotepad()
                seq = self.driver.ClipboardSeq()
                previous = self.app.Fields()[0]
                call()
                self.WaitGeneration(seq)
                WaitFor(lambda: self.app.Main()["iconic"] == "0" and self.app.MainVisible(),
                        f"the main window restored after the {name}")
                WaitFor(self.SettingsVisible, f"the settings window back after the {name}")
                WaitFor(lambda: self.driver.Foreground() in (self.app.main, self.settings),
                        f"the program in front after the {name}")
                self.AssertFreshPassword(self.app, previous)

    def testClosingTheMainWindowLeavesTheSettingsWindowOpen(self):
        self.OpenSettings()
        self.driver.Post(self.app.main, WM_CLOSE)
        WaitFor(lambda: not self.app.MainVisible(), "the main window hidden")
        self.assertTrue(self.SettingsVisible())

    def testWaysToCloseTheSettingsWindow(self):
        def CloseButton():
            close = [c for c in self.driver.Children(self.settings) if c["class"] == "Button"][0]
            left, top, right, bottom = Rect(close["rect"])
            originX, originY = Rect(self.driver.Window(self.settings)["origin"])
            self.input.Click(originX + (left + right) // 2, originY + (top + bottom) // 2)

        def CloseBox():
            self.input.Click(*self.app.FrameButton(self.settings, HTCLOSE))

        def AltF4():
            WaitFor(lambda: self.driver.Foreground() == self.settings, "the settings window active")
            self.input.Keys("keydown alt", "key F4", "keyup alt")

        for name, close in [("Close button", CloseButton), ("close box", CloseBox), ("Alt+F4", AltF4)]:
            with self.subTest(name):
                if not self.app.MainVisible():
                    self.app.ShowByClick()
                self.OpenSettings()
                close()
                WaitFor(lambda: not self.SettingsVisible(), f"{name} to hide the settings window")
                self.assertTrue(self.driver.Window(self.settings), "the settings window was destroyed")


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", type=Path, required=True, help="orvgen.exe")
    parser.add_argument("--driver", type=Path, required=True, help="orvgen-driver.exe")
    parser.add_argument("--work", type=Path, help="folder for the Wine environments (default: beside --exe)")
    parser.add_argument("--shots", type=Path, help="folder for screenshots")
    options, rest = parser.parse_known_args()
    OPTIONS.exe = options.exe.resolve()
    OPTIONS.driver = options.driver.resolve()
    OPTIONS.work = (options.work or OPTIONS.exe.parent / "e2e-wine").resolve()
    OPTIONS.shots = (options.shots or OPTIONS.work / "shots").resolve()
    for path in (OPTIONS.exe, OPTIONS.driver):
        if not path.is_file():
            parser.error(f"{path} does not exist")
    program = unittest.main(argv=[sys.argv[0], *rest], exit=False, verbosity=2)
    return 0 if program.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
