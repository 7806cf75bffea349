#include <winsock2.h>
#include <ws2tcpip.h>

#include "support_loopback.h"

#include <cstdio>

namespace loopback {

Winsock::Winsock() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
}

Winsock::~Winsock() { WSACleanup(); }

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        close();
        s = other.s;
        other.s = INVALID_SOCKET;
    }
    return *this;
}

Socket::~Socket() { close(); }

void Socket::close() {
    if (s != INVALID_SOCKET) closesocket(s);
    s = INVALID_SOCKET;
}

sockaddr_in address(const char* ip, int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<u_short>(port));
    inet_pton(AF_INET, ip, &a.sin_addr);
    return a;
}

int local_port(SOCKET s) {
    sockaddr_in a{};
    int length = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
    return ntohs(a.sin_port);
}

int free_port(int type) {
    Socket probe(socket(AF_INET, type, 0));
    sockaddr_in a = address("127.0.0.1", 0);
    bind(probe.s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    return local_port(probe.s);
}

Socket tcp_listener(const char* ip, int port) {
    Socket s(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in a = address(ip, port);
    if (bind(s.s, reinterpret_cast<sockaddr*>(&a), sizeof a) == SOCKET_ERROR || listen(s.s, 16) == SOCKET_ERROR)
        s.close();
    return s;
}

Socket tcp_connect(const char* from_ip, int port) {
    Socket s(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in from = address(from_ip, 0);
    sockaddr_in to = address("127.0.0.1", port);
    if (bind(s.s, reinterpret_cast<sockaddr*>(&from), sizeof from) == SOCKET_ERROR ||
        connect(s.s, reinterpret_cast<sockaddr*>(&to), sizeof to) == SOCKET_ERROR)
        s.close();
    return s;
}

Socket tcp_accept(SOCKET listener, int timeout_ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(listener, &set);
    timeval timeout{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
    if (select(0, &set, nullptr, nullptr, &timeout) != 1) return Socket();
    return Socket(accept(listener, nullptr, nullptr));
}

void tcp_reset(Socket& socket) {
    linger hard{1, 0};
    setsockopt(socket.s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
    socket.close();
}

Socket udp_socket(const char* ip, int port) {
    Socket s(socket(AF_INET, SOCK_DGRAM, 0));
    sockaddr_in a = address(ip, port);
    if (bind(s.s, reinterpret_cast<sockaddr*>(&a), sizeof a) == SOCKET_ERROR) s.close();
    return s;
}

bool send_text(SOCKET s, const std::string& text) {
    return send(s, text.data(), static_cast<int>(text.size()), 0) == static_cast<int>(text.size());
}

bool send_datagram(SOCKET s, int port, const std::string& text) {
    sockaddr_in to = address("127.0.0.1", port);
    return sendto(s, text.data(), static_cast<int>(text.size()), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) ==
           static_cast<int>(text.size());
}

std::string receive(SOCKET s, int timeout_ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval timeout{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
    if (select(0, &set, nullptr, nullptr, &timeout) != 1) return "<timeout>";
    char buffer[2048];
    int got = recv(s, buffer, sizeof buffer, 0);
    if (got == 0) return "<closed>";
    if (got < 0) return "<error>";
    return std::string(buffer, static_cast<size_t>(got));
}

bool wait_until(const std::function<bool()>& done, int timeout_ms) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > static_cast<DWORD>(timeout_ms)) return false;
        Sleep(5);
    }
    return true;
}

std::vector<TrafficRecord> records() {
    int count = traffic_state().write_index;
    std::vector<TrafficRecord> out(static_cast<size_t>(count));
    out.resize(static_cast<size_t>(traffic_copy(0, count, out.data())));
    return out;
}

int count_kind(const std::vector<TrafficRecord>& records, int kind) {
    int n = 0;
    for (const TrafficRecord& r : records) n += r.kind == kind;
    return n;
}

std::vector<std::string> address_groups(const std::vector<TrafficRecord>& records, int kind) {
    std::vector<std::string> groups;
    for (size_t i = 0; i + 3 < records.size(); ++i) {
        if (records[i].kind != kind) continue;
        char text[32];
        std::snprintf(text, sizeof text, "%d:%d.%d.%d.%d", records[i].value, records[i].aux, records[i + 1].aux,
                      records[i + 2].aux, records[i + 3].aux);
        groups.push_back(text);
        i += 3;
    }
    return groups;
}

std::vector<std::string> packets(const std::vector<TrafficRecord>& records, int kind) {
    std::vector<std::string> out;
    std::string current;
    bool open = false;
    for (const TrafficRecord& r : records) {
        if (r.kind == kind) {
            current += static_cast<char>(r.value);
            open = true;
        } else if (r.kind == kGapMark && open) {
            out.push_back(current);
            current.clear();
            open = false;
        }
    }
    return out;
}

std::string trace(const std::vector<TrafficRecord>& records) {
    std::string out;
    for (size_t i = 0; i < records.size(); ++i) {
        const TrafficRecord& r = records[i];
        switch (r.kind) {
        case kClientEvent:
        case kFromAddress:
        case kToAddress:
            if (i + 3 < records.size()) {
                char mark = r.kind == kToAddress ? 'T' : r.kind == kFromAddress ? 'F' : r.value > 10 ? 'C' : 'O';
                out += mark + std::to_string(records[i + 3].aux);
                i += 3;
            }
            break;
        case kReceivedByte:
        case kSentByte:
            out += static_cast<char>(r.value);
            break;
        case kGapMark:
            out += '|';
            break;
        default:
            break;
        }
    }
    return out;
}

} // namespace loopback
