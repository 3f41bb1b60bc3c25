#!/usr/bin/env bash
# The store of the test cluster: a real redis-server on a loopback port,
# keeping nothing on disk, in a folder of its own. It ends by itself after a
# while, and "stop" ends it sooner (the cluster's tests also stop and start
# it mid-run, to see the instances do without it).
#
#   redis-fixture.sh start DIR PORT
#   redis-fixture.sh stop DIR
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/fixture-common.sh"
action=$1 dir=$2

stop() {
    fixture_stop "$dir/redis.pid"
}

if [ "$action" = stop ]; then
    stop
    exit 0
fi

port=$3
mkdir -p "$dir"
stop
fixture_start "$dir/redis.pid" redis-server --bind 127.0.0.1 --port "$port" --dir "$dir" \
    --save '' --appendonly no --protected-mode yes --daemonize no \
    --logfile "$dir/redis.log" >/dev/null 2>&1
answers() { [ "$(redis-cli -h 127.0.0.1 -p "$port" ping 2>/dev/null)" = PONG ]; }
if fixture_wait 50 answers; then
    echo "redis-server on 127.0.0.1:$port"
    exit 0
fi
echo "the test store did not come up:" >&2
cat "$dir/redis.log" >&2 || true
stop
exit 1
