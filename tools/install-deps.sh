#!/bin/sh
# Installs the Debian 12 packages that building, playing and testing need,
# skipping the ones already present. Runs as root or through sudo.
# tools/install-deps.sh [--play | --package | --all] [--list]
set -e
# What building the game needs; playing adds the GL and sound drivers, the
# package its tools, the tests everything else.
build="g++ cmake make pkg-config freeglut3-dev libglu1-mesa-dev libopenal-dev libglm-dev libx11-dev
libsdl2-dev libinih-dev libenet-dev"
play="$build libgl1-mesa-dri libopenal1"
package="$build dpkg-dev fakeroot file"
case "$1" in
--play) packages=$play ;;
--package) packages=$package ;;
*) packages="$play $package git libgtest-dev libgmock-dev libbenchmark-dev
xvfb xauth xdotool imagemagick x11-apps x11-utils clang libclang-rt-dev
libfreetype-dev fonts-dejavu-core zlib1g-dev desktop-file-utils appstream lintian ffmpeg iproute2 nftables" ;;
esac
# --list after the mode prints the packages instead of installing them.
if [ "${2:-}" = "--list" ]; then
    echo $packages
    exit 0
fi
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing:$missing"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
