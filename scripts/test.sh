#!/usr/bin/env bash
# Builds the project and runs the whole test suite twice: once as built for
# use, once with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

generator=()
if command -v ninja >/dev/null 2>&1; then
    generator=(-G Ninja)
fi
jobs=$(nproc 2>/dev/null || echo 2)

for variant in release sanitize; do
    dir=build/$variant
    if [ "$variant" = sanitize ]; then
        flags=(-DCMAKE_BUILD_TYPE=Debug -DSPOKEWAY_SANITIZE=ON)
    else
        flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
    fi
    echo "=== $variant build ==="
    cmake -S . -B "$dir" "${generator[@]}" "${flags[@]}" >/dev/null
    cmake --build "$dir" -j "$jobs"
    echo "=== $variant tests ==="
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir "$dir" --output-on-failure -j "$jobs"
done
