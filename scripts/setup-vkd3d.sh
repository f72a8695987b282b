#!/usr/bin/env bash
# The HLSL compiler for Direct3D 9 shader models that the shader checks use:
# vkd3d-compiler 2.x, which only Debian's unstable suite carries. Its binary
# package and those it depends on (the C library among them), as unstable
# lists them today, are downloaded through a private apt state folder whose
# one entry is the machine's own Debian mirror with the suite changed; the
# machine's apt configuration is left alone. They are unpacked under the build
# folder and run through their own dynamic loader behind the wrapper
# $BUILD_DIR/vkd3d/vkd3d-compiler.
#
# Called by setup.sh; BUILD_DIR (default build) may be set.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/apt-entries.sh

BUILD_DIR="${BUILD_DIR:-build}"
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$PWD/$BUILD_DIR" ;; esac
HOME_DIR="$BUILD_DIR/vkd3d"
WRAPPER="$HOME_DIR/vkd3d-compiler"

fail() {
  echo "setup-vkd3d: $*" >&2
  exit 1
}

# "vkd3d shader compiler version 2.1 ..." -> ok when the major version is 2 or more.
check_version() {
  local line major
  line=$("$WRAPPER" --version 2>&1 | head -n1) || return 1
  major=$(printf '%s\n' "$line" | sed -n 's/.*version \([0-9]\+\)\..*/\1/p')
  [ -n "$major" ] && [ "$major" -ge 2 ] || return 1
  echo "setup-vkd3d: $line"
}

if [ -x "$WRAPPER" ] && check_version; then exit 0; fi

entry=$(machine_deb_entries | awk -F'|' '$1 !~ /security/ { print; exit }')
[ -n "$entry" ] || fail "the machine's apt sources name no Debian mirror to fetch unstable from"
IFS='|' read -r uris _suites _comps signed <<<"$entry"
uri=${uris%% *}

rm -rf "$HOME_DIR"
mkdir -p "$HOME_DIR/debs" "$HOME_DIR/root"
state="$HOME_DIR/apt"
private_apt "$state" < <(deb822_stanza deb "$uri" unstable main "$signed")

"${APT[@]}" update || fail "cannot read the unstable suite from $uri"
# Every package the compiler needs, taken from what unstable says today, so
# that a library renamed there does not break the download.
packages=$("${APT_CACHE[@]}" depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
  --no-replaces --no-enhances vkd3d-compiler 2>/dev/null | grep -E '^[a-z0-9]' | sort -u) || true
case " $(echo $packages) " in
  *" vkd3d-compiler "*) ;;
  *) fail "the unstable suite at $uri has no package vkd3d-compiler" ;;
esac
for package in $packages; do
  (cd "$HOME_DIR/debs" && "${APT[@]}" download "$package") || fail "cannot download $package (needed by vkd3d-compiler) from unstable"
done
for deb in "$HOME_DIR"/debs/*.deb; do
  dpkg-deb -x "$deb" "$HOME_DIR/root" || fail "cannot unpack $deb"
done
rm -rf "$state"

cat >"$WRAPPER" <<'WRAP'
#!/bin/sh
# vkd3d-compiler from Debian unstable, run through the C library it came with.
here=$(dirname "$(readlink -f "$0")")
lib="$here/root/usr/lib/x86_64-linux-gnu"
exec "$lib/ld-linux-x86-64.so.2" --library-path "$lib" "$here/root/usr/bin/vkd3d-compiler" "$@"
WRAP
chmod +x "$WRAPPER"
check_version || fail "the unpacked compiler does not run or is older than version 2 ($("$WRAPPER" --version 2>&1 | head -n1))"
