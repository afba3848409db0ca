#!/usr/bin/python3
"""Reads a running program's windows as a screen reader does, over AT-SPI.

    accessible_tree.py PID

Waits until the program with that process id shows on the accessibility bus,
then prints each of its accessible objects, depth first, one line each, with
tab-separated fields: depth, role, name, description, states (a
comma-separated subset of focusable, focused, showing) and the current value
(empty for an object without one). Exits 1 when the program never shows.
"""
import sys
import time

import pyatspi

PATIENCE_SECONDS = 30
STATES = (
    ("focusable", pyatspi.STATE_FOCUSABLE),
    ("focused", pyatspi.STATE_FOCUSED),
    ("showing", pyatspi.STATE_SHOWING),
)


def find_program(pid):
    for application in pyatspi.Registry.getDesktop(0):
        if application is not None and application.get_process_id() == pid:
            return application
    return None


def one_line(text):
    return " ".join((text or "").split())


def value_of(accessible):
    try:
        return repr(accessible.queryValue().currentValue)
    except NotImplementedError:
        return ""


def print_tree(accessible, depth):
    state = accessible.getState()
    states = ",".join(name for name, flag in STATES if state.contains(flag))
    fields = (str(depth), accessible.getRoleName(), one_line(accessible.name),
              one_line(accessible.description), states, value_of(accessible))
    print("\t".join(fields))
    for child in accessible:
        if child is not None:
            print_tree(child, depth + 1)


def main():
    pid = int(sys.argv[1])
    deadline = time.monotonic() + PATIENCE_SECONDS
    program = find_program(pid)
    while program is None or program.childCount == 0:
        if time.monotonic() > deadline:
            print("no program with process id %d on the accessibility bus" % pid,
                  file=sys.stderr)
            return 1
        time.sleep(0.2)
        program = find_program(pid)
    print_tree(program, 0)
    return 0


if __name__ == "__main__":
    sys.exit(main())
