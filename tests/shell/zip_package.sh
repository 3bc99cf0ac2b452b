#!/bin/bash
# The Windows zip: built from the build tree with CPack, unpacked, and the
# tavrel.exe in it, run under Wine from where it was unpacked, walks three
# siblings:
#   zip_package.sh CPACK BUILD_DIR RUNNER
# RUNNER is the command that runs a Windows program (Wine's wrapper with
# its prefix).
set -u
cpack=$1
build=$2
runner=$3
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! "$cpack" --config "$build/CPackConfig.cmake" -G ZIP -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack could not build the zip" >&2
  exit 1
fi
zips=("$work"/out/*.zip)
if [ "${#zips[@]}" -ne 1 ] || [ ! -f "${zips[0]}" ]; then
  echo "FAIL: wanted one .zip, found: ${zips[*]}" >&2
  exit 1
fi

mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "${zips[0]}") || fail "the zip does not unpack"
top=$work/unpacked/$(basename "${zips[0]}" .zip)
(cd "$work/unpacked" && find . -type f | LC_ALL=C sort) >"$work/files"
printf '%s\n' "./$(basename "$top")/"{LICENSE,README.md,tavrel.exe} >"$work/wanted"
cmp -s "$work/files" "$work/wanted" || fail "the zip holds $(tr '\n' ' ' <"$work/files")"

if [ -f "$top/tavrel.exe" ]; then
  tree=$work/three
  mkdir -p "$tree/Alpha" "$tree/Beta" "$tree/Gamma"
  for step in "Alpha:Moving to next directory (Beta)" "Beta:Moving to next directory (Gamma)" \
    "Gamma:Looping back to start (Alpha)"; do
    dir=${step%%:*}
    # shellcheck disable=SC2086 # the runner is a command with arguments
    (cd "$tree/$dir" && $runner "$top/tavrel.exe" >"$work/printed" </dev/null) || fail "in $dir: exit code $?"
    printf '%s\r\n' "${step#*:}" >"$work/expected"
    cmp -s "$work/printed" "$work/expected" || fail "in $dir: printed $(od -An -c "$work/printed" | head -c 300)"
  done
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures failed" >&2
  exit 1
fi
echo "all passed"
