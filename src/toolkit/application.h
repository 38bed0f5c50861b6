// The application object: one per process. It owns the hidden tool window that takes the
// application-wide messages, knows the main form, runs the message loop and turns an error
// that escapes a handler into the error box, after which the loop goes on.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "handles.h"

namespace orvgen {

class Form;

// Thrown to leave a handler quietly: the loop catches it and shows nothing.
class AbortError : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

enum class WindowState { Normal, Minimized, Maximized };

class TApplication {
 public:
  TApplication() = default;
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;
  ~TApplication() = default;

  // Creates the hidden application window. Has no visible effect.
  void Initialize();

  bool MainFormOnTaskBar = false;
  bool ShowMainForm = true;
  std::wstring Title;

  HWND Handle() const { return window_.Get(); }
  // The application's icon (resource 1 of the exe) at a size; shared, never destroyed.
  HICON Icon(int size) const;
  Form* MainForm() const { return mainForm_; }

  // Creates a form the application owns until FreeForm or DestroyForms, and keeps
  // `global` pointing at it for as long as it lives. The first form created becomes the
  // main form.
  template <typename T>
  T& CreateForm(T*& global) {
    T* form = new T();
    global = form;
    globals_.push_back([&global](Form* gone) {
      if (static_cast<Form*>(global) == gone) global = nullptr;
    });
    return *form;
  }

  // Forms register themselves when they are created and leave when they are destroyed.
  void AddForm(Form& form);
  void RemoveForm(Form& form);

  // The show command the process was started with (SW_SHOWDEFAULT unless the launcher
  // set STARTF_USESHOWWINDOW), and the main form's window state it gives:
  // 3 maximised, 7 minimised, anything else normal. Nothing is shown.
  static WORD LaunchShowCommand();
  void ApplyLaunchShowCommand(WORD show);

  // The minimised state: entered when the user minimises the main form, left by Restore
  // or when the application becomes active again with the main form no longer minimised.
  bool IsMinimized() const { return minimized_; }
  void NoteMainFormMinimized();
  void Restore();

  // Fetches and dispatches messages until WM_QUIT. Returns the quit code.
  int Run();
  // Handles every message waiting in the queue, then returns (a quit message is kept).
  void ProcessMessages();
  // Frees every form, the last created first.
  void DestroyForms();
  // Frees one form: out of the list, its window destroyed first (destroy handler
  // included) while the whole form still exists, then the form itself.
  void FreeForm(Form& form);

  // Shows an error that escaped a handler; AbortError is silent.
  void HandleException(std::exception_ptr error) noexcept;

  // The error box: the message with its full stop, the title as caption, the error icon.
  void ShowErrorBox(const std::wstring& message) noexcept;

 private:
  template <typename T>
  friend LRESULT CALLBACK BoundWindowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool PreTranslate(MSG& msg);
  void Dispatch(MSG& msg);

  BoundWindowHandle window_;
  Form* mainForm_ = nullptr;
  std::vector<Form*> forms_;
  std::vector<Form*> hiddenByMinimize_;
  std::vector<std::function<void(Form*)>> globals_;  // forget a destroyed form
  bool minimized_ = false;
  bool ending_ = false;
};

// The one application object of the process.
extern TApplication Application;

// Runs a handler body and hands any error to the application object: no exception may
// cross a window procedure.
template <typename Body>
void Guarded(Body&& body) noexcept {
  try {
    body();
  } catch (...) {
    Application.HandleException(std::current_exception());
  }
}

}  // namespace orvgen
