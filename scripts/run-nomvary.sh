#!/usr/bin/env bash
# Starts the Nomvary window from the build tree (`make run` builds it first).
set -euo pipefail
cd "$(dirname "$0")/.."
program="${BUILD_DIR:-build}/renamer/window/nomvary"

if [ ! -x "$program" ]; then
  echo "run-nomvary: $program is not built yet; run 'make build' first." >&2
  exit 1
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat <<MSG
run-nomvary: there is no display here (neither DISPLAY nor WAYLAND_DISPLAY is set),
so the Nomvary window cannot open. To start it under a virtual display:

    xvfb-run -a $program

or, to see a picture of the window, run 'make screenshot' and open ${BUILD_DIR:-build}/nomvary.png.
The console version needs no display: ${BUILD_DIR:-build}/renamer/cli/nomvary-cli --help
MSG
  exit 0
fi

exec "$program" "$@"
