"""pictor used as a person would: the real program in a real window under its own Xvfb, driven
with xdotool, checked by screenshots and by the files it writes. The scenarios (scenarios.py) are
what a person does with pictor (pictor.py): the Linux program on our GTK layer, by keyboard, or
pictor.exe under Wine, by mouse (wine.py; the steps that check our layer's own ways are left
out); on X11, bare or under openbox (x11.py), or on Wayland (wayland.py). Scenarios run one after
the other on one display (and one Wine prefix). Every wait is bounded. A critical or warning line
of GTK, GDK, GLib or ATK on pictor's stderr fails the run, except KNOWN_GTK_COMPLAINT (pictor.py).

Usage: python3 tests/pictor/e2e SCENARIO... --pictor PATH --kelvotrace PATH [--request-close PATH]
       [--wm openbox|weston] [--scale N] [--valgrind] [--wine i686|x86_64]
"""
import argparse
import contextlib
import os
import shutil
import sys
import tempfile
import time

import scenarios
from common import SHOT, Failure, check
from pictor import GTK_COMPLAINTS, Pictor
from wayland import Weston
from wine import PictorUnderWine, wine_prefix
from x11 import X11, xvfb


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scenarios", nargs="+", choices=["session", "failures", "idle", "dialogs"])
    parser.add_argument("--pictor", required=True)
    parser.add_argument("--kelvotrace", required=True)
    parser.add_argument("--request-close")
    parser.add_argument("--wm", choices=["openbox", "weston"],
                        help="openbox: windows framed, closed with its button (without, with the"
                        " request that button sends); weston: on Wayland, nested in the Xvfb")
    parser.add_argument("--scale", type=int, default=1,
                        help="GDK_SCALE, on X11: each picture pixel must show as a clean block")
    parser.add_argument("--valgrind", action="store_true", help="pictor under memcheck")
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
        with xvfb() as display, (Weston(display, scratch) if args.wm == "weston" else
                                 X11(display, args.wm)) as args.desktop:
            if os.environ.get("PICTOR_E2E_SHOT"):
                SHOT.update(path=os.environ["PICTOR_E2E_SHOT"], display=display)
            args.Pictor = PictorUnderWine if args.wine else Pictor
            with wine_prefix(args.wine, scratch, display) if args.wine else \
                    contextlib.nullcontext() as args.wine_prefix:
                for scenario in args.scenarios:
                    workdir = os.path.join(scratch, scenario)
                    os.mkdir(workdir)
                    getattr(scenarios, scenario)(args, workdir)
                    print("%s done (%.1f s in all)" % (scenario, time.monotonic() - started))
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
