#!/bin/bash
# Under a Windows outside the NT family the command refuses to start: a
# message box (which returns at once without a display), exit code 255 and
# no output at all.
. "$(dirname "$0")/common.sh"

key='HKCU\Software\Wine\AppDefaults\tavrel.exe'
$runner reg add "$key" /v Version /d win98 /f >/dev/null 2>&1 || fail "could not set the Windows version"
trap '$runner reg delete "$key" /f >/dev/null 2>&1; rm -rf "$work"' EXIT

for arguments in "" "x"; do
  # shellcheck disable=SC2086
  run $arguments
  [ "$status" -eq 255 ] || fail "[$arguments]: exit code $status, not 255"
  [ ! -s "$work/out" ] || fail "[$arguments]: printed $(od -c "$work/out" | head -2)"
done

$runner reg delete "$key" /f >/dev/null 2>&1
run x
[ "$status" -eq 0 ] || fail "after the refusal: exit code $status"
[ -s "$work/out" ] || fail "after the refusal: no usage screen"

finish
