#!/usr/bin/env bash
# Makes docs/orvgen-windows.png, the picture at the top of README.md: the real orvgen.exe
# under Wine on a virtual screen, its main window brought up by a click on the tray icon
# and the settings window opened beside it by a click on the Settings button, cut out of
# the screen as one picture of the two windows.
#
# ORVGEN_BUILD=DIR takes the programs of another Windows build folder, as they are.
# The picture goes to docs/orvgen-windows.png, or to the path given as the first argument.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=${1:-$root/docs/orvgen-windows.png}

bash scripts/setup.sh

# shellcheck source=scripts/orvgen_drive.sh
source scripts/orvgen_drive.sh
orvgen_programs orvgen orvgen-driver

# shellcheck source=scripts/wine_env.sh
source scripts/wine_env.sh
export WINE_ENV_TEMPLATE=${WINE_ENV_TEMPLATE:-$build/e2e-wine/template}
work=$build/screenshot-wine
wine_env_up "$work"
trap wine_env_down EXIT

wine "$exe" >"$work/orvgen.log" 2>&1 &

orvgen_click_tray_icon || fail "the tray icon did not appear"

window_of() { drive windows --class "$1" --visible | head -n1; }
main_up() { [ -n "$(window_of TfrmOrvantaPassGenMain)" ]; }
settings_up() { [ -n "$(window_of TfrmPassGenSettings)" ]; }
_wine_env_poll 15 main_up || fail "the main window did not come up"
main=$(window_of TfrmOrvantaPassGenMain)

# A real click on the Settings button: its rectangle is in the window's client
# coordinates, the window's origin is the client area's top left on the screen.
button=$(drive children "$(field hwnd <<<"$main")" | grep -P '\tclass=Button\t' | grep -P '\ttext=Settings\t' | head -n1)
[ -n "$button" ] || fail "no Settings button in the main window"
IFS=, read -r ox oy <<<"$(field origin <<<"$main")"
IFS=, read -r bl bt br bb <<<"$(field rect <<<"$button")"
xdotool mousemove $((ox + (bl + br) / 2)) $((oy + (bt + bb) / 2)) click 1
_wine_env_poll 15 settings_up || fail "the settings window did not come up"
# The pointer goes to the desktop's corner: no hover look, no tooltip in the picture.
xdotool mousemove 0 0

# The picture: both windows and a small margin of desktop around them.
main=$(window_of TfrmOrvantaPassGenMain)
settings=$(window_of TfrmPassGenSettings)
IFS=, read -r ml mt mr mb <<<"$(field rect <<<"$main")"
IFS=, read -r sl st sr sb <<<"$(field rect <<<"$settings")"
margin=8
left=$(( (ml < sl ? ml : sl) - margin ))
top=$(( (mt < st ? mt : st) - margin ))
right=$(( (mr > sr ? mr : sr) + margin ))
bottom=$(( (mb > sb ? mb : sb) + margin ))
((left >= 0 && top >= 0)) || fail "the windows reach past the screen's top left"
geometry="$((right - left))x$((bottom - top))+$left+$top"

# Windows paint after they show: take the picture once two in a row are the same.
shot=$work/shot
previous=
stable=0
for _ in $(seq 40); do
  import -window root -crop "$geometry" +repage "$shot.png"
  current=$(convert "$shot.png" rgb:- | sha256sum)
  if [ "$current" = "$previous" ]; then
    stable=1
    break
  fi
  previous=$current
  sleep 0.25
done
[ "$stable" -eq 1 ] || fail "the screen did not settle"

mkdir -p "$(dirname "$out")"
# No time stamps or other metadata in the file: it changes only when the picture does.
convert "$shot.png" -strip -define png:exclude-chunks=date,time "$out"
echo "Screenshot of the two windows ($geometry): $out"
