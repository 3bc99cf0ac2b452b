#!/bin/bash
# The navigation run on real trees: the exact outcome line and exit code 0.
. "$(dirname "$0")/common.sh"

# expect DIR LINE : runs tavrel in DIR and wants exactly LINE, CR LF ended.
expect() {
  local dir=$1 line=$2
  (cd "$dir" && run)
  status=$?
  printf '%s\r\n' "$line" >"$work/expected"
  if ! cmp -s "$work/out" "$work/expected"; then
    fail "in ${dir#"$work"/}: got $(od -An -c "$work/out" | tr -s ' ' | head -c 300)"
  fi
}

# run writes into $work/out from a subshell, so take the status from there.
run() {
  # shellcheck disable=SC2086
  $runner "$program" >"$work/out" </dev/null
  local code=$?
  [ "$code" -eq 0 ] || echo "FAIL: exit code $code in $PWD" >&2
  [ "$code" -eq 0 ]
}

# Three siblings, with a file, a hidden folder and a link among them.
t=$work/three
mkdir -p "$t/Alpha" "$t/Beta" "$t/Gamma" "$t/.hidden"
touch "$t/Aardvark.txt" "$t/Beta2"
expect "$t/Alpha" "Moving to next directory (Beta)"
expect "$t/Beta" "Moving to next directory (Gamma)"
expect "$t/Gamma" "Looping back to start (Alpha)"
expect "$t/.hidden" "Error parsing directory list. Oops"

# Folders with the hidden or the system attribute are never siblings.
if [ "$host" = windows ]; then
  mkdir "$t/Hid" "$t/Sys"
  windows_t="Z:${t//\//\\}"
  $runner attrib +h "$windows_t\\Hid" </dev/null >/dev/null || fail "attrib +h"
  $runner attrib +s "$windows_t\\Sys" </dev/null >/dev/null || fail "attrib +s"
  expect "$t/Hid" "Error parsing directory list. Oops"
  expect "$t/Sys" "Error parsing directory list. Oops"
  expect "$t/Gamma" "Looping back to start (Alpha)"
fi

# A symbolic link to a directory is a sibling like any other.
ln -s Alpha "$t/Delta"
expect "$t/Beta" "Moving to next directory (Delta)"
# Standing in the link: Windows keeps the link's name in the current
# directory, a POSIX process sees the physical folder it leads to.
if [ "$host" = windows ]; then after_delta=Gamma; else after_delta=Beta; fi
expect "$t/Delta" "Moving to next directory ($after_delta)"

# The only sibling: back into itself.
mkdir -p "$work/solo/Only"
expect "$work/solo/Only" "Looping back to start (Only)"

# Case differences collate together; the listing's own case is printed.
c=$work/case
mkdir -p "$c/apple" "$c/Banana" "$c/cherry"
expect "$c/apple" "Moving to next directory (Banana)"
expect "$c/Banana" "Moving to next directory (cherry)"

# Spaces and letters outside ASCII, printed in the host's code page.
n=$work/names
mkdir -p "$n/My Folder" "$n/Zulu" "$n/Äpfel"
if [ "$host" = windows ]; then apfel=$'\xC4pfel'; else apfel='Äpfel'; fi
expect "$n/My Folder" "Moving to next directory (Zulu)"
expect "$n/Zulu" "Moving to next directory ($apfel)"
expect "$n/Äpfel" "Looping back to start (My Folder)"

# The root: nothing matches its empty leaf.
expect / "Error parsing directory list. Oops"

finish
