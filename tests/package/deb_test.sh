#!/bin/sh
# The Debian package, end to end: CPack makes it from the build's binaries, dpkg installs it into
# a throw-away root, the installed corvane-run plays a demo with the installed font data file,
# the installed vrncc compiles a program with the installed headers and runtime, and dpkg removes
# it leaving no file behind. With `lintian` as first argument: lintian reports no error on it.
# Usage: deb_test.sh package|lintian|install BUILD_DIR WORK_DIR
set -eu
mode=$1 build=$2 work=$3

fail() { echo "deb_test: $*" >&2; exit 1; }

deb() { ls "$work"/pkg/corvane_*_amd64.deb 2>/dev/null | head -n 1; }

case $mode in
  package)
    rm -rf "$work" && mkdir -p "$work"
    cpack --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1 ||
      { cat "$work/cpack.log" >&2; fail "cpack failed"; }
    [ -n "$(deb)" ] || fail "no corvane_<version>_amd64.deb in $work/pkg"
    ;;
  lintian)
    command -v lintian >/dev/null || { echo "lintian is not installed"; exit 77; }
    # Errors only: warnings (no manual pages yet) do not fail the package.
    lintian --tag-display-limit 0 "$(deb)" >"$work/lintian.log" 2>&1 || true
    cat "$work/lintian.log"
    if grep -q '^E: ' "$work/lintian.log"; then fail "lintian reports errors"; fi
    ;;
  install)
    root="$work/root"
    rm -rf "$root" && mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
    : >"$root/var/lib/dpkg/status"
    # The root has no packages of its own: the libraries the package depends on are the build
    # machine's, so dependencies are not checked there.
    dpkg --root="$root" --force-depends --force-not-root -i "$(deb)" >"$work/dpkg.log" 2>&1 ||
      { cat "$work/dpkg.log" >&2; fail "dpkg -i failed"; }
    for f in usr/bin/corvane usr/bin/corvane-run usr/bin/vrncc usr/bin/vrnasm usr/bin/vrndis \
      usr/bin/vrndbg usr/share/corvane/duzezi.dat usr/share/corvane/showcase.vrn \
      usr/share/corvane/demos/snake.vrn usr/share/corvane/vrncc/include/stdio.h \
      usr/share/corvane/vrncc/runtime/stdio.c usr/share/applications/corvane.desktop \
      usr/share/mime/packages/corvane-vrn.xml usr/share/doc/corvane/copyright \
      usr/share/doc/corvane/changelog.gz usr/share/doc/corvane/README.md; do
      [ -e "$root/$f" ] || fail "not installed: /$f"
    done

    # The installed runner on the installed showcase: Esc on its menu ends it (status 0). It
    # finds the font data file in <root>/usr/share/corvane and nowhere else.
    env -u CORVANE_HOME "$root/usr/bin/corvane-run" --keys 2:esc --lcd "$work/menu.pbm" \
      "$root/usr/share/corvane/showcase.vrn" || fail "the installed corvane-run did not run the showcase"
    [ -s "$work/menu.pbm" ] || fail "no LCD picture from the installed corvane-run"

    # The installed compiler with the installed headers: a mark added to the installed stdio.h
    # shows they are the ones read, and the program prints through the installed runtime.
    echo '#define CORVANE_INSTALLED_HEADERS 1' >>"$root/usr/share/corvane/vrncc/include/stdio.h"
    cat >"$work/hello.c" <<'PROGRAM'
#include <stdio.h>
#ifndef CORVANE_INSTALLED_HEADERS
#error not the installed headers
#endif
int main(void) {
    printf("hello %d\n", 6 * 7);
    return 0;
}
PROGRAM
    "$root/usr/bin/vrncc" "$work/hello.c" -o "$work/hello.vrn" || fail "the installed vrncc failed"
    out=$(env -u CORVANE_HOME "$root/usr/bin/corvane-run" --stdout "$work/hello.vrn")
    [ "$out" = "hello 42" ] || fail "the compiled program printed '$out'"

    dpkg --root="$root" --force-not-root --purge corvane >>"$work/dpkg.log" 2>&1 ||
      { cat "$work/dpkg.log" >&2; fail "dpkg --purge failed"; }
    left=$(find "$root/usr" -mindepth 1 -not -type d 2>/dev/null | head -n 5)
    [ -z "$left" ] || fail "left after removal: $left"
    dpkg --root="$root" -s corvane >/dev/null 2>&1 && fail "still installed after removal"
    rm -rf "$root" "$work/hello.c" "$work/hello.vrn" "$work/menu.pbm"
    echo "installed, used and removed: $(basename "$(deb)")"
    ;;
  *) fail "unknown mode $mode" ;;
esac
