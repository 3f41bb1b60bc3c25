#!/usr/bin/python3
"""What a screen reader hears of the real program on X11, through AT-SPI.

Runs inside a session bus with the accessibility bus started (see
tst_screenreader.sh): starts the status server on this machine's ports 6969
and 80, as the program expects it, and the program, presses "IRC" and
"Begin Lookup" as assistive technology would, and reads what the IRC
window's web view says of the answer.

    tst_screenreader.py SERVER PROGRAM IRC_PORT ONLINE_NICK
"""
import os
import subprocess
import sys
import time

import pyatspi


def nodes(root, depth=0):
    """Every accessible below root, depth first (bounded: the windows are small)."""
    if root is None or depth > 40:
        return
    yield root
    for index in range(root.childCount):
        try:
            child = root.getChildAtIndex(index)
        except Exception:  # a node that went away while being read
            continue
        yield from nodes(child, depth + 1)


def wait_for(what, find, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = find()
        if found is not None:
            return found
        time.sleep(0.2)
    sys.exit(f"FAIL: {what} not found within {seconds} s")


def program(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        if app is not None and app.name == name:
            return app
    return None


def named(root, role, name):
    for node in nodes(root):
        if node.getRoleName() == role and node.name == name:
            return node
    return None


def press(node):
    action = node.queryAction()
    for index in range(action.nActions):
        if action.getName(index) in ("press", "click", "Press"):
            action.doAction(index)
            return
    action.doAction(0)


def main():
    server, quorvane, irc_port, nick = sys.argv[1:5]
    started = [subprocess.Popen([server, "--allow-network", "127.0.0.0/8", "--irc-ports", irc_port],
                                stderr=subprocess.DEVNULL)]
    environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
    started.append(subprocess.Popen([quorvane], env=environment, stderr=subprocess.DEVNULL))
    try:
        app = wait_for("the program on the accessibility bus", lambda: program("Quorvane"))
        main_window = wait_for("the messenger window",
                               lambda: named(app, "frame", "Quorvane - By Telmik/Brasko"))
        press(wait_for("the IRC button", lambda: named(main_window, "push button", "IRC")))
        irc_window = wait_for("the IRC window", lambda: named(app, "frame", "IRC Quorvane - By Telmik/Brasko"))
        box = wait_for("the IRC box", lambda: next(
            (node for node in nodes(irc_window) if node.getRoleName() in ("text", "entry")
             and node.name == "IRC"), None))
        identity = f"{nick}@127.0.0.1:{irc_port}"
        box.queryEditableText().setTextContents(identity)
        press(wait_for("Begin Lookup", lambda: named(irc_window, "push button", "Begin Lookup")))
        heard = f"{nick} on 127.0.0.1:{irc_port}: online"
        view = wait_for("the status view", lambda: next(
            (node for node in nodes(irc_window) if node.name == "Status picture"), None))
        said = wait_for(f'"{heard}" in the status view', lambda: next(
            (node for node in nodes(view) if heard in (node.name or "")), None), seconds=40)
        print(f"PASS: the view's {said.getRoleName()} says \"{said.name}\"")
    finally:
        for process in reversed(started):
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()


if __name__ == "__main__":
    main()
