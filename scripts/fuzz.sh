#!/usr/bin/env bash
# Builds the fuzz tree and runs every libFuzzer target for a bounded time each, starting
# from the committed seeds in tests/fuzz/corpus/<target> (new inputs go to a working
# corpus under build/fuzz/corpus/, crashes to build/fuzz/artifacts/).
#   ./scripts/fuzz.sh [seconds per target]   (default 60)
# Exits non-zero when a target finds a crash, a leak or a sanitizer report.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

seconds=${1:-60}
"$here/build.sh" fuzz || exit 1

tree=$BUILD_DIR/fuzz
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
status=0
summaries=()
for target in xml zip image_descriptor version_reply; do
  exe=$tree/tests/fuzz/${target}_fuzzer
  [ -x "$exe" ] || { echo "missing $exe" >&2; status=1; continue; }
  work=$tree/corpus/$target
  artifacts=$tree/artifacts/$target/
  mkdir -p "$work" "$artifacts"
  log=$tree/${target}_fuzzer.log
  echo "== ${target}_fuzzer for ${seconds}s"
  "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="$artifacts" \
    "$work" "$ROOT/tests/fuzz/corpus/$target" >"$log" 2>&1
  rc=$?
  runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+)/\1/p' "$log" | tail -n 1)
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -n 1)
  if [ $rc -ne 0 ]; then
    status=1
    tail -n 40 "$log"
    summaries+=("${target}_fuzzer: FAILED (exit $rc, see $log and $artifacts)")
  else
    summaries+=("${target}_fuzzer: ${runs:-?} runs, ${cov:-cov: ?}, no findings")
  fi
done
echo
printf '%s\n' "${summaries[@]}"
exit $status
