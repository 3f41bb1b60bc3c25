"""A small X11 client speaking the core protocol over the display's socket.

The benchmark needs four things of the X server, all exact in time and none
of them worth a process of its own per question:

- the moment each top-level window is mapped or unmapped (it listens for
  MapNotify and UnmapNotify on the root window, so nothing is polled),
- a window's title and its client origin on the screen (the same queries
  xdotool and xwininfo make: _NET_WM_NAME / WM_NAME and TranslateCoordinates),
- pointer clicks through the XTEST extension (what xdotool uses as well),
- asking a window to close the way a window manager does (WM_DELETE_WINDOW),
  so that a program ends through its own close path.

Python standard library only.
"""

import os
import re
import socket
import struct
import threading
import time

_MAP_NOTIFY = 19
_UNMAP_NOTIFY = 18
_DESTROY_NOTIFY = 17
_SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
_CW_EVENT_MASK = 1 << 11


class XError(RuntimeError):
    pass


def _pad(n):
    return (4 - n % 4) % 4


class Window:
    """What the client knows of one top-level window."""

    def __init__(self, wid):
        self.wid = wid
        self.mapped = False
        self.first_mapped = None  # time.monotonic() of the first MapNotify
        self.last_mapped = None
        self.last_unmapped = None
        self.name = None


class XClient:
    def __init__(self, display):
        number = re.match(r"^:(\d+)", display).group(1)
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect("/tmp/.X11-unix/X%s" % number)
        self._send_lock = threading.Lock()
        self._cond = threading.Condition()
        self._seq = 0
        self._replies = {}
        self._windows = {}
        self._closed = False
        self._setup()
        self._reader = threading.Thread(target=self._read_loop, daemon=True)
        self._reader.start()
        self._atoms = {}
        # Listen for every top-level window's mapping from now on.
        self._request(2, 0, struct.pack("<III", self.root, _CW_EVENT_MASK, _SUBSTRUCTURE_NOTIFY_MASK))
        self.sync()
        present, self._xtest = self._query_extension("XTEST")
        if not present:
            raise XError("the X server has no XTEST extension")

    # -- connection -------------------------------------------------------

    def _recv_exact(self, n):
        data = b""
        while len(data) < n:
            chunk = self.sock.recv(n - len(data))
            if not chunk:
                raise EOFError("X server closed the connection")
            data += chunk
        return data

    def _setup(self):
        self.sock.sendall(struct.pack("<BxHHHH2x", 0x6C, 11, 0, 0, 0))
        head = self._recv_exact(8)
        status, reason_len, _major, _minor, length = struct.unpack("<BBHHH", head)
        body = self._recv_exact(length * 4)
        if status != 1:
            raise XError("X connection refused: %r" % body[:reason_len])
        (_release, self.id_base, self.id_mask, _mbuf, vendor_len, _maxreq, _nscreens,
         nformats) = struct.unpack("<IIIIHHBB", body[:22])
        offset = 32 + vendor_len + _pad(vendor_len) + 8 * nformats
        self.root = struct.unpack("<I", body[offset:offset + 4])[0]

    def close(self):
        self._closed = True
        try:
            self.sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self.sock.close()

    def _read_loop(self):
        try:
            while True:
                packet = self._recv_exact(32)
                kind = packet[0]
                if kind == 1 or (kind & 0x7F) == 35:  # reply or generic event: longer
                    extra = struct.unpack("<I", packet[4:8])[0]
                    if extra:
                        packet += self._recv_exact(extra * 4)
                now = time.monotonic()
                if kind in (0, 1):
                    seq = struct.unpack("<H", packet[2:4])[0]
                    with self._cond:
                        self._replies[seq] = packet
                        self._cond.notify_all()
                else:
                    self._event(kind & 0x7F, packet, now)
        except (EOFError, OSError):
            with self._cond:
                self._closed = True
                self._cond.notify_all()

    def _event(self, code, packet, now):
        if code not in (_MAP_NOTIFY, _UNMAP_NOTIFY, _DESTROY_NOTIFY):
            return
        event_window, wid = struct.unpack("<II", packet[4:12])
        if event_window != self.root:
            return
        with self._cond:
            window = self._windows.setdefault(wid, Window(wid))
            if code == _MAP_NOTIFY:
                window.mapped = True
                window.last_mapped = now
                if window.first_mapped is None:
                    window.first_mapped = now
            else:
                window.mapped = False
                window.last_unmapped = now
                if code == _DESTROY_NOTIFY:
                    del self._windows[wid]
            self._cond.notify_all()

    def _request(self, opcode, data_byte, body, reply=False):
        """Sends one request; with reply, waits for and returns its reply."""
        length = 1 + len(body) // 4
        with self._send_lock:
            self._seq = (self._seq + 1) & 0xFFFF
            seq = self._seq
            self.sock.sendall(struct.pack("<BBH", opcode, data_byte, length) + body)
        if not reply:
            return None
        deadline = time.monotonic() + 10
        with self._cond:
            while seq not in self._replies:
                if self._closed:
                    raise EOFError("X server closed the connection")
                left = deadline - time.monotonic()
                if left <= 0:
                    raise XError("no reply to X request %d" % opcode)
                self._cond.wait(left)
            packet = self._replies.pop(seq)
        if packet[0] == 0:
            raise XError("X error %d for request %d" % (packet[1], opcode))
        return packet

    def sync(self):
        """A round trip: every request sent before has been handled."""
        self._request(43, 0, b"", reply=True)  # GetInputFocus

    def _query_extension(self, name):
        raw = name.encode()
        packet = self._request(98, 0, struct.pack("<H2x", len(raw)) + raw + b"\0" * _pad(len(raw)),
                               reply=True)
        return packet[8] != 0, packet[9]

    def atom(self, name):
        if name not in self._atoms:
            raw = name.encode()
            packet = self._request(16, 0, struct.pack("<H2x", len(raw)) + raw + b"\0" * _pad(len(raw)),
                                   reply=True)
            self._atoms[name] = struct.unpack("<I", packet[8:12])[0]
        return self._atoms[name]

    # -- windows ----------------------------------------------------------

    def _property(self, wid, prop):
        try:
            packet = self._request(20, 0, struct.pack("<IIIII", wid, self.atom(prop), 0, 0, 4096),
                                   reply=True)
        except XError:
            return None  # the window went meanwhile
        fmt = packet[1]
        value_len = struct.unpack("<I", packet[16:20])[0]
        if fmt == 0:
            return None
        return packet[32:32 + value_len * fmt // 8]

    def title(self, wid):
        raw = self._property(wid, "_NET_WM_NAME")
        if raw is None:
            raw = self._property(wid, "WM_NAME")
        return None if raw is None else raw.decode("utf-8", "replace")

    def origin(self, wid):
        """The window's client origin in root coordinates (xwininfo's
        "Absolute upper-left X/Y")."""
        packet = self._request(40, 0, struct.pack("<IIhh", wid, self.root, 0, 0), reply=True)
        x, y = struct.unpack("<hh", packet[12:16])
        return x, y

    def _named(self, window):
        if window.name is None:
            window.name = self.title(window.wid)
        return window.name

    def mapped_windows(self, pattern):
        """(Window) of every mapped top-level window whose title matches."""
        regex = re.compile(pattern)
        with self._cond:
            windows = [w for w in self._windows.values() if w.mapped]
        return [w for w in windows if self._named(w) is not None and regex.search(w.name)]

    def wait_mapped(self, pattern, timeout, since=None):
        """Waits for a mapped window whose title matches (mapped at or after
        since, when given); returns its Window or raises TimeoutError."""
        deadline = time.monotonic() + timeout
        while True:
            for window in self.mapped_windows(pattern):
                if since is None or window.last_mapped >= since:
                    return window
            with self._cond:
                left = deadline - time.monotonic()
                if left <= 0:
                    raise TimeoutError("no visible window titled /%s/ within %.0f s" % (pattern, timeout))
                # Woken by any map or unmap; the short bound covers a title
                # that arrives after the mapping.
                self._cond.wait(min(left, 0.05))

    def wait_unmapped(self, window, timeout):
        deadline = time.monotonic() + timeout
        with self._cond:
            while window.mapped:
                left = deadline - time.monotonic()
                if left <= 0:
                    raise TimeoutError("window %r (0x%x) stayed visible" % (window.name, window.wid))
                self._cond.wait(left)

    # -- input and closing ------------------------------------------------

    def _fake(self, kind, detail, x=0, y=0):
        body = struct.pack("<BBHIIII hh I H B B", kind, detail, 0, 0, self.root if kind == 6 else 0,
                           0, 0, x, y, 0, 0, 0, 0)
        self._request(self._xtest, 2, body)  # XTestFakeInput

    def move_pointer(self, x, y):
        self._fake(6, 0, x, y)  # MotionNotify, absolute
        self.sync()

    def click(self, x, y, pause=0.05):
        """Moves the pointer to (x, y) on the screen and clicks button 1.
        Returns the monotonic time just before the release was sent: the
        program cannot react to the click before it."""
        self.move_pointer(x, y)
        time.sleep(pause)
        self._fake(4, 1)  # ButtonPress
        self.sync()
        time.sleep(0.02)
        released = time.monotonic()
        self._fake(5, 1)  # ButtonRelease
        self.sync()
        return released

    def click_client(self, window, x, y):
        ox, oy = self.origin(window.wid)
        return self.click(ox + x, oy + y)

    def request_close(self, window):
        """Sends WM_DELETE_WINDOW, as a window manager's close button does."""
        data = struct.pack("<IIIII", self.atom("WM_DELETE_WINDOW"), 0, 0, 0, 0)
        event = struct.pack("<BBHII", 33, 32, 0, window.wid, self.atom("WM_PROTOCOLS")) + data
        self._request(25, 0, struct.pack("<II", window.wid, 0) + event)  # SendEvent
        self.sync()
