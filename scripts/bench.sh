#!/usr/bin/env bash
# Builds the benchmarks and runs them under Wine in a private prefix; they print what they
# measured. Not part of the tests: timings depend on the machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/bootstrap.sh"

build=${BUILD_DIR:-$root/build}
. "$root/scripts/build-lib.sh"
build_project tree_delete_bench logging_bench
build_project uninstall script_bench process_helper service_helper procs_child com_server \
  make_link command_standin regasm_standin
start_private_prefix uninstall-bench
cd "$build/bench"
wine tree_delete_bench.exe 'B:\bench\tree_delete_uninstall.exe' 2>trace.log
out='C:\users\Public\bench'
wine cmd /c mkdir "$out" >/dev/null 2>&1 || true
wine logging_bench.exe "$out"
# The whole default script of the shipped program on the complete simulated installation of
# the demonstration, last: it removes what it finds.
. "$root/scripts/seed-installation.sh"
seed_installation
hold_locked_file
wine script_bench.exe 'B:\src\uninstall\uninstall.exe'
kill "$holder" 2>/dev/null || true
