#!/usr/bin/env bash
# Configures and builds the status server's fuzz targets with clang in
# build-fuzz/ (tools/setup.sh installs clang and libFuzzer). Arguments are
# passed on to CMake's configure step. Safe to run again.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUORVANE_FUZZ_BUILD_DIR:-$root/build-fuzz}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_FUZZ=ON \
      -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_C_COMPILER=clang-14 "$@"
cmake --build "$build" --parallel "${QUORVANE_FUZZ_JOBS:-2}"
