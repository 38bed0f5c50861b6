#include "pg_set.h"

#include "shortcut.h"

namespace orvgen {

TfrmPassGenSettings* frmPassGenSettings = nullptr;

namespace {
constexpr TShortCut CtrlAltP = ShortCutCtrl | ShortCutAlt | 'P';  // 0xC050
constexpr TShortCut CtrlAltN = ShortCutCtrl | ShortCutAlt | 'N';  // 0xC04E

FormDesign SettingsDesign() {
  return FormDesign{L"TfrmPassGenSettings",     L"Settings", 291, 186,
                    /*sizeable=*/false,
                    /*minimizeBox=*/false,
                    /*showIcon=*/false,
                    /*centerOnFirstShow=*/false};
}
}  // namespace

TfrmPassGenSettings::TfrmPassGenSettings()
    : Form(SettingsDesign()),
      labTitle(*this, {8, 16, 185, 26},
               L"This version is portable (stand-alone), \r\nso settings could not be changed."),
      labMainHotkey(*this, {8, 53, 174, 13}, L"\"Create new password\" main hotkey"),
      hkCreateNewPasswordMain(*this, {8, 72, 275, 19}, CtrlAltP, /*enabled=*/false),
      labBackupHotkey(*this, {8, 101, 186, 13}, L"\"Create new password\" backup hotkey"),
      hkCreateNewPasswordBackup(*this, {8, 120, 275, 19}, CtrlAltN, /*enabled=*/false),
      btnClose(*this, {223, 153, 60, 25}, L"Close") {
  btnClose.OnClick = [this](TObject* sender) { btnCloseClick(sender); };
}

void TfrmPassGenSettings::btnCloseClick(TObject* /*Sender*/) { Close(); }

}  // namespace orvgen
