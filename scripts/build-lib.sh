# Sourced by the test and demo scripts: the build, and a private Wine prefix for one run.

# build_project TARGET... : configures the build folder $build and builds the targets (all
# when none is named).
build_project() {
  cmake --no-warn-unused-cli -S "$root" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  cmake --build "$build" -j"$(nproc)" "${targets[@]}"
}

# start_private_prefix NAME : a new prefix in a temporary folder, removed with it when the
# script ends; sets $tmp and the Wine variables.
start_private_prefix() {
  tmp=$(mktemp -d "/tmp/$1.XXXXXX")
  trap 'wineserver -k 2>/dev/null || true; rm -rf "$tmp"' EXIT
  . "$root/scripts/wine-prefix.sh"
  say_wine32_mode
  echo "Creating a private Wine prefix in $tmp ..."
  make_wine_prefix "$tmp" "$build"
}

# How this machine starts 32-bit programs: "native", or "emulated" where its kernel cannot and
# the bootstrap registered qemu-i386 for them with binfmt_misc.
wine32_mode() {
  if grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null; then
    echo emulated
  else
    echo native
  fi
}

# Says so when 32-bit programs run through emulation, and hands the mode on to the benchmarks
# (Wine passes the variable to its programs).
say_wine32_mode() {
  export WINE32_MODE
  WINE32_MODE=$(wine32_mode)
  if [ "$WINE32_MODE" = emulated ]; then
    echo "32-bit programs run through emulation (qemu-i386): this kernel cannot start them itself, so everything under Wine is slower."
  fi
}
