#!/usr/bin/python3
"""Times one program as a user meets it, as a whole process under an X server (DISPLAY).

    window_probe.py [--close] [--a11y TITLE] [--timeout S] -- PROGRAM ARGS...

Starts PROGRAM and waits, as an X client of its own, until a top-level window of that process is mapped. Then it
waits until the window shows painted pixels, reads the process's resident memory, and with --close sends the
window manager's close request (a WM_DELETE_WINDOW client message) and waits until the process has ended. With
--a11y it also waits until an accessibility client (on the AT-SPI bus of the session) sees a window named TITLE
and reads its name. Prints one line of key=value pairs: times in microseconds from the start of the process
(visible, painted, a11y), close_us from the close request to the end of the process, rss in bytes, status
(ok, or what failed). Without --close the program is expected to end by itself (a probe that closes itself).
"""
import argparse
import os
import select
import subprocess
import sys
import time

from Xlib import X, Xatom, display, error
from Xlib.protocol import event as xevent


def now_us():
    return time.monotonic_ns() // 1000


def resident_bytes(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) * 1024
    except OSError:
        pass
    return 0


def window_pid(d, window, pid_atom):
    try:
        prop = window.get_full_property(pid_atom, Xatom.CARDINAL)
    except error.XError:
        return None
    return prop.value[0] if prop and len(prop.value) else None


def painted(window):
    """Whether the window shows anything but black: an unpainted window on Xvfb is black."""
    try:
        geometry = window.get_geometry()
        w, h = geometry.width, geometry.height
        # A band across the middle and one near the top: the background, a list or a tab strip.
        for y in (h // 2, min(h - 1, 12)):
            image = window.get_image(0, y, w, 1, X.ZPixmap, 0xFFFFFFFF)
            if any(image.data):
                return True
    except error.XError:
        pass
    return False


class A11yClient:
    """Finds an application's window by name in the AT-SPI registry of the session's accessibility bus."""

    def __init__(self):
        import dbus

        self.dbus = dbus
        session = dbus.SessionBus()
        # The accessibility bus may still be starting: wait for it, before the program starts.
        for attempt in range(100):
            try:
                address = session.call_blocking("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", "",
                                                [])
                break
            except dbus.DBusException:
                if attempt == 99:
                    raise
                time.sleep(0.05)
        self.bus = dbus.bus.BusConnection(str(address))

    def _children(self, name, path):
        return self.bus.call_blocking(name, path, "org.a11y.atspi.Accessible", "GetChildren", "", [], timeout=120)

    def _name(self, name, path):
        return str(self.bus.call_blocking(name, path, "org.freedesktop.DBus.Properties", "Get", "ss",
                                          ["org.a11y.atspi.Accessible", "Name"], timeout=120))

    def sees(self, title):
        try:
            apps = self._children("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root")
            for app_name, app_path in apps:
                for win_name, win_path in self._children(str(app_name), app_path):
                    if self._name(str(win_name), win_path) == title:
                        return True
        except self.dbus.DBusException:
            pass
        return False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--close", action="store_true")
    parser.add_argument("--a11y")
    parser.add_argument("--timeout", type=float, default=60)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command

    d = display.Display()
    root = d.screen().root
    root.change_attributes(event_mask=X.SubstructureNotifyMask)
    pid_atom = d.intern_atom("_NET_WM_PID")
    protocols = d.intern_atom("WM_PROTOCOLS")
    delete = d.intern_atom("WM_DELETE_WINDOW")
    d.sync()
    a11y = A11yClient() if args.a11y else None

    result = {"status": "ok"}
    start = now_us()
    proc = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + args.timeout
    window = None

    def fail(status):
        result["status"] = status
        if proc.poll() is None:
            proc.kill()
            proc.wait()

    # Mapped: a MapNotify on the root for a top-level window of this process (not a pop-up).
    while window is None and result["status"] == "ok":
        if time.monotonic() > deadline:
            fail("never-visible")
            break
        if not d.pending_events():
            select.select([d], [], [], 0.01)
        while d.pending_events():
            ev = d.next_event()
            if ev.type == X.MapNotify and not ev.override and window_pid(d, ev.window, pid_atom) == proc.pid:
                window = ev.window
                result["visible"] = now_us() - start
                break
        if window is None and proc.poll() is not None:
            fail("ended-before-visible")
    if window is not None:
        rss = resident_bytes(proc.pid)
        while not painted(window):
            if proc.poll() is not None:
                break  # a probe that closes itself once painted
            if time.monotonic() > deadline:
                fail("never-painted")
                break
            time.sleep(0.002)
        else:
            result["painted"] = now_us() - start
            rss = max(rss, resident_bytes(proc.pid))
        result["rss"] = rss
    if a11y and result["status"] == "ok":
        while not a11y.sees(args.a11y):
            if time.monotonic() > deadline or proc.poll() is not None:
                fail("never-accessible")
                break
            time.sleep(0.01)
        else:
            result["a11y"] = now_us() - start
    if args.close and result["status"] == "ok":
        message = xevent.ClientMessage(window=window, client_type=protocols,
                                       data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        # Waited for on a pidfd: Popen.wait with a timeout polls with sleeps of up to 50 ms.
        ended = select.poll()
        pidfd = os.pidfd_open(proc.pid)
        ended.register(pidfd, select.POLLIN)
        asked = now_us()
        window.send_event(message, event_mask=X.NoEventMask)
        d.flush()
        if ended.poll(max(1.0, deadline - time.monotonic()) * 1000):
            result["close"] = now_us() - asked
            proc.wait()
        else:
            fail("ignored-close")
        os.close(pidfd)
    elif result["status"] == "ok":
        try:
            proc.wait(timeout=max(1.0, deadline - time.monotonic()))
        except subprocess.TimeoutExpired:
            fail("did-not-end")
    if result["status"] == "ok" and proc.returncode != 0:
        result["status"] = f"exit-{proc.returncode}"
    print(" ".join(f"{k}={v}" for k, v in result.items()))
    return 0 if result["status"] == "ok" else 1


if __name__ == "__main__":
    sys.exit(main())
