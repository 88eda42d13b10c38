# Skin parser benchmark (sourced by scripts/bench.sh after the baseline; wine is running).
# Parses a generated 4 MiB skin from memory: CXmlDocument natively (ANSI text, and UTF-8
# bytes with conversion) beside pugixml's in-place parser built from Debian's source package
# into the same binary, then CXmlDocument in the product build under wine.

pugixml_dir=$CACHE_DIR/pugixml-src
mkdir -p "$pugixml_dir"
pugixml_src=$(find "$pugixml_dir" -mindepth 1 -maxdepth 1 -type d -name 'pugixml-*' | head -n 1)
if [ -z "$pugixml_src" ]; then
  if [ ! -f /etc/apt/sources.list.d/curl-src.sources ]; then
    sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
      >/etc/apt/sources.list.d/curl-src.sources
    apt-get update -qq
  fi
  rm -rf "$pugixml_dir" && mkdir -p "$pugixml_dir"
  (cd "$pugixml_dir" && apt-get source -qq pugixml >/dev/null 2>&1) || true
  pugixml_src=$(find "$pugixml_dir" -mindepth 1 -maxdepth 1 -type d -name 'pugixml-*' | head -n 1)
  [ -n "$pugixml_src" ] || echo "(pugixml source package not available: no comparison)"
fi
cmake "$BUILD_DIR/native-release" -DLOADER_PUGIXML_SOURCE="$pugixml_src" >/dev/null
cmake --build "$BUILD_DIR/native-release" --target xml_parse_bench -j"$(nproc)" >/dev/null

echo "== skin parser, generated 4 MiB skin from memory (MB/s, best of 40)"
xml_native=$("$BUILD_DIR/native-release/bench/xml_parse_bench" 2>/dev/null)
xml_wine=$("$ROOT/scripts/wine-run.sh" "$BUILD_DIR/$WINDOWS_TREE/bench/xml_parse_bench.exe" 2>/dev/null | tr -d '\r')
echo "native: $(tr '\n' ' ' <<<"$xml_native")"
echo "wine:   $(tr '\n' ' ' <<<"$xml_wine")"
python3 - "$xml_native" <<'PY'
import sys
rows = dict(line.split() for line in sys.argv[1].splitlines() if line.strip())
if 'pugixml' in rows:
    for ours in ('CXmlDocument', 'CXmlDocument-buffer'):
        print('%s/pugixml: %.2f' % (ours, float(rows[ours]) / float(rows['pugixml'])))
PY
