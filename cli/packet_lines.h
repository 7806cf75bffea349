// Turns the records that the traffic buffer gained into one text line per packet or
// client event, for the console runner. Plain data and no platform header.
#pragma once
#include "comm/traffic_buffer.h"

#include <cstdint>
#include <string>
#include <vector>

struct PeerText {
    uint8_t octets[4] = {};
    int port = -1; // -1: not known (the address records hold no port)
    bool known = false;
};

// Follows the records across calls: an address group names the peer of the packet behind
// it (the client modes record none); a packet's bytes end at its trailer.
struct PacketDecoder {
    PeerText group_peer;     // from the newest address group, for the packet that follows
    bool has_group = false;
    int group_kind = 0;
    int group_code = 0;
    int group_filled = 0;
    int packet_kind = 0;     // 1 received, 2 sent, 0 none in progress
    std::vector<uint8_t> bytes;
};

struct ConsoleEvent {
    enum Kind { kPacket, kClientOpened, kClientClosed } kind = kPacket;
    bool received = false;
    PeerText peer;
    std::vector<uint8_t> bytes;
};

// Decodes `count` records; events complete in them are appended to `out`.
void decode_records(PacketDecoder& decoder, const TrafficRecord* records, int count, std::vector<ConsoleEvent>& out);

// "READ 127.0.0.1:5000 5: 48 45 4C 4C 4F |HELLO|" behind the time text; bytes outside
// 0x20-0x7E show as "." in the text part.
std::string format_event(const std::string& time, const ConsoleEvent& event);
std::string peer_text(const PeerText& peer);
