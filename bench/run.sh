#!/usr/bin/env bash
# Start-up and memory benchmark: Quorvane against the floor program (one bare
# window with one web view) and the bare window program (one bare Qt Widgets
# window). Installs what is missing on Debian 12, builds the three programs, runs them in turn on a virtual display and writes
# bench/results.md.
#
# Environment:
#   QUORVANE_BUILD_DIR          build folder (default: build/)
#   QUORVANE_BENCH_RUNS         scored runs of each program (default 5)
#   QUORVANE_BENCH_JOBS         build jobs (default 1)
#   QUORVANE_BENCH_REAL_FLAGS   extra Chromium flags for Quorvane only
#   QUORVANE_BENCH_FLOOR_FLAGS  extra Chromium flags for the floor only
#   QUORVANE_BENCH_REAL_ENV     extra environment for Quorvane only (NAME=value ...)
#   QUORVANE_BENCH_FLOOR_ENV    extra environment for the floor only
#   QUORVANE_BENCH_BARE_ENV     extra environment for the bare window only
#   QUORVANE_BENCH_OUT          report file (default bench/results.md)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="${QUORVANE_BUILD_DIR:-$root/build}"

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# What the program's own build needs: tools/setup.sh installs it, configures
# and builds everything the first time.
if ! installed qt6-webengine-dev || ! installed cmake || ! installed ninja-build \
        || [ ! -f "$build/CMakeCache.txt" ]; then
    "$root/tools/setup.sh"
fi

# What the benchmark itself needs: it talks to the X server through
# python3-xlib, the Debian package for the system's Python.
missing=()
for package in xvfb python3 python3-xlib; do
    installed "$package" || missing+=("$package")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake --build "$build" --target quorvane quorvane_floor quorvane_barewindow -j"${QUORVANE_BENCH_JOBS:-1}"

exec /usr/bin/python3 "$here/bench.py" \
    --real "$build/quorvane" \
    --floor "$build/bench/quorvane_floor" \
    --bare "$build/bench/quorvane_barewindow" \
    --runs "${QUORVANE_BENCH_RUNS:-5}" \
    --out "${QUORVANE_BENCH_OUT:-$here/results.md}" \
    --json "$build/bench/results.json" \
    --logdir "$build/bench/logs" \
    "$@"
