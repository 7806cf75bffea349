// tarvikc.exe run as a child process against peers of the test on the loopback network:
// every mode, the exit statuses, the files it writes and an interruption.
#include "cli/packet_lines.h"
#include "harness.h"
#include "support_console.h"
#include "support_loopback.h"
#include "support_tshark.h"
#include "view/log_format.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using loopback::Socket;

namespace {

// A request/response check from either side: the asking side sends "PING\r" and wants
// "PONG"; the answering side waits for the question and answers it.
const std::vector<std::wstring> kAsking = {L"ask, check the answer", L"SEND 50494E470D", L"READ 01 004 050",
                                           L"CMPL 01 YES 504F4E47", L"FAIL no PONG", L":YES", L"PEND"};
const std::vector<std::wstring> kAnswering = {L"answer the question", L"READ 01 005 050", L"CMPL 01 YES 50494E470D",
                                              L"FAIL no PING", L":YES", L"SEND 504F4E47", L"PEND"};

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string packet_text(bool received, const std::string& bytes) { return std::string(received ? "R:" : "S:") + bytes; }

// The test's end of each mode; it returns what it was sent. A connect or a datagram may
// come before tarvikc is there: the asking ends try again.
std::string tcp_answer(const Socket& listener) {
    Socket s = loopback::tcp_accept(listener.s, 10000);
    std::string got = loopback::receive(s.s, 5000);
    loopback::send_text(s.s, got == "PING\r" ? "PONG" : "NOPE");
    loopback::receive(s.s, 5000); // until tarvikc closes
    return got;
}

std::string tcp_ask(int port) {
    Socket s;
    for (int i = 0; i < 200 && !s.valid(); ++i) {
        s = loopback::tcp_connect("127.0.0.1", port);
        if (!s.valid()) Sleep(50);
    }
    loopback::send_text(s.s, "PING\r");
    std::string got = loopback::receive(s.s, 5000);
    loopback::receive(s.s, 5000);
    return got;
}

std::string udp_ask(int port) {
    Socket s = loopback::udp_socket("127.0.0.1", 0);
    std::string got = "<timeout>";
    for (int i = 0; i < 10 && got == "<timeout>"; ++i) {
        loopback::send_datagram(s.s, port, "PING\r");
        got = loopback::receive(s.s, 700);
    }
    return got;
}

std::string udp_answer(const Socket& s) {
    sockaddr_in from{};
    int length = sizeof from;
    char buffer[16];
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s.s, &set);
    timeval limit{10, 0};
    if (select(0, &set, nullptr, nullptr, &limit) != 1) return "<timeout>";
    int n = recvfrom(s.s, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
    sendto(s.s, "PONG", 4, 0, reinterpret_cast<sockaddr*>(&from), length);
    return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

class TarvikcTest : public ::testing::Test {
protected:
    void SetUp() override {
        CopyFileW(harness::source_file("data/Tarvik_char2.ini").c_str(), dir_.file(L"Tarvik_char2.ini").c_str(),
                  FALSE);
        write_settings(L"");
    }
    // Tarvik.ini with English texts and `more` keys.
    void write_settings(const std::wstring& more) {
        harness::write_utf16_file(dir_.file(L"Tarvik.ini"), L"[Tarvik]\r\nmoji_type=1\r\n" + more);
    }
    void write_macro(const std::vector<std::wstring>& lines) {
        std::wstring text;
        for (const std::wstring& line : lines) text += line + L"\r\n";
        harness::write_utf16_file(dir_.file(L"m.txt"), text);
    }
    console::Result run(const std::wstring& args) { return console::run_tarvikc(args, dir_.path()); }
    // The packets of a log file, "R:" or "S:" before the bytes.
    std::vector<std::string> log_packets(const wchar_t* name) {
        std::vector<uint8_t> file = harness::read_file(dir_.file(name));
        if (file.size() < static_cast<size_t>(kLogHeaderBytes)) return {"<no log>"};
        EXPECT_EQ(file.size(), kLogHeaderBytes + 8 * static_cast<size_t>(parse_log_header(file.data())));
        PacketDecoder decoder;
        std::vector<ConsoleEvent> events;
        decode_records(decoder, reinterpret_cast<const TrafficRecord*>(file.data() + kLogHeaderBytes),
                       static_cast<int>((file.size() - kLogHeaderBytes) / 8), events);
        std::vector<std::string> out;
        for (const ConsoleEvent& e : events)
            if (e.kind == ConsoleEvent::kPacket) out.push_back(packet_text(e.received, {e.bytes.begin(), e.bytes.end()}));
        return out;
    }
    // The data frames of a capture file the same way, as the analyser reads them. `port`
    // is the server's: the peer's when Tarvik is the client.
    std::vector<std::string> capture_packets(const wchar_t* name, int port, bool tarvik_serves) {
        std::vector<std::string> out;
        for (const tshark::Frame& f : tshark::frames(dir_.file(name)))
            if (!f.payload.empty())
                out.push_back(packet_text((tarvik_serves ? f.dst_port : f.src_port) == port, f.payload));
        return out;
    }

    harness::TempStartDir dir_;
    loopback::Winsock winsock_;
};

TEST_F(TarvikcTest, RequestAndResponseInEveryModeAreLoggedAndCaptured) {
    enum Kind { kTcpClient, kTcpServer, kUdpClient, kUdpServer, kUdpClientFromIni };
    const wchar_t* const options[] = {L"--tcp-client 127.0.0.1:", L"--tcp-server 127.0.0.1:",
                                      L"--udp-client 127.0.0.1:", L"--udp-server 127.0.0.1:", L""};
    for (Kind kind : {kTcpClient, kTcpServer, kUdpClient, kUdpServer, kUdpClientFromIni}) {
        SCOPED_TRACE(kind);
        const bool udp = kind >= kUdpClient, asks = kind != kTcpServer && kind != kUdpServer;
        const int port = loopback::free_port(udp ? SOCK_DGRAM : SOCK_STREAM);
        const std::wstring p = std::to_wstring(port);
        write_macro(asks ? kAsking : kAnswering);
        if (kind == kUdpClientFromIni) // no mode option: the connection of Tarvik.ini
            write_settings(L"tipudp_mode=1\r\nip_no1=127\r\nip_no2=0\r\nip_no3=0\r\nip_no4=1\r\nport_no=" + p + L"\r\n");
        Socket peer_socket = kind == kTcpClient ? loopback::tcp_listener("127.0.0.1", port)
                             : asks             ? loopback::udp_socket("127.0.0.1", port)
                                                : Socket();
        std::string peer_got;
        std::thread peer([&] {
            peer_got = kind == kTcpClient ? tcp_answer(peer_socket)
                       : kind == kTcpServer ? tcp_ask(port)
                       : kind == kUdpServer ? udp_ask(port)
                                            : udp_answer(peer_socket);
        });
        console::Result r = run((kind == kUdpClientFromIni ? std::wstring() : options[kind] + p) +
                                L" --macro m.txt --log x.log --pcapng x.pcapng");
        peer.join();
        write_settings(L"");

        EXPECT_EQ(r.code, 0u) << r.out << r.err;
        EXPECT_EQ(peer_got, asks ? "PING\r" : "PONG");
        // Steps and packets (with the peer's port) on standard output, boxes on standard error.
        EXPECT_TRUE(contains(r.out, "Step:")) << r.out;
        EXPECT_TRUE(contains(r.out, "SEND 127.0.0.1:" + (asks ? std::to_string(port) + " " : std::string()))) << r.out;
        EXPECT_TRUE(contains(r.out, asks ? " 4: 50 4F 4E 47 |PONG|" : " 5: 50 49 4E 47 0D |PING.|")) << r.out;
        EXPECT_TRUE(contains(r.err, "LAN connection: Success of thread!\r\n")) << r.err;
        EXPECT_TRUE(contains(r.err, "Tarvik: The macro has finished.")) << r.err;

        // A UDP server may hear the question more than once before it answers.
        std::vector<std::string> logged = log_packets(L"x.log"), captured = capture_packets(L"x.pcapng", port, !asks);
        for (std::vector<std::string>* v : {&logged, &captured})
            while (v->size() > 2 && (*v)[1] == "R:PING\r") v->erase(v->begin());
        EXPECT_EQ(logged, asks ? (std::vector<std::string>{"S:PING\r", "R:PONG"})
                               : (std::vector<std::string>{"R:PING\r", "S:PONG"}));
        EXPECT_EQ(captured, logged);
    }
}

TEST_F(TarvikcTest, ModbusExampleSendsItsFrameWithTheCrc) {
    const int port = loopback::free_port(SOCK_STREAM);
    Socket listener = loopback::tcp_listener("127.0.0.1", port);
    std::string frame;
    std::thread echo([&] {
        Socket s = loopback::tcp_accept(listener.s, 10000);
        frame = loopback::receive(s.s, 5000);
        loopback::send_text(s.s, frame);
        loopback::receive(s.s, 5000);
    });
    CopyFileW(harness::source_file("data/macros/tarvikc_modbus.txt").c_str(), dir_.file(L"m.txt").c_str(), FALSE);
    console::Result r = run(L"--tcp-client 127.0.0.1:" + std::to_wstring(port) + L" --macro m.txt");
    echo.join();
    EXPECT_EQ(r.code, 0u) << r.out << r.err;
    EXPECT_EQ(frame, std::string("\x01\x03\x00\x00\x00\x0A\xC5\xCD", 8));
    EXPECT_TRUE(contains(r.out, " 8: 01 03 00 00 00 0A C5 CD |........|")) << r.out;
}

// The peer closes while the macro runs: the close is a line of its own, the connection
// ends, later sends are refused, and the macro decides the exit status.
TEST_F(TarvikcTest, PeerCloseEndsTheConnectionAndTheMacroDecides) {
    const struct {
        std::vector<std::wstring> macro;
        DWORD code;
    } cases[] = {
        {kAsking, 1}, // no answer comes: "FAIL"
        {{L"send, wait, send again", L"SEND 41", L"TIME 010", L"SEND 42", L"PEND"}, 0},
    };
    for (const auto& c : cases) {
        const int port = loopback::free_port(SOCK_STREAM);
        Socket listener = loopback::tcp_listener("127.0.0.1", port);
        std::thread peer([&] {
            Socket s = loopback::tcp_accept(listener.s, 10000);
            loopback::receive(s.s, 5000);
        });
        write_macro(c.macro);
        console::Result r = run(L"--tcp-client 127.0.0.1:" + std::to_wstring(port) + L" --macro m.txt");
        peer.join();
        EXPECT_EQ(r.code, c.code) << r.out << r.err;
        EXPECT_TRUE(contains(r.out, " CLOSE 127.0.0.1:" + std::to_string(port))) << r.out;
        EXPECT_TRUE(contains(r.err, "tarvikc: The peer closed the connection.")) << r.err;
        if (c.code == 0) {
            EXPECT_TRUE(contains(r.err, "No.10057")) << r.err;
        }
    }
}

TEST_F(TarvikcTest, ExitStatusesAndTheFilesWrittenOnTheWay) {
    // A UDP client opens without a peer; nothing answers it.
    const std::wstring nowhere = L"--udp-client 127.0.0.1:" + std::to_wstring(loopback::free_port(SOCK_DGRAM));
    const std::wstring refused = L"--tcp-client 127.0.0.1:" + std::to_wstring(loopback::free_port(SOCK_STREAM));
    harness::write_file(dir_.file(L"nomark.txt"), {'P', 0, 'E', 0, 'N', 0, 'D', 0});
    const struct {
        std::vector<std::wstring> macro;
        std::wstring args;
        DWORD code;
        const char* err;
    } cases[] = {
        {{L"note", L"MOVE 01 41", L"CMPL 01 YES 42", L"FAIL compare failed", L":YES", L"PEND"},
         nowhere + L" --macro m.txt --log failed.log", 1, "Tarvik: compare failed\r\n"},
        {{L"note", L"SEND 41"}, nowhere + L" --macro m.txt", 1, "Tarvik: The macro stopped at the end"},
        {{L"note", L"GOTO XYZ", L"PEND"}, nowhere + L" --macro m.txt", 1, "Tarvik: The macro stopped at the end"},
        {{L"PEND"}, refused + L" --macro m.txt --log refused.log", 3, "connect_Error"},
        {{L"note", L"READ 01 001 000", L"PEND"}, nowhere + L" --macro m.txt --timeout 1 --log late.log", 4, "--timeout"},
        {{L"PEND"}, L"", 2, "Usage: tarvikc"},
        {{L"PEND"}, nowhere, 2, "--macro FILE or --respond FILE is required"},
        {{L"PEND"}, L"--tcp-client 127.0.0.1 --macro m.txt", 2, "Usage: tarvikc"},
        {{L"PEND"}, nowhere + L" --macro missing.txt", 2, "FileError"},
        {{L"PEND"}, nowhere + L" --macro nomark.txt", 2, "FileError: The file is not UTF-16LE"},
        {{L"PEND"}, nowhere + L" --macro m.txt --log no\\such\\folder.log", 2, "cannot write"},
        {{L"PEND"}, L"--help", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.args.begin(), c.args.end()));
        write_macro(c.macro);
        const DWORD started = GetTickCount();
        console::Result r = run(c.args);
        EXPECT_EQ(r.code, c.code) << r.out << r.err;
        EXPECT_TRUE(contains(r.err, c.err)) << r.err;
        EXPECT_LT(GetTickCount() - started, 8000u);
        if (c.args == L"--help") {
            EXPECT_TRUE(contains(r.out, "Usage: tarvikc")) << r.out;
        }
    }
    // A missing macro is not made; the files asked for are written however the run ends.
    EXPECT_FALSE(harness::file_exists(dir_.file(L"missing.txt")));
    EXPECT_EQ(harness::read_file(dir_.file(L"refused.log")).size(), static_cast<size_t>(kLogHeaderBytes));
    EXPECT_EQ(log_packets(L"late.log"), std::vector<std::string>{});
    EXPECT_EQ(log_packets(L"failed.log"), std::vector<std::string>{});

    // Run where no text table lies, the texts come from the one beside the program.
    ASSERT_TRUE(DeleteFileW(dir_.file(L"Tarvik_char2.ini").c_str()));
    write_macro({L"PEND"});
    console::Result r = run(nowhere + L" --macro m.txt");
    EXPECT_EQ(r.code, 0u) << r.out << r.err;
    EXPECT_TRUE(contains(r.err, "Tarvik: The macro has finished.")) << r.err;
}

TEST_F(TarvikcTest, CtrlCClosesTheConnectionAndSavesTheFiles) {
    const int port = loopback::free_port(SOCK_STREAM);
    Socket listener = loopback::tcp_listener("127.0.0.1", port);
    write_macro({L"send, then wait for more than ever comes", L"SEND 4142", L"READ 01 100 000", L"PEND"});
    console::Process p;
    ASSERT_TRUE(p.start(L"--tcp-client 127.0.0.1:" + std::to_wstring(port) +
                            L" --macro m.txt --log cut.log --pcapng cut.pcapng",
                        dir_.path(), true));
    Socket s = loopback::tcp_accept(listener.s, 10000);
    ASSERT_EQ(loopback::receive(s.s, 5000), "AB");
    loopback::send_text(s.s, "C");
    Sleep(300); // tarvikc has it, and waits for more
    ASSERT_TRUE(p.interrupt());
    EXPECT_EQ(loopback::receive(s.s, 5000), "<closed>");
    console::Result r = p.wait(10000);
    EXPECT_EQ(r.code, 130u) << r.out << r.err;
    EXPECT_TRUE(contains(r.err, "interrupted")) << r.err;
    const std::vector<std::string> exchange = {"S:AB", "R:C"};
    EXPECT_EQ(log_packets(L"cut.log"), exchange);
    EXPECT_EQ(capture_packets(L"cut.pcapng", port, false), exchange);
}

} // namespace

namespace {

TEST_F(TarvikcTest, RespondAloneAnswersUntilTheDurationAndRefusesABadFile) {
    const std::string rules = "equals \"PING\" 0D => \"PONG\"\n";
    harness::write_file(dir_.file(L"rules.txt"), std::vector<uint8_t>(rules.begin(), rules.end()));
    const int port = loopback::free_port(SOCK_DGRAM);
    std::string answer;
    std::thread peer([&] { answer = udp_ask(port); });
    const DWORD started = GetTickCount();
    console::Result r = run(L"--udp-server 127.0.0.1:" + std::to_wstring(port) +
                            L" --respond rules.txt --duration 3 --pcapng r.pcapng");
    peer.join();
    EXPECT_EQ(r.code, 0u) << r.out << r.err;
    EXPECT_EQ(answer, "PONG");
    // The reply is in the capture, after the request it answers.
    std::vector<std::string> captured = capture_packets(L"r.pcapng", port, true);
    ASSERT_GE(captured.size(), 2u);
    EXPECT_EQ(captured.back(), "S:PONG");
    EXPECT_EQ(captured[captured.size() - 2], "R:PING\r");
    EXPECT_GE(GetTickCount() - started, 2900u);
    EXPECT_TRUE(contains(r.out, " 4: 50 4F 4E 47 |PONG|")) << r.out; // the reply is a packet line
    EXPECT_TRUE(contains(r.err, "responder answered 1")) << r.err;

    const std::string bad = "equals \"PING\" 0D => \"PONG\"\n\nequals 0 => 1\n";
    harness::write_file(dir_.file(L"bad.txt"), std::vector<uint8_t>(bad.begin(), bad.end()));
    const std::string english = "[Tarvik]\r\nmoji_type=1\r\n";
    harness::write_file(dir_.file(L"Tarvik.ini"), std::vector<uint8_t>(english.begin(), english.end()));
    r = run(L"--udp-server 127.0.0.1:" + std::to_wstring(port) + L" --respond bad.txt --duration 3");
    EXPECT_EQ(r.code, 2u);
    EXPECT_TRUE(contains(r.err, "Line 3: bad hexadecimal pair")) << r.err;
}

} // namespace
