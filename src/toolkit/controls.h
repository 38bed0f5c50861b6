// The controls the forms are made of. Each is created on its form at a design rectangle,
// takes the form's font, and raises its own OnClick when the form reflects a notification.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "handles.h"
#include "object.h"

namespace orvgen {

class Form;

class Control : public TObject {
 public:
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  ~Control() override = default;

  HWND Handle() const { return window_; }
  void SetCaption(const std::wstring& text);
  std::wstring Caption() const;

  TNotifyEvent OnClick;

  // The form hands these on from WM_COMMAND, WM_DRAWITEM and WM_SETCURSOR. A click
  // (BN_CLICKED, STN_CLICKED: both 0) raises OnClick.
  void Command(WORD notification);
  virtual void DrawItem(const DRAWITEMSTRUCT&) {}
  virtual bool SetCursor() { return false; }

 protected:
  Control() = default;
  void CreateOn(Form& form, const wchar_t* windowClass, DWORD style, DWORD exStyle, const DesignRect& r,
                const std::wstring& text);
  Form* form_ = nullptr;

 private:
  HWND window_ = nullptr;  // a child of the form's window, destroyed with it
};

class TButton : public Control {
 public:
  TButton(Form& form, const DesignRect& r, const std::wstring& caption);
};

class TEdit : public Control {
 public:
  TEdit(Form& form, const DesignRect& r);
  std::wstring Text() const { return Caption(); }
  void SetText(const std::wstring& text) { SetCaption(text); }
  void SelectAll();
};

// A plain label that sizes itself to its text.
class TLabel : public Control {
 public:
  TLabel(Form& form, const DesignRect& r, const std::wstring& caption);
  void SetCaption(const std::wstring& text);

 protected:
  TLabel(Form& form, const DesignRect& r, const std::wstring& caption, bool link);
  void FitToText();
};

// A label that reads as a link: bold underlined, the hand cursor, a tooltip, a click.
class TLinkLabel : public TLabel {
 public:
  TLinkLabel(Form& form, const DesignRect& r, const std::wstring& caption);
  void SetHint(const std::wstring& hint);
  std::wstring Hint() const { return hint_; }
  bool SetCursor() override;

 private:
  std::wstring hint_;
};

// A picture drawn with its alpha over the form's background, sized to the picture.
class TImage : public Control {
 public:
  TImage(Form& form, int left, int top);
  // Straight (not premultiplied) RGBA pixels, rows top-down.
  void SetPicture(int width, int height, const std::vector<std::uint8_t>& rgba);
  void DrawItem(const DRAWITEMSTRUCT& item) override;

 private:
  BitmapHandle bitmap_;
  int width_ = 0;
  int height_ = 0;
};

// The common controls' hot-key field; shows a TShortCut in words.
class THotKey : public Control {
 public:
  THotKey(Form& form, const DesignRect& r, std::uint16_t shortCut, bool enabled);
  std::uint16_t HotKey() const;
  void SetHotKey(std::uint16_t shortCut);
};

}  // namespace orvgen
