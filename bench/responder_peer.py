#!/usr/bin/env python3
"""The loopback peer of the responder benchmark: waits until the responder answers, then
sends PAIRS requests one at a time and takes the time from each send to its reply (p50,
p99, worst), then floods requests for FLOOD seconds and counts the replies per second.
  responder_peer.py udp|tcp PORT PAIRS FLOOD_SECONDS LABEL
The requests are "REQ" and five digits; the rules answer "REP" and the digits."""
import socket
import sys
import threading
import time

mode, port, pairs, flood, label = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), float(sys.argv[4]), sys.argv[5]
udp = mode == 'udp'
TARGET = ('127.0.0.1', port)


def connect(deadline):
    while time.time() < deadline:
        try:
            if udp:
                s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
                s.connect(TARGET)
            else:
                s = socket.create_connection(TARGET, timeout=1)
                s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            s.settimeout(0.3)
            s.send(b'REQ00000')
            if s.recv(100) == b'REP00000':
                return s
            s.close()
        except OSError:
            time.sleep(0.2)
    sys.exit('%s: no answer from the responder on port %d' % (label, port))


s = connect(time.time() + 60)
s.settimeout(1.0)
times, lost = [], 0
for i in range(pairs):
    request = b'REQ%05d' % (i % 100000)
    started = time.perf_counter()
    s.send(request)
    try:
        reply = s.recv(100)
        while not udp and len(reply) < 8:
            reply += s.recv(100)
    except socket.timeout:
        lost += 1
        continue
    times.append((time.perf_counter() - started) * 1000)
    if reply != b'REP' + request[3:]:
        lost += 1
times.sort()
if times:
    print('%s: %d request/reply pairs, %d lost: p50 %.3f ms, p99 %.3f ms, worst %.3f ms' % (
        label, pairs, lost, times[len(times) // 2], times[int(len(times) * 0.99)], times[-1]))

if flood > 0 and udp:
    # As many requests as the responder takes: up to IN_FLIGHT unanswered at a time, so
    # that the figure is what it answers, not what the sockets' buffers drop.
    IN_FLIGHT = 256
    s.settimeout(0.05)
    credit = threading.Semaphore(IN_FLIGHT)
    replies = [0]
    stop = threading.Event()

    def count():
        while not stop.is_set():
            try:
                s.recv(100)
                replies[0] += 1
                credit.release()
            except socket.timeout:
                # Requests or replies lost: give their places back.
                for _ in range(IN_FLIGHT // 4):
                    credit.release()
            except OSError:
                time.sleep(0.001)

    counter = threading.Thread(target=count)
    counter.start()
    sent = 0
    started = time.time()
    while time.time() - started < flood:
        if not credit.acquire(timeout=0.1):
            continue
        try:
            s.send(b'REQ%05d' % (sent % 100000))
            sent += 1
        except OSError:
            time.sleep(0.0005)
    elapsed = time.time() - started
    time.sleep(0.3)
    stop.set()
    counter.join()
    print('%s: flood (%d requests in flight) for %.0f s: %.0f replies/s (%d of %d requests answered)' % (
        label, IN_FLIGHT, flood, replies[0] / elapsed, replies[0], sent))
s.close()
