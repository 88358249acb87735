#!/usr/bin/env bash
# Fails when a source file includes a header of a higher layer, or of another part of
# its own layer. The ranks mirror the targets in src/CMakeLists.txt: a file may include
# its own folder and any folder of a lower rank.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root/src"

rank() {
    case $1 in
    base) echo 0 ;;
    x10) echo 1 ;;
    sun) echo 2 ;;
    remote) echo 3 ;;
    schedule) echo 4 ;;
    widgets) echo 5 ;;
    remote/ui | schedule/ui | sun/ui) echo 6 ;;
    engine) echo 7 ;;
    mqtt) echo 8 ;;
    mqtt/client | mqtt/ui) echo 9 ;;
    app) echo 10 ;;
    *) echo -1 ;;
    esac
}

bad=0
while IFS= read -r file; do
    folder=$(dirname "$file")
    own=$(rank "$folder")
    if [ "$own" -lt 0 ]; then
        echo "$file: $folder is in no layer" >&2
        bad=1
        continue
    fi
    while IFS= read -r header; do
        target=$(dirname "$header")
        [ "$target" = "$folder" ] && continue
        theirs=$(rank "$target")
        if [ "$theirs" -lt 0 ] || [ "$theirs" -ge "$own" ]; then
            echo "$file includes $header: $target is not below $folder" >&2
            bad=1
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.cpp' -o -name '*.h' | sed 's|^\./||' | sort)

if [ "$bad" -ne 0 ]; then
    echo "Layers: includes run upward (see above)" >&2
    exit 1
fi
echo "Layers: every include runs downward"
