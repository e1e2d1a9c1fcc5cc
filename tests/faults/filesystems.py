#!/usr/bin/env python3
"""Saves a 999 by 999 picture with pictor's save (the picture_calls tool), as root, where file
systems and the system stand in the way: small loop-mounted images made here (ext2 without
fallocate, ext4 and btrfs nearly full), a link planted in a sticky folder with
fs.protected_symlinks=1, an append-only folder, no /proc, security.capability, /dev/stdout a
pipe. One row per case; a case that cannot be set up here is skipped with its reason. Exits 1
when a case breaks its promise, 77 when none could run.
Usage: filesystems.py PICTURE_CALLS"""
import os, re, shutil, subprocess, sys, tempfile

tool, root = os.path.abspath(sys.argv[1]), tempfile.mkdtemp(prefix='fs-cases-')
os.chmod(root, 0o755)
RASTER = bytes((7 * i) % 251 for i in range(999 * 999 * 3))
open(root + '/big.ppm', 'wb').write(b'P6\n#Kelvo\n999 999\n255\n' + RASTER)
open(root + '/raster', 'wb').write(RASTER)
open(root + '/small.ppm', 'wb').write(b'P6\n#Kelvo\n100 101\n255\n' + bytes(30300))
open(root + '/same.ppm', 'wb').write(b'P6\n#Kelvo\n999 999\n255\n' + bytes(999 * 999 * 3))
# Shell helpers for the set-ups and checks: the new picture whole, the old bytes kept, nothing
# left beside the file or in the cache folder, the disk filled but for 256 KB.
HELPERS = f'''R={root}; new() {{ tail -c {len(RASTER)} "$1" | cmp -s - $R/raster; }}
kept() {{ cmp -s "$1" $R/${{2:-small}}.ppm; }}
clean() {{ ! ls -A "$1" | grep -q '^[.]pictor' && ! ls -A $XDG_CACHE_HOME/pictor 2>/dev/null | grep -q .; }}
fill() {{ head -c 262144 /dev/zero > spare; cat /dev/zero > filler 2>/dev/null; rm spare; sync; }}
'''
NOPROC = "unshare -m sh -c 'umount -l /proc && exec \"$@\"' -"
NOBODY = 'setpriv --reuid=65534 --regid=65534 --clear-groups'
# name, file system (kind:megabytes) or None, set-up, target, command before the tool,
# outcomes allowed, check.
CASES = [
    ('link in a sticky folder, protected_symlinks=1', None, 'mkdir -m 1777 s && echo private '
     '> secret && chmod 600 secret && ln -s $PWD/secret s/p && chown -h nobody s/p', 's/p', '',
     ['error 13'], 'test "$(cat secret)" = private'),
    ('dangling link in a sticky folder', None,
     'mkdir -m 1777 s && ln -s $PWD/made s/p && chown -h nobody s/p', 's/p', '', ['error 13'],
     'test ! -e made'),
    ('append-only folder, existing file', 'ext4:16', 'mkdir a && cp $R/small.ppm a/p && chattr +a a',
     'a/p', '', ['saved 0'], 'chattr -a a && new a/p && clean a'),
    ('append-only folder, new file', 'ext4:16', 'mkdir a && chattr +a a', 'a/p', '', ['saved 0'],
     'chattr -a a && new a/p && clean a'),
    ('security.capability, one name', 'ext4:16', 'cp $R/small.ppm p && setcap cap_net_raw+ep p',
     'p', '', ['saved 0'], 'new p && getcap p | grep -q cap_net_raw'),
    ('security.capability, second hard link', 'ext4:16',
     'cp $R/small.ppm p && ln p q && setcap cap_net_raw+ep p', 'p', '', ['saved 0'],
     'new q && getcap p | grep -q cap_net_raw && clean .'),
    ('no /proc, as root: replaced whole', None, 'cp $R/small.ppm p && stat -c %i p > inode', 'p',
     NOPROC, ['saved 0'], 'new p && test "$(stat -c %i p)" != "$(cat inode)" && clean .'),
    ('no /proc, as nobody: a new file', None, 'chown nobody .', 'p', NOPROC + ' ' + NOBODY,
     ['saved 0'], 'new p && clean .'),
    ('/dev/stdout a pipe', None, '', '/dev/stdout', '', ['saved 0'], 'new $OUT'),
] + [('nearly full %s, %s, over a %s picture' % (kind.split(':')[0], 'second hard link' if link
                                               else 'one name', old.replace('same', 'same-sized')), kind, 'cp $R/%s.ppm p && %sfill' % (
          old, 'ln p q && ' if link else ''), 'p', '', ['saved 0', 'error 28'],
      '{ new p || kept p %s; } && clean .' % old)
     for kind in ('ext2:16', 'ext4:16', 'btrfs:120') for link in (0, 1) for old in ('small', 'same')]


def sh(script, **kw):
    return subprocess.run(['bash', '-c', HELPERS + script], capture_output=True, **kw)


def run(n, name, kind, setup, target, prefix, allowed, check):
    folder = '%s/case%d' % (root, n)
    os.mkdir(folder)
    if kind:
        fs, size = kind.split(':')
        if not shutil.which('mkfs.' + fs):
            return 'skipped: no mkfs.%s' % fs, None
        made = sh('truncate -s %sM $R/%d.img && mkfs.%s -q %s $R/%d.img && mount -o loop $R/%d.img '
                  '%s' % (size, n, fs, '-f' if fs == 'btrfs' else '-F', n, n, folder))
        if made.returncode:
            return 'skipped: cannot mount a loop image: %s' % made.stderr.decode()[-80:].strip(), None
    env = dict(os.environ, XDG_CACHE_HOME='%s/cache%d' % (root, n), OUT='%s/out%d' % (root, n))
    if sh(setup, cwd=folder, env=env).returncode:
        return 'skipped: set-up failed: %s' % setup, None
    if 'unshare' in prefix and sh('unshare -m umount -l /proc').returncode:
        return 'skipped: cannot unshare the mounts', None
    # Standard output a pipe, as a shell gives it; the outcome on standard error (on standard
    # output from an older tool).
    p = sh('set -o pipefail; %s %s save $R/big.ppm %s | cat > $OUT' % (prefix, tool, target),
           cwd=folder, env=env)
    found = re.search(rb'(saved|error) \d+( damaged)?', p.stderr + open(env['OUT'], 'rb').read(40))
    outcome = found.group(0).decode() if found else 'exit %d' % p.returncode
    checked = sh(check, cwd=folder, env=env).returncode == 0
    return outcome, '' if outcome in allowed and checked else 'FAULT: %s' % (
        'unexpected outcome' if checked else 'failed: ' + check)


protected = '/proc/sys/fs/protected_symlinks'
before = open(protected).read()
results = []
try:
    open(protected, 'w').write('1')
    results = [(c[0],) + run(n, *c) for n, c in enumerate(CASES)]
finally:
    open(protected, 'w').write(before)
    sh('for m in %s/case*; do mountpoint -q $m && umount $m; done' % root)
    shutil.rmtree(root, ignore_errors=True)
print('| case | outcome | verdict |\n|---|---|---|')
for name, outcome, fault in results:
    print('| %s | %s | %s |' % (name, outcome, 'skipped' if fault is None else fault or 'ok'))
sys.exit(1 if any(f for _, _, f in results) else 77 if all(f is None for _, _, f in results) else 0)
