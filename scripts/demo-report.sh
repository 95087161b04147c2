# Sourced by scripts/demo.sh: what the run did to the seeded installation, group by group in
# the order of the default script, from the state before the run ($tmp/before.tsv), after it
# ($tmp/after.tsv) and after the restart ($tmp/restarted.tsv), and the restart schedule
# ($pending), with the run's report ($tmp/report-check.tsv) beside each item. Each seeded item says whether the script should remove it, and why it stays.

demo_group_title() {
  case "$1" in
    commands) echo "Commands (the firewall rule; netsh is the stand-in)" ;;
    apppaths) echo "App Paths" ;;
    path) echo "Search path" ;;
    processes) echo "Processes" ;;
    services) echo "Services" ;;
    com) echo "COM servers" ;;
    shares) echo "Shares (NET SHARE ... /DELETE; net is the stand-in)" ;;
    shortcuts) echo "Shortcuts" ;;
    folders) echo "Folders" ;;
    files) echo "Files" ;;
    registry) echo "Registry keys" ;;
    profiles) echo "Mail profiles" ;;
  esac
}

demo_item_label() {
  case "$1" in
    key32) echo "$2 (32-bit view)" ;;
    key64) echo "$2 (64-bit view)" ;;
    server) echo "$2 (DllUnregisterServer)" ;;
    assembly) echo "$2 (regasm /u)" ;;
    *) echo "$2" ;;
  esac
}

# The report's word on one seeded item ($tmp/report-check.tsv, scripts/demo-report-check.py).
demo_report_word() {
  # Through the environment: awk's -v would take the backslashes of a path for escapes.
  G="$1" K="$2" W="$3" awk -F'\t' '$1 == ENVIRON["G"] && $2 == ENVIRON["K"] &&
    $3 == ENVIRON["W"] { print $4 "\t" $5; exit }' "$tmp/report-check.tsv"
}

demo_report() {
  local group kind what expect why line label unexpected=0 shown said disagree=0
  for group in commands apppaths path processes services com shares shortcuts folders files \
               registry profiles; do
    echo
    demo_group_title "$group"
    while IFS=$'\t' read -r g kind what expect why; do
      [ "$g" = "$group" ] || continue
      line=$(printf '%s\t%s\t%s' "$g" "$kind" "$what")
      label=$(demo_item_label "$kind" "$what")
      if ! grep -qxF "$line" "$tmp/before.tsv"; then
        shown="  NOT SEEDED  $label"
        unexpected=$((unexpected + 1))
      elif ! grep -qxF "$line" "$tmp/after.tsv"; then
        shown="  removed     $label"
        if [ "$expect" = stays ]; then
          shown="$shown  -- REMOVED, BUT SHOULD STAY ($why)"
          unexpected=$((unexpected + 1))
        fi
      elif grep -qixF "$what" <<<"$pending"; then
        shown="  restart     $label  ($why; waits for the restart"
        if grep -qxF "$line" "$tmp/restarted.tsv" && [ "$expect" = stays ]; then
          shown="  kept        $label  ($why; scheduled too, the restart leaves it)"
        elif grep -qxF "$line" "$tmp/restarted.tsv"; then
          shown="$shown, STILL THERE AFTER IT)"
          unexpected=$((unexpected + 1))
        else
          shown="$shown, which removed it)"
        fi
      else
        shown="  kept        $label  ($why)"
        if [ "$expect" != stays ]; then
          shown="  STILL THERE $label  ($why)"
          unexpected=$((unexpected + 1))
        fi
      fi
      said=$(demo_report_word "$g" "$kind" "$what")
      if [ -n "$said" ]; then
        shown="$shown  [report: ${said%%$'\t'*}]"
        if [ "${said##*$'\t'}" = DISAGREES ]; then
          shown="$shown -- THE REPORT DISAGREES"
          disagree=$((disagree + 1))
        fi
      fi
      echo "$shown"
    done <"$tmp/seed-manifest.tsv"
  done
  echo
  echo "Scheduled for deletion at the next restart (PendingFileRenameOperations):"
  # Each locked entry brings its parent folders, so a folder may stand there more than once.
  if [ -n "$pending" ]; then
    awk '!seen[$0]++ {print "  " $0}' <<<"$pending"
  else
    echo "  nothing"
  fi
  echo "Removed by the restart (wineboot -r):"
  comm -23 <(sort "$tmp/after.tsv") <(sort "$tmp/restarted.tsv") | awk -F'\t' '$2 == "path" {
    print "  " $3 }'
  echo
  if [ "$unexpected" = 0 ]; then
    echo "Every seeded item went or stayed as the default script means it to."
  else
    echo "$unexpected seeded items did not go or stay as the default script means them to."
  fi
  if [ "$disagree" = 0 ]; then
    echo "The run's report agrees with what became of every seeded item."
  else
    echo "The run's report disagrees with what became of $disagree seeded items."
  fi
}
