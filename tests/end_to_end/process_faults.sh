#!/bin/bash
# Faults of the process and of the file system around it. A navigation run
# must still go on to the end and exit with 0: the clipboard text, placed
# after the output line, shows that the run went past a failed print; on
# POSIX the traced chdir calls show the move itself.
. "$(dirname "$0")/common.sh"

# The work tree must be reachable by the unprivileged user below.
chmod 755 "$work"
if [ "$(id -u)" = 0 ]; then
  as_user="setpriv --reuid=65534 --regid=65534 --clear-groups"
else
  as_user=""
fi

if [ "$host" = windows ]; then
  probe=$(dirname "$program")/clipboard_probe.exe
  # Fills the clipboard with something else, so that a stale text from an
  # earlier case never passes for this one's.
  clear_clipboard() {
    # shellcheck disable=SC2086
    $runner "$probe" put-other </dev/null >/dev/null || fail "the probe could not fill the clipboard"
  }
  clipboard_text() {
    # shellcheck disable=SC2086
    $runner "$probe" read-text </dev/null | iconv -f UTF-16LE -t UTF-8 | tr -d '\0'
  }
  cd_text() { printf 'cd "..\\%s"' "$1"; }
  # shellcheck disable=SC2086
  launch() { $runner "$program"; }
  moved_into() { :; }
else
  # A stand-in clipboard tool, first on the search path, that keeps the text.
  mkdir -p "$work/bin"
  printf '#!/bin/sh\ncat >"%s"\n' "$work/clipboard" >"$work/bin/xclip"
  chmod 755 "$work/bin/xclip"
  export PATH="$work/bin:$PATH" DISPLAY=:0
  unset WAYLAND_DISPLAY
  clear_clipboard() { rm -f "$work/clipboard"; }
  clipboard_text() { [ -f "$work/clipboard" ] && cat "$work/clipboard"; }
  # The single-quoted form, a quote in the name written '\''.
  cd_text() { printf "cd -P '../%s'" "${1//\'/\'\\\'\'}"; }
  # The run under strace, which records every chdir into $work/trace;
  # the unprivileged user only when $unprivileged is set.
  launch() {
    local user=""
    [ -n "${unprivileged:-}" ] && user=$as_user
    # shellcheck disable=SC2086
    strace -f -qq -xx -e signal=none -e trace=chdir -o "$work/trace" $user $runner "$program"
  }
  # The name as strace -xx writes it: every byte in hexadecimal.
  traced() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n' | sed 's/../\\x&/g'; }
  # moved_into NAME : the last chdir of the run went into NAME and succeeded.
  moved_into() {
    local last
    last=$(grep 'chdir(' "$work/trace" | tail -n 1)
    [[ "$last" =~ chdir\(\"$(traced "$1" | sed 's/\\/\\\\/g')\"\)\ +=\ 0$ ]] ||
      fail "$case_name: last move into $1 was: $last"
  }
fi

# check NAME CODE EXPECTED_CLIPBOARD : the exit code was 0 and the
# clipboard holds exactly the text; an empty text means none was placed.
check() {
  local got
  case_name=$1
  [ "$2" -eq 0 ] || fail "$case_name: exit code $2"
  got=$(clipboard_text)
  [ "$got" = "$3" ] || fail "$case_name: clipboard [$got], not [$3]"
}

tree=$work/tree
mkdir -p "$tree/Alpha" "$tree/Beta"
cd "$tree/Alpha" || exit 1

# Standard output closed, full, and a pipe whose reader has gone.
clear_clipboard
launch </dev/null >&-
check "output closed" $? "$(cd_text Beta)"
moved_into Beta

if [ -w /dev/full ]; then
  clear_clipboard
  launch </dev/null >/dev/full
  check "output full" $? "$(cd_text Beta)"
  moved_into Beta
fi

# The reader opens the pipe and ends; once it has been waited for, the
# pipe has no reader left.
mkfifo "$work/pipe"
(exec <"$work/pipe") &
reader=$!
exec 4>"$work/pipe"
wait "$reader"
clear_clipboard
launch </dev/null >&4
check "reader gone" $? "$(cd_text Beta)"
moved_into Beta
exec 4>&-

# No standard stream at all. Wine hands a program started so the
# descriptors it opens for itself as its standard handles, and the
# program's output then goes to Wine's own channel: the Windows build is
# started without standard handles by the launcher case below instead.
if [ "$host" != windows ]; then
  clear_clipboard
  launch <&- >&- 2>&-
  check "no standard streams" $? "$(cd_text Beta)"
  moved_into Beta
fi

if [ "$host" = windows ]; then
  # Command lines that no shell produces, and no standard handles, from a
  # launcher: an empty line and an unclosed quotation mark leave no
  # argument text, so the run navigates.
  launcher=$(dirname "$program")/raw_launch.exe
  windows_program="Z:${program//\//\\}"
  for mode in empty unclosed no-handles; do
    clear_clipboard
    # shellcheck disable=SC2086
    $runner "$launcher" "$mode" "$windows_program" </dev/null >"$work/out"
    code=$?
    if [ "$mode" = no-handles ]; then wanted=""; else wanted=$'Moving to next directory (Beta)\r'; fi
    [ "$(cat "$work/out")" = "$wanted" ] || fail "$mode: printed $(od -An -c "$work/out" | head -c 200)"
    check "$mode" "$code" "$(cd_text Beta)"
  done
fi

# expect_line DIR NAME LINE CLIPBOARD : run in DIR (where it stands when
# DIR is empty), the one output line is LINE (CR LF ended) and the
# clipboard holds CLIPBOARD.
expect_line() {
  local dir=$1 line=$3 wanted=$4 code
  case_name=$2
  clear_clipboard
  (if [ -n "$dir" ]; then cd "$dir" || exit 1; fi && launch </dev/null >"$work/out")
  code=$?
  printf '%s\r\n' "$line" >"$work/expected"
  cmp -s "$work/out" "$work/expected" ||
    fail "$case_name: printed $(od -An -c "$work/out" | tr -s ' ' | head -c 200)"
  check "$case_name" "$code" "$wanted"
}

oops="Error parsing directory list. Oops"

# Standing in a directory that has been removed: its name can no longer be
# read, so no sibling matches.
mkdir -p "$work/removed/Gone" "$work/removed/Other"
(
  cd "$work/removed/Gone" && rmdir "$work/removed/Gone" &&
    expect_line "" "removed" "$oops" ""
  exit "$failures"
) || failures=$((failures + 1))

# More than 259 units deep. A Windows process cannot stand there at all:
# Wine starts it in the Windows directory instead.
if [ "$host" = posix ]; then
  deep=$work/deep
  while [ "${#deep}" -le 300 ]; do deep=$deep/level_of_the_tree; done
  mkdir -p "$deep/Alpha" "$deep/Beta"
  expect_line "$deep/Alpha" "deep" "Moving to next directory (Beta)" "$(cd_text Beta)"
  moved_into Beta
fi

# A loop of symbolic links among the siblings leads nowhere and is no
# sibling.
loop=$work/loop
mkdir -p "$loop/Alpha" "$loop/Beta"
ln -s LinkB "$loop/LinkA"
ln -s LinkA "$loop/LinkB"
ln -s Itself "$loop/Itself"
expect_line "$loop/Beta" "link loop" "Looping back to start (Alpha)" "$(cd_text Alpha)"
moved_into Alpha

if [ "$host" = posix ]; then
  # Names that the shell and the terminal treat specially, and a byte
  # that is not UTF-8: each passes through the output and the clipboard
  # unchanged.
  odd=$work/odd
  names=($'A\nnew line' $'B\rreturn' 'C"double' "D'single" $'E\xff\xfebytes')
  for name in "${names[@]}"; do mkdir -p "$odd/$name"; done
  for i in 0 1 2 3; do
    next=${names[$((i + 1))]}
    expect_line "$odd/${names[$i]}" "odd name $i" "Moving to next directory ($next)" "$(cd_text "$next")"
    moved_into "$next"
  done
  expect_line "$odd/${names[4]}" "odd name 4" "Looping back to start (${names[0]})" \
    "$(cd_text "${names[0]}")"
  moved_into "${names[0]}"

  # Permissions hold only for an unprivileged user.
  unprivileged=1
  chmod 777 "$work"

  # A parent that cannot be listed, once not even entered: the move up
  # fails or the listing does, and the run ends with the error line.
  locked=$work/locked
  mkdir -p "$locked/Alpha" "$locked/Beta"
  for mode in 0111 0; do
    chmod "$mode" "$locked"
    expect_line "$locked/Alpha" "parent mode $mode" "$oops" ""
    chmod 755 "$locked"
  done

  # A sibling that cannot be entered is still the next one; the move into
  # it fails and the run goes on.
  closed=$work/closed
  mkdir -p "$closed/Alpha" "$closed/Beta" "$closed/Gamma"
  chmod 0 "$closed/Beta"
  expect_line "$closed/Alpha" "closed sibling" "Moving to next directory (Beta)" "$(cd_text Beta)"
  grep -Eq "chdir\\(\"$(traced Beta | sed 's/\\/\\\\/g')\"\\) += -1 EACCES" "$work/trace" || fail "closed sibling: $(cat "$work/trace")"
  chmod 755 "$closed/Beta"
  unprivileged=""
fi

finish
