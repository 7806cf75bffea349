// The traffic buffer: every byte received and sent, packet boundaries, the time after each
// packet and, in the server modes, peer addresses and client events, as 8-byte records in
// one fixed block. Appends come from the receive thread and the UI thread; one lock
// serialises appends, gap refreshes, the slide and every read.
#pragma once
#include "comm/pcapng.h"

#include <cstdint>
#include <mutex>

inline constexpr int kTrafficCapacity = 131200;   // records in the block
inline constexpr int kSlideThreshold = 0x1FF00;   // above this write index the oldest half goes
inline constexpr int kSlideRecords = 65536;       // records discarded by one slide
// The longest packet recorded whole: the largest UDP payload over IPv4. With its address
// group and trailer it fits the room one slide makes, wherever the write index stood.
inline constexpr int kLargestPacket = 65507;

enum RecordKind : uint8_t {
    kReceivedByte = 1,
    kSentByte = 2,
    kGapMark = 3,     // "t="
    kGapHigh = 4,     // first two gap digits
    kGapLow = 5,      // last two gap digits
    kClientEvent = 6, // TCP server: a client connected (codes 1-4) or closed (11-14)
    kFromAddress = 7, // server modes: sender of the packet that follows
    kToAddress = 8,   // server modes: destination of the packet that follows
};

// The codes of an address group's four records are base+1..base+4; the base tells what the
// group stands for.
inline constexpr int kCodeBaseConnect = 0; // kind 6: a client connected
inline constexpr int kCodeBaseClose = 10;  // kind 6: a client closed
inline constexpr int kCodeBaseTcp = 0;     // kinds 7 and 8: a TCP peer
inline constexpr int kCodeBaseUdp = 10;    // kind 7: a UDP sender
// The base of a group from the code of one of its records.
inline constexpr int address_code_base(uint8_t code) { return code > 10 ? 10 : 0; }

struct TrafficRecord {
    uint8_t kind;
    uint8_t unused;
    uint8_t value;  // data byte, character or code, by kind
    uint8_t value2; // second character of the trailer records
    uint8_t aux;    // position in the packet (low 8 bits) or an address octet
    uint8_t spare[3];
};
static_assert(sizeof(TrafficRecord) == 8, "log files store records byte for byte");

// Packet facts beside the records: for each packet (or connection event) recorded while a
// connection is open, its time, direction and ends. `record` is the index of the packet's
// first record (its address group, if any) and `span` the number of its records; a TCP
// client's connect and close record nothing and have a span of 0. Facts are kept in
// record order and follow the records through slides and resets.
struct TrafficFact {
    int32_t record;
    int32_t span;
    PacketFacts facts;
};
// A packet takes at least four records; the rest leaves room for events without records.
inline constexpr int kFactCapacity = kTrafficCapacity / 4 + 4096;

// Called under the buffer's lock with every packet that gets facts, in record order
// (the capture file). It must not block for long nor call back into the buffer.
using PacketHook = void (*)(const PacketFacts& facts, const uint8_t* bytes, int length);

struct TrafficBuffer {
    TrafficRecord* records = nullptr;
    TrafficFact* facts = nullptr;  // kFactCapacity entries, made with the block
    int32_t fact_count = 0;
    PacketHook packet_hook = nullptr;
    uint64_t loaded_at_us = 0;     // when the records came from a log file, 0 otherwise
    int32_t write_index = 0;       // records in use
    int32_t pending_gap = 0;       // index of the newest trailer's kind-4 record, 0 for none
    uint32_t last_packet_time = 0; // tick count right after the newest packet
    uint64_t discarded = 0;        // records dropped by slides since the block was made
    std::mutex lock;
};

extern TrafficBuffer g_traffic;

// What a reader needs to know about the buffer at one moment.
struct TrafficState {
    int32_t write_index;
    int32_t pending_gap;
    uint64_t discarded;
};

bool traffic_allocate(); // the zero-filled block; false when memory is short
void traffic_free();

// Records one packet of kind 1 (received) or 2 (sent); kind 3 refreshes the pending gap
// digits instead. A length below 1 records nothing; other kinds do nothing.
// `about`, when given, holds the packet's ends and flags: the packet gets a fact (its
// event and time are filled in here).
void traffic_append(int kind, const uint8_t* bytes, int length, const PacketFacts* about = nullptr);
void traffic_refresh_gap();
// Four kind-6, -7 or -8 records of an address a.b.c.d (octets[0] = a), codes base+1..base+4.
// A kind-6 group with `about` gets the fact of a TCP connect (kCodeBaseConnect) or close.
void traffic_put_address(int kind, const uint8_t octets[4], int code_base, const PacketFacts* about = nullptr);
// An address group and the packet behind it in one step, so that no record of another
// thread can fall between them. A zero-length packet (an empty datagram) records only
// the group, and gets a fact when `about` is given.
void traffic_record_packet(int address_kind, const uint8_t octets[4], int code_base, int kind,
                           const uint8_t* bytes, int length, const PacketFacts* about = nullptr);
// A connection event that records nothing (a TCP client's connect and close): a fact
// only, placed before the next record.
void traffic_note_event(int event, const PacketFacts& about);
// Sets (or clears, with null) the hook that sees every packet with facts.
void traffic_set_packet_hook(PacketHook hook);
// Every record and fact at one moment (`records`: kTrafficCapacity, `facts`:
// kFactCapacity entries); returns the record count.
int traffic_snapshot(TrafficRecord* records, TrafficFact* facts, int* fact_count, uint64_t* loaded_at_us);
void traffic_reset();

TrafficState traffic_state();
// Copies records [first, first + count) that exist; returns how many were copied.
int traffic_copy(int first, int count, TrafficRecord* out);
// Replaces records 0..count-1, sets the write index to count and ends the running gap
// (log files).
void traffic_replace(const TrafficRecord* records, int count);
