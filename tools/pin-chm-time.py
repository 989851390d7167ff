#!/usr/bin/env python3
"""Sets the two clock readings that chmcmd writes into a CHM file to zero, so that
the same pages always compile to the same bytes. chmcmd stamps the milliseconds of
the day at which it ran into the ITSF file header (offset 0x10, big-endian) and into
entry 10 of the /#SYSTEM file; both lie outside the compressed section, so they can
be changed in place. Nothing reads them for anything but information.

    pin-chm-time.py FILE.chm
"""
import struct
import sys


def encint(data, pos):
    """A CHM variable-length integer: 7 bits a byte, high bit set on all but the last."""
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, pos


def directory(data):
    """Yields (name, section, offset, length) of every entry in the PMGL chunks."""
    dir_offset = struct.unpack_from("<Q", data, 0x48)[0]
    if data[dir_offset:dir_offset + 4] != b"ITSP":
        raise ValueError("no ITSP directory header")
    header_len, = struct.unpack_from("<I", data, dir_offset + 8)
    chunk_size, = struct.unpack_from("<I", data, dir_offset + 0x10)
    chunks, = struct.unpack_from("<I", data, dir_offset + 0x2C)
    for i in range(chunks):
        chunk = dir_offset + header_len + i * chunk_size
        if data[chunk:chunk + 4] != b"PMGL":
            continue
        free, = struct.unpack_from("<I", data, chunk + 4)
        pos, end = chunk + 0x14, chunk + chunk_size - free
        while pos < end:
            name_len, pos = encint(data, pos)
            name = data[pos:pos + name_len].decode("utf-8")
            pos += name_len
            section, pos = encint(data, pos)
            offset, pos = encint(data, pos)
            length, pos = encint(data, pos)
            yield name, section, offset, length


def pin(data):
    if data[:4] != b"ITSF" or struct.unpack_from("<I", data, 4)[0] != 3:
        raise ValueError("not a version 3 ITSF (CHM) file")
    struct.pack_into(">I", data, 0x10, 0)
    content, = struct.unpack_from("<Q", data, 0x58)
    system = [e for e in directory(data) if e[0] == "/#SYSTEM"]
    if len(system) != 1 or system[0][1] != 0:
        raise ValueError("no uncompressed /#SYSTEM file")
    _, _, offset, length = system[0]
    pos, end = content + offset + 4, content + offset + length  # after the version DWORD
    found = False
    while pos + 4 <= end:
        code, size = struct.unpack_from("<HH", data, pos)
        if code == 10 and size == 4:
            struct.pack_into("<I", data, pos + 4, 0)
            found = True
        pos += 4 + size
    if not found:
        raise ValueError("/#SYSTEM holds no time entry")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "rb") as f:
        data = bytearray(f.read())
    try:
        pin(data)
    except (ValueError, struct.error, IndexError) as e:
        sys.exit(f"pin-chm-time.py: {sys.argv[1]}: {e}")
    with open(sys.argv[1], "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
