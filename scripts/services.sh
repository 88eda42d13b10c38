# Service helpers for the project's scripts (sourced, not run): the local test server,
# an Xvfb display, and a wine prefix with a persistent wineserver. Each start_* registers
# its own clean-up; stop_services (installed as an EXIT trap) ends everything started here.

_cleanups=()
stop_services() {
  local i
  for ((i = ${#_cleanups[@]} - 1; i >= 0; i--)); do eval "${_cleanups[$i]}" || true; done
  _cleanups=()
}
trap stop_services EXIT

RUN_DIR=${RUN_DIR:-$BUILD_DIR/run}
mkdir -p "$RUN_DIR"

# Local HTTP/HTTPS test server; exports LOADER_TEST_HTTP_PORT, LOADER_TEST_HTTPS_PORT,
# LOADER_TEST_CERT.
start_test_server() {
  local state="$RUN_DIR/server"
  rm -rf "$state" && mkdir -p "$state"
  python3 "$ROOT/tests/support/test_server.py" --state-dir "$state" >"$state/log" 2>&1 &
  local pid=$!
  _cleanups+=("kill $pid 2>/dev/null; wait $pid 2>/dev/null")
  local i
  for ((i = 0; i < 200; i++)); do
    [ -f "$state/ports.json" ] && break
    kill -0 "$pid" 2>/dev/null || { cat "$state/log"; return 1; }
    sleep 0.05
  done
  [ -f "$state/ports.json" ] || { echo "test server did not start"; return 1; }
  LOADER_TEST_HTTP_PORT=$(python3 -c 'import json,sys;print(json.load(open(sys.argv[1]))["http"])' "$state/ports.json")
  LOADER_TEST_HTTPS_PORT=$(python3 -c 'import json,sys;print(json.load(open(sys.argv[1]))["https"])' "$state/ports.json")
  LOADER_TEST_CERT=$state/cert.pem
  export LOADER_TEST_HTTP_PORT LOADER_TEST_HTTPS_PORT LOADER_TEST_CERT
}

# Xvfb on a free display; exports DISPLAY.
start_display() {
  local fdfile="$RUN_DIR/xvfb.display"
  rm -f "$fdfile"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >"$RUN_DIR/xvfb.log" 2>&1 &
  local pid=$!
  _cleanups+=("kill $pid 2>/dev/null; wait $pid 2>/dev/null")
  local i
  for ((i = 0; i < 200; i++)); do
    [ -s "$fdfile" ] && break
    sleep 0.05
  done
  [ -s "$fdfile" ] || { echo "Xvfb did not start"; cat "$RUN_DIR/xvfb.log"; return 1; }
  DISPLAY=:$(head -n 1 "$fdfile")
  export DISPLAY
}

# A fresh 64-bit wine prefix for this run, copied from a template that is made once (one per
# Windows tree: a prefix made by wine64 alone has no 32-bit side), and a persistent
# wineserver. Every wine program goes through $LOADER_WINE (scripts/env.sh). Exports
# WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES.
start_wine() {
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  local template="$CACHE_DIR/wineprefix-template-v1-$WINDOWS_ARCH"
  if [ ! -f "$template/.ready" ]; then
    rm -rf "$template"
    WINEPREFIX="$template" "$LOADER_WINE" wineboot -i >/dev/null 2>&1
    # Without a window manager wine otherwise waits 2 s in DestroyWindow.
    WINEPREFIX="$template" "$LOADER_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    WINEPREFIX="$template" wineserver -w
    touch "$template/.ready"
  fi
  export WINEPREFIX="$RUN_DIR/wineprefix"
  rm -rf "$WINEPREFIX"
  cp -a "$template" "$WINEPREFIX"
  wineserver -p
  # Start wine's background services now, detached from any pipe: started by the first test
  # they would inherit its output pipe and keep the test runner waiting for end of file.
  "$LOADER_WINE" cmd /c exit </dev/null >/dev/null 2>&1
  _cleanups+=("WINEPREFIX='$WINEPREFIX' wineserver -k 2>/dev/null; WINEPREFIX='$WINEPREFIX' wineserver -w 2>/dev/null")
}
