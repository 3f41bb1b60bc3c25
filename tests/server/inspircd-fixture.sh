#!/usr/bin/env bash
# The test IRC network that offers MONITOR, and pushes away changes of the
# nicks it monitors (extended-monitor, away-notify): a real InspIRCd on a loopback
# port with a generated configuration and a short monitor list, so that its
# limit is met in a test. It ends by itself after a while, and "stop" ends
# it sooner.
#
#   inspircd-fixture.sh start DIR PORT MONITOR_ENTRIES
#   inspircd-fixture.sh stop DIR
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/fixture-common.sh"
action=$1 dir=$2

stop() {
    fixture_stop "$dir/inspircd.pid"
}

if [ "$action" = stop ]; then
    stop
    exit 0
fi

port=$3 entries=$4
mkdir -p "$dir"
stop
echo "Quorvane test network" >"$dir/motd.txt"
cat >"$dir/inspircd.conf" <<CONF
<server name="irc.monitor.test" description="Quorvane test network with MONITOR" network="QuorvaneTest">
<admin name="test" nick="test" email="test@monitor.test">
<bind address="127.0.0.1" port="$port" type="clients">
<connect name="main" allow="*" timeout="60" pingfreq="120" threshold="10" commandrate="1000"
         fakelag="on" localmax="1000" globalmax="1000" useident="no" limit="5000" maxchans="20"
         resolvehostnames="no">
<pid file="$dir/inspircd-own.pid">
<files motd="$dir/motd.txt">
<limits maxnick="30">
<module name="cap">
<module name="ircv3">
<module name="monitor">
<monitor maxentries="$entries">
<log method="file" type="* -USERINPUT -USEROUTPUT" level="default" target="$dir/inspircd.log">
<dns server="127.0.0.1" timeout="1">
<security runasuser="" runasgroup="">
CONF

fixture_start "$dir/inspircd.pid" inspircd --nofork --runasroot --config "$dir/inspircd.conf" >"$dir/stdout.log" 2>&1
if fixture_wait 100 fixture_listens "$port"; then
    echo "inspircd on 127.0.0.1:$port, MONITOR=$entries"
    exit 0
fi
echo "the test IRC network with MONITOR did not come up:" >&2
cat "$dir/stdout.log" "$dir/inspircd.log" >&2 2>/dev/null || true
stop
exit 1
