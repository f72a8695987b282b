#!/usr/bin/env bash
# The program's folders in layers: each includes only its own headers and
# those of the layers below it, and platform headers stay in the platform
# folders. Prints every include that breaks this and fails; "PASS:" when
# there is none.
set -u
cd "${1:-$(dirname "$0")/../..}" || exit 2

rank() {
    case "$1" in
        app) echo 0 ;;
        settings) echo 1 ;;
        game | preview) echo 2 ;;
        shaders) echo 3 ;;
        ui) echo 4 ;;
        host) echo 5 ;;
        *) echo -1 ;;
    esac
}

platform_headers='windows\.h|winver\.h|shlobj\.h|shellapi\.h|commdlg\.h|objbase\.h|knownfolders\.h|mmsystem\.h|d3d9\.h|d3dcompiler\.h|io\.h|process\.h|unistd\.h|fcntl\.h|spawn\.h|signal\.h|dlfcn\.h|sys/[a-z_]+\.h|SDL[A-Za-z_0-9]*\.h|X11/.*'
faults=0
while IFS= read -r file; do
    folder=${file%%/*}
    from=$(rank "$folder")
    in_platform=0
    case "$file" in app/linux/* | app/win32/* | host/linux/* | host/win32/*) in_platform=1 ;; esac
    while IFS= read -r line; do
        number=${line%%:*}
        text=${line#*:}
        if [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([a-z]+)/ ]]; then
            to=${BASH_REMATCH[1]}
            target=$(rank "$to")
            if [ "$to" != "$folder" ] && { [ "$target" -lt 0 ] || [ "$target" -ge "$from" ]; }; then
                echo "$file:$number: includes $to/ from $folder/, which is not below it:$text"
                faults=$((faults + 1))
            fi
        fi
        if [ $in_platform -eq 0 ]; then
            if [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<($platform_headers)\> ]] ||
               [[ $text =~ ^[[:space:]]*#[[:space:]]*if.*_WIN32 ]]; then
                echo "$file:$number: platform code outside the platform folders:$text"
                faults=$((faults + 1))
            fi
        fi
    done < <(grep -n -E '^[[:space:]]*#[[:space:]]*(include|if)' "$file")
done < <(find app settings game preview shaders ui host -name '*.cpp' -o -name '*.h' | sort)

if [ $faults -ne 0 ]; then
    echo "FAIL: $faults include(s) against the layers"
    exit 1
fi
echo "PASS: every include runs down the layers and platform headers stay in the platform folders"
