"""What the scripts that run two builds of talvo-host side by side share."""


def first_difference(a, b, first, second):
    """Where the outputs `a` (of the build named `first`) and `b` (of
    `second`) part, line by line."""
    la, lb = a.split(b"\n"), b.split(b"\n")
    for i in range(max(len(la), len(lb))):
        x = la[i] if i < len(la) else None
        y = lb[i] if i < len(lb) else None
        if x != y:
            return f"line {i + 1}: {first} {x!r} / {second} {y!r}"
    return "no line differs"


def report(failures, success):
    """Prints the failures, or the line `success` when there are none, and
    answers the script's exit status."""
    if failures:
        print("FAIL " + "\nFAIL ".join(failures))
        return 1
    print("ok   " + success)
    return 0
