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
    folders=(base comm camera control automation bus web component cli sim)
fi

files=()
for folder in "${folders[@]}"; do
    while IFS= read -r file; do
        files+=("$file")
    done < <(find "$folder" -name '*.cpp' | sort)
done

# One clang-tidy per file, TIDY_JOBS at a time, each into its own output file.
outdir=$(mktemp -d)
trap 'rm -rf "$outdir"' EXIT
printf '%s\0' "${files[@]}" | xargs -0 -P "${TIDY_JOBS:-2}" -I{} sh -c \
    'clang-tidy -p build --quiet "$1" > "$2/$(echo "$1" | tr / _).out" 2> /dev/null ||
     echo "$1" >> "$2/failed"' _ {} "$outdir"
status=0
[[ -f $outdir/failed ]] && status=1
output=$outdir/all
cat "$outdir"/*.out > "$output"
# A finding is a line "path:line:col: warning|error: ... [check]"; one in a header is reported
# by every file that includes it, so each is counted once.
findings=$(grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error):' "$output" | sort -u || true)
count=$(printf '%s' "$findings" | grep -c . || true)
if [[ $count -gt 0 || $status -ne 0 ]]; then
    cat "$output"
    echo "tidy.sh: $count finding(s):" >&2
    printf '%s\n' "$findings" >&2
    exit 1
fi
echo "tidy.sh: no findings in ${folders[*]}"
