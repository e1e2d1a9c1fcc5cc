"""What every part of the driver shares: failing a check, bounded commands and waits, screenshots
read as P6 rasters, and what the program shows (its colours, frame and dialog titles)."""
import os
import subprocess
import time

BACKGROUND = (200, 200, 200)  # the scroll-bar colour the layer erases with (and Wine's, as set)
# The window is created at (100, 100) with an outer size, frame included, of 500 by 500.
FRAME = (100, 100, 500, 500)
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


def run(args, limit=5, env=None, cwd=None):
    """Runs a command under timeout and returns its exit status and stdout."""
    done = subprocess.run(["timeout", str(limit)] + args, env=env, cwd=cwd,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    return done.returncode, done.stdout.decode("utf-8", "replace")


def poll(measure, done, limit, step=0.05):
    """Measures until done(value) holds or limit seconds have passed; returns the last value."""
    deadline = time.monotonic() + limit
    value = measure()
    while not done(value) and time.monotonic() < deadline:
        time.sleep(step)
        value = measure()
    return value


def wait_for(condition, limit, message, step=0.05):
    """Asks condition until it gives a true value, which it returns; fails after limit seconds."""
    value = poll(condition, bool, limit, step)
    check(value, message)
    return value


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


def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)
    return path


def read_file(path):
    with open(path, "rb") as f:
        return f.read()
