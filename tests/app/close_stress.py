#!/usr/bin/env python3
"""Close stress test of the desktop program.

Runs the real program on a virtual X server of its own against voltora-sim
(raw socket, no reply latency), walks it through keys, soft keys, the views
and a Save > Save data the way a user would (xdotool), then closes it the way
a window manager does: a WM_DELETE_WINDOW client message (wm-close). Half of
the runs close after the save, sending the message to every top-level
window; the others close while the file dialog is still open, to every
window or to the main window alone. Repeated --runs times.

A run fails when the program has not ended within 1 s of the close, ends with
a non-zero code, or the meter did not receive exactly one "REFresh" as the
end of the session (after it, only the reply-bearing query the worker was
inside may still arrive). Pictures, window lists and transcripts of failed
runs go to --artifacts.
"""

import argparse
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

# The front panel's keys: centres in panel coordinates (the skin's layout).
KEYS = {
    "DCV": (493, 44),
    "ACV": (551, 44),
    "F1": (101, 290),
    "F3": (223, 290),
    "Run": (493, 170),
    "Shift": (609, 170),
}
# The main window's client area: its height (382 dialog units of 1.625
# pixels), and the view list's left edge and top in client coordinates.
CLIENT_HEIGHT = 621
VIEW_LIST = (650, 343)
CLOSE_LIMIT_S = 1.0
# Once the close is taken the program joins its workers and ends.
EXIT_LIMIT_S = 10.0
ENDINGS = ("after save", "dialog open", "after save", "main window only")


class RunFailure(Exception):
    pass


class Display:
    """A private Xvfb."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1600x1200x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.strip():
            self.process.kill()
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number.decode().strip()
        self.pointer = None  # where xdotool last moved the pointer

    def close(self):
        self.process.terminate()
        self.process.wait(timeout=10)


class Session:
    """One run: a meter, the program, the walk, the close."""

    def __init__(self, args, display, index, workdir):
        self.args = args
        self.display = display
        self.index = index
        self.workdir = workdir
        self.env = dict(os.environ, DISPLAY=display.name, QT_QPA_PLATFORM="xcb")
        self.env.pop("WAYLAND_DISPLAY", None)
        self.transcript_path = os.path.join(workdir, f"transcript-{index:03d}.txt")
        self.sim = None
        self.app = None
        self.origin = None  # the panel's top-left on the screen
        self.port = None  # the meter's raw socket port
        self.save_took = None  # from confirming the file dialog to the file's being there
        # How the run ends: after the save, the close going to every
        # top-level window; or with the file dialog still open, the close
        # going to every window or (as a window manager's close button on
        # the main window does) to the main window alone.
        self.ending = ENDINGS[index % len(ENDINGS)]

    # ---- helpers -----------------------------------------------------------
    def xdotool(self, *words, check=True):
        try:
            result = subprocess.run(["xdotool", *words], env=self.env, capture_output=True,
                                    text=True, timeout=20)
        except subprocess.TimeoutExpired:
            raise RunFailure(f"xdotool {' '.join(words)} did not return")
        if check and result.returncode != 0:
            raise RunFailure(f"xdotool {' '.join(words)}: {result.stderr.strip()}")
        return result.stdout

    def wm_close(self, *words):
        try:
            result = subprocess.run([self.args.wm_close, *words], env=self.env,
                                    capture_output=True, text=True, timeout=20)
        except subprocess.TimeoutExpired:
            raise RunFailure(f"wm-close {' '.join(words)} did not return")
        if result.returncode != 0:
            raise RunFailure(f"wm-close {' '.join(words)}: {result.stderr.strip()}")
        return result.stdout

    def visible_windows(self, name):
        out = self.xdotool("search", "--onlyvisible", "--name", name, check=False)
        return [w for w in out.split()]

    def geometry(self, window):
        out = self.xdotool("getwindowgeometry", "--shell", window)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def wait(self, what, predicate, limit=20.0):
        deadline = time.monotonic() + limit
        while time.monotonic() < deadline:
            if self.app is not None and self.app.poll() is not None:
                raise RunFailure(f"the program ended ({self.app.returncode}) while waiting for {what}")
            value = predicate()
            if value:
                return value
            time.sleep(0.02)
        raise RunFailure(f"timed out waiting for {what}")

    def transcript(self):
        with open(self.transcript_path, "rb") as handle:
            return handle.read().decode("latin-1")

    def messages(self):
        return [line[2:] for line in self.transcript().splitlines() if line.startswith("> ")]

    def click(self, x, y):
        # xdotool's mousemove can wait for a motion that never comes when the
        # pointer is already there: then only click.
        if self.display.pointer == (x, y):
            self.xdotool("click", "1")
        else:
            self.xdotool("mousemove", str(x), str(y), "sleep", "0.02", "click", "1")
            self.display.pointer = (x, y)

    def picture(self, name):
        """A picture of the screen, when --pictures asks for them."""
        if self.args.pictures and shutil.which("import"):
            os.makedirs(self.args.artifacts, exist_ok=True)
            path = os.path.join(self.args.artifacts, f"run-{self.index:03d}-{name}.png")
            subprocess.run(["import", "-window", "root", path], env=self.env, capture_output=True,
                           timeout=30)

    def press(self, key):
        x, y = KEYS[key]
        self.click(self.origin[0] + x, self.origin[1] + y)
        time.sleep(self.args.step_delay)

    # ---- the run -----------------------------------------------------------
    def start(self):
        transcript = open(self.transcript_path, "wb")
        self.sim = subprocess.Popen(
            [self.args.sim, "--no-vxi11", "--socket-port", "0", "--transcript"],
            stdout=subprocess.PIPE, stderr=transcript, text=True)
        transcript.close()
        ready = self.sim.stdout.readline()
        match = re.search(r"socket=(\d+)", ready)
        if not match:
            raise RunFailure(f"voltora-sim did not get ready: {ready!r}")
        self.port = int(match.group(1))
        resource = f"TCPIP0::127.0.0.1::{self.port}::SOCKET"
        self.app_log = open(os.path.join(self.workdir, f"program-{self.index:03d}.txt"), "wb")
        # The file dialog starts in the program's working folder.
        self.app = subprocess.Popen([self.args.voltora, "--resource", resource], env=self.env,
                                    cwd=self.workdir, stdout=self.app_log,
                                    stderr=subprocess.STDOUT)

        def main_window():
            for window in self.visible_windows("^Voltora( - .*)?$"):
                x, y, width, height = self.geometry(window)
                if width == 800 and height > CLIENT_HEIGHT:
                    return x, y + height - CLIENT_HEIGHT
            return None

        self.origin = self.wait("the main window", main_window)
        self.wait("the first readings", lambda: "DATA:LAST?" in self.transcript())

    def walk(self):
        self.picture("started")
        # Each group of keys, clicked with a short pause between them, then
        # what the meter must have received for it before the walk goes on.
        for keys, expected in ((("ACV",), '> FUNC "VOLT:AC"\n'), (("DCV",), '> FUNC "VOLT:DC"\n'),
                               (("F1", "F3"), "> VOLT:DC:RANGE 2\n"), (("Run", "Run"), None),
                               (("Shift", "DCV"), '> FUNC "CURR:DC"\n')):
            offset = os.path.getsize(self.transcript_path)
            for key in keys:
                self.press(key)
            if expected:
                self.wait(f"{expected.strip()!r} after {'+'.join(keys)}",
                          lambda: expected in self.transcript()[offset:], limit=10)
        self.picture("keys")
        # Views: the list's first row, then the keyboard moves the selection
        # (bar meter, trend chart, histogram; each chart is left once the
        # meter has been asked for its data) and Home goes back to the math view.
        self.click(self.origin[0] + VIEW_LIST[0] + 30, self.origin[1] + VIEW_LIST[1] + 8)
        for key, asked in (("Down", None), ("Down", "> CALCulate:TRENd:"),
                           ("Down", "> CALCulate:TRANsform:HISTogram:"), ("Home", None)):
            self.xdotool("key", key)
            time.sleep(self.args.step_delay)
            if asked:
                self.wait(f"the view's {asked!r}", lambda: asked in self.transcript(), limit=10)
        self.picture("views")
        self.save()

    def open_save_menu(self, mouse):
        """Save > Save data: clicking "Control" opens the menu bar, Right twice
        moves to "Save"; its item is taken with Return or a click on it."""
        self.click(self.origin[0] + 20, self.origin[1] - 10)
        time.sleep(self.args.step_delay)
        for key in ("Right", "Right"):
            self.xdotool("key", key)
            time.sleep(self.args.step_delay)
        if not mouse:
            self.xdotool("key", "Return")
            return

        def save_menu():
            for window in self.visible_windows(""):
                x, y, width, height = self.geometry(window)
                if height < 40 and y > self.origin[1] - 20:
                    return x + width // 2, y + height // 2
            return None

        self.click(*self.wait("the Save menu", save_menu, limit=10))

    def save(self):
        """Save > Save data, through the keyboard or the mouse; the name is
        typed whole or relative to the dialog's folder. In a run that closes
        with the dialog open it stops there; otherwise the name is confirmed
        with Return or the Save button's Alt+S and the close follows once the
        file is written and the dialog gone."""
        name = f"readings-{self.index:03d}.csv"
        path = os.path.join(self.workdir, name)
        self.open_save_menu(mouse=random.random() < 0.5)
        dialog = self.wait("the file dialog", lambda: self.visible_windows("^Save As$"), limit=10)
        time.sleep(self.args.step_delay)
        self.picture("file-dialog")
        self.xdotool("key", "--window", dialog[0], "ctrl+a")
        self.xdotool("type", "--delay", "2", path if random.random() < 0.5 else name)
        if self.ending != "after save":
            time.sleep(random.uniform(0.0, 0.3))
            return
        confirmed = time.monotonic()
        self.xdotool("key", "Return" if random.random() < 0.5 else "alt+s")
        self.wait("the saved file", lambda: os.path.exists(path) and os.path.getsize(path) > 0)
        self.save_took = time.monotonic() - confirmed
        self.wait("the file dialog to go", lambda: not self.visible_windows("^Save As$"), limit=10)
        time.sleep(random.uniform(0.0, 0.5))

    def connected(self):
        """Whether a TCP connection to the meter's port is established (the
        program's side, from /proc/net/tcp)."""
        with open("/proc/net/tcp") as handle:
            for line in handle.readlines()[1:]:
                fields = line.split()
                if fields[3] == "01" and int(fields[2].split(":")[1], 16) == self.port:
                    return True
        return False

    def close_taken(self, offset):
        """The close sequence has run: "REFresh" arrived after `offset` of the
        transcript, no main window is shown and the connection is closed."""
        if self.app.poll() is not None:
            return True
        with open(self.transcript_path, "rb") as handle:
            handle.seek(offset)
            if b"> REFresh\n" not in handle.read():
                return False
        if re.search(r" mapped .* Voltora( - .*)?$", self.wm_close("list"), re.MULTILINE):
            return False
        return not self.connected()

    def close_and_check(self):
        """Sends the close; returns how long it took to be taken and how long
        until the program had ended."""
        self.picture("before-close")
        windows = self.wm_close("list")
        before = len(self.messages())
        offset = os.path.getsize(self.transcript_path)
        if self.ending == "main window only":
            self.wm_close("close", "Voltora")
        else:
            self.wm_close("close")
        sent = time.monotonic()
        while not self.close_taken(offset) and time.monotonic() - sent < CLOSE_LIMIT_S:
            time.sleep(0.01)
        took = time.monotonic() - sent
        if not self.close_taken(offset):
            self.keep_evidence(windows)
            raise RunFailure(f"the close was not taken within {CLOSE_LIMIT_S:.0f} s; windows:\n"
                             + windows)
        try:
            self.app.wait(timeout=EXIT_LIMIT_S)
        except subprocess.TimeoutExpired:
            self.keep_evidence(windows)
            raise RunFailure(f"the program took the close but had not ended {EXIT_LIMIT_S:.0f} s "
                             "later")
        ended = time.monotonic() - sent
        if self.app.returncode != 0:
            raise RunFailure(f"the program ended with {self.app.returncode}")
        self.stop_sim()
        messages = self.messages()[before:]
        refreshes = [i for i, m in enumerate(messages) if m == "REFresh"]
        if len(refreshes) != 1:
            raise RunFailure(f"{len(refreshes)} REFresh sent after the close; last messages "
                             f"{messages[-8:]}")
        after = messages[refreshes[0] + 1:]
        if any("?" not in m for m in after) or len(after) > 1:
            raise RunFailure(f"sent after REFresh: {after}")
        return took, ended

    def keep_evidence(self, windows):
        os.makedirs(self.args.artifacts, exist_ok=True)
        stem = os.path.join(self.args.artifacts, f"run-{self.index:03d}")
        with open(stem + "-windows.txt", "w") as handle:
            handle.write(windows)
        if shutil.which("import"):
            subprocess.run(["import", "-window", "root", stem + ".png"], env=self.env,
                           capture_output=True, timeout=30)
        # Is it still running without a pause?
        before = len(self.messages())
        time.sleep(0.5)
        with open(stem + "-after-close.txt", "w") as handle:
            handle.write(f"{len(self.messages()) - before} messages in 0.5 s after the close\n")

    def stop_sim(self):
        if self.sim is not None and self.sim.poll() is None:
            self.sim.send_signal(signal.SIGTERM)
            try:
                self.sim.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.sim.kill()
                self.sim.wait()

    def cleanup(self):
        if self.app is not None and self.app.poll() is None:
            self.app.kill()
            self.app.wait()
        self.stop_sim()
        if getattr(self, "app_log", None):
            self.app_log.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--voltora", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--wm-close", required=True)
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--step-delay", type=float, default=0.12)
    parser.add_argument("--artifacts", default="close-stress-artifacts")
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--parallel", type=int, default=1,
                        help="programs run at once, each on its own display")
    parser.add_argument("--pictures", action="store_true",
                        help="keep pictures of the screen along the walk")
    args = parser.parse_args()
    for tool in ("Xvfb", "xdotool"):
        if not shutil.which(tool):
            print(f"close stress: {tool} is not installed", file=sys.stderr)
            return 1
    random.seed(args.seed)

    failures = []
    times = []
    lock = threading.Lock()
    started = time.monotonic()

    def one_run(display, workdir, index):
        session = Session(args, display, index, workdir)
        try:
            begun = time.monotonic()
            session.start()
            walked = time.monotonic()
            session.walk()
            took, ended = session.close_and_check()
            save = f", save {session.save_took:.2f} s" if session.save_took is not None else ""
            with lock:
                times.append(took)
                print(f"run {index + 1}/{args.runs} ({session.ending}): start "
                      f"{walked - begun:.1f} s{save}, close taken in {took * 1000:.0f} ms, "
                      f"ended after {ended * 1000:.0f} ms", flush=True)
        except RunFailure as failure:
            with lock:
                failures.append(index)
                print(f"run {index + 1}/{args.runs} ({session.ending}): FAILED: {failure}",
                      flush=True)
            os.makedirs(args.artifacts, exist_ok=True)
            session.stop_sim()
            shutil.copy(session.transcript_path, args.artifacts)
            shutil.copy(session.app_log.name, args.artifacts)
        finally:
            session.cleanup()

    def lane(first):
        # One display per lane; the lanes' runs interleave.
        display = Display()
        try:
            with tempfile.TemporaryDirectory(prefix="voltora-close-") as workdir:
                for index in range(first, args.runs, args.parallel):
                    one_run(display, workdir, index)
        finally:
            display.close()

    lanes = [threading.Thread(target=lane, args=(k,)) for k in range(args.parallel)]
    for thread in lanes:
        thread.start()
    for thread in lanes:
        thread.join()
    elapsed = time.monotonic() - started
    # Only a run that got through its close counts: one that died of an
    # unexpected error (a missing program, a crashed helper) is a failure too.
    print(f"close stress: {len(times)} of {args.runs} runs closed cleanly "
          f"in {elapsed:.0f} s" + (f"; slowest close {max(times) * 1000:.0f} ms" if times else ""))
    return 0 if len(times) == args.runs and not failures else 1


if __name__ == "__main__":
    sys.exit(main())
