"""The scenarios: what a person does with pictor, step by step, and what they must see. Each runs
in a scratch directory of its own (workdir) on the run's desktop."""
import os
import shutil
import subprocess
import time

from common import OPEN_TITLE, SAVE_TITLE, check, poll, read_file, write_file
from pictor import note_gtk_complaints


def rendered_pictures(args, workdir):
    """Runs kelvotrace in workdir; returns its first picture (450x450) and its last (500x500)."""
    subprocess.run(["timeout", "60", args.kelvotrace], cwd=workdir, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, check=True)
    return os.path.join(workdir, "testinter.ppm"), os.path.join(workdir, "testZbuf_Phong.ppm")


def session(args, workdir):
    """The frame, Open, paint, Save as, Open and Save as of a name that is not UTF-8, an Open of an
    upper-case name, a cancelled Open reached with a lone Alt, About and Quitter; then a second
    start closed with the title bar's close button; then the menu read through the accessibility
    bus."""
    first, second = rendered_pictures(args, workdir)
    with args.Pictor(args, workdir) as pictor:
        if not args.wine:
            frame = pictor.wait_for_frame()
            print("frame %dx%d at (%d, %d)" % (frame[2:] + frame[:2]))
        width, height = pictor.wait_for_background()
        print("client area %dx%d below a %d-pixel menu bar" % (width, height - pictor.client_top,
                                                              pictor.client_top))

        pictor.open(first)
        print("%s: %d visible pixels exact" % (first, pictor.shows(first)))

        saved = os.path.join(workdir, "saved copy.ppm")
        pictor.pick("Enregistrer sous")
        pictor.choose_file(SAVE_TITLE, saved)
        o_lines, c_lines = read_file(first).split(b"\n", 2), read_file(saved).split(b"\n", 2)
        named = pictor.dialog_path(saved)
        check(c_lines[1] == b"# " + named + " image transformée".encode("cp1252"),
              "the saved comment line is %r" % c_lines[1])
        check(o_lines[0] == c_lines[0] and o_lines[2] == c_lines[2],
              "the saved file differs from the original beyond its comment line")
        print("saved: only the comment line differs, it names %s" % named.decode("cp1252"))

        if not args.wine:
            latin_name(pictor, workdir)

        # The chooser's "*.ppm" filter ignores case, as Windows does: typed up to its last letter,
        # the upper-case name is completed by the chooser's location entry (Wine's dialog gets
        # the whole name).
        upper = os.path.join(workdir, "PHONG.PPM")
        shutil.copyfile(second, upper)
        pictor.open(upper if args.wine else upper[:-1])
        print("%s: %d visible pixels exact" % (upper, pictor.shows(second)))

        # A larger window shows the whole picture: the client area is painted again.
        pictor.resize(620, 620)
        time.sleep(0.3)
        check(pictor.screenshot()[:2] == (620, 620), "the window was not resized")
        print("resized to 620x620: %d visible pixels exact" % pictor.shows(second))
        before = pictor.screenshot()

        # Alt pressed and released alone puts the menu bar in keyboard mode, as on Windows.
        pictor.pick("Ouvrir", lone_alt=not args.wine)
        pictor.press(pictor.find_window(OPEN_TITLE), "Escape")
        pictor.window_gone(OPEN_TITLE)
        check(pictor.shows_again(before), "a cancelled Open changed the window")
        print("cancelled Open%s: window unchanged" % ("" if args.wine else ", reached by Alt"))

        pictor.pick("About")
        pictor.press_ok("^About$")
        check(pictor.shows_again(before), "the window changed after the About box")
        print("About box shown and closed: window unchanged")

        pictor.pick("Quitter")
        pictor.exits_with_0("Quitter")
    with args.Pictor(args, workdir) as pictor:
        pictor.wait_for_background()
        pictor.close_button(pictor.window)
        pictor.exits_with_0("close button")
    if args.wm == "weston":
        print("accessibility check left out on Wayland: GTK's bridge prints warnings there")
    elif not args.wine:
        read_by_screen_reader(args, workdir)


def latin_name(pictor, workdir):
    """A Latin-1 name, as on old disks, in a folder beside a file the filter leaves out: the
    chooser lists it, so its entry completes the folder to it; it opens pixel-exact and is saved
    over, confirmed, with its real bytes in the comment line."""
    folder = os.path.join(workdir, "latin")
    os.mkdir(folder)
    latin = os.path.join(os.fsencode(folder), b"caf\xe9.ppm")
    shutil.copyfile(os.path.join(workdir, "testLamp.ppm"), latin)
    write_file(os.path.join(folder, "notes.txt"), b"not a picture\n")
    pictor.open(folder + "/")
    print("caf\\xe9.ppm: %d visible pixels exact" % pictor.shows(latin))
    pictor.pick("Enregistrer sous")
    check(pictor.choose_file(SAVE_TITLE, folder + "/", replace=True),
          "Enregistrer sous replaced caf\\xe9.ppm without asking")
    comment = read_file(latin).split(b"\n", 2)[1]
    check(comment == b"# " + latin + " image transformée".encode("cp1252"),
          "the comment line saved over caf\\xe9.ppm is %r" % comment)
    print("saved over caf\\xe9.ppm: its comment line holds its name's bytes")


def read_by_screen_reader(args, workdir):
    """The menu reached by name and the About box named by its caption, through AT-SPI."""
    missing = [why for why, there in (
        ("dbus-run-session (package dbus)", shutil.which("dbus-run-session")),
        ("the bus (at-spi2-core)", os.path.exists("/usr/libexec/at-spi-bus-launcher")),
        ("pyatspi (python3-pyatspi)", subprocess.run(["/usr/bin/python3", "-c", "import pyatspi"],
                                                     stderr=subprocess.DEVNULL).returncode == 0))
        if not there]
    if missing:
        print("accessibility check skipped: missing %s" % ", ".join(missing))
        return
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "accessible.py")
    env = dict(os.environ, DISPLAY=args.desktop.display, XDG_DATA_HOME=workdir,
               XDG_CONFIG_HOME=workdir, XDG_CACHE_HOME=workdir, ASAN_OPTIONS="detect_leaks=0")
    if args.scale != 1:
        env["GDK_SCALE"] = str(args.scale)
    done = subprocess.run(["timeout", "60", "dbus-run-session", "--", "/usr/bin/python3", "-B",
                           script, args.pictor], cwd=workdir, env=env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    output = done.stdout.decode("utf-8", "replace")
    print(output.rstrip())
    note_gtk_complaints(output)
    check(done.returncode == 0, "the accessibility check ended with %d" % done.returncode)


def failures(args, workdir):
    """Open of a cut or negative header or of a named pipe, Save as to a full disk, over a file
    past the file size limit or to a path too long: a message box each, the picture, the window
    and the old file unchanged; Open of a missing name, refused by the chooser; then the window's
    close button."""
    first, _ = rendered_pictures(args, workdir)
    cut = write_file(os.path.join(workdir, "cut.ppm"), b"P6\n#Kelvo\n45")
    negative = write_file(os.path.join(workdir, "negative.ppm"), b"P6\n#Kelvo\n-45 450\n255\n")
    fifo = os.path.join(workdir, "fifo.ppm")
    if not args.wine:
        os.mkfifo(fifo)
    old_bytes = bytes(range(256)) * 200  # 51,200 bytes, room to grow under the limit
    old = write_file(os.path.join(workdir, "old.ppm"), old_bytes)
    too_long = os.path.join(workdir, "n" * (256 - len(workdir)) + ".ppm")

    with args.Pictor(args, workdir, file_size_limit=100 * 1024) as pictor:
        pictor.wait_for_background()
        pictor.open(first)
        pictor.shows(first)
        before = pictor.screenshot()

        # Under Wine: the bad headers and the full disk (the rest is our layer's own handling).
        for path in (cut, negative) if args.wine else (cut, negative, fifo):
            pictor.open(path)
            pictor.press_ok("^Ouverture impossible$")
            check(pictor.shows_again(before), "a failed Open of %s changed the window" % path)
            print("Open of %s: error box, window unchanged" % os.path.basename(path))

        # A name that names no file is refused inside the open chooser, which stays open.
        if not args.wine:
            refused_inside(pictor, os.path.join(workdir, "missing.ppm"), before)

        # /dev/full exists (the chooser asks before replacing it) and every write fails; the
        # picture does not fit under the file size limit; the path does not fit the buffer.
        saves = (("/dev/full", True), (old, True), (too_long, False))
        for path, replace in saves[:1] if args.wine else saves:
            pictor.pick("Enregistrer sous")
            pictor.choose_file(SAVE_TITLE, path, replace)
            pictor.press_ok("^Enregistrement impossible$")
            check(pictor.shows_again(before), "a failed Save as changed the window")
            print("Save as to %s: error box, window unchanged" % os.path.basename(path)[:20])
        check(read_file(old) == old_bytes, "a failed Save as changed the old file")
        check(not [n for n in os.listdir(workdir) if n.startswith(".pictor")],
              "a failed Save as left its new file behind")

        pictor.close_button(pictor.window)
        pictor.exits_with_0("close button")


def refused_inside(pictor, missing, before):
    """Open of a name that names no file: GTK's chooser refuses it in a message of its own and
    stays open; cancelled then, the window unchanged."""
    pictor.pick("Ouvrir")
    chooser, known = pictor.type_path(OPEN_TITLE, missing)
    for attempt in range(3):  # Return again should the completion take it
        pictor.xdotool("key", "Return")
        refusal = poll(lambda: pictor.visible_windows() - known, bool, 2.5, 0.1)
        if refusal:
            break
    check(refusal and chooser in pictor.visible_windows(),
          "the chooser did not refuse %s in a message of its own" % missing)
    time.sleep(0.2)
    pictor.press(min(refusal, key=int), "Return")  # the message's toplevel, made first
    time.sleep(0.5)
    visible = pictor.visible_windows()
    check(chooser in visible and not refusal & visible,
          "the refusal did not leave the chooser alone open")
    pictor.press(chooser, "Escape", "Escape")  # the first leaves the location entry
    pictor.window_gone(OPEN_TITLE)
    check(pictor.screenshot() == before, "a refused Open changed the window")
    print("Open of a missing name: refused inside the chooser, then cancelled")


def dialogs(args, workdir):
    """Each dialog (the open and save choosers, the About box, an error box) dismissed once with
    Escape and once with its close button: a cancel each time, the window unchanged; then About,
    Save as and Quitter. The scenario that runs under valgrind."""
    first, _ = rendered_pictures(args, workdir)
    cut = write_file(os.path.join(workdir, "cut.ppm"), b"P6\n#Kelvo\n45")
    saved = os.path.join(workdir, "saved.ppm")

    with args.Pictor(args, workdir) as pictor:
        pictor.wait_for_frame()
        pictor.wait_for_background()
        pictor.open(first)
        pictor.shows(first)
        before = pictor.screenshot()

        # the menu item, then the file typed into the open chooser, if any, to reach the dialog
        for item, path, title in (("Ouvrir", None, OPEN_TITLE),
                                  ("Enregistrer sous", None, SAVE_TITLE),
                                  ("About", None, "^About$"),
                                  ("Ouvrir", cut, "^Ouverture impossible$")):
            for how in ("Escape", "its close button"):
                pictor.pick(item)
                if path is not None:
                    pictor.choose_file(OPEN_TITLE, path)
                dialog = pictor.find_window(title)
                time.sleep(0.3 * pictor.slow)  # shown and ready for keys
                if how == "Escape":
                    pictor.press(dialog, "Escape")
                else:
                    pictor.close_button(dialog)
                pictor.window_gone(title)
                print("%s closed with %s" % (title.strip("^$"), how))
        check(pictor.screenshot() == before, "a dismissed dialog changed the window")
        check(not os.path.exists(saved), "a dismissed Save as wrote a file")

        pictor.pick("About")
        pictor.press_ok("^About$")
        pictor.pick("Enregistrer sous")
        pictor.choose_file(SAVE_TITLE, saved)
        check(read_file(saved).split(b"\n", 2)[2] == read_file(first).split(b"\n", 2)[2],
              "the saved copy's size and pixels differ from the original's")
        pictor.pick("Quitter")
        pictor.exits_with_0("Quitter")


def cpu_seconds(pid):
    fields = read_file("/proc/%d/stat" % pid).rsplit(b")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def idle(args, workdir):
    """An idle pictor (under Wine: pictor.exe and the Wine server) stays under 2 % of one core
    and still answers "Quitter"; without a display our layer says so and ends with 1."""
    with args.Pictor(args, workdir) as pictor:
        pictor.wait_for_background()
        pids = pictor.processes()
        start_cpu, start = [cpu_seconds(pid) for pid in pids], time.monotonic()
        time.sleep(5)
        used = [(cpu_seconds(pid) - cpu) / (time.monotonic() - start)
                for pid, cpu in zip(pids, start_cpu)]
        print("idle CPU over 5 s: %s of one core" %
              " + ".join("%.2f %%" % (100 * u) for u in used))
        check(sum(used) < 0.02, "idle pictor used %.1f %% of a core" % (100 * sum(used)))
        pictor.pick("Quitter")
        pictor.exits_with_0("Quitter")
    if args.wine:
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
