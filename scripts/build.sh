#!/usr/bin/env bash
# Configures and builds the build trees (installing dependencies first when missing).
#   ./scripts/build.sh [windows] [windows64] [native] [native-tsan] [fuzz]
#     (default: windows native native-tsan)
#   windows   - the product: 32-bit Windows (i686)
#   windows64 - the same product and tests for 64-bit Windows (x86_64), run under wine64
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

trees=("$@")
[ ${#trees[@]} -gt 0 ] || trees=(windows native native-tsan)
case " ${trees[*]} " in
  *" windows64 "*) LOADER_SETUP_WIN64=1 "$here/setup.sh" ;;
  *) "$here/setup.sh" ;;
esac
jobs=$(nproc)

configure() {
  local dir=$1
  shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1 ||
      { cat "$dir.configure.log"; return 1; }
  fi
}

for tree in "${trees[@]}"; do
  dir=$BUILD_DIR/$tree
  mkdir -p "$BUILD_DIR"
  case $tree in
    windows | windows64)
      if [ "$tree" = windows ]; then arch=i686 curl=$CURL_WIN_PREFIX; else arch=x86_64 curl=$CURL_WIN64_PREFIX; fi
      configure "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$arch-w64-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DLOADER_DEPS_PREFIX="$curl" -DLOADER_CURL_PREFIX="$curl" -DLOADER_DEPS_INCLUDE="$DEPS_INCLUDE" \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$ROOT/scripts/wine-run.sh" ;;
    native)
      configure "$dir" -DCMAKE_BUILD_TYPE=Debug -DLOADER_SANITIZE=address,undefined ;;
    native-release)
      configure "$dir" -DCMAKE_BUILD_TYPE=Release ;;
    native-tsan)
      configure "$dir" -DCMAKE_BUILD_TYPE=Debug -DLOADER_SANITIZE=thread ;;
    fuzz)
      configure "$dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang-14 \
        -DCMAKE_CXX_COMPILER=clang++-14 -DLOADER_FUZZ=ON -DLOADER_SANITIZE=address,undefined ;;
    *) echo "unknown tree: $tree" >&2; exit 2 ;;
  esac
  echo "[build] $tree"
  cmake --build "$dir" -j"$jobs"
done
