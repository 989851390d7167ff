#!/usr/bin/env python3
"""Checks the help against its project, and the compiled file (read with chmlib's
extract_chmLib, made apart from the compiler) against both:  check_help.py PROJECT.hhp FILE.chm
Every file is listed and exists, every link and page leads to a listed file and is in the
contents; the CHM holds every file byte for byte, the project's entries and no clock reading."""
import os, re, struct, subprocess, sys, tempfile

if len(sys.argv) != 3:
    sys.exit(__doc__)
project, chm = sys.argv[1], sys.argv[2]
root = os.path.dirname(os.path.abspath(project))
failures = []


def read(name, mode="r"):
    with open(os.path.join(root, name), mode, **({} if "b" in mode else {"encoding": "cp1252"})) as f:
        return f.read()


sections, current = {}, None
for line in read(os.path.basename(project)).splitlines():
    line = line.strip()
    if line.startswith("[") and line.endswith("]"):
        current = sections.setdefault(line[1:-1].upper(), [])
    elif line and not line.startswith(";") and current is not None:
        current.append(line)
options = {k.strip().lower(): v.strip() for k, _, v in (l.partition("=") for l in sections.get("OPTIONS", []))}
listed = [name.replace("\\", "/") for name in sections.get("FILES", [])]
contents, index = options.get("contents file", ""), options.get("index file", "")
known = set(listed) | {contents, index}


def links(name):
    """Local targets of href, src and the sitemaps' Local parameters, without anchors."""
    text = read(name)
    found = re.findall(r'(?:href|src)\s*=\s*"([^"]*)"', text, re.I)
    found += re.findall(r'<param\s+name="Local"\s+value="([^"]*)"', text, re.I)
    return {os.path.normpath(os.path.join(os.path.dirname(name), t.split("#")[0])).replace("\\", "/")
            for t in found if t.split("#")[0] and not re.match(r"^[a-z][a-z0-9+.-]*:", t, re.I)}


for dirpath, _, names in os.walk(root):
    for rel in (os.path.relpath(os.path.join(dirpath, n), root).replace("\\", "/") for n in names):
        if rel not in known and rel != os.path.basename(project):
            failures.append(f"{rel} is in the help folder but not in the project")
present = {name for name in known if os.path.isfile(os.path.join(root, name))}
failures += [f"{name} is listed but missing" for name in sorted(known - present)]
for name in sorted(n for n in present if n.endswith((".htm", ".html", ".hhc", ".hhk"))):
    failures += [f"{name} leads to {t}, which is not in the project" for t in sorted(links(name) - known)]
in_contents = links(contents) if contents in present else set()
failures += [f"{n} is not in the contents" for n in listed if n.endswith((".htm", ".html")) and n not in in_contents]
if options.get("default topic") not in listed:
    failures.append("the start page is not listed")

header = open(chm, "rb").read(0x60)
if header[:4] != b"ITSF" or struct.unpack_from(">I", header, 0x10)[0] != 0:
    failures.append(f"{chm} is not a CHM file, or its header holds a clock reading")
with tempfile.TemporaryDirectory() as out:
    subprocess.run(["extract_chmLib", chm, out], capture_output=True, check=True)
    for name in sorted(present):
        got = os.path.join(out, name)
        if not os.path.isfile(got):
            failures.append(f"{name} is not in the compiled file")
        elif open(got, "rb").read() != read(name, "rb"):
            failures.append(f"{name} reads back changed from the compiled file")
    system, data, pos = {}, open(os.path.join(out, "#SYSTEM"), "rb").read(), 4
    while pos + 4 <= len(data):  # entries: code, size, data
        code, size = struct.unpack_from("<HH", data, pos)
        system[code], pos = data[pos + 4:pos + 4 + size], pos + 4 + size
for code, key in enumerate(["contents file", "index file", "default topic", "title"]):
    if system.get(code, b"").split(b"\0")[0].decode("cp1252") != options.get(key):
        failures.append(f"#SYSTEM entry {code} does not name the project's {key}")
if system.get(10, b"\0\0\0\0") != b"\0\0\0\0":
    failures.append("#SYSTEM holds a clock reading")
for text in failures:
    print("FAILED:", text)
print(f"help: {len(known)} files checked, {len(failures)} failures")
sys.exit(1 if failures else 0)
