#!/usr/bin/env python3
"""Start-up and memory benchmark: Quorvane against its anchors, the floor
program (one bare window with one web view) and the bare window program (one
bare Qt Widgets window), in turn on one Xvfb display, the web engines using a
loopback HTTP server of this script as proxy. bench/README.md says what is
measured and how, and which QUORVANE_BENCH_* variables add flags or
environment for one program."""

import argparse
import array
import base64
import http.server
import json
import os
import platform
import re
import signal
import statistics
import subprocess
import threading
import time

from Xlib import X, display as xdisplay, error as xerror
from Xlib.ext import xtest
from Xlib.protocol import event as xevent

# The targets, all here: (result key, metric, unit, the anchor measured in the
# same run, largest ratio Quorvane / anchor, in parentheses: the footprint
# only backs up the PSS row above it) ...
TARGETS = [
    ("map_s", "1. start → main window mapped", "s", "bare", 1.10, False),
    ("page_s", "2. start → start page requested", "s", "floor", 0.50, False),
    ("pss_start_mib", "3. PSS after start-up", "MiB", "floor", 0.70, False),
    ("pss_tour_mib", "4. PSS after all six windows (floor: same time)", "MiB", "floor", 1.05, False),
    ("footprint_start_mib", "3f. footprint after start-up", "MiB", "floor", 0.70, True),
    ("footprint_tour_mib", "4f. footprint after all six windows", "MiB", "floor", 1.05, True),
]
ANCHORS = {"bare": "bare window", "floor": "floor"}
LOOKUP_TARGET_S, LOOKUP_TOLERANCE_S = 1.1, 0.1  # ... and the Begin Lookup delay's

MAIN, FLOOR, BARE = r"^Quorvane - By Telmik/Brasko$", r"^Quorvane floor$", r"^Quorvane bare window$"
ICQ, IRC = r"^ICQ Quorvane - By Telmik/Brasko$", r"^IRC Quorvane - By Telmik/Brasko$"
ABOUT, HELP, ICONSETS = r"^About/Help $", r"^About/Help$", r"^Status Icon Sets$"
# Every window once, by clicks at client coordinates: (button, point, next window).
TOUR = [("ICQ", (140, 51), ICQ), ("Back", (40, 190), MAIN), ("IRC", (180, 51), IRC),
        ("Back", (40, 190), MAIN), ("About/Help", (50, 182), ABOUT), ("Help", (340, 200), HELP),
        ("Click Here.", (100, 262), ICONSETS), ("Close", (340, 20), HELP), ("OK", (245, 264), MAIN)]
TOUR_PAGES = ["/Msntv/msnexe2.html", "/Msntv/msnexe4.html", "/Msntv/statusexe2.html"]
START_PAGE, STATUS_REQUEST, BEGIN_LOOKUP = "/Msntv/msnexe6.html", ":6969/msn/", (40, 160)
PARK = (1010, 760)  # off every window of the 1024 x 768 screen
SETTLE, STEP_TIMEOUT, START_TIMEOUT, LOOKUPS = 3.0, 20.0, 60.0, 3  # seconds; lookups a run
PAGE_SIZE = os.sysconf("SC_PAGE_SIZE")


def log(text):
    print("[bench %s] %s" % (time.strftime("%H:%M:%S"), text), flush=True)


def title(display, window):
    """The window's _NET_WM_NAME, else its WM_NAME."""
    for atom in ("_NET_WM_NAME", "WM_NAME"):
        try:
            prop = window.get_full_property(display.intern_atom(atom), X.AnyPropertyType)
        except xerror.XError:
            return None  # gone meanwhile
        if prop is not None and prop.value:
            return prop.value.decode("utf-8", "replace") if isinstance(prop.value, bytes) else prop.value
    return None


class Screen:
    """An Xvfb display of its own. One connection only listens, in a thread of
    its own, for MapNotify / UnmapNotify / DestroyNotify of top-level windows
    on the root window, noting when each arrived and the window's name; the
    other clicks (XTEST) and closes windows."""

    def __init__(self, logdir):
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24",
                                      "-nolisten", "tcp"], pass_fds=(write,), stdout=subprocess.DEVNULL,
                                     stderr=open(os.path.join(logdir, "xvfb.log"), "w"))
        os.close(write)
        self.name = ":" + os.fdopen(read).readline().strip()
        if self.name == ":":
            raise RuntimeError("Xvfb did not start (see %s/xvfb.log)" % logdir)
        self.d = xdisplay.Display(self.name)
        self.root = self.d.screen().root
        if not self.d.has_extension("XTEST"):
            raise RuntimeError("the X server has no XTEST extension")
        self.windows, self.cond = {}, threading.Condition()  # id -> {mapped, first, last, name}
        listener = xdisplay.Display(self.name)
        listener.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)
        listener.sync()
        threading.Thread(target=self._listen, args=(listener,), daemon=True).start()

    def _listen(self, listener):
        root = listener.screen().root.id
        try:
            while True:
                e = listener.next_event()
                now = time.monotonic()
                if e.type not in (X.MapNotify, X.UnmapNotify, X.DestroyNotify) or e.event.id != root:
                    continue
                name = self.windows.get(e.window.id, {}).get("name")
                if e.type == X.MapNotify and not name:
                    name = title(listener, e.window)
                with self.cond:
                    if e.type == X.DestroyNotify:  # its id may come again, for another window
                        self.windows.pop(e.window.id, None)
                        continue
                    w = self.windows.setdefault(e.window.id, {"first": None})
                    w.update(mapped=e.type == X.MapNotify, name=name)
                    if w["mapped"]:
                        w["last"], w["first"] = now, w["first"] or now
                    self.cond.notify_all()
        except (xerror.ConnectionClosedError, OSError):
            pass  # Xvfb ended

    def wait_mapped(self, pattern, since, timeout):
        """(id, record) of a window titled /pattern/ mapped at or after since."""
        def found():
            return next(((wid, w) for wid, w in self.windows.items() if w["mapped"] and w["last"] >= since
                         and re.search(pattern, w["name"] or "")), None)
        with self.cond:
            mapped = self.cond.wait_for(found, timeout)
        if not mapped:
            raise TimeoutError("no window /%s/ mapped within %.0f s" % (pattern, timeout))
        return mapped

    def wait_unmapped(self, wid, timeout):
        with self.cond:
            if not self.cond.wait_for(lambda: not self.windows[wid]["mapped"], timeout):
                raise TimeoutError("window 0x%x stayed mapped" % wid)

    def pointer(self, x, y):
        xtest.fake_input(self.d, X.MotionNotify, x=x, y=y, root=self.root)
        self.d.sync()

    def click(self, wid, x, y):
        """Clicks button 1 at client point (x, y); returns the time just before
        the release was sent (the program cannot react earlier)."""
        origin = self.root.translate_coords(self.d.create_resource_object("window", wid), 0, 0)
        self.pointer(origin.x + x, origin.y + y)
        time.sleep(0.05)
        xtest.fake_input(self.d, X.ButtonPress, 1)
        self.d.sync()
        time.sleep(0.02)
        released = time.monotonic()
        xtest.fake_input(self.d, X.ButtonRelease, 1)
        self.d.sync()
        return released

    def close(self, wid):
        """WM_DELETE_WINDOW, as a window manager's close button sends it."""
        window = self.d.create_resource_object("window", wid)
        data = (32, [self.d.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])
        protocols = self.d.intern_atom("WM_PROTOCOLS")
        window.send_event(xevent.ClientMessage(window=window, client_type=protocols, data=data))
        self.d.sync()


REQUESTS, ARRIVED = [], threading.Condition()  # (arrival time, target) at the loopback server
PAGE = (b"<!DOCTYPE html><html><body style='margin:0;font:12px sans-serif'>"
        b"<p>Quorvane start page</p></body></html>")
PNG = base64.b64decode("iVBORw0KGgoAAAANSUhEUgAAABAAAAAQCAIAAACQkWg2AAAAFklEQVR4nGNQWKBAEmIY1TCqYfhqAAAX"
                       "KeABZ1hBfgAAAABJRU5ErkJggg==")


def requested(mark, text, timeout):
    """Arrival time of the first request since REQUESTS[mark] whose target contains text."""
    def first():
        return next((t for t, target in REQUESTS[mark:] if text in target), None)
    with ARRIVED:
        if not ARRIVED.wait_for(first, timeout):
            raise TimeoutError("no request for %r within %.0f s" % (text, timeout))
        return first()


class Server(http.server.BaseHTTPRequestHandler):
    """Notes every request and answers it: a small page for *.html, a 16 × 16
    PNG for anything else, 405 for CONNECT (nothing goes further)."""
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        with ARRIVED:
            REQUESTS.append((time.monotonic(), ("CONNECT " if self.command == "CONNECT" else "") + self.path))
            ARRIVED.notify_all()
        html = self.path.split("?")[0].endswith((".html", ".htm"))
        body = b"" if self.command == "CONNECT" else PAGE if html else PNG
        self.send_response(405 if self.command == "CONNECT" else 200)
        self.send_header("Content-Type", "text/html" if html else "image/png")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    do_HEAD = do_CONNECT = do_GET

    def log_message(self, *args):
        pass


def processes():
    """{pid: (ppid, name)} of every process."""
    table = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            stat = open("/proc/%s/stat" % pid).read()
        except OSError:
            continue
        name, rest = stat[stat.index("(") + 1:stat.rindex(")")], stat[stat.rindex(")") + 2:]
        table[int(pid)] = (int(rest.split()[1]), name)
    return table


def tree(root, table=None):
    table, found = table or processes(), [root]
    for pid in found:  # grows while it is walked, parents before children
        found += [child for child, (ppid, _) in table.items() if ppid == pid]
    return [pid for pid in found if pid in table]


def measure(root, point):
    """PSS (sum of smaps_rollup Pss:) and footprint (distinct resident page
    frames from pagemap; needs root) of the process tree, in MiB."""
    table, frames, per = processes(), set(), []
    pids = tree(root, table)
    for pid in pids:
        try:
            pss = int(re.search(r"^Pss:\s+(\d+)", open("/proc/%d/smaps_rollup" % pid).read(), re.M)[1])
            kind = re.search(rb"--type=([\w-]+)|$", open("/proc/%d/cmdline" % pid, "rb").read())[1]
            maps = re.findall(r"^([0-9a-f]+)-([0-9a-f]+) .*?^Rss:\s+(\d+)",
                              open("/proc/%d/smaps" % pid).read(), re.M | re.S)
            with open("/proc/%d/pagemap" % pid, "rb") as f:
                for start, end, rss in maps:
                    if rss != "0":
                        f.seek(int(start, 16) // PAGE_SIZE * 8)
                        pages = (int(end, 16) - int(start, 16)) // PAGE_SIZE
                        entries = array.array("Q", f.read(pages * 8))
                        frames.update(e & ((1 << 55) - 1) for e in entries if e >> 63)
        except (OSError, TypeError):
            continue  # ended meanwhile
        # A renderer keeps the command line of the zygote that forked it.
        per.append({"pid": pid, "ppid": table[pid][0], "type": (kind or b"browser").decode(), "pss_kib": pss})
    frames.discard(0)  # all zero without the capability
    foreign = sum(1 for pid, (_, name) in table.items() if name.startswith("QtWebEngine") and pid not in pids)
    return {"pss_%s_mib" % point: sum(p["pss_kib"] for p in per) / 1024, "processes_" + point: per,
            "footprint_%s_mib" % point: len(frames) * PAGE_SIZE / 2**20 if frames else None,
            "foreign_" + point: foreign}


def alive(pid):
    try:
        return "Zombie" not in open("/proc/%d/status" % pid).read()
    except OSError:
        return False


def end(proc, pids, timeout):
    """Waits for the program to end, then kills by id what is left of its tree."""
    try:
        proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        log("program %d did not end in %.0f s: killing it" % (proc.pid, timeout))
        proc.kill()
        proc.wait()
    left, deadline = [pid for pid in pids if pid != proc.pid], time.monotonic() + 5
    while left and time.monotonic() < deadline:
        time.sleep(0.05)
        left = [pid for pid in left if alive(pid)]
    for pid in left:
        try:
            os.kill(pid, signal.SIGKILL)
        except OSError:
            pass
    return len(left)


class Bench:
    def __init__(self, args):
        self.args = args
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Server)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        os.makedirs(args.logdir, exist_ok=True)
        self.x = Screen(args.logdir)
        log("Xvfb %s, loopback server on port %d" % (self.x.name, self.server.server_address[1]))

    def run(self, name, index, tour_at=None):
        """One run of one program ("real", "floor" or "bare"); the floor takes
        its second measurement tour_at seconds after its start, when
        Quorvane's tour was over. The bare window is only timed to its map."""
        real = name == "real"
        flags = os.environ.get("QUORVANE_BENCH_%s_FLAGS" % name.upper(), "")
        extra = os.environ.get("QUORVANE_BENCH_%s_ENV" % name.upper(), "")
        env = {k: v for k, v in os.environ.items() if k != "WAYLAND_DISPLAY"}
        env.update(setting.partition("=")[::2] for setting in extra.split())
        env.update(DISPLAY=self.x.name, QT_QPA_PLATFORM="xcb", QTWEBENGINE_DISABLE_SANDBOX="1",
                   # ".localhost" names would go to this machine's port 80 past the
                   # proxy without the bypass rule.
                   QTWEBENGINE_CHROMIUM_FLAGS=("--proxy-server=http://127.0.0.1:%d --proxy-bypass-list=<-loopback> %s"
                                               % (self.server.server_address[1], flags)).strip())
        result = {"program": name, "run": index, "flags": flags, "env": extra}
        self.x.pointer(*PARK)  # the last run may have left it where this window appears
        mark, output = len(REQUESTS), open(os.path.join(self.args.logdir, "%s-%s.log" % (name, index)), "w")
        start = time.monotonic()
        proc = subprocess.Popen([getattr(self.args, name)], env=env, stdout=output,
                                stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        pids = [proc.pid]

        def memory(point):
            result[point + "_at_s"] = time.monotonic() - start
            result.update(measure(proc.pid, point))
            pids.extend(p["pid"] for p in result["processes_" + point])

        try:
            main, w = self.x.wait_mapped({"real": MAIN, "floor": FLOOR, "bare": BARE}[name], start,
                                         START_TIMEOUT)
            result["map_s"] = w["first"] - start
            if name == "bare":
                self.x.close(main)
                result["left_behind"], result["exit_code"] = end(proc, pids, 10), proc.returncode
                return result
            result["page_s"] = requested(mark, START_PAGE, START_TIMEOUT) - start
            time.sleep(max(0.0, start + result["page_s"] + SETTLE - time.monotonic()))
            memory("start")
            if real:
                result["tour_steps"] = self.tour(main, mark)
                memory("tour")
                result["lookup_s"] = self.lookups(main)
            elif tour_at is not None:
                time.sleep(max(0.0, start + tour_at - time.monotonic()))
                memory("tour")
            if proc.poll() is not None:
                raise RuntimeError("%s ended by itself with code %s" % (name, proc.returncode))
            self.x.close(main)
        except BaseException:
            log("%s run %s failed; its output is in %s" % (name, index, output.name))
            proc.kill()
            end(proc, pids + tree(proc.pid), 5)
            raise
        result["left_behind"] = end(proc, pids, 10)
        result["exit_code"] = proc.returncode
        result["requests"] = [(round(t - start, 3), target) for t, target in REQUESTS[mark:]]
        return result

    def tour(self, window, mark):
        """Clicks through every window, checking that each click mapped the
        next window and unmapped the one clicked."""
        steps = []
        for label, point, target in TOUR:
            time.sleep(0.2)  # let the window take input after it appeared
            clicked = self.x.click(window, *point)
            try:
                shown, w = self.x.wait_mapped(target, clicked, STEP_TIMEOUT)
                self.x.wait_unmapped(window, STEP_TIMEOUT)
            except TimeoutError as error:
                raise RuntimeError("click on %r at %s missed: %s" % (label, point, error)) from None
            steps.append({"click": label, "shown_after_s": round(w["last"] - clicked, 3)})
            window = shown
        for page in TOUR_PAGES:
            requested(mark, page, STEP_TIMEOUT)
        time.sleep(SETTLE)
        return steps

    def lookups(self, main):
        delays = []
        for _ in range(LOOKUPS):
            mark = len(REQUESTS)
            time.sleep(0.2)
            clicked = self.x.click(main, *BEGIN_LOOKUP)
            delays.append(requested(mark, STATUS_REQUEST, 10.0) - clicked)
            time.sleep(0.5)  # the page answers; the sequence is idle again
        return delays


def machine():
    def first(path, pattern):
        found = re.search(pattern, open(path).read(), re.M)
        return found[1].strip() if found else "?"

    def version(package):
        return subprocess.run(["dpkg-query", "-W", "-f=${Version}", package],
                              capture_output=True, text=True).stdout or "?"
    return {"cpus": os.cpu_count(), "cpu": first("/proc/cpuinfo", r"^model name\s*:(.*)"),
            "ram_gib": round(int(first("/proc/meminfo", r"^MemTotal:\s*(\d+)")) / 2**20, 1),
            "os": "%s (%s)" % (first("/etc/os-release", r'^PRETTY_NAME="?([^"\n]*)'),
                               first("/etc/debian_version", r"(.*)")),
            "kernel": platform.release(), "qt": version("libqt6core6"),
            "qtwebengine": version("libqt6webenginecore6"), "load": [loadavg()]}


def loadavg():
    """The load average over 1, 5 and 15 minutes, as uptime says it."""
    return " ".join(open("/proc/loadavg").read().split()[:3])


def report(real, anchors, info, warmup):
    def median(runs, key):
        values = [r[key] for r in runs if r.get(key) is not None]
        return statistics.median(values) if values else None

    rows = []
    for key, metric, unit, anchor, limit, backup in TARGETS:
        q, f = median(real, key), median(anchors[anchor], key)
        target = ("(≤ %.2f×)" if backup else "≤ %.2f×") % limit
        if q is None or f is None:
            rows.append("| %s | n/a | %s | n/a | — | %s | — |" % (metric, ANCHORS[anchor], target))
            continue
        fmt = "%.3f " + unit if unit == "s" else "%.1f " + unit
        rows.append("| %s | %s | %s | %s | %.2f× | %s | %s |"
                    % (metric, fmt % q, ANCHORS[anchor], fmt % f, q / f, target,
                       "yes" if q / f <= limit else "**no**"))
    floor_map = median(anchors["floor"], "map_s")
    rows.insert(1, "| 1b. start → window mapped, the floor's own | %.3f s | floor | %.3f s | %.2f× | — | — |"
                % (median(real, "map_s"), floor_map, median(real, "map_s") / floor_map))
    lookup = statistics.median(d for r in real for d in r["lookup_s"])
    met = abs(lookup - LOOKUP_TARGET_S) <= LOOKUP_TOLERANCE_S + 1e-9
    rows.insert(5, "| 5. Begin Lookup click → status request | %.3f s | — | — | — | %.1f s ± %.1f s | %s |"
                % (lookup, LOOKUP_TARGET_S, LOOKUP_TOLERANCE_S, "yes" if met else "**no**"))
    everyone = real + anchors["floor"] + anchors["bare"]
    clean = sum(1 for r in everyone if r["exit_code"] == 0 and not r["left_behind"])
    extra = " ".join("%s: %s" % (k, os.environ[k]) for k in
                     ("QUORVANE_BENCH_" + kind + "_" + what for kind in ("REAL", "FLOOR", "BARE")
                      for what in ("FLAGS", "ENV")) if os.environ.get(k))
    info = dict(info, load=" → ".join(info["load"]))
    return "\n".join([
        "# Quorvane start-up and memory benchmark", "",
        "Medians of %d runs of each program (Quorvane, the floor, the bare window), in turn, after %d "
        "warm-up run(s) of each; %s. %d of %d runs ended through their own close path.%s"
        % (len(real), warmup, time.strftime("%Y-%m-%d %H:%M"), clean, len(everyone),
           " Extra settings: `%s`." % extra if extra else ""), "",
        "| metric | Quorvane | anchor | anchor's | ratio | target | met? |", "|---|---|---|---|---|---|---|",
        *rows, "",
        "Machine: %(cpus)s × %(cpu)s, %(ram_gib)s GiB RAM, %(os)s, kernel %(kernel)s, Qt %(qt)s, "
        "Qt WebEngine %(qtwebengine)s, load average (1, 5, 15 min) before → after: %(load)s." % info, ""])


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--real", required=True, help="the quorvane program")
    parser.add_argument("--floor", required=True, help="the quorvane_floor program")
    parser.add_argument("--bare", required=True, help="the quorvane_barewindow program")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--warmup", type=int, default=1)
    parser.add_argument("--out", help="Markdown report to write")
    parser.add_argument("--json", help="raw results to write")
    parser.add_argument("--logdir", default="/tmp/quorvane-bench", help="program output and Xvfb log")
    args = parser.parse_args()

    info, bench, real, anchors = machine(), Bench(args), [], {"floor": [], "bare": []}
    try:
        for index in ["warm-up"] * args.warmup + list(range(1, args.runs + 1)):
            r = bench.run("real", index)
            f = bench.run("floor", index, tour_at=r["tour_at_s"])
            b = bench.run("bare", index)
            ran = {"floor": f, "bare": b}
            log("run %s, Quorvane / anchor: " % index + ", ".join(
                "%s %.3f / %.3f" % (key, r[key], ran[anchor][key]) for key, _, _, anchor, *_ in TARGETS[:4])
                + ", lookups %s" % " ".join("%.3f" % d for d in r["lookup_s"]))
            if index != "warm-up":
                real.append(r)
                anchors["floor"].append(f)
                anchors["bare"].append(b)
    finally:
        bench.x.xvfb.terminate()
        bench.x.xvfb.wait()
    info["load"].append(loadavg())
    text = report(real, anchors, info, args.warmup)
    print("\n" + text)
    if args.out:
        open(args.out, "w").write(text)
    if args.json:
        json.dump({"machine": info, "real": real, **anchors}, open(args.json, "w"), indent=1)


if __name__ == "__main__":
    main()
