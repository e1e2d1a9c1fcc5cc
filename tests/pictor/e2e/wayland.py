import os
import re
import subprocess
import time

from common import BACKGROUND, check, read_ppm, run, wait_for, write_file


class Weston:
    """The Wayland desktop: weston nested in the Xvfb with its X11 backend, for a real keyboard and
    pointer: xdotool's keys and clicks on weston's X window reach its Wayland clients. Wayland
    windows have no X ids: weston's protocol log gives the windows and their titles, weston's
    screenshots show them, and a window is found in one by walking out to the desktop colour."""
    SOCKET = "pictor-e2e"
    # weston's X11 backend moves its pointer by the differences between X's motion events and
    # takes the absolute place only when the pointer enters its window, so it loses track of
    # xdotool's jumps. Its window leaves the screen's last rows free: the pointer waits there,
    # and enters the window anew for every click. Weston still draws its pointer where it left:
    # it leaves from the desktop's corner, out of the windows.
    places_windows = True  # the program asks for a size only
    HEIGHT = 1000
    PARK = ("mousemove", "1275", "995", "mousemove", "1275", "1015")
    DESKTOP = (0x20, 0x40, 0x60)  # its shadows are darker shades of it
    INI = ("[core]\nidle-time=0\n[shell]\nbackground-color=0xff204060\npanel-position=none\n"
           "animation=none\nclose-animation=none\nstartup-animation=none\n"
           "focus-animation=none\nlocking=false\n")  # no fading window in a screenshot

    def __init__(self, display, scratch):
        self.display, self.directory = display, os.path.join(scratch, "weston")
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
        write_file(ini, self.INI.encode())
        # --use-pixman: no GL under Xvfb; --debug: the screenshooter; proto: the windows' titles.
        self.process = subprocess.Popen(
            ["weston", "--backend=x11-backend.so", "--socket=" + self.SOCKET, "--width=1280",
             "--height=%d" % self.HEIGHT, "--use-pixman", "--debug", "--config=" + ini,
             "--logger-scopes=proto", "--log=" + log],
            env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        socket = os.path.join(self.runtime, self.SOCKET)
        wait_for(lambda: os.path.exists(socket) or self.process.poll() is not None, 10,
                 "weston did not start")
        check(os.path.exists(socket), "weston did not start")
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

    def program_environment(self, env):
        """The program's environment on weston's socket; the windows seen so far are forgotten:
        a new pictor starts (the last has ended)."""
        self.read_log()
        self.toplevels.clear()
        self.popups.clear()
        return {k: v for k, v in env.items() if k != "DISPLAY"} | {
            "XDG_RUNTIME_DIR": self.runtime, "WAYLAND_DISPLAY": self.SOCKET,
            "GDK_BACKEND": "wayland"}

    def windows(self, pictor, title):
        """The live windows whose title matches, without regard to case."""
        self.read_log()
        return {key for key, t in self.toplevels.items() if re.search(title, t, re.IGNORECASE)}

    def visible_windows(self, pictor):
        return self.windows(pictor, "")

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
        code, _ = run(["weston-screenshooter"], 10, self.env, cwd=shots)
        names = os.listdir(shots)
        check(code == 0 and len(names) == 1, "weston-screenshooter failed")
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

    def frame(self, pictor, window):
        """The window's outer rectangle, found on the screen (GTK's own title bar included)."""
        return self.find_window(self.screen())

    def focus(self, pictor, window):
        """Keys reach weston through its X window; weston gives them to its active window: the
        newest dialog, or the main window once clicked (in its client area, where a click does
        nothing else)."""
        if window == pictor.window:
            x, y, w, h = self.window_rectangle
            pictor.xdotool("mousemove", "--sync", str(x + w - 5), str(y + h - 5), "click", "1",
                           *self.PARK)
            time.sleep(0.1)

    def press_menu_keys(self, pictor, keys, item):
        """A menu opens after a round trip with the compositor: the keys after the first wait
        for it."""
        pictor.press(pictor.window, keys[0])
        wait_for(lambda: self.read_log() or self.popups, 5 * pictor.slow,
                 "the menu did not open for %s" % item)
        pictor.xdotool("key", "--delay", "150", *keys[1:])

    def close_button(self, pictor, window):
        """A click on the title bar's close button, found as its glyph: the darkest pixel of the
        title bar's right end."""
        x, y, w, _ = self.window_rectangle
        width, _, raster = self.screen()
        spots = [(sum(raster[(yy * width + xx) * 3:(yy * width + xx) * 3 + 3]), xx, yy)
                 for yy in range(y + 5, y + 32) for xx in range(x + w - 40, x + w - 5)]
        _, bx, by = min(spots)
        pictor.xdotool("mousemove", "--sync", str(bx), str(by), "click", "1", *self.PARK)

    def resize(self, pictor, width, height):
        """Sizes the whole window, dragged by its bottom right corner."""
        x, y, w, h = self.window_rectangle
        pictor.xdotool("mousemove", "--sync", str(x + w + 3), str(y + h + 3), "mousedown", "1")
        for step in (0.5, 1):
            time.sleep(0.1)
            pictor.xdotool("mousemove", "--sync", str(x + int(w + (width - w) * step) + 3),
                           str(y + int(h + (height - h) * step) + 3))
        pictor.xdotool("mouseup", "1", *self.PARK)
        def resized():
            self.window_rectangle = self.find_window(self.screen(), (x, y))
            return self.window_rectangle[2:] == (width, height)
        wait_for(resized, 5 * pictor.slow, "the window was not resized", step=0.1)

    def follow_window(self, pictor):
        """Finds the window on the screen; the same place is kept from then on."""
        self.window_rectangle = self.frame(pictor, pictor.window)

    def screenshot(self, pictor):
        width, _, raster = self.screen()
        x, y, w, h = self.window_rectangle
        return w, h, b"".join(raster[((y + r) * width + x) * 3:((y + r) * width + x + w) * 3]
                              for r in range(h))
