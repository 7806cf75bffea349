#!/usr/bin/env python3
"""A TLS peer on 127.0.0.1 for the tests: tls_peer.py DIR PORT MODE NAME
Makes a self-signed certificate for NAME with openssl (DIR/fingerprint.txt: openssl's SHA-256
text), listens on PORT (0: any; DIR/port says which), logs to DIR/events.txt and keeps the
plaintext it gets in DIR/received.bin. MODE echo: echoes every piece; silent: never answers
the handshake; close: echoes, and after BYE sends its close_notify. Ends when DIR/stop appears
or after 60 s."""
import os, socket, ssl, subprocess, sys, threading, time


def main():
    folder, port, mode, name = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
    at = lambda f: os.path.join(folder, f)
    def event(text):
        with open(at('events.txt'), 'a') as f:
            f.write(text + '\n')
    subprocess.run(['openssl', 'req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-keyout', at('key.pem'),
                    '-out', at('cert.pem'), '-days', '30', '-subj', '/CN=%s/O=Tarvik test peer' % name],
                   check=True, capture_output=True)
    line = subprocess.run(['openssl', 'x509', '-in', at('cert.pem'), '-noout', '-fingerprint', '-sha256'],
                          check=True, capture_output=True, text=True).stdout.strip()
    open(at('fingerprint.txt'), 'w').write(line.split('=', 1)[1])
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(at('cert.pem'), at('key.pem'))
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(('127.0.0.1', port))
    listener.listen(4)
    listener.settimeout(0.2)
    open(at('port.tmp'), 'w').write(str(listener.getsockname()[1]))
    os.replace(at('port.tmp'), at('port'))

    def serve(conn):
        conn.settimeout(1)
        try:
            while not os.path.exists(at('stop')):
                try:
                    data = conn.recv(65536)
                except socket.timeout:
                    continue
                except ssl.SSLEOFError:
                    event('closed without close_notify')
                    break
                if not data:
                    event('close_notify')
                    break
                with open(at('received.bin'), 'ab') as f:
                    f.write(data)
                event('data %d' % len(data))
                conn.sendall(data)
                if mode == 'close' and data.endswith(b'BYE'):
                    event('sending close_notify')
                    conn.settimeout(5)
                    conn.unwrap()
                    event('close_notify answered')
                    break
        except (OSError, ssl.SSLError) as e:
            event('error: %s' % e)
        conn.close()

    held, started = [], time.time()
    while time.time() - started < 60 and not os.path.exists(at('stop')):
        try:
            raw, _ = listener.accept()
        except socket.timeout:
            continue
        event('accepted')
        if mode == 'silent':
            held.append(raw)  # never a byte back
            continue
        raw.settimeout(12)
        try:
            conn = context.wrap_socket(raw, server_side=True, suppress_ragged_eofs=False)
        except (OSError, ssl.SSLError) as e:
            event('handshake failed: %s' % e)
            raw.close()
            continue
        event('handshake %s %s' % (conn.version(), conn.cipher()[0]))
        threading.Thread(target=serve, args=(conn,), daemon=True).start()
    for raw in held:
        raw.close()
    event('ended')


if __name__ == '__main__':
    main()
