#!/usr/bin/python3
"""Runs a desktop program on the X display of DISPLAY and pings its main
window with _NET_WM_PING, one ping in flight at a time, as a window manager
does to find a window that has stopped answering. A round trip is how long
the program's user-interface thread left the window without an answer.

The program announces its steps on standard output ("tamr-automation: STEP",
as tamr's TAMR_AUTOMATION hook does); each round trip counts for the step
announced when its ping was sent, the steps numbered in their order. On the step "pan" (which the program
itself ignores) the probe drags the left mouse button across the middle of
the window through XTest, as a user pans. It ends with the program and
prints each step's longest round trip and how many exceeded the limit.

    ui_ping_probe.py [--limit MS] -- COMMAND [ARGS...]

Exit status: 0 when no round trip exceeded the limit, 1 otherwise.
"""

import argparse
import select
import subprocess
import sys
import threading
import time

from Xlib import X, display
from Xlib.ext import xtest
from Xlib.protocol import event

PING_PERIOD = 0.02  # seconds between pings while answers come back at once
DRAG_STEPS = 40
DRAG_STEP_PIXELS = 12
DRAG_STEP_SECONDS = 0.015


def find_window(disp, pid):
    """The largest mapped top-level window of the process, or None."""
    pid_atom = disp.intern_atom("_NET_WM_PID")
    best, best_area = None, 0
    stack = [disp.screen().root]
    while stack:
        window = stack.pop()
        try:
            children = window.query_tree().children
        except Exception:  # the window went away meanwhile
            continue
        for child in children:
            stack.append(child)
            try:
                prop = child.get_full_property(pid_atom, X.AnyPropertyType)
                if prop is None or prop.value[0] != pid:
                    continue
                if child.get_attributes().map_state != X.IsViewable:
                    continue
                geometry = child.get_geometry()
            except Exception:
                continue
            area = geometry.width * geometry.height
            if area > best_area:
                best, best_area = child, area
    return best


class Steps:
    """The program's announcements, read on a thread of their own."""

    def __init__(self, stream):
        self.current = " 0 start"
        self.count = 0
        self.pending_pans = 0
        self.ended = False
        self.lock = threading.Lock()
        threading.Thread(target=self._read, args=(stream,), daemon=True).start()

    def _read(self, stream):
        for line in stream:
            line = line.strip()
            if not line.startswith("tamr-automation: "):
                continue
            step = line.split(": ", 1)[1]
            with self.lock:
                self.count += 1
                self.current = f"{self.count:2} {step}"
                if step == "pan":
                    self.pending_pans += 1
            print(f"{time.monotonic():.3f} {step}", file=sys.stderr, flush=True)
        with self.lock:
            self.ended = True


def drag_events(disp, window):
    """Timed XTest events of one left-button drag across the window's middle."""
    origin = window.translate_coords(disp.screen().root, 0, 0)
    geometry = window.get_geometry()
    x = -origin.x + geometry.width // 2 + DRAG_STEPS * DRAG_STEP_PIXELS // 2
    y = -origin.y + geometry.height // 2
    now = time.monotonic()
    events = [(now, X.MotionNotify, x, y), (now + 0.05, X.ButtonPress, 1, None)]
    for step in range(1, DRAG_STEPS + 1):
        events.append((now + 0.05 + step * DRAG_STEP_SECONDS, X.MotionNotify,
                       x - step * DRAG_STEP_PIXELS, y - step * DRAG_STEP_PIXELS // 2))
    events.append((events[-1][0] + 0.05, X.ButtonRelease, 1, None))
    return events


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--limit", type=float, default=100, help="longest answer allowed, in ms")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    options = parser.parse_args()
    command = options.command[1:] if options.command[:1] == ["--"] else options.command
    if not command:
        parser.error("no program to run")

    disp = display.Display()
    root = disp.screen().root
    # Programs answer a ping on the root window, for the structure or
    # substructure of it (which of the two varies between toolkits).
    root.change_attributes(event_mask=X.StructureNotifyMask | X.SubstructureNotifyMask)
    protocols = disp.intern_atom("WM_PROTOCOLS")
    ping = disp.intern_atom("_NET_WM_PING")

    program = subprocess.Popen(command, stdout=subprocess.PIPE, text=True, bufsize=1)
    steps = Steps(program.stdout)
    window = None
    sequence = 0
    in_flight = None  # (sequence, sent at, step)
    next_ping = 0.0
    drag = []
    longest = {}  # step -> (longest round trip in ms, pings, pings over the limit)

    def record(step, milliseconds):
        worst, count, over = longest.get(step, (0.0, 0, 0))
        longest[step] = (max(worst, milliseconds), count + 1, over + (milliseconds > options.limit))

    while program.poll() is None:
        now = time.monotonic()
        if window is None:
            window = find_window(disp, program.pid)
            if window is None:
                time.sleep(0.05)
                continue
        with steps.lock:
            step = steps.current
            if steps.pending_pans and not drag:
                steps.pending_pans -= 1
                drag = drag_events(disp, window)
        while drag and drag[0][0] <= now:
            _, kind, a, b = drag.pop(0)
            if kind == X.MotionNotify:
                xtest.fake_input(disp, X.MotionNotify, x=a, y=b)
            else:
                xtest.fake_input(disp, kind, a)
            disp.flush()
        if in_flight is None and now >= next_ping:
            sequence += 1
            message = event.ClientMessage(window=window, client_type=protocols,
                                          data=(32, [ping, sequence, window.id, 0, 0]))
            try:
                window.send_event(message, event_mask=0)
                disp.flush()
            except Exception:
                break
            in_flight = (sequence, now, step)
            next_ping = now + PING_PERIOD
        select.select([disp], [], [], 0.005)
        while disp.pending_events():
            answer = disp.next_event()
            if (answer.type == X.ClientMessage and answer.client_type == protocols and in_flight is not None
                    and answer.data[1][0] == ping and answer.data[1][1] == in_flight[0]):
                record(in_flight[2], (time.monotonic() - in_flight[1]) * 1000)
                in_flight = None
    if in_flight is not None:
        record(in_flight[2] + " (unanswered at the end)", (time.monotonic() - in_flight[1]) * 1000)

    print(f"{'step':<28} {'pings':>7} {'longest ms':>11} {'over ' + str(int(options.limit)) + ' ms':>12}")
    total_over = 0
    for step, (worst, count, over) in longest.items():
        print(f"{step:<28} {count:>7} {worst:>11.0f} {over:>12}")
        total_over += over
    print(f"program ended with status {program.returncode}; {total_over} answers over {options.limit:.0f} ms")
    return 0 if total_over == 0 and longest else 1


if __name__ == "__main__":
    sys.exit(main())
