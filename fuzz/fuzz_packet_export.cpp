// Random traffic with and without packet facts, with slides, resets and logs loaded over
// it. After every step the facts are in record order, each lies within the records and
// stands on the first record of its packet. At the end, whatever the records hold (a
// log file may hold anything) and whatever facts are left, the export gives a file a
// reader accepts.
#include "comm/packet_export.h"
#include "comm/pcapng.h"
#include "comm/traffic_buffer.h"
#include "support/fake_tick.h"
#include "support/fuzz_check.h"
#include "support/pcapng_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <memory>
#include <vector>

namespace {

constexpr int kRecordBudget = 300000; // several slides per input, still quick

PacketFacts about(FuzzedDataProvider& in) {
    PacketFacts f{};
    const uint8_t local[4] = {127, 0, 0, 1};
    for (int i = 0; i < 4; ++i) f.ends.local[i] = local[i];
    f.ends.peer[0] = 127;
    f.ends.peer[3] = in.ConsumeIntegralInRange<uint8_t>(1, 4);
    f.ends.local_port = 4000;
    f.ends.peer_port = in.ConsumeIntegralInRange<uint16_t>(50000, 50003);
    f.ends.protocol = in.ConsumeBool() ? kProtocolTcp : kProtocolUdp;
    f.flags = in.ConsumeIntegralInRange<uint8_t>(0, 3);
    return f;
}

FUZZ_UNTRACED void check_facts() {
    const TrafficBuffer& t = g_traffic;
    int last = 0;
    for (int i = 0; i < t.fact_count; ++i) {
        const TrafficFact& f = t.facts[i];
        FUZZ_CHECK(f.record >= last && f.span >= 0 && f.record + f.span <= t.write_index);
        last = f.record + f.span;
        if (f.span == 0) continue;
        uint8_t kind = t.records[f.record].kind;
        FUZZ_CHECK(kind == kReceivedByte || kind == kSentByte || kind == kClientEvent || kind == kFromAddress ||
                   kind == kToAddress || (f.record == 0 && kind >= kGapMark && kind <= kGapLow));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = traffic_allocate();
    FUZZ_CHECK(ready);
    traffic_reset();
    FuzzedDataProvider in(data, size);
    std::vector<uint8_t> bytes(1023);
    int budget = kRecordBudget;
    while (in.remaining_bytes() > 0 && budget > 0) {
        const int op = in.ConsumeIntegralInRange(0, 7);
        const bool with_facts = in.ConsumeIntegralInRange(0, 7) != 0;
        const PacketFacts a = about(in);
        const int length = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 8) : in.ConsumeIntegralInRange(0, 1023);
        for (int i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(i + op);
        const uint8_t octets[4] = {127, 0, 0, a.ends.peer[3]};
        const int repeat = in.ConsumeBool() ? 1 : in.ConsumeIntegralInRange(1, 400);
        for (int r = 0; r < repeat && budget > 0; ++r) {
            budget -= length + 7;
            switch (op) {
            case 0:
            case 1:
                traffic_append(1 + op, bytes.data(), length, with_facts ? &a : nullptr);
                break;
            case 2:
                traffic_record_packet(op % 2 ? kToAddress : kFromAddress, octets, a.flags & 1 ? 10 : 0,
                                      1 + (a.flags >> 1), bytes.data(), length, with_facts ? &a : nullptr);
                break;
            case 3:
                traffic_put_address(kClientEvent, octets, a.flags & 1 ? 10 : 0, with_facts ? &a : nullptr);
                break;
            case 4:
                traffic_note_event(a.flags & 1 ? kEventClosed : kEventConnected, a);
                break;
            case 5:
                g_fake_tick += static_cast<uint32_t>(length) * 37;
                break;
            case 6: {
                // A log file brought in: any records at all.
                std::vector<TrafficRecord> log(static_cast<size_t>(length) * 4);
                for (size_t i = 0; i < log.size(); ++i) {
                    log[i] = TrafficRecord{};
                    log[i].kind = in.ConsumeIntegralInRange<uint8_t>(0, 9);
                    log[i].value = in.ConsumeIntegral<uint8_t>();
                    log[i].value2 = in.ConsumeIntegral<uint8_t>();
                    log[i].aux = in.ConsumeIntegral<uint8_t>();
                }
                traffic_replace(log.data(), static_cast<int>(log.size()));
                FUZZ_CHECK(g_traffic.fact_count == 0);
                r = repeat;
                break;
            }
            default:
                traffic_reset();
                FUZZ_CHECK(g_traffic.fact_count == 0);
                r = repeat;
                break;
            }
            check_facts();
        }
    }

    std::unique_ptr<TrafficRecord[]> records(new TrafficRecord[kTrafficCapacity]);
    std::unique_ptr<TrafficFact[]> facts(new TrafficFact[kFactCapacity]);
    int fact_count = 0;
    uint64_t loaded_at = 0;
    const int count = traffic_snapshot(records.get(), facts.get(), &fact_count, &loaded_at);
    RebuildBasis basis{};
    basis.base_us = loaded_at ? loaded_at : 1700000000000000ull;
    basis.client_ends = about(in).ends;
    basis.server_ends = basis.client_ends;
    basis.udp_peer_port = 7;
    std::vector<uint8_t> file;
    std::vector<uint8_t> buffer(4096);
    PcapngSink sink{buffer.data(), buffer.size(), 0, spill_to_vector, &file, false};
    PcapngWriter writer;
    pcapng_begin(writer, sink, kTarvikApplication, kRebuiltComment);
    export_packets(&writer, records.get(), count, facts.get(), fact_count, basis);
    FUZZ_CHECK(pcapng_flush(sink));
    check_pcapng_file(file);
    return 0;
}
