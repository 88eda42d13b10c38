# HttpRequest figures against nginx on loopback (sourced by scripts/bench.sh).
echo "== HttpRequest: 1,000 small GETs reused vs fresh; 100 MB body vs bare libcurl"
echo "-- native"
"$BUILD_DIR/native-release/bench/http_request_bench" "$LOADER_BENCH_URL"
echo "-- wine"
"$ROOT/scripts/wine-run.sh" "$BUILD_DIR/$WINDOWS_TREE/bench/http_request_bench.exe" "$LOADER_BENCH_URL"
