#!/usr/bin/env python3
"""pictor used as a person would: the real program in a real window under its own Xvfb, driven
with xdotool through the keyboard, checked by screenshots and by the files it writes.

Usage: e2e.py SCENARIO --pictor PATH --kelvotrace PATH [--request-close PATH]
Scenarios: session, failures, idle. Every wait is bounded; GTK's warnings on stderr are shown
but never fail a test.
"""
import argparse
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time

BACKGROUND = (200, 200, 200)  # the scroll-bar colour the layer erases with
MENU_OPEN = ["F10", "Down", "Return"]
MENU_SAVE_AS = ["F10", "Down", "Down", "Return"]
MENU_QUIT = ["F10", "Up", "Return"]
MENU_ABOUT = ["F10", "Right", "Down", "Return"]
OPEN_TITLE = "^Ouverture du fichier"
SAVE_TITLE = "^Enregistrement du fichier"


class Failure(Exception):
    pass


SHOT = {}  # where a failing check saves a picture of the screen (PICTOR_E2E_SHOT), and its display


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
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
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


class Pictor:
    def __init__(self, args, display, workdir, file_size_limit=None):
        self.args = args
        self.workdir = workdir
        self.env = dict(os.environ, DISPLAY=display, GSETTINGS_BACKEND="memory", NO_AT_BRIDGE="1",
                        ASAN_OPTIONS="detect_leaks=0",  # GTK's own allocations are not ours
                        # GTK's recent files and settings stay in the test's own directory.
                        XDG_DATA_HOME=workdir, XDG_CONFIG_HOME=workdir, XDG_CACHE_HOME=workdir)
        self.stderr = open(os.path.join(workdir, "pictor.stderr"), "w+")
        limit = None if file_size_limit is None else lambda: resource.setrlimit(
            resource.RLIMIT_FSIZE, (file_size_limit, file_size_limit))  # ulimit -f
        self.process = subprocess.Popen([args.pictor], cwd=workdir, env=self.env,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=self.stderr, preexec_fn=limit)
        self.window = self.find_window("^Pictor$", limit=15)
        self.client_top = None

    def xdotool(self, *args, limit=5):
        code, out = run(["xdotool"] + list(args), limit, self.env)
        return code, out

    def find_window(self, title, limit=10):
        code, out = self.xdotool("search", "--sync", "--onlyvisible", "--name", title, limit=limit)
        check(code == 0 and out.split(), "no window titled %s appeared" % title)
        return out.split()[0]

    def window_gone(self, title, limit=10):
        deadline = time.monotonic() + limit
        while time.monotonic() < deadline:
            code, out = self.xdotool("search", "--onlyvisible", "--name", title)
            if code != 0 or not out.split():
                time.sleep(0.3)  # one paint cycle of the window behind
                return
            time.sleep(0.05)
        check(False, "window %s did not close" % title)

    def keys(self, window, *keys):
        self.xdotool("windowfocus", "--sync", window)
        self.xdotool("key", "--delay", "40", *keys)

    def menu(self, keys):
        self.keys(self.window, *keys)

    def visible_windows(self):
        _, out = self.xdotool("search", "--onlyvisible", "--name", ".*")
        return set(out.split())

    def choose_file(self, title, path, replace=False):
        """Types a path into the file chooser titled title and confirms it; with replace, also
        confirms replacing the existing file."""
        dialog = self.find_window(title)
        self.xdotool("windowfocus", "--sync", dialog)
        self.xdotool("key", "ctrl+l")
        time.sleep(0.2)
        known = self.visible_windows()
        self.xdotool("type", "--delay", "5", path, limit=20)
        # The entry completes the typed name in the background, and a key pressed before it has
        # done is taken by the completion: give it time.
        time.sleep(0.5)
        # Should the completion still take the key, press it again while the chooser shows no
        # answer, after waiting longer than an answer takes.
        for attempt in range(3):
            if attempt:
                print("(Return again for %s: the chooser kept it)" % path)
            self.xdotool("key", "Return")
            deadline = time.monotonic() + 2.5
            while time.monotonic() < deadline:
                if replace and self.visible_windows() - known:
                    time.sleep(0.2)
                    self.keys((self.visible_windows() - known).pop(), "alt+r")  # "Replace"
                    replace = False
                code, out = self.xdotool("search", "--onlyvisible", "--name", title)
                if code != 0 or dialog not in out.split():
                    time.sleep(0.3)  # one paint cycle of the window behind
                    return
                time.sleep(0.05)
        check(False, "the chooser did not take %s" % path)

    def open(self, path):
        self.menu(MENU_OPEN)
        self.choose_file(OPEN_TITLE, path)

    def screenshot(self):
        shot = os.path.join(self.workdir, "shot.ppm")
        code, _ = run(["import", "-window", self.window, "-depth", "8", shot], 10, self.env)
        check(code == 0, "screenshot failed")
        with open(shot, "rb") as f:
            return read_ppm(f.read())

    def wait_for_background(self):
        """Waits for the first paint and finds the client area: the rows below the menu bar that
        show only the background colour."""
        deadline = time.monotonic() + 5
        while True:
            width, height, raster = self.screenshot()
            bg_row = bytes(BACKGROUND) * width
            top = height
            while top > 0 and raster[(top - 1) * width * 3:top * width * 3] == bg_row:
                top -= 1
            if 0 < top < 60:
                self.client_top = top
                return width, height
            check(time.monotonic() < deadline,
                  "the client area is not the background colour alone (top row %d)" % top)
            time.sleep(0.1)

    def check_shows(self, path):
        """The client area equals the file's pixels at every visible position and shows the
        background to their right and below."""
        pw, ph, pixels = read_ppm(open(path, "rb").read())
        width, height, raster = self.screenshot()
        top = self.client_top
        visible_rows = min(ph, height - top)
        visible_columns = min(pw, width)
        wrong = 0
        for r in range(height - top):
            row = raster[(top + r) * width * 3:(top + r + 1) * width * 3]
            if r < visible_rows:
                want = pixels[r * pw * 3:r * pw * 3 + visible_columns * 3]
                wrong += row[:visible_columns * 3] != want
                wrong += row[visible_columns * 3:] != bytes(BACKGROUND) * (width - visible_columns)
            else:
                wrong += row != bytes(BACKGROUND) * width
        check(wrong == 0, "%s: %d rows of the client area differ from the picture" % (path, wrong))
        return visible_rows * visible_columns

    def wait_exit(self, limit=10):
        try:
            return self.process.wait(timeout=limit)
        except subprocess.TimeoutExpired:
            raise Failure("pictor did not end within %d s" % limit)

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.stderr.seek(0)
        text = self.stderr.read()
        if text.strip():
            print("pictor's stderr (not a failure):\n" + text)
        self.stderr.close()


def rendered_pictures(args, workdir):
    """Runs kelvotrace in workdir; returns its first picture (450x450) and its last (500x500)."""
    subprocess.run(["timeout", "60", args.kelvotrace], cwd=workdir, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, check=True)
    return os.path.join(workdir, "testinter.ppm"), os.path.join(workdir, "testZbuf_Phong.ppm")


def session(args, display, workdir):
    """Open, paint, Save as, a second Open, a cancelled Open, About and Quitter."""
    first, second = rendered_pictures(args, workdir)
    pictor = Pictor(args, display, workdir)
    try:
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
        check(c_lines[1] == b"# " + saved.encode() + " image transformée".encode("cp1252"),
              "the saved comment line is %r" % c_lines[1])
        check(o_lines[0] == c_lines[0] and o_lines[2] == c_lines[2],
              "the saved file differs from the original beyond its comment line")
        print("saved: only the comment line differs, it names the new path")

        pictor.open(second)
        print("%s: %d visible pixels exact" % (second, pictor.check_shows(second)))

        # A larger window shows the whole picture: the client area is painted again.
        pictor.xdotool("windowsize", "--sync", pictor.window, "620", "620")
        time.sleep(0.3)
        check(pictor.screenshot()[:2] == (620, 620), "the window was not resized")
        print("resized to 620x620: %d visible pixels exact" % pictor.check_shows(second))
        before = pictor.screenshot()

        pictor.menu(MENU_OPEN)
        dialog = pictor.find_window(OPEN_TITLE)
        pictor.keys(dialog, "Escape")
        pictor.window_gone(OPEN_TITLE)
        check(pictor.screenshot() == before, "a cancelled Open changed the window")
        print("cancelled Open: window unchanged")

        pictor.menu(MENU_ABOUT)
        about = pictor.find_window("^About$")
        time.sleep(0.2)
        pictor.keys(about, "Return")
        pictor.window_gone("^About$")
        check(pictor.screenshot() == before, "the window changed after the About box")
        print("About box shown and closed: window unchanged")

        pictor.menu(MENU_QUIT)
        check(pictor.wait_exit() == 0, "Quitter ended with status %s" % pictor.process.returncode)
        print("Quitter: exit status 0")
    finally:
        pictor.close()


def failures(args, display, workdir):
    """Open of a cut or negative header or of a named pipe, Save as to a full disk, over a file
    past the file size limit or to a path too long: a message box each, the picture, the window
    and the old file unchanged; then the window's close request."""
    first, _ = rendered_pictures(args, workdir)
    cut = os.path.join(workdir, "cut.ppm")
    with open(cut, "wb") as f:
        f.write(b"P6\n#Kelvo\n45")
    negative = os.path.join(workdir, "negative.ppm")
    with open(negative, "wb") as f:
        f.write(b"P6\n#Kelvo\n-45 450\n255\n")
    fifo = os.path.join(workdir, "fifo.ppm")
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

        for path in (cut, negative, fifo):
            pictor.menu(MENU_OPEN)
            pictor.choose_file(OPEN_TITLE, path)
            box = pictor.find_window("^Ouverture impossible$")
            pictor.keys(box, "Return")
            pictor.window_gone("^Ouverture impossible$")
            check(pictor.screenshot() == before, "a failed Open of %s changed the window" % path)
            print("Open of %s: error box, window unchanged" % os.path.basename(path))

        # /dev/full exists (the chooser asks before replacing it) and every write fails; the
        # picture does not fit under the file size limit; the path does not fit the buffer.
        for path, replace in (("/dev/full", True), (old, True), (too_long, False)):
            pictor.menu(MENU_SAVE_AS)
            pictor.choose_file(SAVE_TITLE, path, replace)
            box = pictor.find_window("^Enregistrement impossible$")
            pictor.keys(box, "Return")
            pictor.window_gone("^Enregistrement impossible$")
            check(pictor.screenshot() == before, "a failed Save as changed the window")
            print("Save as to %s: error box, window unchanged" % os.path.basename(path)[:20])
        with open(old, "rb") as f:
            check(f.read() == old_bytes, "a failed Save as changed the old file")
        check(not [n for n in os.listdir(workdir) if n.startswith(".pictor")],
              "a failed Save as left its new file behind")

        code, _ = run([args.request_close, pictor.window], 5, pictor.env)
        check(code == 0, "could not send the close request")
        check(pictor.wait_exit() == 0, "closing ended with status %s" % pictor.process.returncode)
        print("close request: exit status 0")
    finally:
        pictor.close()


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def idle(args, display, workdir):
    """An idle pictor stays under 2 % of one core; without a display it says so and ends with 1."""
    pictor = Pictor(args, display, workdir)
    try:
        pictor.wait_for_background()
        start_cpu, start = cpu_seconds(pictor.process.pid), time.monotonic()
        time.sleep(5)
        used = (cpu_seconds(pictor.process.pid) - start_cpu) / (time.monotonic() - start)
        print("idle CPU over 5 s: %.2f %% of one core" % (100 * used))
        check(used < 0.02, "idle pictor used %.1f %% of a core" % (100 * used))
    finally:
        pictor.close()

    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    env["ASAN_OPTIONS"] = "detect_leaks=0"
    done = subprocess.run(["timeout", "10", args.pictor], env=env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    lines = done.stderr.decode("utf-8", "replace").strip().splitlines()
    check(done.returncode == 1, "without a display pictor ended with %d" % done.returncode)
    check(len(lines) == 1 and "display" in lines[0],
          "without a display pictor printed %r" % lines)
    print("no display: exit status 1, one line: %s" % lines[0])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario", choices=["session", "failures", "idle"])
    parser.add_argument("--pictor", required=True)
    parser.add_argument("--kelvotrace", required=True)
    parser.add_argument("--request-close")
    args = parser.parse_args()
    # The programs run in a scratch directory: their paths must not depend on ours.
    args.pictor, args.kelvotrace = os.path.abspath(args.pictor), os.path.abspath(args.kelvotrace)
    if args.request_close:
        args.request_close = os.path.abspath(args.request_close)
    for tool in ("Xvfb", "xdotool", "import"):
        if shutil.which(tool) is None:
            print("%s is missing: run scripts/install-test-deps.sh" % tool)
            return 1
    started = time.monotonic()
    workdir = tempfile.mkdtemp(prefix="pictor-e2e-")
    try:
        with Xvfb() as display:
            if os.environ.get("PICTOR_E2E_SHOT"):
                SHOT.update(path=os.environ["PICTOR_E2E_SHOT"], display=display.name)
            globals()[args.scenario](args, display.name, workdir)
    except Failure as failure:
        print("FAILED: %s" % failure)
        return 1
    finally:
        shutil.rmtree(workdir, ignore_errors=True)
    print("%s passed in %.1f s" % (args.scenario, time.monotonic() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main())
