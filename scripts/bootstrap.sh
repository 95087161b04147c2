#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, and makes sure the machine
# starts Wine's 32-bit programs (through qemu-user where its kernel cannot).
# Idempotent: when everything is in place it only checks, prints nothing and exits.
set -euo pipefail

packages=(
  g++-mingw-w64-i686-posix
  mingw-w64-tools
  binutils-mingw-w64-i686
  cmake
  make
  wine
  wine32:i386
  wine64
  xvfb
  xauth
  libboost1.81-dev
  googletest
  nlohmann-json3-dev
  python3
  python3-jsonschema
  imagemagick
  fonts-wine
  file
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

install_packages() {
  local missing=() p
  for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "bootstrap: installing ${missing[*]}" >&2
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# --- 32-bit programs ---------------------------------------------------------------------
# Every Wine process of ours starts through Wine's 32-bit loader. Some kernels are booted with
# their IA-32 emulation off and answer "Exec format error"; nothing inside the machine can turn
# it back on. There the loader runs through qemu-i386, registered with binfmt_misc as the
# interpreter of 32-bit x86 programs. Bookworm's own qemu (7.2) spends about 80 s of CPU in its
# memory bookkeeping before each Wine process starts, so the newer one from bookworm-backports
# is taken.

wine_loader=/usr/lib/wine/wine
binfmt=/proc/sys/fs/binfmt_misc
binfmt_entry=qemu-i386
# The ELF header of a 32-bit x86 executable or shared object, and which of its bits count.
i386_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

runs_32bit() {
  "$wine_loader" --version >/dev/null 2>&1
}

# The Debian mirror this machine is configured with (never a host name of our own choosing).
debian_mirror() {
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    # deb822: the URIs of a stanza whose suites include bookworm itself.
    awk 'BEGIN{RS=""; FS="\n"}
      { uris=""; suites=""
        for (i = 1; i <= NF; i++) {
          if ($i ~ /^URIs:/) { uris = $i; sub(/^URIs:[ \t]*/, "", uris) }
          if ($i ~ /^Suites:/) { suites = " " $i " " }
        }
        if (uris != "" && suites ~ /[ \t]bookworm[ \t]/) { split(uris, u, /[ \t]+/); print u[1]; exit }
      }' "$f"
  done | head -n 1 | grep . && return 0
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk '$1 == "deb" && $3 == "bookworm" { print $2; exit }' "$f"
  done | head -n 1 | grep .
}

install_backported_qemu() {
  local list=/etc/apt/sources.list.d/bookworm-backports.list mirror
  if [ ! -f "$list" ]; then
    if ! mirror=$(debian_mirror); then
      echo "bootstrap: this machine's APT sources name no Debian bookworm mirror to take bookworm-backports from" >&2
      return 1
    fi
    echo "deb $mirror bookworm-backports main" | $SUDO tee "$list" >/dev/null
    $SUDO apt-get update -qq
  fi
  $SUDO apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user-static >/dev/null
}

qemu_i386() {
  local q
  for q in /usr/bin/qemu-i386-static /usr/bin/qemu-i386; do
    [ -x "$q" ] && { echo "$q"; return 0; }
  done
  return 1
}

register_qemu_i386() {
  local qemu
  qemu=$(qemu_i386)
  if [ ! -e "$binfmt/register" ]; then
    $SUDO mount -t binfmt_misc binfmt_misc "$binfmt"
  fi
  # An entry of that name left by an earlier registration (perhaps without F, or pointing at an
  # emulator that is gone) is replaced.
  if [ -e "$binfmt/$binfmt_entry" ]; then
    echo -1 | $SUDO tee "$binfmt/$binfmt_entry" >/dev/null
  fi
  printf ':%s:M::%s:%s:%s:F\n' "$binfmt_entry" "$i386_magic" "$i386_mask" "$qemu" |
    $SUDO tee "$binfmt/register" >/dev/null
}

ensure_32bit_programs() {
  runs_32bit && return 0
  echo "bootstrap: this kernel does not start 32-bit programs; setting up qemu-i386 for them" >&2
  if ! installed qemu-user-static || ! qemu_i386 >/dev/null ||
    ! dpkg --compare-versions "$(dpkg-query -W -f='${Version}' qemu-user-static)" ge 1:10; then
    install_backported_qemu
  fi
  register_qemu_i386
  if ! runs_32bit; then
    echo "bootstrap: Wine's 32-bit loader still does not start, even through qemu-i386 registered with binfmt_misc; the tests cannot run on this machine" >&2
    return 1
  fi
}

install_packages
ensure_32bit_programs
