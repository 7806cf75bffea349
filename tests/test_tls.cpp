// The TIP client over TLS against a Python peer with a self-signed certificate: the trust
// question and the pin, plaintext in the dump, the log and the pcapng file, a changed
// certificate, a refusal, a peer that never answers the handshake, the peer's close, the
// settings dialog's check box and tarvikc's --tls.
#include "support_comm.h"
#include "support_console.h"
#include "support_input.h"
#include "support_tls_peer.h"
#include "support_tshark.h"

#include "app/settings.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "comm/connection.h"
#include "comm/sending.h"
#include "comm/tls_client.h"
#include "comm/tls_settings.h"
#include "comm/tls_trust.h"
#include "comm/traffic_buffer.h"
#include "netcfg/connection_settings_dialog.h"
#include "res/resource.h"
#include "send/input_send_dialog.h"
#include "view/log_files.h"
#include "view/log_format.h"
#include "view/pcapng_files.h"
#include "view/status_text.h"

#include <atomic>
#include <thread>

namespace {

Fingerprint print_of(const std::string& text) {
    Fingerprint f{};
    EXPECT_TRUE(parse_fingerprint(text.data(), text.size(), f)) << text;
    return f;
}

// ASCII of a box text, its line breaks left out (a fingerprint takes two lines).
std::string narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        if (c != L'\r' && c != L'\n') out += static_cast<char>(c);
    return out;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The data bytes of the records of `kind` in a log file, in order.
std::string log_bytes(const std::wstring& path, int kind) {
    std::vector<uint8_t> file = harness::read_file(path);
    std::string bytes;
    for (size_t i = kLogHeaderBytes; i + sizeof(TrafficRecord) <= file.size(); i += sizeof(TrafficRecord))
        if (file[i] == kind) bytes += static_cast<char>(file[i + 2]);
    return bytes;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string all;
    for (const std::string& p : parts) all += p;
    return all;
}

} // namespace

class Tls : public CommTest {
protected:
    void SetUp() override {
        CommTest::SetUp();
        g_tls_settings = TlsSettings{};
        g_tls_settings.tls_on = 1;
    }
    void TearDown() override {
        CommTest::TearDown();
        peer_.stop();
        g_tls_settings = TlsSettings{};
    }
    void start_peer(const char* mode, int port = 0, const char* name = "tarvik-peer") {
        ASSERT_TRUE(peer_.start(dir_.file(L"peer"), mode, port, name));
        use_mode(false, false, peer_.port(), 0);
    }
    std::wstring pinned() {
        wchar_t text[128] = {};
        GetPrivateProfileStringW(L"Known", (L"127.0.0.1:" + std::to_wstring(peer_.port())).c_str(), L"", text, 128,
                                 dir_.file(L"tls.ini").c_str());
        return text;
    }
    std::wstring box_with_caption(const std::vector<std::wstring>& boxes, const std::wstring& caption) {
        for (const std::wstring& b : boxes)
            if (b.rfind(caption + L"|", 0) == 0) return b;
        return L"";
    }
    void send_from_input_dialog(const std::wstring& text) {
        EXPECT_TRUE(harness::drive_modal([&] { run_input_send_dialog(window_); },
                                         [&](HWND d) {
                                             // The input editor takes up to 7 keys per key release.
                                             for (size_t i = 0; i < text.size(); i += 7)
                                                 input_test::release_keys(GetDlgItem(d, IDC_INPUT_CAPTURE),
                                                                          text.substr(i, 7));
                                             harness::click(d, IDC_IS_SEND);
                                             harness::click(d, IDC_IS_CLOSE);
                                         }));
    }
    tls_peer::Peer peer_;
};

TEST_F(Tls, FirstConnectAsksAndPinsThenTheDumpLogAndPcapngHoldThePlaintext) {
    start_peer("echo");
    open();
    ASSERT_TRUE(connection_is_open());
    const std::vector<std::wstring> boxes = take_boxes();
    const std::wstring question = box_with_caption(boxes, L"TLS");
    EXPECT_TRUE(contains(narrow(question), peer_.fingerprint())) << narrow(question);
    EXPECT_TRUE(contains(narrow(question), "CN=tarvik-peer"));
    EXPECT_NE(question.find(std::wstring(text_entry(kTextTlsIssuer)) + L": CN=tarvik-peer"), std::wstring::npos);
    EXPECT_NE(question.find(L"\r\nSHA-256:\r\n"), std::wstring::npos); // each line fits the box
    EXPECT_TRUE(contains(narrow(question), " UTC - "));
    EXPECT_EQ(narrow(pinned()), peer_.fingerprint());
    EXPECT_TRUE(peer_.wait_event("handshake TLSv1.2"));
    EXPECT_TRUE(contains(narrow(tls_summary()), "TLS 1.2")) << narrow(tls_summary());

    send_from_input_dialog(L"hello TLS");
    ASSERT_TRUE(loopback::wait_until([&] { return peer_.received() == "hello TLS"; }))
        << peer_.events() << "|" << peer_.received() << "|" << loopback::trace(loopback::records());
    ASSERT_TRUE(loopback::wait_until(
        [&] { return joined(loopback::packets(loopback::records(), kReceivedByte)) == "hello TLS"; }));
    EXPECT_EQ(loopback::packets(loopback::records(), kSentByte), std::vector<std::string>{"hello TLS"});

    // More than one record carries: it arrives whole, and its echo too.
    std::string big(20000, 0);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + i % 26);
    EXPECT_EQ(send_bytes(0, reinterpret_cast<const uint8_t*>(big.data()), static_cast<int>(big.size())), 0);
    const PacketFacts about = send_about(0); // recorded as the send paths record
    traffic_append(kSentByte, reinterpret_cast<const uint8_t*>(big.data()), static_cast<int>(big.size()), &about);
    EXPECT_TRUE(loopback::wait_until([&] { return peer_.received() == "hello TLS" + big; }, 10000));
    EXPECT_TRUE(loopback::wait_until(
        [&] { return joined(loopback::packets(loopback::records(), kReceivedByte)) == "hello TLS" + big; }, 10000));

    const std::wstring log = dir_.file(L"tls.log"), pcapng = dir_.file(L"tls.pcapng");
    ASSERT_TRUE(write_log_file(log.c_str()));
    EXPECT_TRUE(log_bytes(log, kReceivedByte) == "hello TLS" + big);
    EXPECT_TRUE(log_bytes(log, kSentByte) == "hello TLS" + big);
    ASSERT_TRUE(export_pcapng_to(window_, pcapng.c_str()));
    const auto streams = tshark::follow(pcapng, 0);
    EXPECT_TRUE(streams.first == "hello TLS" + big) << streams.first.size();
    EXPECT_TRUE(streams.second == "hello TLS" + big) << streams.second.size();
    EXPECT_TRUE(contains(tshark::summary(pcapng, "-k"), "decrypted plaintext"));
    const std::vector<tshark::Frame> frames = tshark::frames(pcapng);
    ASSERT_FALSE(frames.empty());
    EXPECT_TRUE(contains(frames[0].comment, "TLS"));

    close();
    EXPECT_FALSE(connection_is_open());
    EXPECT_TRUE(peer_.wait_event("close_notify")) << peer_.events();
}

TEST_F(Tls, AChangedCertificateIsRefusedWithBothFingerprintsBeforeAnyByte) {
    start_peer("echo", 0, "another-peer");
    const std::string old_pin = "11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:"
                                "DD:EE:FF:00";
    ASSERT_TRUE(write_known_pin(("127.0.0.1:" + std::to_string(peer_.port())).c_str(), print_of(old_pin)));
    open();
    EXPECT_FALSE(connection_is_open());
    const std::wstring box = box_with_caption(take_boxes(), L"TLS");
    EXPECT_NE(box.find(text_entry(kTextTlsChanged)), std::wstring::npos);
    const std::string warning = narrow(box);
    EXPECT_TRUE(contains(warning, old_pin)) << warning;
    EXPECT_TRUE(contains(warning, peer_.fingerprint())) << warning;
    EXPECT_EQ(narrow(pinned()), old_pin);
    EXPECT_TRUE(peer_.wait_event("handshake"));
    EXPECT_TRUE(peer_.wait_event("closed without close_notify") || peer_.wait_event("close_notify")) << peer_.events();
    EXPECT_EQ(peer_.received(), "");
    EXPECT_EQ(traffic_state().write_index, 0);
}

TEST_F(Tls, NoAtTheQuestionClosesWithNothingSentNorRecorded) {
    start_peer("echo");
    harness::queue_box_answer(IDOK);  // the Winsock description
    harness::queue_box_answer(IDNO);  // the trust question
    open();
    EXPECT_FALSE(connection_is_open());
    const std::vector<std::wstring> boxes = take_boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(contains(narrow(boxes[1]), peer_.fingerprint()));
    EXPECT_EQ(pinned(), L"");
    EXPECT_TRUE(peer_.wait_event("handshake"));
    EXPECT_EQ(peer_.received(), "");
    EXPECT_EQ(traffic_state().write_index, 0);
    EXPECT_FALSE(tls_active());
}

// The clock is the test's: each tick of a thread timer moves it on by a second, so the ten
// seconds pass in well under two, while another thread checks that the window answers.
TEST_F(Tls, APeerThatNeverAnswersTheHandshakeEndsTheOpeningAfterTenSeconds) {
    start_peer("silent");
    harness::set_tick(1000);
    UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) { harness::advance_tick(1000); });
    std::atomic<bool> opening{true};
    std::atomic<int> answered{0}, unanswered{0};
    std::thread asker([&] {
        while (opening) {
            DWORD_PTR result = 0;
            if (SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result))
                ++answered;
            else
                ++unanswered;
            Sleep(30);
        }
    });
    const DWORD started = GetTickCount();
    open();
    const DWORD took = GetTickCount() - started;
    opening = false;
    asker.join();
    KillTimer(nullptr, timer);

    EXPECT_FALSE(connection_is_open());
    const std::vector<std::wstring> boxes = take_boxes();
    EXPECT_EQ(box_with_caption(boxes, L"TLS"), std::wstring(L"TLS|") + text_entry(kTextTlsTimeout));
    EXPECT_LT(took, 8000u);
    EXPECT_GT(answered.load(), 3);
    EXPECT_EQ(unanswered.load(), 0);
    EXPECT_TRUE(IsWindowEnabled(window_));
    EXPECT_EQ(traffic_state().write_index, 0);
}

// As for a plain TIP client: the close shows with the peer's address, the connection ends
// by itself without a box, and a send afterwards is refused.
TEST_F(Tls, ThePeersCloseNotifyIsAPeerClose) {
    start_peer("close");
    open();
    ASSERT_TRUE(connection_is_open());
    take_boxes();
    ASSERT_EQ(send_from_macro(0, reinterpret_cast<const uint8_t*>("BYE"), 3), 0);
    EXPECT_TRUE(peer_.wait_event("sending close_notify"));
    ASSERT_TRUE(loopback::wait_until([] {
        harness::pump_messages();
        return !connection_is_open();
    }));
    EXPECT_EQ(g_conn.thread, nullptr);
    EXPECT_FALSE(tls_active());
    EXPECT_EQ(loopback::trace(loopback::records()), "BYE|BYE|C1");
    EXPECT_EQ(take_boxes(), std::vector<std::wstring>{});
    EXPECT_EQ(send_bytes(0, reinterpret_cast<const uint8_t*>("AB"), 2), kSendRefused);
    EXPECT_TRUE(peer_.wait_event("close_notify answered")) << peer_.events();
}

TEST_F(Tls, TheCheckBoxIsForTheTipClientAndKeptInTlsIni) {
    g_tls_settings.tls_on = 0;
    g_settings.tipudp_mode = 0;
    g_settings.ip_mode = 0;
    EXPECT_TRUE(harness::drive_modal([&] { run_connection_settings_dialog(window_); },
                                     [&](HWND d) {
                                         HWND box = GetDlgItem(d, IDC_CS_TLS);
                                         EXPECT_EQ(harness::window_text(box), text_entry(kTextTlsCheckBox));
                                         EXPECT_TRUE(IsWindowEnabled(box));
                                         harness::click(d, IDC_CS_UDP);
                                         EXPECT_FALSE(IsWindowEnabled(box));
                                         harness::click(d, IDC_CS_TIP);
                                         harness::click(d, IDC_CS_SERVER);
                                         EXPECT_FALSE(IsWindowEnabled(box));
                                         harness::click(d, IDC_CS_CLIENT);
                                         EXPECT_TRUE(IsWindowEnabled(box));
                                         harness::click(d, IDC_CS_TLS);
                                         harness::click(d, IDC_CS_OK);
                                     }));
    EXPECT_EQ(g_tls_settings.tls_on, 1);
    EXPECT_EQ(GetPrivateProfileIntW(L"TLS", L"tls_on", 0, dir_.file(L"tls.ini").c_str()), 1);
    EXPECT_TRUE(tls_wanted());
}

TEST_F(Tls, TarvikcAcceptsThePinnedCertificateAndRefusesAnother) {
    start_peer("echo");
    CopyFileW(harness::source_file("data/Tarvik_char2.ini").c_str(), dir_.file(L"Tarvik_char2.ini").c_str(), FALSE);
    harness::write_utf16_file(dir_.file(L"ping.txt"), L"ping over TLS\r\nSEND 50494E470D\r\nREAD 01 005 050\r\n"
                                                      L"CMPL 01 YES 50494E470D\r\nFAIL no echo\r\n:YES\r\nPEND\r\n");
    const std::wstring peer = L"--tcp-client 127.0.0.1:" + std::to_wstring(peer_.port());
    const std::string good = peer_.fingerprint();
    console::Result r = console::run_tarvikc(peer + L" --tls --pin " + std::wstring(good.begin(), good.end()) +
                                                 L" --macro ping.txt --timeout 20",
                                             dir_.path());
    EXPECT_EQ(r.code, 0u) << r.out << r.err;
    EXPECT_TRUE(contains(r.out, "TLS 1.2")) << r.out;
    EXPECT_TRUE(contains(r.out, "PING")) << r.out;
    EXPECT_TRUE(loopback::wait_until([&] { return contains(peer_.received(), "PING\r"); }));

    std::string wrong = good;
    wrong[0] = wrong[0] == 'A' ? 'B' : 'A';
    r = console::run_tarvikc(peer + L" --tls --pin " + std::wstring(wrong.begin(), wrong.end()) + L" --macro ping.txt",
                             dir_.path());
    EXPECT_EQ(r.code, 3u) << r.out << r.err;
    EXPECT_TRUE(contains(r.err, wrong) && contains(r.err, good)) << r.err;
    EXPECT_EQ(peer_.received(), "PING\r"); // nothing more was sent

    // With neither, an unknown certificate is refused, and no question is answered for it.
    r = console::run_tarvikc(peer + L" --tls --macro ping.txt", dir_.path());
    EXPECT_EQ(r.code, 3u) << r.out << r.err;
    EXPECT_TRUE(contains(r.err, good)) << r.err;
}
