# The package check (CNG SHA-256 of the held package) against the download it follows, both
# of 256 MiB under wine from nginx on loopback (sourced by scripts/bench.sh). The check must
# cost less than a fifth of the download.
pc_out=$LOADER_BENCH_DIR/package.bin
read -r pc_download pc_check pc_ratio < <("$ROOT/scripts/wine-run.sh" \
  "$BUILD_DIR/windows/bench/package_check_bench.exe" "$LOADER_BENCH_URL/256mb.bin" \
  "$(winepath -w "$pc_out")" 3 | tr -d '\r')
rm -f "$pc_out"
echo "== package check: SHA-256 of 256 MiB under wine vs its download (best of 3, seconds)"
echo "download: $pc_download s; check: $pc_check s; check / download: $pc_ratio (must stay below 0.20)"
