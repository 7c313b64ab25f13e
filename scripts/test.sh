#!/usr/bin/env bash
# Builds the project and runs the whole test suite twice: once as built for
# use, once with AddressSanitizer and UndefinedBehaviorSanitizer. Then builds
# the libFuzzer targets with clang and runs each briefly (FUZZ_SECONDS, 20 by
# default) on its corpus seeded from the end-to-end cases.
set -euo pipefail
cd "$(dirname "$0")/.."

generator=()
if command -v ninja >/dev/null 2>&1; then
    generator=(-G Ninja)
fi
jobs=$(nproc 2>/dev/null || echo 2)

echo "=== layers ==="
scripts/check-layers.sh

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

echo "=== fuzz targets ==="
if ! command -v clang++ >/dev/null 2>&1; then
    echo "SKIP: clang++ is not installed, so the fuzz targets cannot be built"
    [ -z "${CI:-}" ] || exit 1
    exit 0
fi
CC=clang CXX=clang++ cmake -S . -B build/fuzz "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSPOKEWAY_FUZZ=ON -DSPOKEWAY_TESTS=OFF -DFUZZ_SECONDS="${FUZZ_SECONDS:-20}" >/dev/null
cmake --build build/fuzz -j "$jobs" --target fuzz
