#!/usr/bin/env bash
# The product's main job, as far as it is built: builds the Windows tree, starts a local
# version service (the test server over HTTPS) and shows a round trip through the project's
# own libcurl build under wine.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

"$here/build.sh" windows

. "$here/services.sh"
start_test_server
start_display
start_wine

reply='{"version":"1.0.0.2","url":"https://127.0.0.1:'$LOADER_TEST_HTTPS_PORT'/data?size=1048576"}'
query=$(python3 -c 'import sys,urllib.parse;print(urllib.parse.quote(sys.argv[1]))' "$reply")
url="https://127.0.0.1:$LOADER_TEST_HTTPS_PORT/data?ctype=application/json&body=$query"

echo "Local version service: https://127.0.0.1:$LOADER_TEST_HTTPS_PORT/"
echo
"$ROOT/scripts/wine-run.sh" "$BUILD_DIR/windows/tests/fetch_tool.exe" "$url"
echo
echo "The loader window is not built yet: this demonstrates the HTTPS round trip only."
