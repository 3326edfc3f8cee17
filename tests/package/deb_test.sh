#!/usr/bin/env bash
# Checks the Debian package from the outside: unpacked with dpkg -x into a
# temporary root, usr/bin holds only programs (the wizard a link to the real
# one in usr/lib/codexel, its help beside it), the wizard started through the
# link finds its help (installed_help.py, on a virtual X server), codexel-gen
# from there answers --version and generates a decoder variation, and man -l
# renders its man page.
#
# Usage: deb_test.sh FILE.deb
#        deb_test.sh --build BUILD_DIR   (makes the .deb with cpack first)
set -euo pipefail

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "deb_test: $*" >&2; exit 1; }

if [ "${1:-}" = "--build" ]; then
  [ -f "${2:-}/CPackConfig.cmake" ] || fail "no CPackConfig.cmake in '${2:-}'"
  cpack -G DEB --config "$2/CPackConfig.cmake" -B "$tmp/package" >"$tmp/cpack.log" 2>&1 ||
    { cat "$tmp/cpack.log" >&2; fail "cpack failed"; }
  deb=$(find "$tmp/package" -maxdepth 1 -name '*.deb' | head -n 1)
else
  deb=${1:-}
fi
[ -f "$deb" ] || fail "no package file '$deb'"

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libc6 libqt6gui6 libstdc++6 fonts-liberation2; do
  [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done

root="$tmp/root"
dpkg -x "$deb" "$root"
for program in codexel codexel-gen codexel-render-symbol; do
  [ -x "$root/usr/bin/$program" ] || fail "usr/bin/$program is not installed"
done
# Only programs in usr/bin: each entry is, or links to, an executable ELF file.
for entry in "$root"/usr/bin/*; do
  file=$(readlink -f "$entry")
  [[ -f $file && -x $file && $(head -c 4 "$file" | od -An -tx1 | tr -d ' \n') == 7f454c46 ]] ||
    fail "usr/bin/$(basename "$entry") is no program"
done
# The wizard runs from beside its help, through a link that stays in the tree.
program="$root/usr/lib/codexel/codexel"
[ -L "$root/usr/bin/codexel" ] || fail "usr/bin/codexel is no symbolic link"
[ "$(readlink -f "$root/usr/bin/codexel")" = "$(readlink -f "$program")" ] ||
  fail "usr/bin/codexel links to $(readlink "$root/usr/bin/codexel")"
help="$root/usr/lib/codexel/codexel.hlp"
[[ -f $help && ! -x $help ]] || fail "usr/lib/codexel/codexel.hlp is not installed as a data file"
for section in device-type rs-parameters extra-files order-codes summary; do
  grep -q "<a name=\"$section\">" "$help" || fail "the help has no section $section"
done
python3 "$(dirname "$0")/installed_help.py" "$root/usr/bin/codexel" ||
  fail "the installed wizard did not show its help"

gen="$root/usr/bin/codexel-gen"
version=$("$gen" --version)
[ "$version" = "codexel-gen (Codexel V1.00)" ] || fail "--version answered '$version'"

# A decoder variation on a machine without a display.
mkdir "$tmp/work"
listed=$(env -u DISPLAY -u WAYLAND_DISPLAY "$gen" --dvb --decoder --erasures "$tmp/work/rsdec.vhd")
expected=$(printf '%s\n' "$tmp/work/inv_8_285.hex" "$tmp/work/rsdec.vec" "$tmp/work/rsdec.cnx")
[ "$listed" = "$expected" ] || fail "codexel-gen printed: $listed"
grep -qx 'MODULE: rs_eras_dsc' "$tmp/work/rsdec.cnx" || fail "rsdec.cnx has no decoder module line"
grep -q '^SYMBOL: ' "$tmp/work/rsdec.cnx" || fail "rsdec.cnx has no symbol"

page="$root/usr/share/man/man1/codexel-gen.1"
[ -f "$page" ] || fail "the man page is not installed"
text=$(MANWIDTH=80 man -l "$page" 2>"$tmp/man.err") || fail "man -l failed: $(cat "$tmp/man.err")"
[[ $text == *"CODEXEL-GEN(1)"* && $text == *"Reed-Solomon core variation"* && $text == *"EXIT STATUS"* ]] ||
  fail "man -l rendered: $text"

echo "deb_test: $(basename "$deb") passed: Depends: $depends"
