#!/bin/bash
# The Windows zip: built from the build tree with CPack and unpacked; the
# tavrel.exe in it, run under Wine, passes the navigation runs:
#   zip_package.sh CPACK BUILD_DIR RUNNER
# RUNNER is the command that runs a Windows program (Wine's wrapper with
# its prefix).
. "$(dirname "$0")/../support/checks.sh"
cpack=$1
build=$2
runner=$3

build_package "$cpack" "$build" ZIP zip

mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$package") || fail "the zip does not unpack"
top=$work/unpacked/$(basename "$package" .zip)
(cd "$work/unpacked" && find . -type f | LC_ALL=C sort) >"$work/files"
printf '%s\n' "./$(basename "$top")/"{LICENSE,README.md,tavrel.exe} >"$work/wanted"
cmp -s "$work/files" "$work/wanted" || fail "the zip holds $(tr '\n' ' ' <"$work/files")"

# The packaged program, run from where it was unpacked, passes the same
# navigation runs as the built one, the three-sibling walk first.
if [ -f "$top/tavrel.exe" ]; then
  bash "$(dirname "$0")/../end_to_end/navigation.sh" windows "$runner" "$top/tavrel.exe" ||
    fail "the zip's tavrel.exe fails the navigation runs"
fi

finish
