// TLS for the TIP client through the system's own TLS (Schannel, reached through SSPI):
// the handshake after the TCP connect, the trust check of the peer's certificate, and
// sealing and opening the data, so that everything recorded is plaintext.
//
// Threads: the opening (handshake and trust check), the sending and the closing run on
// the UI thread; the receive thread opens records. One lock keeps the security context to
// one caller at a time; the receive thread never waits on the socket while holding it.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <cstdint>

constexpr uint32_t kTlsHandshakeLimitMs = 10000;

// TLS is on for the opening of the current settings (a TIP client with tls_on, or the
// console's --tls).
bool tls_wanted();
// Runs the handshake on the connected socket `s` with `peer`, then the trust check (which
// may ask the user, owned by `owner`, and pin the certificate). The window answers its
// messages meanwhile but takes no input. False, after telling why, when the connection
// must be closed; nothing has then been sent but the handshake.
bool tls_start(HWND owner, SOCKET s, const sockaddr_in& peer);
bool tls_active();
// The negotiated protocol and cipher suite, e.g. "TLS 1.2 TLS_ECDHE_RSA_WITH_AES_256_GCM_SHA384".
const wchar_t* tls_summary();

// The receive thread: true when tls_receive may give something without the socket being
// readable first.
bool tls_receive_ready();
// Plaintext of at most `capacity` bytes (never of two records): the byte count, 0 when the
// peer closed (close_notify or a closed socket), or SOCKET_ERROR with the Winsock code set
// (WSAEWOULDBLOCK: part of a record came, nothing to hand out yet; WSAECONNABORTED: the
// stream cannot be read any more).
int tls_receive(SOCKET s, uint8_t* buffer, int capacity);
// Seals and sends all of bytes[0, length); 0 or the Winsock error code.
int tls_send(SOCKET s, const uint8_t* bytes, int length);
// Sends the close_notify (errors are of no interest: the socket closes next).
void tls_close_notify(SOCKET s);
// Releases the session once the receive thread has ended.
void tls_end();
