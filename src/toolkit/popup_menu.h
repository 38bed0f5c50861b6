// A popup menu of captioned items. The choice comes back as WM_COMMAND to the window the
// menu was tracked for (the application window), which hands it to DispatchMenuCommand.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "handles.h"
#include "object.h"

namespace orvgen {

class TPopupMenu;

class TMenuItem : public TObject {
 public:
  TMenuItem(TPopupMenu& menu, UINT id) : menu_(menu), id_(id) {}
  UINT Id() const { return id_; }
  std::wstring Caption() const;
  void SetCaption(const std::wstring& caption);
  TNotifyEvent OnClick;

 private:
  TPopupMenu& menu_;
  UINT id_;
};

class TPopupMenu : public TObject {
 public:
  TPopupMenu();
  TPopupMenu(const TPopupMenu&) = delete;
  TPopupMenu& operator=(const TPopupMenu&) = delete;
  ~TPopupMenu() override;

  HMENU Handle() const { return menu_.Get(); }
  // "-" as the caption makes a separator. The default item is drawn in bold.
  TMenuItem& Add(const std::wstring& caption, bool isDefault = false);
  // Shows the menu with its left edge at the point; returns when it closes.
  void Popup(int x, int y);
  // Runs the item's handler when the id is one of this menu's.
  bool Dispatch(UINT id);

 private:
  MenuHandle menu_;
  std::vector<std::unique_ptr<TMenuItem>> items_;
};

// Runs the handler of the menu item with this command id, whichever menu holds it.
void DispatchMenuCommand(UINT id);

}  // namespace orvgen
