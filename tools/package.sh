#!/bin/sh
# Builds the Debian package build-package/zandrel_<version>_amd64.deb: the
# game (in /usr/games, as Debian keeps games), its data, desktop entry,
# metainfo, icons and man page, with its dependencies worked out from the
# libraries the binary links. Then, from the same build, the meeting server's
# package build-package/zandrel-server_<version>_amd64.deb.
set -e
cd "$(dirname "$0")/.."
sh tools/install-deps.sh --package
build=build-package
# Debian's hardening: fortified sources, stack protector, full RELRO with
# immediate binding, and a position-independent executable (GCC's default).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games \
    -DCMAKE_C_FLAGS="$cppflags $(dpkg-buildflags --get CFLAGS)" \
    -DCMAKE_CXX_FLAGS="$cppflags $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" -DCMAKE_POSITION_INDEPENDENT_CODE=ON \
    -DZANDREL_TESTS=OFF -DZANDREL_BENCH=OFF -DZANDREL_TOOLS=OFF -DZANDREL_SOURCE_DATA=OFF >/dev/null
cmake --build "$build" --target zandrel zandrel_docs -j"$(nproc)"
# As dh_strip does: the compilers' notes are of no use at run time.
objcopy --remove-section=.comment "$build/zandrel"
rm -f "$build"/zandrel_*.deb
(cd "$build" && fakeroot cpack -G DEB >/dev/null)
ls "$build"/zandrel_*_amd64.deb

# The meeting server's package: its own CPack settings, the same build.
cmake --build "$build" --target zandrel-server zandrel_server_docs -j"$(nproc)"
objcopy --remove-section=.comment "$build/zandrel-server"
rm -f "$build"/zandrel-server_*.deb
(cd "$build" && fakeroot cpack --config CPackServerConfig.cmake >/dev/null)
ls "$build"/zandrel-server_*_amd64.deb
