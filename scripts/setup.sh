#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those missing, by purpose:
#
#   scripts/setup.sh               what building and running need (scripts/run.sh)
#   scripts/setup.sh --test        that, plus the test and analysis tools (scripts/test.sh)
#   scripts/setup.sh --packaging   that, plus the tools that make and check the Debian packages
#                                  (scripts/package.sh)
set -euo pipefail
# Building and running: compiler and build tools, the Python module's build, the panels and
# zr47xcl-tool (Qt 6 Widgets, SVG pictures, the X11 and Wayland platform plugins, Tahoma; the X
# connection library through which the tool checks its display before Qt opens it).
# groff renders the manual pages as PDF for the tool's help folder.
packages=(cmake ninja-build g++ pkg-config pybind11-dev python3-dev groff
    qt6-base-dev qt6-svg-dev qt6-qpa-plugins qt6-wayland libxkbcommon-x11-0 fonts-wine libxcb1-dev
    # The control on the session bus (sdbus-c++).
    libsdbus-c++-dev
    # The web face: HTTP and TLS (Boost.Beast over Asio, OpenSSL), the password hash
    # (libsodium), the API's JSON.
    libboost-dev libssl-dev libsodium-dev nlohmann-json3-dev)
# Making and checking the packages (also exercised by the tests).
packaging=(dpkg-dev fakeroot lintian desktop-file-utils appstream
    # The kit's API reference.
    doxygen)
for purpose in "$@"; do
    case $purpose in
    --test)
        # gtest, Python's tests, clang with its sanitizer and libFuzzer run-time for the fuzz
        # targets, clang-tidy over the headless layers, man for the install test, the tool's
        # end-to-end tests on a virtual X server (with a window manager that pings its windows
        # and a program that types and clicks there as a user does), and the package tools the
        # tests check with.
        packages+=(libgtest-dev libgmock-dev python3-pytest clang libclang-rt-dev clang-tidy
            man-db xvfb xauth libx11-dev openbox xdotool x11-utils
            # The tool seen by screen readers and testing tools (the accessibility bus and its
            # Python client), and on a Wayland compositor (weston's headless back-end).
            at-spi2-core python3-pyatspi weston
            # The bus tests start a private session bus and check it with busctl and the
            # Python binding of the D-Bus library.
            dbus-daemon systemd python3-dbus
            # The type checker that checks scripts against the Python module's stub; the web
            # page's tests: headless chromium driven through chromedriver, and a self-signed
            # certificate for the TLS listener.
            mypy chromium chromium-driver python3-selenium openssl "${packaging[@]}") ;;
    --packaging) packages+=("${packaging[@]}") ;;
    *) echo "usage: scripts/setup.sh [--test] [--packaging]" >&2; exit 2 ;;
    esac
done
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    echo "Installing: ${missing[*]}"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
