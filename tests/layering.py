#!/usr/bin/env python3
"""Fails when a header below src/qt/ includes Qt, when the tag library includes
a third-party header other than zlib, or when a folder includes or links one
that lies above it (cmake/layers.txt lists the allowed edges; the optional
second argument is the link graph that CMake writes at configure time)."""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
src = root / "src"

allowed = {}
for line in (root / "cmake" / "layers.txt").read_text().splitlines():
    line = line.split("#", 1)[0].strip()
    if not line:
        continue
    name, _, deps = line.partition(":")
    allowed[name.strip()] = set(deps.split())

layers = sorted(allowed, key=len, reverse=True)  # the longest prefix wins


def layer_of(rel):
    for name in layers:
        if rel == name or rel.startswith(name + "/"):
            return name
    return None


include_re = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
problems = []
for path in sorted(src.rglob("*")):
    if path.suffix not in {".h", ".hpp", ".cpp", ".cc", ".c"}:
        continue
    rel = path.relative_to(src).as_posix()
    layer = layer_of(rel)
    if layer is None:
        problems.append(f"{rel}: folder not listed in cmake/layers.txt")
        continue
    for lineno, text in enumerate(path.read_text(errors="replace").splitlines(), 1):
        m = include_re.match(text)
        if not m:
            continue
        kind, target = m.groups()
        where = f"{rel}:{lineno}: {text.strip()}"
        head = target.split("/")[0]
        if layer != "qt" and (re.match(r"Q[A-Za-z]", head) or head.startswith("qt")):
            problems.append(f"{where}: Qt below src/qt/")
            continue
        if kind == '"':
            to = layer_of(target)
            if to is None:
                # A header beside the including file.
                if not (path.parent / target).exists():
                    problems.append(f"{where}: include must be rooted at src/")
                continue
            if to != layer and "*" not in allowed[layer] and to not in allowed[layer]:
                problems.append(f"{where}: {layer} may not include {to}")
        elif layer == "tags" and "/" in target and head not in {"sys", "bits"}:
            problems.append(f"{where}: the tag library uses the C++ library and zlib only")
        elif layer == "tags" and target.endswith(".h") and target not in {
                "zlib.h", "fcntl.h", "unistd.h", "sys/stat.h", "sys/file.h", "sys/types.h", "utime.h",
                "sys/time.h", "errno.h", "dirent.h", "sys/mman.h", "stdio.h", "string.h", "stdlib.h",
                "limits.h", "stdint.h", "time.h"}:
            problems.append(f"{where}: the tag library uses the C++ library and zlib only")

# The libraries CMake links must follow the same edges as the includes.
if len(sys.argv) > 2:
    for line in pathlib.Path(sys.argv[2]).read_text().splitlines():
        name, _, deps = line.partition(":")
        name = name.strip()
        if name not in allowed:
            problems.append(f"orvelin_{name}: library not listed in cmake/layers.txt")
            continue
        for dep in deps.split():
            if dep != name and "*" not in allowed[name] and dep not in allowed[name]:
                problems.append(f"orvelin_{name} links orvelin_{dep}: {name} may not use {dep}")

for p in problems:
    print(p)
sys.exit(1 if problems else 0)
