#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A pass-through FUSE file system for the tests and the benchmark.

Mirrors a backing folder at a mount point and runs in the foreground until unmounted or sent
SIGINT/SIGTERM. It can play three kinds of medium the local disks never are:

  --write-rate B   writes go no faster than B bytes a second in all, as a slow USB stick
  --fsync-error    fsync and fsyncdir answer EIO, as a medium failing at write-back does
                   through a network or FUSE file system; flush and release stay fine
  --refuse-extend  a truncate that would make a file longer answers EPERM, as FAT behind
                   FUSE does; shortening works, and so does writing past the end
"""

import argparse
import errno
import os
import sys
import threading
import time

try:
    import fusepy as fuse  # the name Debian's python3-fusepy installs it under
except ImportError:
    import fuse


class PassThrough(fuse.Operations):
    # Times in nanoseconds, as utimens gets them from the kernel.
    use_ns = True

    def __init__(self, root, write_rate, fsync_error, refuse_extend):
        self.root = os.path.realpath(root)
        self.write_rate = write_rate
        self.fsync_error = fsync_error
        self.refuse_extend = refuse_extend
        # The time the medium is next free: writes from every thread queue behind one another,
        # so that several at once share the rate rather than each getting it.
        self.free_at = time.monotonic()
        self.rate_lock = threading.Lock()

    def _path(self, path):
        return os.path.join(self.root, path.lstrip("/"))

    @staticmethod
    def _fd(fi):
        return fi.fh if fi else None

    # ---- names

    def access(self, path, amode):
        if not os.access(self._path(path), amode):
            raise fuse.FuseOSError(errno.EACCES)

    def getattr(self, path, fh=None):
        fd = self._fd(fh)
        st = os.fstat(fd) if fd is not None else os.lstat(self._path(path))
        attrs = {
            key: getattr(st, key)
            for key in ("st_mode", "st_ino", "st_nlink", "st_uid", "st_gid", "st_size",
                        "st_blocks", "st_blksize")
        }
        attrs.update(st_atime=st.st_atime_ns, st_mtime=st.st_mtime_ns, st_ctime=st.st_ctime_ns)
        return attrs

    def readdir(self, path, fh):
        return [".", ".."] + os.listdir(self._path(path))

    def readlink(self, path):
        return os.readlink(self._path(path))

    def mknod(self, path, mode, dev):
        os.mknod(self._path(path), mode, dev)

    def mkdir(self, path, mode):
        os.mkdir(self._path(path), mode)

    def rmdir(self, path):
        os.rmdir(self._path(path))

    def unlink(self, path):
        os.unlink(self._path(path))

    def symlink(self, target, source):
        os.symlink(source, self._path(target))

    def link(self, target, source):
        os.link(self._path(source), self._path(target))

    def rename(self, old, new):
        os.rename(self._path(old), self._path(new))

    def chmod(self, path, mode):
        os.chmod(self._path(path), mode)

    def chown(self, path, uid, gid):
        os.chown(self._path(path), uid, gid)

    def utimens(self, path, times=None):
        if times is None:
            os.utime(self._path(path), follow_symlinks=False)
        else:
            os.utime(self._path(path), ns=times, follow_symlinks=False)

    def statfs(self, path):
        st = os.statvfs(self._path(path))
        return {
            key: getattr(st, key)
            for key in (
                "f_bsize", "f_frsize", "f_blocks", "f_bfree", "f_bavail", "f_files", "f_ffree",
                "f_favail", "f_flag", "f_namemax",
            )
        }

    # ---- files

    def open(self, path, fi):
        # O_DIRECT is the kernel's business; Python's buffers would not meet its alignment.
        fi.fh = os.open(self._path(path), fi.flags & ~os.O_DIRECT)
        return 0

    def create(self, path, mode, fi):
        # The caller's flags, so that O_EXCL holds against files made behind the kernel's back.
        fi.fh = os.open(self._path(path), (fi.flags & ~os.O_DIRECT) | os.O_CREAT, mode)
        return 0

    def read(self, path, size, offset, fi):
        return os.pread(fi.fh, size, offset)

    def write(self, path, data, offset, fi):
        if self.write_rate:
            with self.rate_lock:
                start = max(time.monotonic(), self.free_at)
                self.free_at = start + len(data) / self.write_rate
                done_at = self.free_at
            time.sleep(max(0.0, done_at - time.monotonic()))
        return os.pwrite(fi.fh, data, offset)

    def truncate(self, path, length, fh=None):
        fd = self._fd(fh)
        if self.refuse_extend:
            size = os.fstat(fd).st_size if fd is not None else os.stat(self._path(path)).st_size
            if length > size:
                raise fuse.FuseOSError(errno.EPERM)
        if fd is not None:
            os.ftruncate(fd, length)
        else:
            os.truncate(self._path(path), length)

    def flush(self, path, fi):
        return 0

    def release(self, path, fi):
        os.close(fi.fh)
        return 0

    def fsync(self, path, datasync, fi):
        if self.fsync_error:
            raise fuse.FuseOSError(errno.EIO)
        if datasync:
            os.fdatasync(fi.fh)
        else:
            os.fsync(fi.fh)
        return 0

    def fsyncdir(self, path, datasync, fh):
        if self.fsync_error:
            raise fuse.FuseOSError(errno.EIO)
        fd = os.open(self._path(path), os.O_RDONLY | os.O_DIRECTORY)
        try:
            os.fsync(fd)
        finally:
            os.close(fd)
        return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("backing", help="the folder mirrored")
    parser.add_argument("mount_point")
    parser.add_argument("--write-rate", type=float, default=0, metavar="BYTES_PER_S")
    parser.add_argument("--fsync-error", action="store_true")
    parser.add_argument("--refuse-extend", action="store_true")
    args = parser.parse_args()
    if args.write_rate < 0:
        parser.error("--write-rate must not be negative")
    operations = PassThrough(args.backing, args.write_rate, args.fsync_error, args.refuse_extend)
    # big_writes: writes of up to 128 KiB a call rather than 4 KiB, as a real medium takes them.
    # auto_unmount: the mount goes when this process does, however it ends.
    fuse.FUSE(operations, args.mount_point, raw_fi=True, foreground=True, nothreads=False,
              big_writes=True, auto_unmount=True, fsname="partory-fuse", subtype="partory")
    return 0


if __name__ == "__main__":
    sys.exit(main())
