#!/usr/bin/env bash
# Sets up and builds Quorvane, then runs every test (headless).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/setup.sh"
cd "${QUORVANE_BUILD_DIR:-$root/build}"
ctest --output-on-failure --timeout 600
