# HttpDownloader figures against nginx on loopback (sourced by scripts/bench.sh):
# a single transfer against bare libcurl, segmented downloads from a location throttled to
# 2 MiB/s per connection against aria2c, and peak memory for 64 MiB against 1 GiB.
if ! command -v aria2c >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq aria2 >/dev/null ||
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq aria2 >/dev/null; }
fi
dl_native=$BUILD_DIR/native-release/bench/download_bench
dl_wine=$BUILD_DIR/$WINDOWS_TREE/bench/download_bench.exe
dl_out=$LOADER_BENCH_DIR/download.bin
dl_out_win=$("$LOADER_WINE" winepath -w "$dl_out" 2>/dev/null)
ratio() { python3 -c "import sys;print('%.2f' % (float(sys.argv[1])/float(sys.argv[2])))" "$1" "$2"; }
now() { date +%s.%N; }

echo "== HttpDownloader: single transfer of 256 MiB vs bare libcurl writing the same file"
echo "-- native"
"$dl_native" single "$LOADER_BENCH_URL/256mb.bin" "$dl_out" 3
echo "-- wine"
"$ROOT/scripts/wine-run.sh" "$dl_wine" single "$LOADER_BENCH_URL/256mb.bin" "$dl_out_win" 3

echo
echo "== HttpDownloader: segmented, 2 MiB/s per connection (seconds; parts used)"
slow=$LOADER_BENCH_URL/slow
aria() { # connections file
  local t0 t1
  rm -f "$LOADER_BENCH_DIR/aria.bin"
  t0=$(now)
  aria2c -q -x "$1" -s "$1" -k 1M --min-split-size=1M --file-allocation=none \
    --allow-overwrite=true --auto-file-renaming=false -d "$LOADER_BENCH_DIR" -o aria.bin "$slow/$2"
  t1=$(now)
  rm -f "$LOADER_BENCH_DIR/aria.bin"
  python3 -c "import sys;print('%.2f' % (float(sys.argv[2])-float(sys.argv[1])))" "$t0" "$t1"
}
read -r one one_parts < <("$dl_native" parts "$slow/40mb.bin" "$dl_out" 1)
read -r ten ten_parts < <("$dl_native" parts "$slow/40mb.bin" "$dl_out" 10)
aria_same=$(aria "$ten_parts" 40mb.bin)
aria_ten=$(aria 10 40mb.bin)
echo "40 MiB, native, thread count 1:   $one s ($one_parts part)"
echo "40 MiB, native, thread count 10:  $ten s ($ten_parts parts; the size table caps 40 MiB at 5)"
echo "speed-up of $ten_parts parts over one:       $(ratio "$one" "$ten")"
echo "aria2c, $ten_parts connections:               $aria_same s (aria2c / ours: $(ratio "$aria_same" "$ten"))"
echo "aria2c, 10 connections:              $aria_ten s"
read -r wine_ten wine_parts < <("$ROOT/scripts/wine-run.sh" "$dl_wine" parts "$slow/40mb.bin" "$dl_out_win" 10 | tr -d '\r')
echo "40 MiB, wine, thread count 10:    $wine_ten s ($wine_parts parts)"
read -r big big_parts < <("$dl_native" parts "$slow/256mb.bin" "$dl_out" 10)
aria_big=$(aria 10 256mb.bin)
echo "256 MiB, native, thread count 10: $big s ($big_parts parts)"
echo "aria2c, 10 connections:              $aria_big s (aria2c / ours: $(ratio "$aria_big" "$big"))"

echo
echo "== HttpDownloader: peak resident memory, native (KiB)"
rss_small=$("$dl_native" rss "$LOADER_BENCH_URL/64mb.bin" "$dl_out")
rss_large=$("$dl_native" rss "$LOADER_BENCH_URL/1gb.bin" "$dl_out")
echo "64 MiB: $rss_small KiB; 1 GiB: $rss_large KiB; difference: $((rss_large - rss_small)) KiB"
