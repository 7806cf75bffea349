// The receive thread of an open connection: one loop for the TCP client, one for the TCP
// server (which also accepts and drops clients) and one for UDP in both roles. Each runs
// while the connection is open, records what arrives in the traffic buffer and keeps the
// peer state of comm/peers.h. None of them touches a window.
#pragma once
#include <winsock2.h>
#include <windows.h>

constexpr int kReceiveChunk = 1023;   // a receive leaves the buffer's last byte zero
constexpr int kRetryPauseMs = 10;     // pause after a receive that brought nothing
constexpr int kSelectSliceUs = 100000;
constexpr int kSelectSlices = 5;      // a select pass waits up to 0.5 s in all

DWORD WINAPI tip_client_loop(void* unused);
// `listening` is the listening socket.
DWORD WINAPI tip_server_loop(void* listening);
DWORD WINAPI udp_loop(void* unused);
