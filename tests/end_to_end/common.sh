# Shared by the end-to-end scripts: run the built command the way its
# build runs, and report failures.
#   HOST RUNNER PROGRAM are the scripts' three arguments: posix or windows,
#   the command that runs a program of that build ("" for none, or Wine's
#   wrapper with its prefix), and the built tavrel.
. "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"
host=$1
runner=$2
program=$3

# run ARGUMENT... : runs tavrel with standard output into $work/out; sets
# $status.
run() {
  # shellcheck disable=SC2086 # the runner is a command with arguments
  $runner "$program" "$@" >"$work/out" </dev/null
  status=$?
}
