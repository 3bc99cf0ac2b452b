#!/bin/bash
# The benchmark: makes sibling trees under a temporary folder, times
# tavrel, the floor, ls -f and a shell function over each, and prints one
# table; then the start-up comparison. BUILD is the posix-release build
# folder. ROUNDS and WARMUP set the runs per command.
set -euo pipefail

build=$(cd "${1:?usage: run.sh BUILD}" && pwd)
rounds=${ROUNDS:-21}
warmup=${WARMUP:-3}
seed=20261211
root=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-bench.XXXXXX")
trap 'rm -rf "$root"' EXIT

# What a user would write instead: list the parent's subdirectories, sort
# them, take the one after the current directory, wrapping round.
# shellcheck disable=SC2016
next_sibling='
nextdir() {
  local here=${PWD##*/} first="" take="" d
  while IFS= read -r d; do
    [[ -z $first ]] && first=$d
    if [[ -n $take ]]; then
      echo "Moving to next directory ($d)"
      cd -- "../$d"
      return
    fi
    [[ $d == "$here" ]] && take=1
  done < <(find .. -mindepth 1 -maxdepth 1 -type d -printf "%f\n" | LC_ALL=C sort -f)
  echo "Looping back to start ($first)"
  cd -- "../$first"
}
nextdir'

ms() { awk -v u="$1" 'BEGIN { printf "%.2f", u / 1000 }'; }

printf '%-9s %-15s %10s %17s %8s %10s %10s\n' siblings command "median ms" "min-max ms" "x floor" "peak RSS" allocs
for size in 10 1000 32768 100000; do
  tree="$root/s$size"
  middle=$("$build/bench_make_tree" "$tree" "$size" "$seed")
  here="$tree/$middle"
  results=$("$build/bench_harness" "$rounds" "$warmup" \
    tavrel "$here" "$build/tavrel" \; \
    floor "$here" "$build/bench_floor" \; \
    ls "$here" "$(command -v ls)" -f .. \; \
    function "$here" "$(command -v bash)" --norc --noprofile -c "$next_sibling" \; \
    bash "$here" "$(command -v bash)" --norc --noprofile -c : \;)
  allocs=$(cd "$here" && env -u DISPLAY -u WAYLAND_DISPLAY valgrind "$build/tavrel_dynamic" 2>&1 >/dev/null |
    sed -n 's/.*total heap usage: \([0-9,]*\) allocs.*/\1/p' | tr -d ,)
  field() { awk -v c="$1" -v f="$2" '$1 == c { print $f }' <<<"$results"; }
  floor=$(field floor 2)
  bash_start=$(field bash 2)
  for command in tavrel floor ls function; do
    median=$(field $command 2)
    low=$(field $command 3)
    high=$(field $command 4)
    label=$command
    extra=("" "")
    case $command in
      tavrel) extra=("$(field tavrel 5) KiB" "$allocs") ;;
      ls) label="ls -f" ;;
      function)
        label="bash function*"
        median=$(awk -v a="$median" -v b="$bash_start" 'BEGIN { print a - b }')
        low=$(awk -v a="$low" -v b="$bash_start" 'BEGIN { print a - b }')
        high=$(awk -v a="$high" -v b="$bash_start" 'BEGIN { print a - b }') ;;
    esac
    ratio=$(awk -v a="$median" -v b="$floor" 'BEGIN { printf "%.2f", a / b }')
    printf '%-9s %-15s %10s %17s %8s %10s %10s\n' "$size" "$label" "$(ms "$median")" \
      "$(ms "$low")-$(ms "$high")" "$ratio" "${extra[0]}" "${extra[1]}"
  done
  rm -rf "$tree"
done
echo "* minus bash's own start-up (bash -c :, median $(ms "$bash_start") ms at the last size)"

echo
startup=$("$build/bench_harness" "$rounds" "$warmup" \
  nothing "$root" "$build/bench_nothing" \; \
  usage "$root" "$build/tavrel" x \; \
  usage-dynamic "$root" "$build/tavrel_dynamic" x \;)
nothing=$(awk '$1 == "nothing" { print $2 }' <<<"$startup")
printf '%-28s %10s %17s %8s %10s\n' "start-up" "median ms" "min-max ms" "x null" "peak RSS"
while read -r label median low high peak; do
  case $label in
    nothing) label="static C program, no work" ;;
    usage) label="tavrel x (static)" ;;
    usage-dynamic) label="tavrel x (dynamic)" ;;
  esac
  printf '%-28s %10s %17s %8s %10s\n' "$label" "$(ms "$median")" "$(ms "$low")-$(ms "$high")" \
    "$(awk -v a="$median" -v b="$nothing" 'BEGIN { printf "%.2f", a / b }')" "$peak KiB"
done <<<"$startup"
echo
echo "Rounds: $rounds after $warmup warm-up rounds, commands alternated round by round."
echo "Allocations: heap blocks valgrind counts for one run of the same code linked dynamically."
