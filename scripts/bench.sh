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
wine script_bench.exe 'B:\src\uninstall\uninstall.exe' | tee "$tmp/script-bench.txt"
kill "$holder" 2>/dev/null || true

# The same installation seeded again and removed by a plain script of the platform's own
# commands: taskkill for the programs, sc for the services, reg delete for the keys, del and
# rd /s /q for the files and folders. It does only what those commands can: no COM server is
# unregistered, no share or search-path entry removed, nothing checked.
seed_installation >/dev/null
plain_cmd=$(seed_unix 'C:\DemoTools\plain.cmd')
awk -F'\t' -v q='"' '$4 != "gone" { next }
  $2 == "process" && $3 !~ / #/ { printf "@taskkill /f /im %s >nul 2>&1\r\n", $3 }
  $2 == "service" { printf "@sc stop %s >nul 2>&1\r\n@sc delete %s >nul 2>&1\r\n", $3, $3 }
  $2 ~ /^key(32|64)?$/ { printf "@reg delete %s%s%s /f /reg:%s >nul 2>&1\r\n", q, $3, q,
                           ($2 == "key64") ? "64" : "32" }
  $2 == "path" { printf "@if exist %s%s\\*%s (rd /s /q %s%s%s) else (del /f /q %s%s%s) >nul 2>&1\r\n",
                   q, $3, q, q, $3, q, q, $3, q }' "$seed_list" >"$plain_cmd"
left_out=$(awk -F'\t' '$4 == "gone" && $2 !~ /^(process|service|key|key32|key64|path)$/' \
  "$seed_list" | wc -l)
started=$(date +%s%N)
wine cmd /c 'C:\DemoTools\plain.cmd' >/dev/null 2>&1 || true
plain_ms=$((($(date +%s%N) - started) / 1000000))
echo "the same installation removed by a plain script ($(grep -c . "$plain_cmd") commands:" \
  "taskkill, sc, reg delete, del, rd /s /q; $left_out items it cannot remove left out):" \
  "$plain_ms ms"
work_ms=$(sed -n 's/^ *wall time minus pauses as slept *\([0-9]*\) ms.*/\1/p' "$tmp/script-bench.txt")
if [ -n "$work_ms" ] && [ "$plain_ms" -gt 0 ]; then
  awk -v w="$work_ms" -v p="$plain_ms" \
    'BEGIN { printf "ratio default script without its pauses / plain script: %.2f\n", w / p }'
fi
