import contextlib
import os
import subprocess
import tempfile
import time

from common import check, read_file, read_ppm, run


@contextlib.contextmanager
def xvfb():
    """A display of our own, numbered by Xvfb itself, so tests may run side by side: its name."""
    read, write = os.pipe()
    process = subprocess.Popen(
        # -noreset: a program started after the last one ended finds the display up.
        ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
         "-noreset"],
        pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read, "rb") as numbered:  # the display's number, once it is up
        number = numbered.readline()
    check(number.strip(), "Xvfb did not start")
    try:
        yield ":" + number.decode().strip()
    finally:
        process.terminate()
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()


class X11:
    """The X11 desktop: the Xvfb's windows, bare or under a window manager (wm, None for none)
    started once the display runs, and how a person's keys, clicks and looks reach them."""

    places_windows = False  # they stand where the program asks

    def __init__(self, display, wm):
        self.display, self.wm = display, wm

    def __enter__(self):
        if self.wm is None:
            return self
        env = dict(os.environ, DISPLAY=self.display)
        # On a loaded machine the manager has been seen, now and then, not to come up: start it
        # again, at most three times, and show what it said.
        for attempt in range(3):
            log = tempfile.TemporaryFile()
            self.process = subprocess.Popen([self.wm], env=env, stdin=subprocess.DEVNULL,
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
            print("%s did not start: %s" % (self.wm, log.read().decode("utf-8", "replace")))
        check(False, "%s did not start" % self.wm)

    def __exit__(self, *exc):
        if self.wm is not None:
            self.process.terminate()
            self.process.wait()

    def program_environment(self, env):
        return env

    def windows(self, pictor, title):
        """The visible windows whose title matches, without regard to case."""
        code, out = pictor.xdotool("search", "--onlyvisible", "--name", title)
        return set(out.split()) if code == 0 else set()

    def visible_windows(self, pictor):
        """pictor's visible windows (a manager's frames are not among them)."""
        _, out = pictor.xdotool("search", "--onlyvisible", "--pid", str(pictor.process.pid))
        return set(out.split())

    def frame(self, pictor, window):
        """The outer rectangle of the window with its manager's frame: x, y, width, height."""
        _, info = run(["xwininfo", "-id", window], 5, pictor.x_env)
        fields = dict(line.strip().split(":", 1) for line in info.splitlines()
                      if ":" in line and "xwininfo" not in line)
        x, y = int(fields["Absolute upper-left X"]), int(fields["Absolute upper-left Y"])
        width, height = int(fields["Width"]), int(fields["Height"])
        _, extents = run(["xprop", "-id", window, "_NET_FRAME_EXTENTS"], 5, pictor.x_env)
        left, right, top, bottom = (int(v) for v in extents.split("=")[1].split(",")) \
            if "=" in extents else (0, 0, 0, 0)
        return x - left, y - top, width + left + right, height + top + bottom

    def focus(self, pictor, window):
        # A window manager decides on focus: it is asked to activate the window.
        pictor.xdotool("windowactivate" if self.wm else "windowfocus", "--sync", window)

    def press_menu_keys(self, pictor, keys, item):
        pictor.press(pictor.window, *keys)

    def close_button(self, pictor, window):
        """Closes the window as its title bar's close button does: with a manager, a click on
        that button (openbox's is the last one, at the frame's top right); without, the close
        request the button sends."""
        if self.wm is None:
            code, _ = run([pictor.args.request_close, window], 5, pictor.x_env)
            check(code == 0, "could not send the close request")
            return
        frame, previous = self.frame(pictor, window), None
        deadline = time.monotonic() + 5 * pictor.slow
        while frame != previous and time.monotonic() < deadline:  # placed and sized for good
            time.sleep(0.2)
            frame, previous = self.frame(pictor, window), frame
        x, y, width, height = frame
        # The pointer comes from inside the window, as a hand's would: the manager takes a click
        # on its button only after the pointer has entered it.
        pictor.xdotool("mousemove", "--sync", str(x + width // 2), str(y + height // 2))
        pictor.xdotool("mousemove", "--sync", str(x + width - 11), str(y + 10), "click", "1")

    def resize(self, pictor, width, height):  # the client area
        pictor.xdotool("windowsize", "--sync", pictor.window, str(width), str(height))

    def follow_window(self, pictor):
        pass  # the window is known by its X id

    def screenshot(self, pictor):
        shot = os.path.join(pictor.workdir, "shot.ppm")
        code, _ = run(["import", "-window", pictor.window, "-depth", "8", shot], 10, pictor.x_env)
        check(code == 0, "screenshot failed")
        return read_ppm(read_file(shot))
