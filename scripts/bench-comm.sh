#!/usr/bin/env bash
# Builds Tarvik and measures its receive threads against a bare Winsock loop, both under
# Wine, fed on 127.0.0.1 by a Linux sender: datagrams per second into the UDP server and
# megabytes per second into the TCP server, with the ratio and the longest pause of the
# main window, and the same with a capture to disk running; then the receive buffer the
# sockets ask for and a burst of 20,000 64-byte datagrams with and without it.
# Usage: scripts/bench-comm.sh [seconds per turn, default 2] [rounds, default 4]
# [datagram size, default 32]
# scripts/bench-comm.sh responder [pairs, default 10000] [flood seconds, default 3]:
# the responder instead: request-to-reply times seen by a Linux peer (p50, p99) with 100
# rules and the matching rule last, in the window and in tarvikc, UDP and TIP, and the
# replies per second in a flood of UDP requests with the window's longest pause.
set -euo pipefail
source "$(dirname "$0")/common.sh"

if [ "${1:-}" = responder ]; then
    prepare_build
    exec xvfb-run -a -s "$VIRTUAL_SCREEN" bash "$0" --responder-on-display "$BUILD" "${2:-10000}" "${3:-3}"
fi
if [ "${1:-}" = --responder-on-display ]; then
    BUILD=$2
    PAIRS=$3
    FLOOD=$4
    enter_wine_session "$BUILD"
    WORK=$(mktemp -d)
    trap 'stop_wine; rm -rf "$WORK"' EXIT
    cd "$WORK"
    cp "$TARVIK_ROOT/bench/responder_rules.txt" rules.txt
    free_port() {
        python3 -c "import socket; s=socket.socket(socket.AF_INET, socket.$1); s.bind(('127.0.0.1', 0)); print(s.getsockname()[1])"
    }
    peer="$TARVIK_ROOT/bench/responder_peer.py"
    for mode in udp tcp; do
        kind=SOCK_DGRAM
        [ "$mode" = tcp ] && kind=SOCK_STREAM
        flood=$FLOOD
        [ "$mode" = tcp ] && flood=0
        port=$(free_port $kind)
        rm -f stop
        "$TARVIK_ROOT/scripts/wine-emulator" "$BUILD/bench/bench_responder.exe" "$mode" "$port" rules.txt 300 &
        window=$!
        python3 "$peer" "$mode" "$port" "$PAIRS" "$flood" "window, $mode" || true
        touch stop
        wait "$window" || true
        port=$(free_port $kind)
        # tarvikc answers for a fixed time: long enough for the pairs and the flood.
        "$TARVIK_ROOT/scripts/wine-emulator" "$BUILD/tarvikc.exe" "--$mode-server" "127.0.0.1:$port" --respond rules.txt \
            --duration $((PAIRS / 500 + ${flood%.*} + 15)) --quiet 2>tarvikc.err &
        console=$!
        python3 "$peer" "$mode" "$port" "$PAIRS" "$flood" "tarvikc, $mode" || true
        wait "$console" || true
        grep "responder answered" tarvikc.err | sed 's/^/tarvikc: /' || true
    done
    exit 0
fi

if [ "${1:-}" != --on-display ]; then
    prepare_build
    gcc -O2 -o "$BUILD/bench/flood_sender" "$TARVIK_ROOT/bench/flood_sender.c"
    exec xvfb-run -a -s "$VIRTUAL_SCREEN" bash "$0" --on-display "$BUILD" "${1:-2}" "${2:-4}" "${3:-32}"
fi

BUILD=$2
TURN=$3
ROUNDS=$4
SIZE=$5
enter_wine_session "$BUILD"
# The program writes its settings file where it runs: not in the source tree.
WORK=$(mktemp -d)
trap 'stop_wine; rm -rf "$WORK"' EXIT
cd "$WORK"
for mode in udp tcp; do
    kind=SOCK_DGRAM
    [ "$mode" = tcp ] && kind=SOCK_STREAM
    port=$(python3 -c "import socket; s=socket.socket(socket.AF_INET, socket.$kind); s.bind(('127.0.0.1', 0)); print(s.getsockname()[1])")
    # Five turns a round and the start-up: the sender stops by itself after that.
    "$BUILD/bench/flood_sender" "$mode" "$port" $((TURN * ROUNDS * 5 + 30)) "$SIZE" &
    sender=$!
    "$TARVIK_ROOT/scripts/wine-emulator" "$BUILD/bench/bench_receive.exe" "$mode" "$port" "$TURN" "$ROUNDS" "$SIZE" || true
    kill "$sender" 2>/dev/null || true
    wait "$sender" 2>/dev/null || true
done

# The burst: the benchmark opens the UDP server twice and says "ready <n>" each time.
port=$(python3 -c "import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(('127.0.0.1', 0)); print(s.getsockname()[1])")
out="$WORK/burst.txt"
"$TARVIK_ROOT/scripts/wine-emulator" "$BUILD/bench/bench_receive.exe" burst "$port" 20000 64 >"$out" 2>&1 &
bench=$!
for turn in 1 2; do
    for _ in $(seq 300); do grep -q "ready $turn" "$out" && break; sleep 0.1; done
    "$BUILD/bench/flood_sender" burst "$port" 20000 64
done
wait "$bench" || true
grep -v '^ready' "$out"
