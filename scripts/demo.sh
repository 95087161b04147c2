#!/usr/bin/env bash
# Builds uninstall.exe and starts it under Wine in a private prefix made for this run.
# With no display (a server, a container) it runs under Xvfb, takes a screenshot of the
# window into out/ and closes it again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/bootstrap.sh"

build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target uninstall

tmp=$(mktemp -d /tmp/uninstall-demo.XXXXXX)
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
. "$root/scripts/wine-prefix.sh"
echo "Creating a private Wine prefix in $tmp ..."
make_wine_prefix "$tmp" "$build"
mkdir -p "$root/out"
cd "$build"

if [ -n "${DISPLAY:-}" ]; then
  wine src/uninstall/uninstall.exe
else
  echo "No display: running under Xvfb; the screenshot goes to out/window.png"
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    wine src/uninstall/uninstall.exe & pid=$!
    sleep 6
    import -window root "$0/out/window.png"
    kill $pid 2>/dev/null || true
    wineserver -k 2>/dev/null || true' "$root"
fi
