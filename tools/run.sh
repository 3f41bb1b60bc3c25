#!/usr/bin/env bash
# Sets up, builds and starts Quorvane. Without a display it starts the
# program on a virtual one (Xvfb) and says so.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/setup.sh"
program="${QUORVANE_BUILD_DIR:-$root/build}/quorvane"

# The web engine's sandbox refuses to run as root; a normal user keeps it.
if [ "$(id -u)" -eq 0 ]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting Quorvane on a virtual display (Xvfb)."
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$program"
fi
exec "$program"
