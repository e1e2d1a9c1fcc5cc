import os
import re
import resource
import subprocess
import time

from common import BACKGROUND, FRAME, OPEN_TITLE, Failure, check, poll, read_file, read_ppm, \
    run, wait_for

SUPPRESSIONS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "valgrind.supp")
# GTK prints it itself, also in a plain GTK program, when a path is typed in a file chooser after
# ctrl+L, under Xvfb and on Wayland in weston.
KNOWN_GTK_COMPLAINT = ("gtk_widget_event: assertion 'WIDGET_REALIZED_FOR_EVENT (widget, event)'"
                       " failed")
GTK_COMPLAINTS = []  # the critical and warning lines of GTK, GDK, GLib and ATK pictor printed


def note_gtk_complaints(text):
    GTK_COMPLAINTS.extend(line for line in text.splitlines()
                          if re.search(r"\b(Gtk|Gdk|GLib[-\w]*|Atk)-(CRITICAL|WARNING) \*\*", line)
                          and not line.endswith(KNOWN_GTK_COMPLAINT))


class Pictor:
    """pictor started in workdir on args.desktop (X11 or weston), once its main window shows, and
    what a person does with it: picks menu items, types paths into the file dialogs, presses keys,
    closes windows, looks at the window. Ended on leaving. Here the Linux program on our GTK
    layer, whose menus and dialogs answer the keyboard; wine.py: pictor.exe under Wine."""
    launcher = []  # what starts the program
    MENU = {"Ouvrir": ["F10", "Down", "Return"],
            "Enregistrer sous": ["F10", "Down", "Down", "Return"],
            "Quitter": ["F10", "Up", "Return"], "About": ["F10", "Right", "Down", "Return"]}

    def __init__(self, args, workdir, file_size_limit=None):
        self.args, self.workdir, self.desktop = args, workdir, args.desktop
        self.x_env = dict(os.environ, DISPLAY=self.desktop.display)  # the X tools' (xdotool, ...)
        self.env = dict(self.x_env, **self.environment())
        if args.scale != 1:
            self.env["GDK_SCALE"] = str(args.scale)
        self.env = self.desktop.program_environment(self.env)
        command = self.launcher + [args.pictor]
        self.slow = 1  # how many times longer than usual every wait may take
        self.valgrind_log = None
        if args.valgrind:
            # GTK's caches are not ours: no leak check. Plain malloc lets memcheck see GLib's
            # blocks freed and reused.
            self.valgrind_log = os.path.join(workdir, "valgrind.log")
            self.env["G_SLICE"] = "always-malloc"
            command = ["valgrind", "--tool=memcheck", "--leak-check=no", "--error-exitcode=99",
                       "--child-silent-after-fork=yes", "--log-file=" + self.valgrind_log,
                       "--suppressions=" + SUPPRESSIONS] + command
            self.slow = 8
        self.stderr = open(os.path.join(workdir, "pictor.stderr"), "w+")
        limit = None if file_size_limit is None else lambda: resource.setrlimit(
            resource.RLIMIT_FSIZE, (file_size_limit, file_size_limit))  # ulimit -f
        self.process = subprocess.Popen(command, cwd=workdir, env=self.env,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=self.stderr, preexec_fn=limit)
        self.window = self.find_window("^Pictor$", limit=30)
        self.client_top = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def environment(self):
        return {"GSETTINGS_BACKEND": "memory", "NO_AT_BRIDGE": "1",
                "ASAN_OPTIONS": "detect_leaks=0",  # GTK's own allocations are not ours
                # GTK's recent files and settings stay in the test's own directory.
                "XDG_DATA_HOME": self.workdir, "XDG_CONFIG_HOME": self.workdir,
                "XDG_CACHE_HOME": self.workdir}

    def dialog_path(self, path):
        """The path as the program's file dialog returns it, in the program's code page."""
        return path.encode()

    def pick(self, item, lone_alt=False):  # "Ouvrir", "Enregistrer sous", "Quitter", "About"
        """Picks a menu item by keyboard: the menu bar opened with F10, or with Alt alone."""
        keys = self.MENU[item]
        self.desktop.press_menu_keys(self, ["alt"] + keys[1:] if lone_alt else keys, item)

    def press(self, window, *keys):
        self.desktop.focus(self, window)
        self.xdotool("key", "--delay", "40", *keys)

    def type_path(self, title, path):
        """Types a path into the chooser titled title; gives it and the windows visible before."""
        dialog = self.find_window(title)
        self.desktop.focus(self, dialog)
        self.xdotool("key", "ctrl+l")
        time.sleep(0.2 * self.slow)
        known = self.visible_windows()
        self.xdotool("type", "--delay", "5", path, limit=20)
        # The entry completes the typed name in the background, and a key pressed before it has
        # done is taken by the completion: give it time.
        time.sleep(0.5 * self.slow)
        return dialog, known

    def choose_file(self, title, path, replace=False):
        """Types a path into the file chooser titled title and confirms it; with replace, also
        confirms replacing the existing file, and says whether that was asked."""
        dialog, known = self.type_path(title, path)
        # Should the completion still take the key, press it again while the chooser shows no
        # answer, after waiting longer than an answer takes.
        for attempt in range(3):
            if attempt:
                print("(Return again for %s: the chooser kept it)" % path)
            self.xdotool("key", "Return")
            deadline = time.monotonic() + 2.5 * self.slow
            while time.monotonic() < deadline:
                if replace and self.visible_windows() - known:
                    time.sleep(0.2 * self.slow)
                    self.press((self.visible_windows() - known).pop(), "alt+r")  # "Replace"
                    replace = False
                if dialog not in self.windows(title):
                    time.sleep(0.3)  # one paint cycle of the window behind
                    return not replace
                time.sleep(0.05)
        check(False, "the chooser did not take %s" % path)

    def open(self, path):
        self.pick("Ouvrir")
        self.choose_file(OPEN_TITLE, path)

    def press_ok(self, title):
        """Closes the message box titled title with its OK button."""
        box = self.find_window(title)
        time.sleep(0.2 * self.slow)  # a box just mapped may not take input yet
        self.ok_button(box)
        self.window_gone(title)

    def ok_button(self, box):
        self.press(box, "Return")

    def close_button(self, window):
        self.desktop.close_button(self, window)

    def resize(self, width, height):
        self.desktop.resize(self, width, height)

    def processes(self):  # those that do the program's work, for their CPU time
        return [self.process.pid]

    def xdotool(self, *args, limit=5):
        return run(["xdotool"] + list(args), limit * self.slow, self.x_env)

    def windows(self, title):
        return self.desktop.windows(self, title)

    def visible_windows(self):
        return self.desktop.visible_windows(self)

    def find_window(self, title, limit=10):
        found = wait_for(lambda: self.windows(title), limit * self.slow,
                         "no window titled %s appeared" % title)
        return min(found, key=str)

    def window_gone(self, title, limit=10):
        wait_for(lambda: not self.windows(title), limit * self.slow,
                 "window %s did not close" % title)
        time.sleep(0.3)  # one paint cycle of the window behind

    def wait_for_frame(self):
        """Waits for the window to take its place and size, then returns its outer rectangle.
        On Wayland the compositor places the window: only its size is checked."""
        want = tuple(v * self.args.scale for v in FRAME)
        placed = (lambda frame: frame[2:] == want[2:]) if self.desktop.places_windows else \
            (lambda frame: frame == want)
        frame = poll(lambda: self.desktop.frame(self, self.window), placed, 5 * self.slow, 0.1)
        check(placed(frame), "the window's frame is %d by %d at (%d, %d), not %d by %d at "
              "(%d, %d)" % (frame[2:] + frame[:2] + want[2:] + want[:2]))
        return frame

    def screenshot(self):
        return self.desktop.screenshot(self)

    def wait_for_background(self):
        """Waits for the first paint and finds the client area: the rows below the menu bar that
        show only the background colour."""
        deadline = time.monotonic() + 5 * self.slow
        while True:
            self.desktop.follow_window(self)
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
        return poll(self.screenshot, shot.__eq__, limit * self.slow, 0.1) == shot

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

    def shows(self, path, limit=10):
        """Checks that the client area shows the file's picture, once painting is done; returns
        the number of visible picture pixels."""
        picture = read_ppm(read_file(path))
        wrong, visible, unclean = poll(lambda: self.differing_rows(picture),
                                       lambda rows: rows[0] == 0, limit * self.slow, 0.2)
        check(wrong == 0, "%s: %d rows of the client area differ from the picture; %d of %d "
              "visible picture pixels are not clean %dx%d blocks" % (
                  path, wrong, unclean, visible, self.args.scale, self.args.scale))
        return visible

    def exits_with_0(self, how, limit=10):
        """Checks that pictor ends with status 0 once how (what a person did) ends it."""
        limit *= self.slow
        try:
            code = self.process.wait(timeout=limit)
        except subprocess.TimeoutExpired:
            raise Failure("pictor did not end within %d s" % limit)
        check(code == 0, "%s ended with status %s" % (how, code))
        print("%s: exit status 0" % how)

    def stop(self):
        self.process.kill()

    def close(self):
        if self.process.poll() is None:
            self.stop()
            self.process.wait()
        self.stderr.seek(0)
        text = self.stderr.read()
        self.stderr.close()
        if text.strip():
            print("pictor's stderr:\n" + text)
        note_gtk_complaints(text)
        if self.valgrind_log and os.path.exists(self.valgrind_log):
            with open(self.valgrind_log) as f:
                log = f.read()
            errors = [line for line in log.splitlines() if "Invalid " in line or "SUMMARY" in line]
            print("valgrind:\n" + "\n".join(errors))
            # The whole report when it has errors (the exit status then fails the scenario).
            if "ERROR SUMMARY: 0 errors" not in log:
                print(log)
