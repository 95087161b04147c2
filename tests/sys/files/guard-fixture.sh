#!/bin/sh
# Links inside the prefix for the deletion guard, made from the Linux side: Wine opens a Unix
# link to a folder as its target and shows a link to a file as a plain file. Below
# C:\guard-fixture:
#   suite\plain\x.txt                     a plain folder of the suite
#   suite\dlink -> outside (sub\keep.txt, f.txt)
#   suite\flink -> outside\f.txt
#   suite\elink -> empty                  a link to an empty folder
set -e
: "${WINEPREFIX:?the links go into the test run's Wine prefix}"
d="$WINEPREFIX/drive_c/guard-fixture"
rm -rf "$d"
mkdir -p "$d/suite/plain" "$d/outside/sub" "$d/empty"
echo keep > "$d/outside/sub/keep.txt"
echo keep > "$d/outside/f.txt"
echo x > "$d/suite/plain/x.txt"
ln -s ../outside "$d/suite/dlink"
ln -s ../outside/f.txt "$d/suite/flink"
ln -s ../empty "$d/suite/elink"
