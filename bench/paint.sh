# Sourced by scripts/bench.sh after the baseline (display and wine are running).
echo "== full repaint of the loader's tree, 541 x 402 offscreen (ms per repaint, best of 3 x 20)"
{
  read -r fw bare ratio
  read -r scaled per_pixel
} < <("$ROOT/scripts/wine-run.sh" "$BUILD_DIR/$WINDOWS_TREE/bench/paint_bench.exe" | tr -d '\r')
echo "framework: $fw ms"
echo "bare GDI:  $bare ms"
echo "framework/bare: $ratio (goal: under 1.2)"
echo "at 150 % (812 x 603, the translucent bar smoothed): $scaled ms"
echo "cost per pixel, 150 % / 100 %: $per_pixel"
