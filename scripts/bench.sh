#!/usr/bin/env bash
# Benchmarks (not part of the tests). Starts nginx on loopback as the server, so the server
# is never the bottleneck, and prints figures and ratios for the product build under wine
# and for the native build.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

if ! command -v nginx >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq nginx-light >/dev/null ||
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq nginx-light >/dev/null; }
fi
"$here/build.sh" "$WINDOWS_TREE" native-release
echo "== the Windows figures below are of build/$WINDOWS_TREE ($WINDOWS_ARCH) under $LOADER_WINE"

. "$here/services.sh"
start_display
start_wine

# nginx serving a generated file tree on a free loopback port.
ngx=$RUN_DIR/nginx
rm -rf "$ngx" && mkdir -p "$ngx/www" "$ngx/tmp"
head -c 100000000 /dev/urandom >"$ngx/www/100mb.bin"
printf 'ok' >"$ngx/www/small.txt"
# For the downloader: random bodies to time, sparse ones where only memory is measured.
head -c 268435456 /dev/urandom >"$ngx/www/256mb.bin"
head -c 41943040 /dev/urandom >"$ngx/www/40mb.bin"
truncate -s 64M "$ngx/www/64mb.bin"
truncate -s 1G "$ngx/www/1gb.bin"
port=$(python3 -c 'import socket;s=socket.socket();s.bind(("127.0.0.1",0));print(s.getsockname()[1])')
cat >"$ngx/nginx.conf" <<CONF
daemon off;
worker_processes 1;
pid $ngx/nginx.pid;
error_log $ngx/error.log;
events { worker_connections 256; }
http {
  access_log off;
  client_body_temp_path $ngx/tmp; proxy_temp_path $ngx/tmp; fastcgi_temp_path $ngx/tmp;
  uwsgi_temp_path $ngx/tmp; scgi_temp_path $ngx/tmp;
  keepalive_requests 100000;
  server {
    listen 127.0.0.1:$port; root $ngx/www;
    # The same files at 2 MiB/s per connection, for segmented downloads.
    location /slow/ { alias $ngx/www/; limit_rate 2m; }
  }
}
CONF
nginx -c "$ngx/nginx.conf" -p "$ngx" &
ngx_pid=$!
_cleanups+=("kill $ngx_pid 2>/dev/null; wait $ngx_pid 2>/dev/null")
for _ in $(seq 100); do
  python3 -c "import socket;socket.create_connection(('127.0.0.1',$port),0.2)" 2>/dev/null && break
  sleep 0.05
done
export LOADER_BENCH_URL=http://127.0.0.1:$port
export LOADER_BENCH_DIR=$BUILD_DIR/bench-run
mkdir -p "$LOADER_BENCH_DIR"

echo "== bare libcurl, 100 MB into memory (MB/s, best of 3)"
native=$("$BUILD_DIR/native-release/bench/curl_throughput_bench" "$LOADER_BENCH_URL/100mb.bin")
wine_mbps=$("$ROOT/scripts/wine-run.sh" "$BUILD_DIR/$WINDOWS_TREE/bench/curl_throughput_bench.exe" "$LOADER_BENCH_URL/100mb.bin")
echo "native: $native MB/s"
echo "wine:   $wine_mbps MB/s"
python3 -c "import sys;print('wine/native: %.2f' % (float(sys.argv[2])/float(sys.argv[1])))" "$native" "$wine_mbps"

# Further benchmarks of the product's own layers register here as they are built.
for extra in "$ROOT"/bench/*.sh; do
  [ -e "$extra" ] || continue
  echo
  . "$extra"
done
