#!/usr/bin/env python3
"""Checks the Windows builds in a dist folder without running them.

The chat client finds the exports by exact name, calls them as __stdcall and
reports any failure to load only as "unable to open file", so the names, the
calling convention and the DLL's dependencies are checked in the binaries:

- the DLL exports exactly the five host hooks under their plain names and the
  Tools functions and tables under their mangled C++ names;
- on x86 the host hooks are __stdcall: the linker's export list names their
  decorated symbols (RuleFilter@24) and each one's code returns with the
  callee popping its arguments (ret $0x18);
- the DLL, talvo-host.exe and Nomvary's nomvary.exe and nomvary-cli.exe
  (linked statically too) import system DLLs only.

Exit code 0: all checks hold; 1: a check failed; 77: nothing to check.
"""

import argparse
import os
import re
import subprocess
import sys

SKIP = 77

# Argument bytes of each host hook on x86: a pointer or 32-bit value each.
HOST_HOOKS = {"LoadDll": 4, "UnloadDll": 4, "LoadRules": 24, "RuleFilter": 24, "Magic": 24}

TOOLS_FUNCTIONS = [
    "Talvo_TestByMask", "Talvo_StrScan", "Talvo_TestWildStr", "Talvo_TestWildText",
    "LRot16", "RRot16", "LRot32", "RRot32", "XorBlock", "IncBlock",
    "initialization", "Finalization",
]
TOOLS_TABLES = ["ToUpperChars", "ToLowerChars"]

# DLLs every Windows installation has; nothing of a compiler's runtime.
SYSTEM_DLLS = {
    "kernel32.dll", "msvcrt.dll", "user32.dll", "advapi32.dll", "gdi32.dll",
    "shell32.dll", "ole32.dll", "oleaut32.dll", "ntdll.dll", "ws2_32.dll",
    "comctl32.dll",
}

# The programs beside the DLL, each checked for its format and imports.
PROGRAMS = ["talvo-host.exe", "nomvary.exe", "nomvary-cli.exe"]

FORMATS = {"i386": "pei-i386", "x86-64": "pei-x86-64"}


class Report:
    def __init__(self):
        self.failures = []

    def check(self, ok, message):
        print(("ok   " if ok else "FAIL ") + message)
        if not ok:
            self.failures.append(message)


def run(argv):
    return subprocess.run(argv, check=True, capture_output=True, text=True,
                          errors="replace").stdout


def parse_private_headers(text):
    """File format, image base, imported DLLs and exports (name -> RVA)."""
    fmt = re.search(r"file format (\S+)", text)
    base = re.search(r"^ImageBase\s+([0-9a-fA-F]+)", text, re.M)
    imports = re.findall(r"^\s*DLL Name: (\S+)", text, re.M)
    rvas = {}
    names = {}
    section = None
    for line in text.splitlines():
        if line.startswith("Export Address Table -- "):
            section = "eat"
            continue
        if line.startswith("[Ordinal/Name Pointer] Table"):
            section = "names"
            continue
        if not line.strip():
            section = None
            continue
        m = re.match(r"\s*\[\s*(\d+)\]\s+(.*)$", line)
        if not m:
            continue
        index, rest = int(m.group(1)), m.group(2)
        if section == "eat":
            r = re.search(r"([0-9a-fA-F]+) Export RVA", rest)
            if r:
                rvas[index] = int(r.group(1), 16)
        elif section == "names":
            names[rest.strip()] = index
    exports = {name: rvas.get(index) for name, index in names.items()}
    return (fmt.group(1) if fmt else None, int(base.group(1), 16) if base else None,
            imports, exports)


def demangle(cxxfilt, names):
    if not names:
        return {}
    # The export table holds the names without the x86 symbol underscore.
    out = run([cxxfilt, "--no-strip-underscore"] + names).splitlines()
    return dict(zip(names, out))


def check_imports(report, label, imports):
    report.check(bool(imports), f"{label} has an import table")
    foreign = [d for d in imports if d.lower() not in SYSTEM_DLLS]
    report.check(not foreign, f"{label} imports system DLLs only "
                 f"({', '.join(imports)})" + (f"; not allowed: {', '.join(foreign)}" if foreign else ""))


def first_return(objdump, dll, address):
    """The operand of the first return instruction at or after `address`."""
    text = run([objdump, "-d", "--no-show-raw-insn", f"--start-address={address:#x}",
                f"--stop-address={address + 0x4000:#x}", dll])
    for line in text.splitlines():
        m = re.match(r"\s*[0-9a-f]+:\s+(?:repz\s+)?ret[lq]?\b\s*(\$0x[0-9a-f]+)?", line)
        if m:
            return int(m.group(1)[1:], 16) if m.group(1) else 0
    return None


def check_stdcall(report, objdump, dll, base, exports, def_text):
    for hook, size in HOST_HOOKS.items():
        pattern = rf"^\s*{hook} = {hook}@{size}\b"
        report.check(re.search(pattern, def_text, re.M) is not None,
                     f"{hook} is exported from the __stdcall symbol {hook}@{size}")
        rva = exports.get(hook)
        if rva is None or base is None:
            continue
        popped = first_return(objdump, dll, base + rva)
        report.check(popped == size,
                     f"{hook} returns popping its {size} argument bytes (ret ${size:#x}); "
                     f"found {'no ret' if popped is None else f'ret ${popped:#x}'}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--cxxfilt", required=True)
    parser.add_argument("--arch", required=True, choices=sorted(FORMATS))
    parser.add_argument("--dist", required=True, help="dist/win32 or dist/win64")
    args = parser.parse_args()

    dll = os.path.join(args.dist, "Talvo.dll")
    def_file = os.path.join(args.dist, "Talvo.def")
    programs = [os.path.join(args.dist, name) for name in PROGRAMS]
    missing = [p for p in [dll, def_file] + programs if not os.path.isfile(p)]
    if missing:
        print(f"SKIPPED: {', '.join(missing)} missing; run `make windows` first")
        return SKIP
    for tool in (args.objdump, args.cxxfilt):
        if not os.access(tool, os.X_OK):
            print(f"SKIPPED: {tool} not found; run scripts/install-deps.sh")
            return SKIP

    report = Report()
    fmt, base, imports, exports = parse_private_headers(run([args.objdump, "-p", dll]))
    report.check(fmt == FORMATS[args.arch], f"Talvo.dll is {FORMATS[args.arch]} (found {fmt})")

    for hook in HOST_HOOKS:
        report.check(hook in exports, f"export {hook} under its plain name")
    decorated = [n for n in exports if (n.startswith("_") and not n.startswith("_Z")) or "@" in n]
    report.check(not decorated, "no decorated export names" +
                 (f"; found {', '.join(decorated)}" if decorated else ""))

    mangled = [n for n in exports if n.startswith("_Z")]
    plain = demangle(args.cxxfilt, mangled)
    qualified = {plain[n].split("(")[0]: n for n in mangled}
    for name in TOOLS_FUNCTIONS + TOOLS_TABLES:
        report.check(f"Tools::{name}" in qualified, f"export Tools::{name} under its mangled name"
                     + (f" ({qualified[f'Tools::{name}']})" if f"Tools::{name}" in qualified else ""))
    expected = set(HOST_HOOKS) | {qualified.get(f"Tools::{n}") for n in TOOLS_FUNCTIONS + TOOLS_TABLES}
    extra = sorted(set(exports) - expected)
    report.check(not extra, "no other exports" + (f"; found {', '.join(extra)}" if extra else ""))

    with open(def_file, encoding="latin-1") as f:
        def_text = f.read()
    for name in TOOLS_TABLES:
        symbol = qualified.get(f"Tools::{name}")
        if symbol:
            report.check(re.search(rf"^\s*{re.escape(symbol)} @\d+ DATA\s*$", def_text, re.M) is not None,
                         f"Tools::{name} is exported as data")
    if args.arch == "i386":
        check_stdcall(report, args.objdump, dll, base, exports, def_text)

    check_imports(report, "Talvo.dll", imports)
    for name, program in zip(PROGRAMS, programs):
        program_fmt, _, program_imports, _ = parse_private_headers(run([args.objdump, "-p", program]))
        report.check(program_fmt == FORMATS[args.arch], f"{name} is {FORMATS[args.arch]} (found {program_fmt})")
        check_imports(report, name, program_imports)

    if report.failures:
        print(f"{len(report.failures)} check(s) failed")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
