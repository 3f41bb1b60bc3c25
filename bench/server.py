#!/usr/bin/env python3
"""The status server benchmark (run by bench/server.sh): every process on loopback, stopped by pid."""
import asyncio, json, os, re, socket, subprocess, sys, tempfile, threading, time

server_bin, floor_bin, socket_bin, mhd_bin, picture, out = sys.argv[1:7]
tmp = tempfile.mkdtemp(prefix="qv-bench-")
IRC, PROXY, STATUS, XMPP_HTTP, FLOOR = 26690, 26691, 26692, 26693, 26695
STORE, INSTANCES, BALANCER, STATIC, SOCKETS, MHD = 26696, (26697, 26698, 26699), 26700, 26701, 26702, 26703
procs = []

def start(args, **kw):
    p = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=open(os.path.join(tmp, os.path.basename(args[0]) + ".log"), "w"), **kw)
    procs.append(p); return p

def wait_port(port, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        try: socket.create_connection(("127.0.0.1", port), 0.2).close(); return
        except OSError: time.sleep(0.1)
    raise SystemExit(f"nothing listens on {port}")

# ngircd with its flood control on (the default)
conf = os.path.join(tmp, "ngircd.conf")
open(conf, "w").write(f"""[Global]\nName = irc.bench.test\nInfo = bench\nListen = 127.0.0.1\nPorts = {IRC}\nServerUID = {os.getuid()}\nPidFile = {tmp}/ngircd.pid\n[Limits]\nMaxConnectionsIP = 0\n[Options]\nPAM = no\nDNS = no\nIdent = no\n""")
start(["ngircd", "-n", "-f", conf]); wait_port(IRC)

def member():  # the nick that reads online
    s = socket.create_connection(("127.0.0.1", IRC)); s.sendall(b"NICK Telmik\r\nUSER m 0 * :m\r\n"); buf = b""
    while True:
        data = s.recv(4096)
        if not data: return
        buf += data
        while b"\n" in buf:
            line, buf = buf.split(b"\n", 1)
            if line.startswith(b"PING"): s.sendall(b"PONG" + line[4:].rstrip() + b"\r\n")
threading.Thread(target=member, daemon=True).start()

# a counting relay between the status server and ngircd: connections, ISON lines, flood errors
stats = {"connections": 0, "ison": 0, "errors": []}
def relay():
    ls = socket.socket(); ls.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1); ls.bind(("127.0.0.1", PROXY)); ls.listen(8)
    while True:
        c, _ = ls.accept(); stats["connections"] += 1; u = socket.create_connection(("127.0.0.1", IRC))
        def pump(a, b, up):
            while True:
                d = a.recv(65536)
                if not d: b.close(); return
                if up: stats["ison"] += sum(1 for l in d.split(b"\n") if l.startswith(b"ISON "))
                elif b"ERROR" in d: stats["errors"].append(d[d.find(b"ERROR"):][:120].decode(errors="replace"))
                b.sendall(d)
        threading.Thread(target=pump, args=(c, u, True), daemon=True).start()
        threading.Thread(target=pump, args=(u, c, False), daemon=True).start()
threading.Thread(target=relay, daemon=True).start(); time.sleep(0.5)

srv = start([server_bin, "--status-port", str(STATUS), "--web-port", "0", "--allow-network", "127.0.0.0/8", "--irc-ports", str(PROXY)])
wait_port(STATUS)

# Prosody with mod_webpresence, loopback only
pconf = os.path.join(tmp, "prosody.cfg.lua")
open(pconf, "w").write(f"""run_as_root = true\ndaemonize = false\npidfile = "{tmp}/prosody.pid"\ndata_path = "{tmp}"\nlog = {{ error = "{tmp}/prosody.err" }}\nmodules_enabled = {{ "http", "webpresence" }}\nhttp_ports = {{ {XMPP_HTTP} }}\nhttp_interfaces = {{ "127.0.0.1" }}\nc2s_ports = {{ 26694 }}\nc2s_interfaces = {{ "127.0.0.1" }}\ns2s_ports = {{ }}\nVirtualHost "localhost"\n""")
subprocess.run(["prosodyctl", "--config", pconf, "register", "bench", "localhost", "benchpass"], check=False, capture_output=True)
start(["prosody", "--config", pconf]); wait_port(XMPP_HTTP)

def wrk(url, *headers):
    args = ["wrk", "-t2", "-c32", "-d10s", "--latency"] + sum((["-H", h] for h in headers), []) + [url]
    text = subprocess.run(args, capture_output=True, text=True).stdout
    def ms(p):
        m = re.search(rf"^\s+{p}%\s+([\d.]+)(us|ms|s)", text, re.M); v = float(m.group(1))
        return v / 1000 if m.group(2) == "us" else v * 1000 if m.group(2) == "s" else v
    rps = float(re.search(r"Requests/sec:\s+([\d.]+)", text).group(1))
    non2xx = re.search(r"Non-2xx or 3xx responses: (\d+)", text)
    return {"rps": rps, "p50": ms("50"), "p99": ms("99"), "non2xx": int(non2xx.group(1)) if non2xx else 0}

def rss(pid):
    for line in open(f"/proc/{pid}/status"):
        if line.startswith("VmRSS:"): return int(line.split()[1]) / 1024

# Qt's HTTP server alone, one route answering the same bytes: the floor of any server made on it
floor = start([floor_bin, str(FLOOR), picture]); wait_port(FLOOR)
# Qt's sockets alone, no HTTP parsing: the ceiling of any HTTP layer on them in one thread
sockets = start([socket_bin, str(SOCKETS), picture]); wait_port(SOCKETS)
# The candidate HTTP layer for the hot path: libmicrohttpd in the server's loop, one route
mhd = start([mhd_bin, str(MHD), picture]); wait_port(MHD)

cached_url = f"http://127.0.0.1:{STATUS}/irc/Telmik@127.0.0.1:{PROXY}"
import urllib.request
assert urllib.request.urlopen(cached_url + "?format=text", timeout=15).read() == b"online\n"
prosody_pid = int(open(f"{tmp}/prosody.pid").read())

# The anchor: nginx serving the picture's exact bytes as a static file, as a site would serve a
# picture of its own (one worker per core, keep-alive for as long as the client keeps the
# connection, no access log).
picture_bytes = urllib.request.urlopen(cached_url, timeout=15).read()
www = tempfile.mkdtemp(prefix="qv-bench-www-")  # readable by nginx's workers, which drop root
os.chmod(www, 0o755); os.makedirs(f"{www}/irc")
open(f"{www}/irc/Telmik", "wb").write(picture_bytes)
static_conf = os.path.join(tmp, "nginx-static.conf")
open(static_conf, "w").write(f"""daemon on; worker_processes 2; pid {tmp}/nginx-static.pid; error_log {tmp}/nginx-static.err;
events {{ worker_connections 1024; }}
http {{ access_log off; keepalive_requests 10000000; keepalive_timeout 75s; default_type image/png;
client_body_temp_path {tmp}/nb; proxy_temp_path {tmp}/np; fastcgi_temp_path {tmp}/nf; uwsgi_temp_path {tmp}/nu;
scgi_temp_path {tmp}/ns; server {{ listen 127.0.0.1:{STATIC}; root {www}; }} }}""")
subprocess.run(["nginx", "-p", tmp, "-c", static_conf], check=True); wait_port(STATIC)
static_pid = int(open(f"{tmp}/nginx-static.pid").read())
static_url = f"http://127.0.0.1:{STATIC}/irc/Telmik"
assert urllib.request.urlopen(static_url, timeout=5).read() == picture_bytes
def tree_rss(parent):  # nginx's master and its workers
    children = [int(pid) for pid in os.listdir("/proc") if pid.isdigit() and os.path.exists(f"/proc/{pid}/stat")
                and open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()[1] == str(parent)]
    return rss(parent) + sum(rss(child) for child in children)

# Three rounds, the servers in turn, and each one's median round: wrk and the server share two
# cores, so one 10 s run of either can be off by a third.
rounds = {"ours": [], "nginx": [], "qt": [], "sockets": [], "mhd": [], "prosody": []}
load_before = " ".join(open("/proc/loadavg").read().split()[:3])
for _ in range(3):
    rounds["ours"].append(wrk(cached_url))
    rounds["nginx"].append(wrk(static_url))
    rounds["qt"].append(wrk(f"http://127.0.0.1:{FLOOR}/irc/Telmik"))
    rounds["sockets"].append(wrk(f"http://127.0.0.1:{SOCKETS}/irc/Telmik"))
    rounds["mhd"].append(wrk(f"http://127.0.0.1:{MHD}/irc/Telmik"))
    rounds["prosody"].append(wrk(f"http://127.0.0.1:{XMPP_HTTP}/status/bench", "Host: localhost"))
load_after = " ".join(open("/proc/loadavg").read().split()[:3])
median = lambda runs: sorted(runs, key=lambda run: run["rps"])[len(runs) // 2]
ours, static, qt, raw, lib, anchor = (median(rounds[name]) for name in ("ours", "nginx", "qt", "sockets", "mhd", "prosody"))
ours["rss"], static["rss"], qt["rss"], anchor["rss"] = rss(srv.pid), tree_rss(static_pid), rss(floor.pid), rss(prosody_pid)
raw["rss"], lib["rss"] = rss(sockets.pid), rss(mhd.pid)
os.kill(static_pid, 15)
# Each round's ratio to nginx's round just after it, under the same load.
round_ratios = [o["rps"] / n["rps"] for o, n in zip(rounds["ours"], rounds["nginx"])]
spread = lambda name: f"{min(r['rps'] for r in rounds[name]):,.0f}–{max(r['rps'] for r in rounds[name]):,.0f}"

async def answer(reader):
    head = await reader.readuntil(b"\r\n\r\n")
    length = int(re.search(rb"content-length:\s*(\d+)", head, re.I).group(1))
    return json.loads(await reader.readexactly(length))

async def uncached(nicks, clients):
    """Every nick asked at once: each client (its own address) opens its connection, and when all
    are open sends its share without waiting (pipelined), then reads the answers, which come in order."""
    results = {}
    connections = await asyncio.gather(*(asyncio.open_connection("127.0.0.1", STATUS, local_addr=(f"127.0.0.{2 + i}", 0))
                                         for i in range(clients)))
    t0 = time.monotonic()
    async def client(i, reader, writer):
        mine = nicks[i::clients]
        writer.write(b"".join(f"GET /irc/{nick}@127.0.0.1:{PROXY}?format=json HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n".encode()
                              for nick in mine))
        await writer.drain()
        for nick in mine:
            got = await answer(reader)
            results[nick] = (got["status"], got["reason"], time.monotonic() - t0)
        writer.close()
    await asyncio.gather(*(client(i, reader, writer) for i, (reader, writer) in enumerate(connections)))
    return results

def letters(i, n=4):  # a nick of letters only: "q" and four more
    word = ""
    for _ in range(n): word, i = chr(ord("a") + i % 26) + word, i // 26
    return "q" + word

nicks = [letters(i) for i in range(1000)]
def summary(results):
    kinds = {}
    for status, reason, t in results.values():
        if t > 10.0 and status != "unknown": status, reason = "unknown", "past the bound"
        k = status if status != "unknown" else f"unknown ({reason})"; kinds[k] = kinds.get(k, 0) + 1
    return kinds, max(t for *_, t in results.values())
first = asyncio.run(uncached(nicks, 250)); time.sleep(0.5)
isons, conns = stats["ison"], stats["connections"]
second = asyncio.run(uncached(nicks, 250))
isons2, conns2 = stats["ison"] - isons, stats["connections"]
k1, last1 = summary(first); k2, last2 = summary(second)
busy_after = max((t for status, reason, t in first.values() if reason == "busy"), default=0)
# 41 new nicks at once on the network, quiet again (no line for a while)
time.sleep(3)
before = stats["ison"]
few = asyncio.run(uncached([letters(5000 + i) for i in range(41)], 41))
few_lines = stats["ison"] - before
kf, lastf = summary(few)
final_rss = rss(srv.pid)
flood_errors = len(stats["errors"])  # before the server leaves: its QUIT is answered with an ERROR line
# A cluster: redis-server, three instances sharing it, nginx in front (plain HTTP/1.1 with keep-alive
# to the instances, as the example site file has it)
start(["redis-server", "--bind", "127.0.0.1", "--port", str(STORE), "--save", "", "--appendonly", "no", "--dir", tmp])
wait_port(STORE)
instances = [start([server_bin, "--status-port", str(port), "--web-port", "0", "--allow-network", "127.0.0.0/8",
                    "--irc-ports", str(PROXY), "--redis", f"redis://127.0.0.1:{STORE}/0", "--trusted-proxy", "127.0.0.1/32",
                    "--instance", f"bench{port}"]) for port in INSTANCES]
for port in INSTANCES: wait_port(port)
def balancer(name, ports):
    conf = os.path.join(tmp, f"nginx-{name}.conf")
    upstream = "".join(f"server 127.0.0.1:{p};" for p in ports)
    open(conf, "w").write(f"""daemon on; worker_processes 1; pid {tmp}/nginx-{name}.pid; error_log {tmp}/nginx-{name}.err;
events {{ worker_connections 1024; }}
http {{ access_log off; client_body_temp_path {tmp}/nb; proxy_temp_path {tmp}/np; fastcgi_temp_path {tmp}/nf;
uwsgi_temp_path {tmp}/nu; scgi_temp_path {tmp}/ns;
upstream quorvane {{ {upstream} keepalive 32; }}
server {{ listen 127.0.0.1:{BALANCER}; location / {{ proxy_pass http://quorvane; proxy_http_version 1.1;
proxy_set_header Connection ""; proxy_set_header X-Forwarded-For $proxy_add_x_forwarded_for; }} }} }}""")
    subprocess.run(["nginx", "-p", tmp, "-c", conf], check=True); wait_port(BALANCER)
    return int(open(f"{tmp}/nginx-{name}.pid").read())
time.sleep(1)  # the instances join the store
path = f"/irc/Telmik@127.0.0.1:{PROXY}"
assert urllib.request.urlopen(f"http://127.0.0.1:{INSTANCES[0]}{path}?format=text", timeout=15).read() == b"online\n"
nginx_pid = balancer("three", INSTANCES)
cluster = wrk(f"http://127.0.0.1:{BALANCER}{path}")
os.kill(nginx_pid, 15); time.sleep(0.5)
nginx_pid = balancer("one", INSTANCES[:1])
single = wrk(f"http://127.0.0.1:{BALANCER}{path}")
os.kill(nginx_pid, 15)

# What a hit costs an instance: one nick asked again and again (near, in the instance) against a
# new nick each time whose answer another instance put in the store (shared: one GET). The store is
# filled beforehand as the instances fill it; one connection, so that the latency is the cost.
hits = 200_000
filler = subprocess.Popen(["redis-cli", "-p", str(STORE), "--pipe"], stdin=subprocess.PIPE, stdout=subprocess.DEVNULL)
# (the cluster's key and encoding: server/cluster/clusterprotocol.cpp)
filler.communicate("".join(f"SET quorvane:v2:presence:irc:127.0.0.1:{PROXY}:s{i} offline PX 600000\r\n"
                           for i in range(hits)).encode())
script = os.path.join(tmp, "shared.lua")
open(script, "w").write(f"""n = 0\nrequest = function() n = n + 1; return wrk.format("GET", "/irc/s" .. (n % {hits}) .. "@127.0.0.1:{PROXY}?format=text") end\n""")
def one_connection(url, *extra):
    text = subprocess.run(["wrk", "-t1", "-c1", "-d5s", "--latency", *extra, url], capture_output=True, text=True).stdout
    m = re.search(r"^\s+50%\s+([\d.]+)(us|ms)", text, re.M)
    p50 = float(m.group(1)) * (1000 if m.group(2) == "ms" else 1)
    return p50, float(re.search(r"Requests/sec:\s+([\d.]+)", text).group(1))
metrics = lambda port: urllib.request.urlopen(f"http://127.0.0.1:{port}/metrics", timeout=5).read().decode()
shared_before = int(re.search(r'cache="shared"} (\d+)', metrics(INSTANCES[1])).group(1))
near_p50, near_rps = one_connection(f"http://127.0.0.1:{INSTANCES[1]}{path}?format=text")
shared_p50, shared_rps = one_connection(f"http://127.0.0.1:{INSTANCES[1]}/", "-s", script)
shared_hits = int(re.search(r'cache="shared"} (\d+)', metrics(INSTANCES[1])).group(1)) - shared_before

for p in procs: p.terminate()
os.kill(prosody_pid, 15) if os.path.exists(f"/proc/{prosody_pid}") else None
for p in procs:
    try: p.wait(5)
    except subprocess.TimeoutExpired: p.kill()

answered = sum(v for k, v in k1.items() if k in ("online", "offline"))
table = f"""## Status server (bench/server.sh, {time.strftime('%Y-%m-%d')}, wrk -t2 -c32 -d10s, one 2-core machine)

Cached rows: the median of three rounds, the six servers in turn (requests/s of the three: ours {spread('ours')}, nginx {spread('nginx')}, Qt alone {spread('qt')}, Qt's sockets alone {spread('sockets')}, libmicrohttpd {spread('mhd')}, Prosody {spread('prosody')}; ours / nginx round by round: {', '.join(f'{r:.2f}' for r in round_ratios)}). Load average (1, 5, 15 min) before: {load_before}, after: {load_after}. The picture is {len(picture_bytes)} bytes.

| cached status picture | quorvane-server | nginx, the same bytes as a static file (anchor) | ratio | target | Qt HTTP server alone, one route (floor) | Qt's sockets alone, no HTTP parsing (ceiling) | libmicrohttpd in the server's loop, one route (candidate) | Prosody mod_webpresence |
|---|---|---|---|---|---|---|---|---|
| requests/s | {ours['rps']:,.0f} | {static['rps']:,.0f} | {ours['rps'] / static['rps']:.2f} × | ≥ 1.0 × | {qt['rps']:,.0f} ({qt['rps'] / static['rps']:.2f} ×) | {raw['rps']:,.0f} ({raw['rps'] / static['rps']:.2f} ×) | {lib['rps']:,.0f} ({lib['rps'] / static['rps']:.2f} ×) | {anchor['rps']:,.0f} |
| p50 latency | {ours['p50']:.2f} ms | {static['p50']:.2f} ms | | | {qt['p50']:.2f} ms | {raw['p50']:.2f} ms | {lib['p50']:.2f} ms | {anchor['p50']:.2f} ms |
| p99 latency | {ours['p99']:.2f} ms | {static['p99']:.2f} ms | | ≤ 2 ms | {qt['p99']:.2f} ms | {raw['p99']:.2f} ms | {lib['p99']:.2f} ms | {anchor['p99']:.2f} ms |
| resident memory at the end | {ours['rss']:.1f} MiB | {static['rss']:.1f} MiB (master and 2 workers) | | ≤ 32 MiB | {qt['rss']:.1f} MiB | {raw['rss']:.1f} MiB | {lib['rss']:.1f} MiB | {anchor['rss']:.1f} MiB |
| non-2xx answers | {ours['non2xx']} | {static['non2xx']} | | | {qt['non2xx']} | {raw['non2xx']} | {lib['non2xx']} | {anchor['non2xx']} |

| 1,000 distinct 5-letter nicks at once from 250 client addresses, one ngircd network (flood control on) | first time | again |
|---|---|---|
| answers | {', '.join(f'{v} {k}' for k, v in sorted(k1.items()))} | {', '.join(f'{v} {k}' for k, v in sorted(k2.items()))} |
| answered online or offline | {answered} (target ≥ 600 within the 10 s bound) | |
| last answer after | {last1 * 1000:.0f} ms | {last2 * 1000:.0f} ms |
| last "busy" after | {busy_after * 1000:.0f} ms | |
| IRC connections | {conns} | {conns2} |
| ISON lines | {isons} (one per {answered / max(isons, 1):.0f} nicks answered) | {isons2} |
| disconnects for flooding | {flood_errors} | |

| 41 new nicks at once at a quiet network | |
|---|---|
| answers | {', '.join(f'{v} {k}' for k, v in sorted(kf.items()))} |
| ISON lines | {few_lines} (target ≤ 2) |
| last answer after | {lastf * 1000:.0f} ms |

Server resident memory after both rounds: {final_rss:.1f} MiB.

| cached status picture through nginx (wrk -t2 -c32 -d10s) | requests/s | p50 | p99 |
|---|---|---|---|
| one instance alone, no balancer (above) | {ours['rps']:,.0f} | {ours['p50']:.2f} ms | {ours['p99']:.2f} ms |
| nginx → one instance | {single['rps']:,.0f} | {single['p50']:.2f} ms | {single['p99']:.2f} ms |
| nginx → three instances sharing one Redis | {cluster['rps']:,.0f} | {cluster['p50']:.2f} ms | {cluster['p99']:.2f} ms |

| a cache hit in an instance of the cluster (one connection, wrk -t1 -c1 -d5s) | p50 latency | requests/s |
|---|---|---|
| near: the instance's own memory | {near_p50:.0f} µs | {near_rps:,.0f} |
| shared: one GET to Redis ({shared_hits:,} hits, each a new nick) | {shared_p50:.0f} µs | {shared_rps:,.0f} |
"""
print(table)
old = open(out).read() if os.path.exists(out) else ""
old = re.sub(r"## Status server \(bench/server\.sh.*?(?=\n## |\Z)", "", old, flags=re.S).rstrip()
open(out, "w").write((old + "\n\n" if old else "") + table)
