# Shared settings for the project's scripts (sourced, not run).
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
CACHE_DIR=${LOADER_CACHE_DIR:-$HOME/.cache/loader-deps}
CURL_WIN_VERSION=7.88.1
CURL_WIN_PREFIX=$CACHE_DIR/curl-win32-$CURL_WIN_VERSION
DEPS_INCLUDE=$CACHE_DIR/include
BUILD_DIR=${LOADER_BUILD_DIR:-$ROOT/build}
export ROOT CACHE_DIR CURL_WIN_VERSION CURL_WIN_PREFIX DEPS_INCLUDE BUILD_DIR
