#!/usr/bin/env bash
# Reproducibility check: builds loader.exe twice, each time in a fresh build tree of its own
# (no compiler cache), and compares the two files byte for byte. Prints both SHA-256 hashes
# and the seconds taken; exits non-zero when they differ.
#
#   ./scripts/reproducible.sh [extra cmake -D options...]
# LOADER_REPRODUCIBLE_ARCH=i686 (default, the product) or x86_64 picks the Windows build.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
arch=${LOADER_REPRODUCIBLE_ARCH:-i686}
case $arch in
  i686) curl_prefix=$CURL_WIN_PREFIX ;;
  x86_64) curl_prefix=$CURL_WIN64_PREFIX; export LOADER_SETUP_WIN64=1 ;;
  *) echo "LOADER_REPRODUCIBLE_ARCH must be i686 or x86_64" >&2; exit 2 ;;
esac
"$here/setup.sh" >/dev/null

# Whatever a build takes from the environment stays out: no cache, no launcher, one clock.
export CCACHE_DISABLE=1
unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null || echo 0)}

mkdir -p "$BUILD_DIR"
work=$(mktemp -d "$BUILD_DIR/reproducible.XXXXXX")
trap 'rm -rf "$work"' EXIT
began=$(date +%s)
hashes=()
for tree in first second; do
  dir=$work/$tree
  cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$arch-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLOADER_DEPS_PREFIX="$curl_prefix" \
    -DLOADER_CURL_PREFIX="$curl_prefix" -DLOADER_DEPS_INCLUDE="$DEPS_INCLUDE" "$@" \
    >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; exit 1; }
  cmake --build "$dir" --target loader >"$dir.build.log" 2>&1 || { tail -n 40 "$dir.build.log"; exit 1; }
  hashes+=("$(sha256sum "$dir/loader/loader.exe" | cut -d' ' -f1)")
done
echo "loader.exe for $arch Windows"
echo "first build:  ${hashes[0]}"
echo "second build: ${hashes[1]}"
echo "seconds: $(($(date +%s) - began))"
if [ "${hashes[0]}" != "${hashes[1]}" ]; then
  echo "loader.exe differs between the two builds" >&2
  cmp -l "$work/first/loader/loader.exe" "$work/second/loader/loader.exe" | head -n 20 >&2 || true
  exit 1
fi
echo "identical"
