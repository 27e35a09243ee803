#!/bin/sh
# Builds the Debian package build-package/zandrel_<version>_amd64.deb: the
# game (in /usr/games, as Debian keeps games), its data, desktop entry,
# metainfo, icons and man page, with its dependencies worked out from the
# libraries the binary links.
set -e
cd "$(dirname "$0")/.."
sh tools/install-deps.sh --package
build=build-package
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games \
    -DZANDREL_TESTS=OFF -DZANDREL_BENCH=OFF -DZANDREL_TOOLS=OFF -DZANDREL_SOURCE_DATA=OFF >/dev/null
cmake --build "$build" --target zandrel zandrel_docs -j"$(nproc)"
rm -f "$build"/zandrel_*.deb
(cd "$build" && fakeroot cpack -G DEB >/dev/null)
ls "$build"/zandrel_*_amd64.deb
