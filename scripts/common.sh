# Shared by ./run, ./test and scripts/with-wine. Source it; it defines functions only.

# Build trees live under $BUILD_ROOT (VELLORAN_BUILD_DIR, default build), so
# that two working copies of the same checkout can build side by side.
BUILD_ROOT=${VELLORAN_BUILD_DIR:-build}

# configure_tree NAME [CMAKE ARGS...]: a build tree under $BUILD_ROOT/NAME, configured once.
configure_tree() {
  local name=$1
  shift
  mkdir -p "$BUILD_ROOT"
  if [ ! -f "$BUILD_ROOT/$name/CMakeCache.txt" ]; then
    cmake -S . -B "$BUILD_ROOT/$name" "$@" >"$BUILD_ROOT/configure-$name.log" 2>&1 || {
      cat "$BUILD_ROOT/configure-$name.log" >&2
      return 1
    }
  fi
}

configure_all() {
  configure_tree native -DCMAKE_BUILD_TYPE=Debug
  configure_tree win64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-win64.cmake
  configure_tree win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-win32.cmake
}

# start_xvfb: starts a private virtual display on a free number (Xvfb picks it
# and tells it through -displayfd); sets DISPLAY and XVFB_PID.
start_xvfb() {
  local numberfile
  numberfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numberfile" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$numberfile" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || { echo "Xvfb did not start" >&2; return 1; }
    sleep 0.1
  done
  [ -s "$numberfile" ] || { echo "Xvfb gave no display number" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$numberfile" | tr -dc 0-9)"
  rm -f "$numberfile"
}

stop_xvfb() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}

# Wine quiet, and without the Mono and Gecko installers: nothing here needs .NET or HTML.
wine_quiet() {
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
}

# Wine's own fonts ("MS Sans Serif", "Small Fonts", ...) into the prefix's font
# folder: this Wine does not load them from where the package puts them, and
# the program's texts would otherwise be measured in a wider stand-in font.
# Only what is missing is added. With "report", one line on standard error
# names each change: ./run does this in the user's own prefix.
install_wine_fonts() {
  local report=${1:-}
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  [ -d "$fonts" ] || return 0
  local present font name
  # Windows names are case-blind: "SSERIFE.FON" is the same font as "sserife.fon".
  present=$(ls "$fonts" | tr 'A-Z' 'a-z')
  for font in /usr/share/wine/fonts/*.fon /usr/share/wine/fonts/*.ttf; do
    [ -e "$font" ] || continue
    name=$(basename "$font" | tr 'A-Z' 'a-z')
    grep -qxF "$name" <<<"$present" && continue
    cp "$font" "$fonts/"
    [ "$report" = report ] && echo "Wine prefix $WINEPREFIX: added the font $name" >&2
  done
  # The title's "Impact" is a Windows font; without it Wine picks a wide face
  # and the title is cut off. A condensed face of the same width stands in.
  grep -qi '^impact' <<<"$present" && return 0
  # (grep reads all: one that stopped early could fail fc-list through pipefail)
  command -v fc-list >/dev/null && fc-list : family | grep -i 'impact' >/dev/null && return 0
  impact_replaced && return 0
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Impact \
    /d "DejaVu Sans Condensed" /f >/dev/null 2>&1 || return 0
  [ "$report" = report ] &&
    echo "Wine prefix $WINEPREFIX: font replacement Impact -> DejaVu Sans Condensed registered" >&2
  return 0
}

# impact_replaced: whether the prefix already replaces "Impact", read from its
# registry file, so that finding out changes nothing and starts no Wine.
impact_replaced() {
  [ -f "$WINEPREFIX/user.reg" ] || return 1
  awk '
    /^\[/ { inside = index(tolower($0), "[software\\\\wine\\\\fonts\\\\replacements]") == 1 }
    inside && index(tolower($0), "\"impact\"=") == 1 { found = 1 }
    END { exit !found }' "$WINEPREFIX/user.reg"
}

# prepare_user_prefix: the user's own Wine prefix (WINEPREFIX, or ~/.wine),
# the one WinMX runs in, made when missing and given the fonts the window
# needs. Says what it changes there; changes nothing when nothing is missing.
prepare_user_prefix() {
  export WINEPREFIX=${WINEPREFIX:-$HOME/.wine}
  if [ ! -d "$WINEPREFIX/drive_c" ]; then
    wine wineboot -i >/dev/null 2>&1
    echo "Wine prefix $WINEPREFIX: created" >&2
  fi
  install_wine_fonts report
}
