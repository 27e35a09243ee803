#!/bin/bash
# The server's command line: help and version, and a bad option or value
# refused with the usage and status 2.
#
# command_line_test.sh SERVER VERSION
set -u
server=$1
version=$2
fail() { echo "FAIL: $*"; exit 1; }

[ "$("$server" --version)" = "zandrel-server $version" ] || fail "--version says $("$server" --version)"
"$server" --help | grep -q -- '--room-expiry SECONDS' || fail "--help lacks --room-expiry"
for args in "--port" "--port 0" "--port 70000" "--max-rooms x" "--room-expiry -1" "--bogus 1" "stray"; do
    # shellcheck disable=SC2086 # the arguments are words
    out=$("$server" $args 2>&1)
    status=$?
    [ "$status" -eq 2 ] || fail "'$args' exits with $status"
    grep -q '^Usage: zandrel-server' <<<"$out" || fail "'$args' prints no usage: $out"
done
out=$("$server" --bind 999.1.1.1 2>&1)
[ $? -eq 1 ] && grep -q 'not an IPv4 address' <<<"$out" || fail "a bad --bind says: $out"
echo "ok: the server's command line"
