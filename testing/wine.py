"""Running Windows programs under wine64 for the tests: finding the loader,
one wine prefix made once and kept (shared by every test of a build, which
take the CTest resource lock "wineprefix"), and its environment."""

import os
import shutil
import subprocess

SKIP = 77


def find_wine(given=None):
    for candidate in ([given] if given else []) + ["/usr/lib/wine/wine64", shutil.which("wine64")]:
        if candidate and os.access(candidate, os.X_OK):
            return candidate
    return None


def wine_environment(prefix, display=False):
    """Console programs need no display; a window gets the caller's DISPLAY
    (a virtual one under the tests). No gecko or mono installers."""
    env = dict(os.environ)
    env.update({
        "WINEPREFIX": prefix,
        "WINEDEBUG": "-all",
        "WINEARCH": "win64",
        "WAYLAND_DISPLAY": "",
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
    })
    if not display:
        env["DISPLAY"] = ""
    return env


def prepare_prefix(wine, prefix):
    """A ready wine prefix, made once and kept; None, or the reason why not."""
    ready = os.path.join(prefix, ".tests-ready")
    making = os.path.join(prefix, ".tests-making")
    if os.path.isfile(ready):
        return None
    if os.path.isfile(making):
        # Our own prefix, whose first start was interrupted.
        shutil.rmtree(prefix)
    elif os.path.isdir(prefix) and os.listdir(prefix):
        return f"{prefix} exists and was not made by these tests; it is left alone"
    os.makedirs(prefix, exist_ok=True)
    open(making, "w").close()
    env = wine_environment(prefix)
    try:
        boot = subprocess.run([wine, "wineboot", "-i"], env=env, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=300)
        if boot.returncode != 0:
            return f"wineboot -i failed ({boot.returncode}): {boot.stderr.decode(errors='replace')[-500:]}"
        probe = subprocess.run([wine, "cmd", "/c", "echo", "wine-ok"], env=env,
                               stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
    except subprocess.TimeoutExpired as timeout:
        return f"{' '.join(timeout.cmd[1:])} did not finish within {timeout.timeout:.0f} s"
    if b"wine-ok" not in probe.stdout:
        return f"wine64 cannot run a console program: {probe.stderr.decode(errors='replace')[-500:]}"
    os.replace(making, ready)
    return None


def ready_wine(given, prefix):
    """(wine, None) when wine64 runs in `prefix`, else (None, reason to skip)."""
    wine = find_wine(given)
    if wine is None:
        return None, "wine64 not found (neither /usr/lib/wine/wine64 nor on PATH); run scripts/install-deps.sh"
    reason = prepare_prefix(wine, os.path.abspath(prefix))
    if reason:
        return None, f"wine64 cannot start, so the Windows build was not run: {reason}"
    return wine, None


def wait_for_wineserver(wine, prefix):
    server = os.path.join(os.path.dirname(wine), "wineserver")
    if os.access(server, os.X_OK):
        try:
            subprocess.run([server, "-w"], env=wine_environment(prefix), timeout=60)
        except subprocess.TimeoutExpired:
            pass  # it ends by itself once idle


def windows_path(path):
    """The path of a Linux file as wine's drive Z: shows it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")
