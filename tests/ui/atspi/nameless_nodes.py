#!/usr/bin/python3
"""Walks an application's tree on the accessibility bus (AT-SPI over D-Bus) as a screen reader
sees it and reports what a screen reader could not speak.

Usage: nameless_nodes.py <application name> <caption>...
Prints one line per shown, focusable node without a name (list rows and table cells aside: an
empty cell is no control) and per caption that is not offered exactly once as a row or cell.
Exits 0 when there is nothing to print, 1 otherwise, 2 when the application never appears.
"""
import sys
import time

import dbus

ACCESSIBLE = "org.a11y.atspi.Accessible"
ROOT = "/org/a11y/atspi/accessible/root"
STATE_FOCUSABLE = 11
STATE_SHOWING = 25
ITEM_ROLES = {"table cell", "list item", "tree item", "column header", "row header",
              "table row", "table column header", "table row header"}


def accessibility_bus():
    session = dbus.SessionBus()
    launcher = session.get_object("org.a11y.Bus", "/org/a11y/bus")
    address = launcher.GetAddress(dbus_interface="org.a11y.Bus")
    return dbus.bus.BusConnection(str(address))


class Node:
    def __init__(self, bus, ref):
        self.bus_name, self.path = str(ref[0]), str(ref[1])
        self.proxy = bus.get_object(self.bus_name, self.path, introspect=False)

    def call(self, method, *args):
        return getattr(self.proxy, method)(*args, dbus_interface=ACCESSIBLE)

    def name(self):
        return str(self.proxy.Get(ACCESSIBLE, "Name",
                                  dbus_interface="org.freedesktop.DBus.Properties"))

    def has_state(self, bit):
        words = self.call("GetState")
        return bool(int(words[bit // 32]) & (1 << (bit % 32)))

    def children(self, bus):
        return [Node(bus, ref) for ref in self.call("GetChildren")]


def find_application(bus, name, timeout):
    registry = Node(bus, ("org.a11y.atspi.Registry", ROOT))
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for app in registry.children(bus):
            try:
                if app.name() == name and app.call("GetChildCount") > 0:
                    return app
            except dbus.DBusException:
                continue
        time.sleep(0.2)
    return None


def walk(bus, node, path, visit):
    for child in node.children(bus):
        role = str(child.call("GetRoleName"))
        child_path = f"{path}/{role}"
        visit(child, role, child_path)
        walk(bus, child, child_path, visit)


def main():
    if len(sys.argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    application, captions = sys.argv[1], sys.argv[2:]
    bus = accessibility_bus()
    app = find_application(bus, application, 30)
    if app is None:
        print(f"{application} never appeared on the accessibility bus")
        return 2
    problems = []
    offered = {caption: 0 for caption in captions}

    def visit(node, role, path):
        if not node.has_state(STATE_SHOWING):
            return
        name = node.name()
        if role in ITEM_ROLES:
            if name in offered:
                offered[name] += 1
        elif node.has_state(STATE_FOCUSABLE) and not name.strip():
            problems.append(f"no name: {path}")

    walk(bus, app, application, visit)
    for caption, count in offered.items():
        if count != 1:
            problems.append(f"row {caption!r} offered {count} times")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
