#!/usr/bin/env bash
# Renders the Nomvary window under a virtual display to a PNG: by default
# into the build folder, so that trying it leaves the source tree as it was;
# `make update-screenshot` passes docs/nomvary.png to refresh the README's
# picture.
set -euo pipefail
cd "$(dirname "$0")/.."
tool="${BUILD_DIR:-build}/renamer/window/nomvary-screenshot"
target="${1:-${BUILD_DIR:-build}/nomvary.png}"

if [ ! -x "$tool" ]; then
  echo "screenshot: $tool is not built yet; run 'make build' first." >&2
  exit 1
fi
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "screenshot: xvfb-run is missing; run scripts/install-deps.sh (package xvfb)." >&2
  exit 1
fi

mkdir -p "$(dirname "$target")"
runtime="$(mktemp -d)"
trap 'rm -rf "$runtime"' EXIT
# A fixed scale, so the picture does not depend on the caller's screen settings.
env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=1 XDG_RUNTIME_DIR="$runtime" \
  xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$tool" "$target"
echo "screenshot: wrote $target"
