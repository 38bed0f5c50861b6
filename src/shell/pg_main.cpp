#include "pg_main.h"

#include <cstring>
#include <stdexcept>

#include "generator.h"
#include "maker_site.h"
#include "mutation.h"
#include "pg_set.h"
#include "placement.h"
#include "platform.h"
#include "png_reader.h"
#include "resource_ids.h"
#include "shortcut.h"
#include "text.h"
#include "ui_rules.h"

namespace orvgen {

TfrmOrvantaPassGenMain* frmOrvantaPassGenMain = nullptr;

namespace {

// How long a copy waits for a clipboard that another program holds: well under the time
// a person notices.
constexpr DWORD ClipboardPatienceMs = 50;

FormDesign MainDesign() {
  return FormDesign{L"TfrmOrvantaPassGenMain", L"Orvanta Password Generator", 312, 256,
                    /*sizeable=*/true,
                    /*minimizeBox=*/true,
                    /*showIcon=*/true,
                    /*centerOnFirstShow=*/true};
}

// Puts one clipboard format's data; the clipboard owns the memory once it takes it.
void PutClipboardData(UINT format, const void* data, std::size_t size) {
  GlobalHandle memory(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!memory) return;
  if (void* target = GlobalLock(memory.Get())) {
    std::memcpy(target, data, size);
    GlobalUnlock(memory.Get());
    if (SetClipboardData(format, memory.Get())) memory.Release();
  }
}

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT r, LPARAM list) noexcept {
  try {
    reinterpret_cast<std::vector<ScreenRect>*>(list)->push_back(ScreenRect{r->left, r->top, r->right, r->bottom});
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

std::vector<ScreenRect> MonitorRects() {
  std::vector<ScreenRect> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

}  // namespace

TfrmOrvantaPassGenMain::TfrmOrvantaPassGenMain()
    : Form(MainDesign()),
      imgLogo(*this, 8, 8),
      labVersion(*this, {10, 50, 149, 13}, ORVGEN_VERSION_LABEL),
      labCopyright(*this, {10, 66, 214, 13}, std::wstring(L"Copyright \u00A9 2026 Orvanta, ") + MakerHost),
      btnGenerate(*this, {8, 90, 140, 40}, L"Generate new password \r\n(Ctrl + N)"),
      edPassword(*this, {8, 157, 294, 21}),
      edHint(*this, {8, 201, 294, 21}),
      btnSettings(*this, {230, 90, 72, 40}, L"Settings"),
      btnMutation(*this, {152, 90, 74, 40}, L"Add \r\nmutation"),
      labPassword(*this, {10, 140, 94, 13}, L"Your new password"),
      labPasswordHint(*this, {10, 184, 141, 13}, L"Remember this password hint"),
      labGetAnotherLang(*this, {10, 232, 179, 13}, L"Do you need another language?"),
      pmitCreateNewPassword(pmTray.Add(L"Create new password...", /*isDefault=*/true)),
      pmitDivider(pmTray.Add(L"-")),
      pmitExit(pmTray.Add(L"Exit")) {
  LoadLogo();
  labVersion.SetHint(L"Click to check for updates");
  labCopyright.SetHint(L"Click to visit " + MakerHomeAddress());
  labGetAnotherLang.SetHint(L"Download localized version of Orvanta Password Generator");

  TrayIcon.SetHint(L"Orvanta Password Generator - Click to generate new password");
  TrayIcon.SetBalloonTitle(L"Orvanta Password Generator");
  TrayIcon.SetBalloonHint(L"Password Generator started! Use this tray icon to create new password.");
  TrayIcon.SetBalloonTimeout(6000);
  TrayIcon.BalloonFlags = bfInfo;
  TrayIcon.Icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY), IMAGE_ICON, 16, 16, LR_SHARED));
  TrayIcon.PopupMenu = &pmTray;

  auto bind = [this](void (TfrmOrvantaPassGenMain::*handler)(TObject*)) {
    return [this, handler](TObject* sender) { (this->*handler)(sender); };
  };
  TrayIcon.OnClick = bind(&TfrmOrvantaPassGenMain::TrayIconClick);
  pmitCreateNewPassword.OnClick = bind(&TfrmOrvantaPassGenMain::TrayIconClick);
  pmitExit.OnClick = bind(&TfrmOrvantaPassGenMain::pmitExitClick);
  btnGenerate.OnClick = bind(&TfrmOrvantaPassGenMain::btnGenerateClick);
  btnMutation.OnClick = bind(&TfrmOrvantaPassGenMain::btnMutationClick);
  btnSettings.OnClick = bind(&TfrmOrvantaPassGenMain::btnSettingsClick);
  labVersion.OnClick = bind(&TfrmOrvantaPassGenMain::labVersionClick);
  labCopyright.OnClick = bind(&TfrmOrvantaPassGenMain::labCopyrightClick);
  labGetAnotherLang.OnClick = bind(&TfrmOrvantaPassGenMain::labGetAnotherLangClick);
  OnDestroy = bind(&TfrmOrvantaPassGenMain::FormDestroy);
  OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
  OnKeyUp = [this](TObject* sender, WORD& key, TShiftState shift) { FormKeyUp(sender, key, shift); };
  KeyPreview = true;
  BindMessage(WM_HOTKEY, [this](TMessage& m) { WMHotKey(m); });
}

void TfrmOrvantaPassGenMain::LoadLogo() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(IDR_LOGO), MAKEINTRESOURCEW(10));  // RT_RCDATA
  HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) throw std::runtime_error("The logo picture is missing from the program");
  const PngResult png = DecodePng(
      std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(bytes), SizeofResource(instance, resource)));
  if (!png.Ok()) throw std::runtime_error("The logo picture cannot be read: " + png.error);
  imgLogo.SetPicture(static_cast<int>(png.image.width), static_cast<int>(png.image.height), png.image.rgba);
}

void TfrmOrvantaPassGenMain::TrayIconClick(TObject* Sender) {
  Show();
  Application.Restore();
  CurrentPlatform().SetForegroundWindow(Handle());
  btnGenerateClick(Sender);
}

void TfrmOrvantaPassGenMain::btnGenerateClick(TObject* /*Sender*/) {
  const PasswordAndHint generated = GeneratePassword();
  edPassword.SetText(ToWide(generated.password));
  edHint.SetText(ToWide(generated.hint));
  CopyPasswordToClipboard();
}

void TfrmOrvantaPassGenMain::btnMutationClick(TObject* /*Sender*/) {
  edPassword.SetText(ToWide(MutatePassword(ToU16(edPassword.Text()))));
  CopyPasswordToClipboard();
}

void TfrmOrvantaPassGenMain::CopyPasswordToClipboard() {
  edPassword.SelectAll();
  const std::wstring text = edPassword.Text();
  if (text.empty()) return;  // an empty selection copies nothing; the clipboard keeps its contents
  // Clipboard history and clipboard managers open the clipboard right after every change,
  // so a quick second copy (a held hot key, a double press) can find it held for a few
  // milliseconds; giving up at once would leave the field showing a password that the
  // clipboard does not hold. Held for longer, the copy is left out without a word.
  ClipboardSession clipboard(Handle(), ClipboardPatienceMs);
  if (!clipboard.Opened()) return;
  EmptyClipboard();
  PutClipboardData(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  // Marks that keep a password out of clipboard history, the cloud clipboard and
  // clipboard managers; they must be there before the clipboard is closed.
  const DWORD no = 0;
  PutClipboardData(RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"), &no, sizeof no);
  PutClipboardData(RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"), &no, sizeof no);
  PutClipboardData(RegisterClipboardFormatW(L"CanUploadToCloudClipboard"), &no, sizeof no);
  PutClipboardData(RegisterClipboardFormatW(L"Clipboard Viewer Ignore"), &no, sizeof no);
}

void TfrmOrvantaPassGenMain::FormKeyUp(TObject* /*Sender*/, WORD& Key, TShiftState Shift) {
  if (IsGenerateKeyRelease(Key, Shift.ctrl)) btnGenerateClick(this);
}

void TfrmOrvantaPassGenMain::FormClose(TObject* /*Sender*/, TCloseAction& Action) {
  Action = caNone;
  Hide();
}

void TfrmOrvantaPassGenMain::FormDestroy(TObject* /*Sender*/) { UnRegHotKeys(); }

void TfrmOrvantaPassGenMain::pmitExitClick(TObject* /*Sender*/) { PostQuitMessage(0); }

namespace {
void OpenPage(const std::wstring& address) {
  CurrentPlatform().ShellExecuteW(nullptr, L"open", address.c_str(), L"", L"", SW_SHOW);
}
}  // namespace

void TfrmOrvantaPassGenMain::labVersionClick(TObject* /*Sender*/) { OpenPage(MakerDownloadsPage()); }
void TfrmOrvantaPassGenMain::labCopyrightClick(TObject* /*Sender*/) { OpenPage(MakerHomePage()); }
void TfrmOrvantaPassGenMain::labGetAnotherLangClick(TObject* /*Sender*/) { OpenPage(MakerDownloadsPage()); }

void TfrmOrvantaPassGenMain::btnSettingsClick(TObject* /*Sender*/) {
  TfrmPassGenSettings& settings = *frmPassGenSettings;
  ScreenPoint place = SettingsPlaceBeside(Bounds());
  settings.SetBounds(place.x, place.y);
  if (settings.Visible()) {
    settings.Hide();
    return;
  }
  const ScreenRect own = settings.Bounds();
  place = KeepOnActiveMonitor(place, own.Width(), own.Height(), Bounds(), MonitorRects());
  settings.SetBounds(place.x, place.y);
  settings.Show();
}

void TfrmOrvantaPassGenMain::RegHotKeys() {
  if (!frmPassGenSettings) return;
  const struct {
    int id;
    const THotKey& field;
  } keys[] = {{MainHotKeyId, frmPassGenSettings->hkCreateNewPasswordMain},
              {BackupHotKeyId, frmPassGenSettings->hkCreateNewPasswordBackup}};
  for (const auto& k : keys) {
    const TShortCut value = k.field.HotKey();
    if (value == 0) continue;
    std::uint32_t modifiers = 0, key = 0;
    ShortCutToHotKeyParts(value, modifiers, key);
    CurrentPlatform().RegisterHotKey(Handle(), k.id, modifiers, key);
  }
}

void TfrmOrvantaPassGenMain::UnRegHotKeys() {
  CurrentPlatform().UnregisterHotKey(Handle(), MainHotKeyId);
  CurrentPlatform().UnregisterHotKey(Handle(), BackupHotKeyId);
}

void TfrmOrvantaPassGenMain::WMHotKey(TMessage& Message) {
  if (Message.WParam == static_cast<WPARAM>(MainHotKeyId) || Message.WParam == static_cast<WPARAM>(BackupHotKeyId)) {
    TrayIconClick(this);
  }
}

}  // namespace orvgen
