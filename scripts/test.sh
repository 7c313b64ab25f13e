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

# The package's lintian check (tests/install/) needs lintian. Under CI it is
# installed from Debian's packages when missing (the test fails without it);
# elsewhere that check skips.
if ! command -v lintian >/dev/null 2>&1; then
    if [ -n "${CI:-}" ]; then
        echo "=== installing lintian ==="
        mkdir -p build
        install_lintian() {
            DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends lintian \
                >>build/apt-lintian.log 2>&1
        }
        : >build/apt-lintian.log
        # The package lists may be missing or out of date.
        if ! install_lintian && ! { apt-get update >>build/apt-lintian.log 2>&1 && install_lintian; }; then
            tail -n 5 build/apt-lintian.log
            echo "cannot install lintian: the package's lintian check will fail"
        fi
    else
        echo "NOTE: lintian is not installed, so the package's lintian check is skipped"
    fi
fi

# The graph check (tests/driver/explain_test.cpp) renders --graph with dot.
# Under CI graphviz is installed from Debian's packages when missing (the
# check fails without it); elsewhere that check skips.
if ! command -v dot >/dev/null 2>&1; then
    if [ -n "${CI:-}" ]; then
        echo "=== installing graphviz ==="
        mkdir -p build
        install_graphviz() {
            DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends graphviz \
                >>build/apt-graphviz.log 2>&1
        }
        : >build/apt-graphviz.log
        if ! install_graphviz && ! { apt-get update >>build/apt-graphviz.log 2>&1 && install_graphviz; }; then
            tail -n 5 build/apt-graphviz.log
            echo "cannot install graphviz: the graph check will fail"
        fi
    else
        echo "NOTE: graphviz is not installed, so the graph check is skipped"
    fi
fi

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
