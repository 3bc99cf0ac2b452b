#!/bin/bash
# The shell function against a real command on real trees:
#   shell_integration.sh SHELL PROGRAM SHELL_FILES [GROUP...]
# SHELL is bash, zsh, dash or fish; PROGRAM the tavrel to run; SHELL_FILES
# the folder that holds tavrel.sh and tavrel.fish. GROUPs pick the cases
# (walk, symlink, names, usage, error, status, strict, leaks, clipboard);
# all by default.
# shellcheck disable=SC1003,SC2016 # names and arguments are literal text
set -u
shell=$1
program=$2
shell_files=$(cd "$3" && pwd -P)
shift 3
groups=${*:-walk symlink names usage error status strict leaks clipboard}
here=$(cd "$(dirname "$0")" && pwd -P)
failures=0
passes=0

fail() {
  echo "FAIL [$shell]: $*" >&2
  failures=$((failures + 1))
}

if ! command -v "$shell" >/dev/null 2>&1; then
  echo "FAIL: $shell is not installed" >&2
  exit 1
fi
if [ ! -x "$program" ]; then
  echo "FAIL: $program is not an executable" >&2
  exit 1
fi

work=$(mktemp -d)
x_server=
trap '[ -z "$x_server" ] || kill "$x_server" 2>/dev/null; rm -rf "$work"' EXIT
work=$(cd "$work" && pwd -P)

# The function finds the command as "tavrel" on PATH, like an installed one.
mkdir "$work/bin" "$work/stand-in-bin" "$work/home"
ln -s "$(cd "$(dirname "$program")" && pwd -P)/$(basename "$program")" "$work/bin/tavrel"
install -m 755 "$here/stand_in_tavrel.sh" "$work/stand-in-bin/tavrel"

case $shell in
  fish) integration=$shell_files/tavrel.fish ;;
  *) integration=$shell_files/tavrel.sh ;;
esac

# The options a strict script or a user's zsh set; the function must work
# under them.
case $shell in
  bash) strict_options='set -eu -o pipefail; shopt -s inherit_errexit nullglob failglob' ;;
  zsh) strict_options='set -eu; setopt glob_subst sh_word_split ksh_arrays extended_glob rc_quotes' ;;
  *) strict_options='set -eu' ;;
esac

CR=$'\r'
NL=$'\n'
mode=plain
bin=$work/bin
names_wanted=
declare -a extra_env=()

# session START STEPS [ARGUMENT...] : runs a new shell in START that calls
# tavrel STEPS times; the records of call N are $results/N.*, and the
# shell's own exit code is $session_code.
session() {
  local start=$1 steps=$2 strict=
  shift 2
  [ "$mode" = strict ] && strict=1
  results=$work/results
  rm -rf "$results"
  mkdir "$results"
  local -a environment=(env -i "PATH=$bin:/usr/bin:/bin" "HOME=$work/home" LC_ALL=C.UTF-8
    "TAVREL_TEST_RESULTS=$results" "TAVREL_TEST_START=$start" "TAVREL_TEST_STEPS=$steps"
    "TAVREL_TEST_INTEGRATION=$integration" ${names_wanted:+TAVREL_TEST_NAMES=1}
    ${strict:+TAVREL_TEST_CD_FUNCTION=1}
    "${extra_env[@]}")
  case $shell in
    fish)
      "${environment[@]}" fish --no-config "$here/driver.fish" "$@" </dev/null
      ;;
    *)
      local options=
      [ -n "$strict" ] && options=$strict_options
      "${environment[@]}" "$shell" -c "$options"'
        . "$TAVREL_TEST_DRIVER"' tavrel-test "$@" </dev/null
      ;;
  esac
  session_code=$?
}
# The driver's path reaches the shell through its environment as well.
export TAVREL_TEST_DRIVER=$here/driver.sh
extra_env+=("TAVREL_TEST_DRIVER=$TAVREL_TEST_DRIVER")

show() { od -An -c | tr -s ' \n' ' ' | head -c 400; }

# check_step WHAT N OUTPUT_FILE DIRECTORY STATUS : call N printed exactly
# the bytes of OUTPUT_FILE, returned STATUS and left the shell in
# DIRECTORY (a physical path, which $PWD must show as well). STATUS
# "nonzero" stands for any failure.
check_step() {
  local what=$1 n=$2 expected_output=$3 directory=$4 status=$5
  local before=$failures
  if [ ! -f "$results/$n.status" ]; then
    # A strict shell ends with the status of a failing call.
    if [ "$mode" = strict ] && [ "$status" != 0 ] && [ "$session_code" -ne 0 ] &&
      { [ "$status" = nonzero ] || [ "$session_code" -eq "$status" ]; }; then
      cmp -s "$results/$n.out" "$expected_output" 2>/dev/null || fail "$what: printed $(show <"$results/$n.out")"
      [ "$failures" -eq "$before" ] && passes=$((passes + 1))
      return
    fi
    fail "$what: call $n did not return (shell exit code $session_code): $(cat "$results/"*.err 2>/dev/null)"
    return
  fi
  cmp -s "$results/$n.out" "$expected_output" ||
    fail "$what: call $n printed $(show <"$results/$n.out"), wanted $(show <"$expected_output")"
  local returned
  returned=$(cat "$results/$n.status")
  [ "$returned" = "$status" ] || { [ "$status" = nonzero ] && [ "$returned" -ne 0 ]; } ||
    fail "$what: call $n returned $returned, wanted $status; $(cat "$results/$n.err")"
  printf '%s\n' "$directory" >"$work/directory"
  cmp -s "$results/$n.physical" "$work/directory" ||
    fail "$what: after call $n the shell is in $(show <"$results/$n.physical"), wanted $(show <"$work/directory")"
  cmp -s "$results/$n.pwd" "$work/directory" ||
    fail "$what: after call $n \$PWD is $(show <"$results/$n.pwd"), wanted $(show <"$work/directory")"
  [ "$failures" -eq "$before" ] && passes=$((passes + 1))
}

# line PREFIX NAME : writes the command's line for NAME into a new file
# and echoes that file's name.
line() {
  local file
  file=$(mktemp "$work/line.XXXXXX")
  printf '%s%s)\r\n' "$1" "$2" >"$file"
  echo "$file"
}
moving() { line "Moving to next directory (" "$1"; }
looping() { line "Looping back to start (" "$1"; }

# True when name A comes before name B in the command's order: bytes,
# with a to z folded onto A to Z, a prefix before the longer name.
sorts_before() {
  local LC_ALL=C
  local a=${1^^} b=${2^^}
  [[ $a < $b ]]
}

# Three siblings among a file and a hidden folder: the walk goes through
# all three in one shell and wraps round to the first.
group_walk() {
  local t=$work/three
  mkdir -p "$t/Alpha" "$t/Beta" "$t/Gamma" "$t/.hidden"
  touch "$t/Aardvark.txt" "$t/Beta2"
  session "$t/Alpha" 3
  check_step "walk to Beta" 1 "$(moving Beta)" "$t/Beta" 0
  check_step "walk to Gamma" 2 "$(moving Gamma)" "$t/Gamma" 0
  check_step "wrap to Alpha" 3 "$(looping Alpha)" "$t/Alpha" 0
  # The only sibling: back into itself.
  mkdir -p "$work/solo/Only"
  session "$work/solo/Only" 1
  check_step "only sibling" 1 "$(looping Only)" "$work/solo/Only" 0
}

# Entered through a symbolic link, the shell reaches the sibling of the
# real folder, not a folder of the same name beside the link.
group_symlink() {
  local s=$work/symlink
  mkdir -p "$s/real/Alpha" "$s/real/Beta" "$s/real/Gamma" "$s/view/Gamma"
  ln -s ../real/Beta "$s/view/entry"
  session "$s/view/entry" 2
  check_step "through a link" 1 "$(moving Gamma)" "$s/real/Gamma" 0
  check_step "on from there" 2 "$(looping Alpha)" "$s/real/Alpha" 0
}

# Names that break quoting, word splitting, globbing, option parsing,
# printf formats or line handling, each walked into and out of beside a
# plain sibling.
hostile_names=(
  'My Folder' ' lead' 'trail ' $'tab\there' "it's" '"quoted"' "'''"
  '$HOME' '$(touch pwned)' '`touch pwned`' '${x?}' '-' '--' '-P' '-rf'
  '*' '?' '[ab]' '~' '~root' '!' 'a;b&c|d' '<in>' '\' 'back\slash' '\n'
  '%s%n%%' 'x)' '(' ')' ')(' 'a b)' 'Äpfel' '日本' $'\xf0\x9f\x93\x81'
  $'\xff\xfe' $'caf\xe9' $'\xef\x9b\xbf' $'line\nbreak' $'tail\n' $'\nhead'
  $'car\rriage' $'cr\r' $')\r\n' $'x)\r\nMoving to next directory (y'
  $'\x01' $'\x1b[31mred'
)
group_names() {
  local i=0 name parent base
  for name in "${hostile_names[@]}"; do
    i=$((i + 1))
    parent=$work/names/$i
    base=Base
    mkdir -p "$parent/$base" "$parent/$name"
    local into out
    if sorts_before "$base" "$name"; then
      into=$(moving "$name") out=$(looping "$base")
    else
      into=$(looping "$name") out=$(moving "$base")
    fi
    session "$parent/$base" 2
    check_step "into name $i $(printf %q "$name")" 1 "$into" "$parent/$name" 0
    check_step "out of name $i $(printf %q "$name")" 2 "$out" "$parent/$base" 0
  done
  [ -z "$(find "$work" -name pwned)" ] || fail "a name was run as a command"
}

# Any argument text shows the usage screen, which passes through unchanged
# and leaves the shell where it was; an empty argument is argument text.
group_usage() {
  local u=$work/usage argument
  mkdir -p "$u/Alpha" "$u/Beta"
  for argument in x --help '/?' '' ' ' 'a b' '-P' '$HOME'; do
    (cd "$u/Alpha" && "$program" "$argument" >"$work/usage.expected" </dev/null)
    if ! grep -q '^Tavrel / ' "$work/usage.expected"; then
      fail "usage [$argument]: the command itself printed $(show <"$work/usage.expected")"
      continue
    fi
    session "$u/Alpha" 1 "$argument"
    check_step "usage [$argument]" 1 "$work/usage.expected" "$u/Alpha" 0
  done
  (cd "$u/Alpha" && "$program" one two >"$work/usage.expected" </dev/null)
  session "$u/Alpha" 1 one two
  check_step "usage [one two]" 1 "$work/usage.expected" "$u/Alpha" 0
}

# The error line passes through and the shell stays where it was, not in
# the parent where the command ended.
group_error() {
  local e=$work/error
  mkdir -p "$e/Alpha" "$e/.hidden"
  printf 'Error parsing directory list. Oops\r\n' >"$work/error.expected"
  session "$e/.hidden" 1
  check_step "hidden folder" 1 "$work/error.expected" "$e/.hidden" 0
  session / 1
  check_step "the root" 1 "$work/error.expected" / 0
}

# with_stand_in OUTPUT STATUS : the next sessions run the test double,
# which prints the bytes of OUTPUT and exits with STATUS.
with_stand_in() {
  printf '%s' "$1" >"$work/stand-in.output"
  bin=$work/stand-in-bin
  extra_env=("TAVREL_TEST_DRIVER=$TAVREL_TEST_DRIVER"
    "TAVREL_STAND_IN_OUTPUT=$work/stand-in.output" "TAVREL_STAND_IN_STATUS=$2")
}
reset_session() {
  bin=$work/bin
  extra_env=("TAVREL_TEST_DRIVER=$TAVREL_TEST_DRIVER")
}

# The function's status is the command's, or that of a failed cd.
group_status() {
  local s=$work/status
  mkdir -p "$s/Alpha" "$s/Beta"
  : >"$work/empty"
  with_stand_in "" 3
  session "$s/Alpha" 1
  check_step "command status 3, no output" 1 "$work/empty" "$s/Alpha" 3
  with_stand_in "Moving to next directory (Beta)$CR$NL" 5
  session "$s/Alpha" 1
  check_step "command status 5 after a line" 1 "$work/stand-in.output" "$s/Beta" 5
  # A line naming a folder that is not there: cd fails and says so.
  with_stand_in "Moving to next directory (Missing)$CR$NL" 0
  session "$s/Alpha" 1
  check_step "sibling missing" 1 "$work/stand-in.output" "$s/Alpha" nonzero
  if [ -f "$results/1.err" ] && ! grep -q Missing "$results/1.err"; then
    fail "sibling missing: cd said nothing about it"
  fi
  # Only a whole line counts: text after it, or no line end, moves nothing.
  local output
  for output in "Moving to next directory (Beta)$CR${NL}more$CR$NL" \
    "Moving to next directory (Beta)" "Moving to next directory (Beta)$NL" \
    "Moving to next directory ()$CR$NL" "Moving to next directory Beta$CR$NL"; do
    with_stand_in "$output" 0
    session "$s/Alpha" 1
    check_step "not the line: $(printf %q "$output")" 1 "$work/stand-in.output" "$s/Alpha" 0
  done
  reset_session
}

# The same cases in a shell run with set -e and set -u, and where a
# function named cd has been defined.
group_strict() {
  [ "$shell" = fish ] && return
  mode=strict
  group_walk
  group_symlink
  group_names
  group_usage
  group_error
  group_status
  mode=plain
}

# Sourcing the file and using the function adds the function and nothing
# else: no variable, alias or helper function.
group_leaks() {
  local l=$work/leaks
  mkdir -p "$l/Alpha" "$l/Beta"
  names_wanted=1
  session "$l/Alpha" 2
  names_wanted=
  check_step "leaks: there" 1 "$(moving Beta)" "$l/Beta" 0
  check_step "leaks: back" 2 "$(looping Alpha)" "$l/Alpha" 0
  # dash has no way to list its functions: only its variables are compared.
  local added wanted="function tavrel "
  [ "$shell" = dash ] && wanted=
  added=$(LC_ALL=C comm -13 "$results/names.before" "$results/names.after" | tr '\n' ' ')
  [ "$added" = "$wanted" ] || fail "leaks: added [$added], wanted [$wanted]"
  [ -s "$results/names.before" ] || fail "leaks: no names listed"
}

# With a desktop session the command hands its text to a clipboard tool,
# which stays in the background to serve it: the function must still
# return at once and move, and leave the clipboard to the command.
group_clipboard() {
  local tool
  for tool in Xvfb xclip; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      fail "clipboard: $tool is not installed"
      return
    fi
  done
  local c=$work/clipboard
  mkdir -p "$c/Alpha" "$c/Beta"
  Xvfb -displayfd 3 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  x_server=$!
  local tries=0
  while [ ! -s "$work/display" ] && [ "$tries" -lt 100 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  if [ ! -s "$work/display" ]; then
    fail "clipboard: Xvfb did not start"
    return
  fi
  local display
  display=:$(head -n 1 "$work/display")
  extra_env+=("DISPLAY=$display")
  session "$c/Alpha" 1
  check_step "with a clipboard tool" 1 "$(moving Beta)" "$c/Beta" 0
  local pasted
  pasted=$(DISPLAY=$display timeout 10 xclip -selection clipboard -o 2>&1)
  [ "$pasted" = "cd -P '../Beta'" ] || fail "clipboard: holds [$pasted]"
  reset_session
  kill "$x_server"
  wait "$x_server" 2>/dev/null
  x_server=
}

for group in $groups; do
  "group_$group"
done

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
