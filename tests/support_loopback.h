// Peers for the communication tests: real Winsock sockets on 127.0.0.0/8, driven from the
// test itself, and a few bounded waits.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "comm/traffic_buffer.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace loopback {

// Winsock for the test's own peers, started for the life of the value.
struct Winsock {
    Winsock();
    ~Winsock();
};

// Closes the socket when it goes.
struct Socket {
    SOCKET s = INVALID_SOCKET;
    Socket() = default;
    explicit Socket(SOCKET socket) : s(socket) {}
    Socket(Socket&& other) noexcept : s(other.s) { other.s = INVALID_SOCKET; }
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket();
    void close();
    bool valid() const { return s != INVALID_SOCKET; }
};

// A port that nobody uses on 127.0.0.1 right now (SOCK_STREAM or SOCK_DGRAM).
int free_port(int type);
sockaddr_in address(const char* ip, int port);
// The port a socket is bound to.
int local_port(SOCKET s);

Socket tcp_listener(const char* ip, int port);
// Connects to 127.0.0.1:port from `from_ip` (any loopback address) on an ephemeral port.
Socket tcp_connect(const char* from_ip, int port);
// Accepts one waiting connection (within timeout_ms).
Socket tcp_accept(SOCKET listener, int timeout_ms = 2000);
// Closes with a reset instead of a graceful close.
void tcp_reset(Socket& socket);
Socket udp_socket(const char* ip, int port);
bool send_text(SOCKET s, const std::string& text);
bool send_datagram(SOCKET s, int port, const std::string& text);
// Receives what arrives within timeout_ms: the bytes, or "<closed>" for an orderly close,
// or "<timeout>" / "<error>".
std::string receive(SOCKET s, int timeout_ms = 2000);

// Polls `done` every few milliseconds for at most timeout_ms.
bool wait_until(const std::function<bool()>& done, int timeout_ms = 3000);

// Every record of the traffic buffer.
std::vector<TrafficRecord> records();
int count_kind(const std::vector<TrafficRecord>& records, int kind);
// The groups of four address records of `kind`, each as "code:a.b.c.d" (code of the first).
std::vector<std::string> address_groups(const std::vector<TrafficRecord>& records, int kind);
// The data of the packets of `kind` (1 received, 2 sent), one string per packet.
std::vector<std::string> packets(const std::vector<TrafficRecord>& records, int kind);
// The records in order as a compact trace: "O" open, "C" close, "F" from, "T" to (each
// followed by the last octet), data bytes as themselves, "|" for a trailer.
std::string trace(const std::vector<TrafficRecord>& records);

} // namespace loopback
