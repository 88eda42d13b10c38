# Start-up benchmark (sourced by scripts/bench.sh after the baseline; wine is running):
# milliseconds from process start to the first complete paint of the loader's skin, the
# framework against a bare Win32 program painting the same pictures; median of 7 runs each.
echo "== start-up to first complete paint, loader skin 541 x 402 (ms from process creation, median of 7)"
startup_median() {
  local exe=$1 runs=()
  for _ in 1 2 3 4 5 6 7; do
    runs+=("$("$ROOT/scripts/wine-run.sh" "$exe" 2>/dev/null | tr -d '\r' | tail -n 1)")
  done
  printf '%s\n' "${runs[@]}" | sort -n | sed -n 4p
}
su_fw=$(startup_median "$BUILD_DIR/windows/bench/startup_bench.exe")
su_bare=$(startup_median "$BUILD_DIR/windows/bench/startup_bare.exe")
echo "framework: $su_fw ms"
echo "bare GDI:  $su_bare ms"
python3 -c "import sys;print('framework/bare: %.2f' % (float(sys.argv[1])/float(sys.argv[2])))" "$su_fw" "$su_bare"
