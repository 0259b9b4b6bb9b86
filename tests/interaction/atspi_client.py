"""A small client of the accessibility bus, run as a program of its own by the tests (so that
each test's private session bus is the one it connects to; pyatspi keeps one connection for
the life of a process).

    atspi_client.py APPLICATION tree          every window of APPLICATION as JSON on stdout
    atspi_client.py APPLICATION press NAME    does the first action of the control NAME
    atspi_client.py APPLICATION set NAME N    sets the value of the number field NAME to N

NAME may be "WINDOW/NAME": the control NAME in the window whose title starts with WINDOW.

Exit status 0, or 1 when the application or the control is not there."""

import json
import sys

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


def main(args):
    app = application(args[0])
    if app is None:
        return 1
    if args[1] == "tree":
        json.dump([describe(window) for window in app if window is not None], sys.stdout)
        return 0
    window, _, name = args[2].rpartition("/")
    control = next((found for found in (find(top, name) for top in app
                                        if top is not None and top.name.startswith(window))
                    if found is not None), None)
    if control is None:
        return 1
    if args[1] == "press":
        control.queryAction().doAction(0)
    elif args[1] == "set":
        control.queryValue().currentValue = float(args[3])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
