#!/usr/bin/env bash
# Sets up and builds Quorvane, then runs every test (headless).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The tests' build treats every compiler warning as an error.
"$root/tools/setup.sh" -DQUORVANE_WERROR=ON
cd "${QUORVANE_BUILD_DIR:-$root/build}"
ctest --output-on-failure --timeout 600
