#!/usr/bin/env bash
# Builds uninstall.exe and starts it under Wine in a private prefix seeded with a complete
# simulated installation of the suite (scripts/seed-installation.sh): everything the default
# script names, decoys that must stay, and one file held open by a running program.
#
# With a display you press "Uninstall" yourself and close the window; without one (a server,
# a container) the run happens under Xvfb, "Uninstall" is pressed for you, and screenshots of
# the window before and after land in out/.
# Afterwards the script compares the installation before and after the run and prints, group by
# group in the script's order, what was removed, what was kept and why, what waits for the
# restart, and what a restart of the prefix (wineboot -r) then removes
# (scripts/demo-report.sh), each item beside what the run's report (out/report.json) says of
# it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Without a display the whole demonstration runs under one Xvfb: a Wine session started without
# one (while seeding) cannot create the program's window later.
if [ -z "${DISPLAY:-}" ] && [ -z "${DEMO_HEADLESS:-}" ]; then
  exec env DEMO_HEADLESS=1 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
bash "$root/scripts/bootstrap.sh"

build=${BUILD_DIR:-$root/build}
. "$root/scripts/build-lib.sh"
build_project uninstall procs_child ui_driver process_helper service_helper com_server make_link \
  command_standin regasm_standin
start_private_prefix uninstall-demo
out="$root/out"
mkdir -p "$out"
cd "$build"

# --- the simulated installation ---------------------------------------------------------
. "$root/scripts/seed-installation.sh"
seed_installation
search_path >"$tmp/path-before.txt"
hold_locked_file
seed_state "$tmp/before.tsv"
echo "Seeded $(wc -l <"$tmp/before.tsv") items: programs, services, COM servers, shares, shortcuts,"
echo "folders, files, registry keys, App Paths, search path entries and mail profiles."

# --- the run ----------------------------------------------------------------------------
rm -f "$build/demo-report.json"
if [ -z "${DEMO_HEADLESS:-}" ]; then
  echo "Starting uninstall.exe: press \"Uninstall\", then close the window."
  echo "(Untick \"Restart computer\" first: the restart would end this Wine session.)"
  wine src/uninstall/uninstall.exe /trace /report:demo-report.json
else
  echo "No display: running under Xvfb and pressing \"Uninstall\"; screenshots go to out/."
  bash -c '
    out=$0
    wine src/uninstall/uninstall.exe /trace /report:demo-report.json & ui=$!
    wine helpers/ui_driver.exe wait >/dev/null
    sleep 1; import -window root "$out/before.png"
    wine helpers/ui_driver.exe click 1001 >/dev/null
    wine helpers/ui_driver.exe wait-enabled 2 >/dev/null
    sleep 1; import -window root "$out/after.png"
    echo "The window after the run:"
    wine helpers/ui_driver.exe state | awk -F"\t" "\$1==1021||\$1==1022{print \"  status: \" \$7} \$1==1023&&\$3==1{print \"  errors: \" \$7}"
    wine helpers/ui_driver.exe uncheck 1024 >/dev/null
    wine helpers/ui_driver.exe close >/dev/null
    wait $ui' "$out"
fi
search_path >"$tmp/path-after.txt"
seed_state "$tmp/after.tsv"
pending=$(wine reg query 'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager' \
    /v PendingFileRenameOperations 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_MULTI_SZ *//p' |
  sed 's/\\0\\0/\n/g; s/\\0/\n/g' | sed '/^$/d; s/^\\??\\//; s/\\$//' || true)
trace=$(ls "$build"/src/uninstall/uninstall.exe_*.log 2>/dev/null | tail -n 1 || true)

# The restart: the program that held the file has ended, and the system deletes what waited.
kill "$holder" 2>/dev/null || true
wineserver -k 2>/dev/null || true
wait "$holder" 2>/dev/null || true
wine wineboot -r >/dev/null 2>&1 || true
wineserver -w
seed_state "$tmp/restarted.tsv"

# The run's report: checked against its schema, then item by item against the installation.
mkdir -p "$tmp/report"
cp "$build/demo-report.json" "$out/report.json"
cp "$out/report.json" "$tmp/report/demo.json"
python3 "$root/tests/uninstall/app/validate-reports.py" "$root/docs/report.schema.json" \
  "$tmp/report" | tail -n 1
python3 "$root/scripts/demo-report-check.py" "$tmp/seed-manifest.tsv" "$tmp/before.tsv" \
  "$tmp/after.tsv" "$out/report.json" >"$tmp/report-check.tsv"

. "$root/scripts/demo-report.sh"
demo_report
echo
echo "Search path before: $(cat "$tmp/path-before.txt")"
echo "Search path after:  $(cat "$tmp/path-after.txt")"
[ -n "$trace" ] && echo "Trace of the run: $trace"
echo "Report of the run: out/report.json"
[ -z "${DEMO_HEADLESS:-}" ] || echo "Screenshots: out/before.png, out/after.png"
