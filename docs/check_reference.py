#!/usr/bin/env python3
"""Checks of the API reference made by Doxygen from the public header.

  check_reference.py build DOXYGEN DOXYFILE OUTPUT   makes the reference afresh in OUTPUT/api
                                                     and fails on any warning
  check_reference.py names HEADER HTML               every function the header declares has an
                                                     entry of its own with a brief description on
                                                     the page of a task group, each group is on the
                                                     main page, and the comments name no function
                                                     that the header does not declare
"""
import html
import os
import re
import shutil
import subprocess
import sys

EXPORTS = 124
DECLARATION = re.compile(r"^VELMOR_API\s+int\s+VELMOR_CALL\s+(Velmor_\w+)\s*\(", re.M)
SUMMARY_ROW = re.compile(r'<tr class="memitem:([^"]+)">(.*?)</tr>', re.S)
SUMMARY_BRIEF = re.compile(r'<tr class="memdesc:([^"]+)"><td class="mdescLeft">.*?</td>'
                           r'<td class="mdescRight">(.*?)</td></tr>', re.S)
ENTRY = re.compile(r'<td class="memname">\s*int\s+(Velmor_\w+)\s*</td>')
LINKED_NAME = re.compile(r">(Velmor_\w+)</a>")


def build(doxygen, doxyfile, output):
    shutil.rmtree(os.path.join(output, "api"), ignore_errors=True)
    env = dict(os.environ, VELMOR_DOCS_OUTPUT=output)
    run = subprocess.run([doxygen, os.path.basename(doxyfile)], cwd=os.path.dirname(os.path.abspath(doxyfile)),
                         env=env, capture_output=True, text=True)
    complaints = [line for line in (run.stdout + run.stderr).splitlines()
                  if re.search(r"\b(warning|error)\b", line, re.I)]
    for line in complaints:
        print(line)
    version = subprocess.run([doxygen, "--version"], capture_output=True, text=True).stdout.strip()
    index = os.path.join(output, "api", "index.html")
    if run.returncode != 0 or complaints or not os.path.isfile(index):
        print(f"FAIL: doxygen {version} exited with {run.returncode}, {len(complaints)} warnings, "
              f"index.html {'made' if os.path.isfile(index) else 'missing'}")
        return 1
    print(f"doxygen {version}: reference made without warnings in {os.path.dirname(index)}")
    return 0


def text_of(fragment):
    return " ".join(html.unescape(re.sub(r"<[^>]+>", " ", fragment)).split())


def names(header, html_dir):
    source = open(header, encoding="utf-8").read()
    declared = DECLARATION.findall(source)
    failures = []
    if len(declared) != EXPORTS or len(set(declared)) != EXPORTS:
        failures.append(f"the header declares {len(set(declared))} distinct functions "
                        f"({len(declared)} declarations), not {EXPORTS}")
    declared = set(declared)
    strays = sorted(set(re.findall(r"\bVelmor_\w+", source)) - declared)
    if strays:
        failures.append(f"the header's comments name functions it does not declare: {strays}")

    groups = sorted(f for f in os.listdir(html_dir) if f.startswith("group__") and f.endswith(".html"))
    if not groups:
        failures.append(f"no task group pages in {html_dir}")
    placed = {}  # function -> the group pages with an entry of its own
    briefed = set()
    for page in groups:
        text = open(os.path.join(html_dir, page), encoding="utf-8").read()
        for name in ENTRY.findall(text):
            placed.setdefault(name, []).append(page)
        briefs = {key: text_of(value) for key, value in SUMMARY_BRIEF.findall(text)}
        for key, row in SUMMARY_ROW.findall(text):
            for name in LINKED_NAME.findall(row):
                if briefs.get(key, "").replace("More...", "").strip():
                    briefed.add(name)

    missing = sorted(declared - placed.keys())
    if missing:
        failures.append(f"{len(missing)} functions have no entry on a task group page: {missing}")
    doubled = sorted(name for name, pages in placed.items() if len(pages) > 1)
    if doubled:
        failures.append(f"functions in more than one group: {doubled}")
    unbriefed = sorted(declared - briefed)
    if unbriefed:
        failures.append(f"{len(unbriefed)} functions without a brief description: {unbriefed}")
    index = os.path.join(html_dir, "index.html")
    main_page = open(index, encoding="utf-8").read() if os.path.isfile(index) else ""
    unlisted = [page for page in groups if f'href="{page}"' not in main_page]
    if unlisted:
        failures.append(f"task groups not listed on the main page: {unlisted}")

    documented = len(declared & placed.keys())
    print(f"{documented} of {len(declared)} functions documented in {len(groups)} task groups")
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


def main(argv):
    if len(argv) == 5 and argv[1] == "build":
        return build(*argv[2:])
    if len(argv) == 4 and argv[1] == "names":
        return names(*argv[2:])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
