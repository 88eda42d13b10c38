#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian machine.
# Idempotent: a second run only checks and returns quickly.
#   - Debian packages (cross toolchain, wine, Xvfb, native libcurl, clang for fuzzing)
#   - libcurl for Windows, built from Debian's curl source package with Schannel,
#     cached outside the clone (keyed by version) and rebuilt only when missing: for the
#     32-bit tree always, for the 64-bit one when that tree runs the tests here
#     (LOADER_SETUP_WIN64=1 asks for it anyway)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

log() { printf '[setup] %s\n' "$*"; }

# ---------------------------------------------------------------------------
# Debian packages
# Both Windows toolchains are always installed (the 32-bit product is built everywhere).
# wine's 32-bit side and its i386 libraries only where this kernel runs 32-bit programs:
# elsewhere they cannot start, and their index is the one a mirror in mid-sync breaks.
# ---------------------------------------------------------------------------
packages=(
  build-essential cmake ninja-build pkg-config git ca-certificates openssl python3
  mingw-w64-tools g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  libz-mingw-w64-dev libstb-dev rapidjson-dev googletest zlib1g-dev
  wine wine64 libgnutls30
  xvfb xauth x11-utils xdotool imagemagick fonts-wqy-microhei
  libcurl4-openssl-dev clang-14 libclang-rt-14-dev llvm-14 clang-format
  dpkg-dev nginx-light curl osslsigncode
)
if host_runs_32bit; then
  packages+=(wine32:i386 libgnutls30:i386)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# A mirror in mid-sync serves an index of the wrong size for a while ("Mirror sync in
# progress?"): retry a few times, then go on with what was fetched. The suites whose index
# stayed broken are remembered, so the install can keep away from them.
apt_updated=0
broken_suites=()
apt_update() {
  [ "$apt_updated" = 0 ] || return 0
  local try out
  for try in 1 2 3; do
    out=$(apt-get update -q 2>&1) && ! grep -q '^E: ' <<<"$out" && { apt_updated=1; return 0; }
    [ "$try" = 3 ] || { log "apt-get update reported errors (try $try of 3); again in $((try * 5)) s"; sleep $((try * 5)); }
  done
  mapfile -t broken_suites < <(sed -nE 's|^E: Failed to fetch .*/dists/([^/ ]+)/.*|\1|p' <<<"$out" | sort -u)
  log "an index stayed broken after 3 tries (${broken_suites[*]:-unknown}); going on without it"
  apt_updated=1
}

# Installs the packages. Where a suite's index could not be fetched (for one architecture
# only, typically), its other architectures' newer versions would not match what the
# broken one offers; that suite is then pinned below the installed versions for this one
# install, so both architectures resolve to one consistent set from the other suites.
apt_install() {
  local pin=/etc/apt/preferences.d/zz-loader-setup-broken-suites suite
  if [ ${#broken_suites[@]} -gt 0 ]; then
    : >"$pin"
    for suite in "${broken_suites[@]}"; do
      printf 'Package: *\nPin: release n=%s\nPin-Priority: 50\n\n' "$suite" >>"$pin"
    done
    log "installing with ${broken_suites[*]} pinned below the other suites"
  fi
  local rc=0
  apt-get install -y -qq "$@" >/dev/null || rc=$?
  rm -f "$pin"
  return $rc
}

if [ ${#missing[@]} -gt 0 ]; then
  log "installing: ${missing[*]}"
  if host_runs_32bit && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt_update
  apt_install "${missing[@]}"
fi

# ---------------------------------------------------------------------------
# libcurl for Windows (static, Schannel, HTTP/HTTPS only)
# Only what the loader uses: no cookies, alt-svc, HSTS, DoH, MIME, netrc, date parsing,
# option look-up or progress meter. Proxies stay, with Negotiate and NTLM through SSPI so
# a proxy that asks the player's Windows logon can be answered (that needs crypto auth,
# which brings digest along); sections
# per function so the loader's link drops the rest. Changing these flags means changing
# CURL_WIN_FLAVOUR in env.sh, so no machine reuses a cache built with the old ones.
# ---------------------------------------------------------------------------
build_windows_curl() {
  local arch=$1 prefix=$2
  [ ! -f "$prefix/lib/libcurl.a" ] || return 0
  log "building libcurl for $arch Windows into $prefix"
  local src_list work srcdir
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
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$arch-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF \
    -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DHTTP_ONLY=ON \
    -DCURL_USE_LIBSSH2=OFF -DUSE_LIBIDN2=OFF -DCURL_USE_LIBPSL=OFF \
    -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF \
    -DCURL_ZLIB=ON -DZLIB_USE_STATIC_LIBS=ON \
    -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none \
    -DCMAKE_C_FLAGS="-ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables" \
    -DCURL_DISABLE_ALTSVC=ON -DCURL_DISABLE_COOKIES=ON -DCURL_WINDOWS_SSPI=ON \
    -DCURL_DISABLE_CRYPTO_AUTH=OFF -DCURL_DISABLE_NTLM=OFF -DCURL_DISABLE_DOH=ON -DCURL_DISABLE_GETOPTIONS=ON \
    -DCURL_DISABLE_HSTS=ON -DCURL_DISABLE_LIBCURL_OPTION=ON -DCURL_DISABLE_MIME=ON \
    -DCURL_DISABLE_NETRC=ON -DCURL_DISABLE_PARSEDATE=ON -DCURL_DISABLE_PROGRESS_METER=ON \
    -DCURL_DISABLE_SHUFFLE_DNS=ON -DCURL_DISABLE_SOCKETPAIR=ON -DENABLE_UNIX_SOCKETS=OFF \
    >"$work/configure.log" 2>&1 ||
    { tail -n 40 "$work/configure.log"; exit 1; }
  cmake --build "$work/build" -j"$(nproc)" >"$work/build.log" 2>&1 ||
    { tail -n 40 "$work/build.log"; exit 1; }
  cmake --install "$work/build" >/dev/null
  rm -rf "$work"
}

build_windows_curl i686 "$CURL_WIN_PREFIX"
# The 64-bit tree's own build, with the same source and flags, when it is to be built.
if [ "$WINDOWS_ARCH" = x86_64 ] || [ "${LOADER_SETUP_WIN64:-0}" = 1 ]; then
  build_windows_curl x86_64 "$CURL_WIN64_PREFIX"
fi

# ---------------------------------------------------------------------------
# Header-only dependencies for the cross build, without exposing /usr/include
# ---------------------------------------------------------------------------
mkdir -p "$DEPS_INCLUDE"
ln -sfn /usr/include/rapidjson "$DEPS_INCLUDE/rapidjson"
ln -sfn /usr/include/stb "$DEPS_INCLUDE/stb"

log "dependencies ready"
