#!/usr/bin/env python3
"""pictor used as a person would: the real program in a real window under its own Xvfb, driven
with xdotool, checked by screenshots and by the files it writes. Two ways to run it: the Linux
program on our GTK layer, driven through the keyboard, or (--wine ARCH) pictor.exe under Wine in
a scratch prefix of its own, driven with the mouse (Wine's menus answer the keyboard otherwise
than Windows, and without a window manager its keyboard focus is unreliable); under Wine the
steps that check our layer's own ways (the frame, the chooser's completion and refusals, the
message without a display) are left out.

Usage: e2e.py SCENARIO... --pictor PATH --kelvotrace PATH [--request-close PATH]
              [--wm openbox|weston] [--scale N] [--valgrind] [--wine i686|x86_64]
Scenarios: session, failures, idle, dialogs; several run one after the other on one display (and
in one Wine prefix). With --wm openbox the display runs that window manager:
windows get a frame and are closed with its close button; without, a close request is sent as
a manager's button would. With --wm weston (the session) the Linux program runs natively on
Wayland, in weston nested in the Xvfb. --scale runs it at that GDK_SCALE: each picture pixel
must show as a clean block. --valgrind runs pictor under memcheck. Every wait is bounded. A
Gtk-CRITICAL or Gtk-WARNING line on pictor's stderr fails the scenario, except GTK's own
KNOWN_GTK_COMPLAINT.
"""
import argparse
import os
import re
import resource
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
BACKGROUND = (200, 200, 200)  # the scroll-bar colour the layer erases with (and Wine's, as set)
MENU_OPEN, MENU_SAVE_AS, MENU_QUIT, MENU_ABOUT = "open", "save as", "quit", "about"
OPEN_TITLE = "^Ouverture du fichier"
SAVE_TITLE = "^Enregistrement du fichier"


# GTK prints it itself, also in a plain GTK program, when a path is typed in a file chooser after
# ctrl+L, under Xvfb and on Wayland in weston.
KNOWN_GTK_COMPLAINT = ("gtk_widget_event: assertion 'WIDGET_REALIZED_FOR_EVENT (widget, event)'"
                       " failed")
# The window is created at (100, 100) with an outer size, frame included, of 500 by 500.
FRAME = (100, 100, 500, 500)


class Failure(Exception):
    pass


SHOT = {}  # where a failing check saves a picture of the screen (PICTOR_E2E_SHOT), and its display
GTK_COMPLAINTS = []  # the Gtk-CRITICAL and Gtk-WARNING lines pictor printed


def check(condition, message):
    if not condition:
        if SHOT:
            run(["import", "-window", "root", SHOT["path"]], 10,
                dict(os.environ, DISPLAY=SHOT["display"]))
        raise Failure(message)


def run(args, limit=5, env=None):
    """Runs a command under timeout and returns its stdout."""
    done = subprocess.run(["timeout", str(limit)] + args, env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE)
    return done.returncode, done.stdout.decode("utf-8", "replace")


class Xvfb:
    """A display of our own, numbered by Xvfb itself, so tests may run side by side."""

    def __enter__(self):
        read, write = os.pipe()
        self.process = subprocess.Popen(
            # -noreset: a program started after the last one ended finds the display up.
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        deadline = time.monotonic() + 10
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read, 16)
            if not chunk:
                break
            number += chunk
        os.close(read)
        check(number.strip(), "Xvfb did not start")
        self.name = ":" + number.decode().strip()
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()


class WindowManager:
    """A window manager on that display, started once the display runs; None for none."""

    def __init__(self, name, display):
        self.name, self.display = name, display

    def __enter__(self):
        if self.name is None:
            return self
        env = dict(os.environ, DISPLAY=self.display)
        # On a loaded machine the manager has been seen, now and then, not to come up: start it
        # again, at most three times, and show what it said.
        for attempt in range(3):
            log = tempfile.TemporaryFile()
            self.process = subprocess.Popen([self.name], env=env, stdin=subprocess.DEVNULL,
                                            stdout=log, stderr=log)
            deadline = time.monotonic() + 20  # it announces itself on the root window
            while self.process.poll() is None and time.monotonic() < deadline:
                if "window id #" in run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], 5, env)[1]:
                    time.sleep(0.5)
                    return self
                time.sleep(0.1)
            self.process.kill()
            self.process.wait()
            log.seek(0)
            print("%s did not start: %s" % (self.name, log.read().decode("utf-8", "replace")))
        check(False, "%s did not start" % self.name)

    def __exit__(self, *exc):
        if self.name is not None:
            self.process.terminate()
            self.process.wait()


class Weston:
    """weston nested in the Xvfb with its X11 backend, so that it has a real keyboard and pointer:
    xdotool's keys and clicks on weston's X window reach its Wayland clients. Wayland windows have
    no X ids: weston's protocol log gives the windows and their titles, weston's screenshots show
    them, and the window is found in a screenshot by walking out to the desktop colour."""
    SOCKET = "pictor-e2e"
    # weston's X11 backend moves its pointer by the differences between X's motion events and
    # takes the absolute place only when the pointer enters its window, so it loses track of
    # xdotool's jumps. Its window leaves the screen's last rows free: the pointer waits there,
    # and enters the window anew for every click. Weston still draws its pointer where it left:
    # it leaves from the desktop's corner, out of the windows.
    HEIGHT = 1000
    PARK = ("mousemove", "1275", "995", "mousemove", "1275", "1015")
    DESKTOP = (0x20, 0x40, 0x60)  # its shadows are darker shades of it
    INI = ("[core]\nidle-time=0\n[shell]\nbackground-color=0xff204060\npanel-position=none\n"
           "animation=none\nclose-animation=none\nstartup-animation=none\n"
           "focus-animation=none\nlocking=false\n")  # no fading window in a screenshot

    def __init__(self, display, scratch):
        self.directory = os.path.join(scratch, "weston")
        self.runtime = os.path.join(self.directory, "runtime")
        self.env = dict(os.environ, DISPLAY=display, XDG_RUNTIME_DIR=self.runtime,
                        WAYLAND_DISPLAY=self.SOCKET)
        self.toplevels = {}  # (client, object) of each live window: its title
        self.popups = set()  # (client, object) of each open menu
        self.pending = ""  # the log's last line, while weston has not written it whole
        self.window_rectangle = None

    def __enter__(self):
        os.makedirs(self.runtime, mode=0o700)
        ini, log = os.path.join(self.directory, "weston.ini"), os.path.join(self.directory, "log")
        with open(ini, "w") as f:
            f.write(self.INI)
        # --use-pixman: no GL under Xvfb; --debug: the screenshooter; proto: the windows' titles.
        self.process = subprocess.Popen(
            ["weston", "--backend=x11-backend.so", "--socket=" + self.SOCKET, "--width=1280",
             "--height=%d" % self.HEIGHT, "--use-pixman", "--debug", "--config=" + ini,
             "--logger-scopes=proto", "--log=" + log],
            env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while not os.path.exists(os.path.join(self.runtime, self.SOCKET)):
            check(time.monotonic() < deadline and self.process.poll() is None,
                  "weston did not start")
            time.sleep(0.05)
        self.log = open(log, errors="replace")
        code, out = run(["xdotool", "search", "--sync", "--class", "^Weston Compositor$"], 10,
                        self.env)
        check(code == 0 and out.split(), "weston's X window did not appear")
        run(["xdotool", "windowfocus", "--sync", out.split()[0]], 5, self.env)
        run(["xdotool", "mousemove", "--sync", "1275", "1015", *self.PARK], 5, self.env)
        return self

    def __exit__(self, *exc):
        self.log.close()
        self.process.terminate()
        self.process.wait()

    def client_environment(self):
        return {k: self.env[k] for k in ("XDG_RUNTIME_DIR", "WAYLAND_DISPLAY")} | {
            "GDK_BACKEND": "wayland"}

    def forget(self):
        """Forgets the windows seen so far: a new pictor starts (the last has ended)."""
        self.read_log()
        self.toplevels.clear()
        self.popups.clear()

    def windows(self, title):
        """The live windows whose title matches, without regard to case."""
        self.read_log()
        return {key for key, t in self.toplevels.items() if re.search(title, t, re.IGNORECASE)}

    def read_log(self):
        """Follows the windows and menus that weston's clients make and destroy."""
        lines = (self.pending + self.log.read()).split("\n")
        self.pending = lines.pop()
        for line in lines:  # [date time][proto] client ADDRESS rq OBJECT@ID.REQUEST(ARGS)
            words = line.split()
            if len(words) < 6 or not words[1].endswith("[proto]") or words[4] != "rq":
                continue
            client, request = words[3], " ".join(words[5:])
            if ".get_toplevel(new id xdg_toplevel@" in request:
                self.toplevels[client, request.split("@")[-1].rstrip(")")] = ""
            elif ".get_popup(new id xdg_popup@" in request:
                self.popups.add((client, request.split("xdg_popup@")[1].split(",")[0]))
            elif request.startswith("xdg_popup@") and request.endswith(".destroy()"):
                self.popups.discard((client, request[len("xdg_popup@"):-len(".destroy()")]))
            elif request.startswith("xdg_toplevel@"):
                name, call = request[len("xdg_toplevel@"):].split(".", 1)
                if call.startswith("set_title(\""):
                    self.toplevels[client, name] = call[len("set_title(\""):-len("\")")]
                elif call == "destroy()":
                    self.toplevels.pop((client, name), None)

    def screen(self):
        """A screenshot of the whole screen, as weston shows it: width, height, raster."""
        shots = os.path.join(self.directory, "shots")
        os.makedirs(shots, exist_ok=True)
        done = subprocess.run(["timeout", "10", "weston-screenshooter"], cwd=shots, env=self.env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        names = os.listdir(shots)
        check(done.returncode == 0 and len(names) == 1, "weston-screenshooter failed")
        png = os.path.join(shots, names[0])
        done = subprocess.run(["timeout", "10", "convert", png, "-depth", "8", "ppm:-"],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        os.remove(png)
        check(done.returncode == 0, "could not read weston's screenshot")
        return read_ppm(done.stdout)

    def desktop(self, pixel):
        """Whether the pixel is the desktop or a shadow over it. GTK's 1-pixel outline is one:
        like the shadow, it lies outside the window's geometry as weston knows it."""
        r, g, b = pixel
        return r <= self.DESKTOP[0] and abs(g - 2 * r) <= 4 and abs(b - 3 * r) <= 6

    def find_window(self, screen, origin=None):
        """The window on the screen: x, y, width, height; zero by zero when none shows. Its top
        left corner, when not given, comes from the blank client area's middle."""
        width, height, raster = screen
        pixel = lambda x, y: tuple(raster[(y * width + x) * 3:(y * width + x) * 3 + 3])
        def walk(x, y, dx, dy):
            while 0 <= x + dx < width and 0 <= y + dy < height and \
                    not self.desktop(pixel(x + dx, y + dy)):
                x, y = x + dx, y + dy
            return x, y
        if origin is None:
            run_of_background = bytes(BACKGROUND) * 100
            for y in range(0, height, 10):
                at = raster.find(run_of_background, y * width * 3, (y + 1) * width * 3)
                if at >= 0 and at % 3 == 0:
                    x = at // 3 - y * width + 50
                    origin = (walk(x, y, -1, 0)[0], walk(x, y, 0, -1)[1])
                    break
            else:
                return 0, 0, 0, 0
        x, y = origin
        right = walk(x, y + 15, 1, 0)[0]  # along the title bar, below its rounded corners
        bottom = walk(right, y + 15, 0, 1)[1]  # down the right edge
        return x, y, right - x + 1, bottom - y + 1

    def crop(self, screen, rectangle):
        width, _, raster = screen
        x, y, w, h = rectangle
        return w, h, b"".join(raster[((y + r) * width + x) * 3:((y + r) * width + x + w) * 3]
                              for r in range(h))

    def close_button(self):
        """Where the title bar's close button is: its glyph, the darkest pixel of the title bar's
        right end."""
        x, y, w, _ = self.window_rectangle
        width, _, raster = self.screen()
        spots = [(sum(raster[(yy * width + xx) * 3:(yy * width + xx) * 3 + 3]), xx, yy)
                 for yy in range(y + 5, y + 32) for xx in range(x + w - 40, x + w - 5)]
        _, bx, by = min(spots)
        return bx, by


def read_ppm(data):
    """Width, height and raster of a binary P6 image (comments allowed in the header)."""
    fields, i = [], 0
    while len(fields) < 4:
        while data[i:i + 1].isspace():
            i += 1
        if data[i:i + 1] == b"#":
            i = data.index(b"\n", i) + 1
            continue
        start = i
        while not data[i:i + 1].isspace():
            i += 1
        fields.append(data[start:i])
    check(fields[0] == b"P6" and fields[3] == b"255", "screenshot is not an 8-bit P6 image")
    return int(fields[1]), int(fields[2]), data[i + 1:]


class Gtk:
    """The Linux program on our GTK layer: menus and dialogs answer the keyboard."""
    layer = True
    MENU = {MENU_OPEN: ["F10", "Down", "Return"], MENU_SAVE_AS: ["F10", "Down", "Down", "Return"],
            MENU_QUIT: ["F10", "Up", "Return"], MENU_ABOUT: ["F10", "Right", "Down", "Return"]}

    def prepare(self):
        pass  # nothing to set up before the first start, nor to end after the last

    def finish(self):
        pass

    def command(self, args):
        return [args.pictor]

    def environment(self, workdir):
        return {"GSETTINGS_BACKEND": "memory", "NO_AT_BRIDGE": "1",
                "ASAN_OPTIONS": "detect_leaks=0",  # GTK's own allocations are not ours
                # GTK's recent files and settings stay in the test's own directory.
                "XDG_DATA_HOME": workdir, "XDG_CONFIG_HOME": workdir, "XDG_CACHE_HOME": workdir}

    def dialog_path(self, path):
        """The path as the program's file dialog returns it, in the program's code page."""
        return path.encode()

    def menu(self, pictor, item):
        keys = self.MENU[item]
        if not pictor.weston:
            pictor.keys(pictor.window, *keys)
            return
        # On Wayland a menu opens after a round trip with the compositor: the keys wait for it.
        pictor.keys(pictor.window, keys[0])
        deadline = time.monotonic() + 5 * pictor.slow
        pictor.weston.read_log()
        while not pictor.weston.popups:
            check(time.monotonic() < deadline, "the menu did not open for %s" % item)
            time.sleep(0.05)
            pictor.weston.read_log()
        pictor.xdotool("key", "--delay", "150", *keys[1:])

    def dismiss(self, pictor, box):
        pictor.keys(box, "Return")

    def choose_file(self, pictor, title, path, replace):
        """Types a path into the file chooser titled title and confirms it; with replace, also
        confirms replacing the existing file."""
        dialog, known = pictor.type_path(title, path)
        # Should the completion still take the key, press it again while the chooser shows no
        # answer, after waiting longer than an answer takes.
        for attempt in range(3):
            if attempt:
                print("(Return again for %s: the chooser kept it)" % path)
            pictor.xdotool("key", "Return")
            deadline = time.monotonic() + 2.5 * pictor.slow
            while time.monotonic() < deadline:
                if replace and pictor.visible_windows() - known:
                    time.sleep(0.2 * pictor.slow)
                    pictor.keys((pictor.visible_windows() - known).pop(), "alt+r")  # "Replace"
                    replace = False
                if dialog not in pictor.windows(title):
                    time.sleep(0.3)  # one paint cycle of the window behind
                    return
                time.sleep(0.05)
        check(False, "the chooser did not take %s" % path)

    def processes(self, pictor):
        return [pictor.process.pid]

    def stop(self, pictor):
        pictor.process.kill()


class Wine:
    """pictor.exe under Wine, in a prefix made for this run inside its scratch directory. Menus,
    the items and the message boxes' OK are clicked: places measured on Wine 8 (relative to the
    window, so they hold with or without a window manager's frame)."""
    layer = False
    MENU = {MENU_OPEN: [(24, 9), (40, 29)], MENU_SAVE_AS: [(24, 9), (40, 46)],
            MENU_QUIT: [(24, 9), (40, 72)], MENU_ABOUT: [(75, 9), (80, 29)]}
    OK_ABOVE_BOTTOM = 22  # a message box's OK button: centred, this far above the bottom edge

    def __init__(self, arch, scratch, display):
        self.env = dict(os.environ, DISPLAY=display, WINEDEBUG="-all",
                        WINEPREFIX=os.path.join(scratch, "prefix"),
                        WINEARCH="win32" if arch == "i686" else "win64",
                        # No offer to install Mono or Gecko, no menu entries in the user's home.
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")

    def prepare(self):
        started = time.monotonic()
        code, _ = run(["wineboot", "-i"], 180, self.env)
        check(code == 0, "wineboot -i ended with %d" % code)
        # The client area is erased with the scroll-bar colour: make it differ from Wine's white
        # menu bar, so that the client area is found as on Linux.
        code, _ = run(["wine", "reg", "add", r"HKCU\Control Panel\Colors", "/v", "Scrollbar",
                       "/t", "REG_SZ", "/d", "%d %d %d" % BACKGROUND, "/f"], 60, self.env)
        check(code == 0, "could not set Wine's scroll-bar colour")
        print("%s prefix made in %.1f s" % (self.env["WINEARCH"], time.monotonic() - started))

    def finish(self):
        run(["wineserver", "-k"], 20, self.env)
        run(["wineserver", "-w"], 20, self.env)

    def command(self, args):
        return ["wine", args.pictor]

    def environment(self, workdir):
        return {k: self.env[k] for k in ("WINEDEBUG", "WINEPREFIX", "WINEARCH", "WINEDLLOVERRIDES")}

    def dialog_path(self, path):
        return ("Z:" + path.replace("/", "\\")).encode("cp1252")

    def click(self, pictor, window, x, y):
        pictor.xdotool("mousemove", "--window", window, str(x), str(y), "click", "1")

    def shown(self, pictor):
        _, out = pictor.xdotool("search", "--onlyvisible", "--name", ".*")
        return set(out.split())

    def menu(self, pictor, item):
        (title_x, title_y), (item_x, item_y) = self.MENU[item]
        known = self.shown(pictor)
        self.click(pictor, pictor.window, title_x, title_y)
        deadline = time.monotonic() + 5
        while not self.shown(pictor) - known:  # the drop-down menu
            check(time.monotonic() < deadline, "the menu did not open for %s" % item)
            time.sleep(0.05)
        self.click(pictor, pictor.window, item_x, item_y)

    def dismiss(self, pictor, box):
        code, out = pictor.xdotool("getwindowgeometry", box)
        check(code == 0 and "Geometry:" in out, "no size for the message box %s" % box)
        size = out.split("Geometry:")[1].split()[0].split("x")
        self.click(pictor, box, int(size[0]) // 2, int(size[1]) - self.OK_ABOVE_BOTTOM)

    def choose_file(self, pictor, title, path, replace):
        """Types the path, as a Windows path, into Wine's file dialog and confirms it. (Wine asks
        nothing before writing over /dev/full, the one existing file replaced under Wine.)"""
        dialog = pictor.find_window(title)
        pictor.xdotool("windowfocus", "--sync", dialog)
        pictor.xdotool("type", "--delay", "5", self.dialog_path(path).decode("cp1252"), limit=20)
        time.sleep(0.2)
        pictor.xdotool("key", "Return")
        pictor.window_gone(title)

    def processes(self, pictor):
        """pictor.exe (wine starts it from start.exe) and the Wine server, which does part of
        every program's work: the processes of this prefix by those names."""
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open("/proc/%s/comm" % pid) as f:
                    name = f.read().strip()
                with open("/proc/%s/environ" % pid, "rb") as f:
                    environ = f.read().split(b"\0")
            except OSError:
                continue
            prefix = ("WINEPREFIX=" + self.env["WINEPREFIX"]).encode()
            if (name == "pictor.exe" or name.startswith("wineserver")) and prefix in environ:
                found.append(int(pid))
        check(len(found) == 2, "found %d processes of pictor.exe and wineserver" % len(found))
        return found

    def stop(self, pictor):
        run(["wineserver", "-k"], 20, self.env)
        pictor.process.kill()


class Pictor:
    def __init__(self, args, display, workdir, file_size_limit=None):
        self.args = args
        self.backend = args.backend
        self.workdir = workdir
        self.weston = args.weston
        self.x_env = dict(os.environ, DISPLAY=display)  # the X tools' (xdotool, import, ...)
        self.env = dict(self.x_env, **self.backend.environment(workdir))
        if args.scale != 1:
            self.env["GDK_SCALE"] = str(args.scale)
        if self.weston:
            del self.env["DISPLAY"]
            self.env.update(self.weston.client_environment())
            self.weston.forget()
        command = self.backend.command(args)
        self.slow = 1  # how many times longer than usual every wait may take
        self.valgrind_log = None
        if args.valgrind:
            # GTK's caches are not ours: no leak check. Plain malloc lets memcheck see GLib's
            # blocks freed and reused.
            self.valgrind_log = os.path.join(workdir, "valgrind.log")
            self.env["G_SLICE"] = "always-malloc"
            command = ["valgrind", "--tool=memcheck", "--leak-check=no", "--error-exitcode=99",
                       "--child-silent-after-fork=yes", "--log-file=" + self.valgrind_log,
                       "--suppressions=" + os.path.join(HERE, "valgrind.supp")] + command
            self.slow = 8
        self.stderr = open(os.path.join(workdir, "pictor.stderr"), "w+")
        limit = None if file_size_limit is None else lambda: resource.setrlimit(
            resource.RLIMIT_FSIZE, (file_size_limit, file_size_limit))  # ulimit -f
        self.process = subprocess.Popen(command, cwd=workdir, env=self.env,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=self.stderr, preexec_fn=limit)
        self.window = self.find_window("^Pictor$", limit=30)
        self.client_top = None

    def xdotool(self, *args, limit=5):
        code, out = run(["xdotool"] + list(args), limit * self.slow, self.x_env)
        return code, out

    def windows(self, title):
        """The visible windows whose title matches, without regard to case."""
        if self.weston:
            return self.weston.windows(title)
        code, out = self.xdotool("search", "--onlyvisible", "--name", title)
        return set(out.split()) if code == 0 else set()

    def find_window(self, title, limit=10):
        deadline = time.monotonic() + limit * self.slow
        while not self.windows(title):
            check(time.monotonic() < deadline, "no window titled %s appeared" % title)
            time.sleep(0.05)
        return min(self.windows(title), key=str)

    def frame(self, window):
        """The outer rectangle of the window with its manager's frame: x, y, width, height."""
        if self.weston:
            return self.weston.find_window(self.weston.screen())
        _, info = run(["xwininfo", "-id", window], 5, self.x_env)
        fields = dict(line.strip().split(":", 1) for line in info.splitlines()
                      if ":" in line and "xwininfo" not in line)
        x, y = int(fields["Absolute upper-left X"]), int(fields["Absolute upper-left Y"])
        width, height = int(fields["Width"]), int(fields["Height"])
        _, extents = run(["xprop", "-id", window, "_NET_FRAME_EXTENTS"], 5, self.x_env)
        left, right, top, bottom = (int(v) for v in extents.split("=")[1].split(",")) \
            if "=" in extents else (0, 0, 0, 0)
        return x - left, y - top, width + left + right, height + top + bottom

    def wait_for_frame(self):
        """Waits for the window to take its place and size, then returns its outer rectangle.
        On Wayland the compositor places the window: only its size is checked."""
        want = tuple(v * self.args.scale for v in FRAME)
        placed = (lambda frame: frame[2:] == want[2:]) if self.weston else \
            (lambda frame: frame == want)
        deadline = time.monotonic() + 5 * self.slow
        while not placed(self.frame(self.window)) and time.monotonic() < deadline:
            time.sleep(0.1)
        frame = self.frame(self.window)
        check(placed(frame), "the window's frame is %d by %d at (%d, %d), not %d by %d at "
              "(%d, %d)" % (frame[2:] + frame[:2] + want[2:] + want[:2]))
        return frame

    def close_button(self, window):
        """Closes the window as its title bar's close button does: with a manager, a click on
        that button (openbox's is the last one, at the frame's top right); without, the close
        request the button sends."""
        if self.weston:
            x, y = self.weston.close_button()
            self.xdotool("mousemove", "--sync", str(x), str(y), "click", "1", *self.weston.PARK)
            return
        if self.args.wm is None:
            code, _ = run([self.args.request_close, window], 5, self.x_env)
            check(code == 0, "could not send the close request")
            return
        frame, previous = self.frame(window), None
        deadline = time.monotonic() + 5 * self.slow
        while frame != previous and time.monotonic() < deadline:  # placed and sized for good
            time.sleep(0.2)
            frame, previous = self.frame(window), frame
        x, y, width, height = frame
        # The pointer comes from inside the window, as a hand's would: the manager takes a click
        # on its button only after the pointer has entered it.
        self.xdotool("mousemove", "--sync", str(x + width // 2), str(y + height // 2))
        self.xdotool("mousemove", "--sync", str(x + width - 11), str(y + 10), "click", "1")

    def resize(self, width, height):
        """Sizes the window (on Wayland: the whole window, dragged by its bottom right corner)."""
        if not self.weston:
            self.xdotool("windowsize", "--sync", self.window, str(width), str(height))
            return
        x, y, w, h = self.weston.window_rectangle
        self.xdotool("mousemove", "--sync", str(x + w + 3), str(y + h + 3), "mousedown", "1")
        for step in (0.5, 1):
            time.sleep(0.1)
            self.xdotool("mousemove", "--sync", str(x + int(w + (width - w) * step) + 3),
                         str(y + int(h + (height - h) * step) + 3))
        self.xdotool("mouseup", "1", *self.weston.PARK)
        deadline = time.monotonic() + 5 * self.slow
        while self.weston.window_rectangle[2:] != (width, height):
            check(time.monotonic() < deadline, "the window was not resized")
            time.sleep(0.1)
            self.weston.window_rectangle = self.weston.find_window(self.weston.screen(), (x, y))

    def window_gone(self, title, limit=10):
        limit *= self.slow
        deadline = time.monotonic() + limit
        while time.monotonic() < deadline:
            if not self.windows(title):
                time.sleep(0.3)  # one paint cycle of the window behind
                return
            time.sleep(0.05)
        check(False, "window %s did not close" % title)

    def focus(self, window):
        # A window manager decides on focus: it is asked to activate the window. Keys reach
        # weston through its X window; weston gives them to its active window: the newest
        # dialog, or the main window once clicked (in its client area, where a click does
        # nothing else).
        if self.weston:
            if window == self.window:
                x, y, w, h = self.weston.window_rectangle
                self.xdotool("mousemove", "--sync", str(x + w - 5), str(y + h - 5), "click", "1",
                             *self.weston.PARK)
                time.sleep(0.1)
            return
        self.xdotool("windowactivate" if self.args.wm else "windowfocus", "--sync", window)

    def keys(self, window, *keys):
        self.focus(window)
        self.xdotool("key", "--delay", "40", *keys)

    def menu(self, item):
        self.backend.menu(self, item)

    def dismiss(self, title):
        """Closes the message box titled title with its OK button."""
        box = self.find_window(title)
        time.sleep(0.2 * self.slow)  # a box just mapped may not take input yet
        self.backend.dismiss(self, box)
        self.window_gone(title)

    def visible_windows(self):
        """pictor's visible windows (a manager's frames are not among them)."""
        if self.weston:
            return self.weston.windows("")
        _, out = self.xdotool("search", "--onlyvisible", "--pid", str(self.process.pid))
        return set(out.split())

    def type_path(self, title, path):
        """Types a path into the file chooser titled title; returns the chooser and the windows
        visible before."""
        dialog = self.find_window(title)
        self.focus(dialog)
        self.xdotool("key", "ctrl+l")
        time.sleep(0.2 * self.slow)
        known = self.visible_windows()
        self.xdotool("type", "--delay", "5", path, limit=20)
        # The entry completes the typed name in the background, and a key pressed before it has
        # done is taken by the completion: give it time.
        time.sleep(0.5 * self.slow)
        return dialog, known

    def choose_file(self, title, path, replace=False):
        self.backend.choose_file(self, title, path, replace)

    def open(self, path):
        self.menu(MENU_OPEN)
        self.choose_file(OPEN_TITLE, path)

    def screenshot(self):
        if self.weston:
            return self.weston.crop(self.weston.screen(), self.weston.window_rectangle)
        shot = os.path.join(self.workdir, "shot.ppm")
        code, _ = run(["import", "-window", self.window, "-depth", "8", shot], 10, self.x_env)
        check(code == 0, "screenshot failed")
        with open(shot, "rb") as f:
            return read_ppm(f.read())

    def wait_for_background(self):
        """Waits for the first paint and finds the client area: the rows below the menu bar that
        show only the background colour."""
        deadline = time.monotonic() + 5 * self.slow
        while True:
            if self.weston:  # found on the screen, and the same place kept from then on
                self.weston.window_rectangle = self.frame(self.window)
            width, height, raster = self.screenshot()
            bg_row = bytes(BACKGROUND) * width
            top = height
            while top > 0 and raster[(top - 1) * width * 3:top * width * 3] == bg_row:
                top -= 1
            if 0 < top < 100 * self.args.scale:  # menu bar (and GTK's title bar on Wayland)
                self.client_top = top
                return width, height
            check(time.monotonic() < deadline,
                  "the client area is not the background colour alone (top row %d)" % top)
            time.sleep(0.1)

    def shows_again(self, shot, limit=10):
        """Whether the window comes to show shot again (painting may take a while)."""
        deadline = time.monotonic() + limit * self.slow
        while self.screenshot() != shot:
            if time.monotonic() > deadline:
                return False
            time.sleep(0.1)
        return True

    def differing_rows(self, picture):
        """The rows of the client area that differ from the picture at its visible positions or
        from the background to its right and below; the number of visible picture pixels; and
        of those, the number not shown as clean blocks of scale by scale pixels."""
        pw, ph, pixels = picture
        width, height, raster = self.screenshot()
        top, scale = self.client_top, self.args.scale
        visible_rows = min(ph * scale, height - top)
        visible_columns = min(pw * scale, width)
        wrong, unclean = 0, set()
        for r in range(height - top):
            row = raster[(top + r) * width * 3:(top + r + 1) * width * 3]
            if r < visible_rows:
                source = pixels[r // scale * pw * 3:(r // scale + 1) * pw * 3]
                want = b"".join(source[c:c + 3] * scale for c in range(0, pw * 3, 3)) \
                    if scale > 1 else source
                shown = row[:visible_columns * 3]
                if shown != want[:visible_columns * 3]:
                    wrong += 1
                    unclean.update((r // scale, c // 3 // scale) for c in range(0, len(shown), 3)
                                   if shown[c:c + 3] != want[c:c + 3])
                wrong += row[visible_columns * 3:] != bytes(BACKGROUND) * (width - visible_columns)
            else:
                wrong += row != bytes(BACKGROUND) * width
        visible = -(-visible_rows // scale) * -(-visible_columns // scale)
        return wrong, visible, len(unclean)

    def check_shows(self, path, limit=10):
        """The client area shows the file's picture, once painting is done."""
        picture = read_ppm(open(path, "rb").read())
        deadline = time.monotonic() + limit * self.slow
        wrong, visible, unclean = self.differing_rows(picture)
        while wrong and time.monotonic() < deadline:
            time.sleep(0.2)
            wrong, visible, unclean = self.differing_rows(picture)
        check(wrong == 0, "%s: %d rows of the client area differ from the picture; %d of %d "
              "visible picture pixels are not clean %dx%d blocks" % (
                  path, wrong, unclean, visible, self.args.scale, self.args.scale))
        return visible

    def wait_exit(self, limit=10):
        limit *= self.slow
        try:
            return self.process.wait(timeout=limit)
        except subprocess.TimeoutExpired:
            raise Failure("pictor did not end within %d s" % limit)

    def close(self):
        if self.process.poll() is None:
            self.backend.stop(self)
            self.process.wait()
        self.stderr.seek(0)
        text = self.stderr.read()
        self.stderr.close()
        if text.strip():
            print("pictor's stderr:\n" + text)
        GTK_COMPLAINTS.extend(line for line in text.splitlines()
                              if ("Gtk-CRITICAL" in line or "Gtk-WARNING" in line)
                              and not line.endswith(KNOWN_GTK_COMPLAINT))
        if self.valgrind_log and os.path.exists(self.valgrind_log):
            with open(self.valgrind_log) as f:
                log = f.read()
            errors = [line for line in log.splitlines() if "Invalid " in line or "SUMMARY" in line]
            print("valgrind:\n" + "\n".join(errors))
            # The whole report when it has errors (the exit status then fails the scenario).
            if "ERROR SUMMARY: 0 errors" not in log:
                print(log)


def rendered_pictures(args, workdir):
    """Runs kelvotrace in workdir; returns its first picture (450x450) and its last (500x500)."""
    subprocess.run(["timeout", "60", args.kelvotrace], cwd=workdir, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, check=True)
    return os.path.join(workdir, "testinter.ppm"), os.path.join(workdir, "testZbuf_Phong.ppm")


def session(args, display, workdir):
    """The frame, Open, paint, Save as, a second Open of an upper-case name, a cancelled Open,
    About and Quitter; then a second start closed with the title bar's close button."""
    first, second = rendered_pictures(args, workdir)
    pictor = Pictor(args, display, workdir)
    try:
        if args.backend.layer:
            frame = pictor.wait_for_frame()
            print("frame %dx%d at (%d, %d)" % (frame[2:] + frame[:2]))
        width, height = pictor.wait_for_background()
        print("client area %dx%d below a %d-pixel menu bar" % (width, height - pictor.client_top,
                                                              pictor.client_top))

        pictor.open(first)
        print("%s: %d visible pixels exact" % (first, pictor.check_shows(first)))

        saved = os.path.join(workdir, "saved copy.ppm")
        pictor.menu(MENU_SAVE_AS)
        pictor.choose_file(SAVE_TITLE, saved)
        original, copy = open(first, "rb").read(), open(saved, "rb").read()
        o_lines, c_lines = original.split(b"\n", 2), copy.split(b"\n", 2)
        named = args.backend.dialog_path(saved)
        check(c_lines[1] == b"# " + named + " image transformée".encode("cp1252"),
              "the saved comment line is %r" % c_lines[1])
        check(o_lines[0] == c_lines[0] and o_lines[2] == c_lines[2],
              "the saved file differs from the original beyond its comment line")
        print("saved: only the comment line differs, it names %s" % named.decode("cp1252"))

        # The chooser's "*.ppm" filter ignores case, as Windows does: typed up to its last letter,
        # the upper-case name is completed by the chooser's location entry (Wine's dialog gets
        # the whole name).
        upper = os.path.join(workdir, "PHONG.PPM")
        shutil.copyfile(second, upper)
        pictor.menu(MENU_OPEN)
        pictor.choose_file(OPEN_TITLE, upper[:-1] if args.backend.layer else upper)
        print("%s: %d visible pixels exact" % (upper, pictor.check_shows(second)))

        # A larger window shows the whole picture: the client area is painted again.
        pictor.resize(620, 620)
        time.sleep(0.3)
        check(pictor.screenshot()[:2] == (620, 620), "the window was not resized")
        print("resized to 620x620: %d visible pixels exact" % pictor.check_shows(second))
        before = pictor.screenshot()

        pictor.menu(MENU_OPEN)
        dialog = pictor.find_window(OPEN_TITLE)
        pictor.keys(dialog, "Escape")
        pictor.window_gone(OPEN_TITLE)
        check(pictor.shows_again(before), "a cancelled Open changed the window")
        print("cancelled Open: window unchanged")

        pictor.menu(MENU_ABOUT)
        pictor.dismiss("^About$")
        check(pictor.shows_again(before), "the window changed after the About box")
        print("About box shown and closed: window unchanged")

        pictor.menu(MENU_QUIT)
        check(pictor.wait_exit() == 0, "Quitter ended with status %s" % pictor.process.returncode)
        print("Quitter: exit status 0")
    finally:
        pictor.close()
    pictor = Pictor(args, display, workdir)
    try:
        pictor.wait_for_background()
        pictor.close_button(pictor.window)
        check(pictor.wait_exit() == 0, "closing ended with status %s" % pictor.process.returncode)
        print("close button: exit status 0")
    finally:
        pictor.close()


def failures(args, display, workdir):
    """Open of a cut or negative header or of a named pipe, Save as to a full disk, over a file
    past the file size limit or to a path too long: a message box each, the picture, the window
    and the old file unchanged; Open of a missing name, refused by the chooser; then the window's
    close button."""
    first, _ = rendered_pictures(args, workdir)
    cut = os.path.join(workdir, "cut.ppm")
    with open(cut, "wb") as f:
        f.write(b"P6\n#Kelvo\n45")
    negative = os.path.join(workdir, "negative.ppm")
    with open(negative, "wb") as f:
        f.write(b"P6\n#Kelvo\n-45 450\n255\n")
    fifo = os.path.join(workdir, "fifo.ppm")
    if args.backend.layer:
        os.mkfifo(fifo)
    old = os.path.join(workdir, "old.ppm")
    old_bytes = bytes(range(256)) * 200  # 51,200 bytes, room to grow under the limit
    with open(old, "wb") as f:
        f.write(old_bytes)
    too_long = os.path.join(workdir, "n" * (256 - len(workdir)) + ".ppm")

    pictor = Pictor(args, display, workdir, file_size_limit=100 * 1024)
    try:
        pictor.wait_for_background()
        pictor.open(first)
        pictor.check_shows(first)
        before = pictor.screenshot()

        # Under Wine: the bad headers and the full disk (the rest is our layer's own handling).
        for path in (cut, negative, fifo) if args.backend.layer else (cut, negative):
            pictor.menu(MENU_OPEN)
            pictor.choose_file(OPEN_TITLE, path)
            pictor.dismiss("^Ouverture impossible$")
            check(pictor.shows_again(before), "a failed Open of %s changed the window" % path)
            print("Open of %s: error box, window unchanged" % os.path.basename(path))

        # A name that names no file is refused inside the open chooser, which stays open.
        missing = os.path.join(workdir, "missing.ppm")
        if args.backend.layer:
            refused_inside(pictor, missing, before)

        # /dev/full exists (the chooser asks before replacing it) and every write fails; the
        # picture does not fit under the file size limit; the path does not fit the buffer.
        saves = (("/dev/full", True), (old, True), (too_long, False))
        for path, replace in saves if args.backend.layer else saves[:1]:
            pictor.menu(MENU_SAVE_AS)
            pictor.choose_file(SAVE_TITLE, path, replace)
            pictor.dismiss("^Enregistrement impossible$")
            check(pictor.shows_again(before), "a failed Save as changed the window")
            print("Save as to %s: error box, window unchanged" % os.path.basename(path)[:20])
        with open(old, "rb") as f:
            check(f.read() == old_bytes, "a failed Save as changed the old file")
        check(not [n for n in os.listdir(workdir) if n.startswith(".pictor")],
              "a failed Save as left its new file behind")

        pictor.close_button(pictor.window)
        check(pictor.wait_exit() == 0, "closing ended with status %s" % pictor.process.returncode)
        print("close button: exit status 0")
    finally:
        pictor.close()


def refused_inside(pictor, missing, before):
    """Open of a name that names no file: GTK's chooser refuses it in a message of its own and
    stays open; cancelled then, the window unchanged."""
    pictor.menu(MENU_OPEN)
    chooser, known = pictor.type_path(OPEN_TITLE, missing)
    refusal = set()
    for attempt in range(3):  # Return again should the completion take it
        pictor.xdotool("key", "Return")
        deadline = time.monotonic() + 2.5
        while not refusal and time.monotonic() < deadline:
            time.sleep(0.1)
            refusal = pictor.visible_windows() - known
        if refusal:
            break
    check(refusal and chooser in pictor.visible_windows(),
          "the chooser did not refuse %s in a message of its own" % missing)
    time.sleep(0.2)
    pictor.keys(min(refusal, key=int), "Return")  # the message's toplevel, made first
    time.sleep(0.5)
    visible = pictor.visible_windows()
    check(chooser in visible and not refusal & visible,
          "the refusal did not leave the chooser alone open")
    pictor.keys(chooser, "Escape", "Escape")  # the first leaves the location entry
    pictor.window_gone(OPEN_TITLE)
    check(pictor.screenshot() == before, "a refused Open changed the window")
    print("Open of a missing name: refused inside the chooser, then cancelled")


def dialogs(args, display, workdir):
    """Each dialog (the open and save choosers, the About box, an error box) dismissed once with
    Escape and once with its close button: a cancel each time, the window unchanged; then About,
    Save as and Quitter. The scenario that runs under valgrind."""
    first, _ = rendered_pictures(args, workdir)
    cut = os.path.join(workdir, "cut.ppm")
    with open(cut, "wb") as f:
        f.write(b"P6\n#Kelvo\n45")
    saved = os.path.join(workdir, "saved.ppm")

    pictor = Pictor(args, display, workdir)
    try:
        pictor.wait_for_frame()
        pictor.wait_for_background()
        pictor.open(first)
        pictor.check_shows(first)
        before = pictor.screenshot()

        # menu keys, then the file typed into the open chooser, if any, to reach the dialog
        for keys, path, title in ((MENU_OPEN, None, OPEN_TITLE), (MENU_SAVE_AS, None, SAVE_TITLE),
                                  (MENU_ABOUT, None, "^About$"),
                                  (MENU_OPEN, cut, "^Ouverture impossible$")):
            for how in ("Escape", "its close button"):
                pictor.menu(keys)
                if path is not None:
                    pictor.choose_file(OPEN_TITLE, path)
                dialog = pictor.find_window(title)
                time.sleep(0.3 * pictor.slow)  # shown and ready for keys
                if how == "Escape":
                    pictor.keys(dialog, "Escape")
                else:
                    pictor.close_button(dialog)
                pictor.window_gone(title)
                print("%s closed with %s" % (title.strip("^$"), how))
        check(pictor.screenshot() == before, "a dismissed dialog changed the window")
        check(not os.path.exists(saved), "a dismissed Save as wrote a file")

        pictor.menu(MENU_ABOUT)
        pictor.keys(pictor.find_window("^About$"), "Return")
        pictor.window_gone("^About$")
        pictor.menu(MENU_SAVE_AS)
        pictor.choose_file(SAVE_TITLE, saved)
        check(open(saved, "rb").read().split(b"\n", 2)[2] == open(first, "rb").read().split(
            b"\n", 2)[2], "the saved copy's size and pixels differ from the original's")
        pictor.menu(MENU_QUIT)
        check(pictor.wait_exit() == 0, "Quitter ended with status %s" % pictor.process.returncode)
        print("About, Save as, Quitter: exit status 0")
    finally:
        pictor.close()


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def idle(args, display, workdir):
    """An idle pictor (under Wine: pictor.exe and the Wine server) stays under 2 % of one core
    and still answers "Quitter"; without a display our layer says so and ends with 1."""
    pictor = Pictor(args, display, workdir)
    try:
        pictor.wait_for_background()
        pids = args.backend.processes(pictor)
        start_cpu, start = [cpu_seconds(pid) for pid in pids], time.monotonic()
        time.sleep(5)
        used = [(cpu_seconds(pid) - cpu) / (time.monotonic() - start)
                for pid, cpu in zip(pids, start_cpu)]
        print("idle CPU over 5 s: %s of one core" %
              " + ".join("%.2f %%" % (100 * u) for u in used))
        check(sum(used) < 0.02, "idle pictor used %.1f %% of a core" % (100 * sum(used)))
        pictor.menu(MENU_QUIT)
        check(pictor.wait_exit() == 0, "Quitter ended with status %s" % pictor.process.returncode)
        print("Quitter after idling: exit status 0")
    finally:
        pictor.close()
    if not args.backend.layer:
        return

    # No display at all, then a Wayland display that is not there: both are named.
    for extra in ({}, {"GDK_BACKEND": "wayland", "WAYLAND_DISPLAY": "nowhere"}):
        env = {k: v for k, v in os.environ.items() if "DISPLAY" not in k and k != "GDK_BACKEND"}
        env.update(extra, ASAN_OPTIONS="detect_leaks=0", XDG_RUNTIME_DIR=workdir)  # no wayland-0
        done = subprocess.run(["timeout", "10", args.pictor], env=env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        lines = done.stderr.decode("utf-8", "replace").strip().splitlines()
        check(done.returncode == 1, "without a display pictor ended with %d" % done.returncode)
        check(len(lines) == 1 and all(w in lines[0] for w in (
            "DISPLAY is not set", extra.get("WAYLAND_DISPLAY", "wayland-0"), "GDK_BACKEND=x11")),
            "without a display pictor printed %r" % lines)
        print("no display: exit status 1, one line: %s" % lines[0])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scenarios", nargs="+", choices=["session", "failures", "idle", "dialogs"])
    parser.add_argument("--pictor", required=True)
    parser.add_argument("--kelvotrace", required=True)
    parser.add_argument("--request-close")
    parser.add_argument("--wm", choices=["openbox", "weston"],
                        help="weston: pictor on Wayland, in weston nested in the Xvfb")
    parser.add_argument("--scale", type=int, default=1, help="GDK_SCALE, on X11")
    parser.add_argument("--valgrind", action="store_true")
    parser.add_argument("--wine", choices=["i686", "x86_64"],
                        help="run --pictor (pictor.exe of that architecture) under Wine")
    args = parser.parse_args()
    # The programs run in a scratch directory: their paths must not depend on ours.
    args.pictor, args.kelvotrace = os.path.abspath(args.pictor), os.path.abspath(args.kelvotrace)
    if args.request_close:
        args.request_close = os.path.abspath(args.request_close)
    tools = ["Xvfb", "xdotool", "import", "xprop", "xwininfo"] + ([args.wm] if args.wm else []) \
        + (["weston-screenshooter", "convert"] if args.wm == "weston" else []) \
        + (["valgrind"] if args.valgrind else []) \
        + (["wine", "wineboot", "wineserver"] if args.wine else [])
    for tool in tools:
        if shutil.which(tool) is None:
            print("%s is missing: run scripts/install-test-deps.sh" % tool)
            return 1
    started = time.monotonic()
    scratch = tempfile.mkdtemp(prefix="pictor-e2e-")
    try:
        with Xvfb() as display, (Weston(display.name, scratch) if args.wm == "weston" else
                                 WindowManager(args.wm, display.name)) as desktop:
            args.weston = desktop if args.wm == "weston" else None
            if os.environ.get("PICTOR_E2E_SHOT"):
                SHOT.update(path=os.environ["PICTOR_E2E_SHOT"], display=display.name)
            args.backend = Wine(args.wine, scratch, display.name) if args.wine else Gtk()
            try:
                args.backend.prepare()
                for scenario in args.scenarios:
                    workdir = os.path.join(scratch, scenario)
                    os.mkdir(workdir)
                    globals()[scenario](args, display.name, workdir)
                    print("%s done (%.1f s in all)" % (scenario, time.monotonic() - started))
            finally:
                args.backend.finish()
        check(not GTK_COMPLAINTS, "GTK complained:\n" + "\n".join(GTK_COMPLAINTS))
    except Failure as failure:
        print("FAILED: %s" % failure)
        return 1
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print("%s passed in %.1f s" % (" ".join(args.scenarios), time.monotonic() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main())
