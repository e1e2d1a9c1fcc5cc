#!/usr/bin/env python3
"""Fails each call of pictor's save and load and of kelvotrace's run in turn, N = 1, 2, ... until
a run meets no failure, checks after each run that nothing was lost or reported wrongly, and
prints a table of the outcomes. Usage: sweep.py FAIL_CALL_LIBRARY PICTURE_CALLS KELVOTRACE"""
import collections, errno as E, os, shutil, subprocess, sys, tempfile

preload, tool, kelvotrace = (os.path.abspath(a) for a in sys.argv[1:4])
SWEEPS = {
    'save': {'open': [E.EACCES, E.EIO], 'write': [E.ENOSPC, E.EIO], 'fsync': [E.EIO],
             'fallocate': [E.ENOSPC], 'rename': [E.EXDEV, E.EIO], 'linkat': [E.EIO],
             'close': [E.EIO], 'fstat': [E.EIO], 'realpath': [E.ENOMEM], 'malloc': [E.ENOMEM]},
    'load': {'open': [E.EIO], 'fstat': [E.EIO], 'fdopen': [E.ENOMEM], 'close': [E.EIO],
             'malloc': [E.ENOMEM]},
    'kelvotrace': {'open': [E.EIO], 'write': [E.ENOSPC], 'close': [E.EIO], 'malloc': [E.ENOMEM]},
}
PICTURES = ['testinter', 'testobj', 'testnormale', 'testMulti', 'testLamp', 'testZbuf_Phong']
root = tempfile.mkdtemp(prefix='fault-sweep-')
work, report = os.path.join(root, 'work'), os.path.join(root, 'report')


def ppm(width, height, seed):
    return (b'P6\n#Kelvo\n%03d %03d\n255\n' % (width, height) +
            bytes((seed + 7 * i) % 256 for i in range(width * height * 3)))


def read(path):
    with open(path, 'rb') as f:
        return f.read()


def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)


def fresh(files):
    shutil.rmtree(work, ignore_errors=True)
    os.mkdir(work)
    for name, data in files.items():
        write(os.path.join(work, name), data)
    if 'other.ppm' in files:  # a second hard link
        os.remove(os.path.join(work, 'other.ppm'))
        os.link(os.path.join(work, 'old.ppm'), os.path.join(work, 'other.ppm'))


def run(cmd, call=None, n=0, err=0):
    env = dict(os.environ)
    if call:
        env.update(LD_PRELOAD=preload, FAIL_CALL=call, FAIL_AT=str(n), FAIL_ERRNO=str(err),
                   FAIL_REPORT=report)
        if cmd[0] == kelvotrace:
            env['FAIL_ARMED'] = '1'
    p = subprocess.run(cmd, cwd=work, env=env, stdin=subprocess.DEVNULL, capture_output=True,
                       timeout=60)
    injected = os.path.exists(report)
    if injected:
        os.remove(report)
    return p, injected


source, old = os.path.join(root, 'source.ppm'), ppm(100, 101, 3)
write(source, ppm(7, 5, 1))
write(os.path.join(root, 'other.ppm'), ppm(3, 2, 9))
TARGETS = {'replaced': ({'old.ppm': old}, 'old.ppm'),
           'in place': ({'old.ppm': old, 'other.ppm': b''}, 'old.ppm'),
           'new file': ({}, 'new.ppm')}
saved_bytes = {}
for target, (files, name) in TARGETS.items():
    fresh(files)
    run([tool, 'save', source, os.path.join(work, name)])
    saved_bytes[target] = read(os.path.join(work, name))
fresh({})
run([kelvotrace])
rendered = {p: read(os.path.join(work, p + '.ppm')) for p in PICTURES}


def check_save(target, p, call):
    files, name = TARGETS[target]
    outcome, error = p.stdout.decode().split() if p.returncode == 0 else ('abort', p.returncode)
    listing = sorted(os.listdir(work))
    expected = sorted(set(files) | ({name} if outcome == 'saved' else set()))
    path = os.path.join(work, name)
    if outcome == 'abort' or listing != expected:
        return 'BROKEN: %s, files %s' % (outcome, listing)
    if outcome == 'saved':
        now = [read(os.path.join(work, f)) for f in listing]
        return 'saved' if all(d == saved_bytes[target] for d in now) else 'BROKEN: saved short'
    if int(error) == 0:
        return 'BROKEN: error 0'
    if target == 'new file' or read(path) == old:
        return 'error, old kept'
    # Written in place: a write or flush that fails after the reservation can change the file.
    return 'error, changed in place' if call in ('write', 'fsync', 'close') else 'BROKEN: changed'


def check_load(p):
    if p.returncode != 0:
        return 'BROKEN: picture changed or exit %d' % p.returncode
    return 'loaded' if p.stdout.startswith(b'loaded') else 'error, picture kept'


def check_kelvotrace(p):
    if p.returncode not in (0, 1):
        return 'BROKEN: exit %d' % p.returncode
    err = p.stderr.decode()
    for picture in PICTURES:
        path = os.path.join(work, picture + '.ppm')
        named = ' %s.ppm:' % picture in err
        if not named and (not os.path.exists(path) or read(path) != rendered[picture]):
            return 'BROKEN: %s.ppm bad, exit %d' % (picture, p.returncode)
    if p.returncode == 0:
        return 'exit 0, all written' if err == '' else 'BROKEN: exit 0 with messages'
    return 'exit 1, failures reported' if err else 'BROKEN: exit 1 silent'


rows, broken = [], 0
cases = [('save', t) for t in TARGETS] + [('load', ''), ('kelvotrace', '')]
for program, target in cases:
    for call, errors in SWEEPS[program].items():
        for err in errors:
            outcomes, n = collections.Counter(), 0
            runs = 0
            while n < 5000:
                n += 1 if n < 64 else 8  # past 64 calls (kelvotrace's mallocs), one in eight
                runs += 1
                if program == 'save':
                    fresh(TARGETS[target][0])
                    p, injected = run([tool, 'save', source,
                                       os.path.join(work, TARGETS[target][1])], call, n, err)
                    outcome = check_save(target, p, call)
                elif program == 'load':
                    fresh({})
                    p, injected = run([tool, 'load', source, os.path.join(root, 'other.ppm')],
                                      call, n, err)
                    outcome = check_load(p)
                else:
                    fresh({})
                    p, injected = run([kelvotrace], call, n, err)
                    outcome = check_kelvotrace(p)
                if not injected:
                    break
                outcomes[outcome] += 1
                if outcome.startswith('BROKEN'):
                    broken += 1
                    print('%s %s %s=%s N=%d: %s' % (program, target, call, E.errorcode[err], n,
                                                     outcome), file=sys.stderr)
            rows.append((program + (' (%s)' % target if target else ''), call,
                         E.errorcode[err], runs - 1,
                         ', '.join('%s: %d' % kv for kv in sorted(outcomes.items())) or '-'))

print('| run | call | error | runs | outcomes |\n|---|---|---|---|---|')
for row in rows:
    print('| %s | %s | %s | %d | %s |' % row)
shutil.rmtree(root)
sys.exit(1 if broken else 0)
