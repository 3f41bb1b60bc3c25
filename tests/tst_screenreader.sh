#!/usr/bin/env bash
# Runs tst_screenreader.py as a screen reader meets the program: on a virtual
# X11 display, in a session bus of its own with the accessibility bus on it.
#   tst_screenreader.sh SERVER PROGRAM IRC_PORT ONLINE_NICK
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
for need in xvfb-run dbus-run-session /usr/libexec/at-spi-bus-launcher; do
    if ! command -v "$need" >/dev/null 2>&1; then
        echo "skipped: $need is not installed"
        exit 0
    fi
done
if ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
    echo "skipped: python3-pyatspi is not installed"
    exit 0
fi
exec xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately &
    launcher=$!
    trap "kill $launcher 2>/dev/null || true" EXIT
    sleep 1
    /usr/bin/python3 "$0" "$@"
' "$here/tst_screenreader.py" "$@"
