#!/usr/bin/env bash
# Runs Orvanta Password Generator (orvgen.exe) under Wine on Linux.
#
# With DISPLAY set, the program starts on your desktop and runs until you choose "Exit"
# in its tray menu. Without a display, it starts on a virtual screen: the script clicks
# its tray icon once, prints the password and hint that the program put on the clipboard
# and in its window, saves a screenshot of the screen with the window up, and ends.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh

# shellcheck source=scripts/orvgen_drive.sh
source scripts/orvgen_drive.sh
targets=(orvgen)
[ -n "${DISPLAY:-}" ] || targets+=(orvgen-driver)
orvgen_programs "${targets[@]}"

# shellcheck source=scripts/wine_env.sh
source scripts/wine_env.sh

if [ -n "${DISPLAY:-}" ]; then
  export WINEPREFIX=$root/build/wine-desktop/prefix
  wine_env_prefix "$WINEPREFIX"
  exec wine "$exe"
fi

export WINE_ENV_TEMPLATE=${WINE_ENV_TEMPLATE:-$build/e2e-wine/template}
wine_env_up "$build/run-wine"
trap wine_env_down EXIT

wine "$exe" >"$build/run-wine/orvgen.log" 2>&1 &

before=$(drive clipboard-seq | field seq)
orvgen_click_tray_icon || fail "the tray icon did not appear"

main_visible() {
  drive windows --class TfrmOrvantaPassGenMain --visible | grep -q .
}
clipboard_moved() {
  [ "$(drive clipboard-seq | field seq)" != "$before" ]
}
_wine_env_poll 15 main_visible || fail "the main window did not come up"
_wine_env_poll 15 clipboard_moved || fail "nothing was copied to the clipboard"

main=$(drive windows --class TfrmOrvantaPassGenMain --visible | head -n1 | field hwnd)
# The two edit fields, top one first: the password, then the hint.
mapfile -t fields < <(drive children "$main" | grep -P '\tclass=Edit\t' |
  awk -F'\t' '{ for (i = 1; i <= NF; i++) if (index($i, "rect=") == 1) { split(substr($i, 6), r, ","); print r[2] "\t" $0 } }' |
  sort -n | cut -f2-)
[ "${#fields[@]}" -eq 2 ] || fail "expected two edit fields in the main window"

echo "Password (window):    $(field text <<<"${fields[0]}")"
echo "Hint (window):        $(field text <<<"${fields[1]}")"
echo "Password (clipboard): $(drive clipboard | field text)"

shot=$root/build/orvgen-screenshot.png
import -window root "$shot"
echo "Screenshot: $shot"
