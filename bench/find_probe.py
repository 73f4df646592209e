#!/usr/bin/python3
"""Times the Find Gear dialog as a user meets it: the whole program under an X server (DISPLAY), keys sent through
the server (XTest), the paint of the results seen on the server (the DAMAGE extension).

    find_probe.py [--presses N] [--timeout S] TEXT... -- PROGRAM ARGS...

Starts PROGRAM, waits until its main window is painted, gives it the keyboard and presses Ctrl+F. Once the dialog
is mapped it types each TEXT in turn, N times: all but the last key, then the last key alone, timed from the moment
the key is sent until the dialog has painted below its text box (the list and the count: their first paint after
the key shows the new results, as nothing there changes before they come), then Ctrl+A and Backspace to start
again from an empty text. The very first text typed also builds the search's index; it is timed as "first".
Prints one line of key=value pairs, times in microseconds: open (Ctrl+F until the dialog is mapped), first, for
each TEXT its median and its slowest press (TEXT=, TEXT_max=), and the process's resident memory once the main
window is painted (rss_shown) and after the searches (rss_found); status is ok, or what failed.
"""
import argparse
import os
import select
import statistics
import subprocess
import sys
import time

from Xlib import X, XK, display
from Xlib.ext import damage, xtest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from window_probe import now_us, painted, resident_bytes, window_pid  # noqa: E402

# The text box ends 405 twips down a dialog 4800 twips high, the list starts at 810: a paint whose lower edge is
# below this share of the height is one of the list or the count.
BELOW_TEXT_BOX = 0.15


class Failed(Exception):
    pass


class Probe:
    def __init__(self, command, timeout):
        self.d = display.Display()
        for extension in ("XTEST", "DAMAGE"):
            if not self.d.has_extension(extension):
                raise Failed(f"no-{extension.lower()}")
        self.d.damage_query_version()
        self.root = self.d.screen().root
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.pid_atom = self.d.intern_atom("_NET_WM_PID")
        self.d.sync()
        self.timeout = timeout
        self.proc = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.dialog = None
        self.height = 0

    def deadline(self):
        return time.monotonic() + self.timeout

    def next_event(self, until):
        while not self.d.pending_events():
            left = until - time.monotonic()
            if left <= 0 or self.proc.poll() is not None:
                raise Failed("timeout" if left <= 0 else "ended")
            select.select([self.d], [], [], min(left, 0.05))
        return self.d.next_event()

    def mapped(self, title=None):
        """The next top-level window of the program mapped, with that title if one is given."""
        until = self.deadline()
        while True:
            ev = self.next_event(until)
            if ev.type == X.MapNotify and not ev.override and \
                    window_pid(self.d, ev.window, self.pid_atom) == self.proc.pid:
                if title is None or ev.window.get_wm_name() == title:
                    return ev.window

    def keys(self, *names):
        """Presses the keys together and lets them go, as one chord."""
        codes = [self.d.keysym_to_keycode(XK.string_to_keysym(name)) for name in names]
        for code in codes:
            xtest.fake_input(self.d, X.KeyPress, code)
        for code in reversed(codes):
            xtest.fake_input(self.d, X.KeyRelease, code)
        self.d.flush()

    def results_painted(self, since):
        """Microseconds from `since` until the dialog paints below its text box."""
        until = self.deadline()
        while True:
            ev = self.next_event(until)
            if ev.type == self.d.extension_event.DamageNotify and \
                    ev.area.y + ev.area.height > BELOW_TEXT_BOX * self.height:
                return now_us() - since

    def settle(self):
        """Drains what the last change painted."""
        until = time.monotonic() + 0.15
        while time.monotonic() < until:
            while self.d.pending_events():
                self.d.next_event()
            time.sleep(0.01)

    def type_timed(self, text):
        for c in text[:-1]:
            self.keys(key_name(c))
            self.results_painted(now_us())
            self.settle()
        start = now_us()
        self.keys(key_name(text[-1]))
        return self.results_painted(start)

    def clear(self):
        self.keys("Control_L", "a")
        self.keys("BackSpace")
        self.results_painted(now_us())
        self.settle()


def key_name(c):
    return {" ": "space"}.get(c, c)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--presses", type=int, default=7)
    parser.add_argument("--timeout", type=float, default=60)
    parser.add_argument("texts", nargs="+")
    if "--" not in sys.argv:
        parser.error("no program after --")
    split = sys.argv.index("--")
    args = parser.parse_args(sys.argv[1:split])
    texts, command = args.texts, sys.argv[split + 1:]

    result = {"status": "ok"}
    probe = None
    try:
        probe = Probe(command, args.timeout)
        main_window = probe.mapped()
        until = probe.deadline()
        while not painted(main_window):
            if time.monotonic() > until:
                raise Failed("never-painted")
            time.sleep(0.002)
        result["rss_shown"] = resident_bytes(probe.proc.pid)
        main_window.set_input_focus(X.RevertToParent, X.CurrentTime)
        probe.d.sync()
        time.sleep(0.2)  # the window takes the focus

        start = now_us()
        probe.keys("Control_L", "f")
        probe.dialog = probe.mapped("Find Gear")
        result["open"] = now_us() - start
        probe.dialog.set_input_focus(X.RevertToParent, X.CurrentTime)
        probe.height = probe.dialog.get_geometry().height
        probe.dialog.damage_create(damage.DamageReportRawRectangles)
        probe.d.sync()
        probe.settle()

        result["first"] = probe.type_timed(texts[0])
        probe.settle()
        probe.clear()
        times = {text: [] for text in texts}
        for _ in range(args.presses):
            for text in texts:
                times[text].append(probe.type_timed(text))
                probe.settle()
                probe.clear()
        for text in texts:
            result[text] = int(statistics.median(times[text]))
            result[text + "_max"] = max(times[text])
        result["rss_found"] = resident_bytes(probe.proc.pid)
    except Failed as failure:
        result["status"] = str(failure)
    finally:
        if probe and probe.proc.poll() is None:
            probe.proc.kill()
            probe.proc.wait()
    print(" ".join(f"{k}={v}" for k, v in result.items()))
    return 0 if result["status"] == "ok" else 1


if __name__ == "__main__":
    sys.exit(main())
