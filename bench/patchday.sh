# Patch-day figures (sourced by scripts/bench.sh): what an overloaded version service sees from
# 50 loaders started at once, and a package whose first host fails at once.
pd_native=$BUILD_DIR/native-release/bench/patchday_bench
pd_wine=$BUILD_DIR/$WINDOWS_TREE/bench/patchday_bench.exe
[ -n "${LOADER_TEST_HTTP_PORT:-}" ] || start_test_server

echo "== Patch day: 50 version queries at once, the service answering 503 + Retry-After: 2 for 5 s"
storm_token=storm-$$-$RANDOM
storm_url="http://127.0.0.1:$LOADER_TEST_HTTP_PORT/data?size=64&status=503&hdr=Retry-After:2&for_ms=5000&token=$storm_token"
read -r storm_ok storm_secs < <("$pd_native" storm "$storm_url" 50)
python3 - "http://127.0.0.1:$LOADER_TEST_HTTP_PORT/stats?token=$storm_token" <<'PY'
import json, re, sys, urllib.request
requests = json.load(urllib.request.urlopen(sys.argv[1], timeout=10))["requests"]
start = requests[0]["time"]
per = {}
for r in requests:
    per.setdefault(re.search(r"loader=(\d+)", r["path"]).group(1), []).append(r["time"] - start)
counts = sorted(len(v) for v in per.values())
in_storm = sorted(sum(1 for t in v if t < 5.0) for v in per.values())
retries = sorted(t for v in per.values() for t in v[1:])
print("requests the service saw: %d from %d loaders (%.2f per loader; most %d, fewest %d)"
      % (len(requests), len(per), len(requests) / len(per), counts[-1], counts[0]))
print("of them answered 503 (within the 5 s): at most %d per loader (goal: at most 2)" % in_storm[-1])
print("retries spread over %.2f s, from %.2f s to %.2f s after the first request (goal: at least 2 s)"
      % (retries[-1] - retries[0], retries[0], retries[-1]))
PY
echo "queries that got their reply: $storm_ok of 50, all done after $storm_secs s"

echo
echo "== Patch day: 40 MiB package, first host refusing at once, then the good host (best of 3)"
echo "-- native"
"$pd_native" failover "http://127.0.0.1:1/40mb.bin" "$LOADER_BENCH_URL/40mb.bin" "$LOADER_BENCH_DIR/failover.bin" 3
echo "-- wine"
"$ROOT/scripts/wine-run.sh" "$pd_wine" failover "http://127.0.0.1:1/40mb.bin" "$LOADER_BENCH_URL/40mb.bin" \
  "$("$LOADER_WINE" winepath -w "$LOADER_BENCH_DIR/failover.bin" 2>/dev/null)" 3 | tr -d '\r'
echo "(goal: within 1.1x of the good host alone)"
