"""pictor read as a screen reader reads it, through the accessibility bus: run by /usr/bin/python3
(pyatspi's) inside dbus-run-session, which gives pictor and this script a session bus of their
own. Finds "Fichier" > "Ouvrir" and "About" > "About" by name, picks About, checks that its box
is named "About", closes it with OK and ends pictor with "Quitter". The menu items are picked
with the keys, as a screen reader's user does: GTK's own "click" action on an item of a closed
menu prints criticals of its own. pictor's stderr goes to ours.

Usage: dbus-run-session -- /usr/bin/python3 accessible.py PICTOR   (DISPLAY set; exit 1 on a fault)
"""
import os
import subprocess
import sys
import time

import pyatspi


def wait_for(find, what, limit=10):
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        found = find()
        if found:
            return found
        time.sleep(0.1)
    raise SystemExit("FAILED: %s" % what)


def named(parent, role, name):
    """The first descendant of parent with that role and name, or None."""
    return pyatspi.findDescendant(parent, lambda a: a is not None and a.getRole() == role
                                  and a.name == name)


def xdotool(*args):
    return subprocess.run(["timeout", "10", "xdotool"] + list(args), stdout=subprocess.PIPE,
                          check=True).stdout.decode()


def press(window, *keys):
    """Keys to pictor's main window (xdotool, on DISPLAY)."""
    xdotool("windowfocus", "--sync", window)
    xdotool("key", "--delay", "40", *keys)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    return next((a for a in desktop if a is not None and a.name == "pictor"), None)


def main():
    env = {k: v for k, v in os.environ.items() if k != "NO_AT_BRIDGE"}
    pictor = subprocess.Popen([sys.argv[1]], env=dict(env, GSETTINGS_BACKEND="memory"),
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
    try:
        window = xdotool("search", "--sync", "--onlyvisible", "--name", "^Pictor$").split()[0]
        app = wait_for(application, "pictor did not appear on the accessibility bus")
        items = {}
        for menu, item in (("Fichier", "Ouvrir"), ("About", "About")):
            popup = wait_for(lambda: named(app, pyatspi.ROLE_MENU, menu), "no menu %r" % menu)
            items[item] = named(popup, pyatspi.ROLE_MENU_ITEM, item)
            if items[item] is None:
                raise SystemExit("FAILED: no item %r in the menu %r" % (item, menu))
            print("reached by name: %s > %s" % (menu, item))
        press(window, "F10", "Right", "Down", "Return")  # About
        box = wait_for(lambda: next((w for w in app if w is not None and w.getRole() in (
            pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG)), None), "the About box did not appear")
        if box.name != "About":
            raise SystemExit("FAILED: the About box is named %r, not 'About'" % box.name)
        print("the About box is named %r" % box.name)
        named(box, pyatspi.ROLE_PUSH_BUTTON, "OK").queryAction().doAction(0)
        wait_for(lambda: "About" not in [w.name for w in app if w is not None],
                 "the About box did not close")
        press(window, "F10", "Up", "Return")  # Quitter
        code = pictor.wait(timeout=10)
        if code != 0:
            raise SystemExit("FAILED: Quitter ended pictor with %d" % code)
        print("About closed with its OK button, found by name; Quitter: exit status 0")
    finally:
        if pictor.poll() is None:
            pictor.kill()
            pictor.wait()


if __name__ == "__main__":
    main()
