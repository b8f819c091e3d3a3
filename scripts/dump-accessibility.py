#!/usr/bin/python3
"""Prints what a screen reader sees of psion-interface over AT-SPI: the main
window, then the setup dialog with a code typed into its boxes, then the
message box its Save brings up. Each line: role, "name", description,
labelled-by relation, and the value or text. Run through
scripts/dump-accessibility.sh, which starts the program and the bus."""

import sys
import time

import pyatspi
from gi.repository import Atspi, GLib

APP_NAME = "psion-interface"


def find_app(timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == APP_NAME:
                return app
        time.sleep(0.2)
    sys.exit(f"{APP_NAME} did not appear on the accessibility bus")


def value_of(node):
    parts = []
    try:
        text = node.queryText()
        parts.append("text=%r" % text.getText(0, text.characterCount))
    except NotImplementedError:
        pass
    try:
        parts.append("value=%s" % node.queryValue().currentValue)
    except NotImplementedError:
        pass
    return " ".join(parts)


def labelled_by(node):
    names = []
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            for i in range(relation.getNTargets()):
                names.append(relation.getTarget(i).name)
    return names


def dump(node, depth=0, out=sys.stdout):
    if node is None:
        return
    states = node.getState()
    if not states.contains(pyatspi.STATE_SHOWING) and depth > 0:
        return
    line = "%s%s %r" % ("  " * depth, node.getRoleName(), node.name)
    if node.description:
        line += " description=%r" % node.description
    by = labelled_by(node)
    if by:
        line += " labelled-by=%r" % by
    value = value_of(node)
    if value:
        line += " " + value
    print(line, file=out)
    for child in node:
        dump(child, depth + 1, out)


def names_and_descriptions(node):
    if node is None:
        return []
    found = [node.name or "", node.description or ""]
    for child in node:
        found += names_and_descriptions(child)
    return found


def window_titled(app, role, title, timeout=10):
    end = time.time() + timeout
    while time.time() < end:
        for window in app:
            if window is not None and window.getRoleName() == role and (
                    title is None or window.name == title):
                return window
        time.sleep(0.2)
    sys.exit(f"no {role} {title!r} came up")


def find(node, role, name=None):
    if node.getRoleName() == role and (name is None or node.name == name):
        return node
    for child in node:
        found = find(child, role, name) if child is not None else None
        if found is not None:
            return found
    return None


def press(node):
    # An action that opens a modal window answers only once it has closed.
    Atspi.set_timeout(500, -1)
    try:
        node.queryAction().doAction(0)
    except GLib.GError:
        pass
    finally:
        Atspi.set_timeout(-1, -1)


def main():
    code = sys.argv[1] if len(sys.argv) > 1 else "ABCDEFGHIJKL"
    app = find_app()
    main_window = window_titled(app, "frame", "Vided Ivivovizede")
    print("== Main window")
    dump(main_window)

    press(find(main_window, "menu item", "Setup"))
    dialog = window_titled(app, "dialog", "Psion Setup")
    for name, part in (("Setup code, first part", code[:5]),
                       ("Setup code, second part", code[5:])):
        box = find(dialog, "text", name)
        box.queryEditableText().insertText(0, part, len(part))
    time.sleep(0.5)
    print("== Setup dialog, code %s typed" % code)
    dump(dialog)

    press(find(dialog, "push button", "Save"))
    alert = window_titled(app, "alert", None)
    print("== Message box after Save")
    dump(alert)

    heard = sum((names_and_descriptions(window) for window in app), [])
    leaks = [text for text in heard if code[:5] in text or code[5:] in text]
    if leaks:
        sys.exit("the setup code is heard as a name or description: %r" % leaks)
    print("== The code is in no name or description of the program's %d objects" % len(heard))


if __name__ == "__main__":
    main()
