#!/usr/bin/env python3
"""Start-up and memory benchmark: Quorvane against its floor program.

Both programs run in turn on one Xvfb display, their web engines sending
every request through a loopback HTTP server of this script (used as their
proxy, so it sees whole addresses). For each run it records

  map     seconds from process start to the main window mapped (MapNotify on
          the root window, seen by bench/xclient.py as it happens),
  page    seconds from process start to the start page's request arriving
          at the server,
  pss     proportional set size of the process tree (the program and every
          web engine helper under it) 3 s after the start page was requested,
          and its footprint (every resident page of the tree counted once),
  tour    Quorvane only: the same after each of its six windows has been
          shown once and 3 s have passed; the floor's is taken at the same
          time after its own start,
  lookup  Quorvane only: seconds from a click on Begin Lookup to the status
          request arriving at the server.

Usage: bench.py --real PROGRAM --floor PROGRAM [--runs N] [--out results.md]
Environment: QUORVANE_BENCH_REAL_FLAGS and QUORVANE_BENCH_FLOOR_FLAGS add
Chromium flags for one program only (after the proxy flag);
QUORVANE_BENCH_REAL_ENV and QUORVANE_BENCH_FLOOR_ENV add environment
settings (NAME=value, separated by spaces) for one program only.
"""

import argparse
import array
import http.server
import json
import os
import platform
import re
import resource
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xclient import XClient  # noqa: E402

MAIN_TITLE = r"^Quorvane - By Telmik/Brasko$"
FLOOR_TITLE = r"^Quorvane floor$"
ICQ_TITLE = r"^ICQ Quorvane - By Telmik/Brasko$"
IRC_TITLE = r"^IRC Quorvane - By Telmik/Brasko$"
ABOUT_TITLE = r"^About/Help $"
HELP_TITLE = r"^About/Help$"
ICONSETS_TITLE = r"^Status Icon Sets$"

START_PAGE = "/Msntv/msnexe6.html"
STATUS_REQUEST = ":6969/msn/"
SETTLE = 3.0
STEP_TIMEOUT = 20.0
START_TIMEOUT = 60.0

# Every window once, by clicks at client coordinates: (window shown, point,
# what is there, window expected next).
TOUR = [
    (MAIN_TITLE, (140, 51), "ICQ button", ICQ_TITLE),
    (ICQ_TITLE, (40, 190), "Back", MAIN_TITLE),
    (MAIN_TITLE, (180, 51), "IRC button", IRC_TITLE),
    (IRC_TITLE, (40, 190), "Back", MAIN_TITLE),
    (MAIN_TITLE, (50, 182), "About/Help", ABOUT_TITLE),
    (ABOUT_TITLE, (340, 200), "Help", HELP_TITLE),
    (HELP_TITLE, (100, 262), "Click Here.", ICONSETS_TITLE),
    (ICONSETS_TITLE, (340, 20), "Close", HELP_TITLE),
    (HELP_TITLE, (245, 264), "OK", MAIN_TITLE),
]
# The start pages of the windows with a web view that the tour creates.
TOUR_PAGES = {ICQ_TITLE: "/Msntv/msnexe2.html", IRC_TITLE: "/Msntv/msnexe4.html",
              ABOUT_TITLE: "/Msntv/statusexe2.html"}
BEGIN_LOOKUP = (40, 160)
# Where the pointer waits between clicks: on the 1024 x 768 screen, off every
# window (the windows are centred, the floor's is at the top left).
POINTER_PARK = (1010, 760)


def log(*parts):
    print("[bench %s]" % time.strftime("%H:%M:%S"), *parts, flush=True)


# -- the loopback server ----------------------------------------------------

def small_png(size=16):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    rows = b"".join(b"\0" + bytes((0x20, 0xA0, 0x20)) * size for _ in range(size))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


PAGE = (b"<!DOCTYPE html><html><head><title>Quorvane</title></head>"
        b"<body style=\"margin:0;font:12px sans-serif\"><p>Quorvane start page</p></body></html>")
PICTURE = small_png()


class RequestLog:
    def __init__(self):
        self.entries = []  # (monotonic time, target)
        self.cond = threading.Condition()

    def add(self, target):
        with self.cond:
            self.entries.append((time.monotonic(), target))
            self.cond.notify_all()

    def mark(self):
        with self.cond:
            return len(self.entries)

    def since(self, mark):
        with self.cond:
            return list(self.entries[mark:])

    def wait(self, mark, contains, timeout):
        """Time of the first request since mark whose target contains the text."""
        deadline = time.monotonic() + timeout
        with self.cond:
            while True:
                for when, target in self.entries[mark:]:
                    if contains in target:
                        return when
                left = deadline - time.monotonic()
                if left <= 0:
                    raise TimeoutError("no request for %r within %.0f s" % (contains, timeout))
                self.cond.wait(left)


def start_server(requests):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def answer(self, body_wanted):
            requests.add(self.path)
            path = self.path.split("?", 1)[0]
            if path.endswith(".html") or path.endswith(".htm"):
                body, kind = PAGE, "text/html"
            else:
                body, kind = PICTURE, "image/png"
            self.send_response(200)
            self.send_header("Content-Type", kind)
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Cache-Control", "no-store")
            self.end_headers()
            if body_wanted:
                self.wfile.write(body)

        def do_GET(self):
            self.answer(True)

        def do_HEAD(self):
            self.answer(False)

        def do_CONNECT(self):
            requests.add("CONNECT " + self.path)
            self.send_response(405)
            self.send_header("Content-Length", "0")
            self.end_headers()

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


# -- processes and memory ---------------------------------------------------

def process_table():
    """{pid: (ppid, name)} of every process."""
    table = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                stat = f.read()
        except OSError:
            continue
        name = stat[stat.index("(") + 1:stat.rindex(")")]
        ppid = int(stat[stat.rindex(")") + 2:].split()[1])
        table[int(entry)] = (ppid, name)
    return table


def process_tree(root):
    table = process_table()
    children = {}
    for pid, (ppid, _name) in table.items():
        children.setdefault(ppid, []).append(pid)
    tree, todo = [], [root]
    while todo:
        pid = todo.pop(0)
        if pid in table:
            tree.append(pid)
            todo.extend(children.get(pid, []))
    return tree


def process_kind(pid, parent_kind=None):
    """browser, zygote, zygote (unsandboxed), or what the zygote forked: web
    engine processes forked by a zygote keep its command line, so they are
    told apart by their parent."""
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            args = f.read().split(b"\0")
    except OSError:
        return "gone"
    kind = "browser"
    for arg in args:
        if arg.startswith(b"--type="):
            kind = arg[7:].decode()
            if kind == "utility":
                for other in args:
                    if other.startswith(b"--utility-sub-type="):
                        kind = "utility:" + other.split(b"=", 1)[1].decode().split(".")[-1]
    if kind == "zygote" and b"--no-zygote-sandbox" in args:
        kind = "zygote (unsandboxed)"
    if kind == "zygote" and parent_kind and parent_kind.startswith("zygote"):
        kind = "renderer" if parent_kind == "zygote" else "forked by unsandboxed zygote"
    return kind


def rollup_kib(pid):
    """Pss and Rss of the process in KiB."""
    values = {}
    try:
        with open("/proc/%d/smaps_rollup" % pid) as f:
            for line in f:
                if line.startswith(("Pss:", "Rss:")):
                    values[line[:3]] = int(line.split()[1])
    except OSError:
        pass
    return values.get("Pss", 0), values.get("Rss", 0)


_MAPPING = re.compile(r"^([0-9a-f]+)-([0-9a-f]+) ")
_PAGE = resource.getpagesize()


def resident_pages(pid):
    """The physical page numbers of every resident page of the process (from
    /proc/PID/pagemap; readable with CAP_SYS_ADMIN only, else empty)."""
    ranges, current = [], None
    try:
        with open("/proc/%d/smaps" % pid) as f:
            for line in f:
                match = _MAPPING.match(line)
                if match:
                    current = (int(match.group(1), 16), int(match.group(2), 16))
                elif line.startswith("Rss:") and int(line.split()[1]) > 0:
                    ranges.append(current)
        pages = set()
        frame_mask = (1 << 55) - 1
        with open("/proc/%d/pagemap" % pid, "rb") as f:
            for start, end in ranges:
                f.seek(start // _PAGE * 8)
                entries = array.array("Q")
                entries.frombytes(f.read((end - start) // _PAGE * 8))
                pages.update(e & frame_mask for e in entries if e >> 63)
        pages.discard(0)  # no frame numbers without the capability
        return pages
    except OSError:
        return set()


def measure_tree(root):
    """The process tree's PSS in MiB, its footprint in MiB (every resident
    page counted once, whichever processes of the tree or outside it map it)
    and the per-process breakdown."""
    table = process_table()
    kinds = {}
    processes = []
    pages = set()
    for pid in process_tree(root):  # parents before their children
        kinds[pid] = process_kind(pid, kinds.get(table.get(pid, (0, ""))[0]))
        pss, rss = rollup_kib(pid)
        processes.append({"pid": pid, "kind": kinds[pid], "pss_kib": pss, "rss_kib": rss})
        pages |= resident_pages(pid)
    total = sum(p["pss_kib"] for p in processes) / 1024.0
    footprint = len(pages) * _PAGE / 2**20 if pages else None
    return total, footprint, processes


def foreign_web_engine_processes(ours):
    """Web engine helpers of other programs: they share the engine's library
    pages with ours and so lower our PSS."""
    return sum(1 for pid, (_ppid, name) in process_table().items()
               if name.startswith("QtWebEngine") and pid not in ours)


def end_processes(proc, pids, timeout=10.0):
    """Waits for the program, then ends by id whatever of its tree is left."""
    try:
        proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        log("program %d did not end in %.0f s: killing it" % (proc.pid, timeout))
        proc.kill()
        proc.wait()
    deadline = time.monotonic() + 5
    left = [pid for pid in pids if pid != proc.pid]
    while left and time.monotonic() < deadline:
        left = [pid for pid in left if os.path.exists("/proc/%d" % pid)
                and "Zombie" not in open("/proc/%d/status" % pid).read()]
        time.sleep(0.05)
    for pid in left:
        try:
            os.kill(pid, signal.SIGKILL)
        except (ProcessLookupError, PermissionError):
            pass
    return left


# -- one run ----------------------------------------------------------------

class Bench:
    def __init__(self, args):
        self.args = args
        self.requests = RequestLog()
        self.server = start_server(self.requests)
        self.port = self.server.server_address[1]
        self.logdir = args.logdir or tempfile.mkdtemp(prefix="quorvane-bench-")
        os.makedirs(self.logdir, exist_ok=True)
        self.xvfb, self.display = self.start_xvfb()
        self.x = XClient(self.display)

    def start_xvfb(self):
        read, write = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write,), stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(self.logdir, "xvfb.log"), "w"))
        os.close(write)
        number = b""
        with os.fdopen(read, "rb") as f:
            while not number.endswith(b"\n"):
                byte = f.read(1)
                if not byte:
                    raise RuntimeError("Xvfb did not start (see %s/xvfb.log)" % self.logdir)
                number += byte
        display = ":" + number.decode().strip()
        log("Xvfb %s (pid %d), loopback server on port %d" % (display, xvfb.pid, self.port))
        return xvfb, display

    def close(self):
        self.x.close()
        self.xvfb.terminate()
        try:
            self.xvfb.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.xvfb.kill()
        self.server.shutdown()

    def environment(self, extra_flags, extra_env=""):
        env = dict(os.environ)
        for setting in extra_env.split():
            name, _, value = setting.partition("=")
            env[name] = value
        env.pop("WAYLAND_DISPLAY", None)
        env["DISPLAY"] = self.display
        env["QT_QPA_PLATFORM"] = "xcb"
        env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
        flags = "--proxy-server=http://127.0.0.1:%d" % self.port
        if extra_flags:
            flags += " " + extra_flags
        env["QTWEBENGINE_CHROMIUM_FLAGS"] = flags
        return env

    def run(self, real, index, tour_at=None):
        """One run of one program. For the floor, tour_at is the time after
        start at which the real program's tour PSS was taken."""
        name = "real" if real else "floor"
        program = self.args.real if real else self.args.floor
        flags = os.environ.get("QUORVANE_BENCH_REAL_FLAGS" if real else "QUORVANE_BENCH_FLOOR_FLAGS", "")
        title = MAIN_TITLE if real else FLOOR_TITLE
        result = {"program": name, "run": index, "flags": flags}
        # The pointer waits off every window, as the last run may have left
        # it where this run's window will appear.
        self.x.move_pointer(*POINTER_PARK)
        mark = self.requests.mark()
        output = open(os.path.join(self.logdir, "%s-%s.log" % (name, index)), "w")
        start = time.monotonic()
        extra_env = os.environ.get("QUORVANE_BENCH_REAL_ENV" if real else "QUORVANE_BENCH_FLOOR_ENV", "")
        result["env"] = extra_env
        proc = subprocess.Popen([program], env=self.environment(flags, extra_env), stdout=output,
                                stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        pids = [proc.pid]
        self.proc = proc
        try:
            main = self.x.wait_mapped(title, START_TIMEOUT, since=start)
            result["map_s"] = main.first_mapped - start
            result["page_s"] = self.requests.wait(mark, START_PAGE, START_TIMEOUT) - start
            time.sleep(max(0.0, start + result["page_s"] + SETTLE - time.monotonic()))
            result["start_at_s"] = time.monotonic() - start
            pids = self.measure(proc, result, "start")

            if real:
                self.tour(main, mark, result)
                result["tour_at_s"] = time.monotonic() - start
                pids = self.measure(proc, result, "tour")
                result["lookup_s"] = self.lookups(main)
            elif tour_at is not None:
                time.sleep(max(0.0, start + tour_at - time.monotonic()))
                result["tour_at_s"] = time.monotonic() - start
                pids = self.measure(proc, result, "tour")

            if proc.poll() is not None:
                raise RuntimeError("%s ended by itself with code %s" % (name, proc.returncode))
            self.x.request_close(main)
        except BaseException:
            log("%s run %s failed; its output is in %s" % (name, index, output.name))
            pids += process_tree(proc.pid)
            proc.kill()
            end_processes(proc, pids, timeout=5)
            raise
        left = end_processes(proc, pids)
        result["exit_code"] = proc.returncode
        result["left_behind"] = len(left)
        result["requests"] = [(round(when - start, 3), target) for when, target in self.requests.since(mark)]
        output.close()
        return result

    @staticmethod
    def measure(proc, result, point):
        pss, footprint, processes = measure_tree(proc.pid)
        result["pss_%s_mib" % point] = pss
        result["footprint_%s_mib" % point] = footprint
        result["processes_%s" % point] = processes
        pids = [p["pid"] for p in processes]
        result["foreign_%s" % point] = foreign_web_engine_processes(set(pids))
        return pids

    def tour(self, main, mark, result):
        steps = []
        window = main
        for source_title, point, label, target_title in TOUR:
            if not window.mapped or not self.x.mapped_windows(source_title):
                raise RuntimeError("window /%s/ is not visible before clicking %r" % (source_title, label))
            time.sleep(0.2)  # let the window take input after it appeared
            clicked = self.x.click_client(window, *point)
            try:
                target = self.x.wait_mapped(target_title, STEP_TIMEOUT, since=clicked)
                self.x.wait_unmapped(window, STEP_TIMEOUT)
            except TimeoutError as error:
                raise RuntimeError("click on %r at %s of /%s/ missed: %s"
                                   % (label, point, source_title, error)) from None
            step = {"click": label, "shown_after_s": round(target.last_mapped - clicked, 3)}
            page = TOUR_PAGES.get(target_title)
            # The first time the window shows: how soon its start page is asked for.
            if page and not any(page in address for when, address in self.requests.since(mark)
                                if when < clicked):
                step["page_after_s"] = round(self.requests.wait(mark, page, STEP_TIMEOUT) - clicked, 3)
            if self.args.step_settle > 0:
                # Where the memory goes, window by window.
                time.sleep(self.args.step_settle)
                step["pss_mib"], step["footprint_mib"], processes = measure_tree(self.proc.pid)
                step["processes"] = len(processes)
            steps.append(step)
            window = target
        for page in TOUR_PAGES.values():
            self.requests.wait(mark, page, STEP_TIMEOUT)
        time.sleep(SETTLE)
        result["tour_steps"] = steps

    def lookups(self, main):
        delays = []
        for _ in range(self.args.lookups):
            mark = self.requests.mark()
            time.sleep(0.2)
            clicked = self.x.click_client(main, *BEGIN_LOOKUP)
            try:
                arrived = self.requests.wait(mark, STATUS_REQUEST, 10.0)
            except TimeoutError as error:
                raise RuntimeError("click on Begin Lookup missed: %s" % error) from None
            delays.append(arrived - clicked)
            time.sleep(0.5)  # the page answers; the sequence is idle again
        return delays


# -- report -----------------------------------------------------------------

def machine():
    def read(path):
        try:
            with open(path) as f:
                return f.read()
        except OSError:
            return ""

    cpu = next((line.split(":", 1)[1].strip() for line in read("/proc/cpuinfo").splitlines()
                if line.startswith("model name")), platform.processor() or "unknown")
    mem = next((int(line.split()[1]) for line in read("/proc/meminfo").splitlines()
                if line.startswith("MemTotal:")), 0)
    release = next((line.split("=", 1)[1].strip('"') for line in read("/etc/os-release").splitlines()
                    if line.startswith("PRETTY_NAME=")), "unknown")

    def package(name):
        try:
            return subprocess.run(["dpkg-query", "-W", "-f=${Version}", name], capture_output=True,
                                  text=True).stdout or "?"
        except OSError:
            return "?"

    return {
        "cpus": os.cpu_count(),
        "cpu": cpu,
        "ram_gib": round(mem / 1024 / 1024, 1),
        "os": "%s (debian_version %s)" % (release, read("/etc/debian_version").strip()),
        "kernel": platform.release(),
        "qt": package("libqt6core6"),
        "qtwebengine": package("libqt6webenginecore6"),
    }


def median(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


def kinds_summary(runs, key):
    """Median PSS (MiB) and count per process kind."""
    table = {}
    for run in runs:
        per = {}
        for p in run.get(key, []):
            kind = p["kind"]
            count, pss = per.get(kind, (0, 0))
            per[kind] = (count + 1, pss + p["pss_kib"] / 1024.0)
        for kind, value in per.items():
            table.setdefault(kind, []).append(value)
    return {kind: (median([v[0] for v in values]), median([v[1] for v in values]))
            for kind, values in table.items()}


def report(real, floor, info, args):
    def row(metric, key, unit, target, check, fmt="%.3f"):
        r, f = median([x.get(key) for x in real]), median([x.get(key) for x in floor])
        if r is None or f is None:
            return "| %s | n/a | n/a | — | %s | — |" % (metric, target)
        ratio = r / f if f else None
        met = check(ratio) if ratio is not None else False
        return "| %s | %s | %s | %s | %s | %s |" % (
            metric, (fmt % r) + unit, (fmt % f) + unit, "%.2f×" % ratio, target, "yes" if met else "**no**")

    lookup_all = [d for x in real for d in x.get("lookup_s", [])]
    lookup = median(lookup_all)
    lines = [
        "# Quorvane start-up and memory benchmark",
        "",
        "Medians of %d runs of each program, alternating Quorvane and the floor program "
        "(after %d unscored warm-up run(s) of each). The floor program is one bare 307 × 304 "
        "window with one 177 × 81 web view at (120, 152), the main window's size and place. "
        "Generated by `bench/run.sh` on %s."
        % (len(real), args.warmup, time.strftime("%Y-%m-%d %H:%M")),
        "",
        "| metric | Quorvane | floor | ratio | target | met? |",
        "|---|---|---|---|---|---|",
        row("1. process start → main window mapped", "map_s", " s", "≤ 1.10×", lambda q: q <= 1.10),
        row("2. process start → start page requested", "page_s", " s", "≤ 1.10×", lambda q: q <= 1.10),
        row("3. PSS of the process tree after start-up", "pss_start_mib", " MiB", "≤ 1.10×",
            lambda q: q <= 1.10, "%.1f"),
        row("4. PSS after all six windows were shown (floor: same time)", "pss_tour_mib", " MiB",
            "≤ 1.20×", lambda q: q <= 1.20, "%.1f"),
        "| 5. Begin Lookup click → status request | %.3f s | — | — | 1.1 s ± 0.1 s | %s |"
        % (lookup, "yes" if abs(lookup - 1.1) <= 0.1 else "**no**"),
        row("3f. footprint of the process tree after start-up", "footprint_start_mib", " MiB",
            "(≤ 1.10×)", lambda q: q <= 1.10, "%.1f"),
        row("4f. footprint after all six windows were shown (floor: same time)", "footprint_tour_mib",
            " MiB", "(≤ 1.20×)", lambda q: q <= 1.20, "%.1f"),
        "",
        "PSS divides each page among every process that maps it, other programs' included: "
        "web engine helpers of other programs running at the same time (counted in the runs "
        "table as \"other\") lower both programs' PSS by chance. The footprint rows (3f, 4f) "
        "count every resident page of the tree once, whoever else maps it; they do not depend "
        "on other programs (they need root to read page frame numbers).",
        "",
        "Extra Chromium flags: Quorvane `%s`, floor `%s`. Extra environment: Quorvane `%s`, floor `%s`."
        % (os.environ.get("QUORVANE_BENCH_REAL_FLAGS", "") or "none",
           os.environ.get("QUORVANE_BENCH_FLOOR_FLAGS", "") or "none",
           os.environ.get("QUORVANE_BENCH_REAL_ENV", "") or "none",
           os.environ.get("QUORVANE_BENCH_FLOOR_ENV", "") or "none"),
        "",
        "## Runs",
        "",
        "| run | program | map s | page s | PSS start MiB | footprint start MiB | processes | other "
        "| PSS tour MiB | footprint tour MiB | processes | other | tour at s | lookups s |",
        "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|",
    ]
    for r, f in zip(real, floor):
        for x in (r, f):
            lines.append("| %s | %s | %.3f | %.3f | %.1f | %.1f | %d | %d | %.1f | %.1f | %d | %d | %.1f | %s |" % (
                x["run"], x["program"], x["map_s"], x["page_s"], x["pss_start_mib"],
                x["footprint_start_mib"] or 0, len(x["processes_start"]), x["foreign_start"],
                x.get("pss_tour_mib", 0), x.get("footprint_tour_mib") or 0,
                len(x.get("processes_tour", [])), x.get("foreign_tour", 0),
                x.get("tour_at_s", 0), " ".join("%.3f" % d for d in x.get("lookup_s", [])) or "—"))
    ends = [x for x in real + floor]
    lines += ["", "Program ends: %d of %d runs left through their own close path with exit code 0; "
              "%d web engine processes had to be killed afterwards."
              % (sum(1 for x in ends if x["exit_code"] == 0), len(ends),
                 sum(x["left_behind"] for x in ends))]
    lines += ["", "## PSS by process kind (median MiB, median count)", "",
              "Processes a zygote forks keep its command line; those of the sandboxed zygote are "
              "the renderers (one per web view here).", "",
              "| process kind | Quorvane start | floor start | Quorvane tour | floor same time |",
              "|---|---|---|---|---|"]
    summaries = [kinds_summary(real, "processes_start"), kinds_summary(floor, "processes_start"),
                 kinds_summary(real, "processes_tour"), kinds_summary(floor, "processes_tour")]
    kinds = sorted(set().union(*summaries))
    for kind in kinds:
        cells = []
        for s in summaries:
            count, pss = s.get(kind, (0, 0))
            cells.append("%.1f (%g)" % (pss, count) if count else "—")
        lines.append("| %s | %s |" % (kind, " | ".join(cells)))
    lines += ["", "## Machine", ""]
    lines += ["- CPUs (`nproc`): %s" % info["cpus"],
              "- CPU: %s" % info["cpu"],
              "- RAM: %s GiB" % info["ram_gib"],
              "- OS: %s, kernel %s" % (info["os"], info["kernel"]),
              "- Qt: %s, Qt WebEngine %s" % (info["qt"], info["qtwebengine"]),
              "- Load average at start / end: %s / %s"
              % (" ".join(info["load_start"]), " ".join(info["load_end"])),
              ""]
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--real", required=True)
    parser.add_argument("--floor", required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--warmup", type=int, default=1)
    parser.add_argument("--lookups", type=int, default=3, help="Begin Lookup clicks per run")
    parser.add_argument("--step-settle", type=float, default=0.0,
                        help="seconds to wait after each tour step before measuring memory "
                             "(0: no per-step measurement)")
    parser.add_argument("--out", default=None, help="Markdown report to write")
    parser.add_argument("--json", default=None, help="raw results to write")
    parser.add_argument("--logdir", default=None, help="program output and Xvfb log")
    args = parser.parse_args()

    info = machine()
    info["load_start"] = open("/proc/loadavg").read().split()[:3]
    bench = Bench(args)
    real, floor = [], []
    try:
        for i in range(args.warmup):
            log("warm-up run %d" % (i + 1))
            r = bench.run(True, "warm-up")
            bench.run(False, "warm-up", tour_at=r["tour_at_s"])
        for i in range(1, args.runs + 1):
            r = bench.run(True, i)
            log("run %d Quorvane: map %.3f s, page %.3f s, PSS %.1f MiB, tour PSS %.1f MiB, lookups %s"
                % (i, r["map_s"], r["page_s"], r["pss_start_mib"], r["pss_tour_mib"],
                   " ".join("%.3f" % d for d in r["lookup_s"])))
            f = bench.run(False, i, tour_at=r["tour_at_s"])
            log("run %d floor:    map %.3f s, page %.3f s, PSS %.1f MiB, same-time PSS %.1f MiB"
                % (i, f["map_s"], f["page_s"], f["pss_start_mib"], f["pss_tour_mib"]))
            real.append(r)
            floor.append(f)
    finally:
        bench.close()
    info["load_end"] = open("/proc/loadavg").read().split()[:3]

    text = report(real, floor, info, args)
    print()
    print(text)
    if args.out:
        with open(args.out, "w") as f:
            f.write(text)
    if args.json:
        with open(args.json, "w") as f:
            json.dump({"machine": info, "real": real, "floor": floor,
                       "real_flags": os.environ.get("QUORVANE_BENCH_REAL_FLAGS", ""),
                       "floor_flags": os.environ.get("QUORVANE_BENCH_FLOOR_FLAGS", "")}, f, indent=1)


if __name__ == "__main__":
    main()
