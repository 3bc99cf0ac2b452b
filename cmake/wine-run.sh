#!/bin/sh
# Runs a Windows program under Wine in the given prefix:
#   wine-run.sh PREFIX PROGRAM [ARGUMENT...]
# Wine maps non-ASCII file names only under a UTF-8 locale, and its ANSI
# code page is then 1252. Without a display a message box returns at once.
set -eu
prefix=$1
shift
export WINEPREFIX="$prefix" WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
exec wine "$@"
