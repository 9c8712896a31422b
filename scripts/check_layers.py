#!/usr/bin/env python3
"""The layering check: a library links and includes only the layers below it.

Usage: check_layers.py SOURCE_DIR LAYERS_FILE

LAYERS_FILE is written by cmake/Layers.cmake at configure time: one line per
target with its name, the folder it is defined in and the targets it links.
Tests, tools, benchmarks and the demo may use anything; test support is for
them alone. No source file, and no list file's include path or source, reaches
into another folder's tests: what tests share is test support.
"""
import os
import re
import sys

# Lowest first. Pieces of one layer do not use each other, but for the pairs
# in BESIDE.
LAYERS = [
    ["platform/base"],
    ["platform/registry", "platform/gfx", "platform/classes"],
    ["platform/xml", "platform/data", "platform/dbadmin", "platform/device", "platform/hid", "platform/rtl"],
    ["platform/ui"],
    ["controls/decorated", "controls/edit", "exception_log"],
    ["updater", "backup_tool", "usb_device"],
]
LEVEL = {piece: i for i, layer in enumerate(LAYERS) for piece in layer}
# The pieces that stand on another of their own layer, one pair each.
BESIDE = {("platform/dbadmin", "platform/data")}
TEST_ONLY = "platform/testsupport"
# The first folder of an include path names a piece.
INCLUDE_ROOT = {p.split("/")[-1]: p for p in LEVEL if p.startswith(("platform/", "controls/"))}
INCLUDE_ROOT["testsupport"] = TEST_ONLY
EXEMPT = re.compile(r"(^|/)(tests|fake)(/|$)|^(tools|bench|demo)(/|$)")


def piece_of(folder):
    """The layered piece a folder belongs to, or None where no rule applies."""
    if EXEMPT.search(folder):
        return None
    for piece in sorted(LEVEL, key=len, reverse=True):
        if folder == piece or folder.startswith(piece + "/"):
            return piece
    return None


def allowed(user, used):
    if used == user:
        return True
    if used == TEST_ONLY:
        return False
    if (user, used) in BESIDE:
        return True
    return used in LEVEL and LEVEL[used] < LEVEL[user]


def check_links(layers_file):
    targets = {}
    for line in open(layers_file, encoding="utf-8"):
        parts = line.rstrip("\n").split("\t")
        if len(parts) == 3:
            name, folder, links = parts
            targets[name] = (folder, links.split())
    errors = []
    for name, (folder, links) in sorted(targets.items()):
        user = piece_of(folder)
        if user is None:
            continue
        for dep in links:
            dep_folder = targets.get(dep, ("",))[0]
            used = piece_of(dep_folder) if not dep_folder.startswith(TEST_ONLY) else TEST_ONLY
            if used is None and not dep_folder.startswith(TEST_ONLY):
                continue
            if not allowed(user, used):
                errors.append(f"{name} ({user}) links {dep} ({used})")
    return errors


def check_includes(source_dir):
    errors = []
    pattern = re.compile(r'^\s*#\s*include\s*"([A-Za-z_]+)/')
    for root, dirs, files in os.walk(source_dir):
        dirs[:] = [d for d in dirs if not d.startswith(".") and d != "build"]
        folder = os.path.relpath(root, source_dir).replace(os.sep, "/")
        user = piece_of(folder)
        if user is None:
            continue
        for f in files:
            if not f.endswith((".h", ".cpp", ".c")):
                continue
            path = os.path.join(root, f)
            for n, line in enumerate(open(path, encoding="utf-8", errors="replace"), 1):
                m = pattern.match(line)
                if not m or m.group(1) not in INCLUDE_ROOT:
                    continue
                used = INCLUDE_ROOT[m.group(1)]
                if not allowed(user, used):
                    errors.append(f"{folder}/{f}:{n}: {user} includes {m.group(1)}/ ({used})")
    return errors


def owner(folder):
    """The folder whose tests a folder's files are: the part before its tests/."""
    parts = folder.split("/")
    return "/".join(parts[: parts.index("tests")]) if "tests" in parts else folder


def tests_folder(path):
    """The folder owning the tests folder that `path` lies in, or None."""
    parts = os.path.normpath(path).replace(os.sep, "/").split("/")
    return "/".join(parts[: parts.index("tests")]) if "tests" in parts else None


def source_files(source_dir):
    for root, dirs, files in os.walk(source_dir):
        dirs[:] = [d for d in dirs if not d.startswith(".") and d != "build"]
        folder = os.path.relpath(root, source_dir).replace(os.sep, "/")
        for f in files:
            yield folder, f, os.path.join(root, f)


def check_tests_reached(source_dir):
    errors = []
    include = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
    # ${PROJECT_SOURCE_DIR}/x/tests, ${CMAKE_SOURCE_DIR}/x/tests, ${CMAKE_CURRENT_SOURCE_DIR}/../x/tests
    listed = re.compile(r"\$\{(PROJECT_SOURCE_DIR|CMAKE_SOURCE_DIR|CMAKE_CURRENT_SOURCE_DIR)\}/([^\s\")]+)")
    for folder, f, path in source_files(source_dir):
        here = "" if folder == "." else folder
        own = owner(here)
        for n, line in enumerate(open(path, encoding="utf-8", errors="replace"), 1):
            reached = []
            if f.endswith((".h", ".cpp", ".c")):
                m = include.match(line)
                if m and "tests/" in m.group(1):
                    name = m.group(1)
                    # As the compiler looks: beside the file, then by folder from platform/ or the top.
                    for base in (here, "platform", ""):
                        candidate = os.path.join(base, name)
                        if os.path.exists(os.path.join(source_dir, candidate)):
                            reached.append(tests_folder(candidate))
                            break
                    else:
                        root, *rest = name.split("/")
                        reached.append(tests_folder(os.path.join(INCLUDE_ROOT.get(root, root), *rest)))
            elif f == "CMakeLists.txt" or f.endswith(".cmake"):
                for m in listed.finditer(line):
                    base = here if m.group(1) == "CMAKE_CURRENT_SOURCE_DIR" else ""
                    reached.append(tests_folder(os.path.join(base, m.group(2))))
            for other in sorted({r for r in reached if r is not None and r != own}):
                errors.append(f"{here or '.'}/{f}:{n}: reaches into {other}/tests (another folder's tests)")
    return errors


def main():
    source_dir, layers_file = sys.argv[1], sys.argv[2]
    errors = check_links(layers_file) + check_includes(source_dir) + check_tests_reached(source_dir)
    for e in errors:
        print(e)
    if errors:
        print(f"{len(errors)} use(s) against the order of the layers:")
        for i, layer in enumerate(LAYERS):
            print(f"  {i}: {', '.join(layer)}")
        return 1
    print("every library links and includes only the layers below it")
    return 0


if __name__ == "__main__":
    sys.exit(main())
