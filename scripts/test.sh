#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test:
#   - the test server's own tests (python)
#   - the native tree under AddressSanitizer + UndefinedBehaviorSanitizer (leak checks on)
#   - the native tree under ThreadSanitizer
#   - a Windows tree under wine, with an Xvfb display: the 32-bit product tree where this
#     host runs 32-bit programs; where it runs none, the 64-bit tree under wine64, while the
#     32-bit tree is still built and runs the tests that need no wine (publisher settings,
#     signing, reproducibility). LOADER_WINDOWS_ARCH=i686|x86_64 forces the choice.
# Exits non-zero on any failure. Extra arguments go to every ctest run (e.g. -R Pattern).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

if host_runs_32bit; then host_note="this host runs 32-bit programs"; else host_note="this host runs no 32-bit programs"; fi
if [ -n "${LOADER_WINDOWS_ARCH:-}" ]; then how="LOADER_WINDOWS_ARCH=$LOADER_WINDOWS_ARCH; $host_note"; else how=$host_note; fi
echo "== Windows tests: $WINDOWS_ARCH tree build/$WINDOWS_TREE under $LOADER_WINE ($how)"

if [ "$WINDOWS_TREE" = windows ]; then
  "$here/build.sh" windows native native-tsan || exit 1
else
  "$here/build.sh" windows windows64 native native-tsan || exit 1
fi

. "$here/services.sh"
start_test_server || exit 1
start_display || exit 1
start_wine || exit 1

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

passed=0
failed=0
status=0
summaries=()

count_ctest() {
  local name=$1 log=$2 line p f total
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    summaries+=("$name: no summary (see $log)")
    failed=$((failed + 1))
    return
  fi
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  p=$((total - f))
  passed=$((passed + p))
  failed=$((failed + f))
  summaries+=("$name: $line")
}

run_ctest() {
  local name=$1 dir=$2
  shift 2
  local log="$BUILD_DIR/${name%% *}.ctest.log"
  echo "== $name"
  ctest --test-dir "$dir" --output-on-failure --no-tests=error -j"$(nproc)" "$@" 2>&1 | tee "$log"
  [ "${PIPESTATUS[0]}" = 0 ] || status=1
  count_ctest "$name" "$log"
}

echo "== test server"
server_log="$BUILD_DIR/server.unittest.log"
if python3 "$ROOT/tests/support/test_server_test.py" >"$server_log" 2>&1; then
  n=$(sed -nE 's/^Ran ([0-9]+) tests?.*/\1/p' "$server_log")
  passed=$((passed + n))
  summaries+=("test server: $n passed")
else
  cat "$server_log"
  status=1
  failed=$((failed + 1))
  summaries+=("test server: FAILED (see $server_log)")
fi

run_ctest native "$BUILD_DIR/native" "$@"
run_ctest native-tsan "$BUILD_DIR/native-tsan" "$@"
# Under load, wine now and then crashes a process while it exits, after its test has
# finished; a second run tells that apart from a real failure (ctest prints both runs).
if [ "$WINDOWS_TREE" = windows ]; then
  run_ctest "windows (i686, under wine)" "$BUILD_DIR/windows" --repeat until-pass:2 "$@"
else
  run_ctest "windows (i686, built; only the tests that need no wine ran)" "$BUILD_DIR/windows" -L no-wine "$@"
  run_ctest "windows64 (x86_64, under wine64)" "$BUILD_DIR/windows64" -LE no-wine --repeat until-pass:2 "$@"
fi

echo
echo "== summary"
printf '%s\n' "${summaries[@]}"
echo "Windows suite ran in: $WINDOWS_TREE ($WINDOWS_ARCH)"
echo "all: $passed passed, $failed failed"
exit $status
