#!/usr/bin/env python3
"""Fails each call of pictor's save and load and of kelvotrace's run in turn, N = 1, 2, ... until
a run meets no failure; with '+' after the error every call from the Nth on fails (a full disk
stays full), with KILL the process is killed at the Nth call of any kind. Checks every run and
prints a table: the old file or the new one whole, or an error that says the file may be damaged
and where its copy of the old bytes is; an error iff nothing saved; no stray file but one
reported, and none after the next save; no abort; kelvotrace over longer old pictures never
exiting 0 with a bad picture, old bytes behind new ones, nor aborting short of address space.
Usage: sweep.py FAIL_CALL_LIBRARY PICTURE_CALLS KELVOTRACE"""
import collections, errno as E, os, resource, shutil, subprocess, sys, tempfile

preload, tool, kelvotrace = (os.path.abspath(a) for a in sys.argv[1:4])
SAVE = {'open': ['EACCES', 'EIO'], 'write': ['ENOSPC', 'EIO', 'ENOSPC+'], 'short': ['0'],
        'fsync': ['EIO'], 'fallocate': ['ENOSPC', 'EOPNOTSUPP+'], 'ftruncate': ['EIO'],
        'rename': ['EXDEV', 'EIO'], 'linkat': ['EIO'], 'unlink': ['EIO', 'EPERM+'],
        'close': ['EIO'], 'fstat': ['EIO'], 'read': ['EIO'], 'meta': ['EPERM'],
        'malloc': ['ENOMEM'], 'kill': ['KILL']}
LOAD = {'open': ['EIO'], 'fstat': ['EIO'], 'fdopen': ['ENOMEM'], 'malloc': ['ENOMEM']}
KELVOTRACE = {'open': ['EIO'], 'fstat': ['EIO'], 'write': ['ENOSPC', 'ENOSPC+'], 'short': ['0'],
              'ftruncate': ['EIO'], 'close': ['EIO'], 'malloc': ['ENOMEM'], 'ulimit -v': ['-']}
PICTURES = ['testinter', 'testobj', 'testnormale', 'testMulti', 'testLamp', 'testZbuf_Phong']
STALE = b'Z' * 800000  # longer than any picture: each one is written over it and cut
root = tempfile.mkdtemp(prefix='fault-sweep-')
work, report, cache = (os.path.join(root, d) for d in ('work', 'report', 'cache'))
read = lambda name: open(os.path.join(work, name), 'rb').read()


def ppm(width, height, seed):
    return (b'P6\n#Kelvo\n%03d %03d\n255\n' % (width, height) +
            bytes((seed + 7 * i) % 256 for i in range(width * height * 3)))


def run(cmd, files, call=None, n=0, err='0', env=(), fresh=True):
    """Runs cmd in a fresh folder holding files (a second name for old.ppm when 'link' is one)."""
    if fresh:
        for folder in (work, cache):
            shutil.rmtree(folder, ignore_errors=True)
            os.mkdir(folder)
        for name, data in files.items():
            open(os.path.join(work, name), 'wb').write(data)
        if 'link' in files:
            os.remove(os.path.join(work, 'link'))
            os.link(os.path.join(work, 'old.ppm'), os.path.join(work, 'link'))
    env = dict(os.environ, LD_PRELOAD=preload, FAIL_CALL=call or '', FAIL_AT=str(n),
               FAIL_ERRNO=str(getattr(E, err.rstrip('+'), 0)), FAIL_REPORT=report,
               XDG_CACHE_HOME=cache, **dict(env))
    if err.endswith('+'):
        env['FAIL_PERSIST'] = '1'
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
TARGETS = {'replaced': ({'old.ppm': old}, {}), 'in place': ({'old.ppm': old, 'link': b''}, {}),
           'new': ({}, {}), 'replaced, no /proc': ({'old.ppm': old}, {'FAIL_NOPROC': '1'}),
           'new, no /proc': ({}, {'FAIL_NOPROC': '1'})}
saved = {t: (run([tool, 'save', source, 'old.ppm'], f[0], env=f[1]), read('old.ppm'))[1]
         for t, f in TARGETS.items()}
run([kelvotrace], {})
rendered = {p: read(p + '.ppm') for p in PICTURES}


def stray():
    """The files beside old.ppm and its link, and in the cache folder, by name."""
    found = {f: os.path.join(work, f) for f in os.listdir(work) if f not in ('old.ppm', 'link')}
    for folder, _, names in os.walk(cache):
        found.update({n: os.path.join(folder, n) for n in names})
    return found


def outcome_of(target, p, killed):
    """The run's outcome in words; BROKEN when it breaks a promise."""
    files, new = TARGETS[target][0], saved[target]
    if killed:
        if p.returncode != -9:
            return 'BROKEN: exit %d after the kill' % p.returncode
        now = read('old.ppm') if os.path.exists(os.path.join(work, 'old.ppm')) else None
        copies = [open(f, 'rb').read() for f in stray().values()]
        if now == new or now == (old if files else None):
            return 'killed, old or new'
        return 'killed, copy kept' if old in copies and 'link' in files else 'BROKEN: killed'
    words = p.stderr.split()
    if p.returncode != 0 or not words or words[0] not in (b'saved', b'error'):
        return 'BROKEN: exit %d, %s' % (p.returncode, p.stderr)
    left = [w[9:].decode() for w in words if w.startswith(b'leftover=')]
    extra = stray()
    if sorted(extra.values()) != sorted(os.path.join(work, f) if '/' not in f else f
                                        for f in left):
        return 'BROKEN: %s, stray %s' % (p.stderr, sorted(extra))
    if b'damaged' in words:
        return 'error, damaged, copy kept' if read(left[0]) == old else 'BROKEN: bad copy'
    names = set(files) | ({'old.ppm'} if not files else set())
    if words[0] == b'saved':
        return ('saved' + (', leftover' if left else '') if all(read(f) == new for f in names)
                else 'BROKEN: short')
    if not files and not os.path.exists(os.path.join(work, 'old.ppm')):
        return 'error, no file' + (', leftover' if left else '')
    if files and all(read(f) == old for f in names):
        return 'error, old kept' + (', leftover' if left else '')
    return 'BROKEN: error, old file changed'


def save(target, call, n, err):
    files, env = TARGETS[target]
    p, injected = run([tool, 'save', source, 'old.ppm'], files, call, n, err, env)
    outcome = outcome_of(target, p, call == 'kill')
    if injected and not outcome.startswith('BROKEN'):  # the next save leaves nothing over
        p, _ = run([tool, 'save', source, 'old.ppm'], files, env=env, fresh=False)
        if p.stderr != b'saved 0\n' or stray() or read('old.ppm') != saved[target]:
            outcome = 'BROKEN: the next save: %s, stray %s' % (p.stderr, sorted(stray()))
    return outcome, injected


def load(call, n, err):
    p, injected = run([tool, 'load', source, shown], {}, call, n, err)
    return ('BROKEN: exit %d' % p.returncode if p.returncode else
            'loaded' if p.stderr.startswith(b'loaded') else 'error, picture kept'), injected


def render(call, n, err):
    if call != 'ulimit -v':
        p, injected = run([kelvotrace], {f + '.ppm': STALE for f in PICTURES}, call, n, err)
        return judge_render(p, call), injected
    # From 2 MB up, 8 KB at a time, until it renders everything: it cannot start, or it reports
    # each picture it cannot write; it never aborts.
    limit = lambda: resource.setrlimit(resource.RLIMIT_AS, ((2048 + 8 * n) << 10,) * 2)
    shutil.rmtree(work, ignore_errors=True)
    os.mkdir(work)
    p = subprocess.run([kelvotrace], cwd=work, stdin=subprocess.DEVNULL, capture_output=True,
                       preexec_fn=limit)
    outcome = 'cannot start' if p.returncode == 127 else judge_render(p)
    return outcome, outcome != 'exit 0, all written'


def judge_render(p, call=None):
    if p.returncode not in (0, 1) or (p.returncode == 1) != (p.stderr != b''):
        return 'BROKEN: exit %d, %s' % (p.returncode, p.stderr)
    for picture in PICTURES:  # whole unless reported, then cut short, or old if never written to
        path = os.path.join(work, picture + '.ppm')
        now = read(path) if os.path.exists(path) else None
        if (' %s.ppm:' % picture).encode() not in p.stderr:
            if now != rendered[picture]:
                return 'BROKEN: %s.ppm, exit %d' % (picture, p.returncode)
        elif call != 'ftruncate' and not rendered[picture].startswith(now or b'') and (
                now != STALE or call not in ('open', 'fstat', 'malloc')):  # a failed cut: anything
            return 'BROKEN: %s.ppm, old bytes left' % picture
    return 'exit 1, reported' if p.returncode else 'exit 0, all written'


CASES = [('save (%s)' % t, SAVE, lambda *a, t=t: save(t, *a)) for t in TARGETS]
CASES += [('load', LOAD, load), ('kelvotrace', KELVOTRACE, render)]
print('| run | call | error | runs | outcomes |\n|---|---|---|---|---|')
broken = 0
for name, calls, attempt in CASES:
    for call, errors in calls.items():
        for err in errors:
            outcomes, n = collections.Counter(), 0
            while True:
                n += 1 if n < 64 or call == 'ulimit -v' else 8  # past 64 calls, one in eight
                outcome, injected = attempt(call, n, err)
                if not injected:
                    break
                outcomes[outcome] += 1
                if outcome.startswith('BROKEN'):
                    broken += 1
                    print('%s, %s %s, N=%d: %s' % (name, call, err, n, outcome), file=sys.stderr)
            print('| %s | %s | %s | %d | %s |' % (name, call, err, sum(outcomes.values()),
                  ', '.join('%s: %d' % o for o in sorted(outcomes.items()))), flush=True)
shutil.rmtree(root)
sys.exit(1 if broken else 0)
