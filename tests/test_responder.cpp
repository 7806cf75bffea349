// The responder in the program: real connections in each mode against loopback peers, the
// reply at the peer that asked and in the buffer as a sent packet with its address, the
// delay, a refused file, and responder.ini across a restart.
#include "support_comm.h"

#include "app/settings.h"
#include "comm/connection.h"
#include "comm/traffic_buffer.h"
#include "res/resource.h"
#include "send/responder_dialog.h"
#include "send/responder_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using loopback::Socket;

class ResponderTest : public CommTest {
protected:
    // Writes the rules, loads them and switches the responder on with command 225.
    void answer_by(const std::string& rules) {
        const std::wstring name = dir_.file(L"rules.txt");
        harness::write_file(name, std::vector<uint8_t>(rules.begin(), rules.end()));
        wcscpy(g_responder_settings.responder_file, name.c_str());
        std::wstring message;
        ASSERT_TRUE(load_rules_file(name.c_str(), message)) << std::string(message.begin(), message.end());
        if (!responder_is_on()) SendMessageW(window_, WM_COMMAND, IDT_RESPONDER_SWITCH, 0);
        ASSERT_TRUE(responder_is_on());
    }

    // Sent packets with facts: their bytes and the peer port they went to. A reply is
    // recorded just after it is sent, so the peer may hold it a moment before the buffer
    // does: waits (bounded) for at least `least` of them.
    static std::vector<std::pair<std::string, int>> sent_facts(size_t least) {
        std::vector<std::pair<std::string, int>> out;
        loopback::wait_until([&] { return (out = sent_now()).size() >= least; }, 2000);
        return out;
    }
    static std::vector<std::pair<std::string, int>> sent_now() {
        static TrafficRecord records[kTrafficCapacity];
        static TrafficFact facts[kFactCapacity];
        int fact_count = 0;
        uint64_t loaded = 0;
        traffic_snapshot(records, facts, &fact_count, &loaded);
        std::vector<std::pair<std::string, int>> out;
        for (int i = 0; i < fact_count; ++i) {
            if (facts[i].facts.event != kEventSent) continue;
            std::string bytes;
            for (int r = facts[i].record; r < facts[i].record + facts[i].span; ++r)
                if (records[r].kind == kSentByte) bytes += static_cast<char>(records[r].value);
            out.push_back({bytes, facts[i].facts.ends.peer_port});
        }
        return out;
    }
};

const char kAskRules[] = "# each asker gets its own number back\nstarts \"ask\" => \"re:\" $echo[3:]\n";

TEST_F(ResponderTest, TipServerAnswersEachClientInItsOwnSlot) {
    const int port = open_server(false);
    answer_by(kAskRules);
    Socket a = join_server("127.0.0.1", port);
    Socket b = join_server("127.0.0.1", port);
    ASSERT_TRUE(loopback::send_text(b.s, "ask-b"));
    EXPECT_EQ(loopback::receive(b.s), "re:-b");
    ASSERT_TRUE(loopback::send_text(a.s, "ask-a"));
    EXPECT_EQ(loopback::receive(a.s), "re:-a");
    ASSERT_TRUE(loopback::send_text(a.s, "nothing to say"));
    EXPECT_EQ(loopback::receive(a.s, 300), "<timeout>");
    const auto sent = sent_facts(2);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], (std::pair<std::string, int>{"re:-b", loopback::local_port(b.s)}));
    EXPECT_EQ(sent[1], (std::pair<std::string, int>{"re:-a", loopback::local_port(a.s)}));
    EXPECT_EQ(loopback::count_kind(loopback::records(), kToAddress), 8);

    // A client that has gone by the time its delayed reply is due: dropped, counted, no box.
    answer_by("equals \"late\" => \"too late\" after 200\n");
    const uint64_t dropped = responder_counts().dropped;
    ASSERT_TRUE(loopback::send_text(a.s, "late"));
    Sleep(50);
    a.close();
    EXPECT_TRUE(loopback::wait_until([&] { return responder_counts().dropped == dropped + 1; }));
    EXPECT_TRUE(take_boxes().empty());
}

TEST_F(ResponderTest, UdpServerAnswersEachSenderAtItsOwnPort) {
    const int port = open_server(true);
    answer_by(kAskRules);
    Socket one = loopback::udp_socket("127.0.0.1", 0), two = loopback::udp_socket("127.0.0.1", 0);
    ASSERT_TRUE(loopback::send_datagram(one.s, port, "ask1"));
    ASSERT_TRUE(loopback::send_datagram(two.s, port, "ask2"));
    EXPECT_EQ(loopback::receive(one.s), "re:1");
    EXPECT_EQ(loopback::receive(two.s), "re:2");
    const auto sent = sent_facts(2);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], (std::pair<std::string, int>{"re:1", loopback::local_port(one.s)}));
    EXPECT_EQ(sent[1], (std::pair<std::string, int>{"re:2", loopback::local_port(two.s)}));
}

TEST_F(ResponderTest, ClientsAnswerTheirPeer) {
    Socket peer = open_tip_client();
    answer_by(kAskRules);
    ASSERT_TRUE(loopback::send_text(peer.s, "ask!"));
    EXPECT_EQ(loopback::receive(peer.s), "re:!");
    close();

    const int peer_port = loopback::free_port(SOCK_DGRAM), own_port = loopback::free_port(SOCK_DGRAM);
    Socket udp_peer = loopback::udp_socket("127.0.0.1", peer_port);
    use_mode(true, false, peer_port, own_port);
    g_settings.bind_mode = 1;
    open();
    ASSERT_TRUE(connection_is_open());
    ASSERT_TRUE(loopback::send_datagram(udp_peer.s, own_port, "ask?"));
    EXPECT_EQ(loopback::receive(udp_peer.s), "re:?");
    const auto sent = sent_facts(2);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent.back(), (std::pair<std::string, int>{"re:?", peer_port}));
}

TEST_F(ResponderTest, ADelayedReplyLeavesTheWindowAnswering) {
    const int port = open_server(false);
    answer_by("equals \"slow\" => \"done\" after 300\n");
    Socket c = join_server("127.0.0.1", port);
    const DWORD start = GetTickCount();
    ASSERT_TRUE(loopback::send_text(c.s, "slow"));
    // The window answers a message at once while the reply waits.
    DWORD_PTR result;
    EXPECT_TRUE(SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_BLOCK, 100, &result));
    EXPECT_LT(GetTickCount() - start, 250u);
    EXPECT_EQ(loopback::receive(c.s, 3000), "done");
    EXPECT_GE(GetTickCount() - start, 295u); // the tick count is coarse by a few ms
}

TEST_F(ResponderTest, TheModbusRtuExampleAnswersWithItsCrc) {
    const int port = open_server(false);
    const std::vector<uint8_t> rules = harness::read_file(harness::source_file("data/responder/modbus_rtu.txt"));
    answer_by(std::string(rules.begin(), rules.end()));
    Socket c = join_server("127.0.0.1", port);
    ASSERT_TRUE(loopback::send_text(c.s, std::string("\x01\x03\x00\x00\x00\x02\xC4\x0B", 8)));
    EXPECT_EQ(loopback::receive(c.s), std::string("\x01\x03\x04\x00\x0A\x00\x0B\x9B\xF6", 9));
    ASSERT_TRUE(loopback::send_text(c.s, std::string("\x01\x03\x00\x10\x00\x01\x85\xCF", 8)));
    EXPECT_EQ(loopback::receive(c.s), std::string("\x01\x83\x02\xC0\xF1", 5));
}

TEST_F(ResponderTest, ABadFileIsRefusedAndTheOldRulesKeepAnswering) {
    const int port = open_server(true);
    answer_by(kAskRules);
    std::string bad = "# 1\n# 2\nany => 00\n\n\n# 6\nequals 41 => 4\n";
    harness::write_file(dir_.file(L"bad.txt"), std::vector<uint8_t>(bad.begin(), bad.end()));
    std::wstring message;
    g_settings.moji_type = 1; // English
    EXPECT_FALSE(load_rules_file(dir_.file(L"bad.txt").c_str(), message));
    EXPECT_NE(message.find(L"Line 7"), std::wstring::npos) << std::string(message.begin(), message.end());
    std::string big(2 * 1024 * 1024, '#');
    harness::write_file(dir_.file(L"big.txt"), std::vector<uint8_t>(big.begin(), big.end()));
    EXPECT_FALSE(load_rules_file(dir_.file(L"big.txt").c_str(), message));
    EXPECT_NE(message.find(L"1 MiB"), std::wstring::npos);
    Socket s = loopback::udp_socket("127.0.0.1", 0);
    ASSERT_TRUE(loopback::send_datagram(s.s, port, "ask again"));
    EXPECT_EQ(loopback::receive(s.s), "re: again");
}

TEST_F(ResponderTest, SwitchedOnItAnswersFromTheFirstPacketAfterARestart) {
    answer_by(kAskRules); // command 225 writes responder.ini
    harness::destroy_main_window(window_);
    EXPECT_FALSE(responder_is_on());
    window_ = harness::create_main_window();
    ASSERT_TRUE(window_ != nullptr);
    EXPECT_TRUE(responder_is_on());
    g_settings = Settings{};
    const int port = open_server(true);
    Socket s = loopback::udp_socket("127.0.0.1", 0);
    ASSERT_TRUE(loopback::send_datagram(s.s, port, "ask first"));
    EXPECT_EQ(loopback::receive(s.s), "re: first");
    SendMessageW(window_, WM_COMMAND, IDM_RESPONDER_SWITCH, 0);
    EXPECT_FALSE(responder_is_on());
}

} // namespace
