#!/usr/bin/python3
"""Walks an application's tree on the accessibility bus (AT-SPI over D-Bus) as a screen reader
sees it and reports what a screen reader could not speak.

Usage: nameless_nodes.py <application name> [--row CAPTION]... [--open ROLE=NAME]...
Walks the application's windows, then for each --open presses the shown control of that role
and name (a "push button", a "menu item"), walks the modal dialog it opens and closes it with
its "Cancel" button. Prints one line per shown, focusable node without a name (list rows and
table cells aside: an empty cell is no control) and per --row caption of the application's
windows that is not offered exactly once as a row or cell. Exits 0 when there is nothing to
print, 1 otherwise, 2 when the application never appears.
"""
import argparse
import sys
import time

import dbus

ACCESSIBLE = "org.a11y.atspi.Accessible"
ACTION = "org.a11y.atspi.Action"
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

    def role(self):
        return str(self.call("GetRoleName"))

    def press(self):
        # A modal dialog answers the press only once it is closed: the reply is not awaited.
        self.proxy.DoAction(0, dbus_interface=ACTION, ignore_reply=True)


def find(bus, node, role, name):
    """The first node below node of that role and name, or None: shown, but for menus and
    their entries, which are pressed without opening the menu."""
    for child in node.children(bus):
        if child.has_state(STATE_SHOWING) or child.role() in ("popup menu", "menu item"):
            if child.role() == role and child.name() == name:
                return child
            found = find(bus, child, role, name)
            if found is not None:
                return found
    return None


def wait_for(condition, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = condition()
        if result is not None:
            return result
        time.sleep(0.2)
    return None


def shown_dialog(bus, app):
    for window in app.children(bus):
        if window.role() == "dialog" and window.has_state(STATE_SHOWING):
            return window
    return None


def find_application(bus, name, timeout):
    registry = Node(bus, ("org.a11y.atspi.Registry", ROOT))

    def application():
        for app in registry.children(bus):
            try:
                if app.name() == name and app.call("GetChildCount") > 0:
                    return app
            except dbus.DBusException:
                continue
        return None

    return wait_for(application, timeout)


def walk(bus, node, path, visit):
    for child in node.children(bus):
        role = child.role()
        child_path = f"{path}/{role}"
        visit(child, role, child_path)
        walk(bus, child, child_path, visit)


def check(bus, root, path, rows, problems):
    """Adds to problems what a screen reader could not speak below root; counts rows."""
    def visit(node, role, node_path):
        if not node.has_state(STATE_SHOWING):
            return
        name = node.name()
        if role in ITEM_ROLES:
            if name in rows:
                rows[name] += 1
        elif node.has_state(STATE_FOCUSABLE) and not name.strip():
            problems.append(f"no name: {node_path}")

    walk(bus, root, path, visit)


def check_dialog(bus, app, opener, problems):
    role, _, name = opener.partition("=")
    control = find(bus, app, role, name)
    if control is None:
        problems.append(f"no shown {role} {name!r} to open a dialog with")
        return True
    control.press()
    dialog = wait_for(lambda: shown_dialog(bus, app), 15)
    if dialog is None:
        return False
    check(bus, dialog, f"{name}/dialog", {}, problems)
    cancel = find(bus, dialog, "push button", "Cancel")
    if cancel is None:
        problems.append(f"the dialog of {name!r} has no Cancel button")
        return False
    cancel.press()
    return wait_for(lambda: True if shown_dialog(bus, app) is None else None, 15) is not None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("application")
    parser.add_argument("--row", action="append", default=[])
    parser.add_argument("--open", action="append", default=[])
    args = parser.parse_args()
    bus = accessibility_bus()
    app = find_application(bus, args.application, 30)
    if app is None:
        print(f"{args.application} never appeared on the accessibility bus")
        return 2
    problems = []
    rows = {caption: 0 for caption in args.row}
    check(bus, app, args.application, rows, problems)
    for caption, count in rows.items():
        if count != 1:
            problems.append(f"row {caption!r} offered {count} times")
    for opener in args.open:
        if not check_dialog(bus, app, opener, problems):
            problems.append(f"the dialog of {opener} did not open and close")
            break
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
