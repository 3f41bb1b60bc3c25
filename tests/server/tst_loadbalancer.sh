#!/usr/bin/env bash
# A cluster as the README runs it, on loopback: three instances of the
# server program sharing the test store, behind nginx with the example site
# file (ports and certificate changed to the test's). A client speaks HTTP/2
# over TLS to nginx; the program itself looks nicks up through nginx's plain
# status port 6969, as it composes its addresses; an instance that dies is
# passed over.
#
#   tst_loadbalancer.sh SERVER SITE CERTDIR DIR STOREPORT IRCPORT NICK FIRSTPORT PROGRAMTEST
set -euo pipefail

server=$1 site=$2 certificates=$3 dir=$4 store=$5 irc=$6 nick=$7 first=$8 programtest=$9
one=$first two=$((first + 1)) three=$((first + 2)) tls=$((first + 3)) plain=6969
rm -rf "$dir" && mkdir -p "$dir/temp"
pids=()
finish() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [ -f "$dir/nginx.pid" ] && kill "$(cat "$dir/nginx.pid")" 2>/dev/null || true
}
trap finish EXIT
fail() {
    echo "FAIL: $*" >&2
    tail -n 20 "$dir"/*.log >&2 || true
    exit 1
}

redis-cli -p "$store" FLUSHALL >/dev/null
for port in "$one" "$two" "$three"; do
    timeout 300 "$server" --status-port "$port" --web-port 0 --allow-network 127.0.0.0/8 --irc-ports "$irc" \
        --redis "redis://127.0.0.1:$store/0" --trusted-proxy 127.0.0.1/32 --instance "i$port" \
        >"$dir/instance-$port.log" 2>&1 &
    pids+=($!)
done

sed -e "s/127\.0\.0\.1:7001/127.0.0.1:$one/; s/127\.0\.0\.1:7002/127.0.0.1:$two/; s/127\.0\.0\.1:7003/127.0.0.1:$three/" \
    -e "s/listen 443 ssl http2;/listen 127.0.0.1:$tls ssl http2;/; /listen \[::\]/d" \
    -e "s/listen 6969;/listen 127.0.0.1:$plain;/" \
    -e "s|/etc/ssl/certs/status.example.org.pem|$certificates/irc.crt|" \
    -e "s|/etc/ssl/private/status.example.org.key|$certificates/irc.key|" \
    "$site" >"$dir/site.conf"
cat >"$dir/nginx.conf" <<CONF
daemon on;
worker_processes 1;
pid $dir/nginx.pid;
error_log $dir/nginx-error.log;
events { worker_connections 256; }
http {
    access_log $dir/nginx-access.log;
    client_body_temp_path $dir/temp/body;
    proxy_temp_path $dir/temp/proxy;
    fastcgi_temp_path $dir/temp/fastcgi;
    uwsgi_temp_path $dir/temp/uwsgi;
    scgi_temp_path $dir/temp/scgi;
    include $dir/site.conf;
}
CONF
nginx -t -p "$dir" -c "$dir/nginx.conf" 2>"$dir/nginx-check.log" || fail "nginx refuses the example site"
nginx -p "$dir" -c "$dir/nginx.conf" 2>>"$dir/nginx-error.log"

for port in "$one" "$two" "$three"; do
    for _ in $(seq 50); do
        curl -s "http://127.0.0.1:$port/health" | grep -q "store up" && break
        sleep 0.2
    done
    curl -s "http://127.0.0.1:$port/health" | grep -q "store up" || fail "instance on $port did not join the store"
done

lookup="/irc/$nick@127.0.0.1:$irc"
answer=$(curl -s --http2 --cacert "$certificates/irc.crt" -w ' %{http_version}' "https://127.0.0.1:$tls$lookup?format=text")
[ "$answer" = "online
 2" ] || fail "HTTP/2 over TLS answered '$answer'"
curl -s --http2 --cacert "$certificates/irc.crt" -o "$dir/picture.png" "https://127.0.0.1:$tls$lookup"
curl -s -o "$dir/direct.png" "http://127.0.0.1:$one$lookup"
cmp -s "$dir/picture.png" "$dir/direct.png" || fail "the picture through nginx is not the instance's"
code=$(curl -s -o /dev/null -w '%{http_code}' --cacert "$certificates/irc.crt" "https://127.0.0.1:$tls/metrics")
[ "$code" = 404 ] || fail "/metrics reached through the balancer ($code)"

# The program, through nginx: its IRC window shows the pictures.
"$programtest" ircLookupsTellOnlineFromOffline >"$dir/program.log" 2>&1 ||
    { cat "$dir/program.log" >&2; fail "the program's lookups through nginx"; }

# Every instance served, and the network was asked once per nick for the cluster.
for _ in 1 2 3 4 5 6; do curl -s "http://127.0.0.1:$plain/irc/other@127.0.0.1:$irc?format=text" >/dev/null; done
lines=0
for port in "$one" "$two" "$three"; do
    count=$(curl -s "http://127.0.0.1:$port/metrics" | sed -n 's/^quorvane_irc_lines_total{command="ISON"} //p')
    lines=$((lines + ${count:-0}))
    served=$(curl -s "http://127.0.0.1:$port/metrics" | sed -n 's/^quorvane_lookups_total{medium="irc"} //p')
    [ "${served:-0}" -gt 0 ] || fail "the instance on $port was never asked"
done
[ "$lines" = 3 ] || fail "$lines ISON lines for three nicks"

# An instance dies: nginx passes it over and every lookup is still answered.
pkill -9 -P "${pids[0]}" # the instance itself, not the timeout around it
for _ in $(seq 50); do
    curl -s "http://127.0.0.1:$one/health" >/dev/null || break
    sleep 0.1
done
for i in 1 2 3; do
    answer=$(curl -s --max-time 15 --http2 --cacert "$certificates/irc.crt" "https://127.0.0.1:$tls/irc/gone$i@127.0.0.1:$irc?format=text")
    [ "$answer" = offline ] || [ "$answer" = unknown ] || fail "after an instance died: '$answer'"
done
echo "PASS: HTTP/2 and TLS through nginx to a cluster of three, the program's pictures, one network line per nick, an instance's death passed over"
