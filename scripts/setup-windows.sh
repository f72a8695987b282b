#!/usr/bin/env bash
# The Windows build: installs the cross compiler and Wine, fetches the Dear
# ImGui and pugixml sources from Debian's source packages, and cross-builds
# the program, its tests and the dist folder into build-win/.
#
# Called by setup.sh; can be run on its own from the top of the work tree.
# BUILD_DIR (default build-win) and JOBS (default nproc) may be set.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR="${BUILD_DIR:-build-win}"
JOBS="${JOBS:-$(nproc)}"
SRC_DIR="$BUILD_DIR/src"

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

PACKAGES=(
  cmake ninja-build dpkg-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64
  googletest libstb-dev
  fonts-roboto fonts-material-design-icons-iconfont fonts-dejavu-core
  xvfb xauth x11-utils xdotool imagemagick
)

started=$(date +%s)

. scripts/lib/apt-entries.sh

$SUDO apt-get install -y -q --no-install-recommends "${PACKAGES[@]}"

# ---- the library sources, unpacked once into build-win/src/
# Through a private apt state with deb-src entries for the suites and mirror
# this machine already uses; the machine's apt configuration is left alone.
fetch_source() {
  local package=$1
  if compgen -G "$SRC_DIR/$package-*/" >/dev/null; then return 0; fi
  mkdir -p "$SRC_DIR"
  if [ -z "${APT+set}" ]; then
    private_apt "$PWD/$BUILD_DIR/apt" < <(machine_deb_entries | while IFS='|' read -r uris suites comps signed; do
      deb822_stanza deb-src "$uris" "$suites" "$comps" "$signed"
    done)
    "${APT[@]}" update
  fi
  (cd "$SRC_DIR" && "${APT[@]}" source "$package")
}
fetch_source imgui
fetch_source pugixml
rm -rf "$BUILD_DIR/apt"
IMGUI_SRC=$(ls -d "$PWD/$SRC_DIR"/imgui-*/ | head -n1)
PUGIXML_SRC=$(ls -d "$PWD/$SRC_DIR"/pugixml-*/ | head -n1)

fetched=$(date +%s)

# ---- cross build
cmake -S . -B "$BUILD_DIR" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw64.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DVANTREL_TESTS=OFF -DVANTREL_WINDOWS_TESTS=ON \
  -DVANTREL_IMGUI_SOURCE_DIR="${IMGUI_SRC%/}" \
  -DVANTREL_PUGIXML_SOURCE_DIR="${PUGIXML_SRC%/}"
cmake --build "$BUILD_DIR" -j"$JOBS"
cmake --build "$BUILD_DIR" --target dist

finished=$(date +%s)
echo "setup-windows: packages and sources $((fetched - started)) s, cross build $((finished - fetched)) s"
echo "setup-windows: run the Windows tests with: ctest --test-dir $BUILD_DIR --output-on-failure"
