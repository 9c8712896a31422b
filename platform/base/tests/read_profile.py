#!/usr/bin/env python3
"""Prints what Python's configparser reads from a profile file, one line a
value: section, key and value separated by tabs (keys as configparser folds
them, in lower case)."""
import configparser
import sys

parser = configparser.RawConfigParser(strict=False)
with open(sys.argv[1], encoding="utf-8") as f:
    parser.read_file(f)
for section in parser.sections():
    for key, value in parser.items(section):
        print(f"{section}\t{key}\t{value}")
