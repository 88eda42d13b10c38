# The product (sourced by scripts/bench.sh): milliseconds from process start to a visible
# window under wine against a bare Win32 window program (with and without the loader's one
# HTTPS request before its window), the executable's size, and peak
# memory while the loader downloads a 256 MiB package. The loader runs as a copy whose
# built-in version service URL points at the local test server (HTTPS).
start_test_server
lb_dir=$BUILD_DIR/$WINDOWS_TREE
lb_exe=$LOADER_BENCH_DIR/loader.exe
lb_tool=$lb_dir/bench/loader_start_bench.exe
lb_builtin=$(sed -n 's/^LOADER_VERSION_SERVICE_URL:STRING=//p' "$lb_dir/CMakeCache.txt")
lb_reply() { # package url -> a service base URL serving {"url":...,"version":"9.9.9.9"}
  local name
  name=lb-$RANDOM$RANDOM
  printf '{"url":"%s","version":"9.9.9.9"}' "$1" |
    curl -sf --data-binary @- "http://127.0.0.1:$LOADER_TEST_HTTP_PORT/store?name=$name" >/dev/null
  echo "https://127.0.0.1:$LOADER_TEST_HTTPS_PORT/data?stored=$name&ctype=application/json&tail="
}
lb_patch() {
  python3 "$ROOT/tests/loader/e2e/service_url_patch.py" "$lb_dir/loader/loader.exe" "$lb_exe" \
    "$lb_builtin" "$1"
}
# Through a file, not a pipe: a wine service started meanwhile could hold a pipe open.
lb_win() {
  "$ROOT/scripts/wine-run.sh" "$@" >"$LOADER_BENCH_DIR/lb.out" 2>/dev/null </dev/null
  tr -d '\r' <"$LOADER_BENCH_DIR/lb.out"
}

echo "== loader.exe: start to visible window under wine (median of 7, ms)"
# A package that takes long to come, so the window stays up until it is closed.
lb_base=$(lb_reply "https://127.0.0.1:$LOADER_TEST_HTTPS_PORT/data?size=1000000&delay=20000")
lb_patch "$lb_base"
lb_loader_ms=$(lb_win "$lb_tool" start UIMainFrame Loader 7 "$("$LOADER_WINE" winepath -w "$lb_exe")")
# Like for like: the bare program makes the loader's one HTTPS request before its window.
lb_https_ms=$(lb_win "$lb_tool" start BareWindow Bare 7 "$("$LOADER_WINE" winepath -w "$lb_tool")" \
  "${lb_base}?version=1.0.0.1&channel=1002")
lb_bare_ms=$(lb_win "$lb_tool" start BareWindow Bare 7 "$("$LOADER_WINE" winepath -w "$lb_tool")")
echo "loader (version query included):     $lb_loader_ms ms"
echo "bare window after the same HTTPS GET: $lb_https_ms ms"
echo "bare Win32 window, no request:        $lb_bare_ms ms"
python3 -c "import sys;print('loader/bare with the request: %.2f' % (float(sys.argv[1])/float(sys.argv[2])))" "$lb_loader_ms" "$lb_https_ms"
python3 -c "import sys;print('loader/bare without a request: %.2f' % (float(sys.argv[1])/float(sys.argv[2])))" "$lb_loader_ms" "$lb_bare_ms"

echo
echo "== loader.exe: size"
lb_stripped=$LOADER_BENCH_DIR/loader-stripped.exe
i686-w64-mingw32-strip -o "$lb_stripped" "$lb_dir/loader/loader.exe"
echo "as built (with debug information): $(stat -c %s "$lb_dir/loader/loader.exe") bytes"
echo "stripped:                          $(stat -c %s "$lb_stripped") bytes"

echo
echo "== loader.exe: peak working set while downloading a 256 MiB package (KiB; seconds)"
lb_patch "$(lb_reply "$LOADER_BENCH_URL/256mb.bin")"
lb_win "$lb_tool" peak "$("$LOADER_WINE" winepath -w "$lb_exe")"

echo
echo "== loader.exe: a 40 MiB package from nginx at 2 MiB/s per connection (seconds)"
# The product built with the diagnostic log, with 1 and with 4 package connections (the
# test tree's variants): the whole run under wine, and the download alone as the log times
# it. The package is random bytes: the installer start then fails at once.
lb_log=$("$LOADER_WINE" winepath -u "$(lb_win cmd /c 'echo %LOCALAPPDATA%' | tail -n 1)")/Tesmar/loader.log
lb_package_reply=$(lb_reply "$LOADER_BENCH_URL/slow/40mb.bin")
lb_timed() { # variant folder -> "whole-run-seconds download-seconds"
  local copy=$LOADER_BENCH_DIR/loader-$1.exe whole
  python3 "$ROOT/tests/loader/e2e/service_url_patch.py" "$lb_dir/tests/loader/$1/loader.exe" \
    "$copy" "$lb_builtin" "$lb_package_reply"
  rm -f "$lb_log"
  read -r _ whole < <(lb_win "$lb_tool" peak "$("$LOADER_WINE" winepath -w "$copy")")
  echo "$whole $(sed -n 's/.*download: complete.* bytes in \([0-9.]*\) s.*/\1/p' "$lb_log" | tail -n 1)"
}
read -r lb_one_s lb_one_dl < <(lb_timed loader_logged)
read -r lb_four_s lb_four_dl < <(lb_timed loader_four_connections)
lb_aria_s=$(aria 4 40mb.bin)
echo "1 connection:  whole run $lb_one_s s, download $lb_one_dl s"
echo "4 connections: whole run $lb_four_s s, download $lb_four_dl s"
echo "speed-up of 4 connections over 1: whole run $(ratio "$lb_one_s" "$lb_four_s"), download $(ratio "$lb_one_dl" "$lb_four_dl")"
echo "aria2c, 4 connections: $lb_aria_s s (aria2c / loader download: $(ratio "$lb_aria_s" "$lb_four_dl"))"
