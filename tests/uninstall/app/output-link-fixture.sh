#!/bin/sh
# A folder link inside the prefix for the log and report paths, made from the Linux side (Wine
# opens a Unix link to a folder as its target). Below C:\output-link-fixture:
#   Deploy -> system      what a user made where an administrator's log folder was to be
#   system\               stands for the Windows folder, which must receive nothing
set -e
: "${WINEPREFIX:?the link goes into the test run's Wine prefix}"
d="$WINEPREFIX/drive_c/output-link-fixture"
rm -rf "$d"
mkdir -p "$d/system"
ln -s system "$d/Deploy"
