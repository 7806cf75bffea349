// What the receive threads record, with peers on 127.0.0.1, 127.0.0.2 and 127.0.0.3.
#include "support_comm.h"

#include "app/settings.h"
#include "comm/connection.h"
#include "comm/peers.h"
#include "comm/receive_loops.h"
#include "comm/traffic_buffer.h"

#include <cstring>

using loopback::Socket;

namespace {

int write_index() { return traffic_state().write_index; }

} // namespace

TEST_F(CommTest, TipClientRecordsFiveBytesAndATrailer) {
    Socket peer = open_tip_client();
    ASSERT_TRUE(loopback::send_text(peer.s, "HELLO"));
    ASSERT_TRUE(records_reach(8));
    std::vector<TrafficRecord> r = loopback::records();
    ASSERT_EQ(r.size(), 8u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(r[i].kind, kReceivedByte);
        EXPECT_EQ(r[i].value, "HELLO"[i]);
        EXPECT_EQ(r[i].aux, i);
    }
    EXPECT_EQ(r[5].kind, kGapMark);
    EXPECT_EQ(r[6].kind, kGapHigh);
    EXPECT_EQ(r[7].kind, kGapLow);
    EXPECT_EQ(traffic_state().pending_gap, 6);
    {
        std::lock_guard<std::mutex> guard(g_peers.lock);
        EXPECT_EQ(std::memcmp(g_peers.last_received, "HELLO", 6), 0);
    }
}

// What one send of the peer brings, the receive takes whole: one packet, not two.
TEST_F(CommTest, OneSegmentIsOnePacketInBothTcpRoles) {
    const std::string segment(1460, 's');
    for (bool server : {false, true}) {
        SCOPED_TRACE(server ? "server" : "client");
        traffic_reset();
        Socket peer = server ? join_server("127.0.0.1", open_server(false)) : open_tip_client();
        const int before = write_index();
        ASSERT_TRUE(loopback::send_text(peer.s, segment));
        ASSERT_TRUE(records_reach(before + (server ? 4 : 0) + 1460 + 3));
        EXPECT_EQ(loopback::packets(loopback::records(), kReceivedByte), std::vector<std::string>{segment});
        close();
    }
}

TEST_F(CommTest, TipServerShowsEachClientsOwnAddress) {
    int port = open_server(false);
    const char* from[] = {"127.0.0.1", "127.0.0.2", "127.0.0.3"};
    Socket clients[3];
    for (int i = 0; i < 3; ++i) clients[i] = join_server(from[i], port);
    for (int i = 0; i < 3; ++i) {
        int before = write_index();
        ASSERT_TRUE(loopback::send_text(clients[i].s, std::string(1, static_cast<char>('a' + i))));
        ASSERT_TRUE(records_reach(before + 8));
    }
    // The second client leaves first, then the first; the third stays.
    clients[1].close();
    ASSERT_TRUE(records_reach(12 + 24 + 4));
    clients[0].close();
    ASSERT_TRUE(records_reach(12 + 24 + 8));

    std::vector<TrafficRecord> r = loopback::records();
    EXPECT_EQ(loopback::trace(r), "O1O2O3F1a|F2b|F3c|C2C1");
    EXPECT_EQ(loopback::address_groups(r, kClientEvent),
              (std::vector<std::string>{"1:127.0.0.1", "1:127.0.0.2", "1:127.0.0.3", "11:127.0.0.2", "11:127.0.0.1"}));
    EXPECT_EQ(loopback::address_groups(r, kFromAddress),
              (std::vector<std::string>{"1:127.0.0.1", "1:127.0.0.2", "1:127.0.0.3"}));
    EXPECT_EQ(connected_client_count(), 1);
    EXPECT_EQ(g_peers.peer_flag, kTipClientConnected);
    // A newcomer takes the lowest free slot.
    Socket again = loopback::tcp_connect("127.0.0.2", port);
    ASSERT_TRUE(loopback::wait_until([] { return connected_client_count() == 2; }));
    std::lock_guard<std::mutex> guard(g_peers.lock);
    EXPECT_NE(g_peers.slots[0], INVALID_SOCKET);
    EXPECT_EQ(g_peers.slots[1], INVALID_SOCKET);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(&g_peers.slot_address[0].sin_addr)[3], 2);
}

TEST_F(CommTest, TipServerServesTheLowerSlotFirst) {
    int port = open_server(false);
    Socket first, second;
    {
        // Holding the traffic buffer keeps the server inside its first accept while both
        // clients get their data in, the upper one first.
        std::unique_lock<std::mutex> hold(g_traffic.lock);
        first = loopback::tcp_connect("127.0.0.1", port);
        ASSERT_TRUE(loopback::wait_until([] {
            std::lock_guard<std::mutex> guard(g_peers.lock);
            return g_peers.slots[0] != INVALID_SOCKET;
        }));
        second = loopback::tcp_connect("127.0.0.2", port);
        ASSERT_TRUE(loopback::send_text(second.s, "b"));
        ASSERT_TRUE(loopback::send_text(first.s, "a"));
        Sleep(100);
    }
    ASSERT_TRUE(records_reach(8 + 16));
    EXPECT_EQ(loopback::trace(loopback::records()), "O1O2F1a|F2b|");
}

TEST_F(CommTest, EleventhClientIsSentAwayUnrecorded) {
    int port = open_server(false);
    std::vector<Socket> clients;
    for (int i = 0; i < kClientSlots; ++i) clients.push_back(join_server("127.0.0.1", port));
    Socket eleventh = loopback::tcp_connect("127.0.0.3", port);
    ASSERT_TRUE(eleventh.valid());
    EXPECT_EQ(loopback::receive(eleventh.s), "<closed>");
    EXPECT_EQ(write_index(), 4 * kClientSlots);
    EXPECT_EQ(connected_client_count(), kClientSlots);
    // The ten are still served.
    ASSERT_TRUE(loopback::send_text(clients[9].s, "z"));
    ASSERT_TRUE(records_reach(4 * kClientSlots + 8));
}

TEST_F(CommTest, BrokenClientKeepsItsSlotWithoutHidingTheOthers) {
    int port = open_server(false);
    Socket first = join_server("127.0.0.1", port);
    Socket second = join_server("127.0.0.2", port);
    // From now on every receive from the first client fails although data is waiting.
    {
        std::lock_guard<std::mutex> guard(g_peers.lock);
        ASSERT_EQ(shutdown(g_peers.slots[0], SD_RECEIVE), 0);
    }
    ASSERT_TRUE(loopback::send_text(first.s, "a"));
    ASSERT_TRUE(loopback::wait_until([] {
        std::lock_guard<std::mutex> guard(g_peers.lock);
        return g_peers.slot_failed[0];
    }));
    ASSERT_TRUE(loopback::send_text(second.s, "b"));
    ASSERT_TRUE(records_reach(16));
    EXPECT_EQ(loopback::trace(loopback::records()), "O1O2F2b|");
    EXPECT_EQ(connected_client_count(), 2);
}

TEST_F(CommTest, UdpServerRecordsSendersAndKeepsTwentyOfThem) {
    int port = open_server(true);
    Socket other = loopback::udp_socket("127.0.0.1", 0);
    Socket sender = loopback::udp_socket("127.0.0.1", 0);
    ASSERT_TRUE(loopback::send_datagram(other.s, port, "o"));
    ASSERT_TRUE(records_reach(8));
    EXPECT_EQ(g_peers.peer_flag, kUdpSenderHeard);
    for (int i = 0; i < 25; ++i) {
        ASSERT_TRUE(loopback::send_datagram(sender.s, port, std::string(1, static_cast<char>('A' + i))));
        ASSERT_TRUE(records_reach(8 * (i + 2))); // one at a time: loopback may drop a burst
    }
    std::vector<TrafficRecord> r = loopback::records();
    std::vector<std::string> groups = loopback::address_groups(r, kFromAddress);
    ASSERT_EQ(groups.size(), 26u);
    for (const std::string& group : groups) EXPECT_EQ(group, "11:127.0.0.1");
    EXPECT_EQ(loopback::packets(r, kReceivedByte).back(), "Y");
    std::lock_guard<std::mutex> guard(g_peers.lock);
    EXPECT_EQ(g_peers.sender_count, kSenderListSize);
    for (int i = 0; i < kSenderListSize; ++i) EXPECT_EQ(g_peers.senders[i], htonl(INADDR_LOOPBACK));
    EXPECT_EQ(ntohs(g_peers.last_sender.sin_port), loopback::local_port(sender.s));
}

TEST_F(CommTest, UdpDatagramsOfNothingAndOfMuch) {
    int port = open_server(true);
    Socket sender = loopback::udp_socket("127.0.0.1", 0);
    // An empty datagram shows only who sent it.
    ASSERT_TRUE(loopback::send_datagram(sender.s, port, ""));
    ASSERT_TRUE(records_reach(4));
    // A long one comes whole; the macro runner's block holds its start, zero-terminated.
    std::string big(1500, 'x');
    ASSERT_TRUE(loopback::send_datagram(sender.s, port, big));
    ASSERT_TRUE(records_reach(4 + 4 + 1500 + 3));
    std::vector<TrafficRecord> r = loopback::records();
    EXPECT_EQ(loopback::count_kind(r, kFromAddress), 8);
    EXPECT_EQ(loopback::count_kind(r, kReceivedByte), 1500);
    EXPECT_EQ(loopback::count_kind(r, kGapMark), 1);
    std::lock_guard<std::mutex> guard(g_peers.lock);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(g_peers.last_received)), std::string(kReceiveBlockBytes - 1, 'x'));
}

TEST_F(CommTest, UnboundUdpClientWaitsQuietlyUntilItSends) {
    int peer_port = loopback::free_port(SOCK_DGRAM);
    Socket peer = loopback::udp_socket("127.0.0.1", peer_port);
    use_mode(true, false, peer_port, 0);
    open();
    ASSERT_TRUE(connection_is_open());
    FILETIME created, exited, kernel_before, user_before, kernel_after, user_after;
    GetThreadTimes(g_conn.thread, &created, &exited, &kernel_before, &user_before);
    Sleep(500);
    GetThreadTimes(g_conn.thread, &created, &exited, &kernel_after, &user_after);
    auto ticks = [](const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    uint64_t busy_100ns = ticks(kernel_after) - ticks(kernel_before) + ticks(user_after) - ticks(user_before);
    EXPECT_LT(busy_100ns, 1000000u); // well under 100 ms of 500
    EXPECT_EQ(write_index(), 0);
}
