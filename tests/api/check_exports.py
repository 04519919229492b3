#!/usr/bin/env python3
"""Checks the built DLL's PE tables with binutils' objdump:
every exported name has the ordinal of its place among all 124 names declared in the public
header (ascending byte order, from 1), nothing else is exported, and only Windows system DLLs
are imported."""
import re
import subprocess
import sys

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "winmm.dll", "msvcrt.dll", "comctl32.dll",
    "ole32.dll", "shell32.dll", "comdlg32.dll", "ws2_32.dll", "bcrypt.dll", "ntdll.dll", "psapi.dll",
}

def main(objdump, dll, header, deffile):
    names = sorted(set(re.findall(r"\b(Velmor_\w+)\s*\(", open(header).read())), key=lambda s: s.encode())
    failures = []
    if len(names) != 124:
        failures.append(f"the header declares {len(names)} functions, not 124")
    expected = {name: i + 1 for i, name in enumerate(names)}

    # The .def reserves every ordinal, listed or commented out.
    for line in open(deffile):
        m = re.match(r"\s*;?\s*(Velmor_\w+)\s+@(\d+)", line)
        if m and expected.get(m.group(1)) != int(m.group(2)):
            failures.append(f".def gives {m.group(1)} ordinal {m.group(2)}, expected {expected.get(m.group(1))}")

    dump = subprocess.run([objdump, "-p", dll], check=True, capture_output=True, text=True).stdout
    base = int(re.search(r"Ordinal Base\s+(\d+)", dump).group(1))
    table = dump.split("[Ordinal/Name Pointer] Table", 1)[1] if "[Ordinal/Name Pointer] Table" in dump else ""
    table = table.split("\n\n", 1)[0]
    exported = {}
    for m in re.finditer(r"\[\s*(\d+)\]\s+(Velmor_\w+)", table):
        exported[m.group(2)] = int(m.group(1)) + base
    if not exported:
        failures.append("no exports found")
    for name, ordinal in exported.items():
        if expected.get(name) != ordinal:
            failures.append(f"{name} has ordinal {ordinal}, expected {expected.get(name)}")
    others = re.findall(r"\[\s*\d+\]\s+(\w+)\s*$", table, re.M)
    strays = [n for n in others if not n.startswith("Velmor_")]
    if strays:
        failures.append(f"exports that are not ours: {strays[:10]}")

    imports = {m.lower() for m in re.findall(r"DLL Name:\s*(\S+)", dump)}
    foreign = sorted(imports - SYSTEM_DLLS)
    if foreign:
        failures.append(f"imports from non-system DLLs: {foreign}")

    print(f"{len(exported)} of 124 exports present; imports: {sorted(imports)}")
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0

if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
