# Shared by ./run, ./test and scripts/with-wine. Source it; it defines functions only.

# configure_tree NAME [CMAKE ARGS...]: a build tree under build/NAME, configured once.
configure_tree() {
  local name=$1
  shift
  if [ ! -f "build/$name/CMakeCache.txt" ]; then
    cmake -S . -B "build/$name" "$@" >"build/configure-$name.log" 2>&1 || {
      cat "build/configure-$name.log" >&2
      return 1
    }
  fi
}

configure_all() {
  mkdir -p build
  configure_tree native -DCMAKE_BUILD_TYPE=Debug
  configure_tree win64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-win64.cmake
  configure_tree win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-win32.cmake
}

# start_xvfb: starts a private virtual display; sets DISPLAY and XVFB_PID.
start_xvfb() {
  local display=90
  while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do
    display=$((display + 1))
  done
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X${display}" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || { echo "Xvfb did not start" >&2; return 1; }
    sleep 0.1
  done
  export DISPLAY=":$display"
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
