#!/usr/bin/env bash
# Installs zr47xcl-tool, zr47xcl, zr47xcl-sim, zr47xcl-regsvr, the control component, the Python
# module, the manual pages, the bash completions, the desktop entry, icons and metainfo, and the
# kit for hosts under PREFIX (default ~/.local), then registers the component for this user.
#
#   scripts/install.sh [PREFIX]               build what is installed, install, register
#   scripts/install.sh --uninstall [PREFIX]   unregister, remove exactly what was installed
#
# The list of installed files and of the folders the installation created is kept in
# PREFIX/share/zr47xcl/install-manifest.txt; uninstalling removes those and nothing else.
# ZR_BUILD_DIR names the build folder (default build/, configured with the default preset);
# ZR_INSTALL_PREBUILT=1 installs what is built there without building (the tests use it, so
# that no second build runs in a folder a test run is using).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

uninstall=0
if [ "${1:-}" = "--uninstall" ]; then
    uninstall=1
    shift
fi
if [ $# -gt 1 ] || [[ "${1:-}" == -* ]]; then
    echo "usage: scripts/install.sh [--uninstall] [PREFIX]" >&2
    exit 2
fi
prefix=$(realpath -m "${1:-$HOME/.local}")
manifest="$prefix/share/zr47xcl/install-manifest.txt"

if [ "$uninstall" -eq 1 ]; then
    if [ ! -f "$manifest" ]; then
        echo "install.sh: nothing installed under $prefix (no $manifest)" >&2
        exit 1
    fi
    # Unregistering removes the user's registration file and its folder once they are empty.
    if [ -x "$prefix/bin/zr47xcl-regsvr" ]; then
        "$prefix/bin/zr47xcl-regsvr" -u >/dev/null || echo "install.sh: unregistering failed" >&2
    fi
    # Files first, then the folders the installation made, deepest first, each only when empty.
    entries=$(cat -- "$manifest")
    while IFS=$'\t' read -r kind path; do
        [ "$kind" = file ] && rm -f -- "$path"
    done <<<"$entries"
    while IFS= read -r folder; do
        [ -n "$folder" ] && { rmdir -- "$folder" 2>/dev/null || true; }
    done < <(awk -F'\t' '$1 == "dir" { print $2 }' <<<"$entries" | sort -r)
    echo "Uninstalled zr47xcl from $prefix"
    exit 0
fi

build=${ZR_BUILD_DIR:-$root/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    "$root/scripts/setup.sh"
    (cd "$root" && cmake --preset default >/dev/null)
fi
if [ -z "${ZR_INSTALL_PREBUILT:-}" ]; then
    cmake --build "$build" --target zr47xcl-installables
fi

# Folders that exist before, so that the ones the installation creates can be told apart.
before=""
[ -d "$prefix" ] && before=$(find "$prefix" -type d | sort)
mkdir -p "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
mkdir -p "$(dirname "$manifest")"
after=$(find "$prefix" -type d | sort)
{
    while IFS= read -r file || [ -n "$file" ]; do
        [ -n "$file" ] && printf 'file\t%s\n' "$file"
    done <"$build/install_manifest.txt"
    printf 'file\t%s\n' "$manifest"
    comm -13 <(printf '%s\n' "$before") <(printf '%s\n' "$after") | sed '/^$/d; s/^/dir\t/'
    # A reinstall keeps the folders an earlier installation made.
    if [ -f "$manifest" ]; then awk -F'\t' '$1 == "dir"' "$manifest"; fi
} | sort -u >"$manifest.new"
mv -- "$manifest.new" "$manifest"

"$prefix/bin/zr47xcl-regsvr" >/dev/null
echo "Installed zr47xcl under $prefix; the component is registered for ${USER:-$(id -un)}."
case ":$PATH:" in
*":$prefix/bin:"*) ;;
*)
    echo "Add its programs to PATH (and so its manual pages to man's search), e.g. in ~/.bashrc:"
    echo "    export PATH=\"$prefix/bin:\$PATH\""
    ;;
esac
# The Python module: said when the folder it went to is not one python3 searches.
module=$(grep -m1 '/zr47xcl\.cpython-[^/]*\.so$' "$build/install_manifest.txt" || true)
if [ -n "$module" ] && command -v python3 >/dev/null; then
    folder=$(dirname "$module")
    if ! python3 -c 'import sys; sys.exit(sys.argv[1] not in sys.path)' "$folder"; then
        echo "Python does not search $folder; to import zr47xcl, e.g. in ~/.bashrc:"
        echo "    export PYTHONPATH=\"$folder\${PYTHONPATH:+:\$PYTHONPATH}\""
    fi
fi
