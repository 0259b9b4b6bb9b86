#!/usr/bin/env bash
# Set-up, build and the whole test suite: the normal build, then the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
for preset in default asan; do
    cmake --preset "$preset"
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done
