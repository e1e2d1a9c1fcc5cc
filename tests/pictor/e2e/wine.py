import contextlib
import os
import time

from common import BACKGROUND, check, read_file, run, wait_for
from pictor import Pictor


@contextlib.contextmanager
def wine_prefix(arch, scratch, display):
    """A Wine prefix made for this run inside its scratch directory: its environment. The Wine
    server is ended with the run."""
    env = dict(os.environ, DISPLAY=display, WINEDEBUG="-all",
               WINEPREFIX=os.path.join(scratch, "prefix"),
               WINEARCH="win32" if arch == "i686" else "win64",
               # No offer to install Mono or Gecko, no menu entries in the user's home.
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
    try:
        started = time.monotonic()
        code, _ = run(["wineboot", "-i"], 180, env)
        check(code == 0, "wineboot -i ended with %d" % code)
        # The client area is erased with the scroll-bar colour: make it differ from Wine's white
        # menu bar, so that the client area is found as on Linux.
        code, _ = run(["wine", "reg", "add", r"HKCU\Control Panel\Colors", "/v", "Scrollbar",
                       "/t", "REG_SZ", "/d", "%d %d %d" % BACKGROUND, "/f"], 60, env)
        check(code == 0, "could not set Wine's scroll-bar colour")
        print("%s prefix made in %.1f s" % (env["WINEARCH"], time.monotonic() - started))
        yield env
    finally:
        run(["wineserver", "-k"], 20, env)
        run(["wineserver", "-w"], 20, env)


class PictorUnderWine(Pictor):
    """pictor.exe under Wine on the X11 desktop, in the run's prefix (args.wine_prefix). It is
    driven with the mouse: Wine's menus answer the keyboard otherwise than Windows, and without a
    window manager its keyboard focus is unreliable. Menus, the items and the message boxes' OK
    are clicked: places measured on Wine 8 (relative to the window, so they hold with or without
    a window manager's frame)."""
    launcher = ["wine"]
    MENU = {"Ouvrir": [(24, 9), (40, 29)], "Enregistrer sous": [(24, 9), (40, 46)],
            "Quitter": [(24, 9), (40, 72)], "About": [(75, 9), (80, 29)]}
    OK_ABOVE_BOTTOM = 22  # a message box's OK button: centred, this far above the bottom edge

    def environment(self):
        return {k: self.args.wine_prefix[k]
                for k in ("WINEDEBUG", "WINEPREFIX", "WINEARCH", "WINEDLLOVERRIDES")}

    def dialog_path(self, path):
        return ("Z:" + path.replace("/", "\\")).encode("cp1252")

    def click(self, window, x, y):
        self.xdotool("mousemove", "--window", window, str(x), str(y), "click", "1")

    def shown(self):
        _, out = self.xdotool("search", "--onlyvisible", "--name", ".*")
        return set(out.split())

    def pick(self, item, lone_alt=False):  # Wine's menus are clicked
        (title_x, title_y), (item_x, item_y) = self.MENU[item]
        known = self.shown()
        self.click(self.window, title_x, title_y)
        wait_for(lambda: self.shown() - known, 5,  # the drop-down menu
                 "the menu did not open for %s" % item)
        self.click(self.window, item_x, item_y)

    def ok_button(self, box):
        code, out = self.xdotool("getwindowgeometry", box)
        check(code == 0 and "Geometry:" in out, "no size for the message box %s" % box)
        size = out.split("Geometry:")[1].split()[0].split("x")
        self.click(box, int(size[0]) // 2, int(size[1]) - self.OK_ABOVE_BOTTOM)

    def choose_file(self, title, path, replace=False):
        """Types the path, as a Windows path, into Wine's file dialog and confirms it. (Wine asks
        nothing before writing over /dev/full, the one existing file replaced under Wine.)"""
        dialog = self.find_window(title)
        self.xdotool("windowfocus", "--sync", dialog)
        self.xdotool("type", "--delay", "5", self.dialog_path(path).decode("cp1252"), limit=20)
        time.sleep(0.2)
        self.xdotool("key", "Return")
        self.window_gone(title)

    def processes(self):
        """pictor.exe (wine starts it from start.exe) and the Wine server, which does part of
        every program's work: the processes of this prefix by those names."""
        found, prefix = [], ("WINEPREFIX=" + self.args.wine_prefix["WINEPREFIX"]).encode()
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                name = read_file("/proc/%s/comm" % pid).decode().strip()
                environ = read_file("/proc/%s/environ" % pid).split(b"\0")
            except OSError:
                continue
            if (name == "pictor.exe" or name.startswith("wineserver")) and prefix in environ:
                found.append(int(pid))
        check(len(found) == 2, "found %d processes of pictor.exe and wineserver" % len(found))
        return found

    def stop(self):
        run(["wineserver", "-k"], 20, self.args.wine_prefix)
        self.process.kill()
