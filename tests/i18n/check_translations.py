#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Fails when a text the user sees has no finished English.

    check_translations.py LUPDATE SOURCE_DIR

Runs lupdate over the sources into a copy of translations/kelvaro_en.ts (the
committed file stays as it is) and requires every message of the copy to have
a finished, non-empty translation with the same placeholders (%1, %2, ...) as
its source. Then requires data/Set/captions-en.txt to hold an English caption
for every option of every .FUS file, and nothing else.
"""

import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path


def placeholders(text):
    return sorted(re.findall(r"%L?\d+", text or ""))


def message_problems(ts_path):
    problems = []
    root = ET.parse(ts_path).getroot()
    for context in root.iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source") or ""
            where = "%s: %r" % (name, source)
            translation = message.find("translation")
            if translation is None:
                problems.append("no translation: " + where)
                continue
            kind = translation.get("type")
            if kind in ("unfinished", "vanished", "obsolete"):
                problems.append("%s: %s" % (kind, where))
                continue
            forms = translation.findall("numerusform") or [translation]
            for form in forms:
                text = "".join(form.itertext())
                if not text.strip():
                    problems.append("empty translation: " + where)
                elif placeholders(text) != placeholders(source):
                    problems.append("placeholders differ: %s -> %r" % (where, text))
    return problems


def option_keys(fus_path):
    """The option keys of a definition file: the lines "text{KEY>" between the two "##"."""
    lines = fus_path.read_bytes().decode("gbk").split("\r\n")
    start = lines.index("##")
    end = lines.index("##", start + 1)
    keys = []
    for line in lines[start + 1:end]:
        m = re.search(r"\{([^{>]*)>$", line)
        if m:
            keys.append(m.group(1))
    return keys


def caption_problems(set_dir):
    table = {}
    for line in (set_dir / "captions-en.txt").read_text(encoding="utf-8").splitlines():
        if not line or line.startswith("#"):
            continue
        fields = line.split("\t")
        if len(fields) != 3 or not fields[2].strip():
            return ["captions-en.txt: bad line %r" % line]
        table[(fields[0], fields[1])] = fields[2]
    wanted = set()
    for fus in sorted(set_dir.glob("*.FUS")):
        for key in option_keys(fus):
            wanted.add((fus.stem, key))
    problems = ["no English caption: %s %s" % k for k in sorted(wanted - table.keys())]
    problems += ["caption of no option: %s %s" % k for k in sorted(table.keys() - wanted)]
    if not wanted:
        problems.append("no options found in %s" % set_dir)
    return problems


def main(lupdate, source_dir):
    source = Path(source_dir)
    with tempfile.TemporaryDirectory() as work:
        ts = Path(work) / "kelvaro_en.ts"
        shutil.copyfile(source / "translations" / "kelvaro_en.ts", ts)
        # The same inputs and options as the update_translations target.
        run = subprocess.run(
            [lupdate, "-locations", "none", "-no-obsolete", str(source / "src"),
             str(source / "translations" / "ShellPhrases.cpp"), "-ts", str(ts)],
            capture_output=True, text=True)
        if run.returncode != 0:
            print(run.stdout + run.stderr)
            return 1
        problems = message_problems(ts)
    problems += caption_problems(source / "data" / "Set")
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
