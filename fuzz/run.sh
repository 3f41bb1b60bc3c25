#!/usr/bin/env bash
# Runs one fuzz target for a while from its seed corpus, as CTest does:
#   run.sh PROGRAM SEED_DIR SECONDS [LIBFUZZER OPTIONS...] (a dictionary, ...)
# New inputs go to a temporary folder, never into the tree's corpus; a
# crash, leak, timeout or sanitizer report fails the run and leaves its input
# in fuzz-artifacts/ beside the program.
set -euo pipefail

program="$1" seeds="$2" seconds="$3"
shift 3
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
artifacts="$(dirname "$program")/fuzz-artifacts"
mkdir -p "$artifacts"

arguments=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$artifacts/$(basename "$program")-" "$@")
"$program" "${arguments[@]}" "$work" "$seeds"
