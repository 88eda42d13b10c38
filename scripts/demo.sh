#!/usr/bin/env bash
# The product's main job, end to end, on this machine:
#   - builds loader.exe (tree build/demo) and signs it with a throwaway certificate
#     (scripts/sign.sh), with its version service URL pointing at a local
#     HTTPS demo service: Debian's nginx on 127.0.0.1 with a self-signed certificate, serving
#     the JSON reply at /Home/version/ and an installer package of a few MB (ranges on,
#     throttled so the progress bar visibly moves); in the safe configuration: the service
#     pinned to its certificate's key, and a package started only when the reply's "sha256"
#     matches it;
#   - puts an outdated stand-in client into a fresh wine prefix's Uninstall entry;
#   - runs the loader under wine (on $DISPLAY when set, otherwise on a private Xvfb), saves
#     screenshots of its window while the package downloads, and shows which program the
#     loader started, with which command line and "INSTALLPATH";
#   - stops everything it started.
#
#   ./scripts/demo.sh [--current] [--tamper] [--skin detailed] [--port N] [--size MB] [--rate KB/s]
#     --current   the installed client is current: the loader starts it with "ignore-update"
#                 instead of downloading
#     --tamper    the served package's bytes differ from the reply's checksum: nothing starts
#     --skin detailed
#                 the loader with skins/detailed (speed and time left under the bar), the
#                 failure screen and the taskbar progress; with --tamper it shows why nothing
#                 started until the demo ends it with Escape
#     --port      the demo service's port (default 18443; built into the demo loader)
#     --size      package size in MB (default 6)      --rate  download rate limit (default 1500)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

mode=download
tamper=0
port=${DEMO_PORT:-18443}
size_mb=6
rate_kb=1500
skin=""
while [ $# -gt 0 ]; do
  case $1 in
    --current) mode=current ;;
    --tamper) tamper=1 ;;
    --skin)
      case $2 in
        detailed) skin=detailed ;;
        *) echo "unknown skin: $2 (there is: detailed)" >&2; exit 2 ;;
      esac
      shift ;;
    --port) port=$2; shift ;;
    --size) size_mb=$2; shift ;;
    --rate) rate_kb=$2; shift ;;
    -h|--help) sed -n '2,28p' "$0"; exit 0 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
  shift
done

say() { printf '\n[demo] %s\n' "$*"; }

# ---------------------------------------------------------------------------------------------
# Build: the product with the demo service built in, the stand-ins and the window probe
# ---------------------------------------------------------------------------------------------
# The 32-bit product where this host runs 32-bit programs, the 64-bit build elsewhere (or
# as LOADER_WINDOWS_ARCH says).
"$here/setup.sh"
if [ "$WINDOWS_ARCH" = x86_64 ]; then tree=$BUILD_DIR/demo64 curl_prefix=$CURL_WIN64_PREFIX; else tree=$BUILD_DIR/demo curl_prefix=$CURL_WIN_PREFIX; fi
service_url="https://127.0.0.1:$port/Home/version/"
mkdir -p "$tree"
# The demo service's certificate comes first: the loader is built with the pin of its key.
cert=$BUILD_DIR/demo-cert
mkdir -p "$cert"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$cert/key.pem" -out "$cert/cert.pem" \
  -days 2 -subj "/CN=127.0.0.1" -addext "subjectAltName=IP:127.0.0.1,DNS:localhost" \
  >/dev/null 2>&1
# The tree is configured anew each time: each choice is set whether given or not.
if [ "$skin" = detailed ]; then
  skin_options=(-DLOADER_SKIN_DIR="$ROOT/skins/detailed" -DLOADER_FAILURE_SCREEN=ON
    -DLOADER_TASKBAR_PROGRESS=ON)
else
  skin_options=(-DLOADER_SKIN_DIR="$ROOT/resources" -DLOADER_FAILURE_SCREEN=OFF
    -DLOADER_TASKBAR_PROGRESS=OFF)
fi
pin="sha256//$(openssl x509 -in "$cert/cert.pem" -pubkey -noout | openssl pkey -pubin -outform der |
  openssl dgst -sha256 -binary | base64)"
cmake -S "$ROOT" -B "$tree" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$WINDOWS_ARCH-w64-mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DLOADER_DEPS_PREFIX="$curl_prefix" -DLOADER_CURL_PREFIX="$curl_prefix" \
  -DLOADER_DEPS_INCLUDE="$DEPS_INCLUDE" -DLOADER_VERSION_SERVICE_URL="$service_url" \
  -DLOADER_VERSION_SERVICE_PIN="$pin" -DLOADER_REQUIRE_PACKAGE_SHA256=ON "${skin_options[@]}" \
  >"$tree.configure.log" 2>&1 || { cat "$tree.configure.log"; exit 1; }
say "building loader.exe for $WINDOWS_ARCH Windows (tree $tree) for $service_url, pinned to $pin, package checksum required${skin:+, skin $skin}"
cmake --build "$tree" -j"$(nproc)" --target loader window_probe standin_installer \
  standin_client_v1_0_0_9 standin_client_v2_3_0_11
fixtures=$tree/tests/loader/fixtures

# Signed as a publisher would sign it, with a throwaway certificate made here.
say "signing loader.exe (Authenticode, throwaway certificate)"
signing=$tree/signing
rm -rf "$signing" && mkdir -p "$signing"
"$here/sign.sh" --throwaway "$signing"
loader_exe=$signing/loader.exe
cp "$tree/loader/loader.exe" "$loader_exe"
LOADER_SIGN_PFX=$signing/sign.pfx LOADER_SIGN_PASSWORD=throwaway "$here/sign.sh" "$loader_exe"
osslsigncode verify -CAfile "$signing/cert.pem" -in "$loader_exe" >"$signing/verify.log" 2>&1 || true
{ grep -m 1 'Subject:' "$signing/verify.log"; grep 'Signature verification' "$signing/verify.log"; } |
  sed 's/^[[:space:]]*/  /'

# ---------------------------------------------------------------------------------------------
# Services: nginx (HTTPS, loopback), a display, a fresh wine prefix
# ---------------------------------------------------------------------------------------------
export RUN_DIR=$BUILD_DIR/demo-run
rm -rf "$RUN_DIR"
mkdir -p "$RUN_DIR"
. "$here/services.sh"

site=$RUN_DIR/site
mkdir -p "$site/packages" "$RUN_DIR/nginx"
# The package is the stand-in installer with padding after its image (Windows ignores it).
cp "$fixtures/installer/installer.exe" "$site/packages/Setup.exe"
head -c $((size_mb * 1024 * 1024)) /dev/urandom >>"$site/packages/Setup.exe"
sha256=$(sha256sum "$site/packages/Setup.exe" | cut -d' ' -f1)
# Tampered: one more byte on the way, after the publisher computed the checksum.
[ $tamper = 0 ] || printf 'x' >>"$site/packages/Setup.exe"
if [ $mode = current ]; then version=2.3.0.11; else version=2.0.0.0; fi
reply=$(printf '{"version":"%s","url":"https://127.0.0.1:%s/packages/Setup.exe","sha256":"%s"}' \
  "$version" "$port" "$sha256")
cat >"$RUN_DIR/nginx/nginx.conf" <<EOF
daemon off;
master_process off;
worker_processes 1;
pid $RUN_DIR/nginx/nginx.pid;
error_log $RUN_DIR/nginx/error.log;
events { worker_connections 64; }
http {
  access_log $RUN_DIR/nginx/access.log;
  client_body_temp_path $RUN_DIR/nginx/body;
  proxy_temp_path $RUN_DIR/nginx/proxy;
  fastcgi_temp_path $RUN_DIR/nginx/fastcgi;
  uwsgi_temp_path $RUN_DIR/nginx/uwsgi;
  scgi_temp_path $RUN_DIR/nginx/scgi;
  server {
    listen 127.0.0.1:$port ssl;
    ssl_certificate $cert/cert.pem;
    ssl_certificate_key $cert/key.pem;
    root $site;
    location = /Home/version/ {
      default_type application/json;
      return 200 '$reply';
    }
    location /packages/ {
      types { }
      default_type application/octet-stream;
      limit_rate ${rate_kb}k;
    }
  }
}
EOF
nginx -c "$RUN_DIR/nginx/nginx.conf" -p "$RUN_DIR/nginx" &
nginx_pid=$!
_cleanups+=("kill $nginx_pid 2>/dev/null; wait $nginx_pid 2>/dev/null")
for _ in $(seq 100); do
  curl -skf -o /dev/null "${service_url}?version=1.0.0.1&channel=1002" && break
  kill -0 $nginx_pid 2>/dev/null || { cat "$RUN_DIR/nginx/error.log"; exit 1; }
  sleep 0.1
done
say "demo version service on $service_url answers:"
curl -sk "${service_url}?version=1.0.0.1&channel=1002"
echo
curl -skI -r 2- "https://127.0.0.1:$port/packages/Setup.exe" | grep -iE '^(HTTP|content-range|content-length)' || true

if [ -n "${DISPLAY:-}" ]; then
  say "showing the loader on your display $DISPLAY"
else
  start_display
  say "no DISPLAY: running on a private Xvfb ($DISPLAY); see the screenshots"
fi
start_wine

# ---------------------------------------------------------------------------------------------
# The run
# ---------------------------------------------------------------------------------------------
if [ $mode = current ]; then client=v2.3.0.11; else client=v1.0.0.9; fi
client_dir="$("$LOADER_WINE" winepath -w "$fixtures/$client")\\"
"$LOADER_WINE" reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tesmar' /v InstallLocation \
  /t REG_SZ /d "$client_dir" /f /reg:32 >/dev/null 2>&1
say "installed client: $client_dir (version ${client#v}); the service offers $version"

records=$RUN_DIR/started.txt
shots=$BUILD_DIR/demo-shots
rm -rf "$shots" && mkdir -p "$shots"
say "running the $WINDOWS_ARCH loader.exe under $LOADER_WINE"
LOADER_TEST_RECORD=$("$LOADER_WINE" winepath -w "$records") "$ROOT/scripts/wine-run.sh" "$loader_exe" &
loader_pid=$!
_cleanups+=("kill $loader_pid 2>/dev/null")

geometry=$("$ROOT/scripts/wine-run.sh" "$tree/tests/loader/window_probe.exe" wait 20000 || true)
if [ -n "$geometry" ]; then
  read -r left top right bottom _ <<<"$geometry"
  crop="$((right - left))x$((bottom - top))+$left+$top"
  say "loader window at $left,$top, $((right - left)) x $((bottom - top)); screenshots:"
  n=0
  while kill -0 $loader_pid 2>/dev/null && [ $n -lt 40 ]; do
    n=$((n + 1))
    shot=$(printf '%s/loader-%02d.png' "$shots" $n)
    import -window root -crop "$crop" +repage "$shot" 2>/dev/null && echo "  $shot"
    sleep 0.7
  done
  if kill -0 $loader_pid 2>/dev/null && [ "$skin" = detailed ]; then
    say "the loader shows why nothing started (failure screen); the demo ends it with Escape"
    "$ROOT/scripts/wine-run.sh" "$tree/tests/loader/window_probe.exe" escape >/dev/null || true
  fi
else
  say "the loader window was not seen (it may have finished at once)"
fi
set +e
wait $loader_pid
code=$?
set -e

say "loader exit code: $code"
# A program the loader started may still be writing its record.
for _ in $(seq 50); do [ -s "$records" ] && break; sleep 0.1; done
say "the version service was pinned: the loader accepted only the key $pin"
if [ -s "$records" ]; then
  say "the loader started:"
  tr -d '\r' <"$records" | grep -E '^(exe|cmdline|installpath|installpath-state)=' | sed 's/^/  /'
  if grep -q '^cmdline=silence' "$records"; then
    say "package verified: its SHA-256 matched the reply's $sha256"
  fi
else
  say "the loader started nothing"
  if [ $tamper = 1 ]; then
    left=$(find "$WINEPREFIX/drive_c/ProgramData/Tesmar" "$WINEPREFIX/drive_c/users" -iname '~un*.tmp*' 2>/dev/null | wc -l)
    say "the served package did not match the reply's SHA-256 $sha256: not started" \
      "($left downloaded package file(s) left behind)"
  fi
fi
say "requests the demo service saw:"
sed 's/^/  /' "$RUN_DIR/nginx/access.log"
echo
echo "Screenshots of the window: $shots"
