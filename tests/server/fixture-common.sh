# What the test servers' fixture scripts share (sourced, not run): each
# server runs in a session of its own, ended after a lifetime longer than
# every test that uses it, its pid in a file; "stop" ends the whole session
# and waits until it has gone, so that a start right after finds the port free.

fixture_lifetime=900 # seconds

# fixture_start PIDFILE COMMAND...: starts the command in the background.
fixture_start() {
    local pidfile=$1
    shift
    setsid timeout "$fixture_lifetime" "$@" &
    echo $! >"$pidfile"
}

# fixture_stop PIDFILE...: ends each session and waits (5 s at most) for it.
fixture_stop() {
    local pidfile pid
    for pidfile; do
        [ -f "$pidfile" ] || continue
        pid=$(cat "$pidfile")
        kill -- "-$pid" 2>/dev/null || true
        for _ in $(seq 50); do
            kill -0 -- "-$pid" 2>/dev/null || break
            sleep 0.1
        done
        rm -f "$pidfile"
    done
}

# fixture_wait TENTHS COMMAND...: whether the command succeeds within that many tenths of a second.
fixture_wait() {
    local tenths=$1
    shift
    for _ in $(seq "$tenths"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# fixture_listens PORT: whether something accepts connections on the loopback port.
fixture_listens() {
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}
