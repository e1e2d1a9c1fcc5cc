#!/usr/bin/env python3
"""Saves with pictor's save (the picture_calls tool) where file systems and the system itself
stand in the way, as root: small loop-mounted images it makes (ext2 without fallocate, ext4 and
btrfs nearly full), a link planted in a sticky folder with fs.protected_symlinks=1, an
append-only folder, no /proc, security.capability, /dev/stdout as a pipe. Prints one row per
case; a case that cannot be set up here is skipped with its reason. Exits 1 when a case breaks
its promise, 77 when none could run.
Usage: filesystems.py PICTURE_CALLS"""
import os, re, shutil, subprocess, sys, tempfile

tool = os.path.abspath(sys.argv[1])
root = tempfile.mkdtemp(prefix='fs-cases-')
os.chmod(root, 0o755)
cache = os.path.join(root, 'cache')
RASTER = bytes((7 * i) % 251 for i in range(999 * 999 * 3))
big, old = os.path.join(root, 'big.ppm'), b'P6\n#Kelvo\n100 101\n255\n' + bytes(30300)
old_big = b'P6\n#Kelvo\n999 999\n255\n' + bytes(999 * 999 * 3)  # as large as the new one
open(big, 'wb').write(b'P6\n#Kelvo\n999 999\n255\n' + RASTER)
results, mounts = [], []


def sh(*cmd, **kw):
    return subprocess.run(cmd, capture_output=True, check=True, **kw)


def save(target, prefix=(), **kw):
    """Saves big.ppm to target; the tool's outcome ("saved 0", "error 28", ...) in words."""
    p = subprocess.run([*prefix, tool, 'save', big, target], capture_output=True,
                       env=dict(os.environ, XDG_CACHE_HOME=cache), **kw)
    found = re.search(rb'(saved|error) \d+( damaged)?', p.stderr) or re.search(
        rb'(saved|error) \d+', p.stdout)
    return found.group(0).decode() if found else 'exit %d' % p.returncode, p.stdout


def new(path, data=None):
    data = data if data is not None else open(path, 'rb').read()
    return data.startswith(b'P6\n# ' + path.encode()) and data.endswith(b'\n999 999\n255\n' + RASTER)


def put(path, data=old, mode=0o644):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    open(path, 'wb').write(data)
    os.chmod(path, mode)


def left(folder):  # what a save may have left beside the file or in the cache
    found = [f for f in os.listdir(folder) if f.startswith('.pictor')]
    return found + [f for _, _, names in os.walk(cache) for f in names]


def case(name, run):
    """run() returns (outcome, fault or ''), or raises Skip."""
    try:
        outcome, fault = run()
    except Skip as reason:
        outcome, fault = 'skipped: %s' % reason, None
    except subprocess.CalledProcessError as e:
        outcome, fault = 'skipped: %s failed: %s' % (e.cmd[0], e.stderr.decode().strip()[:80]), None
    except OSError as e:  # left so by an earlier case
        outcome, fault = 'cannot set up: %s' % e, 'set-up failed'
    results.append((name, outcome, fault))


class Skip(Exception):
    pass


def mounted(kind, megabytes, use=''):
    """A fresh file system of kind for a use, mounted from an image of its own."""
    if not shutil.which('mkfs.' + kind):
        raise Skip('no mkfs.%s' % kind)
    image, folder = os.path.join(root, kind + use + '.img'), os.path.join(root, kind + use)
    if not os.path.isdir(folder):
        open(image, 'wb').truncate(megabytes << 20)
        sh('mkfs.' + kind, *(['-q', '-f'] if kind == 'btrfs' else ['-q', '-F']), image)
        os.mkdir(folder)
        try:
            sh('mount', '-o', 'loop', image, folder)
        except subprocess.CalledProcessError as e:
            os.rmdir(folder)
            raise Skip('cannot mount a loop image: %s' % e.stderr.decode().strip()[:80])
        mounts.append(folder)
        os.chmod(folder, 0o755)
    return folder


def nearly_full(folder):
    """Fills folder's file system but for some 256 KB: no room for a second copy of a picture."""
    put(os.path.join(folder, 'spare'), bytes(256 << 10))
    with open(os.path.join(folder, 'fill'), 'wb', buffering=0) as fill:
        for chunk in (bytes(1 << 20), bytes(4096)):
            try:
                while True:
                    fill.write(chunk)
            except OSError:
                pass
    os.remove(os.path.join(folder, 'spare'))
    sh('sync')


def full_disk(kind, megabytes, linked, same):
    """A picture saved over one as large (same) or smaller, on a disk nearly full: saved whole
    where it fits in place, else an error with the old bytes kept; never anything left."""
    def run():
        folder = os.path.join(mounted(kind, megabytes, '-full%d%d' % (linked, same)), 'pictures')
        target, before = os.path.join(folder, 'old.ppm'), old_big if same else old
        put(target, before)
        if linked:
            os.link(target, target + '.link')
        nearly_full(os.path.dirname(folder))
        outcome, _ = save(target)
        kept = open(target, 'rb').read() == before
        whole = (outcome == 'error 28' and kept) or (outcome == 'saved 0' and new(target))
        return outcome, '' if whole and not left(folder) else 'old %s, left %s' % (
            'kept' if kept else 'CHANGED', left(folder))
    return run


def sticky_link(dangling):
    def run():
        if not os.path.exists('/proc/sys/fs/protected_symlinks'):
            raise Skip('no fs.protected_symlinks')
        sticky, secret = os.path.join(root, 'sticky'), os.path.join(root, 'secret' + str(dangling))
        os.makedirs(sticky, exist_ok=True)
        os.chmod(sticky, 0o1777)
        if not dangling:
            put(secret, b'private', 0o600)
        link = os.path.join(sticky, 'pic%d.ppm' % dangling)
        os.symlink(secret, link)
        os.lchown(link, 65534, 65534)  # planted by another user
        outcome, _ = save(link)
        untouched = (open(secret, 'rb').read() == b'private') if not dangling else not os.path.exists(secret)
        return outcome, '' if outcome == 'error 13' and untouched else 'root\'s file written'
    return run


def append_only(name):
    def run():
        folder = os.path.join(mounted('ext4', 16), 'append')
        target = os.path.join(folder, name)
        if name == 'old.ppm':
            put(target)
        else:
            os.makedirs(folder, exist_ok=True)
        sh('chattr', '+a', folder)
        try:
            outcome, _ = save(target)
            stray = left(folder)
        finally:
            sh('chattr', '-a', folder)
        return outcome, '' if outcome == 'saved 0' and new(target) and not stray else 'left %s' % stray
    return run


def capability(linked):
    def run():
        if not shutil.which('setcap'):
            raise Skip('no setcap (Debian package libcap2-bin)')
        folder = os.path.join(mounted('ext4', 16), 'caps%d' % linked)
        target = os.path.join(folder, 'old.ppm')
        put(target, old, 0o755)
        if linked:
            os.link(target, target + '.link')
        sh('setcap', 'cap_net_raw+ep', target)
        outcome, _ = save(target)
        caps = sh('getcap', target).stdout.decode()
        return outcome, '' if outcome == 'saved 0' and 'cap_net_raw' in caps and new(target) else 'capability %r' % caps
    return run


def without_proc(user):
    def run():
        if not shutil.which('unshare'):
            raise Skip('no unshare (Debian package util-linux)')
        folder = os.path.join(root, 'noproc%d' % user)
        target = os.path.join(folder, 'old.ppm')
        put(target)
        os.chown(folder, user, user)
        os.chown(target, user, user)
        inode = os.stat(target).st_ino
        as_user = ['setpriv', '--reuid=%d' % user, '--regid=%d' % user, '--clear-groups'] if user else []
        probe = subprocess.run(['unshare', '-m', 'sh', '-c', 'umount -l /proc'], capture_output=True)
        if probe.returncode != 0:
            raise Skip('cannot unshare the mounts: %s' % probe.stderr.decode().strip()[:80])
        outcome, _ = save(target, ['unshare', '-m', 'sh', '-c', 'umount -l /proc && exec "$@"', '-', *as_user])
        created, _ = save(os.path.join(folder, 'new.ppm'), ['unshare', '-m', 'sh', '-c', 'umount -l /proc && exec "$@"', '-', *as_user])
        whole = new(target) and os.stat(target).st_ino != inode and new(os.path.join(folder, 'new.ppm'))
        return outcome + ', ' + created, '' if outcome == created == 'saved 0' and whole and not left(folder) else 'in place or left %s' % left(folder)
    return run


def standard_output():
    p = subprocess.Popen([tool, 'save', big, '/dev/stdout'], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    data, err = p.communicate()
    outcome = err.decode().strip() or 'exit %d' % p.returncode
    return outcome, '' if outcome == 'saved 0' and new('/dev/stdout', data) else '%d bytes' % len(data)


protected = open('/proc/sys/fs/protected_symlinks').read().strip() if os.path.exists('/proc/sys/fs/protected_symlinks') else None
try:
    if protected is not None:
        open('/proc/sys/fs/protected_symlinks', 'w').write('1')
    case('link in a sticky folder, protected_symlinks=1', sticky_link(False))
    case('dangling link in a sticky folder', sticky_link(True))
    case('append-only folder, existing file', append_only('old.ppm'))
    case('append-only folder, new file', append_only('new.ppm'))
    case('security.capability, one name', capability(False))
    case('security.capability, second hard link', capability(True))
    case('no /proc, as root', without_proc(0))
    case('no /proc, as nobody', without_proc(65534))
    case('/dev/stdout a pipe', standard_output)
    for kind, size in (('ext2', 16), ('ext4', 16), ('btrfs', 120)):
        for linked, same in ((False, False), (True, False), (False, True), (True, True)):
            case('nearly full %s, %s, over a %s picture' % (
                kind, 'second hard link' if linked else 'one name', 'same-sized' if same else 'smaller'),
                full_disk(kind, size, linked, same))
finally:
    if protected is not None:
        open('/proc/sys/fs/protected_symlinks', 'w').write(protected)
    for folder in mounts:
        subprocess.run(['umount', folder])
    shutil.rmtree(root, ignore_errors=True)
print('| case | outcome | verdict |\n|---|---|---|')
for name, outcome, fault in results:
    print('| %s | %s | %s |' % (name, outcome, 'skipped' if fault is None else fault or 'ok'))
sys.exit(1 if any(fault for _, _, fault in results) else
         77 if all(fault is None for _, _, fault in results) else 0)
