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

# Each target runs in a process of its own, as many at a time as there are
# processors; the results are read in the order of the targets.
fuzz_one() { # fuzz_one TARGET
    local corpus=$build/corpus/$1
    rm -f "$build/$1.status"
    mkdir -p "$corpus" "$build/seeds/$1" "$build/findings/$1"
    "$build/$1" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/findings/$1/" \
        "$corpus" "$build/seeds/$1" 2>"$build/$1.log" && echo 0 >"$build/$1.status"
}

width=$(nproc 2>/dev/null || echo 2)
running=0
for target in "${targets[@]}"; do
    echo "=== $target: ${seconds}s ==="
    fuzz_one "$target" &
    running=$((running + 1))
    if [ "$running" -ge "$width" ]; then
        wait -n || true
        running=$((running - 1))
    fi
done
wait || true

status=0
passed=0
failed=0
for target in "${targets[@]}"; do
    if [ "$(cat "$build/$target.status" 2>/dev/null)" = 0 ]; then
        passed=$((passed + 1))
    else
        status=1
        failed=$((failed + 1))
        echo "--- $target found something; the end of its log:"
        tail -n 40 "$build/$target.log"
    fi
    echo "$target: $(grep -E '^stat::number_of_executed_units' "$build/$target.log" | tail -n 1)"
done
echo "fuzz: $passed passed, $failed failed"
exit $status
