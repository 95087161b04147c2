# Sourced by scripts/demo.sh and scripts/bench.sh: a complete simulated installation of the
# suite, as the default script (res/uninstall.xml) expects to find it, in the private prefix
# $WINEPREFIX, and a look at what of it is still there.
#
# Needs $root, $build (the helpers of build/helpers) and $tmp (start_private_prefix).
#   seed_installation       seeds everything and starts the suite's programs and services
#   hold_locked_file        a program the script does not end holds one of the suite's files
#                           open (sets $holder)
#   seed_state FILE         writes one line per seeded item that is still there
#   seed_manifest           the seeded items: group, kind, what, expected outcome, note
#
# Wine has no firewall and no file sharing: the system folder's net.exe and netsh.exe are
# replaced by the tests' command stand-in, which writes down how it was started, and the .NET
# registration tool by the tests' regasm stand-in. The COM servers are copies of the tests' COM
# server, which writes down each unregistration. A share or a COM registration counts as gone
# once the command or the unregistration that removes it has run.

seed_c="$WINEPREFIX/drive_c"
seed_tools='C:\DemoTools'
seed_list="$tmp/seed-manifest.tsv"
export STANDIN_RECORD="$seed_tools\\started.txt"
export NRV_TEST_COM_RECORD="$seed_tools\\com-unregistered.txt"
export NRV_TEST_REGASM_RECORD="$seed_tools\\regasm.txt"

# The Linux path of a path on C:.
seed_unix() { local p=${1#C:\\}; echo "$seed_c/${p//\\//}"; }

# note GROUP KIND WHAT EXPECT NOTE : one seeded item. EXPECT is "gone", "stays" or "restart"
# (deleted by the restart that follows the run).
note() { printf '%s\t%s\t%s\t%s\t%s\n' "$@" >>"$seed_list"; }

# seed_file GROUP PATH EXPECT NOTE : a small file at PATH (C:\...), noted.
seed_file() {
  local u
  u=$(seed_unix "$2")
  mkdir -p "$(dirname "$u")"
  [ -e "$u" ] || echo "$2" >"$u"
  note "$1" path "$2" "$3" "$4"
}

reg_value() { wine reg add "$1" /v "$2" /d "$3" /f "/reg:${4:-32}" >/dev/null 2>&1; }
reg_default() { wine reg add "$1" /ve /d "$2" /f "/reg:${3:-32}" >/dev/null 2>&1; }
reg_key() { wine reg add "$1" /f "/reg:${2:-32}" >/dev/null 2>&1; }
seed_link() { wine "$build/helpers/make_link.exe" "$@" >/dev/null 2>&1; }

lp='C:\Program Files (x86)\Talveno\LP'
ld='C:\ProgramData\Talveno\LD'
notify='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Winlogon\Notify\Norva'
profiles='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows Messaging Subsystem\Profiles'
apppaths='HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths'
clsid='HKCR\CLSID\{6C1E0F3A-5D2B-4E8C-9A7F-0B3D2E1C4A59}'
env_key='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'

search_path() {
  wine reg query "$env_key" /v Path 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_EXPAND_SZ *//p' ||
    true
}

seed_settings() {
  local esd='HKLM\Software\Velmarix\Services\Esd\Settings' norva='HKLM\Software\Talveno\Norva'
  reg_value "$esd" LPDir "$lp"
  reg_value "$esd" LDDir "$ld"
  reg_value "$esd" BuDir 'C:\Talveno\Backup'
  reg_value "$esd" SrcDir 'C:\Talveno\Source'
  reg_value "$esd" NDDir 'C:\Talveno\NorvaData'
  reg_value "$esd" NPDir 'C:\Talveno\NorvaPrograms'
  reg_value "$esd" LP 'C'
  reg_value "$esd" LPCDir 'C:\Talveno\LPC'
  reg_value "$norva" Install.Path "$lp"
  reg_value "$norva" Cache.Folder 'Cache'
  reg_value "$norva" Error.Folder 'Error'
}

# The stand-ins for the platform's tools that Wine lacks, and the folder of their records.
seed_standins() {
  local sys="$seed_c/windows/syswow64" fw="$seed_c/windows/Microsoft.NET/Framework/v4.0.30319"
  mkdir -p "$(seed_unix "$seed_tools")" "$fw"
  cp "$build/helpers/command_standin.exe" "$sys/net.exe"
  cp "$build/helpers/command_standin.exe" "$sys/netsh.exe"
  cp "$build/helpers/regasm_standin.exe" "$fw/regasm.exe"
}

# Programs of the suite, started from its program folder; two of one name, and one program
# whose name the script does not hold.
seed_processes() {
  local p n
  local other='C:\Program Files (x86)\Talveno\Other\NorvaBackup.exe'
  for p in Lumbrex NorvaRelay MailPurger OstrelLogon NorvaConsole NorvaPortal NorvaNotifier \
           NorvaDaemon VexaDaemon; do
    cp "$build/helpers/process_helper.exe" "$(seed_unix "$lp\\bin\\$p.exe")"
  done
  cp "$build/helpers/process_helper.exe" "$seed_c/OutMailSrv.exe"
  cp "$build/helpers/process_helper.exe" "$(seed_unix "$other")"
  for p in Lumbrex NorvaRelay MailPurger OstrelLogon NorvaConsole NorvaPortal NorvaPortal \
           NorvaNotifier NorvaDaemon VexaDaemon; do
    wine "$lp\\bin\\$p.exe" sleep 900000 >/dev/null 2>&1 &
  done
  wine "$other" sleep 900000 >/dev/null 2>&1 &
  # One of the broker's programs started by hand, outside the service manager.
  wine 'C:\OutMailSrv.exe' sleep 900000 >/dev/null 2>&1 &
  for p in Lumbrex NorvaRelay MailPurger OstrelLogon NorvaConsole NorvaPortal NorvaNotifier \
           NorvaDaemon VexaDaemon OutMailSrv; do
    note processes process "$p.exe" gone "running"
  done
  note processes process "NorvaPortal.exe #2" gone "a second instance"
  note processes process "NorvaBackup.exe" stays "not named by the script"
  # Wait until all have started.
  for n in $(seq 100); do
    [ "$(seed_processes_running | wc -l)" -ge 12 ] && break
    sleep 0.3
  done
}

# Every running program named like the suite's, a second one of a name as "<name> #2".
seed_processes_running() {
  wine "$build/helpers/procs_child.exe" processes 2>/dev/null | tr -d '\r' |
    grep -iE '^(norva|talveno|lumbrex|mailpurger|ostrel|vexa|inmail|outmail)' | sort |
    awk '{n[$0]++; print (n[$0] > 1 ? $0 " #" n[$0] : $0)}' || true
}

# The suite's services, each with a program of its own below the program folder (a folder with
# blanks); the script removes each with its own program and a parameter.
seed_services() {
  local name exe
  while read -r name exe; do
    mkdir -p "$(seed_unix "$lp\\$(dirname "$exe")")"
    cp "$build/helpers/service_helper.exe" "$(seed_unix "$lp\\$exe")"
    wine "$lp\\${exe//\//\\}" -install "$name" -service >/dev/null 2>&1 || true
    note services service "$name" gone "installed and running"
  done <<'EOF'
TalvenoBrokerInMailSrv Broker/InMailSrv.exe
TalvenoBrokerServer Broker/TalvenoBrokerGW.exe
TalvenoBrokerOutMailSrv Broker/OutMailSrv.exe
TalvenoMiddlewareServerEngineWatchdog Middleware/Watchdog/talveno.middleware.server.engine.exe
TalvenoMiddlewareServerEngineAuthProxy Middleware/AuthProxy/talveno.middleware.server.engine.exe
TalvenoMiddlewareServerEngineNorva Middleware/Norva/talveno.middleware.server.engine.exe
TalvenoMiddlewareWebSocket Velmarix/WebSocket/talveno.webSocket.engine.exe
TalvenoMiddlewareWebSocketNorvaGlob Velmarix/WebSocket/NorvaGlob/talveno.webSocket.engine.exe
TalvenoMiddlewareWebSocketSsoGlob Velmarix/WebSocket/SsoGlob/talveno.webSocket.engine.exe
EOF
}

# In-process servers below the folders the script walks (each with the library it imports),
# registered as the installer registers them, those the script excludes by name, a library
# dropped beside them that no class names, a class registered by ProgID, and the .NET client
# assembly.
seed_com() {
  local server folder n=0
  for server in "$lp\\bin\\nrvcom.dll" "$lp\\bin\\nrvgrid.ocx" "$lp\\bin\\RinseKit.dll" \
                "$lp\\bin\\KestraBeid.dll" "$ld\\com\\ldcom.dll" "$ld\\com\\RinseKit.dll" \
                'C:\Program Files (x86)\KESTRAPLW\kestra.ocx' "$ld\\com\\dropped.dll"; do
    folder=$(dirname "$(seed_unix "$server")")
    mkdir -p "$folder"
    cp "$build/helpers/com_server.dll" "$(seed_unix "$server")"
    cp "$build/helpers/com_dep.dll" "$folder/"
    n=$((n + 1))
    [ "${server##*\\}" = dropped.dll ] ||
      reg_default "HKLM\\Software\\Classes\\CLSID\\{5EED0000-0000-4000-8000-00000000000$n}\\InprocServer32" "$server" 32
  done
  note com server "$ld\\com\\dropped.dll" stays "no class of the machine names it: never loaded"
  note com server "$lp\\bin\\nrvcom.dll" gone "in-process server"
  note com server "$lp\\bin\\nrvgrid.ocx" gone "control"
  note com server "$lp\\bin\\RinseKit.dll" stays "excluded by name"
  note com server "$lp\\bin\\KestraBeid.dll" stays "excluded by name"
  note com server "$ld\\com\\ldcom.dll" gone "in-process server"
  note com server "$ld\\com\\RinseKit.dll" stays "excluded by name"
  note com server 'C:\Program Files (x86)\KESTRAPLW\kestra.ocx' gone "control"
  reg_default "$clsid\\InprocServer32" "$lp\\bin\\kvcomp1.dll" 32
  reg_default 'HKCR\kvcomp1.document\CLSID' '{6C1E0F3A-5D2B-4E8C-9A7F-0B3D2E1C4A59}' 32
  reg_key "$clsid\\Decoy" 64
  note com key32 "$clsid" gone "the class of ProgID kvcomp1.document"
  note com key32 'HKCR\kvcomp1.document' gone "ProgID"
  note com key64 "$clsid" stays "64-bit view: a 64-bit class of the same id"
  local assembly="$lp\\Velmarix\\WebSocket\\talveno.webSocket.client.dll"
  seed_file folders "$assembly" gone "program folder"
  note com assembly "$assembly" gone ".NET client assembly, unregistered with regasm"
}

# Shortcuts under names the script cannot know, found by what they point to, and decoys that
# point elsewhere; links named like the suite's, which the File step takes by name.
seed_shortcuts() {
  local user common_desk user_desk common_menu user_menu browser='C:\Browser\browser.exe'
  user=$(ls "$seed_c/users" | grep -vx Public | head -n 1)
  common_desk='C:\users\Public\Desktop'
  user_desk="C:\\users\\$user\\Desktop"
  common_menu='C:\ProgramData\Microsoft\Windows\Start Menu'
  user_menu="C:\\users\\$user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu"
  seed_file shortcuts "$browser" stays "a browser the links start"
  seed_file shortcuts "$lp\\bin\\VelxLP.exe" gone "the suite's launcher"
  while IFS='|' read -r where target args expect why; do
    where=${where/@CD/$common_desk}; where=${where/@UD/$user_desk}
    where=${where/@CM/$common_menu}; where=${where/@UM/$user_menu}
    target=${target/@B/$browser}; target=${target/@LP/$lp}
    mkdir -p "$(dirname "$(seed_unix "$where")")"
    seed_link "$where" "$target" "$args"
    note shortcuts path "$where" "$expect" "$why"
  done <<'EOF'
@CD\Velx Launcher.lnk|@LP\bin\VelxLP.exe||gone|target *VelxLP*
@CD\Portal.lnk|@B|https://portal.velmarix.com/|gone|arguments *.velmarix*
@CD\Help.lnk|@B|https://help.talveno.net/|gone|arguments *.talveno*
@CD\Suite\Kestra PLW.lnk|@B|https://www.kestra.com/plw|gone|arguments *kestra.com*, in a subfolder
@CD\Web.lnk|@B|https://example.org/|stays|decoy: points elsewhere
@CD\Notes about velmarix.lnk|@B|velmarix|stays|decoy: names the suite, matches no mask
@CM\Programs\Talveno\Velx Launcher.lnk|@LP\bin\VelxLP.exe|/admin|gone|target *VelxLP*
@CM\Programs\Accessories\Notepad.lnk|C:\windows\notepad.exe||stays|decoy: points elsewhere
@UD\Velmarix Portal.lnk|@B|https://portal.velmarix.com/|gone|arguments *.velmarix*
@UD\Velx.lnk|@LP\bin\VelxLP.exe||gone|target *VelxLP*
@UD\Photos.lnk|C:\windows\explorer.exe|C:\users\Public|stays|decoy: points elsewhere
@UM\Programs\Velx.lnk|@LP\bin\VelxLP.exe||stays|the script searches no user start menu
EOF
  # Found by name (File steps) and with their start menu folder (Folder steps).
  seed_file shortcuts "$common_desk\\Norva Console.lnk" gone "name *Norva*.lnk"
  seed_file shortcuts "$common_desk\\Tools\\Norva Relay.lnk" gone \
    "name *Norva*.lnk, in a subfolder"
  seed_file shortcuts "$common_desk\\Other Program.lnk" stays "decoy: another name"
  seed_file shortcuts "$user_desk\\Norva Notes.lnk" gone "name *Norva*.lnk"
  seed_file shortcuts "$common_menu\\Programs\\StartUp\\Norva Notifier.lnk" gone \
    "name *Norva*.lnk"
  seed_file shortcuts "$common_menu\\Programs\\StartUp\\Later\\Norva Later.lnk" stays \
    "start-up folders are searched without their subfolders"
  seed_file shortcuts "$user_menu\\Programs\\StartUp\\Norva Daemon.lnk" gone \
    "name *Norva*.lnk"
  seed_file shortcuts "$common_menu\\Programs\\QX2\\Norva.lnk" gone "in the start menu folder QX2"
  seed_file shortcuts "$user_menu\\Programs\\QX2\\Norva Console.lnk" gone \
    "in the start menu folder QX2"
  note shortcuts path "$common_menu\\Programs\\QX2" gone "start menu folder"
  note shortcuts path "$user_menu\\Programs\\QX2" gone "start menu folder"
}

seed_folders() {
  local f
  for f in bin\\nrvlog.dll bin\\settings.ini Velmarix\\WebSocket\\settings.json \
           Cache\\1234\\thumbs.dat Error\\last.txt; do
    seed_file folders "$lp\\$f" gone "program folder"
  done
  # Read-only: the deletion clears the attribute.
  chmod a-w "$(seed_unix "$lp\\bin\\nrvlog.dll")"
  note folders path "$lp" stays "holds the excluded data folders"
  seed_file folders "$lp\\Velmarix\\MySql\\data\\norva.ibd" stays \
    "excluded: *\\Velmarix\\MySql\\*"
  seed_file folders "$lp\\Velmarix\\Data\\offices.xml" stays "excluded: *\\Velmarix\\Data\\*"
  seed_file folders "$ld\\logs\\norva.log" gone "data folder"
  note folders path "$ld" gone "data folder"
  for f in Backup\\2026-12-01.bak Source\\VelxPkg\\setup.cab NorvaData\\mail.db \
           NorvaPrograms\\tool.exe; do
    seed_file folders "C:\\Talveno\\$f" gone "local folder"
  done
  seed_file folders 'C:\Talveno\Archive\2019.zip' stays "not named by the script"
  seed_file folders 'C:\VelxShr\readme.txt' gone "share folder"
  seed_file folders 'C:\Program Files (x86)\KESTRAPLW\readme.txt' gone "program folder"
  seed_file folders 'C:\Program Files (x86)\Talveno\Other\tool.exe' stays \
    "not named by the script"
}

seed_files() {
  seed_file files 'C:\InMailSrv.log' gone "mask InMailSrv.*"
  seed_file files 'C:\OutMailSrv.cfg' gone "mask OutMailSrv.*"
  note files path 'C:\OutMailSrv.exe' gone "mask OutMailSrv.*, its program ended first"
  seed_file files 'C:\keep-me.txt' stays "decoy: another name"
  seed_file files 'C:\windows\syswow64\kv_trdc1.dll' stays \
    "the script names this folder %Path.WinSysDir%, which is no variable: nothing is searched"
}

# The suite's keys in the 32-bit view this program works in, each with a decoy of the same
# path in the 64-bit view, and keys both views share.
seed_registry() {
  local k
  for k in 'HKLM\Software\Norva' 'HKLM\Software\Talveno' 'HKLM\Software\Velmarix' "$notify"; do
    reg_key "$k\\Options" 32
    reg_key "$k\\Decoy" 64
    note registry key32 "$k" gone "32-bit view"
    note registry key64 "$k" stays "64-bit view: not the suite's"
  done
  for k in 'HKCU\Software\Talveno' 'HKCU\Software\Velmarix' 'HKCR\dxifile'; do
    reg_key "$k\\Options" 32
    note registry key "$k" gone "named by the script"
  done
  reg_key 'HKCU\Software\TalvenoTools' 32
  note registry key 'HKCU\Software\TalvenoTools' stays "decoy: another name"
}

# Wine keeps App Paths in one place for both views: there is no 64-bit decoy to make.
seed_app_paths() {
  reg_default "$apppaths\\VelxLP.exe" "$lp\\bin\\VelxLP.exe" 32
  reg_value "$apppaths\\VelxAdmin.exe" Path "$lp\\bin\\VelxLP" 32
  reg_default "$apppaths\\OtherTool.exe" 'C:\Tools\OtherTool.exe' 32
  note apppaths key32 "$apppaths\\VelxLP.exe" gone "its program matches *VELXLP*"
  note apppaths key32 "$apppaths\\VelxAdmin.exe" gone "its Path value matches *VELXLP*"
  note apppaths key32 "$apppaths\\OtherTool.exe" stays "decoy: another program"
}

seed_search_path() {
  wine reg add "$env_key" /v Path /t REG_EXPAND_SZ \
    /d "$(search_path);C:\\Talveno\\LPC\\System;C:\\Talveno\\LPC\\System\\Tools" /f \
    >/dev/null 2>&1
  note path entry 'C:\Talveno\LPC\System' gone "%Esd.LPCDir%\\System"
  note path entry 'C:\Talveno\LPC\System\Tools' stays "another folder"
  note path entry '%SystemRoot%\system32' stays "the system's"
}

seed_profiles() {
  local p
  for p in 12345DISP 00001EDI-Archive 54321EDI; do
    reg_key "$profiles\\$p" 32
    note profiles key "$profiles\\$p" gone "matches (?i)[0-9]{5}(DISP|EDI)"
  done
  for p in Outlook 1234DISP; do
    reg_key "$profiles\\$p" 32
    note profiles key "$profiles\\$p" stays "decoy: does not match"
  done
}

seed_shares() {
  note shares share VelxPkg gone "named by the script"
  note shares share VelxShr gone "named by the script"
  note shares share Public stays "not named by the script"
  note commands command 'netsh advfirewall firewall delete rule name=talvenoNvski' gone \
    "the firewall rule talvenoNvski"
}

seed_installation() {
  : >"$seed_list"
  echo "Seeding the simulated installation ..."
  seed_settings
  seed_standins
  seed_folders
  seed_com
  seed_processes
  seed_services
  seed_shortcuts
  seed_files
  seed_registry
  seed_app_paths
  seed_search_path
  seed_profiles
  seed_shares
}

# A program of the suite that the script does not end keeps one of its files open.
hold_locked_file() {
  local held="$lp\\Cache\\1234\\index.dat"
  seed_file folders "$held" restart "held open by a running program"
  note folders path "$lp\\Cache\\1234" restart "holds the locked file"
  note folders path "$lp\\Cache" restart "holds the locked file"
  wine "$build/helpers/procs_child.exe" hold "$held" >/dev/null 2>&1 &
  holder=$!
  for _ in $(seq 100); do [ -e "$(seed_unix "$held").held" ] && break; sleep 0.2; done
  rm -f "$(seed_unix "$held").held"
}

seed_manifest() { cat "$seed_list"; }

# Which registry keys exist, through one reg.exe per key in a single cmd session. (This cmd
# runs the command after "&&" even when the first one failed: errorlevel is tested instead.)
seed_keys_present() {
  local batch
  batch=$(seed_unix "$seed_tools\\keys.cmd")
  awk -F'\t' '$2 ~ /^key(32|64)?$/ {
      view = ($2 == "key64") ? " /reg:64" : " /reg:32"
      printf "@reg query \"%s\"%s >nul 2>&1\r\n@if not errorlevel 1 echo %s^|%s\r\n",
        $3, view, $2, $3 }' "$seed_list" >"$batch"
  wine cmd /c "$seed_tools\\keys.cmd" 2>/dev/null | tr -d '\r' || true
}

seed_record() {
  local u
  u=$(seed_unix "$1")
  [ -f "$u" ] || return 0
  case "${2:-}" in
    utf16) iconv -f UTF-16LE -t UTF-8 "$u" ;;
    *) sed '1s/^\xEF\xBB\xBF//' "$u" ;;
  esac | tr -d '\r'
}

# seed_state FILE : "group<TAB>kind<TAB>what" of every seeded item still there.
seed_state() {
  local out=$1 keys procs services started unregistered regasm path
  keys=$(seed_keys_present)
  procs=$(seed_processes_running)
  services=$(for s in $(awk -F'\t' '$2 == "service" {print $3}' "$seed_list"); do
    echo "@reg query \"HKLM\\SYSTEM\\CurrentControlSet\\Services\\$s\" >nul 2>&1"
    echo "@if not errorlevel 1 echo $s"
  done)
  sed 's/$/\r/' <<<"$services" >"$(seed_unix "$seed_tools\\services.cmd")"
  services=$(wine cmd /c "$seed_tools\\services.cmd" 2>/dev/null | tr -d '\r' || true)
  started=$(seed_record "$STANDIN_RECORD" utf16 | cut -d'|' -f2-)
  unregistered=$(seed_record "$NRV_TEST_COM_RECORD" | cut -d'|' -f1)
  regasm=$(seed_record "$NRV_TEST_REGASM_RECORD" | cut -d'|' -f2-)
  path=$(search_path | tr ';' '\n')
  : >"$out"
  while IFS=$'\t' read -r group kind what _ _; do
    local here=0
    case "$kind" in
      path) [ -e "$(seed_unix "$what")" ] && here=1 ;;
      key | key32 | key64) grep -qixF "$kind|$what" <<<"$keys" && here=1 ;;
      process) grep -qxF "$what" <<<"$procs" && here=1 ;;
      service) grep -qxF "$what" <<<"$services" && here=1 ;;
      entry) grep -qixF "$what" <<<"$path" && here=1 ;;
      server) grep -qixF "$what" <<<"$unregistered" || here=1 ;;
      assembly) grep -qiF "$what" <<<"$regasm" || here=1 ;;
      share) grep -qiF "NET SHARE $what /DELETE" <<<"$started" || here=1 ;;
      command) grep -qiF "$what" <<<"$started" || here=1 ;;
    esac
    [ "$here" = 1 ] && printf '%s\t%s\t%s\n' "$group" "$kind" "$what" >>"$out"
  done <"$seed_list"
  true
}
