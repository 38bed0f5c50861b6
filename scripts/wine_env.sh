# shellcheck shell=bash
# A Wine prefix, a virtual X screen and the named Wine desktop "orvgen", for running
# orvgen.exe and its Windows tests on a Linux machine without a display.
#
#   source scripts/wine_env.sh
#   wine_env_up build/windows/wine      # fresh prefix, Xvfb, desktop; exports DISPLAY, WINEPREFIX, WINEDEBUG
#   trap wine_env_down EXIT
#   wine_in_desktop build/windows/src/shell/orvgen.exe
#
# WINE_ENV_TEMPLATE=DIR keeps a pristine prefix in DIR and copies it instead of running
# `wineboot -i` every time (about 1 s instead of 8).
#
# Every program of the prefix runs in the desktop "orvgen": the prefix names it as the
# default desktop, so a plain `wine prog.exe` lands there and keeps its own stdout and
# exit status (starting through `wine explorer /desktop=...` loses both at times).

WINE_ENV_DESKTOP_NAME=orvgen
WINE_ENV_DESKTOP_SIZE=1024x700
WINE_ENV_SCREEN=1024x768x24

_wine_env_log() { [ -n "${WINE_ENV_QUIET:-}" ] || echo "wine_env: $*" >&2; }

_wine_env_now() { date +%s.%N; }

# Polls "$@" every 50 ms until it succeeds or SECONDS_LIMIT has passed.
_wine_env_poll() {
  local limit=$1
  shift
  local deadline
  deadline=$(awk -v now="$(_wine_env_now)" -v l="$limit" 'BEGIN { printf "%.3f", now + l }')
  while ! "$@" >/dev/null 2>&1; do
    if awk -v now="$(_wine_env_now)" -v d="$deadline" 'BEGIN { exit !(now > d) }'; then
      return 1
    fi
    sleep 0.05
  done
}

_wine_env_font_files() {
  local files
  files=$(dpkg -L fonts-wine 2>/dev/null | grep -i '\.ttf$' || true)
  [ -n "$files" ] || files=$(ls /usr/share/wine/fonts/*.ttf 2>/dev/null || true)
  printf '%s\n' "$files"
}

# Makes a prefix from scratch in $1: wineboot, fonts, no crash dialog and, unless $2 is
# "own-display", the desktop "orvgen" as every program's desktop.
_wine_env_init_prefix() {
  local prefix=$1 display=${2:-virtual}
  mkdir -p "$(dirname "$prefix")"
  # wineboot needs no display; mono and gecko are switched off by WINEDLLOVERRIDES.
  if ! WINEPREFIX=$prefix DISPLAY= wineboot -i >"$prefix.wineboot.log" 2>&1; then
    _wine_env_log "wineboot failed, see $prefix.wineboot.log"
    return 1
  fi
  # Wine does not look in the fonts-wine folder: without these, Tahoma comes out as
  # another face and the title-bar buttons draw as letters.
  local fonts=$prefix/drive_c/windows/Fonts
  mkdir -p "$fonts"
  local f
  while IFS= read -r f; do
    [ -n "$f" ] && cp -f "$f" "$fonts/"
  done < <(_wine_env_font_files)
  local reg=$prefix.setup.reg
  {
    printf 'Windows Registry Editor Version 5.00\n\n'
    # A crash must end the program, not leave a dialog waiting for a click.
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\n"ShowCrashDialog"=dword:00000000\n\n'
    if [ "$display" != own-display ]; then
      printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"Desktop"="%s"\n\n' "$WINE_ENV_DESKTOP_NAME"
      printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"%s"="%s"\n' \
        "$WINE_ENV_DESKTOP_NAME" "$WINE_ENV_DESKTOP_SIZE"
    fi
  } >"$reg"
  WINEPREFIX=$prefix DISPLAY= wine reg import "$(winepath_unix_to_win "$reg")" >/dev/null 2>&1 ||
    WINEPREFIX=$prefix DISPLAY= wine regedit /S "$reg" >/dev/null 2>&1
  rm -f "$reg"
  # The registry reaches the disk when the prefix's wineserver ends.
  WINEPREFIX=$prefix wineserver -w
}

# The Z: drive maps the Unix root, so a Unix path is a Windows path with backslashes.
winepath_unix_to_win() { printf 'Z:%s' "${1//\//\\}"; }

_wine_env_make_prefix() {
  rm -rf "$WINEPREFIX"
  local template=${WINE_ENV_TEMPLATE:-}
  if [ -z "$template" ]; then
    _wine_env_init_prefix "$WINEPREFIX"
    return
  fi
  local stamp
  stamp="$(wine --version 2>/dev/null) $WINE_ENV_DESKTOP_NAME $WINE_ENV_DESKTOP_SIZE fonts"
  mkdir -p "$(dirname "$template")"
  (
    # Two runs sharing a template must not build it at the same time.
    flock 9
    if [ ! -f "$template/.orvgen-template" ] || [ "$(cat "$template/.orvgen-template")" != "$stamp" ]; then
      rm -rf "$template"
      _wine_env_init_prefix "$template" || exit 1
      printf '%s' "$stamp" >"$template/.orvgen-template"
    fi
  ) 9>"$template.lock" || return 1
  cp -a "$template" "$WINEPREFIX"
  rm -f "$WINEPREFIX/.orvgen-template"
}

_wine_env_start_xvfb() {
  local dir=$1
  rm -f "$dir/xvfb.display"
  # -displayfd lets Xvfb pick a free display number itself and tell us which. -r turns
  # off auto-repeat: a key held down for a moment too long by a busy machine must not
  # turn into extra presses (each would be one more password).
  Xvfb -displayfd 3 -screen 0 "$WINE_ENV_SCREEN" -nolisten tcp -r 3>"$dir/xvfb.display" >"$dir/xvfb.log" 2>&1 &
  echo $! >"$dir/xvfb.pid"
  if ! _wine_env_poll 15 grep -q '[0-9]' "$dir/xvfb.display"; then
    _wine_env_log "Xvfb did not start, see $dir/xvfb.log"
    return 1
  fi
  export DISPLAY=":$(tr -dc '0-9' <"$dir/xvfb.display")"
}

_wine_env_desktop_up() {
  xdotool search --name "^$WINE_ENV_DESKTOP_NAME - Wine desktop\$" >/dev/null 2>&1
}

_wine_env_start_desktop() {
  local dir=$1
  wine explorer "/desktop=$WINE_ENV_DESKTOP_NAME,$WINE_ENV_DESKTOP_SIZE" >"$dir/explorer.log" 2>&1 &
  echo $! >"$dir/explorer.pid"
  if ! _wine_env_poll 60 _wine_env_desktop_up; then
    _wine_env_log "the Wine desktop did not come up, see $dir/explorer.log"
    return 1
  fi
}

# wine_env_up DIR: fresh prefix DIR/prefix, Xvfb on a free display, the desktop running.
wine_env_up() {
  local dir=${1:-}
  if [ -z "$dir" ]; then
    echo "usage: wine_env_up DIR" >&2
    return 2
  fi
  local started
  started=$(_wine_env_now)
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  # Calling it again gives a fresh environment rather than a second one beside the first.
  [ -f "$dir/xvfb.pid" ] && wine_env_down "$dir"
  export WINE_ENV_DIR=$dir
  export WINEPREFIX=$dir/prefix
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  _wine_env_make_prefix || { wine_env_down "$dir"; return 1; }
  _wine_env_start_xvfb "$dir" || { wine_env_down "$dir"; return 1; }
  _wine_env_start_desktop "$dir" || { wine_env_down "$dir"; return 1; }
  _wine_env_log "up in $(awk -v a="$started" -v b="$(_wine_env_now)" 'BEGIN { printf "%.1f", b - a }') s" \
    "(DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX)"
}

# wine_env_prefix PREFIX: makes PREFIX once (fonts, no crash dialog) for running programs
# on the user's own display, each in a window of its own; an existing PREFIX is kept.
wine_env_prefix() {
  local prefix=${1:-}
  if [ -z "$prefix" ]; then
    echo "usage: wine_env_prefix PREFIX" >&2
    return 2
  fi
  [ -f "$prefix/.orvgen-prefix" ] && return 0
  rm -rf "$prefix"
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  _wine_env_init_prefix "$prefix" own-display || return 1
  : >"$prefix/.orvgen-prefix"
}

# wine_env_down [DIR]: ends every Wine process of the prefix, then Xvfb, and removes the
# prefix (about 700 MB; WINE_ENV_KEEP_PREFIX=1 keeps it for a look). Safe to call twice
# and from a trap; returns 0 whatever it finds.
wine_env_down() {
  local dir=${1:-${WINE_ENV_DIR:-}}
  [ -n "$dir" ] || return 0
  local prefix=$dir/prefix
  if [ -d "$prefix" ]; then
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX=$prefix timeout 15 wineserver -w >/dev/null 2>&1 || true
  fi
  local name pid
  for name in explorer xvfb; do
    if [ -f "$dir/$name.pid" ]; then
      pid=$(cat "$dir/$name.pid")
      if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        _wine_env_poll 5 _wine_env_gone "$pid" || kill -9 "$pid" 2>/dev/null || true
      fi
      rm -f "$dir/$name.pid"
    fi
  done
  rm -f "$dir/xvfb.display"
  [ -n "${WINE_ENV_KEEP_PREFIX:-}" ] || rm -rf "$prefix"
  if [ "${WINE_ENV_DIR:-}" = "$dir" ]; then
    unset WINE_ENV_DIR
  fi
  return 0
}

# A process that has ended but was not reaped (its parent, here often the shell that
# started it and has gone, leaves that to a PID 1 that may never do it) counts as gone.
_wine_env_gone() {
  ! kill -0 "$1" 2>/dev/null || [ "$(ps -o stat= -p "$1" 2>/dev/null | cut -c1)" = Z ]
}

# wine_in_desktop PROG ARGS...: runs a Windows program in the desktop "orvgen", where it
# sees the windows of every other program started there.
wine_in_desktop() {
  if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
    echo "wine_in_desktop: run wine_env_up first" >&2
    return 2
  fi
  wine "$@"
}
