#!/usr/bin/env bash
# Installs every Debian package the project needs and builds it (Linux build
# in build/, the sanitized build with the fuzzers in build-asan/ when
# VANTREL_SANITIZE is not 0, Windows cross build in build-win/ when
# VANTREL_WINDOWS is not 0).
set -euo pipefail
cd "$(dirname "$0")"

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libimgui-dev libpugixml-dev libsdl2-dev libgl-dev libstb-dev libpng-dev libjpeg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-roboto fonts-material-design-icons-iconfont fonts-dejavu-core
  xvfb xauth x11-utils xdotool imagemagick zenity
  clang spirv-cross locales
)

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${PACKAGES[@]}"
# The sanitizers' and libFuzzer's runtime of the clang just installed.
clang_major=$(clang -dumpversion | cut -d. -f1)
$SUDO apt-get install -y -q --no-install-recommends "libclang-rt-$clang_major-dev"

# The real HLSL compiler for the shader checks (Debian unstable, unpacked into build/).
scripts/setup-vkd3d.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"

# The same program and tests built by clang with the address and
# undefined-behaviour sanitizers, plus the fuzzing harnesses of tests/fuzz/.
if [ "${VANTREL_SANITIZE:-1}" != "0" ]; then
  CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_FUZZ=ON \
    -DVANTREL_VKD3D_COMPILER="$PWD/build/vkd3d/vkd3d-compiler"
  cmake --build build-asan -j"$(nproc)"
fi

# The Windows program, its tests (run under Wine) and the dist folder.
if [ "${VANTREL_WINDOWS:-1}" != "0" ]; then
  scripts/setup-windows.sh
fi
