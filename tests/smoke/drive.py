#!/usr/bin/python3
"""Drives the real Mirelo from outside, the way a user (or a screen reader) would.

Started by smoke.sh on a private X display, with a window manager and a compositor, a session
bus and the offline server running. Reads what the X server received about the windows with
xprop and xwininfo (the splash's opacity at every fade step, the main window's frame), reads the
windows through AT-SPI, clicks and types with xdotool, reads the clipboard with xclip and closes
the main window with WM_DELETE_WINDOW, as a window manager would.

usage: drive.py PROGRAM PROXY_URL SERVER_LOG
Exit status 0 when every step did what it should; 1 otherwise, with the step that failed.
"""

import ctypes
import os
import re
import signal
import subprocess
import sys
import time

import pyatspi

MAIN_TITLE = "Zv系列软件のMirelo V6"
SPLASH_TITLE = "Zv系列软件"
NUMBER = "10001"
# The row the offline server's public demo account gives, column by column.
EXPECTED_ROW = [NUMBER, "小明", "7840分", "35级", "20首", "3篇", "37条", "12人", "34567人"]

START = time.monotonic()
TOTAL_SECONDS = 44
OPAQUE = 0xFFFFFFFF
# Eighteen 50 ms fade steps; sampled every 50 ms from outside, a few may fall between samples.
LEAST_FADE_STEPS = 5


class Failure(Exception):
    pass


def log(message):
    print(f"[{time.monotonic() - START:5.1f}s] {message}", flush=True)


def wait_for(what, probe, seconds, interval=0.1):
    """Calls probe() until it returns something true; fails after `seconds`."""
    end = min(time.monotonic() + seconds, START + TOTAL_SECONDS)
    last_error = None
    while True:
        try:
            result = probe()
            if result:
                return result
        except Exception as error:  # AT-SPI objects come and go while windows change
            last_error = error
        if time.monotonic() >= end:
            detail = f" (last error: {last_error})" if last_error else ""
            raise Failure(f"timed out waiting for {what}{detail}")
        time.sleep(interval)


def run(*command, timeout=5):
    return subprocess.run(command, check=True, capture_output=True, text=True,
                          timeout=timeout).stdout


# --- AT-SPI ---------------------------------------------------------------------------

def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def descendants(node):
    found = [node]
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            found.extend(descendants(child))
    return found


def find(root, role, name=None, pattern=None):
    for node in descendants(root):
        if node.getRoleName() != role:
            continue
        if name is not None and node.name != name:
            continue
        if pattern is not None and not re.search(pattern, node.name or ""):
            continue
        return node
    return None


def top_level(app, role, name):
    for i in range(app.childCount):
        child = app.getChildAtIndex(i)
        if child is not None and child.getRoleName() == role and child.name == name:
            return child
    return None


def message_boxes(app):
    return [app.getChildAtIndex(i) for i in range(app.childCount)
            if app.getChildAtIndex(i) is not None
            and app.getChildAtIndex(i).getRoleName() in ("alert", "dialog")]


def press(node):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names:
        raise Failure(f"{node.name!r} cannot be pressed (actions {names})")
    action.doAction(names.index("Press"))


def centre(node):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x + box.width // 2, box.y + box.height // 2


def click(node):
    x, y = centre(node)
    run("xdotool", "mousemove", str(x), str(y), "click", "1")


def row(table, index):
    t = table.queryTable()
    return [t.getAccessibleAt(index, column).name for column in range(t.nColumns)]


# --- X --------------------------------------------------------------------------------

def x_windows(*search):
    out = subprocess.run(("xdotool", "search", "--onlyvisible") + search,
                         capture_output=True, text=True, timeout=5).stdout
    return [int(w) for w in out.split()]


def opacity(window):
    """The window's _NET_WM_WINDOW_OPACITY as the X server holds it (0..0xffffffff); None when
    the window is gone. A window without the property is opaque."""
    result = subprocess.run(("xprop", "-id", str(window), "_NET_WM_WINDOW_OPACITY"),
                            capture_output=True, text=True, timeout=5)
    if result.returncode != 0:
        return None
    match = re.search(r"= (\d+)", result.stdout)
    return int(match.group(1)) if match else OPAQUE


def sample_opacity(window, until, seconds):
    """Reads the opacity every 50 ms, without any input, until until(samples) or `seconds`."""
    samples = []
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        samples.append(opacity(window))
        if until(samples):
            break
        time.sleep(0.05)
    return samples


def steps_of(samples):
    """The distinct values in the order they came, gaps (a vanished window) dropped."""
    seen = []
    for value in samples:
        if value is not None and (not seen or seen[-1] != value):
            seen.append(value)
    return seen


def percent(values):
    return " ".join(f"{round(100 * v / OPAQUE)}%" for v in values)


def root_size():
    out = run("xwininfo", "-root")
    return (int(re.search(r"Width: (\d+)", out).group(1)),
            int(re.search(r"Height: (\d+)", out).group(1)))


def frame_of(window):
    """The window's outer rectangle: its client area plus the frame extents the window manager
    announced (left, right, top, bottom)."""
    info = run("xwininfo", "-id", str(window))
    x, y, width, height = (int(re.search(pattern, info).group(1)) for pattern in (
        r"Absolute upper-left X:\s+(-?\d+)", r"Absolute upper-left Y:\s+(-?\d+)",
        r"Width: (\d+)", r"Height: (\d+)"))
    extents = re.search(r"= (\d+), (\d+), (\d+), (\d+)",
                        run("xprop", "-id", str(window), "_NET_FRAME_EXTENTS"))
    left, right, top, bottom = (int(v) for v in extents.groups()) if extents else (0, 0, 0, 0)
    return x - left, y - top, width + left + right, height + top + bottom, top


def wait_centred(what, window, seconds):
    """Waits until the window's outer rectangle sits in the middle of the screen, give or take
    a pixel of rounding; returns the rectangle and the title bar's height."""
    screen_width, screen_height = root_size()

    def centred():
        x, y, width, height, _ = frame_of(window)
        return (abs(x - (screen_width - width) / 2) <= 1.5
                and abs(y - (screen_height - height) / 2) <= 1.5)
    try:
        wait_for(f"{what} to be centred", centred, seconds)
    except Failure as error:
        raise Failure(f"{error}: frame {frame_of(window)[:4]} on a "
                      f"{screen_width}x{screen_height} screen")
    return frame_of(window)


def selection_owned(name):
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XGetSelectionOwner.restype = ctypes.c_ulong
    x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        return False
    try:
        return x11.XGetSelectionOwner(display, x11.XInternAtom(display, name, 0)) != 0
    finally:
        x11.XCloseDisplay(display)


def ask_to_close(window):
    """Sends WM_DELETE_WINDOW, as a window manager does for the title bar's close button."""
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

    class Event(ctypes.Union):
        _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(Event)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    display = x11.XOpenDisplay(None)
    if not display:
        raise Failure("cannot open the X display")
    try:
        event = Event()
        event.xclient.type = 33  # ClientMessage
        event.xclient.send_event = 1
        event.xclient.display = display
        event.xclient.window = window
        event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
        event.xclient.format = 32
        event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        if not x11.XSendEvent(display, window, 0, 0, ctypes.byref(event)):
            raise Failure("XSendEvent failed")
        x11.XFlush(display)
    finally:
        x11.XCloseDisplay(display)


# --- the run --------------------------------------------------------------------------

def drive(program, proxy, server_log):
    wait_for("the compositor", lambda: selection_owned(b"_NET_WM_CM_S0"), 5)
    program_dir = os.path.dirname(program)
    env = dict(os.environ)
    for name in ("no_proxy", "NO_PROXY", "HTTP_PROXY", "all_proxy", "ALL_PROXY"):
        env.pop(name, None)
    env.update(http_proxy=proxy, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    output = open(os.path.join(program_dir, "program.log"), "w")
    process = subprocess.Popen([program], cwd=program_dir, env=env, stdout=output,
                               stderr=subprocess.STDOUT)
    try:
        steps(process, program_dir, server_log)
    except Failure:
        if process.poll() is not None:
            log(f"the program had ended with status {process.returncode}")
        raise
    finally:
        if process.poll() is None:
            process.kill()
            process.wait(5)
        output.close()


def steps(process, program_dir, server_log):
    def alive():
        if process.poll() is not None:
            raise Failure(f"the program ended early with status {process.returncode}")
        return True

    # The splash fades in on its own, with no input at all: every step must reach the X server
    # (and so the compositor), not only Qt's own idea of the window's opacity.
    splash = wait_for("the splash's X window",
                      lambda: alive() and x_windows("--class", "mirelo"), 15, 0.02)[0]
    rising = sample_opacity(splash, lambda s: s[-3:] == [OPAQUE] * 3, 4)
    seen = steps_of(rising)
    log(f"splash is up (window {splash}); fade-in seen from outside: {percent(seen)}")
    if seen != sorted(seen) or not seen or seen[-1] != OPAQUE or len(seen) < LEAST_FADE_STEPS:
        raise Failure(f"the splash did not fade in step by step to opaque: {rising}")

    log(f"splash's frame {wait_centred('the splash', splash, 1)[:4]} is centred on the screen")

    app = wait_for("the program on the accessibility bus",
                   lambda: alive() and application(process.pid), 15)
    wait_for("the splash", lambda: alive() and top_level(app, "filler", SPLASH_TITLE), 10)
    time.sleep(0.3)
    if opacity(splash) != OPAQUE:
        raise Failure("the splash did not stay opaque while it waited for its click")
    log("splash stays opaque; clicking it")
    run("xdotool", "mousemove", "--window", str(splash), "300", "200", "click", "1")
    falling = sample_opacity(splash, lambda s: s[-1] is None or s[-1] == 0, 4)
    seen = steps_of(falling)
    log(f"fade-out seen from outside: {percent(seen)}")
    below = [v for v in seen if v < OPAQUE]
    if seen != sorted(seen, reverse=True) or len(below) < LEAST_FADE_STEPS:
        raise Failure(f"the splash did not fade out step by step: {falling}")

    main = wait_for("the main window", lambda: alive() and top_level(app, "frame", MAIN_TITLE), 10)
    log("main window is up")

    # Centred by its outer size, the window manager's frame (a title bar here) included.
    window = wait_for("the main window's X window", lambda: x_windows("--name", "Mirelo V6$"), 5)[0]
    frame = wait_centred("the main window's frame", window, 3)
    if frame[4] == 0:
        raise Failure("the window manager put no title bar on the main window")
    log(f"main window's frame {frame[:4]} is centred on the screen")

    number = wait_for("the number box", lambda: find(main, "text", "QQ号码"), 5)
    click(number)
    run("xdotool", "type", "--delay", "40", NUMBER)
    wait_for("the number typed in", lambda: number.queryText().getText(0, -1) == NUMBER, 5)
    portraits = find(main, "check box", "是否查询头像")
    portraits.queryAction().doAction(0)  # Toggle
    wait_for("the portraits box ticked",
             lambda: portraits.getState().contains(pyatspi.STATE_CHECKED), 5)
    press(find(main, "push button", "开始查询"))
    log(f"query for {NUMBER} started")

    table = find(main, "tree", "查询信息") or find(main, "table", "查询信息")
    if table is None:
        raise Failure("the result list is not on the accessibility bus")
    wait_for("the result row", lambda: alive() and table.queryTable().nRows >= 1
             and row(table, 0) == EXPECTED_ROW, 10)
    t = table.queryTable()
    headers = [t.getColumnHeader(c).name for c in range(t.nColumns)]
    log(f"row read through AT-SPI: {row(table, 0)} under {headers}")
    wait_for("the query to complete", lambda: find(main, "push button", "开始查询")
             .getState().contains(pyatspi.STATE_ENABLED), 10)
    for name in ("face", "head"):
        path = os.path.join(program_dir, name)
        with open(path, "rb") as picture:
            if picture.read(8) != b"\x89PNG\r\n\x1a\n":
                raise Failure(f"the portrait file {name} is not a PNG")
    log("both portraits written beside the program")

    # The row's report through the keyboard: select the row, Menu key, first item.
    click(t.getAccessibleAt(0, 1))
    wait_for("the list to have the focus",
             lambda: table.getState().contains(pyatspi.STATE_FOCUSED), 5)
    run("xdotool", "key", "Menu")
    time.sleep(0.3)
    run("xdotool", "key", "Down", "Return")
    done = f"QQ:[{NUMBER}]信息已复制到剪贴板!"
    box = wait_for("the copy confirmation",
                   lambda: alive() and next((b for b in message_boxes(app)
                                             if find(b, "label", done)), None), 5)
    report = run("xclip", "-o", "-selection", "clipboard")
    for line in ("QQ号码:10001", "QQ昵称:小明", "QQ空间积分:7840分", "QQ空间历史访问:34567人"):
        if line not in report.splitlines():
            raise Failure(f"the copied report lacks {line!r}:\n{report}")
    log("row report copied through the keyboard menu")
    press(find(box, "push button"))
    wait_for("the confirmation to close", lambda: not message_boxes(app), 5)

    # Timer2's reachability check (2 s after the main window opened) must have been answered
    # by the offline server and left the program running.
    probe = re.compile(r" GET http://www\.qq\.com/$", re.M)
    wait_for("the reachability check", lambda: alive() and probe.search(open(server_log).read()), 8)
    time.sleep(0.5)
    alive()
    log("reachability check answered; the program is still running")

    # Closing asks whether to visit the forum; "No" just ends the program.
    ask_to_close(window)
    prompt = wait_for("the exit prompt",
                      lambda: alive() and next((b for b in message_boxes(app)
                                                if find(b, "push button", pattern=r"^(否|No)")),
                                               None), 5)
    press(find(prompt, "push button", pattern=r"^(否|No)"))
    log("exit prompt answered No")
    try:
        status = process.wait(10)
    except subprocess.TimeoutExpired:
        raise Failure("the program is still running 10 s after the exit prompt")
    if status != 0:
        raise Failure(f"the program ended with status {status}")
    log("the program ended with status 0")


def main():
    # Killed from outside (smoke.sh's time limit): still end the program on the way out.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(124))
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        drive(*sys.argv[1:])
    except (Failure, subprocess.SubprocessError, OSError) as error:
        log(f"FAILED: {error}")
        return 1
    log("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
