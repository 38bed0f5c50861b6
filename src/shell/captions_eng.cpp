#include "captions_eng.h"

#include "maker_site.h"
#include "pg_main.h"
#include "pg_set.h"

namespace orvgen {

// Two-line texts break with a lone carriage return; the controls show it as two lines.
void ApplyCaptions() {
  TfrmOrvantaPassGenMain& main = *frmOrvantaPassGenMain;
  TfrmPassGenSettings& settings = *frmPassGenSettings;
  main.SetCaption(L"Orvanta Password Generator");
  main.btnGenerate.SetCaption(L"Generate new password\r(Ctrl + N)");
  main.btnMutation.SetCaption(L"Add\rmutation");
  main.btnSettings.SetCaption(L"Settings");
  main.labPassword.SetCaption(L"Your new password");
  main.labPasswordHint.SetCaption(L"Remember this password hint");
  main.labGetAnotherLang.SetCaption(L"Do you need another language?");
  main.labVersion.SetHint(L"Click to check for updates");
  main.labCopyright.SetHint(L"Click to visit " + MakerHomeAddress());
  main.labGetAnotherLang.SetHint(L"Download localized version of Orvanta Password Generator");
  main.TrayIcon.SetBalloonHint(L"Password Generator started! Use this tray icon to create new password.");
  main.TrayIcon.SetBalloonTitle(L"Orvanta Password Generator");
  main.TrayIcon.SetHint(L"Orvanta Password Generator - Click to generate new password");
  main.pmitCreateNewPassword.SetCaption(L"Create new password...");
  main.pmitExit.SetCaption(L"Exit");
  settings.SetCaption(L"Settings");
  settings.labTitle.SetCaption(L"This version is portable (stand-alone),\rso settings could not be changed.");
  settings.labMainHotkey.SetCaption(L"\"Create new password\" main hotkey");
  settings.labBackupHotkey.SetCaption(L"\"Create new password\" backup hotkey");
  settings.btnClose.SetCaption(L"Close");
}

}  // namespace orvgen
