#!/usr/bin/env python3
"""Takes the picture of nomvary.exe (from dist/win64, after `make windows`)
that README shows, under wine64 and a virtual display: the window, with its
frame and title as wine's own desktop draws them, opened in a folder
"Music" with a few subfolders, saved as a PNG.

  scripts/windows-screenshot.py [PNG]     default: build/nomvary-windows.png

Pass docs/nomvary-windows.png to replace the README's picture. The wine
prefix is the tests' own (build/wineprefix)."""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, "testing"))
from wine import ready_wine, wait_for_wineserver, wine_environment, windows_path  # noqa: E402


def png_from_bmp(bmp, target):
    """A 24-bit bottom-up BMP, as the probe writes it, as a PNG."""
    offset = struct.unpack_from("<I", bmp, 10)[0]
    width, height = struct.unpack_from("<ii", bmp, 18)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height):
        line = bmp[offset + (height - 1 - y) * stride:][:width * 3]
        rgb = bytearray(width * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = line[2::3], line[1::3], line[0::3]
        rows.append(b"\0" + bytes(rgb))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    with open(target, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def main():
    target = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build", "nomvary-windows.png"))
    exe = os.path.join(root, "dist", "win64", "nomvary.exe")
    probe = os.path.join(root, "build-mingw64", "renamer", "windows", "tests", "window_probe.exe")
    for needed in (exe, probe):
        if not os.path.isfile(needed):
            sys.exit(f"windows-screenshot: {needed} missing; run `make windows` first")
    if not os.environ.get("DISPLAY"):
        # Once more, under a virtual display of a fixed size and DPI.
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24 -dpi 96",
                               sys.executable, os.path.abspath(__file__), target])
    prefix = os.path.join(root, "build", "wineprefix")
    wine, reason = ready_wine(None, prefix)
    if wine is None:
        sys.exit(f"windows-screenshot: {reason}")
    work = tempfile.mkdtemp(prefix="nomvary-shot-")
    try:
        music = os.path.join(work, "Music")
        for name in ("Albums", "Live recordings", "Singles", "Кино"):
            os.makedirs(os.path.join(music, name))
        shutil.copy(exe, music)
        bmp = os.path.join(work, "window.bmp")
        subprocess.run([wine, "explorer", "/desktop=nomvary,400x420", probe,
                        windows_path(os.path.join(music, "nomvary.exe")), "show", windows_path(bmp)],
                       cwd=music, env=wine_environment(os.path.abspath(prefix), display=True), check=True,
                       timeout=120, capture_output=True)
        wait_for_wineserver(wine, os.path.abspath(prefix))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(bmp, "rb") as f:
            png_from_bmp(f.read(), target)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(f"windows-screenshot: wrote {target}")


if __name__ == "__main__":
    main()
