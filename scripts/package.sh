#!/usr/bin/env bash
# Builds the program as scripts/test.sh builds it for use (without the test
# suite; CPack strips the binary), makes its Debian package in build/package,
# then shows the package's fields and files, and what lintian says of it
# where lintian is installed (the script fails on an error it reports).
set -euo pipefail
cd "$(dirname "$0")/.."

generator=()
if command -v ninja >/dev/null 2>&1; then
    generator=(-G Ninja)
fi
cmake -S . -B build/package "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPOKEWAY_TESTS=OFF >/dev/null
cmake --build build/package -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
rm -f build/package/*.deb
(cd build/package && cpack -G DEB >/dev/null)
for package in build/package/*.deb; do
    echo "=== $package"
    dpkg-deb -I "$package"
    dpkg-deb -c "$package"
    if command -v lintian >/dev/null 2>&1; then
        echo "=== lintian $package"
        lintian "$package"
    fi
done
