// orvgen-driver: looks at and pokes the Windows side of the desktop for the end-to-end tests.
//
// Every subcommand prints plain UTF-8 lines. A record is one line of tab-separated
// key=value fields; inside a value, backslash, tab, CR, LF and other control characters
// are escaped (\\ \t \r \n \xHH), so the Python side can split safely and unescape.
// The exit status tells success (0), "nothing there" (1) and misuse (64). `screen` and
// `pixels` are for a person looking into the harness; the tests use the rest.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::wstring>;

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::wstring Escape(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    switch (c) {
      case L'\\':
        out += L"\\\\";
        break;
      case L'\t':
        out += L"\\t";
        break;
      case L'\r':
        out += L"\\r";
        break;
      case L'\n':
        out += L"\\n";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          wchar_t buf[8];
          swprintf(buf, 8, L"\\x%02X", static_cast<unsigned>(c));
          out += buf;
        } else {
          out += c;
        }
    }
  }
  return out;
}

// Output is collected and written in one piece, so a reader never sees half a record.
std::string gOut;

void Line(const std::wstring& text) {
  gOut += ToUtf8(text);
  gOut += '\n';
}

// A lost answer must not pass for an empty one: when stdout takes nothing, the driver
// ends with status 3.
void Flush() {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  size_t done = 0;
  while (done < gOut.size()) {
    DWORD written = 0;
    if (!WriteFile(out, gOut.data() + done, static_cast<DWORD>(gOut.size() - done), &written, nullptr) || written == 0)
      ExitProcess(3);
    done += written;
  }
  gOut.clear();
}

// Builds one record line.
class Record {
 public:
  Record& Add(const wchar_t* key, const std::wstring& value) {
    if (!line_.empty()) line_ += L'\t';
    line_ += key;
    line_ += L'=';
    line_ += Escape(value);
    return *this;
  }
  Record& Hex(const wchar_t* key, uint64_t value) {
    wchar_t buf[32];
    swprintf(buf, 32, L"0x%llX", static_cast<unsigned long long>(value));
    return Add(key, buf);
  }
  Record& Num(const wchar_t* key, long long value) { return Add(key, std::to_wstring(value)); }
  Record& Rect(const wchar_t* key, const RECT& r) {
    wchar_t buf[96];
    swprintf(buf, 96, L"%ld,%ld,%ld,%ld", r.left, r.top, r.right, r.bottom);
    return Add(key, buf);
  }
  void Print() { Line(line_); }

 private:
  std::wstring line_;
};

class UsageError {
 public:
  explicit UsageError(std::wstring message) : text(std::move(message)) {}
  std::wstring text;
};

uint64_t ParseNumber(const std::wstring& text) {
  if (text.empty()) throw UsageError(L"number expected");
  wchar_t* end = nullptr;
  unsigned long long value = 0;
  if (text[0] == L'-') {
    value = static_cast<unsigned long long>(std::wcstoll(text.c_str(), &end, 0));
  } else {
    value = std::wcstoull(text.c_str(), &end, 0);
  }
  if (end == nullptr || *end != L'\0') throw UsageError(L"not a number: " + text);
  return value;
}

HWND ParseHwnd(const std::wstring& text) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(ParseNumber(text))); }

// A message is a number, or "reg:NAME" for a registered window message.
UINT ParseMessage(const std::wstring& text) {
  if (text.rfind(L"reg:", 0) == 0) return RegisterWindowMessageW(text.substr(4).c_str());
  return static_cast<UINT>(ParseNumber(text));
}

const Args& Need(const Args& args, size_t count, const wchar_t* usage) {
  if (args.size() < count) throw UsageError(std::wstring(L"usage: ") + usage);
  return args;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t buf[256] = {};
  GetClassNameW(hwnd, buf, 256);
  return buf;
}

// WM_GETTEXT is marshalled across processes; GetWindowTextW is not, for controls.
std::wstring TextOf(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 3000, &length)) return {};
  std::wstring buf(length + 2, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG, 3000,
                           &copied))
    return {};
  buf.resize(copied);
  return buf;
}

void AddWindowFields(Record& rec, HWND hwnd) {
  DWORD pid = 0;
  DWORD tid = GetWindowThreadProcessId(hwnd, &pid);
  RECT rect{}, client{};
  GetWindowRect(hwnd, &rect);
  GetClientRect(hwnd, &client);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  rec.Hex(L"hwnd", reinterpret_cast<uintptr_t>(hwnd))
      .Num(L"pid", pid)
      .Num(L"tid", tid)
      .Add(L"class", ClassOf(hwnd))
      .Add(L"title", TextOf(hwnd))
      .Num(L"visible", IsWindowVisible(hwnd) ? 1 : 0)
      .Num(L"enabled", IsWindowEnabled(hwnd) ? 1 : 0)
      .Num(L"iconic", IsIconic(hwnd) ? 1 : 0)
      .Rect(L"rect", rect)
      .Add(L"client", std::to_wstring(client.right) + L"," + std::to_wstring(client.bottom))
      .Add(L"origin", std::to_wstring(origin.x) + L"," + std::to_wstring(origin.y))
      .Hex(L"style", static_cast<uint32_t>(GetWindowLongPtrW(hwnd, GWL_STYLE)))
      .Hex(L"exstyle", static_cast<uint32_t>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)))
      .Hex(L"owner", reinterpret_cast<uintptr_t>(GetWindow(hwnd, GW_OWNER)));
}

void PrintWindow(HWND hwnd) {
  Record rec;
  AddWindowFields(rec, hwnd);
  rec.Print();
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM found) {
  reinterpret_cast<std::vector<HWND>*>(found)->push_back(hwnd);
  return TRUE;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> found;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

// windows [--pid N] [--class NAME] [--visible]
int CmdWindows(const Args& args) {
  DWORD wantPid = 0;
  std::wstring wantClass;
  bool onlyVisible = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == L"--pid" && i + 1 < args.size()) {
      wantPid = static_cast<DWORD>(ParseNumber(args[++i]));
    } else if (args[i] == L"--class" && i + 1 < args.size()) {
      wantClass = args[++i];
    } else if (args[i] == L"--visible") {
      onlyVisible = true;
    } else {
      throw UsageError(L"usage: windows [--pid N] [--class NAME] [--visible]");
    }
  }
  for (HWND hwnd : TopLevelWindows()) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (wantPid != 0 && pid != wantPid) continue;
    if (!wantClass.empty() && ClassOf(hwnd) != wantClass) continue;
    if (onlyVisible && !IsWindowVisible(hwnd)) continue;
    PrintWindow(hwnd);
  }
  return 0;
}

int CmdWindow(const Args& args) {
  HWND hwnd = ParseHwnd(Need(args, 1, L"window HWND")[0]);
  if (!IsWindow(hwnd)) return 1;
  PrintWindow(hwnd);
  return 0;
}

// Windows answers WM_GETFONT from another process; Wine 8 fails the call, and its GDI
// handles mean nothing outside their own process either. "(unreadable)" says which case
// it is, an empty face that the control has no font of its own.
std::wstring FontFields(HWND hwnd, long& height, int& weight, int& underline) {
  DWORD_PTR font = 0;
  height = 0;
  weight = 0;
  underline = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETFONT, 0, 0, SMTO_ABORTIFHUNG, 3000, &font)) return L"(unreadable)";
  if (font == 0) return L"";
  LOGFONTW lf{};
  if (GetObjectW(reinterpret_cast<HFONT>(font), sizeof lf, &lf) != sizeof lf) return L"(unreadable)";
  height = lf.lfHeight;
  weight = lf.lfWeight;
  underline = lf.lfUnderline;
  return lf.lfFaceName;
}

// children HWND: every descendant; rect is in client coordinates of its own parent.
int CmdChildren(const Args& args) {
  HWND parent = ParseHwnd(Need(args, 1, L"children HWND")[0]);
  if (!IsWindow(parent)) return 1;
  for (HWND child : Descendants(parent)) {
    RECT rect{};
    GetWindowRect(child, &rect);
    HWND own = GetParent(child);
    MapWindowPoints(HWND_DESKTOP, own, reinterpret_cast<POINT*>(&rect), 2);
    long height = 0;
    int weight = 0, underline = 0;
    std::wstring face = FontFields(child, height, weight, underline);
    Record rec;
    rec.Hex(L"hwnd", reinterpret_cast<uintptr_t>(child))
        .Hex(L"parent", reinterpret_cast<uintptr_t>(own))
        .Num(L"id", GetDlgCtrlID(child))
        .Add(L"class", ClassOf(child))
        .Add(L"text", TextOf(child))
        .Rect(L"rect", rect)
        .Hex(L"style", static_cast<uint32_t>(GetWindowLongPtrW(child, GWL_STYLE)))
        .Hex(L"exstyle", static_cast<uint32_t>(GetWindowLongPtrW(child, GWL_EXSTYLE)))
        .Num(L"visible", IsWindowVisible(child) ? 1 : 0)
        .Num(L"enabled", IsWindowEnabled(child) ? 1 : 0)
        .Add(L"font", face)
        .Num(L"fontheight", height)
        .Num(L"fontweight", weight)
        .Num(L"underline", underline)
        .Print();
  }
  return 0;
}

// The clipboard may be held for a moment by the program under test: retry, bounded.
bool OpenClipboardPatiently() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (OpenClipboard(nullptr)) return true;
    Sleep(20);
  }
  return false;
}

int CmdClipboard(const Args&) {
  if (!OpenClipboardPatiently()) {
    Line(L"error=cannot open clipboard");
    return 2;
  }
  int rc = 1;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
      Record().Add(L"text", text).Print();
      GlobalUnlock(data);
      rc = 0;
    }
  }
  CloseClipboard();
  return rc;
}

int CmdClipboardSeq(const Args&) {
  Record().Num(L"seq", GetClipboardSequenceNumber()).Print();
  return 0;
}

std::wstring StandardFormatName(UINT format) {
  static const std::map<UINT, const wchar_t*> names = {
      {CF_TEXT, L"CF_TEXT"},
      {CF_BITMAP, L"CF_BITMAP"},
      {CF_METAFILEPICT, L"CF_METAFILEPICT"},
      {CF_SYLK, L"CF_SYLK"},
      {CF_DIF, L"CF_DIF"},
      {CF_TIFF, L"CF_TIFF"},
      {CF_OEMTEXT, L"CF_OEMTEXT"},
      {CF_DIB, L"CF_DIB"},
      {CF_PALETTE, L"CF_PALETTE"},
      {CF_PENDATA, L"CF_PENDATA"},
      {CF_RIFF, L"CF_RIFF"},
      {CF_WAVE, L"CF_WAVE"},
      {CF_UNICODETEXT, L"CF_UNICODETEXT"},
      {CF_ENHMETAFILE, L"CF_ENHMETAFILE"},
      {CF_HDROP, L"CF_HDROP"},
      {CF_LOCALE, L"CF_LOCALE"},
      {CF_DIBV5, L"CF_DIBV5"},
  };
  auto it = names.find(format);
  if (it != names.end()) return it->second;
  wchar_t buf[256] = {};
  if (GetClipboardFormatNameW(format, buf, 256) > 0) return buf;
  return L"#" + std::to_wstring(format);
}

// Lists every format; for the four marks that keep a text out of clipboard
// monitors and history, also the DWORD they hold.
int CmdClipboardFormats(const Args&) {
  static const wchar_t* const marks[] = {L"ExcludeClipboardContentFromMonitorProcessing",
                                         L"CanIncludeInClipboardHistory", L"CanUploadToCloudClipboard",
                                         L"Clipboard Viewer Ignore"};
  if (!OpenClipboardPatiently()) {
    Line(L"error=cannot open clipboard");
    return 2;
  }
  for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
    Record rec;
    std::wstring name = StandardFormatName(format);
    rec.Num(L"format", format).Add(L"name", name);
    for (const wchar_t* mark : marks) {
      if (name != mark) continue;
      if (HANDLE data = GetClipboardData(format)) {
        if (GlobalSize(data) >= sizeof(DWORD)) {
          if (auto* value = static_cast<const DWORD*>(GlobalLock(data))) {
            rec.Num(L"dword", *value);
            GlobalUnlock(data);
          }
        }
      }
    }
    rec.Print();
  }
  CloseClipboard();
  return 0;
}

int CmdSetClipboard(const Args& args) {
  const std::wstring& text = Need(args, 1, L"set-clipboard TEXT")[0];
  if (!OpenClipboardPatiently()) return 2;
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (auto* dest = static_cast<wchar_t*>(GlobalLock(mem))) {
    std::wmemcpy(dest, text.c_str(), text.size() + 1);
    GlobalUnlock(mem);
  }
  bool ok = SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
  CloseClipboard();
  return ok ? 0 : 1;
}

// hold-clipboard MS: keep the clipboard open, as a busy clipboard tool would.
int CmdHoldClipboard(const Args& args) {
  DWORD ms = static_cast<DWORD>(ParseNumber(Need(args, 1, L"hold-clipboard MS")[0]));
  if (!OpenClipboardPatiently()) {
    Line(L"error=cannot open clipboard");
    return 2;
  }
  Line(L"held");
  Flush();
  Sleep(ms);
  CloseClipboard();
  Line(L"released");
  return 0;
}

int CmdPost(const Args& args) {
  Need(args, 4, L"post HWND MSG WPARAM LPARAM");
  HWND hwnd = ParseHwnd(args[0]);
  BOOL ok = PostMessageW(hwnd, ParseMessage(args[1]), static_cast<WPARAM>(ParseNumber(args[2])),
                         static_cast<LPARAM>(ParseNumber(args[3])));
  return ok ? 0 : 1;
}

int CmdSend(const Args& args) {
  Need(args, 4, L"send HWND MSG WPARAM LPARAM [TIMEOUT_MS]");
  HWND hwnd = ParseHwnd(args[0]);
  UINT timeout = args.size() > 4 ? static_cast<UINT>(ParseNumber(args[4])) : 5000;
  DWORD_PTR result = 0;
  LRESULT ok = SendMessageTimeoutW(hwnd, ParseMessage(args[1]), static_cast<WPARAM>(ParseNumber(args[2])),
                                   static_cast<LPARAM>(ParseNumber(args[3])), SMTO_ABORTIFHUNG, timeout, &result);
  if (!ok) {
    Record().Add(L"error", L"send failed").Num(L"lasterror", GetLastError()).Print();
    return 1;
  }
  Record().Num(L"result", static_cast<long long>(result)).Print();
  return 0;
}

int CmdBroadcastTaskbarCreated(const Args&) {
  UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  DWORD_PTR result = 0;
  // SMTO_ABORTIFHUNG keeps one stuck window from stalling the whole broadcast.
  LRESULT ok = SendMessageTimeoutW(HWND_BROADCAST, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
  Record().Num(L"message", message).Print();
  return ok ? 0 : 1;
}

int CmdForeground(const Args&) {
  HWND hwnd = GetForegroundWindow();
  if (hwnd == nullptr) {
    Line(L"hwnd=0x0");
    return 1;
  }
  PrintWindow(hwnd);
  return 0;
}

// focus HWND: the active and focused windows of the thread that owns HWND.
int CmdFocus(const Args& args) {
  HWND hwnd = ParseHwnd(Need(args, 1, L"focus HWND")[0]);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info)) return 1;
  Record()
      .Hex(L"active", reinterpret_cast<uintptr_t>(info.hwndActive))
      .Hex(L"focus", reinterpret_cast<uintptr_t>(info.hwndFocus))
      .Hex(L"capture", reinterpret_cast<uintptr_t>(info.hwndCapture))
      .Hex(L"menuowner", reinterpret_cast<uintptr_t>(info.hwndMenuOwner))
      .Hex(L"flags", info.flags)
      .Print();
  return 0;
}

// sel HWND: the selection of an edit field.
int CmdSel(const Args& args) {
  HWND hwnd = ParseHwnd(Need(args, 1, L"sel HWND")[0]);
  DWORD start = 0, end = 0;
  DWORD_PTR unused = 0;
  // EM_GETSEL with null pointers answers in the result, which needs no marshalling.
  if (!SendMessageTimeoutW(hwnd, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 3000, &unused)) return 1;
  start = LOWORD(unused);
  end = HIWORD(unused);
  Record().Num(L"start", start).Num(L"end", end).Print();
  return 0;
}

int CmdCanRegisterHotkey(const Args& args) {
  Need(args, 2, L"can-register-hotkey MODS VK");
  UINT mods = static_cast<UINT>(ParseNumber(args[0]));
  UINT vk = static_cast<UINT>(ParseNumber(args[1]));
  constexpr int probeId = 0x5A5A;
  if (RegisterHotKey(nullptr, probeId, mods, vk)) {
    UnregisterHotKey(nullptr, probeId);
    Line(L"yes");
  } else {
    Line(L"no");
  }
  return 0;
}

// setpos HWND X Y [W H]: move (and optionally size) without activating.
int CmdSetPos(const Args& args) {
  Need(args, 3, L"setpos HWND X Y [W H]");
  HWND hwnd = ParseHwnd(args[0]);
  int x = static_cast<int>(ParseNumber(args[1]));
  int y = static_cast<int>(ParseNumber(args[2]));
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  int w = 0, h = 0;
  if (args.size() >= 5) {
    w = static_cast<int>(ParseNumber(args[3]));
    h = static_cast<int>(ParseNumber(args[4]));
  } else {
    flags |= SWP_NOSIZE;
  }
  return SetWindowPos(hwnd, nullptr, x, y, w, h, flags) ? 0 : 1;
}

// Wine's explorer keeps the notification area inside the taskbar window "Shell_TrayWnd".
HWND FindTray() { return FindWindowW(L"Shell_TrayWnd", nullptr); }

// Reads a rectangle of the screen as 0xRRGGBB values, row by row.
std::vector<uint32_t> GrabScreen(int x, int y, int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr && bits != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, x, y, SRCCOPY);
    GdiFlush();
    const auto* src = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = src[i] & 0xFFFFFFu;
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

int CmdPixels(const Args& args) {
  Need(args, 4, L"pixels X Y W H");
  int x = static_cast<int>(ParseNumber(args[0])), y = static_cast<int>(ParseNumber(args[1]));
  int w = static_cast<int>(ParseNumber(args[2])), h = static_cast<int>(ParseNumber(args[3]));
  auto pixels = GrabScreen(x, y, w, h);
  for (int row = 0; row < h; ++row) {
    std::wstring line;
    for (int col = 0; col < w; ++col) {
      wchar_t buf[16];
      swprintf(buf, 16, L"%06X ", pixels[static_cast<size_t>(row * w + col)]);
      line += buf;
    }
    Line(line);
  }
  return 0;
}

// Wine's explorer paints the notification-area icons straight into its taskbar window
// and keeps no window, toolbar button or readable record per icon (the tooltip window
// it makes for each icon outlives the icon). What can be read from outside is the
// picture: icons stand in slots of 16 + 2 * 2 pixels from the taskbar's right end, the
// first added at the far right, with no gap. A slot holds an icon when its 16 x 16
// inner square differs anywhere from the taskbar's background.
struct TrayIcon {
  int slot, x, y, width, height;
  uint64_t hash;
};

struct TrayScan {
  bool taskbar = false;
  uint32_t background = 0;
  std::vector<TrayIcon> icons;
};

TrayScan ScanTray() {
  TrayScan scan;
  HWND tray = FindTray();
  RECT rect{};
  if (tray == nullptr || !IsWindowVisible(tray) || !GetWindowRect(tray, &rect)) return scan;
  scan.taskbar = true;
  const int slotWidth = GetSystemMetrics(SM_CXSMICON) + 4;
  const int iconWidth = GetSystemMetrics(SM_CXSMICON);
  const int iconHeight = GetSystemMetrics(SM_CYSMICON);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  auto strip = GrabScreen(rect.left, rect.top, width, height);
  auto at = [&](int x, int y) { return strip[static_cast<size_t>(y * width + x)]; };
  // The last column is never covered by an icon (each slot has a 2-pixel margin).
  scan.background = at(width - 1, height / 2);
  const int top = (height - iconHeight) / 2;
  for (int slot = 0; (slot + 1) * slotWidth <= width / 2; ++slot) {
    const int left = width - (slot + 1) * slotWidth + 2;
    bool occupied = false;
    uint64_t hash = 1469598103934665603ull;  // FNV-1a over the slot's pixels
    for (int y = top; y < top + iconHeight; ++y) {
      for (int x = left; x < left + iconWidth; ++x) {
        uint32_t pixel = at(x, y);
        occupied = occupied || pixel != scan.background;
        hash = (hash ^ pixel) * 1099511628211ull;
      }
    }
    if (!occupied) break;
    scan.icons.push_back({slot, rect.left + left, rect.top + top, iconWidth, iconHeight, hash});
  }
  return scan;
}

int CmdTrayIcons(const Args&) {
  TrayScan scan = ScanTray();
  if (!scan.taskbar) {
    Record().Num(L"count", 0).Add(L"taskbar", L"none").Print();
    return 0;
  }
  wchar_t bg[16];
  swprintf(bg, 16, L"%06X", scan.background);
  Record().Num(L"count", static_cast<long long>(scan.icons.size())).Add(L"background", bg).Print();
  for (const TrayIcon& icon : scan.icons) {
    Record()
        .Num(L"slot", icon.slot)
        .Num(L"x", icon.x)
        .Num(L"y", icon.y)
        .Num(L"cx", icon.x + icon.width / 2)
        .Num(L"cy", icon.y + icon.height / 2)
        .Hex(L"hash", icon.hash)
        .Print();
  }
  return 0;
}

// tray-delete HWND UID: takes an icon out of the notification area the way a restarted
// shell loses it, so that "TaskbarCreated" has something to put back.
int CmdTrayDelete(const Args& args) {
  Need(args, 2, L"tray-delete HWND UID");
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = ParseHwnd(args[0]);
  data.uID = static_cast<UINT>(ParseNumber(args[1]));
  return Shell_NotifyIconW(NIM_DELETE, &data) ? 0 : 1;
}

// hit-area HWND CODE: the screen rectangle of the window's frame part that answers
// WM_NCHITTEST with CODE (HTCLOSE 20, HTMINBUTTON 8, ...), asked of the window itself.
int CmdHitArea(const Args& args) {
  Need(args, 2, L"hit-area HWND CODE");
  HWND hwnd = ParseHwnd(args[0]);
  auto code = static_cast<LRESULT>(ParseNumber(args[1]));
  RECT rect{};
  if (!GetWindowRect(hwnd, &rect)) return 1;
  RECT found{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
  // Title-bar buttons live in the top band of the frame.
  for (LONG y = rect.top; y < rect.top + 48 && y < rect.bottom; ++y) {
    for (LONG x = rect.left; x < rect.right; ++x) {
      DWORD_PTR hit = 0;
      LPARAM point = MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
      if (!SendMessageTimeoutW(hwnd, WM_NCHITTEST, 0, point, SMTO_ABORTIFHUNG, 1000, &hit)) return 1;
      if (static_cast<LRESULT>(hit) != code) continue;
      found.left = std::min(found.left, x);
      found.top = std::min(found.top, y);
      found.right = std::max(found.right, x + 1);
      found.bottom = std::max(found.bottom, y + 1);
    }
  }
  if (found.left == LONG_MAX) return 1;
  Record()
      .Rect(L"rect", found)
      .Num(L"cx", (found.left + found.right) / 2)
      .Num(L"cy", (found.top + found.bottom) / 2)
      .Print();
  return 0;
}

// The wall-clock time in nanoseconds since 1970, on the same clock as Linux's `date +%s%N`.
long long UnixNanoseconds() {
  FILETIME now{};
  GetSystemTimePreciseAsFileTime(&now);
  ULARGE_INTEGER ticks{};
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  return static_cast<long long>(ticks.QuadPart - 116444736000000000ull) * 100;
}

// Prints "waiting" at once (so a caller knows the driver is already looking), then polls
// CONDITION every millisecond for up to TIMEOUT_MS and prints when it first held.
int WaitUntil(const Args& args, size_t timeoutIndex, const std::function<bool()>& condition) {
  DWORD timeout = static_cast<DWORD>(ParseNumber(args.at(timeoutIndex)));
  Line(L"waiting");
  Flush();
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) {
      Record().Num(L"unixns", UnixNanoseconds()).Print();
      return 0;
    }
    if (GetTickCount() - start > timeout) {
      Line(L"timeout");
      return 1;
    }
    Sleep(1);
  }
}

// wait-window CLASS TIMEOUT_MS: until a top-level window of CLASS exists, shown or not.
int CmdWaitWindow(const Args& args) {
  Need(args, 2, L"wait-window CLASS TIMEOUT_MS");
  const std::wstring& className = args[0];
  return WaitUntil(args, 1, [&] { return FindWindowW(className.c_str(), nullptr) != nullptr; });
}

// wait-tray-icons COUNT TIMEOUT_MS: until the notification area shows at least COUNT icons.
int CmdWaitTrayIcons(const Args& args) {
  Need(args, 2, L"wait-tray-icons COUNT TIMEOUT_MS");
  size_t want = static_cast<size_t>(ParseNumber(args[0]));
  return WaitUntil(args, 1, [&] { return ScanTray().icons.size() >= want; });
}

// wait-clipboard-change SEQ TIMEOUT_MS: until the clipboard's sequence number is not SEQ.
int CmdWaitClipboardChange(const Args& args) {
  Need(args, 2, L"wait-clipboard-change SEQ TIMEOUT_MS");
  DWORD seq = static_cast<DWORD>(ParseNumber(args[0]));
  return WaitUntil(args, 1, [&] { return GetClipboardSequenceNumber() != seq; });
}

int CmdScreen(const Args&) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  HDC dc = GetDC(nullptr);
  Record()
      .Num(L"width", GetSystemMetrics(SM_CXSCREEN))
      .Num(L"height", GetSystemMetrics(SM_CYSCREEN))
      .Num(L"dpi", GetDeviceCaps(dc, LOGPIXELSY))
      .Rect(L"work", work)
      .Print();
  ReleaseDC(nullptr, dc);
  return 0;
}

const std::map<std::wstring, std::function<int(const Args&)>>& Commands() {
  static const std::map<std::wstring, std::function<int(const Args&)>> commands = {
      {L"windows", CmdWindows},
      {L"window", CmdWindow},
      {L"children", CmdChildren},
      {L"clipboard", CmdClipboard},
      {L"clipboard-seq", CmdClipboardSeq},
      {L"clipboard-formats", CmdClipboardFormats},
      {L"set-clipboard", CmdSetClipboard},
      {L"hold-clipboard", CmdHoldClipboard},
      {L"post", CmdPost},
      {L"send", CmdSend},
      {L"broadcast-taskbarcreated", CmdBroadcastTaskbarCreated},
      {L"foreground", CmdForeground},
      {L"focus", CmdFocus},
      {L"sel", CmdSel},
      {L"can-register-hotkey", CmdCanRegisterHotkey},
      {L"setpos", CmdSetPos},
      {L"pixels", CmdPixels},
      {L"tray-icons", CmdTrayIcons},
      {L"tray-delete", CmdTrayDelete},
      {L"hit-area", CmdHitArea},
      {L"wait-window", CmdWaitWindow},
      {L"wait-tray-icons", CmdWaitTrayIcons},
      {L"wait-clipboard-change", CmdWaitClipboardChange},
      {L"screen", CmdScreen},
  };
  return commands;
}

int Dispatch(const Args& command) {
  auto it = Commands().find(command[0]);
  if (it == Commands().end()) {
    Line(L"error=unknown command " + Escape(command[0]));
    return 64;
  }
  try {
    return it->second(Args(command.begin() + 1, command.end()));
  } catch (const UsageError& e) {
    Record().Add(L"error", e.text).Print();
    return 64;
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::wstring names;
    for (const auto& [name, _] : Commands()) names += L" " + name;
    Line(L"usage: orvgen-driver COMMAND ARGS...; commands:" + names);
    Flush();
    return 64;
  }
  Args command(argv + 1, argv + argc);
  int rc = Dispatch(command);
  Flush();
  return rc;
}
