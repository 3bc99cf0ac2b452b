# Tavrel shell integration for bash, zsh and dash.
#
# Source this file from the shell's start-up file:
#   bash: ~/.bashrc         . /usr/share/tavrel/tavrel.sh
#   zsh:  ~/.zshrc          . /usr/share/tavrel/tavrel.sh
#   dash: the file that $ENV names
#
# A program cannot change the directory of the shell that started it, so
# this defines one function, tavrel, that does it for the command: it runs
# the installed tavrel with the arguments as typed, prints its output
# unchanged and, when the command has moved to a sibling directory, moves
# the shell into the same sibling. The name is read from the command's
# line; the clipboard is left alone. Its status is the command's, or that
# of the change of directory when that fails.

# shellcheck shell=sh disable=SC3043 # local: bash, zsh and dash all have it
tavrel() {
  local tavrel_output tavrel_status tavrel_name tavrel_end
  tavrel_status=0
  # The x after the output keeps the line end, which a command
  # substitution would strip; the status is carried out of it by exit.
  tavrel_output="$(
    tavrel_status=0
    command tavrel "$@" || tavrel_status=$?
    printf x
    exit "$tavrel_status"
  )" || tavrel_status=$?
  tavrel_output="${tavrel_output%x}"
  # Like the command itself, a failed write does not stop the move.
  printf '%s' "$tavrel_output" || :

  # The whole output is the line: a name may hold line ends of its own.
  # Every expansion is quoted, also where sh would not need it, so that
  # zsh's glob_subst finds no pattern or ~ in a name.
  tavrel_end=")$(printf '\r')
"
  case "$tavrel_output" in
    "Moving to next directory ("?*"$tavrel_end")
      tavrel_name="${tavrel_output#"Moving to next directory ("}" ;;
    "Looping back to start ("?*"$tavrel_end")
      tavrel_name="${tavrel_output#"Looping back to start ("}" ;;
    *)
      return "$tavrel_status" ;;
  esac
  tavrel_name="${tavrel_name%"$tavrel_end"}"

  # The command went up from its physical directory, so ".." is resolved
  # physically here too (-P): a folder entered through a symbolic link
  # still reaches the sibling it chose. A path starting with ".." is never
  # looked up in CDPATH, and the shell's own cd runs even where a function
  # named cd has been defined.
  if [ -n "${ZSH_VERSION-}" ]; then
    builtin cd -P "../$tavrel_name" || return
  else
    command cd -P "../$tavrel_name" || return
  fi
  return "$tavrel_status"
}
