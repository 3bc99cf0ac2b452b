#!/bin/bash
# What `make install` does, staged: the POSIX build installed under a
# prefix inside DESTDIR puts each file in its place and nothing outside
# it, and the installed tavrel and shell function walk three siblings:
#   install_layout.sh CMAKE BUILD_DIR
. "$(dirname "$0")/../support/checks.sh"
cmake=$1
build=$2
here=$(cd "$(dirname "$0")" && pwd -P)
prefix=/opt/tavrel-test

if ! DESTDIR=$work/stage "$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  echo "FAIL: the installation failed" >&2
  exit 1
fi

(cd "$work/stage" && find . -type f | LC_ALL=C sort) >"$work/files"
printf '.%s\n' "$prefix"/{bin/tavrel,share/doc/tavrel/LICENSE,share/doc/tavrel/README.md} \
  "$prefix"/{share/man/man1/tavrel.1,share/tavrel/tavrel.fish,share/tavrel/tavrel.sh} >"$work/wanted"
cmp -s "$work/files" "$work/wanted" ||
  fail "installed files differ: $(diff "$work/wanted" "$work/files" | tr '\n' ' ')"

root=$work/stage$prefix
[ -x "$root/bin/tavrel" ] || fail "bin/tavrel is not executable"
if [ -x "$root/bin/tavrel" ]; then
  bash "$here/shell_integration.sh" bash "$root/bin/tavrel" "$root/share/tavrel" walk ||
    fail "the installed tavrel and shell function do not walk three siblings"
fi

finish
