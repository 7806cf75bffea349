// What the receive loops learn about the peers, read by the send paths and the input send
// dialog's target list: the TCP server's client slots with each client's own address, the
// UDP sender list and last sender, the peer flag, and the last received block.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "comm/pcapng.h"

#include <atomic>
#include <cstdint>
#include <mutex>

constexpr int kClientSlots = 10;
constexpr int kSenderListSize = 20;
constexpr int kReceiveBlockBytes = 1024;

enum PeerFlag {
    kNoPeer = 0,
    kTipClientConnected = 1, // a TCP server holds at least one client
    kUdpSenderHeard = 2,     // a UDP server has received a datagram
};

struct PeerState {
    std::mutex lock;                                // slots, addresses and lists
    std::atomic<int> peer_flag{kNoPeer};
    SOCKET slots[kClientSlots];                     // INVALID_SOCKET when free
    sockaddr_in slot_address[kClientSlots];         // each client's address, taken at accept
    sockaddr_in slot_local[kClientSlots];           // our own end of each client's connection
    sockaddr_in main_local;                         // the main socket's own address (a UDP
                                                    // client's is known after its first send)
    bool slot_failed[kClientSlots];                 // its receive failed: the connection is broken
    sockaddr_in last_accepted;                      // the address of the client accepted last
    std::atomic<int> current_slot{0};               // the slot being accepted into or served
    sockaddr_in last_sender;                        // UDP: source of the newest datagram
    uint32_t senders[kSenderListSize];              // UDP server: sender addresses, network order
    int sender_count = 0;
    uint8_t last_received[kReceiveBlockBytes];      // copy of the newest receive buffer
};

extern PeerState g_peers;

// A client slot holds a connection: neither INVALID_SOCKET nor 0.
inline bool slot_in_use(SOCKET s) { return s != INVALID_SOCKET && s != 0; }
// Server modes: slots holding a socket (slot_in_use); client modes: 0.
int connected_client_count();
// The same count for a caller that holds g_peers.lock.
int occupied_slots_locked();
// The packet facts' ends and flags of a packet between our socket address `local` and
// `peer` (event and time are filled in by the traffic buffer).
PacketFacts packet_about(const sockaddr_in& local, const sockaddr_in& peer, bool tcp, bool local_is_client);
// The socket's own address, as getsockname gives it (zeros when it is not bound).
sockaddr_in socket_local_address(SOCKET s);
// The four octets (a.b.c.d, a first) of an IPv4 socket address.
void address_octets(const sockaddr_in& address, uint8_t octets[4]);
