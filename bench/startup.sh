# Start-up benchmark (sourced by scripts/bench.sh after the baseline; wine is running):
# milliseconds from process start to the first complete paint of the loader's skin, the
# framework against a bare Win32 program painting the same pictures. The two programs run
# alternately, 9 times each, so load from elsewhere on the machine hits both alike.
echo "== start-up to first complete paint, loader skin 541 x 402 (ms from process creation, 9 runs)"
su_fw=()
su_bare=()
for _ in 1 2 3 4 5 6 7 8 9; do
  su_fw+=("$("$ROOT/scripts/wine-run.sh" "$BUILD_DIR/windows/bench/startup_bench.exe" 2>/dev/null | tr -d '\r' | tail -n 1)")
  su_bare+=("$("$ROOT/scripts/wine-run.sh" "$BUILD_DIR/windows/bench/startup_bare.exe" 2>/dev/null | tr -d '\r' | tail -n 1)")
done
python3 - "${su_fw[*]}" "${su_bare[*]}" <<'PY'
import statistics, sys
fw = [float(v) for v in sys.argv[1].split()]
bare = [float(v) for v in sys.argv[2].split()]
print('framework: median %.1f ms, best %.1f ms' % (statistics.median(fw), min(fw)))
print('bare GDI:  median %.1f ms, best %.1f ms' % (statistics.median(bare), min(bare)))
print('framework/bare: median %.2f, best %.2f' % (statistics.median(fw) / statistics.median(bare),
                                                  min(fw) / min(bare)))
PY
