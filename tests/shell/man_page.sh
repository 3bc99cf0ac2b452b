#!/bin/bash
# The manual page formats without a single warning and documents what the
# command prints:
#   man_page.sh PAGE
. "$(dirname "$0")/../support/checks.sh"
page=$1
require groff man

# All of groff's warnings, then man's own run of the page.
groff -ww -man -z "$page" 2>"$work/groff.err" || fail "groff exited with $?"
[ -s "$work/groff.err" ] && fail "groff warns: $(cat "$work/groff.err")"
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" >"$work/page" 2>"$work/man.err" ||
  fail "man exited with $?"
[ -s "$work/man.err" ] && fail "man warns: $(cat "$work/man.err")"

for section in NAME SYNOPSIS DESCRIPTION CLIPBOARD "EXIT STATUS" "SHELL INTEGRATION" EXAMPLES; do
  grep -qx "$section" "$work/page" || fail "no section $section"
done
# The lines exactly as the command prints them, and both clipboard texts.
for text in "Moving to next directory (NAME)" "Looping back to start (NAME)" \
  "Error parsing directory list. Oops" "cd \"..\\NAME\"" "cd -P '../NAME'"; do
  grep -qF -- "$text" "$work/page" || fail "the page does not show: $text"
done
long=$(awk 'length > 80' "$work/page")
[ -z "$long" ] || fail "lines wider than 80 columns: $long"

finish
