#include "comm/peers.h"

#include "app/settings.h"
#include "comm/tls_client.h"

PeerState g_peers;

int occupied_slots_locked() {
    int count = 0;
    for (SOCKET s : g_peers.slots)
        if (slot_in_use(s)) ++count;
    return count;
}

int connected_client_count() {
    if (!server_mode()) return 0;
    std::lock_guard<std::mutex> guard(g_peers.lock);
    return occupied_slots_locked();
}

void address_octets(const sockaddr_in& address, uint8_t octets[4]) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&address.sin_addr);
    for (int i = 0; i < 4; ++i) octets[i] = bytes[i];
}

PacketFacts packet_about(const sockaddr_in& local, const sockaddr_in& peer, bool tcp, bool local_is_client) {
    PacketFacts about{};
    address_octets(local, about.ends.local);
    address_octets(peer, about.ends.peer);
    // A socket bound to every address does not say which one a packet used; on the
    // loopback it can only have been the loopback.
    if (about.ends.local[0] == 0 && about.ends.local[1] == 0 && about.ends.local[2] == 0 && about.ends.local[3] == 0 &&
        about.ends.peer[0] == 127) {
        const uint8_t loopback[4] = {127, 0, 0, 1};
        for (int i = 0; i < 4; ++i) about.ends.local[i] = loopback[i];
    }
    about.ends.local_port = ntohs(local.sin_port);
    about.ends.peer_port = ntohs(peer.sin_port);
    about.ends.protocol = tcp ? kProtocolTcp : kProtocolUdp;
    about.flags = local_is_client ? kLocalIsClient : 0;
    // Only the TCP client speaks TLS; what it records is the plaintext.
    if (tcp && local_is_client && tls_active()) about.flags |= kTlsPlaintext;
    return about;
}

sockaddr_in socket_local_address(SOCKET s) {
    sockaddr_in local{};
    int length = sizeof local;
    if (getsockname(s, reinterpret_cast<sockaddr*>(&local), &length) == SOCKET_ERROR) local = sockaddr_in{};
    return local;
}
