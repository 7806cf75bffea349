// The capture file writer, read back by the analyser's own reader.
#include "comm/pcapng.h"

#include "harness.h"
#include "support_tshark.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

bool to_vector(void* context, const uint8_t* bytes, size_t count) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    out->insert(out->end(), bytes, bytes + count);
    return true;
}

PacketEnds ends(uint8_t local_last, uint16_t local_port, uint8_t peer_last, uint16_t peer_port, uint8_t protocol) {
    PacketEnds e{};
    const uint8_t local[4] = {127, 0, 0, local_last}, peer[4] = {127, 0, 0, peer_last};
    std::memcpy(e.local, local, 4);
    std::memcpy(e.peer, peer, 4);
    e.local_port = local_port;
    e.peer_port = peer_port;
    e.protocol = protocol;
    return e;
}

struct Step {
    PacketEnds ends;
    uint8_t event;
    uint8_t flags;
    std::string data;
    const char* comment;
};

std::string peer_ip(const PacketEnds& e) { return "127.0.0." + std::to_string(e.peer[3]); }
std::string local_ip(const PacketEnds& e) { return "127.0.0." + std::to_string(e.local[3]); }

TEST(Pcapng, MixedSessionReadsBackAsSent) {
    const PacketEnds client = ends(1, 50001, 2, 40000, kProtocolTcp); // Tarvik as client
    const PacketEnds b = ends(1, 4000, 3, 50010, kProtocolTcp);       // two clients of Tarvik's server
    const PacketEnds c = ends(1, 4000, 4, 50011, kProtocolTcp);
    const PacketEnds late = ends(1, 4000, 5, 50012, kProtocolTcp);    // opened before the file began
    const PacketEnds e = ends(1, 7000, 6, 7006, kProtocolUdp);
    const PacketEnds f = ends(1, 7000, 7, 7007, kProtocolUdp);
    const std::string big(70000, 'x');
    const std::vector<Step> steps = {
        {client, kEventConnected, kLocalIsClient, "", "open"},
        {client, kEventSent, kLocalIsClient, "hello", nullptr},
        {client, kEventReceived, kLocalIsClient, "world", nullptr},
        {client, kEventSent, kLocalIsClient, "again", nullptr},
        {client, kEventClosed, kLocalIsClient | kLocalCloses, "", "close"},
        {b, kEventConnected, 0, "", nullptr},
        {c, kEventConnected, 0, "", nullptr},
        {b, kEventReceived, 0, "b1", nullptr},
        {c, kEventReceived, 0, "c1", "with a note"},
        {b, kEventSent, 0, "toB", nullptr},
        {c, kEventClosed, 0, "", nullptr},
        {b, kEventReceived, 0, "b2", nullptr},
        {late, kEventReceived, 0, "late", nullptr},
        {e, kEventReceived, 0, "e1", nullptr},
        {f, kEventReceived, 0, "f1", nullptr},
        {f, kEventSent, 0, "f2", nullptr},
        {e, kEventReceived, 0, big, nullptr},
    };

    std::vector<uint8_t> file;
    uint8_t buffer[13]; // smaller than any block: every path through the sink is taken
    PcapngSink sink{buffer, sizeof buffer, 0, to_vector, &file, false};
    PcapngWriter writer;
    pcapng_begin(writer, sink, "Tarvik 1.16", "section note");
    uint64_t time = 1700000000000000ull;
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        PacketFacts facts{time, s.ends, s.event, s.flags};
        // One step goes back in time: the file must still run forward.
        facts.time_us = i == 8 ? time - 5000 : time;
        pcapng_packet(writer, facts, reinterpret_cast<const uint8_t*>(s.data.data()), static_cast<int>(s.data.size()),
                      s.comment);
        time += 1000;
    }
    ASSERT_TRUE(pcapng_flush(sink));

    harness::TempStartDir dir;
    const std::wstring path = dir.file(L"mixed.pcapng");
    harness::write_file(path, file);
    EXPECT_EQ(tshark::faults(path), std::vector<std::string>{});

    std::vector<tshark::Frame> frames = tshark::frames(path);
    ASSERT_FALSE(frames.empty());
    std::vector<std::string> data, expected;
    std::string udp_big;
    for (const tshark::Frame& fr : frames) {
        if (fr.payload.empty()) continue;
        if (!fr.tcp && fr.src_port == 7006 && fr.payload.size() > 2) {
            udp_big += fr.payload;
            continue;
        }
        data.push_back(fr.src + ":" + std::to_string(fr.src_port) + ">" + fr.dst + ":" + std::to_string(fr.dst_port) +
                       " " + fr.payload);
    }
    for (const Step& s : steps) {
        if (s.data.empty() || s.data.size() > 100) continue;
        bool out = s.event == kEventSent;
        std::string local = local_ip(s.ends) + ":" + std::to_string(s.ends.local_port);
        std::string peer = peer_ip(s.ends) + ":" + std::to_string(s.ends.peer_port);
        expected.push_back((out ? local + ">" + peer : peer + ">" + local) + " " + s.data);
    }
    EXPECT_EQ(data, expected);
    EXPECT_EQ(udp_big, big); // split over two datagrams

    double last = 0;
    int fins = 0, syns = 0;
    std::vector<std::string> comments;
    for (const tshark::Frame& fr : frames) {
        EXPECT_GE(fr.time, last);
        last = fr.time;
        if (fr.flags & 0x01) ++fins;
        if (fr.flags == 0x02) ++syns;
        if (!fr.comment.empty()) comments.push_back(fr.comment);
    }
    // Handshakes for the client, both server clients and the one seen late; FINs from both
    // sides of the two connections that closed.
    EXPECT_EQ(syns, 4);
    EXPECT_EQ(fins, 4);
    EXPECT_EQ(comments, (std::vector<std::string>{"open", "close", "with a note"}));
    EXPECT_EQ(frames[0].flags, 0x02u);
    EXPECT_EQ(frames[0].src_port, 50001); // Tarvik's SYN

    // Streams in order of their first frame: the client, then b, c and the late one.
    EXPECT_EQ(tshark::follow(path, 0), std::make_pair(std::string("helloagain"), std::string("world")));
    EXPECT_EQ(tshark::follow(path, 1), std::make_pair(std::string("b1b2"), std::string("toB")));
    EXPECT_EQ(tshark::follow(path, 2), std::make_pair(std::string("c1"), std::string("")));
    EXPECT_EQ(tshark::follow(path, 3), std::make_pair(std::string("late"), std::string("")));

    std::string summary = tshark::summary(path);
    EXPECT_NE(summary.find("Tarvik 1.16"), std::string::npos) << summary;
    EXPECT_NE(summary.find("section note"), std::string::npos) << summary;
}

struct FailingDisk {
    size_t room;
    int calls = 0;
};

bool fail_when_full(void* context, const uint8_t*, size_t count) {
    auto* disk = static_cast<FailingDisk*>(context);
    ++disk->calls;
    if (count > disk->room) return false;
    disk->room -= count;
    return true;
}

TEST(Pcapng, SinkErrorStopsTheWriter) {
    FailingDisk disk{100};
    uint8_t buffer[64];
    PcapngSink sink{buffer, sizeof buffer, 0, fail_when_full, &disk, false};
    PcapngWriter writer;
    pcapng_begin(writer, sink, "Tarvik 1.16", nullptr);
    PacketFacts facts{1, ends(1, 1, 2, 2, kProtocolUdp), kEventSent, 0};
    const uint8_t data[40] = {};
    for (int i = 0; i < 10; ++i) pcapng_packet(writer, facts, data, sizeof data, nullptr);
    EXPECT_TRUE(sink.failed);
    const int calls = disk.calls;
    pcapng_packet(writer, facts, data, sizeof data, nullptr);
    EXPECT_FALSE(pcapng_flush(sink));
    EXPECT_EQ(disk.calls, calls); // nothing more reaches the disk once it has failed
}

TEST(Pcapng, InternetChecksum) {
    // The worked example of the checksum's definition, and an odd length.
    const uint8_t words[] = {0x00, 0x01, 0xf2, 0x03, 0xf4, 0xf5, 0xf6, 0xf7};
    EXPECT_EQ(internet_checksum(words, sizeof words), static_cast<uint16_t>(~0xddf2 & 0xFFFF));
    const uint8_t odd[] = {0x12, 0x34, 0x56};
    EXPECT_EQ(internet_checksum(odd, sizeof odd), static_cast<uint16_t>(~(0x1234 + 0x5600) & 0xFFFF));
}

} // namespace
