#!/usr/bin/env python3
"""Fails each call of pictor's save and load and of kelvotrace's run in turn, N = 1, 2, ... until
a run meets no failure; checks every run (old file or new one whole, an error iff nothing saved,
no stray file, no abort, kelvotrace never exiting 0 with a bad picture) and prints a table.
Usage: sweep.py FAIL_CALL_LIBRARY PICTURE_CALLS KELVOTRACE"""
import collections, errno as E, os, shutil, subprocess, sys, tempfile

preload, tool, kelvotrace = (os.path.abspath(a) for a in sys.argv[1:4])
SAVE = {'open': [E.EACCES, E.EIO], 'write': [E.ENOSPC, E.EIO], 'short': [0], 'fsync': [E.EIO],
        'fallocate': [E.ENOSPC], 'rename': [E.EXDEV, E.EIO], 'linkat': [E.EIO], 'close': [E.EIO],
        'fstat': [E.EIO], 'realpath': [E.ENOMEM], 'malloc': [E.ENOMEM]}
LOAD = {'open': [E.EIO], 'fstat': [E.EIO], 'fdopen': [E.ENOMEM], 'malloc': [E.ENOMEM]}
KELVOTRACE = {'open': [E.EIO], 'write': [E.ENOSPC], 'short': [0], 'close': [E.EIO],
              'malloc': [E.ENOMEM]}
PICTURES = ['testinter', 'testobj', 'testnormale', 'testMulti', 'testLamp', 'testZbuf_Phong']
root = tempfile.mkdtemp(prefix='fault-sweep-')
work, report = os.path.join(root, 'work'), os.path.join(root, 'report')
read = lambda name: open(os.path.join(work, name), 'rb').read()


def ppm(width, height, seed):
    return (b'P6\n#Kelvo\n%03d %03d\n255\n' % (width, height) +
            bytes((seed + 7 * i) % 256 for i in range(width * height * 3)))


def run(cmd, files, call=None, n=0, err=0):
    """Runs cmd in a fresh folder holding files (a second name for old.ppm when 'link' is one)."""
    shutil.rmtree(work, ignore_errors=True)
    os.mkdir(work)
    for name, data in files.items():
        open(os.path.join(work, name), 'wb').write(data)
    if 'link' in files:
        os.remove(os.path.join(work, 'link'))
        os.link(os.path.join(work, 'old.ppm'), os.path.join(work, 'link'))
    env = dict(os.environ, LD_PRELOAD=preload, FAIL_CALL=call or '', FAIL_AT=str(n),
               FAIL_ERRNO=str(err), FAIL_REPORT=report)
    if cmd[0] == kelvotrace:
        env['FAIL_ARMED'] = '1'
    p = subprocess.run(cmd, cwd=work, env=env, stdin=subprocess.DEVNULL, capture_output=True)
    injected = os.path.exists(report)
    if injected:
        os.remove(report)
    return p, injected


old, source, shown = ppm(100, 101, 3), os.path.join(root, 'source.ppm'), os.path.join(root, 'shown')
open(source, 'wb').write(ppm(7, 5, 1))
open(shown, 'wb').write(ppm(3, 2, 9))
TARGETS = {'replaced': {'old.ppm': old}, 'in place': {'old.ppm': old, 'link': b''}, 'new': {}}
saved = {t: (run([tool, 'save', source, 'old.ppm'], f), read('old.ppm'))[1]
         for t, f in TARGETS.items()}
run([kelvotrace], {})
rendered = {p: read(p + '.ppm') for p in PICTURES}


def save(target, call, n, err):
    files = TARGETS[target]
    p, injected = run([tool, 'save', source, 'old.ppm'], files, call, n, err)
    outcome = p.stdout.split()[0] if p.returncode == 0 else b'exit %d' % p.returncode
    listing = sorted(os.listdir(work))
    if listing != sorted(set(files) | ({'old.ppm'} if outcome == b'saved' else set())):
        return 'BROKEN: %s, files %s' % (outcome, listing), injected
    if outcome == b'saved':
        whole = all(read(f) == saved[target] for f in listing)
        return 'saved' if whole else 'BROKEN: short', injected
    if outcome != b'error':
        return 'BROKEN: %s' % outcome, injected
    if target == 'new' or read('old.ppm') == old:
        return 'error, ' + ('no file' if target == 'new' else 'old kept'), injected
    # In place, a write or flush that fails after the reservation may leave the file changed.
    return 'error, changed in place' if call in ('write', 'fsync', 'close') else 'BROKEN', injected


def load(call, n, err):
    p, injected = run([tool, 'load', source, shown], {}, call, n, err)
    return ('BROKEN: exit %d' % p.returncode if p.returncode else
            'loaded' if p.stdout.startswith(b'loaded') else 'error, picture kept'), injected


def render(call, n, err):
    p, injected = run([kelvotrace], {}, call, n, err)
    if p.returncode not in (0, 1) or (p.returncode == 1) != (p.stderr != b''):
        return 'BROKEN: exit %d, %s' % (p.returncode, p.stderr), injected
    for picture in PICTURES:  # each picture whole unless reported
        if (' %s.ppm:' % picture).encode() not in p.stderr and (
                not os.path.exists(os.path.join(work, picture + '.ppm')) or
                read(picture + '.ppm') != rendered[picture]):
            return 'BROKEN: %s.ppm, exit %d' % (picture, p.returncode), injected
    return ('exit 1, reported' if p.returncode else 'exit 0, all written'), injected


CASES = [('save (%s)' % t, SAVE, lambda *a, t=t: save(t, *a)) for t in TARGETS]
CASES += [('load', LOAD, load), ('kelvotrace', KELVOTRACE, render)]
print('| run | call | error | runs | outcomes |\n|---|---|---|---|---|')
broken = 0
for name, calls, attempt in CASES:
    for call, errors in calls.items():
        for err in errors:
            outcomes, n = collections.Counter(), 0
            while True:
                n += 1 if n < 64 else 8  # past 64 calls (kelvotrace's mallocs), one in eight
                outcome, injected = attempt(call, n, err)
                if not injected:
                    break
                outcomes[outcome] += 1
                if outcome.startswith('BROKEN'):
                    broken += 1
                    print('%s, %s %s, N=%d: %s' % (name, call, E.errorcode.get(err, '-'), n, outcome),
                          file=sys.stderr)
            print('| %s | %s | %s | %d | %s |' % (name, call, E.errorcode.get(err, '-'), sum(
                outcomes.values()), ', '.join('%s: %d' % o for o in sorted(outcomes.items()))))
shutil.rmtree(root)
sys.exit(1 if broken else 0)
