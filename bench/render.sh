# Renderer benchmark (sourced by scripts/bench.sh after the baseline; wine is running).
echo "== renderer: loader pictures per frame, and 2,000 characters of markup text (best of runs)"
"$ROOT/scripts/wine-run.sh" "$BUILD_DIR/$WINDOWS_TREE/bench/render_bench.exe" 2>/dev/null | tr -d '\r'
