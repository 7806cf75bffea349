#include "comm/peers.h"

#include "app/settings.h"

PeerState g_peers;

int occupied_slots_locked() {
    int count = 0;
    for (SOCKET s : g_peers.slots)
        if (s != INVALID_SOCKET && s != 0) ++count;
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
