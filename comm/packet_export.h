// Turning the traffic records into capture file packets: each packet the records hold
// (its address group, data bytes and trailer) or client event becomes one packet or
// event of the capture writer, with the facts kept beside the records. Records without
// facts (loaded from a log file) are rebuilt: times from the gap digits, counted from a
// base time, and ends from the address records and the connection settings. Pure code.
#pragma once
#include "comm/pcapng.h"
#include "comm/traffic_buffer.h"

// The application named in the files' section headers.
inline constexpr char kTarvikApplication[] = "Tarvik 1.16";

// The comment of a packet: a connection event's ("client connected" and the like), or
// what a data packet's payload is when that needs saying (decrypted TLS, cut by a slide);
// null for plain data.
const char* packet_comment(const PacketFacts& facts);

// What rebuilding needs besides the records.
struct RebuildBasis {
    uint64_t base_us;       // time of the first rebuilt packet
    PacketEnds client_ends; // the client modes: both ends and the protocol from the settings
    PacketEnds server_ends; // the server modes: our end (the peer comes from the records)
    uint16_t udp_peer_port; // a UDP server's senders: the records keep no port
};

inline constexpr uint16_t kRebuiltFirstPort = 49152; // TCP server clients, one port each

// Writes the packets of records [0, count) into `writer` (null: only counts). `facts`
// must be in record order, as the traffic buffer keeps them. Returns the number of
// packets that had to be rebuilt.
int export_packets(PcapngWriter* writer, const TrafficRecord* records, int count, const TrafficFact* facts,
                   int fact_count, const RebuildBasis& basis);

// The comment of a packet whose start the buffer's slide dropped: only its end is in the file.
inline constexpr char kCutComment[] = "start dropped by the buffer's slide: only the end of this packet is kept";

// The section comment of a file with packets of a TLS connection.
inline constexpr char kTlsSectionComment[] =
    "TLS: the payload of the TLS connections in this file is the decrypted plaintext, as Tarvik recorded it";

// The section comment of a file whose packets were (partly) rebuilt.
inline constexpr char kRebuiltComment[] =
    "Rebuilt from a Tarvik log: times from the gap digits (0.1 s steps), addresses from the address records "
    "and the connection settings; peer ports are made up";
