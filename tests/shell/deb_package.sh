#!/bin/bash
# The Debian package of the POSIX build: built from the build tree with
# CPack, inspected, unpacked into a temporary folder (the machine's own
# /usr is left alone), and the tavrel and shell function in it walk three
# siblings:
#   deb_package.sh CPACK BUILD_DIR
. "$(dirname "$0")/../support/checks.sh"
cpack=$1
build=$2
here=$(cd "$(dirname "$0")" && pwd -P)
require dpkg-deb dpkg

build_package "$cpack" "$build" DEB deb
deb=$package

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = tavrel ] || fail "package name $(field Package)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture $(field Architecture)"
# The program links the C and C++ run-time libraries: the package must
# depend on them.
case ", $(field Depends)" in
  *", libc6 "* | *", libc6,"*) ;;
  *) fail "no dependency on libc6: [$(field Depends)]" ;;
esac
case ", $(field Depends)" in
  *", libstdc++6 "* | *", libstdc++6,"*) ;;
  *) fail "no dependency on libstdc++6: [$(field Depends)]" ;;
esac

# Every file where the installation puts it, owned by root, the program
# executable and the rest not.
dpkg-deb --contents "$deb" >"$work/contents"
while read -r mode path; do
  found=$(awk -v p="./$path" '$6 == p { print $1, $2 }' "$work/contents")
  if [ -z "$found" ]; then
    fail "the package lacks /$path"
    continue
  fi
  [ "${found% *}" = "$mode" ] || fail "/$path has mode ${found% *}, wanted $mode"
  [ "${found#* }" = root/root ] || fail "/$path is owned by ${found#* }"
done <<'LIST'
-rwxr-xr-x usr/bin/tavrel
-rw-r--r-- usr/share/man/man1/tavrel.1
-rw-r--r-- usr/share/tavrel/tavrel.sh
-rw-r--r-- usr/share/tavrel/tavrel.fish
-rw-r--r-- usr/share/doc/tavrel/README.md
-rw-r--r-- usr/share/doc/tavrel/LICENSE
LIST

mkdir "$work/root"
dpkg-deb --extract "$deb" "$work/root" || fail "dpkg-deb could not unpack the package"
if [ -x "$work/root/usr/bin/tavrel" ]; then
  bash "$here/shell_integration.sh" bash "$work/root/usr/bin/tavrel" "$work/root/usr/share/tavrel" walk ||
    fail "the packaged tavrel and shell function do not walk three siblings"
fi

finish
