#!/usr/bin/env bash
# Builds the Debian packages zr47xcl, python3-zr47xcl and libzr47xcl-dev into build-package/
# packages/, then checks them with lintian and prints what each holds and its installed size.
#
#   scripts/package.sh            configure (prefix /usr), build, package, check
#
# The packages are made by CPack's DEB generator from the same install rules that
# scripts/install.sh and the tests use (packaging/DebianPackages.cmake says which file goes to
# which package), in a build tree of its own configured for /usr: the library folder, the
# registration for every user and the pkg-config file name /usr paths. Run-time dependencies
# come from dpkg-shlibdeps over the binaries, plus what is loaded at run time (fonts-wine, Qt's
# platform plugins). The kit's API reference (Doxygen) goes into libzr47xcl-dev.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${ZR_PACKAGE_BUILD_DIR:-$root/build-package}

scripts/setup.sh --packaging
# Debian's hardening flags (fortified functions, stack protector, read-only relocations, immediate
# binding), as dpkg-buildpackage would set them; Debian leaves immediate binding out unless asked.
export DEB_BUILD_MAINT_OPTIONS=hardening=+bindnow
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DZR_BUILD_TESTS=OFF -DZR_API_REFERENCE=ON \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
    -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build"
rm -rf "$build/packages"
(cd "$build" && cpack -G DEB >/dev/null)

status=0
for deb in "$build"/packages/*.deb; do
    name=$(dpkg-deb -f "$deb" Package)
    echo "== $(basename "$deb"): Installed-Size $(dpkg-deb -f "$deb" Installed-Size) KiB"
    echo "   Depends: $(dpkg-deb -f "$deb" Depends)"
    lintian_out=$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)
    if [ -n "$lintian_out" ]; then
        echo "$lintian_out" | sed 's/^/   /'
    else
        echo "   lintian: clean"
    fi
    grep -q '^E: ' <<<"$lintian_out" && { echo "package.sh: lintian errors in $name" >&2; status=1; }
done
exit $status
