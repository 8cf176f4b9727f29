#!/usr/bin/env python3
"""Runs a cross-built talvo-host and a native one over the same calls.

Both hosts load their own library in a temporary folder holding the same
generated rule files, and make the same few thousand LoadRules, RuleFilter
and Magic calls: every set, start numbers around the ends of the sets and of
the 32-bit range, texts of every length up to the data buffer, code page 1251
letters, addresses with and without test numbers. The outputs (data buffer
and return code of every call) must be the same bytes: a difference is an
integer or pointer width the code took for granted.

Exit code 0: the outputs agree; 1: they differ or a host failed; 77: the
native build is missing, so nothing was compared.
"""

import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "testing"))
from compare_outputs import first_difference, report  # noqa: E402

SKIP = 77

EXTENSIONS = ["_alt", "_avo", "_chn", "_cur", "_file", "_frd", "_name", "_nck",
              "_prv", "_qp", "_rep", "_rsp", "_spm", "_sus", "_vfi"]
SETS = [0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15]
WORDS = [b"free", b"offer", b"cheap", b"pills", b"spam", b"hello", b"now", b"link",
         b"\xe0\xe1\xe2", b"\xc0\xc1\xc2", b"\xff\xdf", b"club", b"x?z", b"deal"]
NUMBERS = [b"0", b"1", b"2", b"-1", b"-0", b"007", b"2147483647", b"2147483648", b"-2147483648",
           b"-2147483649", b"4294967295", b"4294967296", b"4294967299", b"9223372036854775807",
           b"9223372036854775808", b"-9223372036854775809", b"99999999999999999999", b"x", b"-", b""]


def rule_line(rng):
    kind = rng.randrange(10)
    if kind == 0:
        return b""
    if kind == 1:
        return b"\x04\x04"
    if kind == 2:
        return b"*" + b"q" * rng.randrange(500, 700) + b"*"  # more than one 512-byte piece
    words = b" ".join(b"*" + rng.choice(WORDS) + b"*" for _ in range(rng.randrange(1, 3)))
    if kind == 3:
        return rng.choice([b"bob", b"b?b jim", b"*!*@evil.host", b"al\x04-"])
    if kind == 4:
        groups = b"@".join(b"*" + rng.choice(WORDS) + b"*" for _ in range(rng.randrange(1, 3)))
        return words + b"\x04" + groups
    return words


def rule_files(rng):
    files = {}
    for extension in EXTENSIONS:
        lines = [rule_line(rng) for _ in range(rng.randrange(0, 120))]
        ending = rng.choice([b"\n", b"\r\n"])
        files[extension] = ending.join(lines) + (ending if rng.random() < 0.8 else b"")
    return files


def text(rng, limit):
    parts = [rng.choice(WORDS) for _ in range(rng.randrange(0, 8))]
    if rng.random() < 0.1:
        parts.append(b"q" * rng.randrange(400, 650))
    if rng.random() < 0.1:
        parts.append(bytes(rng.choice([1, 2, 4, 9, 26, 27, 127, 128, 160, 200]) for _ in range(5)))
    return b" ".join(parts)[:limit]


def address(rng):
    letters = b"bcdfghjklmnpqrstvwxzaeiouy"
    nick = bytes(rng.choice(letters) for _ in range(rng.randrange(1, 15)))
    user = (b"~" if rng.random() < 0.3 else b"") + bytes(rng.choice(letters) for _ in range(rng.randrange(0, 10)))
    line = nick + b"!" + user + b"@host.example"
    for _ in range(rng.randrange(0, 3)):
        line += b" " + rng.choice([b"1", b"2", b"3", b"4", b"5", b"01", b"-1", b"4294967297"])
    return line


def calls(rng, count):
    lines = [b"LoadRules"]
    while len(lines) < count:
        roll = rng.random()
        if roll < 0.01:
            lines.append(b"LoadRules")
        elif roll < 0.8:
            set_word = str(rng.choice(SETS + [6, 16])).encode() if rng.random() < 0.85 else rng.choice(NUMBERS)
            start = (str(rng.randrange(-3, 130)).encode() if rng.random() < 0.85 else rng.choice(NUMBERS))
            lines.append(b"RuleFilter " + set_word + b" " + start + b" " + text(rng, 850))
        else:
            lines.append(b"Magic " + address(rng))
    return lines


def run(argv, folder, stdin):
    result = subprocess.run(argv, cwd=folder, input=stdin, capture_output=True, timeout=600)
    return result.returncode, result.stdout, result.stderr


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--native-host", required=True)
    parser.add_argument("--native-library", required=True)
    parser.add_argument("--host", required=True, help="the cross-built talvo-host (or a script running it)")
    parser.add_argument("--library", required=True, help="the cross-built library")
    parser.add_argument("--calls", type=int, default=4000)
    parser.add_argument("--seed", type=int, default=32)
    args = parser.parse_args()

    missing = [p for p in (args.native_host, args.native_library) if not os.path.isfile(p)]
    if missing:
        print(f"SKIPPED: {', '.join(missing)} missing; build talvo and talvo-host in the native build first")
        return SKIP

    rng = random.Random(args.seed)
    files = rule_files(rng)
    sent = calls(rng, args.calls)
    script = b"".join(line + b"\n" for line in sent)
    work = tempfile.mkdtemp(prefix="talvo-compare-")
    try:
        outputs = {}
        for name, host, library in (("native", args.native_host, args.native_library),
                                    ("cross-built", args.host, args.library)):
            folder = os.path.join(work, name.replace(" ", "-"))
            rules = os.path.join(folder, "Talvo", "Rules")
            os.makedirs(rules)
            for extension, content in files.items():
                with open(os.path.join(rules, "Talvo." + extension), "wb") as f:
                    f.write(content)
            outputs[name] = run([os.path.abspath(host), "--library", os.path.abspath(library), "-v"], folder, script)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    failures = []
    for name, (code, _, err) in outputs.items():
        if code != 0:
            failures.append(f"the {name} talvo-host exited with {code}: {err.decode(errors='replace')[-800:]}")
    native, cross = outputs["native"][1], outputs["cross-built"][1]
    answers = [line for line in native.split(b"\n") if line.startswith(b"var %match = ")]
    if len(answers) != len(sent):
        failures.append(f"the native host answered {len(answers)} of {len(sent)} calls")
    matched = sum(1 for line in answers if not line.startswith(b"var %match = -") and line != b"var %match = 0")
    if native != cross:
        failures.append("the outputs differ, first at " + first_difference(native, cross, "native", "cross-built"))

    print(f"{len(sent)} calls, {matched} of them answered a rule or a level above 0; "
          f"native output {len(native)} bytes, cross-built output {len(cross)} bytes")
    return report(failures, "the cross-built talvo-host and library answer every call byte for byte as the native build")


if __name__ == "__main__":
    sys.exit(main())
