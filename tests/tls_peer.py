#!/usr/bin/env python3
"""A TLS peer on 127.0.0.1 for the tests, with a self-signed certificate made by openssl.

Usage: tls_peer.py DIR PORT MODE [NAME]
  DIR   folder it talks through: writes cert.pem, fingerprint.txt (openssl's SHA-256
        line), port (once listening), received.bin (the plaintext it got), events.txt;
        it stops when a file named stop appears there, or after 60 s.
  PORT  the port to listen on (0: any; the one taken is written to DIR/port)
  MODE  echo: answers every piece of plaintext with the same bytes;
        silent: accepts the TCP connection and never answers the handshake;
        close: echoes, and after receiving BYE sends its close_notify.
  NAME  the certificate's common name (a new key and certificate each run)."""
import os
import socket
import ssl
import subprocess
import sys
import threading
import time

LIMIT_S = 60


def write(path, data, mode='w'):
    with open(path + '.tmp', mode) as f:
        f.write(data)
    os.replace(path + '.tmp', path)


def event(folder, text):
    with open(os.path.join(folder, 'events.txt'), 'a') as f:
        f.write(text + '\n')


def make_certificate(folder, name):
    cert, key = os.path.join(folder, 'cert.pem'), os.path.join(folder, 'key.pem')
    subprocess.run(['openssl', 'req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-keyout', key, '-out', cert,
                    '-days', '30', '-subj', '/CN=' + name + '/O=Tarvik test peer'],
                   check=True, capture_output=True)
    line = subprocess.run(['openssl', 'x509', '-in', cert, '-noout', '-fingerprint', '-sha256'],
                          check=True, capture_output=True, text=True).stdout.strip()
    write(os.path.join(folder, 'fingerprint.txt'), line.split('=', 1)[1])
    return cert, key


def serve(folder, conn, mode):
    conn.settimeout(1)
    received = open(os.path.join(folder, 'received.bin'), 'ab')
    try:
        while not os.path.exists(os.path.join(folder, 'stop')):
            try:
                data = conn.recv(65536)
            except socket.timeout:
                continue
            except ssl.SSLEOFError:
                event(folder, 'closed without close_notify')
                break
            if not data:
                event(folder, 'close_notify')
                break
            received.write(data)
            received.flush()
            event(folder, 'data %d' % len(data))
            conn.sendall(data)
            if mode == 'close' and data.endswith(b'BYE'):
                conn.settimeout(5)
                event(folder, 'sending close_notify')
                try:
                    conn.unwrap()
                    event(folder, 'close_notify answered')
                except (OSError, ssl.SSLError) as e:
                    event(folder, 'unwrap: %s' % e)
                break
    except (OSError, ssl.SSLError) as e:
        event(folder, 'error: %s' % e)
    finally:
        received.close()
        conn.close()


def main():
    folder, port, mode = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    name = sys.argv[4] if len(sys.argv) > 4 else 'tarvik-peer'
    cert, key = make_certificate(folder, name)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(('127.0.0.1', port))
    listener.listen(4)
    listener.settimeout(0.2)
    write(os.path.join(folder, 'port'), str(listener.getsockname()[1]))
    held = []
    started = time.time()
    while time.time() - started < LIMIT_S and not os.path.exists(os.path.join(folder, 'stop')):
        try:
            raw, _ = listener.accept()
        except socket.timeout:
            continue
        event(folder, 'accepted')
        if mode == 'silent':
            held.append(raw)  # never a byte back
            continue
        raw.settimeout(12)
        try:
            conn = context.wrap_socket(raw, server_side=True, suppress_ragged_eofs=False)
        except (OSError, ssl.SSLError) as e:
            event(folder, 'handshake failed: %s' % e)
            raw.close()
            continue
        event(folder, 'handshake %s %s' % (conn.version(), conn.cipher()[0]))
        threading.Thread(target=serve, args=(folder, conn, mode), daemon=True).start()
    for raw in held:
        raw.close()
    event(folder, 'ended')


if __name__ == '__main__':
    main()
