#!/usr/bin/env python3
"""Reads the handheld files as a handheld client would: bytes in GBK, no
declaration. Prints one line per element, "file path attr=value... |text",
and exits non-zero when a file is not well-formed or not GBK."""
import os
import sys
import xml.etree.ElementTree as ET


def walk(name, element, path, out):
    path = path + "/" + element.tag
    attrs = " ".join(f"{k}={v}" for k, v in element.attrib.items())
    out.append(f"{name} {path} {attrs}|{element.text or ''}")
    for child in element:
        walk(name, child, path, out)


def main(folder):
    out = []
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".xml"):
            continue
        data = open(os.path.join(folder, name), "rb").read()
        if data.startswith(b"<?xml") or not data.endswith(b">\r\n"):
            print(f"{name}: not in the handheld's form", file=sys.stderr)
            return 1
        root = ET.fromstring(data.decode("gbk"))
        walk(name, root, "", out)
    sys.stdout.buffer.write(("\n".join(out) + "\n").encode("utf-8"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
