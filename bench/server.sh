#!/usr/bin/env bash
# The status server benchmark: quorvane-server against nginx serving the
# picture's bytes as a static file, Prosody's mod_webpresence, Qt's HTTP
# server alone, Qt's sockets alone and libmicrohttpd in the server's
# loop (cached picture, wrk), 1,000
# uncached IRC lookups at once and 41 at a quiet network against a real
# ngircd with flood control on; the cached picture through nginx to one
# instance and to three sharing Redis, and what a near and a shared cache
# hit cost. Everything on loopback.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""; [ "$(id -u)" = 0 ] || sudo=sudo
missing=()
for pair in wrk:wrk prosody:prosody ngircd:ngircd redis-server:redis-server nginx:nginx-light; do
    command -v "${pair%%:*}" >/dev/null || [ -x "/usr/sbin/${pair%%:*}" ] || missing+=("${pair#*:}")
done
[ -d /usr/lib/prosody/modules/mod_webpresence ] || [ -e /usr/share/prosody-modules ] || missing+=(prosody-modules)
dpkg-query -W -f='${Status}' qt6-httpserver-dev 2>/dev/null | grep -q 'ok installed' || missing+=(qt6-httpserver-dev qt6-websockets-dev)
if [ ${#missing[@]} -gt 0 ]; then $sudo apt-get install -y "${missing[@]}" prosody-modules; fi
build=${QUORVANE_BUILD_DIR:-build}
cmake "$build" >/dev/null  # finds Qt's HTTP server when it was just installed
cmake --build "$build" --target quorvane-server quorvane_httpfloor quorvane_socketfloor quorvane_mhdfloor
PATH=/usr/sbin:$PATH exec python3 bench/server.py "$build/quorvane-server" "$build/bench/quorvane_httpfloor" \
    "$build/bench/quorvane_socketfloor" "$build/bench/quorvane_mhdfloor" \
    "$build/pictures/legend3-online.png" "${QUORVANE_BENCH_OUT:-bench/results.md}"
