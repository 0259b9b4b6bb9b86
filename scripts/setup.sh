#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when one is missing.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev
    # The Python module and its tests.
    pybind11-dev python3-dev python3-pytest
    # clang with its sanitizer and libFuzzer run-time builds the fuzz targets; clang-tidy checks
    # the headless layers; man reads the installed manual pages in the install test.
    clang libclang-rt-dev clang-tidy man-db
    # The panels and zr47xcl-tool: Qt 6 Widgets, SVG pictures, the X11 platform plugin, Tahoma.
    qt6-base-dev qt6-svg-dev qt6-qpa-plugins libxkbcommon-x11-0 fonts-wine
    # zr47xcl-tool checks its X display through the X connection library before Qt opens it.
    libxcb1-dev
    # The tool's end-to-end tests on a virtual X server, with a window manager that pings its
    # windows and a program that types and clicks there as a user does.
    xvfb xauth libx11-dev openbox xdotool
    # The control on the session bus (sdbus-c++); the bus tests start a private session bus and
    # check it with busctl and the Python binding of the D-Bus library.
    libsdbus-c++-dev dbus-daemon systemd python3-dbus)
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
