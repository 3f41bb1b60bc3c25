#!/usr/bin/env bash
# The store of the test cluster: a real redis-server on a loopback port,
# keeping nothing on disk, in a folder of its own. It ends by itself after a
# while, and "stop" ends it sooner (the cluster's tests also stop and start
# it mid-run, to see the instances do without it).
#
#   redis-fixture.sh start DIR PORT
#   redis-fixture.sh stop DIR
set -euo pipefail

action=$1 dir=$2
lifetime=900 # seconds: longer than every test that uses the store

stop() {
    if [ -f "$dir/redis.pid" ]; then
        kill "$(cat "$dir/redis.pid")" 2>/dev/null || true
        for _ in $(seq 50); do
            kill -0 "$(cat "$dir/redis.pid")" 2>/dev/null || break
            sleep 0.1
        done
        rm -f "$dir/redis.pid"
    fi
}

if [ "$action" = stop ]; then
    stop
    exit 0
fi

port=$3
mkdir -p "$dir"
stop
setsid timeout "$lifetime" redis-server --bind 127.0.0.1 --port "$port" --dir "$dir" \
    --save '' --appendonly no --protected-mode yes --daemonize no \
    --logfile "$dir/redis.log" >/dev/null 2>&1 &
echo $! >"$dir/redis.pid"
for _ in $(seq 50); do
    if [ "$(redis-cli -h 127.0.0.1 -p "$port" ping 2>/dev/null)" = PONG ]; then
        echo "redis-server on 127.0.0.1:$port"
        exit 0
    fi
    sleep 0.1
done
echo "the test store did not come up:" >&2
cat "$dir/redis.log" >&2 || true
stop
exit 1
