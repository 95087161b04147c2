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
  echo "Creating a private Wine prefix in $tmp ..."
  make_wine_prefix "$tmp" "$build"
}
