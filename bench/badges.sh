#!/usr/bin/env bash
# The badges' cost: a status badge (?format=svg, made for each request)
# against the status picture (composed once), and their 304 Not Modified
# answers to a client that holds them, all of one closed-network account
# (answered at once, nothing contacted). wrk -t2 -c32 on loopback, each in
# turn, five rounds of 5 s; the medians go into bench/results.md.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""; [ "$(id -u)" = 0 ] || sudo=sudo
command -v wrk >/dev/null || $sudo apt-get install -y wrk
build=${QUORVANE_BUILD_DIR:-build}
out=${QUORVANE_BENCH_OUT:-bench/results.md}
rounds=${QUORVANE_BENCH_ROUNDS:-5}
seconds=${QUORVANE_BENCH_SECONDS:-5}
cmake --build "$build" --target quorvane-server --parallel 1

log=$(mktemp)
"$build/quorvane-server" --status-port 0 --web-port 0 2>"$log" &
server=$!
trap 'kill $server 2>/dev/null; rm -f "$log"' EXIT
port=""
for _ in $(seq 50); do
    port=$(sed -n 's/^quorvane-server: status and pages on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$log")
    [ -n "$port" ] && break
    sleep 0.1
done
[ -n "$port" ] || { echo "the server did not start:"; cat "$log"; exit 1; }

base="http://127.0.0.1:$port/msn/bob@hotmail.com"
tag() { curl -s -D - -o /dev/null "$1" | tr -d '\r' | sed -n 's/^ETag: //Ip'; }
png_tag=$(tag "$base?format=png")
svg_tag=$(tag "$base?format=svg")
for pair in "$base?format=png|$png_tag" "$base?format=svg|$svg_tag"; do
    code=$(curl -s -o /dev/null -w '%{http_code}' -H "If-None-Match: ${pair#*|}" "${pair%%|*}")
    [ "$code" = 304 ] || { echo "no 304 for ${pair%%|*}: $code"; exit 1; }
done

# A 304 answers a request that carries If-None-Match: the same request whose
# tag is another answer's (a 200) shows what that header itself costs.
names=("cached status picture (PNG)" "status badge (SVG)" "picture, 304 Not Modified" "badge, 304 Not Modified"
       "picture, If-None-Match of another answer (200)")
urls=("$base?format=png" "$base?format=svg" "$base?format=png" "$base?format=svg" "$base?format=png")
headers=("" "" "If-None-Match: $png_tag" "If-None-Match: $svg_tag" 'If-None-Match: "0000000000000000"')
declare -A rates p50s p99s
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for round in $(seq "$rounds"); do
    for i in "${!names[@]}"; do
        args=(-t2 -c32 -d"${seconds}s" --latency)
        [ -n "${headers[$i]}" ] && args+=(-H "${headers[$i]}")
        result=$(wrk "${args[@]}" "${urls[$i]}")
        if grep -q "Non-2xx or 3xx" <<<"$result"; then echo "errors in ${names[$i]}:"; echo "$result"; exit 1; fi
        rates[$i]+="$(awk '/^Requests\/sec:/ {printf "%d", $2}' <<<"$result") "
        p50s[$i]+="$(awk '$1 == "50%" {print $2}' <<<"$result") "
        p99s[$i]+="$(awk '$1 == "99%" {print $2}' <<<"$result") "
        echo "round $round, ${names[$i]}: $(awk '/^Requests\/sec:/ {print $2}' <<<"$result") requests/s" >&2
    done
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# The median of the rounds (by requests/s), with that round's latencies.
median_index() { tr ' ' '\n' <<<"$1" | sed '/^$/d' | cat -n | sort -k2 -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
field() { tr ' ' '\n' <<<"$1" | sed '/^$/d' | sed -n "${2}p"; }
png_rate=""
table=""
for i in "${!names[@]}"; do
    m=$(median_index "${rates[$i]}")
    rate=$(field "${rates[$i]}" "$m")
    [ -z "$png_rate" ] && png_rate=$rate
    ratio=$(awk -v a="$rate" -v b="$png_rate" 'BEGIN {printf "%.0f %%", 100 * a / b}')
    all=$(tr ' ' '\n' <<<"${rates[$i]}" | sed '/^$/d' | paste -sd/)
    table+="| ${names[$i]} | $rate ($all) | $(field "${p50s[$i]}" "$m") | $(field "${p99s[$i]}" "$m") | $ratio |"$'\n'
done
bytes_png=$(curl -s "$base?format=png" | wc -c)
bytes_svg=$(curl -s "$base?format=svg" | wc -c)

section="## Status badges (bench/badges.sh, $(date -u +%Y-%m-%d), wrk -t2 -c32 -d${seconds}s, one 2-core machine)

One closed-network account (answered at once); the median of $rounds rounds, each in turn (requests/s of each round in brackets). Load average (1, 5, 15 min) before: $load_before, after: $load_after.

| answer | requests/s | p50 | p99 | of the picture's rate |
|---|---|---|---|---|
${table}
Bodies: the picture $bytes_png bytes, the badge $bytes_svg bytes; a 304 has none.
"
python3 - "$out" "$section" <<'EOF'
import re, sys
path, section = sys.argv[1], sys.argv[2]
text = open(path).read()
pattern = re.compile(r"## Status badges \(bench/badges\.sh.*?(?=\n## |\Z)", re.S)
text = pattern.sub(lambda _: section.rstrip("\n") + "\n", text) if pattern.search(text) else text.rstrip("\n") + "\n\n" + section
open(path, "w").write(text)
EOF
echo "$section"
