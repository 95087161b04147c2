#!/usr/bin/env bash
# Builds everything and runs the tests under Wine, in a private prefix made for this run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/bootstrap.sh"

build=${BUILD_DIR:-$root/build}
. "$root/scripts/build-lib.sh"
build_project
start_private_prefix uninstall-tests

# The tests run with their current folder on B:, the build folder. A test that fails is run
# once more: a Wine session that is just shutting down between two tests can refuse the next
# program's connection ("wine client error ... Connection reset by peer"). A real fault fails
# both times.
# Through emulation every Wine process runs about twice as slowly, so each test gets more time.
timeout=300
[ "$WINE32_MODE" = emulated ] && timeout=900
cd "$build"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --output-on-failure --timeout "$timeout" --repeat until-pass:2 "$@"
