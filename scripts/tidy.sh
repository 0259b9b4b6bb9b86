#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy) over the product code, not the tests, using the
# compile commands of build/. Exits non-zero when it finds anything.
#
#   scripts/tidy.sh              every product folder
#   scripts/tidy.sh comm camera  only these folders
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ ! -f build/compile_commands.json ]]; then
    echo "tidy.sh: build/compile_commands.json is missing; run 'cmake --preset default' first" >&2
    exit 2
fi
command -v clang-tidy > /dev/null || { echo "tidy.sh: clang-tidy is not installed" >&2; exit 2; }

folders=("$@")
if [[ ${#folders[@]} -eq 0 ]]; then
    folders=(base comm camera control automation component cli sim)
fi

files=()
for folder in "${folders[@]}"; do
    while IFS= read -r file; do
        files+=("$file")
    done < <(find "$folder" -name '*.cpp' | sort)
done

output=$(mktemp)
trap 'rm -f "$output"' EXIT
status=0
for file in "${files[@]}"; do
    clang-tidy -p build --quiet "$file" 2> /dev/null >> "$output" || status=1
done
# Findings are the lines "path:line:col: warning|error: ... [check]".
findings=$(grep -cE '^[^ ]+:[0-9]+:[0-9]+: (warning|error):' "$output" || true)
cat "$output"
if [[ $findings -gt 0 || $status -ne 0 ]]; then
    echo "tidy.sh: $findings finding(s)" >&2
    exit 1
fi
echo "tidy.sh: no findings in ${folders[*]}"
