#!/bin/sh
# Creates the test run's Wine prefix and keeps its server running, or stops
# that server:
#   wine-prefix.sh start PREFIX
#   wine-prefix.sh stop PREFIX
# The server is started before any test program so that it never inherits
# a test's pipes.
set -eu
action=$1
prefix=$2
export WINEPREFIX="$prefix" WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
case "$action" in
  start)
    if ! command -v wine >/dev/null 2>&1; then
      echo "wine is not installed: the Windows tests cannot run" >&2
      exit 1
    fi
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$prefix"
    mkdir -p "$prefix"
    wineserver -p </dev/null >/dev/null 2>&1
    wineboot -i </dev/null >/dev/null 2>&1
    # Fails unless Wine can run a program at all.
    wine cmd /c exit 0 </dev/null >/dev/null 2>&1
    ;;
  stop)
    wineserver -k >/dev/null 2>&1 || true
    ;;
  *)
    echo "usage: wine-prefix.sh start|stop PREFIX" >&2
    exit 2
    ;;
esac
