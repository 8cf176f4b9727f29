#!/usr/bin/env python3
"""Nomvary's Windows build under wine64, checked against the Linux build.

  platform  the Windows platform's own tests (nomvary_windows_test.exe)
  cli       nomvary-cli.exe and the Linux nomvary-cli rename copies of one
            generated folder (Cyrillic and accented names, a collision) under
            several option sets: same output, exit status and folder after
  window    nomvary.exe under a virtual display, driven by window_probe.exe:
            it opens with its title, a close saves a 519-byte nomvary.ini
            beside it holding a drive text "c:" or "c: [LABEL]", and an
            autorun renames in the stored (Cyrillic) folder exactly as the
            Linux build does

Exit code 0: all agree; 1: a difference; 77: the Windows build, wine64 or
(for the window) a display is missing, so nothing was checked.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "testing"))
from compare_outputs import first_difference, report  # noqa: E402
from wine import SKIP, ready_wine, wait_for_wineserver, wine_environment, windows_path  # noqa: E402

# Name to contents. Names that differ only in case are left out: a Linux
# folder may hold both, a Windows one cannot.
FILES = {
    "a_b.mp3": "1",
    "a b.mp3": "2",              # "a_b.mp3" cannot become "a b.mp3": taken
    "привет_мир.mp3": "3",
    "café_au_lait.MP3": "4",
    "Ärger über (живой_концерт).mp3": "5",
    "dj_x feat_y vs z.mp3": "6",
    "(live_at) [the_club] {x_y}.mp3": "7",
    "notes_to_self.txt": "8",
    "ALL_CAPS.MP3": "9",
    ".hidden_name.mp3": "10",
}

OPTION_SETS = [
    ["--help"],
    [],
    ["--capitalize"],
    ["--blank-to-underscore", "--all-files"],
    ["--capitalize", "--except-brackets", "--exclude-feat", "--exclude-vs", "--all-files"],
    ["--dry-run", "--capitalize", "--all-files"],
]


def make_folder(path, files):
    os.makedirs(path)
    for name, content in files.items():
        with open(os.path.join(path, name), "w", encoding="utf-8") as f:
            f.write(content)


def folder_state(path):
    state = {}
    for name in sorted(os.listdir(path)):
        with open(os.path.join(path, name), encoding="utf-8") as f:
            state[name] = f.read()
    return state


def run(argv, cwd, env=None):
    result = subprocess.run(argv, cwd=cwd, capture_output=True, env=env, timeout=120, stdin=subprocess.DEVNULL)
    # Lines wine itself writes (on a drive it cannot read the label of, say)
    # are no output of the program.
    err = b"".join(line for line in result.stderr.splitlines(keepends=True) if not line.startswith(b"wine: "))
    return result.returncode, result.stdout, err


def check_platform(args, wine, env, failures):
    code, out, err = run([wine, args.platform_test], os.path.dirname(args.platform_test), env)
    if code != 0:
        failures.append(f"nomvary_windows_test.exe exited with {code}:\n{out.decode(errors='replace')[-3000:]}")
    print(out.decode(errors="replace").strip().split("\n")[-1])


def check_cli(args, wine, env, work, failures):
    exe = os.path.join(args.dist, "nomvary-cli.exe")
    # The folder is named in Cyrillic on the command line, which only the
    # wide command line carries whole.
    folder = "папка"
    for k, options in enumerate(OPTION_SETS):
        linux_base, windows_base = os.path.join(work, f"cli{k}-linux"), os.path.join(work, f"cli{k}-windows")
        linux_dir, windows_dir = os.path.join(linux_base, folder), os.path.join(windows_base, folder)
        make_folder(linux_dir, FILES)
        make_folder(windows_dir, FILES)
        linux = run([args.linux_cli] + options + [folder], linux_base)
        windows = run([wine, exe] + options + [folder], windows_base, env)
        what = " ".join(options) or "(no options)"
        if linux[0] != windows[0]:
            failures.append(f"{what}: exit status Linux {linux[0]}, Windows {windows[0]}")
        for stream, name in ((1, "output"), (2, "errors")):
            if linux[stream] != windows[stream]:
                failures.append(f"{what}: {name} differ, first at "
                                + first_difference(linux[stream], windows[stream], "Linux", "Windows"))
        if folder_state(linux_dir) != folder_state(windows_dir):
            failures.append(f"{what}: the folders differ: Linux {sorted(folder_state(linux_dir))}, "
                            f"Windows {sorted(folder_state(windows_dir))}")
        if options == ["--capitalize"] and b"cannot rename \"a_b.mp3\" to \"A B.mp3\": File exists" not in linux[2]:
            failures.append("the collision did not happen: the comparison misses it")
    missing = run([wine, exe, "no-such-folder"], work, env)[0]
    if missing != 2:
        failures.append(f"a missing folder: Windows exit status {missing}, not 2")
    print(f"cli: {len(OPTION_SETS)} option sets on {len(FILES)} files compared")


def probe(args, wine, env, program, mode, *extra):
    code, out, err = run([wine, args.probe, windows_path(os.path.join(program, "nomvary.exe")), mode, *extra],
                         program, env)
    answers = {}
    for line in out.decode("utf-8", errors="replace").splitlines():
        key, _, value = line.partition(": ")
        answers[key] = value
    if code != 0 or "exit" not in answers:
        answers["error"] = answers.get("error", "") + f" (probe status {code}) {err.decode(errors='replace')[-500:]}"
    return answers


def record(drive, folder, options):
    """A settings record: the texts padded with blanks, then the seven option bytes."""
    def field(text):
        return text + b" " * (256 - len(text))
    return field(drive) + field(folder) + bytes(options)


def check_window(args, wine, env, work, failures):
    program = os.path.join(work, "program")
    os.makedirs(program)
    shutil.copy(os.path.join(args.dist, "nomvary.exe"), program)

    shown = probe(args, wine, env, program, "show")
    if "error" in shown:
        failures.append(f"window: {shown['error']}")
        return
    if shown.get("title") != "Nomvary - " + windows_path(program):
        failures.append(f"window: title {shown.get('title')!r}")
    if not re.fullmatch(r"[a-z]:( \[.+\])?", shown.get("drive", "")):
        failures.append(f"window: drive text {shown.get('drive')!r} is not of the form \"c: [LABEL]\"")
    settings = os.path.join(program, "nomvary.ini")
    saved = open(settings, "rb").read() if os.path.isfile(settings) else b""
    if len(saved) != 519:
        failures.append(f"window: nomvary.ini beside the exe holds {len(saved)} bytes, not 519")
    elif saved[:256].rstrip(b" ") != shown.get("drive", "").encode():
        failures.append(f"window: the record's drive {saved[:256].rstrip()!r} is not the one shown")

    # The autorun: a stored Cyrillic folder (kept in UTF-8, which no ANSI
    # code page of the Latin alphabets holds), "Capitalize" and autorun on.
    music = os.path.join(work, "музыка")
    expected = os.path.join(work, "expected")
    make_folder(music, FILES)
    make_folder(expected, FILES)
    run([args.linux_cli, "--capitalize", "."], expected)
    with open(settings, "wb") as f:
        f.write(record(saved[:256].rstrip(b" "), windows_path(music).encode(), [0, 0, 1, 1, 0, 0, 0]))
    ran = probe(args, wine, env, program, "autorun")
    if "error" in ran:
        failures.append(f"autorun: {ran['error']}")
        return
    renamed = sum(1 for name in folder_state(expected) if name not in FILES)
    if ran.get("box title") != "done" or not ran.get("box text", "").startswith(f"{renamed} files renamed."):
        failures.append(f"autorun: box {ran.get('box title')!r} saying {ran.get('box text')!r}")
    if folder_state(music) != folder_state(expected):
        failures.append(f"autorun: the folder holds {sorted(folder_state(music))}, "
                        f"the Linux build gives {sorted(folder_state(expected))}")
    after = open(settings, "rb").read()
    if len(after) != 519 or after[256:512].rstrip(b" ") != windows_path(music).encode():
        failures.append(f"autorun: Yes saved a record of {len(after)} bytes with folder {after[256:512].rstrip()!r}")
    print(f"window: title {shown.get('title')!r}, drive {shown.get('drive')!r}, autorun renamed {renamed} files")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("part", choices=["platform", "cli", "window"])
    parser.add_argument("--dist", required=True, help="dist/win64")
    parser.add_argument("--linux-cli", required=True)
    parser.add_argument("--platform-test", required=True, help="nomvary_windows_test.exe")
    parser.add_argument("--probe", required=True, help="window_probe.exe")
    parser.add_argument("--prefix", required=True, help="where the wine prefix is kept")
    parser.add_argument("--wine")
    args = parser.parse_args()

    needed = {"platform": [args.platform_test], "cli": [os.path.join(args.dist, "nomvary-cli.exe")],
              "window": [os.path.join(args.dist, "nomvary.exe"), args.probe]}[args.part]
    missing = [p for p in needed if not os.path.isfile(p)]
    if missing:
        print(f"SKIPPED: {', '.join(missing)} missing; run `make windows` first")
        return SKIP
    if args.part == "window" and not os.environ.get("DISPLAY"):
        print("SKIPPED: no display; the test runs under xvfb-run")
        return SKIP
    wine, reason = ready_wine(args.wine, args.prefix)
    if wine is None:
        print(f"SKIPPED: {reason}")
        return SKIP
    prefix = os.path.abspath(args.prefix)
    env = wine_environment(prefix, display=args.part == "window")

    failures = []
    work = tempfile.mkdtemp(prefix="nomvary-wine-")
    try:
        if args.part == "platform":
            check_platform(args, wine, env, failures)
        elif args.part == "cli":
            check_cli(args, wine, env, work, failures)
        else:
            check_window(args, wine, env, work, failures)
        wait_for_wineserver(wine, prefix)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return report(failures, f"{args.part}: the Windows build under wine64 agrees with the Linux build")


if __name__ == "__main__":
    sys.exit(main())
