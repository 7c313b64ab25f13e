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

# Under CI a tool that a check needs is installed from Debian's packages when
# missing (the check fails without it); elsewhere that check skips.
install_for_ci() { # package, command, the check that needs it
    local package=$1 command=$2 check=$3 log=build/apt-$1.log
    command -v "$command" >/dev/null 2>&1 && return 0
    if [ -z "${CI:-}" ]; then
        echo "NOTE: $package is not installed, so $check is skipped"
        return 0
    fi
    echo "=== installing $package ==="
    mkdir -p build
    : >"$log"
    apt_install() {
        DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$package" \
            >>"$log" 2>&1
    }
    # The package lists may be missing or out of date.
    if ! apt_install && ! { apt-get update >>"$log" 2>&1 && apt_install; }; then
        tail -n 5 "$log"
        echo "cannot install $package: $check will fail"
    fi
}
install_for_ci lintian lintian "the package's lintian check (tests/install/)"
install_for_ci graphviz dot "the graph check (tests/driver/explain_test.cpp)"

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
