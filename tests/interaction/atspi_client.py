"""A small client of the accessibility bus, run as a program of its own by the tests (so that
each test's private session bus is the one it connects to; pyatspi keeps one connection for
the life of a process).

    atspi_client.py APPLICATION tree [TITLE]  every window of APPLICATION (whose title starts
                                              with TITLE) as JSON on stdout
    atspi_client.py APPLICATION press NAME    does the first action of the control NAME
    atspi_client.py APPLICATION set NAME N    sets the value of the number field NAME to N

NAME may be "WINDOW/NAME": the control NAME in the window whose title starts with WINDOW.

Exit status 0, or 1 when the application or the control is not there."""

import json
import sys
import time

import pyatspi


def describe(node, depth=0):
    """A node and its descendants as plain data; a drop-down list's own items are left out."""
    entry = {"name": node.name or "", "role": node.getRoleName(), "children": []}
    try:
        value = node.queryValue()
        entry["value"] = value.currentValue
        entry["range"] = [value.minimumValue, value.maximumValue]
    except NotImplementedError:
        pass
    states = node.getState()
    entry["showing"] = states.contains(pyatspi.STATE_SHOWING)
    entry["labelled_by"] = [target.name for relation in node.getRelationSet()
                            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
                            for target in (relation.getTarget(i)
                                           for i in range(relation.getNTargets()))]
    if entry["role"] != "combo box" and depth < 12:
        entry["children"] = [describe(child, depth + 1) for child in node if child is not None]
    return entry


def application(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == name:
            return app
    return None


def find(node, name):
    if node.name == name and node.getRoleName() not in ("label", "frame", "dialog", "panel"):
        return node
    for child in node:
        if child is not None and node.getRoleName() != "combo box":
            found = find(child, name)
            if found is not None:
                return found
    return None


def control_named(app_name, path):
    window, _, name = path.rpartition("/")
    app = application(app_name)
    if app is None:
        return None
    return next((found for found in (find(top, name) for top in app
                                     if top is not None and top.name.startswith(window))
                 if found is not None), None)


def main(args):
    if args[1] == "tree":
        app = application(args[0])
        if app is None:
            return 1
        prefix = args[2] if len(args) > 2 else ""
        json.dump([describe(window) for window in app
                   if window is not None and window.name.startswith(prefix)], sys.stdout)
        return 0
    # The application's windows reach the registry one by one: looked for a while.
    control = None
    for _ in range(20):
        try:
            control = control_named(args[0], args[2])
        except Exception:  # a window that went while it was walked
            control = None
        if control is not None:
            break
        time.sleep(0.5)
    if control is None:
        return 1
    if args[1] == "press":
        control.queryAction().doAction(0)
    elif args[1] == "set":
        control.queryValue().currentValue = float(args[3])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
