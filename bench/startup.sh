# Start-up benchmark (sourced by scripts/bench.sh after the baseline; wine is running):
# milliseconds from process start to the first complete paint of the loader's skin, the
# framework against a bare Win32 program painting the same pictures: once with the halftone
# stretch the framework's renderer uses (the same pixels: the like-for-like figure), once
# with the device context's default, cheaper stretch. The programs run alternately, 9 times
# each, so load from elsewhere on the machine hits all alike.
echo "== start-up to first complete paint, loader skin 541 x 402 (ms from process creation, 9 runs)"
su_fw=()
su_half=()
su_bare=()
su_run() { "$ROOT/scripts/wine-run.sh" "$@" 2>/dev/null | tr -d '\r' | tail -n 1; }
for _ in 1 2 3 4 5 6 7 8 9; do
  su_fw+=("$(su_run "$BUILD_DIR/$WINDOWS_TREE/bench/startup_bench.exe")")
  su_half+=("$(su_run "$BUILD_DIR/$WINDOWS_TREE/bench/startup_bare.exe" halftone)")
  su_bare+=("$(su_run "$BUILD_DIR/$WINDOWS_TREE/bench/startup_bare.exe")")
done
python3 - "${su_fw[*]}" "${su_half[*]}" "${su_bare[*]}" <<'PY'
import statistics, sys
fw, half, bare = ([float(v) for v in arg.split()] for arg in sys.argv[1:4])
print('framework:                 median %.1f ms, best %.1f ms' % (statistics.median(fw), min(fw)))
print('bare GDI, halftone:        median %.1f ms, best %.1f ms' % (statistics.median(half), min(half)))
print('bare GDI, default stretch: median %.1f ms, best %.1f ms' % (statistics.median(bare), min(bare)))
for name, base in (('bare halftone', half), ('bare default', bare)):
    print('framework/%s: median %.2f, best %.2f' % (name, statistics.median(fw) / statistics.median(base),
                                                   min(fw) / min(base)))
PY
