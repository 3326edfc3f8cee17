#!/usr/bin/env bash
# Installs what is missing, builds the programs, and runs the wizard. Without
# arguments it opens a new variation of a Verilog demo design in ./demo
# (ignored by git), so that Finish also writes the core; with no display it
# writes that variation, the core and its testbench with codexel-gen instead.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps
build_dir=${CODEXEL_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" --target codexel codexel-gen

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # Headless: the demo variation without the pages.
  if [ $# -ne 0 ]; then
    echo "run.sh: no display available (DISPLAY and WAYLAND_DISPLAY are not set); cannot open the wizard." >&2
    echo "run.sh: $build_dir/bin/codexel-gen makes a variation without the pages (see its --help)." >&2
    exit 1
  fi
  mkdir -p demo
  echo "run.sh: no display available; generating the demo variation with codexel-gen" >&2
  echo "run.sh: (simulate it: cd demo && iverilog -g2005 -o sim rsdemo.v rsdemo_tb.v && vvp sim). Files written:" >&2
  exec "$build_dir/bin/codexel-gen" --symbol --hdl --testbench "$PWD/demo/rsdemo.v"
fi

if [ $# -eq 0 ]; then
  mkdir -p demo
  set -- -n -symbol "$PWD/demo/rsdemo.v"
fi

exec "$build_dir/bin/codexel" "$@"
