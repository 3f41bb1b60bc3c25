#!/usr/bin/env bash
# Sets up and builds Quorvane and its status server, starts the server on
# this machine (unless one already answers there, such as the packaged one),
# then starts Quorvane. A server this script started ends with the program.
# Without a display the program runs on a virtual one (Xvfb) and says so.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/setup.sh"
build="${QUORVANE_BUILD_DIR:-$root/build}"
program="$build/quorvane"
server="$build/quorvane-server"

answers() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi

server_pid=""
stop_server() {
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
}
trap stop_server EXIT

if answers 6969; then
    echo "A status server already answers on 127.0.0.1:6969; Quorvane uses it."
else
    if answers 80; then
        echo "Port 80 is taken by another web server: the start pages will not show, lookups on port 6969 still work."
    elif [ "$(id -u)" -ne 0 ] && ! getcap "$server" 2>/dev/null | grep -q cap_net_bind_service; then
        # Port 80 is privileged. As a packaged service gets it from systemd's
        # socket, the server built here gets only the right to bind it.
        "${sudo[@]}" setcap cap_net_bind_service=+ep "$server"
    fi
    "$server" --listen 127.0.0.1 &
    server_pid=$!
    for _ in $(seq 50); do
        answers 6969 && break
        sleep 0.1
    done
fi

# The web engine's sandbox refuses to run as root; a normal user keeps it.
if [ "$(id -u)" -eq 0 ]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting Quorvane on a virtual display (Xvfb)."
    xvfb-run -a -s "-screen 0 1024x768x24" "$program"
else
    "$program"
fi
