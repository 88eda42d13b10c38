# The package check against the download, 256 MiB under wine (sourced by scripts/bench.sh):
# a download hashed as it arrives and then checked, as the loader does, against the same
# download alone (goal: at most 1.05 times), and the former check of the whole file after the
# download. From nginx on loopback, over plain http (the cheapest download there is) and over
# https (as the product downloads, through Schannel).
pc_dir=$LOADER_BENCH_DIR/package-check
mkdir -p "$pc_dir/tmp"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$pc_dir/key.pem" -out "$pc_dir/cert.pem" \
  -days 1 -subj "/CN=127.0.0.1" >/dev/null 2>&1
pc_port=$(python3 -c 'import socket;s=socket.socket();s.bind(("127.0.0.1",0));print(s.getsockname()[1])')
cat >"$pc_dir/nginx.conf" <<CONF
daemon off;
worker_processes 1;
pid $pc_dir/nginx.pid;
error_log $pc_dir/error.log;
events { worker_connections 64; }
http {
  access_log off;
  client_body_temp_path $pc_dir/tmp; proxy_temp_path $pc_dir/tmp; fastcgi_temp_path $pc_dir/tmp;
  uwsgi_temp_path $pc_dir/tmp; scgi_temp_path $pc_dir/tmp;
  server {
    listen 127.0.0.1:$pc_port ssl; root $ngx/www;
    ssl_certificate $pc_dir/cert.pem; ssl_certificate_key $pc_dir/key.pem;
  }
}
CONF
nginx -c "$pc_dir/nginx.conf" -p "$pc_dir" &
pc_nginx=$!
_cleanups+=("kill $pc_nginx 2>/dev/null; wait $pc_nginx 2>/dev/null")
sleep 0.5
pc_out_win=$("$LOADER_WINE" winepath -w "$pc_dir/package.bin")
echo "== package check: 256 MiB under wine, verified download vs download alone (best of 3, seconds)"
for pc_url in "$LOADER_BENCH_URL/256mb.bin" "https://127.0.0.1:$pc_port/256mb.bin"; do
  read -r pc_download pc_verified pc_ratio pc_check pc_cpu < <("$ROOT/scripts/wine-run.sh" \
    "$BUILD_DIR/$WINDOWS_TREE/bench/package_check_bench.exe" "$pc_url" "$pc_out_win" 5 | tr -d '\r')
  echo "${pc_url%%:*}: download $pc_download s; hashed while downloading and checked" \
    "$pc_verified s; ratio $pc_ratio (goal: at most 1.05); a check after the download alone" \
    "would take $pc_check s ($pc_cpu s of processor)"
done
rm -f "$pc_dir/package.bin"
echo "== resume: 256 MiB under wine over http (best of 3, seconds)"
read -r pc_plain pc_kept pc_cost pc_share pc_fetched < <("$ROOT/scripts/wine-run.sh" \
  "$BUILD_DIR/$WINDOWS_TREE/bench/package_check_bench.exe" resume "$LOADER_BENCH_URL/256mb.bin" \
  "$pc_out_win" 3 | tr -d '\r')
echo "download $pc_plain s; with a resume record every 2 s $pc_kept s; ratio $pc_cost (goal: at most 1.02)"
echo "after a run stopped at 60 %: $pc_share of the package kept, $pc_fetched fetched (goal: at most 0.42)"
rm -f "$pc_dir/package.bin" "$pc_dir/package.bin.part" "$pc_dir/package.bin.state"
