#!/bin/bash
# Checks a built package: the file name carries the project's version, the
# package lists the game, its data and the desktop's files, its dependencies
# come from the libraries the binary links, lintian finds nothing even with
# --pedantic -I, and the game is built with Debian's hardening flags.
#
# package_test.sh DEB VERSION
set -u
deb=$1
version=$2
fail() { echo "FAIL: $*"; exit 1; }

[ "$(basename "$deb")" = "zandrel_${version}_amd64.deb" ] || fail "the package is named $(basename "$deb")"
listing=$(dpkg-deb -c "$deb" | awk '{ print $NF }') || fail "dpkg-deb cannot read $deb"
for file in ./usr/games/zandrel ./usr/share/zandrel/graphics/title.bmp ./usr/share/zandrel/sounds/startup.wav \
    ./usr/share/applications/zandrel.desktop ./usr/share/metainfo/io.github.zandrel.Zandrel.metainfo.xml \
    ./usr/share/icons/hicolor/{48x48,64x64,128x128,256x256}/apps/zandrel.png \
    ./usr/share/man/man6/zandrel.6.gz ./usr/share/doc/zandrel/copyright ./usr/share/doc/zandrel/changelog.gz; do
    grep -qxF "$file" <<<"$listing" || fail "the package lacks $file"
done
art_files=$(ls "$(dirname "$0")/../../graphics" | wc -l)
[ "$(grep -c '^./usr/share/zandrel/graphics/.*\.bmp$' <<<"$listing")" -eq "$art_files" ] || fail "the package lacks art files"
[ "$(grep -c '^./usr/share/zandrel/sounds/.*\.wav$' <<<"$listing")" -eq 15 ] || fail "the package lacks sound files"
echo "ok: dpkg-deb lists the game, its data and the desktop's files"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libglut3.12 libopenal1 libx11-6 libc6; do
    grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done
echo "ok: Depends: $depends"

tags=$(lintian --pedantic -I "$deb") || fail "lintian reports errors: $tags"
[ -z "$tags" ] || fail "lintian --pedantic -I reports: $tags"
echo "ok: lintian --pedantic -I reports nothing"

# Built with Debian's hardening flags.
binary=$(mktemp -d)
trap 'rm -rf "$binary"' EXIT
dpkg-deb -x "$deb" "$binary"
dynamic=$(readelf -d -h "$binary/usr/games/zandrel")
grep -q 'Position-Independent Executable' <<<"$dynamic" || fail "the game is not a position-independent executable"
grep -q 'BIND_NOW' <<<"$dynamic" || fail "the game is not linked with -z now"
readelf -l "$binary/usr/games/zandrel" | grep -q GNU_RELRO || fail "the game is not linked with -z relro"
nm -D "$binary/usr/games/zandrel" | grep -q '__stack_chk_fail' || fail "the game is built without the stack protector"
nm -D "$binary/usr/games/zandrel" | grep -q '_chk@' || fail "the game is built without _FORTIFY_SOURCE"
echo "ok: built with fortify, stack protector, relro, bind-now and PIE"
