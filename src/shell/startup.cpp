#include "startup.h"

#include "application.h"
#include "captions_eng.h"
#include "pg_main.h"
#include "pg_set.h"

namespace orvgen {

void StartUp() {
  Application.Initialize();
  Application.MainFormOnTaskBar = true;
  Application.ShowMainForm = false;
  Application.Title = L"Orvanta Password Generator";
  Application.CreateForm(frmOrvantaPassGenMain);
  Application.CreateForm(frmPassGenSettings);
  ApplyCaptions();
  frmOrvantaPassGenMain->RegHotKeys();
  frmOrvantaPassGenMain->TrayIcon.SetVisible(true);
  frmOrvantaPassGenMain->TrayIcon.ShowBalloonHint();
}

int RunMessageLoop() {
  Application.ApplyLaunchShowCommand(TApplication::LaunchShowCommand());
  if (Application.ShowMainForm && Application.MainForm()) Application.MainForm()->Show();
  return Application.Run();
}

void TearDown() { Application.DestroyForms(); }

}  // namespace orvgen
