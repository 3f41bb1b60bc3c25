#!/usr/bin/env bash
# The front door's benchmark: the status server's cached picture, badge and
# 304 against nginx (two workers, open-file cache on) serving the same bytes,
# rates, p99 and CPU time per answer; the table goes into bench/results.md.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""; [ "$(id -u)" = 0 ] || sudo=sudo
missing=()
command -v wrk >/dev/null || missing+=(wrk)
command -v h2load >/dev/null || missing+=(nghttp2-client)
command -v nginx >/dev/null || [ -x /usr/sbin/nginx ] || missing+=(nginx-light)
if [ ${#missing[@]} -gt 0 ]; then $sudo apt-get install -y "${missing[@]}"; fi
build=${QUORVANE_BUILD_DIR:-build}
cmake --build "$build" --target quorvane-server --parallel 1
PATH=/usr/sbin:$PATH exec python3 bench/door.py "$build/quorvane-server" "${QUORVANE_BENCH_OUT:-bench/results.md}"
