#!/usr/bin/env bash
# Installs what building and running Quorvane needs on Debian 12 (only what is
# missing), then configures and builds it in build/. Safe to run again.
# Arguments are passed on to CMake's configure step.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUORVANE_BUILD_DIR:-$root/build}"

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-webengine-dev libqt6opengl6-dev libgl-dev
    fonts-liberation2 fonts-dejavu-core   # stand-ins for the Windows fonts
    xvfb xauth                             # a display where there is none
    openbox xdotool x11-utils              # a window manager, clicks and window states on it (tests)
    at-spi2-core dbus python3-pyatspi      # what a screen reader hears (tests)
    qt6-image-formats-plugins              # WebP status pictures (tests)
    binutils-mingw-w64-x86-64              # checks the Windows resources
    dpkg-dev file desktop-file-utils       # builds and checks the Debian packages
    libcap2-bin                            # lets the status server bind port 80
    libmicrohttpd-dev                      # the status server's HTTP layer
    ngircd inspircd openssl                # real IRC servers (one with MONITOR) and test certificates for its tests
    libhiredis-dev redis-server            # the store a cluster of status servers shares (and its tests)
    nginx-light curl                       # a TLS load balancer in front of a cluster (tests)
    libstrophe-dev prosody                 # Jabber presence, and a real XMPP server for its tests
    chromium                               # a real browser reads the status badges (tests)
    clang libclang-rt-14-dev               # the status server's fuzz targets (libFuzzer, fuzz/)
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
    # The tests start the IRC servers themselves, on loopback; the packages
    # would also run them as system services for the whole network. Keep that off.
    if [ -d /run/systemd/system ]; then
        for service in ngircd inspircd redis-server nginx prosody; do
            if [[ " ${missing[*]} " == *" $service "* ]]; then
                "${sudo[@]}" systemctl disable --now "$service.service" >/dev/null 2>&1 || true
            fi
        done
    fi
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build" --parallel 2
