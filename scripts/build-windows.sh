#!/usr/bin/env bash
set -euo pipefail
echo "windows build: not written yet" >&2
