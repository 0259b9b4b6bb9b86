#!/usr/bin/env bash
# Set-up, build and the whole test suite: the normal build, then the sanitizer build, then
# clang-tidy over the headless layers and a 30-second run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --test
for preset in default asan; do
    cmake --preset "$preset"
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done
scripts/tidy.sh
if command -v clang++ >/dev/null; then
    scripts/fuzz.sh 30
fi
