#!/usr/bin/env bash
# The test IRC network: a real ngircd on a loopback port with a generated
# configuration, and one member registered under the nick that must read
# online. Both end by themselves after a while, and "stop" ends them sooner.
#
#   ngircd-fixture.sh start DIR PORT NICK IRCMEMBER
#   ngircd-fixture.sh stop DIR
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/fixture-common.sh"
action=$1 dir=$2

stop() {
    fixture_stop "$dir/member.pid" "$dir/ngircd.pid"
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

fixture_start "$dir/ngircd.pid" ngircd -n -f "$dir/ngircd.conf" >"$dir/ngircd.log" 2>&1
fixture_wait 50 fixture_listens "$port" || true

fixture_start "$dir/member.pid" "$member" "$port" "$nick" "$fixture_lifetime" >"$dir/member.log" 2>&1
if fixture_wait 50 grep -q registered "$dir/member.log"; then
    echo "ngircd on 127.0.0.1:$port, $nick online"
    exit 0
fi
echo "the test IRC network did not come up:" >&2
cat "$dir/ngircd.log" "$dir/member.log" >&2
stop
exit 1
