// A top-level form: created hidden, with its controls as members of the subclass. It owns
// its font, scales its design by the system text height, reflects control notifications
// back to the controls, and turns a close request into the close action its handler picks.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "application.h"
#include "handles.h"
#include "object.h"
#include "placement.h"

namespace orvgen {

class Control;

enum TCloseAction { caNone, caHide, caFree, caMinimize };

// The modifier keys at a key message.
struct TShiftState {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

struct FormDesign {
  const wchar_t* className;
  std::wstring caption;
  int clientWidth;
  int clientHeight;
  bool sizeable;  // the ordinary sizeable frame with a minimise box; else a dialog frame
  bool minimizeBox;
  bool showIcon;  // the application's icon in the caption
  bool centerOnFirstShow;
};

class Form : public TObject {
 public:
  explicit Form(const FormDesign& design);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  HWND Handle() const { return window_.Get(); }
  HFONT Font() const { return font_.Get(); }
  // Bold underlined Tahoma for the form's link labels, made on first use; the form keeps
  // it, so it outlives every control that draws with it.
  HFONT LinkFont();

  // Design pixels to device pixels: by the ratio of the font's text height to 13.
  int Scale(int designPixels) const { return MulDiv(designPixels, textHeight_, 13); }

  void SetCaption(const std::wstring& text);
  std::wstring Caption() const;

  bool Visible() const { return IsWindowVisible(Handle()) != FALSE; }
  // Shows the form by its window state (centred on the first showing) and puts it on top.
  void Show();
  void Hide();
  // Asks the form to close: the close handler picks the action (caHide unless it says else).
  void Close();
  // Puts the form at the top of the window order without activating it: activation is
  // left to the caller, which may first have to restore a minimised application.
  void BringToFront();

  void SetState(WindowState state) { state_ = state; }

  // The outer rectangle, frame included, in screen pixels.
  ScreenRect Bounds() const;
  void SetBounds(int left, int top);

  bool KeyPreview = false;
  TCloseEvent OnClose;
  TNotifyEvent OnDestroy;
  TKeyEvent OnKeyUp;

  // Called by the message loop for every key release aimed at this form or its controls.
  void PreviewKeyUp(WORD key);

  void AddControl(Control& control) { controls_.push_back(&control); }
  // The control behind a child window handle, or nullptr.
  Control* FindControl(HWND hwnd) const;
  // The tooltip shown over one of the form's controls; all share one tooltip window.
  void SetToolTip(HWND control, const std::wstring& text);
  // Gives the focus back to the control that had it last (the first in tab order at first).
  void RestoreFocus();

 protected:
  // Only the application deletes a form, and only after DestroyWindowFirst.
  ~Form() override;

  // A handler for one window message, in the manner of a message map.
  void BindMessage(UINT message, std::function<void(TMessage&)> handler) {
    messageHandlers_[message] = std::move(handler);
  }

 private:
  friend class TApplication;
  template <typename T>
  friend LRESULT CALLBACK BoundWindowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultButtonId() const;
  void CenterOnScreen();
  // Hides the form, runs its destroy handler while the window and every member of the
  // whole form still exist, then destroys the window.
  void DestroyWindowFirst();

  FontHandle font_;
  FontHandle linkFont_;
  HWND tooltip_ = nullptr;  // owned by the form's window, which destroys it
  int textHeight_ = 13;
  WindowState state_ = WindowState::Normal;
  bool shownBefore_ = false;
  bool centerOnFirstShow_ = false;
  HWND lastFocus_ = nullptr;
  std::vector<Control*> controls_;
  std::map<UINT, std::function<void(TMessage&)>> messageHandlers_;
  // Declared last, so that it goes first should the form be torn down without
  // DestroyWindowFirst (a failed constructor): its controls draw with the fonts above.
  BoundWindowHandle window_;
};

// Tahoma 8 points at the screen's dots per inch, in the given weight and style.
FontHandle CreateTahoma8(bool bold = false, bool underline = false);

}  // namespace orvgen
