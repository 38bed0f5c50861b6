// orvgen.exe: the tray program's entry.
#include <windows.h>

#include <exception>

#include "application.h"
#include "startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int code = 1;
  try {
    orvgen::StartUp();
    code = orvgen::RunMessageLoop();
  } catch (...) {
    // A failure before the loop runs (no window could be made, a damaged resource).
    orvgen::Application.HandleException(std::current_exception());
  }
  orvgen::TearDown();
  return code;
}
