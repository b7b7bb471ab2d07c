#!/usr/bin/python3
"""Looks up 10001 once in the real Mirelo and checks the row and the status it shows, read
through AT-SPI as drive.py reads them. Started by signedin.sh, with the display, the session
bus and the signed-in offline server set up; XDG_CONFIG_HOME decides whether the program finds
the demo session. With sign-in, it starts without one, signs in by clicking 扫码登录 with the
mouse, looks up, then signs out by clicking 退出登录 and saying yes.

usage: signedin.py PROGRAM signed-in|signed-out|sign-in
"""

import os
import signal
import subprocess
import sys

import pyatspi

import drive
from drive import Failure, find, log, press, row, top_level, wait_for

ROWS = {
    "signed-in": drive.EXPECTED_ROW,  # the demo account's values, given to its session only
    # What the services give anyone else: the row of a space the window may not see.
    "signed-out": [drive.NUMBER, "", "0分", "0级", "0首", "0篇"] + ["空间有权限"] * 3,
    "sign-in": drive.EXPECTED_ROW,
}
SIGNED_OUT = "未登录 · 扫码登录"
SIGNED_IN = f"已登录：QQ {drive.NUMBER} · 退出登录"


def click_link_at_end(label):
    """Clicks the last word of a status label, its link, with the mouse."""
    box = label.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    drive.run("xdotool", "mousemove", str(box.x + box.width - 12),
              str(box.y + box.height // 2), "click", "1")


def sign_in(app, main, session_file):
    click_link_at_end(wait_for(SIGNED_OUT, lambda: find(main, "label", SIGNED_OUT), 5))
    window = wait_for("the sign-in window", lambda: top_level(app, "dialog", "扫码登录"), 5)
    wait_for("the code to scan", lambda: find(window, "label", "请用手机QQ扫描二维码"), 10)
    wait_for("登录成功", lambda: find(window, "label", "登录成功"), 20)
    wait_for("the sign-in window to close itself",
             lambda: top_level(app, "dialog", "扫码登录") is None, 5)
    wait_for(SIGNED_IN, lambda: find(main, "label", SIGNED_IN), 5)
    if os.stat(session_file).st_mode & 0o777 != 0o600:
        raise Failure("the session file is not private")
    log("signed in by clicking 扫码登录")


def sign_out(app, main, session_file):
    click_link_at_end(find(main, "label", SIGNED_IN))
    question = wait_for("the question", lambda: next(
        (b for b in drive.message_boxes(app) if find(b, "label", "确定要退出登录吗？")), None), 5)
    press(find(question, "push button", pattern=r"^(是|Yes)"))
    wait_for(SIGNED_OUT, lambda: find(main, "label", SIGNED_OUT), 5)
    if os.path.exists(session_file):
        raise Failure("signing out left the session file")
    log("signed out by clicking 退出登录: the session file is gone")


def look_up(process, expected, session_file=None):
    def alive():
        if process.poll() is not None:
            raise Failure(f"the program ended early with status {process.returncode}")
        return True

    splash = wait_for("the splash", lambda: alive() and drive.x_windows("--class", "mirelo"), 15)
    app = wait_for("the program on the accessibility bus",
                   lambda: alive() and drive.application(process.pid), 15)
    wait_for("the splash's click", lambda: top_level(app, "filler", drive.SPLASH_TITLE), 10)
    drive.run("xdotool", "mousemove", "--window", str(splash[0]), "300", "200", "click", "1")
    main = wait_for("the main window",
                    lambda: alive() and top_level(app, "frame", drive.MAIN_TITLE), 10)
    if session_file:
        sign_in(app, main, session_file)
    wait_for("the number box", lambda: find(main, "text", "QQ号码"), 5) \
        .queryEditableText().setTextContents(drive.NUMBER)
    head = os.path.join(os.path.dirname(process.args[0]), "head")
    if os.path.exists(head):
        os.remove(head)
    portraits = find(main, "check box", "是否查询头像")
    if not portraits.getState().contains(pyatspi.STATE_CHECKED):
        portraits.queryAction().doAction(0)  # Toggle
    press(find(main, "push button", "开始查询"))
    table = find(main, "tree", "查询信息") or find(main, "table", "查询信息")
    wait_for(f"the row {expected}", lambda: alive() and table.queryTable().nRows >= 1
             and row(table, 0) == expected, 15)
    done = f"QQ号码[{drive.NUMBER}]查询成功..."
    wait_for(done, lambda: find(main, "label", done), 10)
    # The QQ portrait comes from QQ's avatar service, signed in or not.
    with open(head, "rb") as picture:
        if picture.read(8) != b"\x89PNG\r\n\x1a\n":
            raise Failure("the QQ portrait beside the program is not a PNG")
    log(f"row {row(table, 0)}, status {done}, QQ portrait shown")
    if session_file:
        sign_out(app, main, session_file)


def main():
    # Killed from outside (signedin.sh's time limit): still end the program on the way out.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(124))
    if len(sys.argv) != 3 or sys.argv[2] not in ROWS:
        print(__doc__, file=sys.stderr)
        return 2
    program = sys.argv[1]
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    with open(os.path.join(os.path.dirname(program), "program.log"), "w") as output:
        process = subprocess.Popen([program], cwd=os.path.dirname(program), env=env,
                                   stdout=output, stderr=subprocess.STDOUT)
        try:
            session_file = None
            if sys.argv[2] == "sign-in":
                drive.TOTAL_SECONDS = 70
                session_file = os.path.join(os.environ["XDG_CONFIG_HOME"], "Mirelo",
                                            "cookies.txt")
            look_up(process, ROWS[sys.argv[2]], session_file)
        except (Failure, subprocess.SubprocessError, OSError, AttributeError) as error:
            log(f"FAILED: {error}")
            return 1
        finally:
            process.kill()
            process.wait(5)
    log("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
