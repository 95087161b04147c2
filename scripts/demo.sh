#!/usr/bin/env bash
# Builds uninstall.exe and starts it under Wine in a private prefix seeded with a small
# simulated installation of the suite: its settings and deployment settings in the registry,
# its folders and files, its running programs and installed services, and one file held open by
# another program.
#
# With a display you press "Uninstall" yourself and close the window; without one (a server,
# a container) the run happens under Xvfb, "Uninstall" is pressed for you, and screenshots of
# the window before and after land in out/.
# Afterwards the script prints what was removed, which programs and services are gone, what
# waits for the restart, and what a restart of the prefix then removes.
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
build_project uninstall procs_child ui_driver process_helper service_helper com_server make_link
start_private_prefix uninstall-demo
drive_c="$WINEPREFIX/drive_c"
out="$root/out"
mkdir -p "$out"
cd "$build"

# --- the simulated installation ---------------------------------------------------------
reg32() { wine reg add "$1" /v "$2" /d "$3" /f /reg:32 >/dev/null 2>&1; }
esd='HKLM\Software\Velmarix\Services\Esd\Settings'
reg32 "$esd" LPDir 'C:\Program Files (x86)\Talveno\LP'
reg32 "$esd" LDDir 'C:\ProgramData\Talveno\LD'
reg32 "$esd" BuDir 'C:\Talveno\Backup'
reg32 "$esd" SrcDir 'C:\Talveno\Source'
reg32 "$esd" NDDir 'C:\Talveno\NorvaData'
reg32 "$esd" NPDir 'C:\Talveno\NorvaPrograms'
reg32 "$esd" LP 'C'
norva='HKLM\Software\Talveno\Norva'
reg32 "$norva" Install.Path 'C:\Program Files (x86)\Talveno\LP'
reg32 "$norva" Cache.Folder 'Cache'
reg32 "$norva" Error.Folder 'Error'
reg32 "$esd" LPCDir 'C:\Talveno\LPC'

# The suite's registry keys in the 32-bit view this program works in, each with a decoy of the
# same path in the 64-bit view where the registry keeps the views apart; App Paths entries, the
# suite's folder in the search path, mail profiles and a COM class with its ProgID.
key() { wine reg add "$1" /f "/reg:$2" >/dev/null 2>&1; }
notify='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Winlogon\Notify\Norva'
profiles='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows Messaging Subsystem\Profiles'
apppaths='HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths'
clsid='HKCR\CLSID\{6C1E0F3A-5D2B-4E8C-9A7F-0B3D2E1C4A59}'
for k in 'HKLM\Software\Norva\Options' "$notify" "$clsid\InprocServer32"; do key "$k" 32; done
for k in 'HKLM\Software\Norva\Decoy' 'HKLM\Software\Talveno\Decoy' 'HKLM\Software\Velmarix\Decoy' \
         "$notify\Decoy" "$clsid\Decoy"; do key "$k" 64; done
for k in 'HKCU\Software\Talveno\Norva' 'HKCU\Software\Velmarix\Esd' 'HKCR\dxifile\shell\open' \
         "$profiles\12345DISP" "$profiles\Outlook" "$profiles\00001EDI-Archive"; do key "$k" 32; done
default32() { wine reg add "$1" /ve /d "$2" /f /reg:32 >/dev/null 2>&1; }
default32 "$apppaths\VelxLP.exe" 'C:\Program Files (x86)\Talveno\LP\VelxLP.exe'
default32 "$apppaths\OtherTool.exe" 'C:\Tools\OtherTool.exe'
default32 'HKCR\kvcomp1.document\CLSID' '{6C1E0F3A-5D2B-4E8C-9A7F-0B3D2E1C4A59}'
env_key='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'
search_path() { wine reg query "$env_key" /v Path 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_EXPAND_SZ *//p'; }
wine reg add "$env_key" /v Path /t REG_EXPAND_SZ /d "$(search_path);C:\Talveno\LPC\System" /f >/dev/null 2>&1
# Keys of the two views, then keys both views share.
registry_listing() {
  local k v
  for k in 'HKLM\Software\Norva' 'HKLM\Software\Talveno' 'HKLM\Software\Velmarix' "$notify" "$clsid"; do
    for v in 32 64; do
      wine reg query "$k" "/reg:$v" >/dev/null 2>&1 && echo "$k ($v-bit view)"
    done
  done
  for k in 'HKCU\Software\Talveno' 'HKCU\Software\Velmarix' 'HKCR\dxifile' 'HKCR\kvcomp1.document' \
           "$apppaths\VelxLP.exe" "$apppaths\OtherTool.exe" "$profiles\12345DISP" \
           "$profiles\Outlook" "$profiles\00001EDI-Archive"; do
    wine reg query "$k" >/dev/null 2>&1 && echo "$k"
  done
  true
}

seed() { mkdir -p "$(dirname "$drive_c/$1")"; echo "$1" >"$drive_c/$1"; }
lp='Program Files (x86)/Talveno/LP'
lpw_bin='C:\Program Files (x86)\Talveno\LP\bin'
mkdir -p "$drive_c/$lp/bin"
cp helpers/com_server.dll "$drive_c/$lp/bin/nrvcom.dll"
cp helpers/com_dep.dll "$drive_c/$lp/bin/"
# No .NET client assembly: the script would hand it to the .NET registration tool, and the run
# waited on it in this prefix without end.
for f in bin/NorvaConsole.exe bin/NorvaDaemon.exe bin/nrvlog.dll Velmarix/WebSocket/settings.json \
         Velmarix/MySql/data/norva.ibd Velmarix/Data/offices.xml Cache/1234/index.dat; do
  seed "$lp/$f"
done
for f in ProgramData/Talveno/LD/logs/norva.log Talveno/Backup/2026-12-01.bak Talveno/NorvaData/mail.db \
         Talveno/NorvaPrograms/tool.exe VelxShr/readme.txt InMailSrv.log OutMailSrv.exe keep-me.txt \
         "users/Public/Desktop/Norva Console.lnk" "users/Public/Desktop/Other Program.lnk" \
         "ProgramData/Microsoft/Windows/Start Menu/Programs/QX2/Norva.lnk"; do
  seed "$f"
done
chmod a-w "$drive_c/$lp/bin/nrvlog.dll"
# Shortcuts under names the script cannot know, found by what they point to: the suite's
# launcher, a browser opening the suite's portal; and decoys that point elsewhere.
seed "$lp/bin/VelxLP.exe"
seed "Browser/browser.exe"
link() { wine helpers/make_link.exe "$@" >/dev/null 2>&1; }
link 'C:\users\Public\Desktop\Velx Launcher.lnk' "$lpw_bin\VelxLP.exe"
link 'C:\users\Public\Desktop\Portal.lnk' 'C:\Browser\browser.exe' 'https://portal.velmarix.com/'
link 'C:\users\Public\Desktop\Web.lnk' 'C:\Browser\browser.exe' 'https://example.org/'
link 'C:\users\Public\Desktop\Notes about velmarix.lnk' 'C:\Browser\browser.exe' 'velmarix'
# Running programs of the suite and its services, whose programs live below a folder with
# blanks (copies of the tests' helper programs).
lpw='C:\Program Files (x86)\Talveno\LP'
cp helpers/process_helper.exe "$drive_c/$lp/bin/NorvaConsole.exe"
cp helpers/process_helper.exe "$drive_c/$lp/bin/NorvaPortal.exe"
for p in NorvaConsole NorvaPortal NorvaPortal; do
  wine "$lpw\\bin\\$p.exe" sleep 600000 >/dev/null 2>&1 &
done
mkdir -p "$drive_c/$lp/Broker"
cp helpers/service_helper.exe "$drive_c/$lp/Broker/TalvenoBrokerGW.exe"
cp helpers/service_helper.exe "$drive_c/$lp/Velmarix/WebSocket/talveno.webSocket.engine.exe"
wine "$lpw\Broker\TalvenoBrokerGW.exe" -install TalvenoBrokerServer -service >/dev/null 2>&1
wine "$lpw\Velmarix\WebSocket\talveno.webSocket.engine.exe" -install TalvenoMiddlewareWebSocket \
  -service >/dev/null 2>&1
# The suite's programs that run in this prefix, and the state of its services.
programs() {
  local list
  list=$(wine helpers/procs_child.exe processes 2>/dev/null | tr -d '\r' |
    grep -iE '^(norva|talveno)' | sort | uniq -c | sed 's/^ */  /' || true)
  echo "${list:-  none}"
}
services() {
  local s state
  for s in TalvenoBrokerServer TalvenoMiddlewareWebSocket; do
    state=$(wine sc query "$s" 2>/dev/null | tr -d '\r' | sed -n 's/.*STATE *: *[0-9]* *//p' || true)
    if wine reg query "HKLM\\SYSTEM\\CurrentControlSet\\Services\\$s" >/dev/null 2>&1; then
      echo "  $s: installed, ${state:-unknown}"
    else
      echo "  $s: removed"
    fi
  done
}
for _ in $(seq 50); do [ "$(programs | grep -c exe)" -ge 4 ] && break; sleep 0.2; done
echo "Running programs of the suite:"; programs
echo "Services of the suite:"; services

listing() { (cd "$drive_c" && find "Program Files (x86)/Talveno" ProgramData/Talveno Talveno VelxShr \
  Browser users/Public/Desktop "ProgramData/Microsoft/Windows/Start Menu/Programs/QX2" InMailSrv.log OutMailSrv.exe \
  keep-me.txt 2>/dev/null | sort) || true; }
listing >"$tmp/before.txt"
registry_listing | sort >"$tmp/registry-before.txt"
search_path >"$tmp/path-before.txt"

# A running program of the suite keeps one of its files open.
held='C:\Program Files (x86)\Talveno\LP\bin\NorvaDaemon.exe'
wine helpers/procs_child.exe hold "$held" >/dev/null 2>&1 &
holder=$!
for _ in $(seq 50); do [ -e "$drive_c/$lp/bin/NorvaDaemon.exe.held" ] && break; sleep 0.2; done
rm -f "$drive_c/$lp/bin/NorvaDaemon.exe.held"

# --- the run ----------------------------------------------------------------------------
if [ -z "${DEMO_HEADLESS:-}" ]; then
  echo "Starting uninstall.exe: press \"Uninstall\", then close the window."
  echo "(Untick \"Restart computer\" first: the restart would end this Wine session.)"
  wine src/uninstall/uninstall.exe /trace
else
  echo "No display: running under Xvfb and pressing \"Uninstall\"; screenshots go to out/."
  bash -c '
    out=$0
    wine src/uninstall/uninstall.exe /trace & ui=$!
    wine helpers/ui_driver.exe wait >/dev/null
    sleep 1; import -window root "$out/before.png"
    wine helpers/ui_driver.exe click 1001 >/dev/null
    wine helpers/ui_driver.exe wait-enabled 2 >/dev/null
    sleep 1; import -window root "$out/after.png"
    wine helpers/ui_driver.exe state | awk -F"\t" "\$1==1021||\$1==1022{print \"  status: \" \$7} \$1==1023&&\$3==1{print \"  errors: \" \$7}"
    wine helpers/ui_driver.exe uncheck 1024 >/dev/null
    wine helpers/ui_driver.exe close >/dev/null
    wait $ui' "$out"
  echo "Screenshots: out/before.png, out/after.png"
fi
listing >"$tmp/after.txt"
registry_listing | sort >"$tmp/registry-after.txt"

echo
echo "Removed:"
comm -23 "$tmp/before.txt" "$tmp/after.txt" | sed 's/^/  /'
echo "Left in place:"
comm -12 "$tmp/before.txt" "$tmp/after.txt" | sed 's/^/  /'
echo "Running programs of the suite after the run:"; programs
echo "Services of the suite after the run:"; services
echo "Registry keys removed:"
comm -23 "$tmp/registry-before.txt" "$tmp/registry-after.txt" | sed 's/^/  /'
echo "Registry keys left in place (the 64-bit decoys and what the script does not name):"
comm -12 "$tmp/registry-before.txt" "$tmp/registry-after.txt" | sed 's/^/  /'
echo "Search path before: $(cat "$tmp/path-before.txt")"
echo "Search path after:  $(search_path)"
echo "Scheduled for deletion at the next restart:"
wine reg query 'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations 2>/dev/null |
  tr -d '\r' | sed -n 's/.*REG_MULTI_SZ *//p' | sed 's/\\0\\0/\n/g; s/\\0/\n/g' | sed '/^$/d; s/^\\??\\/  /'
trace=$(ls "$build"/src/uninstall/uninstall.exe_*.log 2>/dev/null | tail -n 1 || true)
[ -n "$trace" ] && echo "Trace: $trace"

# The restart: the program that held the file has ended, and the system deletes what waited.
kill "$holder" 2>/dev/null || true
wineserver -k 2>/dev/null || true
wait "$holder" 2>/dev/null || true
wine wineboot -r >/dev/null 2>&1 || true
wineserver -w
listing >"$tmp/restarted.txt"
echo "Removed by the restart:"
comm -23 "$tmp/after.txt" "$tmp/restarted.txt" | sed 's/^/  /'
