// The main window: the latest password and its hint, the generate, mutation and settings
// buttons, the three links to the maker's pages, and the tray icon with its menu.
#pragma once

#include <string_view>

#include "controls.h"
#include "form.h"
#include "popup_menu.h"
#include "tray_icon.h"

namespace orvgen {

class TfrmOrvantaPassGenMain : public Form {
 public:
  TfrmOrvantaPassGenMain();

  // Controls in creation order, which is also the keyboard tab order of the focusable ones:
  // btnGenerate, edPassword, edHint, btnSettings, btnMutation.
  TImage imgLogo;
  TLinkLabel labVersion;
  TLinkLabel labCopyright;
  TButton btnGenerate;
  TEdit edPassword;
  TEdit edHint;
  TButton btnSettings;
  TButton btnMutation;
  TLabel labPassword;
  TLabel labPasswordHint;
  TLinkLabel labGetAnotherLang;

  TTrayIcon TrayIcon;
  TPopupMenu pmTray;
  TMenuItem& pmitCreateNewPassword;
  TMenuItem& pmitDivider;
  TMenuItem& pmitExit;

  void TrayIconClick(TObject* Sender);
  void btnGenerateClick(TObject* Sender);
  void btnMutationClick(TObject* Sender);
  void btnSettingsClick(TObject* Sender);
  void FormKeyUp(TObject* Sender, WORD& Key, TShiftState Shift);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormDestroy(TObject* Sender);
  void pmitExitClick(TObject* Sender);
  void labVersionClick(TObject* Sender);
  void labCopyrightClick(TObject* Sender);
  void labGetAnotherLangClick(TObject* Sender);

  void RegHotKeys();
  void UnRegHotKeys();
  void WMHotKey(TMessage& Message);

 private:
  void CopyPasswordToClipboard();
  void LoadLogo();
};

extern TfrmOrvantaPassGenMain* frmOrvantaPassGenMain;

// The two global hot keys' identifiers.
inline constexpr int MainHotKeyId = 1;
inline constexpr int BackupHotKeyId = 2;

}  // namespace orvgen
