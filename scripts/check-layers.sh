#!/usr/bin/env bash
# Refuses an #include in src/ that points to a folder above the including
# one in the layer order README's "Layout" gives (folders on one level may not
# include each other), so that the folders never form a cycle.
set -euo pipefail
cd "$(dirname "$0")/../src"

level() {
    case "$1" in
    platform) echo 0 ;;
    address) echo 1 ;;
    messages) echo 2 ;;
    model) echo 3 ;;
    sources | writers) echo 4 ;;
    readers) echo 5 ;;
    driver) echo 6 ;;
    *) echo "" ;;
    esac
}

status=0
while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    line=${rest%%:*}
    target=$(sed -E 's/.*#include "([^/"]+)\/.*/\1/' <<<"$rest")
    from=${file%%/*}
    from_level=$(level "$from")
    to_level=$(level "$target")
    if [ -z "$from_level" ] || [ -z "$to_level" ]; then
        echo "src/$file:$line: folder not in the layer order: $from -> $target"
        status=1
    elif [ "$from" != "$target" ] && [ "$to_level" -ge "$from_level" ]; then
        echo "src/$file:$line: $from may not include $target (upward or sideways)"
        status=1
    fi
done < <(grep -rnE '^#include "[^/"]+/' --include='*.hpp' --include='*.cpp' .  | sed 's|^\./||')
[ "$status" -eq 0 ] && echo "layers: no include points upward"
exit "$status"
