#!/usr/bin/env bash
# Builds the benchmarks and runs them under Wine, in a private prefix made for this run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/bootstrap.sh"

build=${BUILD_DIR:-$root/build}
. "$root/scripts/build-lib.sh"
build_project tree_delete_bench
start_private_prefix uninstall-bench

cd "$build"
wine bench/tree_delete_bench.exe 2>bench/trace.log
