// The traffic buffer's record layout, gap digits, slide and locking.
#include "comm/traffic_buffer.h"
#include "harness.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

class TrafficBufferTest : public ::testing::Test {
protected:
    void SetUp() override {
        harness::install_seams();
        ASSERT_TRUE(traffic_allocate());
        traffic_reset();
    }
    void TearDown() override {
        traffic_free();
        harness::restore_seams();
    }

    static TrafficRecord at(int index) { return g_traffic.records[index]; }
    static std::string digits(int high_index) {
        TrafficRecord h = at(high_index), l = at(high_index + 1);
        return {char(h.value), char(h.value2), char(l.value), char(l.value2)};
    }
    static void append(int kind, std::vector<uint8_t> bytes) {
        traffic_append(kind, bytes.data(), static_cast<int>(bytes.size()));
    }
};

TEST_F(TrafficBufferTest, ThreeBytePacketLayout) {
    append(kReceivedByte, {0x41, 0x42, 0x43});
    TrafficState s = traffic_state();
    EXPECT_EQ(s.write_index, 6);
    EXPECT_EQ(s.pending_gap, 4);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(at(i).kind, kReceivedByte);
        EXPECT_EQ(at(i).value, 0x41 + i);
        EXPECT_EQ(at(i).aux, i);
    }
    EXPECT_EQ(at(3).kind, kGapMark);
    EXPECT_EQ(at(3).value, 't');
    EXPECT_EQ(at(3).value2, '=');
    EXPECT_EQ(at(4).kind, kGapHigh);
    EXPECT_EQ(at(5).kind, kGapLow);
    EXPECT_EQ(digits(4), "0000");

    append(kSentByte, {0x0D});
    EXPECT_EQ(at(6).kind, kSentByte);
    EXPECT_EQ(at(6).value, 0x0D);
    EXPECT_EQ(traffic_state().write_index, 10);
}

TEST_F(TrafficBufferTest, GapDigitsCountTenthsAndStopAt9999) {
    harness::set_tick(5000);
    append(kReceivedByte, {1, 2});
    harness::advance_tick(1250);
    append(kSentByte, {3});
    EXPECT_EQ(digits(3), "0012"); // 1.25 s after the first packet

    harness::advance_tick(1000 * 1000);
    traffic_refresh_gap();
    EXPECT_EQ(digits(7), "9999");
    EXPECT_EQ(digits(3), "0012"); // a finished trailer keeps its value
}

TEST_F(TrafficBufferTest, GapAcrossTheTickCounterWrap) {
    harness::set_tick(0xFFFFFF00u);
    append(kReceivedByte, {1, 2, 3});
    harness::set_tick(0x00000100u); // 512 ms later, after the wrap
    traffic_refresh_gap();
    EXPECT_EQ(digits(4), "0005");
}

TEST_F(TrafficBufferTest, RefreshWithMarkerZeroToTwoChangesNothing) {
    // A single byte as the very first packet: its trailer's high digits sit at index 2.
    append(kReceivedByte, {7});
    ASSERT_EQ(traffic_state().pending_gap, 2);
    harness::advance_tick(5000);
    traffic_refresh_gap();
    traffic_append(kGapMark, nullptr, 0);
    EXPECT_EQ(digits(2), "0000");

    traffic_reset();
    traffic_refresh_gap(); // marker 0: nothing to write, nothing breaks
    EXPECT_EQ(traffic_state().write_index, 0);
}

TEST_F(TrafficBufferTest, PositionsWrapAfter256AndEmptyOrUnknownAppendsRecordNothing) {
    std::vector<uint8_t> bytes(300);
    for (int i = 0; i < 300; ++i) bytes[i] = static_cast<uint8_t>(i);
    append(kReceivedByte, bytes);
    EXPECT_EQ(at(255).aux, 255);
    EXPECT_EQ(at(256).aux, 0);
    EXPECT_EQ(at(299).aux, 43);
    EXPECT_EQ(traffic_state().write_index, 303);

    append(kReceivedByte, {});
    append(9, {1, 2});
    append(6, {1, 2});
    EXPECT_EQ(traffic_state().write_index, 303);
}

TEST_F(TrafficBufferTest, AddressGroups) {
    const uint8_t address[4] = {192, 168, 0, 5};
    traffic_put_address(kClientEvent, address, 10);
    const uint8_t data[2] = {0x30, 0x31};
    traffic_record_packet(kFromAddress, address, 0, kReceivedByte, data, 2);
    ASSERT_EQ(traffic_state().write_index, 4 + 4 + 2 + 3);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(at(i).kind, kClientEvent);
        EXPECT_EQ(at(i).value, 11 + i);
        EXPECT_EQ(at(i).aux, address[i]);
        EXPECT_EQ(at(4 + i).kind, kFromAddress);
        EXPECT_EQ(at(4 + i).value, 1 + i);
    }
    EXPECT_EQ(at(8).kind, kReceivedByte);
    EXPECT_EQ(traffic_state().pending_gap, 11);
}

TEST_F(TrafficBufferTest, SlideDropsTheOldestHalf) {
    // Fill to 130,800 with recognisable records, then append 97 bytes (100 records).
    for (int i = 0; i < 130800; ++i) {
        g_traffic.records[i].kind = kSentByte;
        g_traffic.records[i].value = static_cast<uint8_t>(i);
        g_traffic.records[i].aux = static_cast<uint8_t>(i >> 8);
    }
    g_traffic.write_index = 130800;
    g_traffic.pending_gap = 0;
    uint64_t discarded = traffic_state().discarded;
    std::vector<uint8_t> bytes(97, 0xAB);
    append(kReceivedByte, bytes);

    TrafficState s = traffic_state();
    EXPECT_EQ(s.write_index, 65364);
    EXPECT_EQ(s.pending_gap, 130898 - 65536);
    EXPECT_EQ(s.discarded, discarded + 65536);
    EXPECT_EQ(at(0).value, static_cast<uint8_t>(65536));
    EXPECT_EQ(at(0).aux, static_cast<uint8_t>(65536 >> 8));
    EXPECT_EQ(at(130799 - 65536).value, static_cast<uint8_t>(130799));
    EXPECT_EQ(at(65264).kind, kReceivedByte);
    EXPECT_EQ(at(65361).kind, kGapMark);
    EXPECT_EQ(at(65362).kind, kGapHigh);
}

TEST_F(TrafficBufferTest, AnAppendNeverWritesPastTheBlock) {
    g_traffic.write_index = 130810; // below the threshold, too close to the end for 1,023 bytes
    std::vector<uint8_t> bytes(1023, 0x55);
    const uint8_t address[4] = {127, 0, 0, 1};
    traffic_record_packet(kFromAddress, address, 0, kReceivedByte, bytes.data(), 1023);
    TrafficState s = traffic_state();
    EXPECT_LE(s.write_index, kTrafficCapacity);
    EXPECT_EQ(s.write_index, 130810 - 65536 + 4 + 1023 + 3);
    EXPECT_EQ(at(s.write_index - 1030).kind, kFromAddress);
}

// The longest receive fits whole after one slide wherever the write index stands, with an
// address group or without, up to the block's very end (address groups alone reach it).
TEST_F(TrafficBufferTest, TheLongestPacketAlwaysFitsWhole) {
    const std::vector<uint8_t> bytes(kLargestPacket, 0x5A);
    const uint8_t address[4] = {127, 0, 0, 1};
    for (int start : {0, kSlideThreshold - kLargestPacket, kSlideThreshold, kTrafficCapacity - 4, kTrafficCapacity}) {
        for (bool grouped : {false, true}) {
            SCOPED_TRACE(std::to_string(start) + (grouped ? " grouped" : ""));
            traffic_reset();
            g_traffic.write_index = start;
            if (grouped)
                traffic_record_packet(kFromAddress, address, kCodeBaseUdp, kReceivedByte, bytes.data(), kLargestPacket);
            else
                append(kReceivedByte, bytes);
            const TrafficState s = traffic_state();
            ASSERT_LE(s.write_index, kTrafficCapacity);
            const int first = s.write_index - 3 - kLargestPacket;
            ASSERT_GE(first, 0);
            int data = 0;
            while (data < kLargestPacket && at(first + data).kind == kReceivedByte) ++data;
            EXPECT_EQ(data, kLargestPacket);
            EXPECT_EQ(at(s.write_index - 3).kind, kGapMark);
            if (grouped) {
                EXPECT_EQ(at(first - 4).kind, kFromAddress);
            }
        }
    }
}

TEST_F(TrafficBufferTest, LoadedRecordsEndTheRunningGap) {
    append(kReceivedByte, {1, 2, 3});
    std::vector<TrafficRecord> loaded(10);
    for (auto& r : loaded) r = {kSentByte, 0, 0x77, 0, 0, {0, 0, 0}};
    traffic_replace(loaded.data(), 10);
    harness::advance_tick(3000);
    append(kReceivedByte, {9});
    // The old trailer's place now holds a loaded record, which must stay as loaded.
    EXPECT_EQ(at(4).kind, kSentByte);
    EXPECT_EQ(at(4).value, 0x77);
    EXPECT_EQ(at(10).value, 9);
}

TEST_F(TrafficBufferTest, ConcurrentAppendsLoseAndTearNothing) {
    constexpr int kPackets = 3000;
    auto writer = [](int kind, uint8_t base) {
        uint8_t bytes[5];
        for (int p = 0; p < kPackets; ++p) {
            for (int i = 0; i < 5; ++i) bytes[i] = static_cast<uint8_t>(base + i);
            const uint8_t address[4] = {base, base, base, base};
            traffic_record_packet(kind == kReceivedByte ? kFromAddress : kToAddress, address, 0, kind, bytes, 5);
        }
    };
    uint64_t discarded_before = traffic_state().discarded;
    std::thread a(writer, kReceivedByte, 10), b(writer, kSentByte, 100);
    a.join();
    b.join();
    TrafficState s = traffic_state();
    ASSERT_EQ(s.discarded, discarded_before);
    ASSERT_EQ(s.write_index, 2 * kPackets * 12);
    // Every packet is whole: 4 address records, 5 data bytes of one writer, the trailer.
    int counts[2] = {0, 0};
    for (int i = 0; i < s.write_index; i += 12) {
        TrafficRecord first = at(i);
        ASSERT_TRUE(first.kind == kFromAddress || first.kind == kToAddress) << "at " << i;
        bool received = first.kind == kFromAddress;
        uint8_t base = received ? 10 : 100;
        for (int k = 0; k < 4; ++k) ASSERT_EQ(at(i + k).aux, base);
        for (int k = 0; k < 5; ++k) {
            ASSERT_EQ(at(i + 4 + k).kind, received ? kReceivedByte : kSentByte);
            ASSERT_EQ(at(i + 4 + k).value, base + k);
        }
        ASSERT_EQ(at(i + 9).kind, kGapMark);
        ++counts[received ? 0 : 1];
    }
    EXPECT_EQ(counts[0] + counts[1], s.write_index / 12);
}

} // namespace
