# Shared by the test scripts, which source it: a work folder removed at
# exit, failures counted and reported, the tools a script needs, and a
# package built with CPack.
set -u
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Ends the script: failed when any check failed.
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures failed" >&2
    exit 1
  fi
  echo "all passed"
}

# require TOOL... : ends the script as failed at once when a tool is missing.
require() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "FAIL: $tool is not installed" >&2
      exit 1
    fi
  done
}

# build_package CPACK BUILD_DIR GENERATOR EXTENSION : builds the build
# tree's one package of that generator under $work/out and sets $package
# to it; ends the script as failed unless exactly one comes out.
build_package() {
  local cpack=$1 build=$2 generator=$3 extension=$4
  if ! "$cpack" --config "$build/CPackConfig.cmake" -G "$generator" -B "$work/out" \
    >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack could not build the $generator package" >&2
    exit 1
  fi
  local built=("$work"/out/*."$extension")
  if [ "${#built[@]}" -ne 1 ] || [ ! -f "${built[0]}" ]; then
    echo "FAIL: wanted one .$extension, found: ${built[*]}" >&2
    exit 1
  fi
  package=${built[0]}
}
