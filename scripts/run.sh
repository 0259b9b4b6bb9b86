#!/usr/bin/env bash
# Set-up, build, then the main job on its embedded default: the tool against the simulated
# camera (a real camera is used instead when ZR_PORT names its COM port, e.g. ZR_PORT=COM5).
# With a display the window program zr47xcl-tool runs, without one a zr47xcl session.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
# Only the programs run below; the test suite builds the rest (scripts/test.sh). With a display
# that is the window program with the component it loads.
targets=(zr47xcl zr47xcl-sim)
[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && targets+=(zr47xcl-tool XKorvelZR47xCL zr47xcl-regsvr)
cmake --build --preset default --target "${targets[@]}"
bin=build/bin

if [ -x "$bin/zr47xcl" ] && [ -n "${ZR_PORT:-}" ]; then
    exec "$bin/zr47xcl" --events get ModelName
fi

tmp=$(mktemp -d)
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; rm -rf "$tmp"' EXIT
"$bin/zr47xcl-sim" --model ZR-470 --link "$tmp/camera" >"$tmp/sim.out" &
sim_pid=$!
for _ in $(seq 50); do [ -s "$tmp/sim.out" ] && break; sleep 0.1; done
device=$(head -n 1 "$tmp/sim.out")
echo "Simulated ZR-470 camera on $device"

if [ -x "$bin/zr47xcl" ]; then
    # Module settings of this run live in the temporary folder; COM1 is the simulator.
    export XDG_CONFIG_HOME="$tmp/config"
    mkdir -p "$XDG_CONFIG_HOME/Korvel-XKorvelZR47xCL.ini-Control"
    printf '[Comm]\r\nCOM1=%s\r\nClass=0\r\nPort=0\r\n' "$device" \
        >"$XDG_CONFIG_HOME/Korvel-XKorvelZR47xCL.ini-Control/XKorvelZR47xCL Control.ini"
    if [ -x "$bin/zr47xcl-tool" ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        # The component is registered for this run's throw-away user only.
        export XDG_DATA_HOME="$tmp/data"
        "$bin/zr47xcl-regsvr"
        echo "Starting zr47xcl-tool; close its window to end the session"
        "$bin/zr47xcl-tool"
    else
        [ -x "$bin/zr47xcl-tool" ] &&
            echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): zr47xcl-tool cannot" \
                "open its window, so a command-line session runs instead"
        "$bin/zr47xcl" --log call ReadAllFromCamera get ModelName get IMG1ShutterSpeedString
    fi
else
    # Without the command-line tool, ask the camera its model over the raw line.
    exec 3<>"$device"
    stty -F "$device" raw -echo 9600
    printf 'MD?\r\n' >&3
    IFS= read -r -t 2 answer <&3 || true
    echo "> MD?"
    echo "< ${answer%$'\r'}"
    exec 3<&-
fi
