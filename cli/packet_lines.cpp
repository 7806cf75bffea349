#include "cli/packet_lines.h"

#include <cstdio>

namespace {

constexpr int kAddressRecords = 4;

void finish_packet(PacketDecoder& d, std::vector<ConsoleEvent>& out) {
    if (d.packet_kind && !d.bytes.empty()) {
        ConsoleEvent e;
        e.received = d.packet_kind == kReceivedByte;
        if (d.has_group) e.peer = d.group_peer;
        e.bytes = std::move(d.bytes);
        out.push_back(std::move(e));
    }
    d.bytes.clear();
    d.packet_kind = 0;
    d.has_group = false;
}

// One record of an address group; the group counts once its four octets are in.
void take_address(PacketDecoder& d, const TrafficRecord& r, std::vector<ConsoleEvent>& out) {
    if (d.group_filled == 0 || r.kind != d.group_kind) {
        d.group_kind = r.kind;
        d.group_filled = 0;
        d.group_code = r.value;
    }
    d.group_peer.octets[d.group_filled++] = r.aux;
    if (d.group_filled < kAddressRecords) return;
    d.group_filled = 0;
    d.group_peer.known = true;
    d.group_peer.port = -1;
    if (r.kind == kClientEvent) {
        ConsoleEvent e;
        e.kind = address_code_base(d.group_code) == kCodeBaseClose ? ConsoleEvent::kClientClosed
                                                                   : ConsoleEvent::kClientOpened;
        e.peer = d.group_peer;
        out.push_back(std::move(e));
    } else {
        d.has_group = true;
    }
}

} // namespace

void decode_records(PacketDecoder& d, const TrafficRecord* records, int count, std::vector<ConsoleEvent>& out) {
    for (int i = 0; i < count; ++i) {
        const TrafficRecord& r = records[i];
        switch (r.kind) {
        case kReceivedByte:
        case kSentByte:
            if (d.packet_kind && d.packet_kind != r.kind) finish_packet(d, out);
            d.packet_kind = r.kind;
            d.bytes.push_back(r.value);
            break;
        case kGapMark:
            finish_packet(d, out);
            break;
        case kClientEvent:
        case kFromAddress:
        case kToAddress:
            take_address(d, r, out);
            break;
        default: // the gap digits, or a record of no kind
            break;
        }
    }
}

std::string peer_text(const PeerText& peer) {
    if (!peer.known) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", peer.octets[0], peer.octets[1], peer.octets[2], peer.octets[3]);
    std::string out = text;
    if (peer.port >= 0) {
        out += ':';
        out += std::to_string(peer.port);
    }
    return out;
}

std::string format_event(const std::string& time, const ConsoleEvent& e) {
    std::string line = time;
    if (e.kind != ConsoleEvent::kPacket) {
        line += e.kind == ConsoleEvent::kClientOpened ? " OPEN " : " CLOSE ";
        line += peer_text(e.peer);
        return line;
    }
    line += e.received ? " READ " : " SEND ";
    line += peer_text(e.peer);
    line += ' ';
    line += std::to_string(e.bytes.size());
    line += ':';
    static const char kHex[] = "0123456789ABCDEF";
    for (uint8_t b : e.bytes) {
        line += ' ';
        line += kHex[b >> 4];
        line += kHex[b & 15];
    }
    line += " |";
    for (uint8_t b : e.bytes) line += b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.';
    line += '|';
    return line;
}
