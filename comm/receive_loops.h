// The receive thread of an open connection: one loop for the TCP client, one for the TCP
// server (which also accepts and drops clients) and one for UDP in both roles. Each runs
// while the connection is open, records what arrives in the traffic buffer and keeps the
// peer state of comm/peers.h. None of them touches a window.
#pragma once
#include <winsock2.h>
#include <windows.h>

// One receive takes up to the largest UDP payload over IPv4: a datagram is always whole, and
// what a TCP receive finds waiting is one packet.
constexpr int kReceiveBytes = 65507;
constexpr int kReceiveBufferAsked = 4 << 20; // SO_RCVBUF each receiving socket asks for
constexpr int kRetryPauseMs = 10;     // pause after a receive that brought nothing
constexpr int kSelectSliceUs = 100000;
constexpr int kSelectSlices = 5;      // a select pass waits up to 0.5 s in all

DWORD WINAPI tip_client_loop(void* unused);
// `listening` is the listening socket.
DWORD WINAPI tip_server_loop(void* listening);
DWORD WINAPI udp_loop(void* unused);

// Asks the system for a receive buffer of kReceiveBufferAsked bytes; a refusal keeps the
// system's size and is not an error.
void ask_receive_buffer(SOCKET s);
// True when a receive failed with `code` because the connection is gone (reset, aborted).
bool connection_gone(int code);
