#!/bin/sh
# Folder links inside the prefix, made from the Linux side: Wine shows a Unix symbolic link to
# a folder as a directory reparse point. One tree per test, so that no test sees what another
# one removed. Below C:\link-fixture:
#   tree\sub\f.txt and tree\lnk -> target\keep.txt     a Folder step over a tree with a link
#   top\lnk -> top-target\keep.txt                      a Folder step whose path is the link
#   files\sub\f.txt and files\lnk -> files-target\f.txt a recursive File step over the tree
#   shortcuts\lnk -> shortcuts-target                  a Shortcut step over a linked folder
#   preview\sub\f.txt and preview\lnk -> preview-target  a preview over a tree with a link
#   filelinks\flink.txt, tree-filelink\flink.txt -> ...-target\outside.txt  file links
set -e
: "${WINEPREFIX:?the links go into the test run's Wine prefix}"
d="$WINEPREFIX/drive_c/link-fixture"
rm -rf "$d"
mkdir -p "$d/tree/sub" "$d/target" "$d/top" "$d/top-target" "$d/files/sub" "$d/files-target"
echo keep > "$d/target/keep.txt"
echo x > "$d/tree/sub/f.txt"
ln -s ../target "$d/tree/lnk"
echo keep > "$d/top-target/keep.txt"
ln -s ../top-target "$d/top/lnk"
echo x > "$d/files/sub/f.txt"
echo keep > "$d/files-target/f.txt"
ln -s ../files-target "$d/files/lnk"
# shortcuts\lnk -> shortcuts-target, where the Shortcut step test writes a matching link
mkdir -p "$d/shortcuts" "$d/shortcuts-target"
ln -s ../shortcuts-target "$d/shortcuts/lnk"
# preview\sub\f.txt and preview\lnk -> preview-target\keep.txt: a preview over a tree with a link
mkdir -p "$d/preview/sub" "$d/preview-target"
echo x > "$d/preview/sub/f.txt"
echo keep > "$d/preview-target/keep.txt"
ln -s ../preview-target "$d/preview/lnk"
# filelinks\flink.txt and tree-filelink\flink.txt: file links to a file outside the tree, which a
# File step and a Folder step meet
for t in filelinks tree-filelink; do
  mkdir -p "$d/$t" "$d/$t-target"
  echo keep > "$d/$t-target/outside.txt"
  ln -s "../$t-target/outside.txt" "$d/$t/flink.txt"
done
