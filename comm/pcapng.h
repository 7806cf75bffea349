// Capture files for packet analysers: the pcapng format with one raw-IPv4 interface and
// microsecond time stamps. Each packet Tarvik recorded becomes one enhanced packet block
// carrying a synthesized IPv4 header and a TCP or UDP header with the real addresses and
// ports, so that an analyser shows the exchange as it went over the wire. TCP sequence
// and acknowledgement numbers run on per connection; a connection gets a three-way
// handshake when it opens (or when its first packet is seen) and a FIN exchange when it
// closes, so that an analyser can follow each stream.
//
// Pure code: no Windows header, no allocation per packet. The bytes go into a sink, a
// fixed buffer that hands its contents to a spill function whenever it is full and on
// pcapng_flush. Use:
//
//     PcapngSink sink = {buffer, sizeof buffer, 0, spill, context, false};
//     PcapngWriter writer;
//     pcapng_begin(writer, sink, "Tarvik 1.16", nullptr);
//     pcapng_packet(writer, facts, payload, length, nullptr);   // once per packet or event
//     pcapng_flush(sink);                                       // sink.failed tells of errors
#pragma once
#include <cstddef>
#include <cstdint>

inline constexpr uint8_t kProtocolTcp = 6;
inline constexpr uint8_t kProtocolUdp = 17;

// The two ends of a packet as the network saw them, seen from Tarvik: "local" is
// Tarvik's own socket. Addresses a.b.c.d with a first; ports in host order.
struct PacketEnds {
    uint8_t local[4];
    uint8_t peer[4];
    uint16_t local_port;
    uint16_t peer_port;
    uint8_t protocol; // kProtocolTcp or kProtocolUdp
};

enum PacketEvent : uint8_t {
    kEventReceived = 1, // data from the peer (the record kind of received bytes)
    kEventSent = 2,     // data to the peer (the record kind of sent bytes)
    kEventConnected = 3, // TCP: the connection was set up (handshake)
    kEventClosed = 4,    // TCP: the connection ended (FIN exchange)
};

enum PacketFlags : uint8_t {
    kLocalIsClient = 1, // TCP: Tarvik opened the connection (sends the SYN)
    kLocalCloses = 2,   // TCP close: Tarvik ended it (sends the first FIN)
    kCutBySlide = 4,    // the buffer's slide dropped the start of this packet; the rest is kept
    kTlsPlaintext = 8,  // TCP over TLS: the payload is the decrypted plaintext
};

// What is known about one packet beside its bytes.
struct PacketFacts {
    uint64_t time_us; // UTC, microseconds since 1970-01-01
    PacketEnds ends;
    uint8_t event;    // PacketEvent
    uint8_t flags;    // PacketFlags
};

// Where the file's bytes go. `spill` takes what the buffer holds when it is full, on
// pcapng_flush, and blocks larger than the whole buffer straight from the writer; it
// returns false on an error, after which `failed` stays set and nothing more is written.
struct PcapngSink {
    uint8_t* data;
    size_t capacity;
    size_t used;
    bool (*spill)(void* context, const uint8_t* bytes, size_t count);
    void* context;
    bool failed;
};

inline constexpr int kPcapngFlows = 64; // TCP connections followed at once

struct PcapngFlow {
    PacketEnds ends;
    uint32_t local_seq; // next sequence number from Tarvik's side
    uint32_t peer_seq;  // next sequence number from the peer
    uint32_t used;      // writer's packet count when last used: the oldest slot is reused
    bool open;
};

struct PcapngWriter {
    PcapngSink* sink;
    PcapngFlow flows[kPcapngFlows];
    uint32_t packets;       // blocks written for packets, handshakes included
    uint64_t last_time_us;  // time stamps never run backwards in the file
    uint16_t ip_id;
};

inline constexpr size_t kPcapngCommentMax = 255; // longer comments are cut

// Starts a file: the section header (naming `application`, with `comment` when not null)
// and the interface block.
void pcapng_begin(PcapngWriter& writer, PcapngSink& sink, const char* application, const char* comment);
// One packet or connection event. Data (kEventReceived/kEventSent) of a TCP connection
// not yet open gets its handshake first; a payload that one IPv4 packet cannot carry is
// split over several. `comment` (UTF-8, or null) goes on the event's first block.
// Unknown events and protocols write nothing.
void pcapng_packet(PcapngWriter& writer, const PacketFacts& facts, const uint8_t* payload, int length,
                   const char* comment);
// Hands what the sink holds to its spill function; false when the sink has failed.
bool pcapng_flush(PcapngSink& sink);

// The Internet checksum (one's complement of the one's complement sum) of `count` bytes,
// continuing the partial sum `sum`.
uint16_t internet_checksum(const uint8_t* bytes, size_t count, uint32_t sum = 0);
