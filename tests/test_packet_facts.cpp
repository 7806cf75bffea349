// The packet facts beside the traffic records: one per packet or event recorded with
// its ends, following the records through slides, resets and loaded logs, and handed to
// the capture hook in record order.
#include "app/tick.h"
#include "comm/packet_export.h"
#include "comm/traffic_buffer.h"
#include "harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Seen {
    uint8_t event;
    std::string bytes;
};
std::vector<Seen> g_seen;

void remember(const PacketFacts& facts, const uint8_t* bytes, int length) {
    g_seen.push_back({facts.event, bytes ? std::string(reinterpret_cast<const char*>(bytes), length) : std::string()});
}

class PacketFactsTest : public ::testing::Test {
protected:
    void SetUp() override {
        harness::install_seams();
        ASSERT_TRUE(traffic_allocate());
        traffic_reset();
        g_seen.clear();
        about_.ends = PacketEnds{{127, 0, 0, 1}, {127, 0, 0, 2}, 4000, 50000, kProtocolTcp};
    }
    void TearDown() override {
        traffic_set_packet_hook(nullptr);
        traffic_free();
        harness::restore_seams();
    }
    // record, span, event of every fact
    static std::vector<std::vector<int>> facts() {
        std::vector<std::vector<int>> out;
        for (int i = 0; i < g_traffic.fact_count; ++i)
            out.push_back({g_traffic.facts[i].record, g_traffic.facts[i].span, g_traffic.facts[i].facts.event});
        return out;
    }
    PacketFacts about_{};
    const uint8_t peer_[4] = {127, 0, 0, 2};
};

TEST_F(PacketFactsTest, EachPacketAndEventGetsItsPlace) {
    traffic_set_packet_hook(remember);
    const uint64_t before = utc_now_us();
    traffic_note_event(kEventConnected, about_);                                        // nothing recorded
    traffic_append(kReceivedByte, reinterpret_cast<const uint8_t*>("abc"), 3, &about_); // 0..5
    traffic_record_packet(kFromAddress, peer_, 10, kReceivedByte, nullptr, 0, &about_); // 6..9, empty datagram
    traffic_put_address(kClientEvent, peer_, 10, &about_);                              // 10..13
    traffic_append(kSentByte, reinterpret_cast<const uint8_t*>("zz"), 2);               // no facts given
    traffic_record_packet(kToAddress, peer_, 0, kSentByte, reinterpret_cast<const uint8_t*>("xy"), 2, &about_);
    traffic_put_address(kToAddress, peer_, 0, &about_); // a send that failed: no packet
    EXPECT_EQ(facts(), (std::vector<std::vector<int>>{{0, 0, kEventConnected},
                                                      {0, 6, kEventReceived},
                                                      {6, 4, kEventReceived},
                                                      {10, 4, kEventClosed},
                                                      {19, 9, kEventSent}}));
    for (int i = 0; i < g_traffic.fact_count; ++i) {
        EXPECT_GE(g_traffic.facts[i].facts.time_us, before);
        EXPECT_LE(g_traffic.facts[i].facts.time_us, utc_now_us());
        EXPECT_EQ(g_traffic.facts[i].facts.ends.peer_port, 50000);
    }
    ASSERT_EQ(g_seen.size(), 5u);
    EXPECT_EQ(g_seen[1].bytes, "abc");
    EXPECT_EQ(g_seen[4].bytes, "xy");

    traffic_reset();
    EXPECT_EQ(g_traffic.fact_count, 0);
    traffic_append(kReceivedByte, reinterpret_cast<const uint8_t*>("q"), 1, &about_);
    std::vector<TrafficRecord> log(8);
    traffic_replace(log.data(), 8);
    EXPECT_EQ(g_traffic.fact_count, 0); // a log's records have no facts
    EXPECT_GE(g_traffic.loaded_at_us, before);
}

TEST_F(PacketFactsTest, FactsFollowTheSlide) {
    // 1000-byte packets take 1003 records: the slide cuts one of them in two.
    std::vector<uint8_t> data(1000, 'd');
    int packets = 0;
    while (traffic_state().discarded == 0) {
        traffic_append(kReceivedByte, data.data(), 1000, &about_);
        ++packets;
    }
    const TrafficState s = traffic_state();
    const int dropped = kSlideRecords / 1003; // wholly in the discarded half
    ASSERT_EQ(g_traffic.fact_count, packets - dropped);
    // The cut packet keeps its fact for what is left of it, at the start of the block.
    EXPECT_EQ(g_traffic.facts[0].record, 0);
    EXPECT_EQ(g_traffic.facts[0].span, (dropped + 1) * 1003 - kSlideRecords);
    EXPECT_TRUE(g_traffic.facts[0].facts.flags & kCutBySlide);
    EXPECT_FALSE(g_traffic.facts[1].facts.flags & kCutBySlide);
    for (int i = 1; i < g_traffic.fact_count; ++i)
        EXPECT_EQ(g_traffic.facts[i].record, g_traffic.facts[i - 1].record + g_traffic.facts[i - 1].span);
    const TrafficFact& last = g_traffic.facts[g_traffic.fact_count - 1];
    EXPECT_EQ(last.record + last.span, s.write_index);
    EXPECT_EQ(g_traffic.records[last.record].kind, kReceivedByte);

    // The export says so on that packet alone, rather than pass the tail off as all of it.
    std::vector<uint8_t> file;
    uint8_t buffer[4096];
    auto append = [](void* out, const uint8_t* bytes, size_t n) {
        auto* v = static_cast<std::vector<uint8_t>*>(out);
        v->insert(v->end(), bytes, bytes + n);
        return true;
    };
    PcapngSink sink{buffer, sizeof buffer, 0, append, &file, false};
    PcapngWriter writer;
    pcapng_begin(writer, sink, kTarvikApplication, nullptr);
    export_packets(&writer, g_traffic.records, s.write_index, g_traffic.facts, g_traffic.fact_count, RebuildBasis{});
    ASSERT_TRUE(pcapng_flush(sink));
    const std::string text(file.begin(), file.end()), cut(kCutComment);
    const size_t at = text.find(cut);
    EXPECT_NE(at, std::string::npos);
    EXPECT_EQ(text.find(cut, at + 1), std::string::npos);
}

} // namespace
