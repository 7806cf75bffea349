// Sending in the four modes and what a send leaves in the traffic buffer.
#include "support_comm.h"

#include "app/settings.h"
#include "comm/connection.h"
#include "comm/peers.h"
#include "comm/sending.h"
#include "comm/traffic_buffer.h"

using loopback::Socket;

namespace {

const uint8_t kAB[] = {'A', 'B'};

} // namespace

TEST_F(CommTest, TipClientSendsToItsPeer) {
    Socket peer = open_tip_client();
    EXPECT_EQ(send_from_macro(7, kAB, 2), 0);
    EXPECT_EQ(loopback::receive(peer.s), "AB");
    EXPECT_EQ(loopback::trace(loopback::records()), "AB|");
    EXPECT_EQ(loopback::count_kind(loopback::records(), kSentByte), 2);
    uint8_t octets[4];
    EXPECT_FALSE(send_to_address(0, octets));
    EXPECT_TRUE(take_boxes().empty());
}

TEST_F(CommTest, MacroSendsUpTo264Bytes) {
    Socket peer = open_tip_client();
    uint8_t bytes[kMacroSendBytes + 1];
    for (int i = 0; i <= kMacroSendBytes; ++i) bytes[i] = static_cast<uint8_t>(i * 7);

    EXPECT_EQ(send_from_macro(0, bytes, kMacroSendBytes + 1), WSAEMSGSIZE);
    EXPECT_EQ(take_boxes(), std::vector<std::wstring>{L"WSAGetLastError|ERR:10040"});
    EXPECT_EQ(loopback::receive(peer.s, 200), "<timeout>");
    EXPECT_EQ(traffic_state().write_index, 0);

    EXPECT_EQ(send_from_macro(0, bytes, kMacroSendBytes), 0);
    std::string got;
    for (int i = 0; i < 10 && got.size() < kMacroSendBytes; ++i) got += loopback::receive(peer.s);
    EXPECT_EQ(got, std::string(reinterpret_cast<char*>(bytes), kMacroSendBytes));
    std::vector<TrafficRecord> r = loopback::records();
    ASSERT_EQ(r.size(), static_cast<size_t>(kMacroSendBytes + 3));
    for (int i = 0; i < kMacroSendBytes; ++i) {
        EXPECT_EQ(r[i].kind, kSentByte);
        EXPECT_EQ(r[i].aux, i % 256);
    }
    EXPECT_EQ(loopback::count_kind(r, kGapMark), 1);
}

TEST_F(CommTest, TipServerSendsToTheChosenClientAndNamesIt) {
    int port = open_server(false);
    Socket first = join_server("127.0.0.1", port);
    Socket second = join_server("127.0.0.2", port);

    EXPECT_EQ(send_from_macro(0, kAB, 2), 0);
    EXPECT_EQ(loopback::receive(first.s), "AB");
    const uint8_t c[] = {'C'};
    EXPECT_EQ(send_from_macro(1, c, 1), 0);
    EXPECT_EQ(loopback::receive(second.s), "C");
    std::vector<TrafficRecord> r = loopback::records();
    EXPECT_EQ(loopback::trace(r), "O1O2T1AB|T2C|");
    EXPECT_EQ(loopback::address_groups(r, kToAddress), (std::vector<std::string>{"1:127.0.0.1", "1:127.0.0.2"}));
    uint8_t octets[4];
    ASSERT_TRUE(send_to_address(1, octets));
    EXPECT_EQ(octets[3], 2);

    // A destination outside 0-9 is the first client.
    EXPECT_EQ(send_bytes(12, kAB, 2), 0);
    EXPECT_EQ(loopback::receive(first.s), "AB");

    // The second client leaves: a send to its slot, or to one never used, says that no
    // client is there and records nothing; the first still gets its data.
    g_settings.moji_type = 1;
    second.close();
    int before = traffic_state().write_index + 4;
    ASSERT_TRUE(records_reach(before)); // its close
    for (int slot : {1, 3}) {
        EXPECT_EQ(send_from_macro(slot, kAB, 2), kSendRefused);
        EXPECT_EQ(take_boxes(), std::vector<std::wstring>{L"No client|No client is connected at client slot " +
                                                          std::to_wstring(slot)});
        EXPECT_EQ(traffic_state().write_index, before);
    }
    EXPECT_EQ(send_from_macro(0, kAB, 2), 0);
    EXPECT_EQ(loopback::receive(first.s), "AB");
}

TEST_F(CommTest, UdpClientSendsToTheConfiguredPeerAndHearsTheAnswer) {
    int peer_port = loopback::free_port(SOCK_DGRAM);
    Socket peer = loopback::udp_socket("127.0.0.1", peer_port);
    use_mode(true, false, peer_port, 0);
    open();
    ASSERT_TRUE(connection_is_open());
    take_boxes();
    EXPECT_EQ(send_from_macro(4, kAB, 2), 0);
    sockaddr_in from{};
    int length = sizeof from;
    char buffer[16];
    fd_set set;
    FD_ZERO(&set);
    FD_SET(peer.s, &set);
    timeval timeout{2, 0};
    ASSERT_EQ(select(0, &set, nullptr, nullptr, &timeout), 1);
    ASSERT_EQ(recvfrom(peer.s, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length), 2);
    EXPECT_EQ(std::string(buffer, 2), "AB");
    // The first send bound the client: an answer now gets recorded, with no addresses.
    ASSERT_EQ(sendto(peer.s, "xyz", 3, 0, reinterpret_cast<sockaddr*>(&from), sizeof from), 3);
    ASSERT_TRUE(records_reach(5 + 6));
    EXPECT_EQ(loopback::trace(loopback::records()), "AB|xyz|");
    EXPECT_TRUE(take_boxes().empty());
}

TEST_F(CommTest, UdpServerAnswersTheNewestSenderWhateverTheDestination) {
    int port = open_server(true);
    Socket first = loopback::udp_socket("127.0.0.1", 0);
    Socket second = loopback::udp_socket("127.0.0.1", 0);
    ASSERT_TRUE(loopback::send_datagram(first.s, port, "1"));
    ASSERT_TRUE(records_reach(8));
    ASSERT_TRUE(loopback::send_datagram(second.s, port, "2"));
    ASSERT_TRUE(records_reach(16));
    EXPECT_EQ(send_from_macro(0, kAB, 2), 0);
    EXPECT_EQ(loopback::receive(second.s), "AB");
    EXPECT_EQ(loopback::receive(first.s, 100), "<timeout>");
    std::vector<TrafficRecord> r = loopback::records();
    EXPECT_EQ(loopback::trace(r), "F11|F12|T1AB|");
    EXPECT_EQ(loopback::address_groups(r, kToAddress), std::vector<std::string>{"1:127.0.0.1"});
    EXPECT_TRUE(take_boxes().empty());
}
