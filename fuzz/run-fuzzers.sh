#!/usr/bin/env bash
# Runs every fuzz target for a set time on a corpus seeded from the
# end-to-end test cases. Usage: run-fuzzers.sh BUILD_DIR SECONDS [TARGET...]
set -euo pipefail
build=$1
seconds=$2
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_config fuzz_route_line fuzz_trust_line fuzz_nodelist fuzz_splice)
root=$(cd "$(dirname "$0")/.." && pwd)
golden=$root/tests/golden
rs=$'\x1e'

seed() { # seed TARGET NAME CONTENT
    mkdir -p "$build/seeds/$1"
    printf '%s' "$3" >"$build/seeds/$1/$2"
}
content() { [ -f "$1" ] && cat "$1" || true; }

for case in "$golden"/*/; do
    name=$(basename "$case")
    in=$case/input
    cfg=$(ls "$in" | grep -i -m1 '\.cfg$' || true)
    seed fuzz_config "$name" "$(content "$in/pathgen.cfg")$rs$(content "$in/routes.txt")$rs$(content "$in/trust.txt")$rs$(cat "$in"/nodelist.* "$in"/NODELIST.* 2>/dev/null || true)$rs$(content "$in/route.cfg")"
    for file in "$in"/*; do
        base=$(basename "$file")
        case "$base" in
        routes*|*.txt) seed fuzz_route_line "$name-$base" "$(cat "$file")"
                       seed fuzz_trust_line "$name-$base" "$(cat "$file")" ;;
        [Nn][Oo][Dd][Ee][Ll][Ii][Ss][Tt]*) seed fuzz_nodelist "$name-$base" "Z$(cat "$file")" ;;
        esac
    done
    [ -n "$cfg" ] && seed fuzz_splice "$name" "; begin$rs; end$rs$(cat "$in/$cfg")"
done
seed fuzz_splice plain "; begin$rs; end$rs"$'a\n; begin\nold\n; end\nb\n'
seed fuzz_nodelist example $'Z;A\nZone,2,Z\nHost,460,N\n,1,A\nHub,100,H\n,101,B\nRegion,46,R\n,5,C\n'

status=0
passed=0
failed=0
for target in "${targets[@]}"; do
    corpus=$build/corpus/$target
    mkdir -p "$corpus" "$build/seeds/$target" "$build/findings/$target"
    echo "=== $target: ${seconds}s ==="
    if ! "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/findings/$target/" \
        "$corpus" "$build/seeds/$target" 2>"$build/$target.log"; then
        status=1
        failed=$((failed + 1))
        tail -n 40 "$build/$target.log"
    else
        passed=$((passed + 1))
    fi
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "$build/$target.log" || true
done
echo "fuzz: $passed passed, $failed failed"
exit $status
