# shellcheck shell=bash
# For scripts that run the real orvgen.exe under Wine and drive it from outside: real
# clicks through xdotool, and the end-to-end driver (orvgen-driver.exe) to read windows.
#
#   source scripts/orvgen_drive.sh
#   orvgen_programs orvgen orvgen-driver   # sets build, exe and driver
#   wine_env_up DIR; wine "$exe" & ...
#   orvgen_click_tray_icon || fail "the tray icon did not appear"

fail() {
  echo "$(basename "$0"): $*" >&2
  exit 1
}

# Prints the value of KEY from the driver's tab-separated key=value record on stdin.
field() {
  awk -F'\t' -v key="$1" '{ for (i = 1; i <= NF; i++) if (index($i, key "=") == 1) { print substr($i, length(key) + 2); exit } }'
}

drive() { wine "$driver" "$@"; }

# orvgen_programs TARGET...: builds the targets in build/windows and sets build, exe and
# driver. ORVGEN_BUILD=DIR takes the programs of another Windows build folder, as they are.
orvgen_programs() {
  if [ -n "${ORVGEN_BUILD:-}" ]; then
    build=$(cd "$ORVGEN_BUILD" && pwd)
  else
    build=$PWD/build/windows
    [ -f "$build/build.ninja" ] || cmake --preset windows >/dev/null
    cmake --build --preset windows --parallel "$(nproc)" --target "$@"
  fi
  exe=$build/src/shell/orvgen.exe
  driver=$build/tests/e2e/orvgen-driver.exe
}

# Waits for the first icon in the notification area and clicks it once.
orvgen_click_tray_icon() {
  drive wait-tray-icons 1 30000 >/dev/null || return 1
  local icon
  icon=$(drive tray-icons | sed -n 2p)
  xdotool mousemove "$(field cx <<<"$icon")" "$(field cy <<<"$icon")" click 1
}
