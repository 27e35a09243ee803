#!/bin/sh
# Installs the Debian 12 packages that building, playing and testing need,
# skipping the ones already present. Runs as root or through sudo.
set -e
packages="g++ cmake make git pkg-config freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri
libopenal-dev libopenal1 libglm-dev libgtest-dev libgmock-dev libbenchmark-dev
xvfb xauth xdotool imagemagick x11-apps clang libclang-rt-dev
libfreetype-dev fonts-dejavu-core
libx11-dev zlib1g-dev x11-utils desktop-file-utils appstream dpkg-dev fakeroot file lintian
ffmpeg libsdl2-dev libinih-dev libenet-dev"
if [ "$1" = "--play" ]; then
    packages="g++ cmake make pkg-config freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri libopenal-dev libopenal1
libglm-dev libx11-dev libsdl2-dev libinih-dev libenet-dev"
fi
if [ "$1" = "--package" ]; then
    packages="g++ cmake make pkg-config freeglut3-dev libglu1-mesa-dev libopenal-dev libglm-dev libx11-dev
libsdl2-dev libinih-dev libenet-dev dpkg-dev fakeroot file"
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
