# Sourced by the test and demo scripts: a private Wine prefix that cannot reach the host.
#
# Wine maps Z: to the Linux root, and everything here runs as root, so a deletion bug or a
# path that expands to "\" with the current folder on Z: would delete the machine. The prefix
# therefore loses Z:, the user's shell folders become plain folders inside the prefix instead
# of links into $HOME, and only one host folder is mapped, as drive B:.

# make_wine_prefix PREFIX_DIR MAPPED_DIR
make_wine_prefix() {
  local prefix=$1 mapped=$2
  mkdir -p "$prefix/home"
  export WINEPREFIX="$prefix/wine"
  export HOME="$prefix/home"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  unset WINEARCH
  wine wineboot -i >/dev/null 2>&1
  wineserver -w
  rm -f "$WINEPREFIX/dosdevices/z:"
  ln -sfn "$mapped" "$WINEPREFIX/dosdevices/b:"
  local link
  while IFS= read -r link; do
    rm -f "$link"
    mkdir -p "$link"
  done < <(find "$WINEPREFIX/drive_c/users" -type l)
  install_wine_fonts
  check_wine_prefix
}

# The window's fonts are Tahoma and Tahoma Bold. Debian's fonts-wine holds Wine's own,
# metric-compatible ones in /usr/share/wine/fonts, but this Wine searches its fonts beside that
# folder (/usr/share/fonts) and never finds them, so it substitutes a wider face and long texts
# are cut. A copy in the prefix's own Fonts folder is found by every program of the prefix.
install_wine_fonts() {
  local font
  for font in tahoma.ttf tahomabd.ttf; do
    if [ ! -f "/usr/share/wine/fonts/$font" ]; then
      echo "/usr/share/wine/fonts/$font is missing: install fonts-wine (scripts/bootstrap.sh)" >&2
      return 1
    fi
    cp "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"
  done
}

# Refuses to go on when the prefix could reach the host's root.
check_wine_prefix() {
  local d
  for d in "$WINEPREFIX"/dosdevices/*; do
    case "$(readlink -f "$d")" in
      /) echo "wine prefix maps the root folder through $d; refusing to run" >&2; return 1 ;;
    esac
  done
  if [ -e "$WINEPREFIX/dosdevices/z:" ]; then
    echo "wine prefix still has drive Z:; refusing to run" >&2
    return 1
  fi
}
