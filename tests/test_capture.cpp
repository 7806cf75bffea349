// Export and capture files of real loopback exchanges, read by the analyser's reader:
// every data frame is a packet the peers sent or received, in order, with the real
// addresses and ports; each TCP stream follows as the bytes went.
#include "support_comm.h"
#include "support_tshark.h"

#include "app/settings.h"
#include "app/text_table.h"
#include "app/tick.h"
#include "app/toolbar.h"
#include "comm/capture.h"
#include "comm/connection.h"
#include "comm/packet_export.h"
#include "comm/peers.h"
#include "comm/sending.h"
#include "comm/traffic_buffer.h"
#include "res/resource.h"
#include "view/log_files.h"
#include "view/pcapng_files.h"

#include <ws2tcpip.h>
#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using loopback::Socket;

namespace {

std::string text_of(const sockaddr_in& a) {
    const auto* b = reinterpret_cast<const uint8_t*>(&a.sin_addr);
    return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." + std::to_string(b[3]) +
           ":" + std::to_string(ntohs(a.sin_port));
}

// "ip:port" of a test socket's own end, or of the end it is connected to.
std::string own_end(SOCKET s) {
    sockaddr_in a{};
    int n = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
    return text_of(a);
}

std::string far_end(SOCKET s) {
    sockaddr_in a{};
    int n = sizeof a;
    getpeername(s, reinterpret_cast<sockaddr*>(&a), &n);
    return text_of(a);
}

std::string arrow(const std::string& from, const std::string& to, const std::string& data) {
    return from + ">" + to + " " + data;
}

std::vector<std::string> data_frames(const std::vector<tshark::Frame>& frames) {
    std::vector<std::string> out;
    for (const tshark::Frame& f : frames)
        if (!f.payload.empty())
            out.push_back(arrow(f.src + ":" + std::to_string(f.src_port), f.dst + ":" + std::to_string(f.dst_port),
                                f.payload));
    return out;
}

void send_macro(int destination, const std::string& text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    ASSERT_EQ(send_from_macro(destination, bytes, static_cast<int>(text.size())), 0);
}

class CaptureTest : public CommTest {
protected:
    void SetUp() override {
        CommTest::SetUp();
        started_ = utc_now_us() / 1e6;
    }
    void TearDown() override {
        capture_stop();
        CommTest::TearDown();
    }
    // Exports the buffer and checks what holds for every file: no fault, times in order
    // and within the test's run. Returns the frames.
    std::vector<tshark::Frame> exported(const std::wstring& name, bool live = true) {
        std::wstring path = dir_.file(name);
        EXPECT_TRUE(export_pcapng_to(window_, path.c_str()));
        return checked(path, live);
    }
    // Rebuilt times run on from the loading by the recorded gaps, past the present.
    std::vector<tshark::Frame> checked(const std::wstring& path, bool live = true) {
        EXPECT_EQ(tshark::faults(path), std::vector<std::string>{});
        std::vector<tshark::Frame> frames = tshark::frames(path);
        double last = started_ - 0.001, now = utc_now_us() / 1e6;
        for (const tshark::Frame& f : frames) {
            EXPECT_GE(f.time, last);
            last = f.time;
        }
        if (live) {
            EXPECT_LE(last, now + 0.001);
        }
        return frames;
    }
    double started_ = 0;
};

TEST_F(CaptureTest, TipClientExchange) {
    Socket peer = open_tip_client();
    const std::string tarvik = far_end(peer.s), other = own_end(peer.s);
    ASSERT_TRUE(loopback::send_text(peer.s, "hello"));
    ASSERT_TRUE(records_reach(8));
    send_macro(0, "abc");
    EXPECT_EQ(loopback::receive(peer.s), "abc");
    ASSERT_TRUE(loopback::send_text(peer.s, "world"));
    ASSERT_TRUE(records_reach(22));
    close();

    std::vector<tshark::Frame> frames = exported(L"client.pcapng");
    EXPECT_EQ(data_frames(frames), (std::vector<std::string>{arrow(other, tarvik, "hello"), arrow(tarvik, other, "abc"),
                                                             arrow(other, tarvik, "world")}));
    // Tarvik opened the connection: its SYN comes first, and it closed it.
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.front().flags, 0x02u);
    EXPECT_EQ(frames.front().comment, "Tarvik connected");
    EXPECT_EQ(frames.back().flags & 0x10u, 0x10u);
    int fins = 0;
    for (const tshark::Frame& f : frames) fins += f.flags & 1;
    EXPECT_EQ(fins, 2);
    EXPECT_EQ(tshark::follow(dir_.file(L"client.pcapng"), 0),
              std::make_pair(std::string("abc"), std::string("helloworld")));
}

TEST_F(CaptureTest, TipServerWithTwoClientsExportedAndCaptured) {
    const std::wstring capture = dir_.file(L"server-capture.pcapng");
    ASSERT_TRUE(capture_start(window_, capture.c_str()));
    int port = open_server(false);
    Socket one = join_server("127.0.0.2", port);
    Socket two = join_server("127.0.0.3", port);
    const std::string tarvik1 = far_end(one.s), tarvik2 = far_end(two.s), c1 = own_end(one.s), c2 = own_end(two.s);
    int at = traffic_state().write_index;
    ASSERT_TRUE(loopback::send_text(one.s, "one"));
    ASSERT_TRUE(records_reach(at += 10));
    ASSERT_TRUE(loopback::send_text(two.s, "two"));
    ASSERT_TRUE(records_reach(at += 10));
    send_macro(0, "to1");
    send_macro(1, "to2");
    EXPECT_EQ(loopback::receive(one.s), "to1");
    EXPECT_EQ(loopback::receive(two.s), "to2");
    at += 20;
    ASSERT_TRUE(loopback::send_text(one.s, "more"));
    ASSERT_TRUE(records_reach(at += 11));
    one.close();
    ASSERT_TRUE(records_reach(at + 4));
    harness::queue_box_answer(IDYES); // a client is still connected: close anyway
    close();
    capture_flush(window_);

    const std::vector<std::string> expected = {arrow(c1, tarvik1, "one"), arrow(c2, tarvik2, "two"),
                                               arrow(tarvik1, c1, "to1"), arrow(tarvik2, c2, "to2"),
                                               arrow(c1, tarvik1, "more")};
    std::vector<tshark::Frame> frames = exported(L"server.pcapng");
    EXPECT_EQ(data_frames(frames), expected);
    EXPECT_EQ(tshark::follow(dir_.file(L"server.pcapng"), 0),
              std::make_pair(std::string("onemore"), std::string("to1")));
    EXPECT_EQ(tshark::follow(dir_.file(L"server.pcapng"), 1), std::make_pair(std::string("two"), std::string("to2")));
    std::vector<std::string> comments;
    for (const tshark::Frame& f : frames)
        if (!f.comment.empty()) comments.push_back(f.comment);
    EXPECT_EQ(comments, (std::vector<std::string>{"client connected", "client connected", "peer closed",
                                                  "Tarvik closed the connection"}));

    // The capture written as the packets came holds the same, and is written out at the
    // tick without being stopped.
    std::vector<tshark::Frame> captured = checked(capture);
    EXPECT_EQ(data_frames(captured), expected);
    EXPECT_EQ(captured.size(), frames.size());
}

TEST_F(CaptureTest, UdpServerWithTwoSenders) {
    int port = open_server(true);
    // Wine reports every loopback sender of a datagram as 127.0.0.1: the two differ by port.
    Socket a = loopback::udp_socket("127.0.0.1", 0), b = loopback::udp_socket("127.0.0.1", 0);
    const std::string tarvik = "127.0.0.1:" + std::to_string(port), sa = own_end(a.s), sb = own_end(b.s);
    ASSERT_TRUE(loopback::send_datagram(a.s, port, "a1"));
    ASSERT_TRUE(records_reach(9));
    ASSERT_TRUE(loopback::send_datagram(b.s, port, "b1"));
    ASSERT_TRUE(records_reach(18));
    send_macro(0, "reply"); // to the newest sender
    EXPECT_EQ(loopback::receive(b.s), "reply");
    ASSERT_TRUE(loopback::send_datagram(a.s, port, "a2"));
    ASSERT_TRUE(records_reach(39));
    close();

    std::vector<tshark::Frame> frames = exported(L"udp.pcapng");
    EXPECT_EQ(data_frames(frames), (std::vector<std::string>{arrow(sa, tarvik, "a1"), arrow(sb, tarvik, "b1"),
                                                             arrow(tarvik, sb, "reply"), arrow(sa, tarvik, "a2")}));
    EXPECT_EQ(frames.size(), 4u);
}

TEST_F(CaptureTest, LoadedLogIsRebuilt) {
    // A TCP server's session recorded without facts, as a log file brings it back.
    use_mode(false, true, 0, 7777);
    const uint8_t client[4] = {127, 0, 0, 2};
    traffic_put_address(kClientEvent, client, 0);
    traffic_record_packet(kFromAddress, client, 0, kReceivedByte, reinterpret_cast<const uint8_t*>("abc"), 3);
    harness::advance_tick(1500);
    traffic_record_packet(kToAddress, client, 0, kSentByte, reinterpret_cast<const uint8_t*>("xy"), 2);
    traffic_put_address(kClientEvent, client, 10);
    const std::wstring log = dir_.file(L"session.log");
    harness::queue_file_answer(log);
    save_log(window_);
    traffic_reset();
    const double before_load = utc_now_us() / 1e6;
    harness::queue_file_answer(log);
    load_log(window_);
    const double after_load = utc_now_us() / 1e6;

    const std::wstring path = dir_.file(L"log.pcapng");
    std::vector<tshark::Frame> frames = exported(L"log.pcapng", false);
    const std::string peer = "127.0.0.2:" + std::to_string(kRebuiltFirstPort), tarvik = "127.0.0.1:7777";
    EXPECT_EQ(data_frames(frames), (std::vector<std::string>{arrow(peer, tarvik, "abc"), arrow(tarvik, peer, "xy")}));
    std::vector<double> data_times;
    for (const tshark::Frame& f : frames)
        if (!f.payload.empty()) data_times.push_back(f.time);
    ASSERT_EQ(data_times.size(), 2u);
    EXPECT_GE(data_times[0], before_load - 0.001);
    EXPECT_LE(data_times[0], after_load + 0.001);
    EXPECT_NEAR(data_times[1] - data_times[0], 1.5, 0.001); // the gap digits read 0015
    EXPECT_EQ(tshark::follow(path, 0), std::make_pair(std::string("abc"), std::string("xy")));
    EXPECT_NE(tshark::summary(path).find("Rebuilt from a Tarvik log"), std::string::npos);
}

// A flood of datagrams for ten seconds: the buffer slides many times, the capture keeps
// every datagram the server received.
TEST_F(CaptureTest, FloodCaptureLosesNothing) {
    const std::wstring capture = dir_.file(L"flood.pcapng");
    ASSERT_TRUE(capture_start(window_, capture.c_str()));
    int port = open_server(true);
    const uint64_t first = traffic_state().discarded;
    std::atomic<bool> stop{false};
    constexpr int kSize = 32;
    std::thread sender([&] {
        Socket s = loopback::udp_socket("127.0.0.2", 0);
        const std::string data(kSize, 'f');
        while (!stop) {
            for (int i = 0; i < 200; ++i) loopback::send_datagram(s.s, port, data);
            Sleep(0);
        }
    });
    const DWORD end = GetTickCount() + 10000;
    while (GetTickCount() < end) harness::pump_messages(); // the timer writes the capture out
    stop = true;
    sender.join();
    Sleep(200);
    close();
    capture_stop();

    const TrafficState state = traffic_state();
    const uint64_t records = state.discarded - first + static_cast<uint64_t>(state.write_index);
    const uint64_t datagrams = records / (4 + kSize + 3); // address group, bytes, trailer
    EXPECT_EQ(records % (4 + kSize + 3), 0u);
    EXPECT_GE(state.discarded - first, 10u * kSlideRecords) << "the buffer did not slide often";
    std::printf("flood: %llu datagrams received, %llu slides\n", static_cast<unsigned long long>(datagrams),
                static_cast<unsigned long long>((state.discarded - first) / kSlideRecords));
    std::string counted = tshark::summary(capture, "-c -M");
    EXPECT_NE(counted.find("Number of packets:   " + std::to_string(datagrams)), std::string::npos)
        << counted << " expected " << datagrams;
}

// The toggle: the file is chosen once, the button stays down while the capture runs, and
// the choice and folder are kept in a file of their own, from which the next start
// resumes under a fresh name.
TEST_F(CaptureTest, ToggleKeepsItsChoiceInItsOwnFile) {
    CreateDirectoryW(dir_.file(L"caps").c_str(), nullptr);
    harness::queue_file_answer(dir_.file(L"caps\\mine"));
    SendMessageW(window_, WM_COMMAND, IDT_CAPTURE, 0);
    ASSERT_TRUE(capture_running());
    EXPECT_EQ(std::wstring(capture_path()), dir_.file(L"caps\\mine.pcapng"));
    EXPECT_TRUE(SendMessageW(g_toolbar, TB_GETSTATE, IDT_CAPTURE, 0) & TBSTATE_CHECKED);
    const std::wstring ini = dir_.file(L"capture.ini");
    EXPECT_EQ(GetPrivateProfileIntW(L"Capture", L"capture_on", -1, ini.c_str()), 1);
    wchar_t folder[260];
    GetPrivateProfileStringW(L"Capture", L"capture_dir", L"", folder, 260, ini.c_str());
    EXPECT_EQ(std::wstring(folder), dir_.file(L"caps"));

    SendMessageW(window_, WM_COMMAND, IDM_CAPTURE, 0);
    EXPECT_FALSE(capture_running());
    EXPECT_FALSE(SendMessageW(g_toolbar, TB_GETSTATE, IDT_CAPTURE, 0) & TBSTATE_CHECKED);
    EXPECT_EQ(GetPrivateProfileIntW(L"Capture", L"capture_on", -1, ini.c_str()), 0);
    EXPECT_EQ(harness::read_file(dir_.file(L"caps\\mine.pcapng")).size() % 4, 0u); // the headers, whole

    WritePrivateProfileStringW(L"Capture", L"capture_on", L"1", ini.c_str());
    harness::destroy_main_window(window_);
    window_ = harness::create_main_window();
    ASSERT_TRUE(capture_running());
    const std::wstring resumed = capture_path();
    EXPECT_EQ(resumed.rfind(dir_.file(L"caps\\capture-"), 0), 0u) << std::string(resumed.begin(), resumed.end());
    EXPECT_EQ(resumed.substr(resumed.size() - 7), L".pcapng");
    EXPECT_EQ(resumed.size(), dir_.file(L"caps\\capture-YYYYMMDD-HHMMSS.pcapng").size());
    // The program's settings file is not where this lives.
    EXPECT_EQ(GetPrivateProfileIntW(L"Tarvik", L"capture_on", -1, dir_.file(L"Tarvik.ini").c_str()), -1);
}

// A disk that refuses the writes: the capture stops with its message, the connection
// goes on recording.
TEST_F(CaptureTest, DiskErrorStopsTheCaptureNotTheConnection) {
    int port = open_server(true);
    harness::clear_shown_boxes();
    EXPECT_FALSE(capture_start(window_, L"Z:\\dev\\full"));
    EXPECT_FALSE(capture_running());
    std::vector<std::wstring> boxes = take_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], std::wstring(L"File Error|") + text_entry(164));
    EXPECT_TRUE(connection_is_open());
    Socket a = loopback::udp_socket("127.0.0.1", 0);
    ASSERT_TRUE(loopback::send_datagram(a.s, port, "on"));
    EXPECT_TRUE(records_reach(9));
}

} // namespace

// The peer of a TCP client closes, or resets: the close shows with its address, the
// connection ends by itself without a box, a send afterwards is refused and records
// nothing, and the export ends the stream with the peer's FIN.
TEST_F(CaptureTest, TipClientPeerCloseEndsTheConnection) {
    for (bool reset : {false, true}) {
        SCOPED_TRACE(reset ? "reset" : "close");
        traffic_reset();
        Socket peer = open_tip_client();
        const std::string tarvik = far_end(peer.s), other = own_end(peer.s);
        ASSERT_TRUE(loopback::send_text(peer.s, "hi"));
        ASSERT_TRUE(records_reach(5));
        take_boxes();
        if (reset)
            loopback::tcp_reset(peer);
        else
            peer.close();
        const DWORD closed_by = GetTickCount() + 1000;
        ASSERT_TRUE(loopback::wait_until([] {
            harness::pump_messages();
            return !connection_is_open();
        }));
        EXPECT_LE(GetTickCount(), closed_by + 100);
        EXPECT_EQ(g_conn.thread, nullptr); // the receive thread has ended
        EXPECT_EQ(loopback::trace(loopback::records()), "hi|C1");
        EXPECT_EQ(take_boxes(), std::vector<std::wstring>{});

        const uint8_t ab[] = {'A', 'B'};
        const int before = traffic_state().write_index;
        EXPECT_EQ(send_bytes(0, ab, 2), kSendRefused);
        std::vector<std::wstring> boxes = take_boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].find(L"No.10057"), std::wstring::npos) << boxes[0];
        EXPECT_EQ(traffic_state().write_index, before);

        std::vector<tshark::Frame> frames = exported(L"peer-closed.pcapng");
        EXPECT_EQ(data_frames(frames), std::vector<std::string>{arrow(other, tarvik, "hi")});
        const tshark::Frame* first_fin = nullptr;
        for (const tshark::Frame& f : frames)
            if ((f.flags & 1) && !first_fin) first_fin = &f;
        ASSERT_NE(first_fin, nullptr);
        EXPECT_EQ(first_fin->src + ":" + std::to_string(first_fin->src_port), other);
    }
}

// Datagrams longer than the old 1,023-byte receive, to both UDP roles: each is one packet
// with every byte, in the dump, in a saved log that loads back equal and in the export.
TEST_F(CaptureTest, WholeDatagramsInDumpLogAndExport) {
    const int sizes[] = {1400, 9000, kLargestPacket};
    for (bool server : {true, false}) {
        SCOPED_TRACE(server ? "server" : "client");
        traffic_reset();
        Socket peer = loopback::udp_socket("127.0.0.1", 0);
        int tarvik_port = 0;
        if (server) {
            tarvik_port = open_server(true);
        } else {
            use_mode(true, false, loopback::local_port(peer.s), 0);
            open();
            ASSERT_TRUE(connection_is_open());
            send_macro(0, "?"); // binds the client; the peer answers to where it came from
            tarvik_port = ntohs(g_peers.main_local.sin_port);
        }
        std::string expected_lengths;
        int at = traffic_state().write_index;
        for (int size : sizes) {
            std::string datagram(static_cast<size_t>(size), 'x');
            for (int i = 0; i < size; ++i) datagram[i] = static_cast<char>(i * 31 + size);
            ASSERT_TRUE(loopback::send_datagram(peer.s, tarvik_port, datagram));
            ASSERT_TRUE(records_reach(at += (server ? 4 : 0) + size + 3));
            EXPECT_EQ(loopback::packets(loopback::records(), kReceivedByte).back(), datagram);
            expected_lengths += std::to_string(size + 8) + "\n";
        }
        const std::wstring exported_file = dir_.file(L"whole.pcapng");
        ASSERT_TRUE(export_pcapng_to(window_, exported_file.c_str()));
        EXPECT_EQ(tshark::run(exported_file, "-Y 'udp.srcport!=" + std::to_string(tarvik_port) +
                                                 "' -T fields -e udp.length"),
                  expected_lengths);
        const std::vector<TrafficRecord> recorded = loopback::records();
        const std::wstring log = dir_.file(L"whole.log");
        ASSERT_TRUE(write_log_file(log.c_str()));
        traffic_reset();
        harness::queue_file_answer(log);
        load_log(window_);
        const std::vector<TrafficRecord> loaded = loopback::records();
        ASSERT_EQ(loaded.size(), recorded.size());
        EXPECT_EQ(std::memcmp(loaded.data(), recorded.data(), loaded.size() * sizeof(TrafficRecord)), 0);
        close();
    }
}
