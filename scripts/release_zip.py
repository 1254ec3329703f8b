#!/usr/bin/env python3
"""Writes a zip whose bytes depend on nothing but the files put into it.

usage: release_zip.py OUT.zip EPOCH ENTRY...
ENTRY is NAME=PATH for a file taken as it is (stored with mode 755) or
NAME=PATH:text for a text file, whose line ends become CR LF (stored with mode 644).

Entries keep the order given; every one carries the time EPOCH (seconds since
1970, read as UTC), the same permissions on every machine and no extra fields, so
neither the folder, the clock, the time zone, the umask nor the user of the build
shows in the archive.
"""
import os
import sys
import time
import zipfile


def entry_bytes(path, text):
    with open(path, "rb") as f:
        data = f.read()
    if not text:
        return data
    return data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def main(argv):
    if len(argv) < 4:
        sys.stderr.write(__doc__)
        return 2
    out, epoch, entries = argv[1], int(argv[2]), argv[3:]
    # Zip times have a resolution of two seconds and start in 1980.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    partial = out + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for entry in entries:
            name, _, path = entry.partition("=")
            text = path.endswith(":text")
            if text:
                path = path[: -len(":text")]
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # Unix, so that the permissions below count
            info.external_attr = (0o100644 if text else 0o100755) << 16
            archive.writestr(info, entry_bytes(path, text), compresslevel=9)
    os.replace(partial, out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
