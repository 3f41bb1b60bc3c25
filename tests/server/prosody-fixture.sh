#!/usr/bin/env bash
# The test Jabber server: a real Prosody on a loopback port, TLS required
# with a certificate of its own CA (DIR/ca.crt), SCRAM, no server-to-server,
# no HTTP; the accounts quorvane (password in DIR/credentials/xmpp-password),
# alice, bob and carol. A second domain, crowd.test, is a component on
# PORT+1 (secret in DIR/component-secret): a stranger's server of its own,
# which may speak for any number of its people. It ends by itself after a
# while; "stop" ends it sooner, "restart" keeps its data (rosters) where
# "start" begins afresh.
#
#   prosody-fixture.sh start|restart DIR PORT
#   prosody-fixture.sh stop DIR
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/fixture-common.sh"
action=$1 dir=$2
domain=quorvane.test

stop() {
    fixture_stop "$dir/prosody.pid"
}

if [ "$action" = stop ]; then
    stop
    exit 0
fi

port=$3
stop
if [ "$action" = start ]; then
    rm -rf "$dir"
fi
mkdir -p "$dir/data"

if [ ! -f "$dir/ca.crt" ]; then
    openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -keyout "$dir/ca.key" -out "$dir/ca.crt" \
        -subj "/CN=Quorvane test CA" -addext basicConstraints=critical,CA:TRUE 2>/dev/null
    openssl req -newkey rsa:2048 -nodes -keyout "$dir/$domain.key" -out "$dir/$domain.csr" \
        -subj "/CN=$domain" 2>/dev/null
    printf 'subjectAltName=DNS:%s\nextendedKeyUsage=serverAuth\n' "$domain" >"$dir/ext.cnf"
    openssl x509 -req -in "$dir/$domain.csr" -CA "$dir/ca.crt" -CAkey "$dir/ca.key" -CAcreateserial \
        -days 3650 -extfile "$dir/ext.cnf" -out "$dir/$domain.crt" 2>/dev/null
fi

cat >"$dir/prosody.cfg.lua" <<CONF
-- The Quorvane tests' Jabber server: loopback only.
run_as_root = true
daemonize = false
pidfile = "$dir/prosody-own.pid"
data_path = "$dir/data"
log = { { levels = { min = "info" }, to = "file", filename = "$dir/prosody.log" } }
interfaces = { "127.0.0.1" }
c2s_ports = { $port }
s2s_ports = {}
modules_enabled = { "roster", "saslauth", "tls", "disco", "ping", "posix" }
modules_disabled = { "s2s", "http", "admin_telnet", "admin_shell", "offline" }
c2s_require_encryption = true
authentication = "internal_hashed"
certificates = "$dir"
ssl = { certificate = "$dir/$domain.crt", key = "$dir/$domain.key" }
component_interfaces = { "127.0.0.1" }
component_ports = { $((port + 1)) }
VirtualHost "$domain"
Component "crowd.test"
    component_secret = "crowd-test-secret"
CONF
printf '%s' crowd-test-secret >"$dir/component-secret"

if [ "$action" = start ]; then
    for account in quorvane alice bob carol; do
        prosodyctl --config "$dir/prosody.cfg.lua" register "$account" "$domain" "$account-test-password" \
            >>"$dir/prosodyctl.log" 2>&1
    done
    mkdir -p "$dir/credentials"
    printf '%s\n' quorvane-test-password >"$dir/credentials/xmpp-password"
    chmod 600 "$dir/credentials/xmpp-password"
fi

fixture_start "$dir/prosody.pid" prosody --config "$dir/prosody.cfg.lua" -F >"$dir/stdout.log" 2>&1
if fixture_wait 100 fixture_listens "$port" && fixture_wait 50 fixture_listens $((port + 1)); then
    exit 0
fi
echo "the test Jabber server did not come up:" >&2
cat "$dir/stdout.log" "$dir/prosody.log" >&2 2>/dev/null || true
stop
exit 1
