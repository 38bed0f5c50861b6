#include "controls.h"

#include <commctrl.h>

#include "form.h"
#include "shortcut.h"
#include "text.h"

namespace orvgen {
namespace {
// Control ids start above IDOK and IDCANCEL, which the dialog keys send on their own.
int nextControlId = 100;
}  // namespace

void Control::CreateOn(Form& form, const wchar_t* windowClass, DWORD style, DWORD exStyle, const DesignRect& r,
                       const std::wstring& text) {
  form_ = &form;
  window_ = CreateWindowExW(exStyle, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style, form.Scale(r.left),
                            form.Scale(r.top), form.Scale(r.width), form.Scale(r.height), form.Handle(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextControlId++)), GetModuleHandleW(nullptr),
                            nullptr);
  SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(form.Font()), FALSE);
  form.AddControl(*this);
}

void Control::SetCaption(const std::wstring& text) { SetWindowTextW(Handle(), text.c_str()); }
std::wstring Control::Caption() const { return WindowText(Handle()); }

void Control::Command(WORD notification) {
  if (notification == 0 && OnClick) OnClick(this);
}

TButton::TButton(Form& form, const DesignRect& r, const std::wstring& caption) {
  CreateOn(form, L"Button", WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER, 0, r, caption);
}

TEdit::TEdit(Form& form, const DesignRect& r) {
  CreateOn(form, L"Edit", WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, r, L"");
}

void TEdit::SelectAll() { SendMessageW(Handle(), EM_SETSEL, 0, -1); }

TLabel::TLabel(Form& form, const DesignRect& r, const std::wstring& caption) : TLabel(form, r, caption, false) {}

TLabel::TLabel(Form& form, const DesignRect& r, const std::wstring& caption, bool link) {
  CreateOn(form, L"Static", SS_LEFT | SS_NOPREFIX | (link ? SS_NOTIFY : 0), 0, r, caption);
  if (!link) FitToText();  // a link label fits itself once it has its own font
}

void TLabel::SetCaption(const std::wstring& text) {
  Control::SetCaption(text);
  FitToText();
}

void TLabel::FitToText() {
  ScreenDc screen;
  ScopedSelect select(screen.Get(), reinterpret_cast<HGDIOBJ>(SendMessageW(Handle(), WM_GETFONT, 0, 0)));
  const std::wstring text = Caption();
  RECT r{0, 0, 0, 0};
  DrawTextW(screen.Get(), text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_LEFT | DT_NOPREFIX);
  SetWindowPos(Handle(), nullptr, 0, 0, r.right, r.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TLinkLabel::TLinkLabel(Form& form, const DesignRect& r, const std::wstring& caption) : TLabel(form, r, caption, true) {
  SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(form.LinkFont()), FALSE);
  FitToText();
}

void TLinkLabel::SetHint(const std::wstring& hint) {
  hint_ = hint;
  form_->SetToolTip(Handle(), hint_);
}

bool TLinkLabel::SetCursor() {
  ::SetCursor(LoadCursorW(nullptr, IDC_HAND));
  return true;
}

TImage::TImage(Form& form, int left, int top) {
  CreateOn(form, L"Static", SS_OWNERDRAW, 0, DesignRect{left, top, 0, 0}, L"");
}

void TImage::SetPicture(int width, int height, const std::vector<std::uint8_t>& rgba) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows, as the picture stores them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  BitmapHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) return;
  // AlphaBlend takes premultiplied BGRA.
  auto* out = static_cast<std::uint8_t*>(bits);
  for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) {
    const unsigned a = rgba[i + 3];
    out[i + 0] = static_cast<std::uint8_t>(rgba[i + 2] * a / 255);
    out[i + 1] = static_cast<std::uint8_t>(rgba[i + 1] * a / 255);
    out[i + 2] = static_cast<std::uint8_t>(rgba[i + 0] * a / 255);
    out[i + 3] = static_cast<std::uint8_t>(a);
  }
  bitmap_ = std::move(bitmap);
  width_ = width;
  height_ = height;
  SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TImage::DrawItem(const DRAWITEMSTRUCT& item) {
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  if (!bitmap_) return;
  MemoryDcHandle memory(CreateCompatibleDC(item.hDC));
  ScopedSelect select(memory.Get(), bitmap_.Get());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(item.hDC, 0, 0, width_, height_, memory.Get(), 0, 0, width_, height_, blend);
}

THotKey::THotKey(Form& form, const DesignRect& r, std::uint16_t shortCut, bool enabled) {
  CreateOn(form, HOTKEY_CLASSW, (enabled ? WS_TABSTOP : WS_DISABLED), WS_EX_CLIENTEDGE, r, L"");
  SetHotKey(shortCut);
}

std::uint16_t THotKey::HotKey() const {
  return ShortCutFromHotKeyWord(static_cast<std::uint16_t>(SendMessageW(Handle(), HKM_GETHOTKEY, 0, 0)));
}

void THotKey::SetHotKey(std::uint16_t shortCut) {
  SendMessageW(Handle(), HKM_SETHOTKEY, ShortCutToHotKeyWord(shortCut), 0);
}

}  // namespace orvgen
