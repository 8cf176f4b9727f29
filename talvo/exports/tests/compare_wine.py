#!/usr/bin/env python3
"""Runs the 64-bit Windows build under wine64 and the Linux build side by side.

Each build's talvo-host loads its library in a temporary folder holding the
same rule files under Talvo/Rules, and makes the same LoadRules, RuleFilter
and Magic calls; the two outputs must be the same bytes: the data buffer of
every call on standard output, and on standard error (-v) every call, its
return code and the entry count of each rule file as the host read them.
Only the line naming the rules folder differs by nature and is left out.

Exit code 0: the outputs agree; 1: they differ or a host failed; 77: the
Windows build or a working wine64 is missing, so nothing was compared.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "testing"))
from compare_outputs import first_difference, report  # noqa: E402
from wine import SKIP, ready_wine, wait_for_wineserver, wine_environment  # noqa: E402


# Rule files by extension: CRLF and CR inside lines, blank lines, fields led
# by separators (byte 4), exceptions, a "-" exception field, code page 1251
# letters, a line longer than one 512-byte piece, one of exactly 512 bytes, a
# byte 26 that ends the file early and a last line without a line feed; and
# files in UTF-8 and UTF-16.
RULE_FILES = {
    "_spm": b"*free* *offer*\x04*not* *free*@*xyz*\r\n"
            b"*cheap*\x04-\n"
            b"\n"
            b"*pills*\n"
            b"\x04\x04*spam*\x04*ok*\n"
            b"*\xe0\xe1\xe2*\n"
            b"*cheap* *now*\x04 -\n"
            b"*" + b"q" * 598 + b"*\n"
            b"*x?z*\x04   \n"
            b"\x04\x04\n"
            b"*last*",
    "_cur": b"*bye*\n*hell*\n",
    "_nck": b"bob\n*!*@evil.host\nb?b jim\n   \n",
    "_file": b"*.exe\n*virus scan*\n\x04\x04\n",
    "_frd": b"alice\r\nbo\rb\r\ncarol\x1adave\n",
    "_vfi": b"*" + b"v" * 510 + b"*\n*tail*\n",
    "_alt": b"\xc0\xc1\xc2*\n",
    # UTF-8 with and without its mark, UTF-16 both ways: characters outside
    # code page 1251, a broken sequence, a line split at 512 characters.
    "_rep": b"\xef\xbb\xbf" + "*кот*\n*ü*\na?b\n".encode() + "ж".encode() * 520 + b"\na\xffb\n",
    "_rsp": "*привет*\n".encode(),
    "_qp": b"\xff\xfe" + "*кот*\r\n?\r\n".encode("utf-16-le"),
    "_sus": b"\xfe\xff" + "ü\n*😀*\x04*no*\n".encode("utf-16-be"),
}

LONG_TEXT = b"free " + b"w" * 700 + b" offer"

RULE_FILTER_TEXTS = [
    b"13 1 a free offer", b"13 1 not a free offer", b"13 1 xyz free offer",
    b"13 1 spam", b"13 1 spam is ok", b"13 1 \xc0\xc1\xc2", b"13 1 x\xe0\xe1\xe2y",
    b"13 1 buy cheap pills now", b"13 1 " + b"q" * 600, b"13 1 xaz", b"13 1 at last",
    b"13 1 " + LONG_TEXT, b"13 1 a\x1afree offer", b"13 1 \x02bold\x02 \x034,5free offer",
    b"3 1 hello", b"3 2 hello", b"3 3 hello", b"3 1   hello", b"3 1 hello ", b"3 1 goodbye",
    b"3 1", b"3", b"", b"x 1 hello", b"3 x hello", b"16 1 hello", b"-1 1 hello", b"6 1 hello",
    b"6 1", b"- 1 hello", b"3 - hello", b"3 0 hello", b"3 -7 hello", b"3 100 hello",
    b"99999999999 1 hello", b"3 99999999999 hello", b"2147483647 1 x", b"3 2147483648 hello",
    b"8 1 Bob!x@y", b"8 1 bobby!x@y", b"8 1 nick!user@evil.host", b"8 1 jim!a@b", b"8 1 bub!a@b",
    b"8 1 anyone", b"4 1 setup.exe", b"4 1 a virus scan now", b"4 1 virus scan",
    b"5 1 alice!x", b"5 1 bob!x", b"5 1 carol!x", b"5 1 dave!x",
    b"15 1 " + b"v" * 510, b"15 1 the tail", b"0 1 \xe0\xe1\xe2 lower", b"0 1 \xc0\xc1\xc2 upper",
] + [b"%d 1 free cheap pills" % n for n in range(16)] + [
    t.encode() for t in ["11 1 у меня КОТ", "11 1 у меня кнт", "11 2 Ü", "11 2 ü", "11 3 a😀b", "11 3 aжb",
                         "11 5 " + "Ж" * 8, "12 1 ПРИВЕТ всем", "10 1 КОТ", "10 2 😀", "14 1 ü", "14 2 a😀",
                         "14 2 no 😀"]] + [b"11 6 a\xef\xbf\xbdb", b"11 1 \xea\xee\xf2"]

# Every start number through set 13 and past its end: the resumed search.
RESUMED = [b"13 %d buy cheap pills now spam" % start for start in range(1, 16)]

MAGIC_TEXTS = [
    b"bxkqwz!zxvq@h", b"bxkqwz!zxvq@h 1", b"bxkqwz!zxvq@h 3 4", b"bxkqwz!zxvq@h 1 5",
    b"bxkqwz!~zxvq@h", b"bxkqwz!~~zxvq@h", b"bxkqwa!ught@h", b"bxkqwa!~ught@h",
    b"bxkqae!zxvq@h", b"bxkqaei!zxvq@h", b"bxkqwz!bxkqwz@h", b"bxkqwzbxkqwz!zxvq@h",
    b"bxkqwzbxkqwzq!zxvq@h", b"bxkqwz1!zxvq@h", b"xkqzvbw!.@h", b"xkqzvbw!...@h",
    b"bxkqwz!..x@h", b"bcdfgh!~@h", b"xkqz!~XKQZ@h", b"xkqz!XKQZ@h", b"xkqz!~XKQZ@h 3",
    b"abc!~A@h", b"abc!~A1@h", b"abc!~Abc@h", b"BXKQWZ!ZXVQ@h", b"BXKQWZ!zxvq@h",
    b"Bxkqwz!zxvq@h", b"bxkqwz!zxvq", b"bxkqwz!zxvq 5", b"noaddress", b"!zxvq@h", b"bxkqwz!@h",
    b" bxkqwz!zxvq@h", b"\xe0bc!~\xc0BC@h", b"\xe0bc!~\xc1BC@h", b"abc!~@h", b"abc!~@h 4",
    b"BXKQWZ!ZXVQ@h 4 2 1 3", b"", b"bxkqwz!zxvq@h 01 1x",
] + [t.encode() for t in ["вася!~петя@h", "аbc!~АBC@h", "😀bc!~😀BC@h", "😀bc!~😁BC@h", "bxkqwz!zxvq@hôst 1"]]


def calls():
    """One call a line, as talvo-host reads them: export, blank, text."""
    lines = [b"LoadRules x"]
    lines += [b"RuleFilter " + t for t in RULE_FILTER_TEXTS + RESUMED]
    lines += [b"Magic " + t for t in MAGIC_TEXTS]
    lines += [b"LoadRules", b"RuleFilter 3 1 hello"]
    return lines


def write_rules(folder):
    rules = os.path.join(folder, "Talvo", "Rules")
    os.makedirs(rules)
    for extension, content in RULE_FILES.items():
        with open(os.path.join(rules, "Talvo." + extension), "wb") as f:
            f.write(content)


def run_host(argv, folder, stdin, env=None):
    result = subprocess.run(argv, cwd=folder, input=stdin, capture_output=True, env=env, timeout=120)
    return result.returncode, result.stdout, result.stderr


def verbose_lines(err):
    """The -v lines of standard error that both builds write alike: calls,
    return codes and rule files, not the folder (nor anything wine adds)."""
    keep = (b"> ", b"< ", b"file ")
    return b"\n".join(line for line in err.split(b"\n") if line.startswith(keep))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--linux-host", required=True)
    parser.add_argument("--linux-library", required=True)
    parser.add_argument("--dist", required=True, help="dist/win64")
    parser.add_argument("--prefix", required=True, help="where the wine prefix is kept")
    parser.add_argument("--wine")
    args = parser.parse_args()

    dll = os.path.join(args.dist, "Talvo.dll")
    exe = os.path.join(args.dist, "talvo-host.exe")
    missing = [p for p in (dll, exe) if not os.path.isfile(p)]
    if missing:
        print(f"SKIPPED: {', '.join(missing)} missing; run `make windows` first")
        return SKIP
    wine, reason = ready_wine(args.wine, args.prefix)
    if wine is None:
        print(f"SKIPPED: {reason}")
        return SKIP

    sent = calls()
    script = b"".join(line + b"\n" for line in sent)
    work = tempfile.mkdtemp(prefix="talvo-wine-")
    try:
        linux_dir = os.path.join(work, "linux")
        windows_dir = os.path.join(work, "windows")
        for folder in (linux_dir, windows_dir):
            os.makedirs(folder)
            write_rules(folder)
        shutil.copy(dll, windows_dir)
        shutil.copy(exe, windows_dir)

        linux = run_host([os.path.abspath(args.linux_host), "--library", os.path.abspath(args.linux_library), "-v"],
                         linux_dir, script)
        prefix = os.path.abspath(args.prefix)
        windows = run_host([wine, os.path.join(windows_dir, "talvo-host.exe"), "-v"],
                           windows_dir, script, wine_environment(prefix))
        wait_for_wineserver(wine, prefix)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    failures = []
    for name, (code, _, err) in (("Linux", linux), ("Windows", windows)):
        if code != 0:
            failures.append(f"{name} talvo-host exited with {code}: {err.decode(errors='replace')[-800:]}")
    # One line of standard output for each call: its data buffer.
    answers = linux[1].split(b"\n")[:-1]
    if len(answers) != len(sent) or not all(a.startswith(b"var %match = ") for a in answers):
        failures.append(f"the Linux host gave {len(answers)} answer lines for {len(sent)} calls")
    if answers and answers[0] == b"var %match = 0":
        failures.append("LoadRules read none of the rule files written: the rules were not compared")
    if linux[1] != windows[1]:
        failures.append("the answers differ, first at " + first_difference(linux[1], windows[1], "Linux", "Windows"))
    verbose = [verbose_lines(out[2]) for out in (linux, windows)]
    if len(verbose[0].split(b"\n")) < 2 * len(sent):
        failures.append("the Linux host wrote too few -v lines")
    if verbose[0] != verbose[1]:
        failures.append("the -v lines differ, first at " + first_difference(verbose[0], verbose[1], "Linux", "Windows"))

    print(f"{len(sent)} calls; Linux output {len(linux[1])} bytes, Windows output {len(windows[1])} bytes")
    return report(failures, "the Windows build under wine64 answers every call byte for byte as the Linux build")


if __name__ == "__main__":
    sys.exit(main())
