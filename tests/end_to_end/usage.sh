#!/bin/bash
# The usage screen's exact bytes for any argument text, and exit code 0.
. "$(dirname "$0")/common.sh"

printf '%s\r\n' \
  "Tavrel / The Tavrel Authors / tavrel.example.org / authors@tavrel.example.org / Free Software" \
  "" \
  "Usage: Just type 'tavrel'" \
  "Effect: This moves you to the next alphabetical directory. It's the equivalent" \
  "    of typing 'cd ..' and then moving into the next directory alphabetically" \
  "    from where you just started." \
  "" >"$work/usage"

for argument in x '/?' --help $'\t' '' 'x  ' '"' $'\xC3\xA4'; do
  run "$argument"
  [ "$status" -eq 0 ] || fail "argument [$argument]: exit code $status"
  cmp -s "$work/out" "$work/usage" || fail "argument [$argument]: output differs: $(od -c "$work/out" | head -3)"
done

run x y z
cmp -s "$work/out" "$work/usage" || fail "several arguments: output differs"

# No argument text starts the navigation run instead.
mkdir -p "$work/tree/Alpha"
cd "$work/tree/Alpha" && run && cd - >/dev/null
[ "$status" -eq 0 ] || fail "no argument: exit code $status"
cmp -s "$work/out" "$work/usage" && fail "no argument: the usage screen was shown"

finish
