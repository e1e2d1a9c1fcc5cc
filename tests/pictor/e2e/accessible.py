"""pictor as a screen reader reads it (run by /usr/bin/python3, pyatspi's, in dbus-run-session;
usage: accessible.py PICTOR, with DISPLAY set): its menu items and the About box with its OK
button found by name. Items are picked with keys, as a screen reader's user does: GTK's "click"
action on an item of a closed menu prints criticals of GTK's own."""
import os
import subprocess
import sys
import time

import pyatspi


def wait_for(find, what):
    deadline = time.monotonic() + 10
    while not (found := find()) and time.monotonic() < deadline:
        time.sleep(0.1)
    return found or sys.exit("FAILED: " + what)


def named(parent, role, name):
    return pyatspi.findDescendant(parent, lambda a: a is not None and a.getRole() == role
                                  and a.name == name)


def xdotool(*args):
    return subprocess.run(["timeout", "10", "xdotool"] + list(args), stdout=subprocess.PIPE,
                          check=True).stdout.decode()


env = {k: v for k, v in os.environ.items() if k != "NO_AT_BRIDGE"}
pictor = subprocess.Popen([sys.argv[1]], env=dict(env, GSETTINGS_BACKEND="memory"),
                          stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
try:
    window = xdotool("search", "--sync", "--onlyvisible", "--name", "^Pictor$").split()[0]
    app = wait_for(lambda: next((a for a in pyatspi.Registry.getDesktop(0)
                                 if a is not None and a.name == "pictor"), None),
                   "pictor is not on the accessibility bus")
    for menu, item in (("Fichier", "Ouvrir"), ("About", "About")):
        popup = wait_for(lambda: named(app, pyatspi.ROLE_MENU, menu), "no menu " + menu)
        wait_for(lambda: named(popup, pyatspi.ROLE_MENU_ITEM, item), "no item " + item)
        print("reached by name: %s > %s" % (menu, item))
    xdotool("windowfocus", "--sync", window, "key", "--delay", "40", "F10", "Right", "Down",
            "Return")  # About
    box = wait_for(lambda: next((w for w in app if w is not None and w.getRole() in (
        pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG)), None), "no About box")
    if box.name != "About":
        sys.exit("FAILED: the About box is named %r, not 'About'" % box.name)
    named(box, pyatspi.ROLE_PUSH_BUTTON, "OK").queryAction().doAction(0)
    wait_for(lambda: "About" not in [w.name for w in app if w is not None], "About stays open")
    print("the About box is named 'About'; closed with its OK button, found by name")
    xdotool("windowfocus", "--sync", window, "key", "--delay", "40", "F10", "Up", "Return")
    if pictor.wait(timeout=10) != 0:
        sys.exit("FAILED: Quitter ended pictor with %d" % pictor.returncode)
finally:
    if pictor.poll() is None:
        pictor.kill()
        pictor.wait()
