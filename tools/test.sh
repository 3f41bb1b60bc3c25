#!/usr/bin/env bash
# Sets up and builds Quorvane, then runs every test (headless).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The tests' build treats every compiler warning as an error.
"$root/tools/setup.sh" -DQUORVANE_WERROR=ON
# And the status server's fuzz targets, built with clang beside it.
"$root/fuzz/build.sh" -DQUORVANE_WERROR=ON
failed=0
(cd "${QUORVANE_BUILD_DIR:-$root/build}" && ctest --output-on-failure --timeout 600) || failed=1
# Each target runs a while from its seed corpus; any finding fails the run.
(cd "${QUORVANE_FUZZ_BUILD_DIR:-$root/build-fuzz}" && ctest -L fuzz --output-on-failure) || failed=1
exit "$failed"
