#!/usr/bin/env bash
# Installs what is missing, builds, and runs the wizard. Without arguments it
# opens a new variation of a demo design in ./demo (ignored by git).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps
build_dir=${CODEXEL_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir"

if [ $# -eq 0 ]; then
  mkdir -p demo
  set -- -n -symbol "$PWD/demo/rsdemo.tdf"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display available (DISPLAY and WAYLAND_DISPLAY are not set); cannot open the wizard." >&2
  exit 1
fi

exec "$build_dir/bin/codexel" "$@"
