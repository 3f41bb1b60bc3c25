#!/usr/bin/env bash
# The test IRC network: a real ngircd on a loopback port with a generated
# configuration, and one member registered under the nick that must read
# online. Both end by themselves after a while, and "stop" ends them sooner.
#
#   ngircd-fixture.sh start DIR PORT NICK IRCMEMBER
#   ngircd-fixture.sh stop DIR
set -euo pipefail

action=$1 dir=$2
lifetime=900 # seconds: longer than every test that uses the network

stop() {
    for name in member ngircd; do
        if [ -f "$dir/$name.pid" ]; then
            kill "$(cat "$dir/$name.pid")" 2>/dev/null || true
            rm -f "$dir/$name.pid"
        fi
    done
}

if [ "$action" = stop ]; then
    stop
    exit 0
fi

port=$3 nick=$4 member=$5
mkdir -p "$dir"
stop
cat >"$dir/ngircd.conf" <<CONF
[Global]
Name = irc.quorvane.test
Info = Quorvane test network
Listen = 127.0.0.1
Ports = $port
ServerUID = $(id -u)
PidFile = $dir/ngircd-own.pid
MotdPhrase = Quorvane test network
[Limits]
MaxConnectionsIP = 0
[Options]
PAM = no
DNS = no
Ident = no
CONF

setsid timeout "$lifetime" ngircd -n -f "$dir/ngircd.conf" >"$dir/ngircd.log" 2>&1 &
echo $! >"$dir/ngircd.pid"
for _ in $(seq 50); do
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
        break
    fi
    sleep 0.1
done

setsid timeout "$lifetime" "$member" "$port" "$nick" "$lifetime" >"$dir/member.log" 2>&1 &
echo $! >"$dir/member.pid"
for _ in $(seq 50); do
    if grep -q registered "$dir/member.log"; then
        echo "ngircd on 127.0.0.1:$port, $nick online"
        exit 0
    fi
    sleep 0.1
done
echo "the test IRC network did not come up:" >&2
cat "$dir/ngircd.log" "$dir/member.log" >&2
stop
exit 1
