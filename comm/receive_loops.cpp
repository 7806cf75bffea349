#include "comm/receive_loops.h"

#include "app/seams.h"
#include "comm/connection.h"
#include "comm/peers.h"
#include "comm/socket_errors.h"
#include "comm/tls_client.h"
#include "comm/traffic_buffer.h"
#include "send/responder_host.h"

#include <cstring>

namespace {

static_assert(kReceiveBytes <= kLargestPacket, "a whole receive fits the traffic buffer after a slide");

// One receive buffer per thread, on its stack; only what a receive wrote is read.
using ReceiveBuffer = uint8_t[kReceiveBytes];

char* as_chars(ReceiveBuffer& buffer) { return reinterpret_cast<char*>(buffer); }

// The macro runner compares against the start of the newest receive: its first bytes,
// zero-terminated, with zeros after them. Called with g_peers.lock held.
void keep_last_received_locked(const uint8_t* bytes, int got) {
    const int n = got < 0 ? 0 : got < kReceiveBlockBytes - 1 ? got : kReceiveBlockBytes - 1;
    std::memcpy(g_peers.last_received, bytes, static_cast<size_t>(n));
    std::memset(g_peers.last_received + n, 0, static_cast<size_t>(kReceiveBlockBytes - n));
}

void keep_last_received(const uint8_t* bytes, int got) {
    std::lock_guard<std::mutex> guard(g_peers.lock);
    keep_last_received_locked(bytes, got);
}

// The TCP client's peer has gone: its close goes into the dump as a TCP server writes a
// client's, and whoever opened the connection is told, so that it ends the connection.
void record_peer_close(const PacketFacts& about) {
    uint8_t octets[4];
    address_octets(g_conn.address, octets);
    traffic_put_address(kClientEvent, octets, kCodeBaseClose, &about);
    g_conn.peer_closed = 1;
    if (g_conn.notify_window) PostMessageW(g_conn.notify_window, kPeerClosedMessage, 0, 0);
}

DWORD thread_ends() {
    if (g_conn.thread_end_hook) g_conn.thread_end_hook();
    return 0;
}

// Waits up to 0.5 s for one of the sockets in `set` to become readable, but looks at the
// open flag every 0.1 s: the closing checks the thread at that pace and must find it ended
// long before it gives up on it. Neither a shutdown nor a close of the socket is sure to
// wake a receive that is already waiting, so the TCP loops only receive what is there.
int wait_readable(fd_set& set) {
    const fd_set wanted = set;
    for (int slice = 0; slice < kSelectSlices && connection_is_open(); ++slice) {
        set = wanted;
        timeval timeout{0, kSelectSliceUs};
        int ready = select(0, &set, nullptr, nullptr, &timeout);
        if (ready != 0) return ready;
    }
    FD_ZERO(&set);
    return 0;
}

// TCP server -------------------------------------------------------------------------

int lowest_free_slot() {
    for (int i = 0; i < kClientSlots; ++i)
        if (g_peers.slots[i] == INVALID_SOCKET) return i;
    return -1;
}

void accept_client(SOCKET listening) {
    int slot = lowest_free_slot();
    if (slot < 0) {
        // All slots are taken: the newcomer is let in and sent away at once.
        SOCKET extra = accept(listening, nullptr, nullptr);
        if (extra != INVALID_SOCKET) closesocket(extra);
        return;
    }
    g_peers.current_slot = slot;
    sockaddr_in from{};
    int length = sizeof from;
    SOCKET client = accept(listening, reinterpret_cast<sockaddr*>(&from), &length);
    if (client == INVALID_SOCKET) return; // nobody came in: nothing to record
    ask_receive_buffer(client);
    const sockaddr_in local = socket_local_address(client);
    {
        std::lock_guard<std::mutex> guard(g_peers.lock);
        g_peers.slots[slot] = client;
        g_peers.slot_address[slot] = from;
        g_peers.slot_local[slot] = local;
        g_peers.slot_failed[slot] = false;
        g_peers.last_accepted = from;
    }
    uint8_t octets[4];
    address_octets(from, octets);
    const PacketFacts about = packet_about(local, from, true, false);
    traffic_put_address(kClientEvent, octets, kCodeBaseConnect, &about);
    g_peers.peer_flag = kTipClientConnected;
}

PacketFacts slot_about(int slot) {
    return packet_about(g_peers.slot_local[slot], g_peers.slot_address[slot], true, false);
}

void drop_client(int slot, const uint8_t octets[4]) {
    const PacketFacts about = slot_about(slot);
    traffic_put_address(kClientEvent, octets, kCodeBaseClose, &about);
    SOCKET client = g_peers.slots[slot];
    if (shutdown(client, SD_RECEIVE) == SOCKET_ERROR) report_shutdown_error(kShutdownPeer);
    bool others;
    {
        // Freed before it is closed, so that a send never picks up a closed socket.
        std::lock_guard<std::mutex> guard(g_peers.lock);
        g_peers.slots[slot] = INVALID_SOCKET;
        others = occupied_slots_locked() > 0;
    }
    if (closesocket(client) == SOCKET_ERROR) report_socket_error(L"closesocket(CS)", nullptr);
    if (!others) g_peers.peer_flag = kNoPeer;
}

// A receive that filled the whole buffer has more behind it, most likely: asking the socket
// is far cheaper than another select, which is what holds a flood back. A few rounds at
// most, so that the other clients and the open flag are looked at soon.
constexpr int kDrainRounds = 16;

bool more_waiting(SOCKET s, int got) {
    u_long waiting = 0;
    return got == kReceiveBytes && ioctlsocket(s, FIONREAD, &waiting) == 0 && waiting > 0;
}

// Returns what the receive returned.
int serve_client(int slot, ReceiveBuffer& buffer) {
    g_peers.current_slot = slot;
    int got = recv(g_peers.slots[slot], as_chars(buffer), kReceiveBytes, 0);
    uint8_t octets[4];
    address_octets(g_peers.slot_address[slot], octets);
    if (got == 0) {
        drop_client(slot, octets);
    } else if (got > 0) {
        keep_last_received(buffer, got);
        const PacketFacts about = slot_about(slot);
        traffic_record_packet(kFromAddress, octets, kCodeBaseTcp, kReceivedByte, buffer, got, &about);
        respond_to_slot(slot, buffer, got);
    } else {
        // A broken connection stays in its slot until the connection is closed, but it is
        // not polled again: it would be readable for ever, keep this thread spinning and
        // hide the clients in the slots above it.
        std::lock_guard<std::mutex> guard(g_peers.lock);
        g_peers.slot_failed[slot] = true;
    }
    return got;
}

bool polled(int slot) { return g_peers.slots[slot] != INVALID_SOCKET && !g_peers.slot_failed[slot]; }

} // namespace

DWORD WINAPI tip_client_loop(void*) {
    ReceiveBuffer buffer;
    PacketFacts about = packet_about(g_peers.main_local, g_conn.address, true, true);
    traffic_note_event(kEventConnected, about);
    bool peer_closed = false;
    // Over TLS a receive gives the plaintext of one record; the peer's close_notify counts
    // as its close, a stream that cannot be read any more as a reset.
    const bool tls = tls_active();
    while (connection_is_open()) {
        SOCKET s = g_conn.main_socket;
        // TLS may hold a whole record from an earlier receive: it is taken without waiting.
        int ready = 1;
        if (!tls || !tls_receive_ready()) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(s, &readable);
            ready = wait_readable(readable);
            if (ready == 0) continue;
        }
        int got = ready == SOCKET_ERROR ? SOCKET_ERROR
                  : tls                 ? tls_receive(s, buffer, kReceiveBytes)
                                        : recv(s, as_chars(buffer), kReceiveBytes, 0);
        if (got > 0) {
            traffic_append(kReceivedByte, buffer, got, &about);
            keep_last_received(buffer, got);
            respond_to_peer(buffer, got);
            // A TLS receive is one record, never a full buffer: its next record comes from the inbox.
            for (int round = 1; !tls && round < kDrainRounds && connection_is_open() && more_waiting(s, got);
                 ++round) {
                got = recv(s, as_chars(buffer), kReceiveBytes, 0);
                if (got <= 0) break; // the next pass finds out why
                traffic_append(kReceivedByte, buffer, got, &about);
                keep_last_received(buffer, got);
                respond_to_peer(buffer, got);
            }
            continue;
        }
        if (got == SOCKET_ERROR && !connection_gone(WSAGetLastError())) {
            // Part of a record: the rest is waited for in the next pass.
            if (!tls || WSAGetLastError() != WSAEWOULDBLOCK) Sleep(kRetryPauseMs);
            continue;
        }
        // 0 bytes or a reset: the peer has gone. A receive woken by our own closing is not
        // the peer's close.
        if (!connection_is_open()) break;
        keep_last_received(buffer, 0);
        record_peer_close(about);
        peer_closed = true;
        break;
    }
    if (!peer_closed) {
        about.flags |= kLocalCloses;
        traffic_note_event(kEventClosed, about);
    }
    return thread_ends();
}

DWORD WINAPI tip_server_loop(void* listening_socket) {
    SOCKET listening = reinterpret_cast<SOCKET>(listening_socket);
    {
        std::lock_guard<std::mutex> guard(g_peers.lock);
        for (int i = 0; i < kClientSlots; ++i) {
            g_peers.slots[i] = INVALID_SOCKET;
            g_peers.slot_failed[i] = false;
        }
    }
    ReceiveBuffer buffer;
    while (connection_is_open()) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(listening, &readable);
        for (int i = 0; i < kClientSlots; ++i)
            if (polled(i)) FD_SET(g_peers.slots[i], &readable);
        int ready = wait_readable(readable);
        if (ready == SOCKET_ERROR) {
            show_message_box(nullptr, L"Failed in execution of select.", L"select_Error", MB_OK);
            break;
        }
        if (ready == 0) continue;
        // One socket per pass: a newcomer first, else the lowest slot with data.
        if (FD_ISSET(listening, &readable)) {
            accept_client(listening);
            continue;
        }
        for (int i = 0; i < kClientSlots; ++i) {
            if (polled(i) && FD_ISSET(g_peers.slots[i], &readable)) {
                for (int round = 0; round < kDrainRounds; ++round) {
                    const int got = serve_client(i, buffer);
                    if (!polled(i) || !more_waiting(g_peers.slots[i], got)) break;
                }
                break;
            }
        }
    }
    // The clients still connected are closed from our side with the connection.
    for (int i = 0; i < kClientSlots; ++i) {
        if (!slot_in_use(g_peers.slots[i])) continue;
        PacketFacts about = slot_about(i);
        about.flags |= kLocalCloses;
        traffic_note_event(kEventClosed, about);
    }
    return thread_ends();
}

DWORD WINAPI udp_loop(void*) {
    const bool server = g_conn.server;
    ReceiveBuffer buffer;
    while (connection_is_open()) {
        sockaddr_in from{};
        int length = sizeof from;
        int got = recvfrom(g_conn.main_socket, as_chars(buffer), kReceiveBytes, 0, reinterpret_cast<sockaddr*>(&from),
                           &length);
        if (got == SOCKET_ERROR) {
            // No IPv4 datagram is longer than the buffer; should one be, what it holds shows.
            if (WSAGetLastError() == WSAEMSGSIZE) {
                got = kReceiveBytes;
            } else {
                // An unbound client's receive fails at once until its first send binds it.
                Sleep(kRetryPauseMs);
                continue;
            }
        }
        uint8_t octets[4];
        address_octets(from, octets);
        PacketFacts about;
        {
            std::lock_guard<std::mutex> guard(g_peers.lock);
            // A client's socket is bound by its first send: its port is learnt then.
            if (g_peers.main_local.sin_port == 0) g_peers.main_local = socket_local_address(g_conn.main_socket);
            about = packet_about(g_peers.main_local, from, false, false);
            keep_last_received_locked(buffer, got);
            g_peers.last_sender = from;
            // A full list keeps the first twenty senders.
            if (server && g_peers.sender_count < kSenderListSize)
                g_peers.senders[g_peers.sender_count++] = from.sin_addr.s_addr;
        }
        if (server) {
            g_peers.peer_flag = kUdpSenderHeard;
            traffic_record_packet(kFromAddress, octets, kCodeBaseUdp, kReceivedByte, buffer, got, &about);
        } else {
            traffic_append(kReceivedByte, buffer, got, &about);
        }
        respond_to_sender(from, buffer, got);
    }
    return thread_ends();
}

void ask_receive_buffer(SOCKET s) {
    const int asked = kReceiveBufferAsked;
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&asked), sizeof asked);
}

bool connection_gone(int code) {
    switch (code) {
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAENETRESET:
    case WSAESHUTDOWN:
    case WSAENOTCONN:
    case WSAETIMEDOUT:
        return true;
    }
    return false;
}
