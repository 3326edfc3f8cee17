#!/usr/bin/env bash
# Installs what is missing, builds, and runs the wizard. Without arguments it
# opens a new variation of a demo design in ./demo (ignored by git); with no
# display it writes that variation with codexel-gen instead.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps
build_dir=${CODEXEL_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # Headless: the demo variation without the pages.
  if [ $# -ne 0 ]; then
    echo "run.sh: no display available (DISPLAY and WAYLAND_DISPLAY are not set); cannot open the wizard." >&2
    echo "run.sh: $build_dir/bin/codexel-gen makes a variation without the pages (see its --help)." >&2
    exit 1
  fi
  mkdir -p demo
  echo "run.sh: no display available; generating the demo variation with codexel-gen. Files written:" >&2
  exec "$build_dir/bin/codexel-gen" --symbol "$PWD/demo/rsdemo.tdf"
fi

if [ $# -eq 0 ]; then
  mkdir -p demo
  set -- -n -symbol "$PWD/demo/rsdemo.tdf"
fi

exec "$build_dir/bin/codexel" "$@"
