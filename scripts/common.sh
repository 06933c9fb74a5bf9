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
install_wine_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  [ -d "$fonts" ] || return 0
  local font
  for font in /usr/share/wine/fonts/*.fon /usr/share/wine/fonts/*.ttf; do
    [ -e "$font" ] || continue
    [ -e "$fonts/$(basename "$font")" ] || cp "$font" "$fonts/"
  done
  # The title's "Impact" is a Windows font; without it Wine picks a wide face
  # and the title is cut off. A condensed face of the same width stands in.
  local marker="$WINEPREFIX/.velloran-impact-checked"
  if [ ! -e "$marker" ]; then
    if ! ls "$fonts" 2>/dev/null | grep -qi '^impact' &&
      ! { command -v fc-list >/dev/null && fc-list | grep -qi 'impact'; }; then
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Impact \
        /d "DejaVu Sans Condensed" /f >/dev/null 2>&1 || true
    fi
    touch "$marker"
  fi
}
