#!/usr/bin/env bash
# Builds the fuzz tree and runs every libFuzzer target for a bounded time each, starting
# from the committed seeds in tests/fuzz/corpus/<target> (new inputs go to a working
# corpus under build/fuzz/corpus/, crashes to build/fuzz/artifacts/). Then runs the UI
# framework's robustness program under wine (the Windows tree this host runs: build/windows,
# or build/windows64 under wine64 where 32-bit programs cannot run): mutated skins and markup texts
# from the seeds (the loader skin, the test skins, tests/fuzz/corpus/ui_robustness/) through
# the skin builder, layout, painting and the markup text renderer, each input under a time
# bound; findings go to build/<that tree>/ui-robustness/findings/.
#   ./scripts/fuzz.sh [seconds per target] [UI inputs]   (defaults 60 and 100000)
#   ./scripts/fuzz.sh --ui-only [UI inputs]               (the UI run alone)
# FUZZ_RUNS=N also ends each libFuzzer target after N executions; the long campaign is
#   FUZZ_RUNS=10000000 ./scripts/fuzz.sh 0   (0 seconds: no time limit, ten million each).
# FUZZ_TIMEOUT (default 10) is the seconds one input may take before it counts as a hang.
# UI_JOBS (default 2) runs the UI inputs in that many wine processes side by side;
# UI_LIMIT_MS (default 20000) is the time bound of one input.
# Exits non-zero when a target finds a crash, a leak or a sanitizer report, or the UI run
# finds a crash or a hang.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

ui_only=0
if [ "${1:-}" = --ui-only ]; then
  ui_only=1
  shift
  seconds=0
  ui_inputs=${1:-100000}
else
  seconds=${1:-60}
  ui_inputs=${2:-100000}
fi
[ $ui_only = 1 ] || "$here/build.sh" fuzz || exit 1

tree=$BUILD_DIR/fuzz
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
status=0
summaries=()
targets=(xml zip image_descriptor version_reply resume_record)
[ $ui_only = 1 ] && targets=()
for target in "${targets[@]}"; do
  exe=$tree/tests/fuzz/${target}_fuzzer
  [ -x "$exe" ] || { echo "missing $exe" >&2; status=1; continue; }
  work=$tree/corpus/$target
  artifacts=$tree/artifacts/$target/
  mkdir -p "$work" "$artifacts"
  log=$tree/${target}_fuzzer.log
  echo "== ${target}_fuzzer for ${seconds}s"
  "$exe" -max_total_time="$seconds" ${FUZZ_RUNS:+-runs="$FUZZ_RUNS"} \
    -timeout="${FUZZ_TIMEOUT:-10}" -rss_limit_mb=2048 -max_len=65536 \
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
# --- the UI framework's robustness run (needs GDI: a Windows program under wine) ---------
wtree=$BUILD_DIR/$WINDOWS_TREE
if [ -f "$wtree/build.ninja" ]; then
  cmake --build "$wtree" --target ui_robustness >/dev/null || exit 1
else
  "$here/build.sh" "$WINDOWS_TREE" >/dev/null || exit 1
fi
robust=$wtree/tests/fuzz/ui_robustness/ui_robustness.exe
out=$wtree/ui-robustness
findings=$out/findings
rm -rf "$out" && mkdir -p "$findings"
(
  . "$here/services.sh"
  start_display >/dev/null && start_wine >/dev/null || exit 1
  jobs=${UI_JOBS:-2}
  chunk=$(((ui_inputs + jobs - 1) / jobs))
  pids=()
  for ((j = 0; j < jobs; j++)); do
    "$here/wine-run.sh" "$robust" --first $((j * chunk)) --inputs "$chunk" \
      --limit-ms "${UI_LIMIT_MS:-20000}" --findings "$findings" \
      --resources "$ROOT/tests/ui/controls/fixtures" \
      "$ROOT/resources/skin.xml" "$ROOT/tests/ui/core/data" \
      "$ROOT/tests/fuzz/corpus/ui_robustness" >"$out/worker$j.log" 2>&1 &
    pids+=($!)
  done
  rc=0
  for pid in "${pids[@]}"; do wait "$pid" || rc=1; done
  exit $rc
)
ui_rc=$?
echo "== ui_robustness ($WINDOWS_TREE, $WINDOWS_ARCH under $LOADER_WINE): $ui_inputs inputs in ${UI_JOBS:-2} workers"
cat "$out"/worker*.log | grep -E '^(done|FINDING|exception)' || true
if [ $ui_rc -ne 0 ] || [ -n "$(ls -A "$findings")" ]; then
  status=1
  tail -n 5 "$out"/worker*.log
  summaries+=("ui_robustness: FAILED (see $out; keep each finding as a seed in tests/fuzz/corpus/ui_robustness/)")
else
  runs=$(sed -nE 's/^done: ([0-9]+) inputs.*/\1/p' "$out"/worker*.log | paste -sd+ | bc)
  summaries+=("ui_robustness: ${runs:-?} inputs, no findings")
fi

echo
printf '%s\n' "${summaries[@]}"
exit $status
