#!/usr/bin/env bash
# Builds the generator and runs it on the bundled example in a scratch copy of
# examples/basic, then shows the destination file it rewrote.
set -euo pipefail
cd "$(dirname "$0")/.."

generator=()
if command -v ninja >/dev/null 2>&1; then
    generator=(-G Ninja)
fi
cmake -S . -B build/release "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc 2>/dev/null || echo 2)" --target spokeway >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R examples/basic/. "$work"
spokeway=$PWD/build/release/spokeway
status=0
(cd "$work" && "$spokeway" pathgen.cfg) || status=$?
echo
echo "--- exit code $status; examples/basic/route.cfg after the run: ---"
cat "$work/route.cfg"
exit "$status"
