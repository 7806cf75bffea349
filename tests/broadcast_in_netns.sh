#!/usr/bin/env bash
# Broadcast inside a network namespace of the test's own (a veth pair with a private
# address and its broadcast address, and a default route over it): tarvikc as a UDP client
# sends to the subnet's broadcast address and to 255.255.255.255, and as a UDP server on
# every address hears a broadcast. Nothing leaves the namespace. Where no namespace can be
# made, the test says why and is skipped (exit 77). Wine makes its sockets in the
# wineserver, so the namespace gets a wineserver of its own: the test's Wine prefix is seen
# through an overlay (a folder the running wineserver does not know, whose writes are
# thrown away), in a mount namespace of the test's own.
# Usage: broadcast_in_netns.sh BUILD_DIR    (in the Wine session of ctest-in-wine.sh)
set -u
BUILD=$(cd "$1" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
if [ "${2:-}" != --inside ]; then
    for how in "-n -m" "-r -n -m"; do
        if unshare $how true 2>/dev/null; then exec unshare $how bash "$0" "$BUILD" --inside; fi
    done
    echo "SKIP: no network namespace can be made here (unshare -n -m and unshare -r -n -m refused);"
    echo "      run the tests as root, or where unprivileged user namespaces are allowed."
    exit 77
fi

# The test's private addresses exist only in a namespace of its own: one that holds
# anything but its loopback interface is the machine's network, and nothing is sent there.
if [ "$(ip -o link show | wc -l)" != 1 ]; then
    echo "FAIL: not in a fresh network namespace; nothing sent"
    exit 1
fi
: "${WINEPREFIX:?run in the Wine session of scripts/ctest-in-wine.sh}"
WORK=$(mktemp -d)
trap 'WINEPREFIX="$WORK/prefix" wineserver -k >/dev/null 2>&1; umount "$WORK/prefix" 2>/dev/null; rm -rf "$WORK"' EXIT
mkdir -p "$WORK/upper" "$WORK/overlay-work" "$WORK/prefix"
mount --make-rprivate /
if ! mount -t overlay overlay -o "lowerdir=$WINEPREFIX,upperdir=$WORK/upper,workdir=$WORK/overlay-work" "$WORK/prefix"; then
    echo "SKIP: no overlay mount here, so the namespace cannot have a wineserver of its own"
    exit 77
fi
export WINEPREFIX="$WORK/prefix"
set -e
ip link set lo up
ip link add tvk0 type veth peer name tvk1
ip addr add 10.213.7.1/24 broadcast 10.213.7.255 dev tvk0
ip addr add 10.213.7.2/24 broadcast 10.213.7.255 dev tvk1
ip link set tvk0 up
ip link set tvk1 up
ip route add default dev tvk0
set +e

cd "$WORK"
cp "$HERE/../data/Tarvik_char2.ini" .
printf '[Tarvik]\r\nmoji_type=1\r\n' | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > Tarvik.ini
macro() { printf '%s\r\n' "$@" | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; }; }
macro "send one datagram" 'SEND "hello"' "PEND" > send.txt
macro "wait for a broadcast" "READ 01 005 080" 'CMPL 01 YES "hello"' "FAIL nothing heard" ":YES" "PEND" > read.txt
TARVIKC="$HERE/../scripts/wine-emulator $BUILD/tarvikc.exe"
failed=0

# Listens on every address of the namespace for one datagram (8 s at most).
listen() {
    python3 - "$1" <<'PY'
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("", int(sys.argv[1])))
s.settimeout(8)
try:
    data, _ = s.recvfrom(100)
    print(data.decode("latin-1"))
except socket.timeout:
    print("<nothing>")
PY
}

for target in 10.213.7.255 255.255.255.255; do
    port=$((40000 + RANDOM % 20000))
    listen "$port" > heard.txt &
    listener=$!
    sleep 0.5
    $TARVIKC --udp-client "$target:$port" --macro send.txt --quiet > out.txt 2>&1
    code=$?
    wait "$listener"
    if [ "$code" = 0 ] && [ "$(cat heard.txt)" = hello ]; then
        echo "PASS: a UDP client's datagram to $target was heard"
    else
        echo "FAIL: to $target: tarvikc exit $code, heard '$(cat heard.txt)'"; cat out.txt; failed=1
    fi
done

port=$((40000 + RANDOM % 20000))
$TARVIKC --udp-server "$port" --macro read.txt --quiet > out.txt 2>&1 &
server=$!
python3 - "$port" <<'PY' &
import socket, sys, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
for _ in range(40):
    s.sendto(b"hello", ("10.213.7.255", int(sys.argv[1])))
    time.sleep(0.2)
PY
sender=$!
wait "$server"
code=$?
kill "$sender" 2>/dev/null
wait "$sender" 2>/dev/null
if [ "$code" = 0 ]; then
    echo "PASS: a UDP server on every address heard a broadcast"
else
    echo "FAIL: the UDP server did not hear the broadcast (exit $code)"; cat out.txt; failed=1
fi
exit $failed
