// The settings window: the two global hot keys, shown and locked in this edition. It is
// where the hot keys live: registration reads them from its two fields.
#pragma once

#include "controls.h"
#include "form.h"

namespace orvgen {

class TfrmPassGenSettings : public Form {
 public:
  TfrmPassGenSettings();

  TLabel labTitle;
  TLabel labMainHotkey;
  THotKey hkCreateNewPasswordMain;
  TLabel labBackupHotkey;
  THotKey hkCreateNewPasswordBackup;
  TButton btnClose;

  void btnCloseClick(TObject* Sender);
};

extern TfrmPassGenSettings* frmPassGenSettings;

}  // namespace orvgen
