// Opening and closing the four kinds of connection through the main window's commands,
// with real sockets on the loopback network.
#include "support_comm.h"

#include "app/settings.h"
#include "app/text_table.h"
#include "comm/connection.h"
#include "comm/host_lookup.h"
#include "comm/peers.h"
#include "comm/sending.h"
#include "view/traffic_view.h"

#include <atomic>
#include <thread>

using loopback::Socket;

namespace {

std::wstring description() { return widen(g_conn.wsa_data.szDescription); }

std::wstring socket_number() { return std::to_wstring(static_cast<int>(g_conn.main_socket.load())); }

} // namespace

TEST_F(CommTest, EveryModeOpensAndClosesStepByStep) {
    int tcp_port = loopback::free_port(SOCK_STREAM);
    Socket listener = loopback::tcp_listener("127.0.0.1", tcp_port);
    struct Mode {
        bool udp, server;
    };
    for (Mode mode : {Mode{false, false}, Mode{false, true}, Mode{true, false}, Mode{true, true}}) {
        SCOPED_TRACE(testing::Message() << "udp " << mode.udp << " server " << mode.server);
        use_mode(mode.udp, mode.server, tcp_port, loopback::free_port(mode.udp ? SOCK_DGRAM : SOCK_STREAM));
        g_view.follow_end = 0;
        open();
        ASSERT_TRUE(connection_is_open());
        EXPECT_EQ(g_view.follow_end, 1);
        std::vector<std::wstring> expected = {L"WSAStartup|" + description()};
        if (!mode.server) expected.push_back(L"LAN connection|Success！ No." + socket_number());
        expected.push_back(L"LAN connection|Success of thread!");
        EXPECT_EQ(take_boxes(), expected);
        Socket accepted = loopback::tcp_accept(listener.s, mode.udp || mode.server ? 0 : 2000);

        close();
        EXPECT_FALSE(connection_is_open());
        EXPECT_EQ(take_boxes(), std::vector<std::wstring>{L"LAN disconnect|Success！"});
        if (accepted.valid()) {
            EXPECT_EQ(loopback::receive(accepted.s), "<closed>");
        }
    }
}

TEST_F(CommTest, BoxesOfOpeningBelongToTheMainWindow) {
    use_mode(true, true, 0, loopback::free_port(SOCK_DGRAM));
    open();
    ASSERT_TRUE(connection_is_open());
    std::vector<harness::ShownBox> boxes = harness::shown_boxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const harness::ShownBox& box : boxes) EXPECT_EQ(box.owner, window_);
}

TEST_F(CommTest, WinsockVersionFollowsTheSetting) {
    EXPECT_EQ(winsock_version(1), MAKEWORD(1, 0));
    EXPECT_EQ(winsock_version(2), MAKEWORD(1, 1));
    EXPECT_EQ(winsock_version(3), MAKEWORD(2, 0));
    EXPECT_EQ(winsock_version(4), MAKEWORD(2, 2));
    EXPECT_EQ(winsock_version(0), MAKEWORD(2, 0));
    EXPECT_EQ(winsock_version(9), MAKEWORD(2, 0));
    // What the system agreed to for the default setting.
    use_mode(true, true, 0, loopback::free_port(SOCK_DGRAM));
    open();
    ASSERT_TRUE(connection_is_open());
    EXPECT_EQ(g_conn.wsa_data.wVersion, MAKEWORD(2, 0));
}

TEST_F(CommTest, RefusedConnectIsReportedInTheUsersLanguage) {
    int nobody = loopback::free_port(SOCK_STREAM);
    use_mode(false, false, nobody, 0);
    g_settings.moji_type = 0;
    EXPECT_EQ(failed_opening_box(), L"connect_Error|No.10061 :接続が拒否されました。");
    g_settings.moji_type = 1;
    EXPECT_EQ(failed_opening_box(), L"connect_Error|No.10061 :Connection refused.");
    // Korean keeps the English sentences.
    g_settings.moji_type = 2;
    EXPECT_EQ(failed_opening_box(), L"connect_Error|No.10061 :Connection refused.");
}

TEST_F(CommTest, BusyAddressGetsTheWaitHintOnlyForTheUsersOwnAddress) {
    int port = loopback::free_port(SOCK_STREAM);
    Socket holder = loopback::tcp_listener("127.0.0.1", port);
    ASSERT_TRUE(holder.valid());
    use_mode(false, true, 0, port);
    g_settings.moji_type = 1;

    g_settings.bind_mode = 1;
    EXPECT_EQ(failed_opening_box(), L"bind_Error|No.10048 :Address is already in use.\r\n Please try again in about 2 minutes");
    g_settings.bind_mode = 0;
    EXPECT_EQ(failed_opening_box(), L"bind_Error|No.10048 :Address is already in use.");

    int udp_port = loopback::free_port(SOCK_DGRAM);
    Socket udp_holder = loopback::udp_socket("127.0.0.1", udp_port);
    use_mode(true, true, 0, udp_port);
    g_settings.bind_mode = 1;
    g_settings.moji_type = 0;
    EXPECT_EQ(failed_opening_box(), L"bind_Error|No.10048 :IPアドレス＋ポート番号は既に使用されています。\r\n 約２分後に再度試してみて下さい");
}

TEST_F(CommTest, SettingsOutOfRangeStopTheOpeningBeforeWinsock) {
    struct Case {
        const char* what;
        bool server;
        int bind_mode;
        void (*spoil)();
        int entry; // 0: the opening goes through
    };
    const Case cases[] = {
        {"peer port", false, 0, [] { g_settings.port_no = 65536; }, 111},
        {"peer octet", false, 0, [] { g_settings.ip_no3 = 256; }, 112},
        {"negative peer octet", false, 0, [] { g_settings.ip_no1 = -1; }, 112},
        {"own port of a bound client", false, 1, [] { g_settings.aport_no = -1; }, 111},
        {"own octet of a bound client", false, 1, [] { g_settings.aip_no4 = 300; }, 112},
        {"own octet of an unbound client", false, 0, [] { g_settings.aip_no4 = 300; }, 0},
        {"server port", true, 0, [] { g_settings.aport_no = 70000; }, 111},
        {"peer octet of a server", true, 0, [] { g_settings.ip_no2 = 999; }, 0},
        {"own octet of a bound server", true, 1, [] { g_settings.aip_no2 = 256; }, 112},
    };
    int port = loopback::free_port(SOCK_DGRAM);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        use_mode(true, c.server, port, port);
        g_settings.bind_mode = c.bind_mode;
        c.spoil();
        EXPECT_EQ(settings_range_entry(g_settings), c.entry);
        bool opened = c.server ? open_udp_server(window_) : open_udp_client(window_);
        std::vector<harness::ShownBox> boxes = harness::shown_boxes();
        harness::clear_shown_boxes();
        if (c.entry == 0) {
            EXPECT_TRUE(opened);
            close_connection(window_);
            harness::clear_shown_boxes();
            continue;
        }
        EXPECT_FALSE(opened);
        EXPECT_FALSE(connection_is_open());
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, text_entry(c.entry));
        EXPECT_EQ(boxes[0].caption, text_entry(110));
        EXPECT_EQ(boxes[0].owner, window_);
    }
}

TEST_F(CommTest, BoundTipClientUsesTheOwnAddressAndPort) {
    int port = loopback::free_port(SOCK_STREAM);
    Socket listener = loopback::tcp_listener("127.0.0.1", port);
    int own_port = loopback::free_port(SOCK_STREAM);
    use_mode(false, false, port, own_port);
    g_settings.bind_mode = 1;
    g_settings.aip_no4 = 2;
    open();
    ASSERT_TRUE(connection_is_open());
    Socket accepted = loopback::tcp_accept(listener.s);
    ASSERT_TRUE(accepted.valid());
    sockaddr_in peer{};
    int length = sizeof peer;
    getpeername(accepted.s, reinterpret_cast<sockaddr*>(&peer), &length);
    const auto* octets = reinterpret_cast<const uint8_t*>(&peer.sin_addr);
    EXPECT_EQ(octets[0], 127);
    EXPECT_EQ(octets[3], 2);
    EXPECT_EQ(ntohs(peer.sin_port), own_port);
}

TEST_F(CommTest, ClosingAsksOnlyWhileAServerHasAClient) {
    int port = open_server(false);
    Socket first = join_server("127.0.0.1", port);
    Socket second = join_server("127.0.0.2", port);

    harness::queue_box_answer(IDNO);
    close();
    std::vector<harness::ShownBox> boxes = harness::shown_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, text_entry(21));
    EXPECT_EQ(boxes[0].text, text_entry(22));
    EXPECT_EQ(boxes[0].type & 0xF, static_cast<UINT>(MB_YESNO));
    EXPECT_TRUE(connection_is_open());
    // No keeps everything working.
    const uint8_t hello[] = {'h', 'i'};
    EXPECT_EQ(send_bytes(1, hello, 2), 0);
    EXPECT_EQ(loopback::receive(second.s), "hi");
    take_boxes();

    // One client leaving does not make the others disappear.
    first.close();
    ASSERT_TRUE(loopback::wait_until([] { return connected_client_count() == 1; }));
    EXPECT_EQ(g_peers.peer_flag, kTipClientConnected);
    close();
    EXPECT_EQ(take_boxes(), (std::vector<std::wstring>{text_entry(21) + std::wstring(L"|") + text_entry(22),
                                                        L"LAN disconnect|Success！"}));
    EXPECT_FALSE(connection_is_open());
    // The server's clients go with it.
    EXPECT_EQ(loopback::receive(second.s), "<closed>");
}

TEST_F(CommTest, LastClientLeavingEndsTheQuestion) {
    int port = open_server(false);
    Socket client = join_server("127.0.0.1", port);
    EXPECT_EQ(g_peers.peer_flag, kTipClientConnected);
    client.close();
    ASSERT_TRUE(loopback::wait_until([] { return g_peers.peer_flag == kNoPeer; }));
    close();
    EXPECT_EQ(take_boxes(), std::vector<std::wstring>{L"LAN disconnect|Success！"});
}

namespace {

HANDLE g_release_thread = nullptr;
void hold_thread() { WaitForSingleObject(g_release_thread, 5000); }

} // namespace

TEST_F(CommTest, ThreadThatWillNotEndIsForcedThenTheClosingGivesUp) {
    Socket peer = open_tip_client();
    g_release_thread = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_conn.thread_end_hook = hold_thread;

    DWORD start = GetTickCount();
    close();
    DWORD took = GetTickCount() - start;
    EXPECT_EQ(take_boxes(), (std::vector<std::wstring>{L"Forced termination|Error！", L"Close failure|Error！"}));
    EXPECT_TRUE(connection_is_open());
    EXPECT_GE(took, 550u); // six waits of 100 ms
    EXPECT_LT(took, 2000u);

    SetEvent(g_release_thread);
    HANDLE thread = g_conn.thread;
    EXPECT_EQ(WaitForSingleObject(thread, 3000), WAIT_OBJECT_0);
    g_conn.thread_end_hook = nullptr;
    CloseHandle(g_release_thread);
    // The socket went at the forced step; the next closing does not close it a second time.
    close();
    EXPECT_EQ(take_boxes(), std::vector<std::wstring>{L"LAN disconnect|Success！"});
    EXPECT_FALSE(connection_is_open());
}

TEST_F(CommTest, ClosingWithNothingOpenDoesNothing) {
    close();
    EXPECT_TRUE(take_boxes().empty());
    EXPECT_FALSE(connection_is_open());
}

TEST_F(CommTest, ServerClosesQuicklyWhileWaitingForClients) {
    open_server(false);
    DWORD start = GetTickCount();
    close();
    EXPECT_LT(GetTickCount() - start, 450u); // never near the forced step
    EXPECT_EQ(take_boxes(), std::vector<std::wstring>{L"LAN disconnect|Success！"});
}

TEST_F(CommTest, FailedServerOpeningStillLooksUpTheHost) {
    int port = loopback::free_port(SOCK_STREAM);
    Socket holder = loopback::tcp_listener("127.0.0.1", port);
    use_mode(false, true, 0, port);
    g_settings.bind_mode = 1;
    wcscpy(g_host.address, L"stale");
    open();
    EXPECT_FALSE(connection_is_open());
    EXPECT_STRNE(g_host.address, L"stale");
}

TEST_F(CommTest, UdpServerClosedInTheMiddleOfTrafficFreesItsPort) {
    int port = open_server(true);
    // Datagrams keep coming while the closing runs, so the thread ends before the closing
    // has closed anything.
    std::atomic<bool> stop{false};
    std::thread feeder([&] {
        Socket sender = loopback::udp_socket("127.0.0.1", 0);
        for (int i = 0; i < 300 && !stop; ++i) {
            loopback::send_datagram(sender.s, port, "x");
            Sleep(2);
        }
    });
    ASSERT_TRUE(records_reach(1));
    close();
    stop = true;
    feeder.join();
    EXPECT_EQ(take_boxes(), std::vector<std::wstring>{L"LAN disconnect|Success！"});
    Socket again = loopback::udp_socket("127.0.0.1", port);
    EXPECT_TRUE(again.valid());
}
