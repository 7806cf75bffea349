// Any sequence of packets and events must give a file a reader accepts: blocks that
// chain exactly, packets whose lengths and checksums hold, times that never run back,
// and a TCP sequence that follows on in each direction of each connection.
#include "comm/pcapng.h"
#include "support/fuzz_check.h"
#include "support/pcapng_check.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static uint8_t payload[70000];
    static const bool filled = [] {
        for (size_t i = 0; i < sizeof payload; ++i) payload[i] = static_cast<uint8_t>(i * 7);
        return true;
    }();
    (void)filled;
    std::vector<uint8_t> file;
    uint8_t buffer[512];
    // The sink's size varies, so that blocks land across its edges in every way.
    PcapngSink sink{buffer, static_cast<size_t>(data[0]) * 2 % sizeof buffer, 0, spill_to_vector, &file, false};
    PcapngWriter writer;
    char comment[300];
    pcapng_begin(writer, sink, "Tarvik", data[1] & 1 ? "note" : nullptr);
    uint64_t time = 1700000000000000ull;
    for (size_t at = 2; at + 6 <= size; at += 6) {
        const uint8_t* op = data + at;
        PacketFacts facts{};
        // A few ends only, so that connections meet again.
        uint8_t who = op[1] & 7;
        const uint8_t local[4] = {127, 0, 0, 1}, peer[4] = {127, 0, 0, static_cast<uint8_t>(2 + (who & 3))};
        std::memcpy(facts.ends.local, local, 4);
        std::memcpy(facts.ends.peer, peer, 4);
        facts.ends.local_port = 4000;
        facts.ends.peer_port = static_cast<uint16_t>(50000 + who);
        facts.ends.protocol = op[1] & 8 ? kProtocolUdp : op[1] & 16 ? 99 : kProtocolTcp;
        facts.event = op[0] % 6;
        facts.flags = op[0] >> 4 & 3;
        int length = op[2] | (op[3] & 0x3) << 8;
        if (op[3] & 0x80) length = 65000 + (op[3] & 0x7F) * 39;
        time = op[4] & 0x80 ? time - (op[4] & 0x7F) : time + op[4];
        facts.time_us = time;
        size_t note = op[5] == 0 ? 0 : op[5] > 200 ? sizeof comment - 1 : op[5] % 8;
        std::memset(comment, 0xC3, note); // two-byte UTF-8 sequences, cut where they may
        comment[note] = 0;
        pcapng_packet(writer, facts, payload, length, note ? comment : nullptr);
    }
    FUZZ_CHECK(pcapng_flush(sink));
    check_pcapng_file(file);
    return 0;
}
