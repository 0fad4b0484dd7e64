#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Fills English into translations/kelvaro_en.ts from lists of texts.

    python3 tools/fill_translations.py LIST.tsv [LIST.tsv ...]

Each list line: context, Chinese source, English, separated by tabs; a line
break inside a text is written as the two characters backslash-n (backslash-r
for a carriage return). A list entry whose context and source the .ts lacks is
reported (run "ninja update_translations" first, so the .ts knows every text),
and so is an entry whose placeholders (%1, %2, ...) differ from its source's.
Afterwards "ninja update_translations" brings the file back to lupdate's layout.
"""

import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

TS = Path(__file__).resolve().parent.parent / "translations" / "kelvaro_en.ts"


def unescape(text):
    return re.sub(r"\\([nrt\\])", lambda m: {"n": "\n", "r": "\r", "t": "\t", "\\": "\\"}[m.group(1)],
                  text)


def placeholders(text):
    return sorted(set(re.findall(r"%L?\d+", text)))


def main(lists):
    tree = ET.parse(TS)
    messages = {}
    for context in tree.getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            messages[(name, message.findtext("source"))] = message
    problems = 0
    for path in lists:
        for number, line in enumerate(Path(path).read_text(encoding="utf-8").splitlines(), 1):
            if not line.strip():
                continue
            parts = line.split("\t")
            if len(parts) != 3:
                print("%s:%d: not three fields" % (path, number))
                problems += 1
                continue
            context, source, english = parts[0], unescape(parts[1]), unescape(parts[2])
            message = messages.get((context, source))
            if message is None:
                print("%s:%d: not in the .ts: %s %r" % (path, number, context, source))
                problems += 1
                continue
            if placeholders(source) != placeholders(english):
                print("%s:%d: placeholders differ: %r" % (path, number, english))
                problems += 1
                continue
            translation = message.find("translation")
            translation.text = english
            translation.attrib.pop("type", None)
    body = ET.tostring(tree.getroot(), encoding="unicode")
    TS.write_text('<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n' + body + "\n",
                  encoding="utf-8")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
