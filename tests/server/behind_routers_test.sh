#!/bin/bash
# Players behind home routers meet through the real server and play scripted
# bouts (net_peer) that a friend watches. Network namespaces make an
# "internet" (documentation addresses only) with the server on it, and three
# homes (private addresses) behind routers doing NAT with nftables: two
# masquerade as most home routers do, one gives every destination a port of
# its own at random, which defeats punching. All of it is made here and
# removed on exit; every wait is bounded.
#
# behind_routers_test.sh SERVER MEET_PEER NET_PEER WORKDIR
set -u
server=$1
peer=$2
net_peer=$3
work=$4
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: making network namespaces and NAT needs root"
    exit 77
fi
for tool in ip nft; do
    command -v $tool >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

tag=zm$$
names="inet srv ra rb rc ha hb hc"
pids=""
ns() { echo "$tag-$1"; }
cleanup() {
    # What "ip netns exec" started, by the pid files (it forks), then itself.
    for f in "$work"/*.pid; do [ -s "$f" ] && kill "$(cat "$f")" 2>/dev/null; done
    for pid in $pids; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    for n in $names; do ip netns del "$(ns "$n")" 2>/dev/null; done
}
trap cleanup EXIT
trap 'exit 1' INT TERM
fail() {
    echo "FAIL: $*"
    for f in "$work"/*.out "$work"/*.err; do
        [ -s "$f" ] && { echo "--- $f"; tail -n 15 "$f"; }
    done
    exit 1
}
run() { local where=$1; shift; ip netns exec "$(ns "$where")" "$@"; }
# spawn NAME WHERE COMMAND...: in the background, its own pid in NAME.pid.
spawn() {
    local name=$1 where=$2
    shift 2
    run "$where" sh -c 'echo $$ >"$0"; exec "$@"' "$work/$name.pid" "$@" >"$work/$name.out" 2>"$work/$name.err" &
    pids="$pids $!"
}

rm -rf "$work"
mkdir -p "$work"
for n in $names; do
    ip netns add "$(ns "$n")" 2>/dev/null || { echo "SKIP: cannot make network namespaces here"; exit 77; }
    run "$n" ip link set lo up
done

# link A IFACE B IFACE: a cable between two namespaces.
link() {
    ip -n "$(ns "$1")" link add "$2" type veth peer name "$4" netns "$(ns "$3")" &&
        ip -n "$(ns "$1")" link set "$2" up && ip -n "$(ns "$3")" link set "$4" up
}
address() { ip -n "$(ns "$1")" addr add "$3" dev "$2"; }
gateway() { ip -n "$(ns "$1")" route add default via "$2"; }

# The internet: one router between the server's network and the homes' providers.
link inet s0 srv eth0 || { echo "SKIP: cannot make virtual links between namespaces here"; exit 77; }
run inet nft add table ip probe 2>/dev/null && run inet nft delete table ip probe ||
    { echo "SKIP: nftables does not work here"; exit 77; }
address inet s0 203.0.113.1/24 && address srv eth0 203.0.113.10/24 && gateway srv 203.0.113.1 ||
    fail "cannot wire the server"
link inet a0 ra wan && address inet a0 198.51.100.1/26 && address ra wan 198.51.100.2/26 && gateway ra 198.51.100.1 &&
    link inet b0 rb wan && address inet b0 198.51.100.65/26 && address rb wan 198.51.100.66/26 &&
    gateway rb 198.51.100.65 && link inet c0 rc wan && address inet c0 192.0.2.1/24 && address rc wan 192.0.2.2/24 &&
    gateway rc 192.0.2.1 || fail "cannot wire the routers"
run inet sysctl -qw net.ipv4.ip_forward=1

# home ROUTER HOST N NAT [FIREWALL]: the home network 10.0.N.0/24 behind its router.
home() {
    link "$1" lan "$2" eth0 && address "$1" lan "10.0.$3.1/24" && address "$2" eth0 "10.0.$3.2/24" &&
        gateway "$2" "10.0.$3.1" || fail "cannot wire home $3"
    run "$1" sysctl -qw net.ipv4.ip_forward=1
    run "$1" nft -f - <<EOF || fail "nftables refuses the rules of home $3"
table ip home {
    chain postrouting { type nat hook postrouting priority srcnat; oifname "wan" $4; }
    ${5:-}
}
EOF
}
# Most home routers let nothing in from outside unless it answers what went out.
firewall='chain input { type filter hook input priority filter; policy drop; iifname != "wan" accept; ct state established,related accept; }
    chain forward { type filter hook forward priority filter; policy drop; iifname "lan" accept; ct state established,related accept; }'
home ra ha 1 "masquerade" "$firewall"
# Without one, a punch that comes before this router's own leaves an entry
# that makes it map the player's punches to another port.
home rb hb 2 "masquerade"
home rc hc 3 "masquerade fully-random" "$firewall"

# wait_for FILE PATTERN SECONDS
wait_for() {
    for _ in $(seq $(($3 * 10))); do
        grep -q -- "$2" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}
# start NAME WHERE ARGS...: a meet_peer in a namespace, in the background.
start() {
    local name=$1 where=$2
    shift 2
    spawn "$name" "$where" "$peer" "$@"
    eval "pid_$name=$!"
}
# finish NAME SECONDS: waits for it to end, and gives its exit status.
finish() {
    local pid
    pid=$(eval echo "\$pid_$1")
    for _ in $(seq $(($2 * 10))); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "$1 did not end within $2 s"
    wait "$pid"
}
# bout NAME WHERE ARGS...: a scripted player or watcher (net_peer), in the background.
bout() {
    local name=$1 where=$2
    shift 2
    spawn "$name" "$where" "$net_peer" --replays "$work/replays-$name" --timeout 60 "$@"
    eval "pid_$name=$!"
}
# same_bout NAME...: each printed the same trace lines, outcome and final hash.
same_bout() {
    local first=$1
    for name in "$@"; do
        grep -v -e '^room: ' -e '^path: ' -e '^replay: ' "$work/$name.out" >"$work/$name.trace"
        grep -q '^outcome: ' "$work/$name.trace" || fail "$name saw no bout to its end"
        cmp -s "$work/$first.trace" "$work/$name.trace" || fail "$name's bout differs from $first's"
    done
}
expect_line() { grep -qxF -- "$2" "$work/$1.out" || fail "$1 did not say '$2'"; }
room_of() { wait_for "$work/$1.out" '^room: ' 10 || fail "$1 opened no room"; sed -n 's/^room: //p' "$work/$1.out"; }

server_at=203.0.113.10:7446
# The scripted players play as fast as their link lets them, far above the 60
# input packets a second of a game, and their watchers come from the same addresses.
spawn server srv "$server" --room-expiry 2 --address-packets 20000
server_pid=$!
wait_for "$work/server.err" "listening on UDP port 7446" 10 || fail "the server did not start"

# Two ordinary routers: the players punch through to each other, and a friend watches the bout.
bout a1 ha --online $server_at --seed 1
code=$(room_of a1)
bout w1 hb --online $server_at --watch "$code"
bout b1 hb --online $server_at --room "$code" --seed 2
finish a1 60 || fail "the opener behind a masquerading router failed"
finish b1 60 || fail "the guest behind a masquerading router failed"
finish w1 60 || fail "the watcher failed"
expect_line a1 "path: direct"
expect_line b1 "path: direct"
same_bout a1 b1 w1
echo "ok: behind masquerading routers the path is direct, and both players and the watcher see the same bout"

# Two players behind one router (here one machine): the address each sees itself at gets through.
start a3 ha --server $server_at --open --messages 20
code=$(room_of a3)
start b3 ha --server $server_at --join "$code" --messages 20
finish a3 30 && finish b3 30 || fail "two players behind one router did not meet"
expect_line b3 "path: direct"
echo "ok: behind one router the path is direct"

# A router with a port per destination: the bout goes through the server, while
# a third player is turned away and garbage floods the server from the internet.
bout a2 ha --online $server_at --seed 3
code=$(room_of a2)
bout c2 hc --online $server_at --room "$code" --seed 4
bout w2 hb --online $server_at --watch "$code"
wait_for "$work/c2.out" '^path: ' 15 || fail "no path behind the randomising router"
start flood inet --flood $server_at --count 30000 --timeout 6
bout d2 hb --online $server_at --room "$code"
finish d2 20 && fail "a third player got into a full room"
expect_line d2 "session ended: Room $code already has two players."
finish flood 20 || fail "the server answered the flood with more than it sent"
finish a2 60 || fail "the opener of the relayed room failed"
finish c2 60 || fail "the guest behind the randomising router failed"
finish w2 60 || fail "the watcher of the relayed room failed"
expect_line a2 "path: relayed"
expect_line c2 "path: relayed"
same_bout a2 c2 w2
echo "ok: behind a randomising router the bout is relayed and agrees; the flood and a third player change nothing"
cat "$work/flood.out"

# A wrong code, and a room gone once empty for its expiry.
wrong=ACDEFH
[ "$code" = $wrong ] && wrong=ACDEFJ
bout wrong hb --online $server_at --room $wrong
finish wrong 20 && fail "a wrong code got in"
expect_line wrong "session ended: There is no room $wrong on the server: the code is wrong or the room has expired."
start a4 ha --server $server_at --open --quit-when-open
code=$(room_of a4)
finish a4 10 || fail "the opener that leaves failed"
wait_for "$work/server.err" "room $code expired" 10 || fail "the empty room did not expire"
bout expired hb --online $server_at --room "$code"
finish expired 20 && fail "an expired room let a player in"
expect_line expired "session ended: There is no room $code on the server: the code is wrong or the room has expired."
echo "ok: a wrong code and an expired room are told apart from nothing, and said"

kill -TERM "$(cat "$work/server.pid")"
for _ in $(seq 50); do kill -0 $server_pid 2>/dev/null || break; sleep 0.1; done
wait $server_pid || fail "the server did not stop cleanly"
grep -q "stopping: " "$work/server.err" || fail "the server did not sum up"
lines=$(wc -l <"$work/server.err")
[ "$lines" -lt 60 ] || fail "the server logged $lines lines: one per room event, not per packet"
grep "stopping: " "$work/server.err"
echo "ok: the server logged $lines lines and stopped cleanly"
