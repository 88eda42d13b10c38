# Shared settings for the project's scripts (sourced, not run).
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
CACHE_DIR=${LOADER_CACHE_DIR:-$HOME/.cache/loader-deps}
CURL_WIN_VERSION=7.88.1
CURL_WIN_FLAVOUR=lean2
CURL_WIN_PREFIX=$CACHE_DIR/curl-win32-$CURL_WIN_VERSION-$CURL_WIN_FLAVOUR
CURL_WIN64_PREFIX=$CACHE_DIR/curl-win64-$CURL_WIN_VERSION-$CURL_WIN_FLAVOUR
DEPS_INCLUDE=$CACHE_DIR/include
BUILD_DIR=${LOADER_BUILD_DIR:-$ROOT/build}
export ROOT CACHE_DIR CURL_WIN_VERSION CURL_WIN_PREFIX CURL_WIN64_PREFIX DEPS_INCLUDE BUILD_DIR

# Whether this kernel runs 32-bit x86 programs at all (some boot with that emulation off):
# a 93-byte static i386 ELF that only calls exit(0) answers without needing any i386 package.
host_runs_32bit() {
  if [ -z "${LOADER_HOST_RUNS_32BIT:-}" ]; then
    local probe
    probe=$(mktemp)
    # ELF header, one loadable segment, then: mov eax,1; xor ebx,ebx; int 0x80
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' >"$probe"
    printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >>"$probe"
    printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000' >>"$probe"
    printf '\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010' >>"$probe"
    printf '\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000' >>"$probe"
    printf '\000\020\000\000\270\001\000\000\000\061\333\315\200' >>"$probe"
    chmod +x "$probe"
    if "$probe" 2>/dev/null; then LOADER_HOST_RUNS_32BIT=yes; else LOADER_HOST_RUNS_32BIT=no; fi
    rm -f "$probe"
    export LOADER_HOST_RUNS_32BIT
  fi
  [ "$LOADER_HOST_RUNS_32BIT" = yes ]
}

# The Windows tree whose tests run here: 32-bit (the product's default) where the host runs
# 32-bit programs, otherwise the 64-bit one under wine64; LOADER_WINDOWS_ARCH=i686|x86_64
# forces the choice. Sets WINDOWS_ARCH, WINDOWS_TREE (build tree name) and LOADER_WINE (the
# wine loader that runs that tree's programs).
case ${LOADER_WINDOWS_ARCH:-} in
  i686 | x86_64) WINDOWS_ARCH=$LOADER_WINDOWS_ARCH ;;
  "") if host_runs_32bit; then WINDOWS_ARCH=i686; else WINDOWS_ARCH=x86_64; fi ;;
  *) echo "LOADER_WINDOWS_ARCH must be i686 or x86_64, not '$LOADER_WINDOWS_ARCH'" >&2; exit 2 ;;
esac
if [ "$WINDOWS_ARCH" = x86_64 ]; then
  WINDOWS_TREE=windows64
  # Debian's /usr/bin/wine takes the 32-bit loader whenever wine32 is installed, even where
  # it cannot run; the 64-bit loader is named directly (and for wine's own helpers).
  LOADER_WINE=/usr/lib/wine/wine64
  WINELOADER=$LOADER_WINE
  export WINELOADER
else
  WINDOWS_TREE=windows
  LOADER_WINE=wine
fi
export WINDOWS_ARCH WINDOWS_TREE LOADER_WINE
