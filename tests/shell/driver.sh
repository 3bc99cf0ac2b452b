# Uses the shell function as a user's shell would: sources the integration
# file, enters the start folder and calls tavrel TAVREL_TEST_STEPS times
# with the driver's arguments, recording after each call what it printed,
# its status and where the shell is. The harness sources this in bash, zsh
# or dash, after the shell options of the run. With TAVREL_TEST_CD_FUNCTION
# set, a function named cd stands in the way of the shell's own; with
# TAVREL_TEST_NAMES set, the shell's names are listed before the
# integration file and after the calls.
# shellcheck shell=sh disable=SC1090,SC3044 # compgen runs in bash only
results=$TAVREL_TEST_RESULTS
step=0
code=0

record() {
  printf '%s\n' "$1" >"$results/$step.status"
  printf '%s\n' "$PWD" >"$results/$step.pwd"
  /bin/pwd -P >"$results/$step.physical"
}

# One line per variable, function and alias, sorted.
names() {
  if [ -n "${BASH_VERSION-}" ]; then
    compgen -v | sed 's/^/variable /'
    compgen -A function | sed 's/^/function /'
    compgen -a | sed 's/^/alias /'
  elif [ -n "${ZSH_VERSION-}" ]; then
    eval 'print -rl -- ${(k)parameters}' | sed 's/^/variable /'
    eval 'print -rl -- ${(k)functions}' | sed 's/^/function /'
    eval 'print -rl -- ${(k)aliases}' | sed 's/^/alias /'
  else
    set | sed -n 's/^\([A-Za-z_][A-Za-z0-9_]*\)=.*/variable \1/p'
  fi | LC_ALL=C sort
}

cd "$TAVREL_TEST_START" || exit 90
if [ -n "${TAVREL_TEST_CD_FUNCTION-}" ]; then
  cd() {
    echo "a function named cd ran" >&2
    return 97
  }
fi
[ -z "${TAVREL_TEST_NAMES-}" ] || names >"$results/names.before"
. "$TAVREL_TEST_INTEGRATION"
while [ "$step" -lt "$TAVREL_TEST_STEPS" ]; do
  step=$((step + 1))
  # A failing call ends a shell run with set -e here, with its status.
  tavrel "$@" >"$results/$step.out" 2>"$results/$step.err"
  code=$?
  record "$code"
done
[ -z "${TAVREL_TEST_NAMES-}" ] || names >"$results/names.after"
