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

targets=(orvgen)
[ -n "${DISPLAY:-}" ] || targets+=(orvgen-driver)
# ORVGEN_BUILD=DIR runs the programs of another Windows build folder, as they are.
if [ -n "${ORVGEN_BUILD:-}" ]; then
  build=$(cd "$ORVGEN_BUILD" && pwd)
else
  build=$root/build/windows
  [ -f "$build/build.ninja" ] || cmake --preset windows
  cmake --build --preset windows --parallel 2 --target "${targets[@]}"
fi
exe=$build/src/shell/orvgen.exe
driver=$build/tests/e2e/orvgen-driver.exe

# shellcheck source=scripts/wine_env.sh
source scripts/wine_env.sh

if [ -n "${DISPLAY:-}" ]; then
  export WINEPREFIX=$root/build/wine-desktop/prefix
  wine_env_prefix "$WINEPREFIX"
  exec wine "$exe"
fi

fail() {
  echo "run.sh: $*" >&2
  exit 1
}

# Prints the value of KEY from the driver's tab-separated key=value record on stdin.
field() {
  awk -F'\t' -v key="$1" '{ for (i = 1; i <= NF; i++) if (index($i, key "=") == 1) { print substr($i, length(key) + 2); exit } }'
}

drive() { wine "$driver" "$@"; }

export WINE_ENV_TEMPLATE=${WINE_ENV_TEMPLATE:-$build/e2e-wine/template}
wine_env_up "$build/run-wine"
trap wine_env_down EXIT

wine "$exe" >"$build/run-wine/orvgen.log" 2>&1 &

drive wait-tray-icons 1 30000 >/dev/null || fail "the tray icon did not appear"
icon=$(drive tray-icons | sed -n 2p)
before=$(drive clipboard-seq | field seq)
xdotool mousemove "$(field cx <<<"$icon")" "$(field cy <<<"$icon")" click 1

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
