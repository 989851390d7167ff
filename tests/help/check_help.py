#!/usr/bin/env python3
"""Checks the help: its project against the pages, and the compiled file against
its project. Reads the CHM with chmlib's tools (libchm-bin), a reader made apart
from the compiler.

    check_help.py PROJECT.hhp FILE.chm

The project (help/stowly.hhp) is the list of what the help holds:
- every file of the help folder is listed, and every listed file exists;
- every link and picture of a page, the contents and the index leads to a listed file;
- every page can be reached from the contents;
- the compiled file holds every listed file, byte for byte, and names the project's
  contents, index, start page and title;
- it holds no clock reading (the build zeroes chmcmd's two).
"""
import os
import re
import struct
import subprocess
import sys
import tempfile

failures = []


def fail(text):
    failures.append(text)


def read_project(path):
    sections, current = {}, None
    with open(path, encoding="cp1252") as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith(";"):
                continue
            if line.startswith("[") and line.endswith("]"):
                current = sections.setdefault(line[1:-1].upper(), [])
            elif current is not None:
                current.append(line)
    options = {}
    for line in sections.get("OPTIONS", []):
        key, _, value = line.partition("=")
        options[key.strip().lower()] = value.strip()
    files = [name.replace("\\", "/") for name in sections.get("FILES", [])]
    return options, files


def links(path):
    """Local targets of href, src and the sitemaps' Local parameters, without anchors."""
    with open(path, encoding="cp1252") as f:
        text = f.read()
    found = re.findall(r'(?:href|src)\s*=\s*"([^"]*)"', text, re.I)
    found += re.findall(r'<param\s+name="Local"\s+value="([^"]*)"', text, re.I)
    local = []
    for target in found:
        if re.match(r"^[a-z][a-z0-9+.-]*:", target, re.I):  # http:, mailto:, ms-its: ...
            continue
        target = target.split("#")[0]
        if target:
            local.append(os.path.normpath(os.path.join(os.path.dirname(os.path.relpath(path, root)), target)).replace("\\", "/"))
    return local


def check_project(options, listed):
    contents, index = options.get("contents file", ""), options.get("index file", "")
    if not contents or not index:
        fail("the project names no contents or no index file")
    known = set(listed) | {contents, index}
    for dirpath, _, names in os.walk(root):
        for name in names:
            rel = os.path.relpath(os.path.join(dirpath, name), root).replace("\\", "/")
            if rel not in known and rel != os.path.basename(project):
                fail(f"{rel} is in the help folder but not in the project")
    for name in sorted(known):
        if not os.path.isfile(os.path.join(root, name)):
            fail(f"{name} is listed but missing")
    for name in sorted(known):
        if name.endswith((".htm", ".html", ".hhc", ".hhk")) and os.path.isfile(os.path.join(root, name)):
            for target in sorted(set(links(os.path.join(root, name)))):
                if target not in known:
                    fail(f"{name} leads to {target}, which is not in the project")
    if os.path.isfile(os.path.join(root, contents)):
        in_contents = set(links(os.path.join(root, contents)))
        for name in listed:
            if name.endswith((".htm", ".html")) and name not in in_contents:
                fail(f"{name} is not in the contents")
    start = options.get("default topic", "")
    if start not in listed:
        fail(f"the start page {start!r} is not listed")
    return known


def system_entries(data):
    """The /#SYSTEM file's entries: code -> data."""
    entries, pos = {}, 4
    while pos + 4 <= len(data):
        code, size = struct.unpack_from("<HH", data, pos)
        entries[code] = data[pos + 4:pos + 4 + size]
        pos += 4 + size
    return entries


def text_of(value):
    return value.split(b"\0")[0].decode("cp1252")


def check_chm(options, known, chm):
    with open(chm, "rb") as f:
        header = f.read(0x60)
    if header[:4] != b"ITSF" or struct.unpack_from("<I", header, 4)[0] != 3:
        fail(f"{chm} is not a version 3 ITSF (CHM) file")
        return
    if struct.unpack_from(">I", header, 0x10)[0] != 0:
        fail("the file header holds a clock reading")
    listing = subprocess.run(["enum_chmLib", chm], capture_output=True, text=True, check=True).stdout
    held = {line.split()[-1] for line in listing.splitlines() if "file" in line}
    for name in sorted(known):
        if "/" + name not in held:
            fail(f"{name} is not in the compiled file")
    with tempfile.TemporaryDirectory() as out:
        subprocess.run(["extract_chmLib", chm, out], capture_output=True, check=True)
        for name in sorted(known):
            got = os.path.join(out, name)
            if os.path.isfile(got):
                with open(got, "rb") as a, open(os.path.join(root, name), "rb") as b:
                    if a.read() != b.read():
                        fail(f"{name} reads back changed from the compiled file")
        with open(os.path.join(out, "#SYSTEM"), "rb") as f:
            system = system_entries(f.read())
    expected = {0: options.get("contents file"), 1: options.get("index file"),
                2: options.get("default topic"), 3: options.get("title")}
    for code, value in expected.items():
        if code not in system or text_of(system[code]) != value:
            fail(f"#SYSTEM entry {code} is {text_of(system.get(code, b''))!r}, not {value!r}")
    if system.get(10, b"\0\0\0\0") != b"\0\0\0\0":
        fail("#SYSTEM holds a clock reading")


if len(sys.argv) != 3:
    sys.exit(__doc__)
project, chm = sys.argv[1], sys.argv[2]
root = os.path.dirname(os.path.abspath(project))
opts, listed_files = read_project(project)
known_files = check_project(opts, listed_files)
check_chm(opts, known_files, chm)
for text in failures:
    print("FAILED:", text)
print(f"help: {len(known_files)} files checked, {len(failures)} failures")
sys.exit(1 if failures else 0)
