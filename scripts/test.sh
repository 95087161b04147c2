#!/usr/bin/env bash
# Builds everything and runs the tests under Wine, in a private prefix made for this run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/bootstrap.sh"

build=${BUILD_DIR:-$root/build}
cmake --no-warn-unused-cli -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)"

tmp=$(mktemp -d /tmp/uninstall-tests.XXXXXX)
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
. "$root/scripts/wine-prefix.sh"
echo "Creating a private Wine prefix in $tmp ..."
make_wine_prefix "$tmp" "$build"
export UNINSTALL_TEST_SOURCE="$root"

# The tests run with their current folder on B:, the build folder.
cd "$build"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --output-on-failure --timeout 900 "$@"
