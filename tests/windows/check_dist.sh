#!/usr/bin/env bash
# Builds the dist target and checks the folder users unzip: the program with
# its manifest and icon, no compiler runtime DLLs, and the Data folder.
# Usage: check_dist.sh BUILD_DIR DIST_DIR OBJDUMP
set -u
build="$1"; dist="$2"; objdump="$3"
fail() { echo "FAIL: $*"; exit 1; }

cmake --build "$build" --target dist >/dev/null || fail "the dist target failed"
for f in Vantrel.exe Vantrel.ico README.txt Data/Localization.xml Data/Textures/Logo.png \
         Data/Fonts/Roboto-Regular.ttf Data/Fonts/Roboto-Bold.ttf \
         Data/Fonts/MaterialIcons-Regular.ttf Data/OriginalShaders/README.txt; do
  [ -s "$dist/$f" ] || fail "$f is missing or empty"
done
grep -q "d3dcompiler_47.dll" "$dist/README.txt" || fail "the user guide does not name the compiler Windows carries"
head -1 "$dist/README.txt" | grep -q $'\r$' || fail "the user guide does not have CR LF line ends"
[ -z "$(find "$dist/Data/OriginalShaders" -name '*.fx.o')" ] || fail "stock shaders in the originals folder"

dlls=$("$objdump" -p "$dist/Vantrel.exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports:" $dlls
for dll in $dlls; do
  case "$dll" in
    kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|shell32.dll|ole32.dll|comdlg32.dll|d3d9.dll|dwmapi.dll|winmm.dll|imm32.dll|msvcrt.dll) ;;
    *) fail "Vantrel.exe needs $dll, which is not part of Windows" ;;
  esac
done
strings -a "$dist/Vantrel.exe" | grep -q 'level="requireAdministrator"' \
  || fail "the manifest does not request administrator rights"
"$objdump" -h "$dist/Vantrel.exe" | grep -q '\.rsrc' || fail "no resources (icon, manifest)"
"$objdump" -p "$dist/Vantrel.exe" | grep -q "Subsystem.*(Windows GUI)" || fail "not a GUI program"
zip="$dist.zip"
cmake -E tar tf "$zip" | grep -q "Vantrel.exe" || fail "the zip does not hold the program"
echo "PASS: $dist"
