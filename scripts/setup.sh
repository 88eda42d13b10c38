#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian machine.
# Idempotent: a second run only checks and returns quickly.
#   - Debian packages (cross toolchain, wine, Xvfb, native libcurl, clang for fuzzing)
#   - libcurl for Windows, built from Debian's curl source package with Schannel,
#     cached outside the clone (keyed by version) and rebuilt only when missing
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

log() { printf '[setup] %s\n' "$*"; }

# ---------------------------------------------------------------------------
# Debian packages
# ---------------------------------------------------------------------------
packages=(
  build-essential cmake ninja-build pkg-config git ca-certificates openssl python3
  mingw-w64-tools g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  libz-mingw-w64-dev libstb-dev rapidjson-dev googletest zlib1g-dev
  wine wine32:i386 wine64 libgnutls30:i386
  xvfb xauth x11-utils xdotool imagemagick fonts-wqy-microhei
  libcurl4-openssl-dev clang-14 libclang-rt-14-dev llvm-14 clang-format
  dpkg-dev nginx-light curl osslsigncode
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

apt_updated=0
apt_update() {
  if [ "$apt_updated" = 0 ]; then
    apt-get update -qq
    apt_updated=1
  fi
}

if [ ${#missing[@]} -gt 0 ]; then
  log "installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt_update
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# ---------------------------------------------------------------------------
# libcurl for Windows (static, Schannel, HTTP/HTTPS only)
# Only what the loader uses: no cookies, alt-svc, HSTS, DoH, MIME, netrc, digest/NTLM,
# date parsing, option look-up or progress meter (basic auth and proxies stay); sections
# per function so the loader's link drops the rest. Changing these flags means changing
# CURL_WIN_FLAVOUR in env.sh, so no machine reuses a cache built with the old ones.
# ---------------------------------------------------------------------------
if [ ! -f "$CURL_WIN_PREFIX/lib/libcurl.a" ]; then
  log "building libcurl for Windows into $CURL_WIN_PREFIX"
  src_list=/etc/apt/sources.list.d/curl-src.sources
  if [ ! -f "$src_list" ]; then
    # Same mirror and suites as the binary entries, for source packages.
    sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$src_list"
    apt_updated=0
  fi
  apt_update
  work=$(mktemp -d)
  (cd "$work" && apt-get source -qq "curl=$CURL_WIN_VERSION" >/dev/null 2>&1 ||
    apt-get source -qq curl >/dev/null)
  srcdir=$(find "$work" -maxdepth 1 -type d -name 'curl-*' | head -n 1)
  cmake -S "$srcdir" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$CURL_WIN_PREFIX" \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF \
    -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DHTTP_ONLY=ON \
    -DCURL_USE_LIBSSH2=OFF -DUSE_LIBIDN2=OFF -DCURL_USE_LIBPSL=OFF \
    -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF \
    -DCURL_ZLIB=ON -DZLIB_USE_STATIC_LIBS=ON \
    -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none \
    -DCMAKE_C_FLAGS="-ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables" \
    -DCURL_DISABLE_ALTSVC=ON -DCURL_DISABLE_COOKIES=ON -DCURL_DISABLE_CRYPTO_AUTH=ON \
    -DCURL_DISABLE_NTLM=ON -DCURL_DISABLE_DOH=ON -DCURL_DISABLE_GETOPTIONS=ON \
    -DCURL_DISABLE_HSTS=ON -DCURL_DISABLE_LIBCURL_OPTION=ON -DCURL_DISABLE_MIME=ON \
    -DCURL_DISABLE_NETRC=ON -DCURL_DISABLE_PARSEDATE=ON -DCURL_DISABLE_PROGRESS_METER=ON \
    -DCURL_DISABLE_SHUFFLE_DNS=ON -DCURL_DISABLE_SOCKETPAIR=ON -DENABLE_UNIX_SOCKETS=OFF \
    >"$work/configure.log" 2>&1 ||
    { tail -n 40 "$work/configure.log"; exit 1; }
  cmake --build "$work/build" -j"$(nproc)" >"$work/build.log" 2>&1 ||
    { tail -n 40 "$work/build.log"; exit 1; }
  cmake --install "$work/build" >/dev/null
  rm -rf "$work"
fi

# ---------------------------------------------------------------------------
# Header-only dependencies for the cross build, without exposing /usr/include
# ---------------------------------------------------------------------------
mkdir -p "$DEPS_INCLUDE"
ln -sfn /usr/include/rapidjson "$DEPS_INCLUDE/rapidjson"
ln -sfn /usr/include/stb "$DEPS_INCLUDE/stb"

log "dependencies ready"
