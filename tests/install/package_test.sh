#!/bin/bash
# Checks a built package: the file name carries the project's version, the
# package lists the game, its data and the desktop's files, its dependencies
# come from the libraries the binary links, lintian finds nothing even with
# --pedantic -I, and the game is built with Debian's hardening flags; the same
# of the meeting server's package when it is given.
#
# package_test.sh DEB VERSION [SERVER_DEB]
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
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
hardened() {
    local binary=$1 name=$2
    dynamic=$(readelf -d -h "$binary")
    grep -q 'Position-Independent Executable' <<<"$dynamic" || fail "$name is not a position-independent executable"
    grep -q 'BIND_NOW' <<<"$dynamic" || fail "$name is not linked with -z now"
    readelf -l "$binary" | grep -q GNU_RELRO || fail "$name is not linked with -z relro"
    nm -D "$binary" | grep -q '__stack_chk_fail' || fail "$name is built without the stack protector"
    nm -D "$binary" | grep -q '_chk@' || fail "$name is built without _FORTIFY_SOURCE"
    echo "ok: $name is built with fortify, stack protector, relro, bind-now and PIE"
}
dpkg-deb -x "$deb" "$unpacked"
hardened "$unpacked/usr/games/zandrel" "the game"

# package_test.sh DEB VERSION SERVER_DEB: the meeting server's package too.
server=${3:-}
[ -n "$server" ] || exit 0
[ "$(basename "$server")" = "zandrel-server_${version}_amd64.deb" ] || fail "the server's package is named $(basename "$server")"
listing=$(dpkg-deb -c "$server" | awk '{ print $NF }') || fail "dpkg-deb cannot read $server"
for file in ./usr/sbin/zandrel-server ./usr/lib/systemd/system/zandrel-server.service \
    ./usr/share/man/man8/zandrel-server.8.gz ./usr/share/doc/zandrel-server/copyright \
    ./usr/share/doc/zandrel-server/changelog.gz; do
    grep -qxF "$file" <<<"$listing" || fail "the server's package lacks $file"
done
grep -q '^./usr/\(games\|share/zandrel\)' <<<"$listing" && fail "the server's package holds the game's files"
echo "ok: dpkg-deb lists the server, its service and its man page"

depends=$(dpkg-deb -f "$server" Depends)
grep -q libenet7 <<<"$depends" || fail "the server's Depends lacks libenet7: $depends"
grep -qE 'libgl|glut|openal|sdl|x11' <<<"$depends" && fail "the server depends on the game's libraries: $depends"
echo "ok: the server's Depends: $depends"

unit=$(dpkg-deb --fsys-tarfile "$server" | tar -xO ./usr/lib/systemd/system/zandrel-server.service)
for line in DynamicUser=yes StateDirectory=zandrel-server ProtectSystem=strict ProtectHome=yes NoNewPrivileges=yes \
    Restart=on-failure; do
    grep -qxF "$line" <<<"$unit" || fail "the service lacks $line"
done
echo "ok: the service runs as a dynamic user, sandboxed, restarted on failure"

tags=$(lintian --pedantic -I "$server") || fail "lintian reports errors on the server's package: $tags"
[ -z "$tags" ] || fail "lintian --pedantic -I reports on the server's package: $tags"
echo "ok: lintian --pedantic -I reports nothing on the server's package"

dpkg-deb -x "$server" "$unpacked"
hardened "$unpacked/usr/sbin/zandrel-server" "the server"
