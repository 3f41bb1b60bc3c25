#!/usr/bin/env python3
"""The front door's benchmark (run by bench/door.sh): the status server's cached answers against
nginx serving the same bytes as static files, each in turn, rounds and medians, every process on
loopback. Rates and latencies from wrk -t2 -c32 (the 304s from h2load, whose parser reads a 304's
length as HTTP says: wrk's waits for a body after it); CPU time per answer from the processes' own
counters (/proc/PID/stat), which a machine where the client and loopback cap both servers does not
squeeze towards 1."""
import os, re, socket, subprocess, sys, tempfile, time, urllib.request

server_bin, out = sys.argv[1:3]
rounds, seconds = int(os.environ.get("QUORVANE_BENCH_ROUNDS", "5")), int(os.environ.get("QUORVANE_BENCH_SECONDS", "5"))
tmp = tempfile.mkdtemp(prefix="qv-door-")
STATUS, NGINX = 26710, 26711
tick = os.sysconf("SC_CLK_TCK")

def wait_port(port):
    for _ in range(100):
        try: socket.create_connection(("127.0.0.1", port), 0.2).close(); return
        except OSError: time.sleep(0.1)
    raise SystemExit(f"nothing listens on {port}")

def children(parent):
    return [int(p) for p in os.listdir("/proc") if p.isdigit() and os.path.exists(f"/proc/{p}/stat")
            and open(f"/proc/{p}/stat").read().rsplit(")", 1)[1].split()[1] == str(parent)]

def cpu_seconds(pids):
    total = 0
    for pid in pids:
        fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
        total += int(fields[11]) + int(fields[12])  # utime, stime
    return total / tick

def rss_mib(pid):
    for line in open(f"/proc/{pid}/status"):
        if line.startswith("VmRSS:"): return int(line.split()[1]) / 1024

def wrk(url, header=None):
    args = ["wrk", "-t2", "-c32", f"-d{seconds}s", "--latency"] + (["-H", header] if header else []) + [url]
    text = subprocess.run(args, capture_output=True, text=True).stdout
    if "Non-2xx" in text: raise SystemExit("errors:\n" + text)
    m = re.search(r"^\s+99%\s+([\d.]+)(us|ms|s)", text, re.M)
    p99 = float(m.group(1)) * {"us": 0.001, "ms": 1, "s": 1000}[m.group(2)]
    requests = int(re.search(r"(\d+) requests in", text).group(1))
    return {"rps": float(re.search(r"Requests/sec:\s+([\d.]+)", text).group(1)), "p99": p99, "requests": requests}

def h2load(url, header=None):
    args = ["h2load", "--h1", "-t2", "-c32", "-D", str(seconds)] + (["-H", header] if header else []) + [url]
    text = subprocess.run(args, capture_output=True, text=True).stdout
    done = int(re.search(r"requests: \d+ total, \d+ started, (\d+) done", text).group(1))
    codes = re.search(r"status codes: (\d+) 2xx, (\d+) 3xx", text)
    if int(codes.group(1)) + int(codes.group(2)) != done: raise SystemExit("errors:\n" + text)
    return {"rps": float(re.search(r"finished in [\d.]+m?s, ([\d.]+) req/s", text).group(1)), "p99": None, "requests": done}

def measured(tool, url, pids, header=None):
    pids = pids() if callable(pids) else pids
    before = cpu_seconds(pids)
    run = tool(url, header)
    run["cpu_us"] = (cpu_seconds(pids) - before) / run["requests"] * 1e6
    return run

server = subprocess.Popen([server_bin, "--status-port", str(STATUS), "--web-port", "0"],
                          stderr=open(os.path.join(tmp, "server.log"), "w"))
wait_port(STATUS)
base = f"http://127.0.0.1:{STATUS}/msn/bob@hotmail.com"
picture = urllib.request.urlopen(base + "?format=png").read()
badge = urllib.request.urlopen(base + "?format=svg").read()
tag = urllib.request.urlopen(base + "?format=png").headers["ETag"]
badge_tag = urllib.request.urlopen(base + "?format=svg").headers["ETag"]

# nginx at its best for static files: two workers, open-file cache on, no access log.
www = os.path.join(tmp, "www"); os.makedirs(www)
open(os.path.join(www, "picture.png"), "wb").write(picture)
open(os.path.join(www, "badge.svg"), "wb").write(badge)
os.chmod(tmp, 0o755); os.chmod(www, 0o755)
for name in os.listdir(www): os.chmod(os.path.join(www, name), 0o644)
conf = os.path.join(tmp, "nginx.conf")
open(conf, "w").write(f"""daemon on; worker_processes 2; pid {tmp}/nginx.pid; error_log {tmp}/nginx.err;
events {{ worker_connections 1024; }}
http {{ access_log off; keepalive_requests 10000000; keepalive_timeout 75s; types {{ image/png png; image/svg+xml svg; }}
open_file_cache max=1000 inactive=60s; open_file_cache_valid 60s; open_file_cache_errors on;
client_body_temp_path {tmp}/nb; proxy_temp_path {tmp}/np; fastcgi_temp_path {tmp}/nf; uwsgi_temp_path {tmp}/nu;
scgi_temp_path {tmp}/ns; server {{ listen 127.0.0.1:{NGINX}; root {www}; }} }}""")
subprocess.run(["nginx", "-p", tmp, "-c", conf], check=True); wait_port(NGINX)
nginx_master = int(open(f"{tmp}/nginx.pid").read())
assert urllib.request.urlopen(f"http://127.0.0.1:{NGINX}/picture.png").read() == picture
nginx_pids = lambda: [nginx_master] + children(nginx_master)  # its workers, once they run
try:
    rows = {
        "picture": lambda: measured(wrk, base + "?format=png", [server.pid]),
        "nginx": lambda: measured(wrk, f"http://127.0.0.1:{NGINX}/picture.png", nginx_pids),
        "badge": lambda: measured(wrk, base + "?format=svg", [server.pid]),
        "picture_h2": lambda: measured(h2load, base + "?format=png", [server.pid]),
        "picture_304": lambda: measured(h2load, base + "?format=png", [server.pid], "If-None-Match: " + tag),
        "badge_304": lambda: measured(h2load, base + "?format=svg", [server.pid], "If-None-Match: " + badge_tag),
    }
    results = {name: [] for name in rows}
    load_before = " ".join(open("/proc/loadavg").read().split()[:3])
    for _ in range(rounds):
        for name, run in rows.items():
            results[name].append(run())
    load_after = " ".join(open("/proc/loadavg").read().split()[:3])
    server_rss = rss_mib(server.pid)
    nginx_rss = sum(rss_mib(pid) for pid in nginx_pids())
finally:
    os.kill(nginx_master, 15); server.terminate()

median = lambda runs: sorted(runs, key=lambda run: run["rps"])[len(runs) // 2]
m = {name: median(runs) for name, runs in results.items()}
ratios = [o["rps"] / n["rps"] for o, n in zip(results["picture"], results["nginx"])]
spread = lambda name: "/".join(f"{r['rps']:,.0f}" for r in results[name])
p99 = lambda run: f"{run['p99']:.2f} ms" if run["p99"] is not None else "—"
met = lambda ok: "yes" if ok else "**no**"
cpu_ratio = m["picture"]["cpu_us"] / m["nginx"]["cpu_us"]
table = f"""## The front door (bench/door.sh, {time.strftime('%Y-%m-%d', time.gmtime())}, {rounds} rounds of {seconds} s, one 2-core machine)

One closed-network account, answered from the status server's kept answers; nginx (2 workers, open-file cache on) serves the same bytes as static files. Each row is the median round; the rounds ran in turn (requests/s of each in brackets). Load average (1, 5, 15 min) before: {load_before}, after: {load_after}. CPU per answer: the processes' own user and system time over the answers they gave.

| answer | requests/s | p99 | CPU per answer | against | target | met? |
|---|---|---|---|---|---|---|
| cached status picture ({len(picture)} bytes), wrk | {m['picture']['rps']:,.0f} ({spread('picture')}) | {p99(m['picture'])} | {m['picture']['cpu_us']:.1f} µs | nginx: {m['picture']['rps'] / m['nginx']['rps']:.2f} × its rate (rounds: {', '.join(f'{r:.2f}' for r in ratios)}), {cpu_ratio:.2f} × its CPU | ≥ 1.0 × the rate, p99 ≤ 2 ms, CPU ≤ 1.0 × | {met(m['picture']['rps'] >= m['nginx']['rps'])}, {met(m['picture']['p99'] <= 2)}, {met(cpu_ratio <= 1.0)} |
| nginx, the same bytes, wrk | {m['nginx']['rps']:,.0f} ({spread('nginx')}) | {p99(m['nginx'])} | {m['nginx']['cpu_us']:.1f} µs | (anchor) | | |
| status badge ({len(badge)} bytes), wrk | {m['badge']['rps']:,.0f} ({spread('badge')}) | {p99(m['badge'])} | {m['badge']['cpu_us']:.1f} µs | the picture: {m['badge']['rps'] / m['picture']['rps']:.2f} × | ≥ 0.90 × | {met(m['badge']['rps'] >= 0.9 * m['picture']['rps'])} |
| picture, 200, h2load | {m['picture_h2']['rps']:,.0f} ({spread('picture_h2')}) | — | {m['picture_h2']['cpu_us']:.1f} µs | (anchor of the 304) | | |
| badge, 304 Not Modified, h2load | {m['badge_304']['rps']:,.0f} ({spread('badge_304')}) | — | {m['badge_304']['cpu_us']:.1f} µs | the picture's 200: {m['badge_304']['rps'] / m['picture_h2']['rps']:.2f} × | ≥ 0.97 × (as fast, within 3 %) | {met(m["badge_304"]['rps'] >= 0.97 * m['picture_h2']['rps'])} |
| picture, 304 Not Modified, h2load | {m['picture_304']['rps']:,.0f} ({spread('picture_304')}) | — | {m['picture_304']['cpu_us']:.1f} µs | the 200: {m['picture_304']['rps'] / m['picture_h2']['rps']:.2f} × its rate, {m['picture_304']['cpu_us'] / m['picture_h2']['cpu_us']:.2f} × its CPU | ≥ 0.97 × (as fast, within 3 %) | {met(m["picture_304"]['rps'] >= 0.97 * m['picture_h2']['rps'])} |

Resident memory at the end: the status server {server_rss:.1f} MiB (target ≤ 32 MiB: {met(server_rss <= 32)}), nginx's master and workers {nginx_rss:.1f} MiB.
"""
text = open(out).read() if os.path.exists(out) else "# Status server benchmarks\n"
pattern = re.compile(r"## The front door \(bench/door\.sh.*?(?=\n## |\Z)", re.S)
text = pattern.sub(lambda _: table.rstrip("\n") + "\n", text) if pattern.search(text) else text.rstrip("\n") + "\n\n" + table
open(out, "w").write(text)
print(table)
