// The input send dialog through its real template: sending to a loopback peer and what the
// traffic buffer and the send history keep of it, the server send targets, the history rows
// (paging, deleting, saving), the short form and the focus timer.
#include "harness.h"
#include "support_input.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <commdlg.h>

#include "app/app_state.h"
#include "app/settings.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "comm/connection.h"
#include "comm/peers.h"
#include "comm/traffic_buffer.h"
#include "res/resource.h"
#include "send/entry_editor.h"
#include "send/entry_files.h"
#include "send/input_send_dialog.h"
#include "view/view_metrics.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using harness::click;
using namespace input_test;

// ---- loopback peers -------------------------------------------------------------------

SOCKET loopback_socket(int type) {
    SOCKET s = socket(AF_INET, type, 0);
    DWORD timeout = 2000; // no receive in these tests waits longer
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    return s;
}

sockaddr_in loopback(int port) {
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<u_short>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

int port_of(SOCKET s) {
    sockaddr_in a = {};
    int len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    return ntohs(a.sin_port);
}

// Up to `want` bytes, or what came within the receive timeout.
std::vector<uint8_t> receive(SOCKET s, size_t want) {
    std::vector<uint8_t> got;
    char buffer[512];
    while (got.size() < want) {
        int n = recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

bool wait_until(const std::function<bool()>& done) {
    for (int i = 0; i < 300 && !done(); ++i) Sleep(10);
    return done();
}

std::vector<TrafficRecord> all_records() {
    std::vector<TrafficRecord> out(static_cast<size_t>(traffic_state().write_index));
    if (!out.empty()) traffic_copy(0, static_cast<int>(out.size()), out.data());
    return out;
}

std::wstring chars_of(const Entry& e) { return std::wstring(e.chars, e.length); }

class InputSend : public ::testing::Test {
protected:
    void SetUp() override {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        main = open_main_window(dir.path());
        ASSERT_NE(main, nullptr);
        g_settings.ip_mode = 0;
        g_settings.tipudp_mode = 0;
        g_settings.bind_mode = 0;
        g_settings.dlg4_short = 0;
        g_settings.auto_foucs_OFF = 0;
    }
    void TearDown() override {
        if (connection_is_open()) close_connection(main);
        for (SOCKET s : peers) closesocket(s);
        harness::destroy_main_window(main);
        harness::restore_seams();
        WSACleanup();
    }

    // A TIP client connection to a loopback listener; returns the peer's end.
    SOCKET connect_tip_client() {
        SOCKET listener = loopback_socket(SOCK_STREAM);
        sockaddr_in at = loopback(0);
        bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at);
        listen(listener, 1);
        peers.push_back(listener);
        g_settings.ip_no1 = 127, g_settings.ip_no2 = 0, g_settings.ip_no3 = 0, g_settings.ip_no4 = 1;
        g_settings.port_no = port_of(listener);
        EXPECT_TRUE(open_tip_client(main));
        SOCKET peer = accept(listener, nullptr, nullptr);
        DWORD timeout = 2000;
        setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
        peers.push_back(peer);
        return peer;
    }

    // A server of the given kind on 127.0.0.1 and an ephemeral port; returns the port.
    int open_server(bool udp) {
        g_settings.ip_mode = 1;
        g_settings.tipudp_mode = udp ? 1 : 0;
        g_settings.bind_mode = 1;
        g_settings.aip_no1 = 127, g_settings.aip_no2 = 0, g_settings.aip_no3 = 0, g_settings.aip_no4 = 1;
        g_settings.aport_no = 0;
        EXPECT_TRUE(udp ? open_udp_server(main) : open_tip_server(main));
        return port_of(g_conn.main_socket);
    }

    // Runs the dialog; `drive` acts in it, then it is closed (unless `drive` closed it).
    INT_PTR run(const std::function<void(HWND)>& drive) {
        INT_PTR result = -1;
        EXPECT_TRUE(harness::drive_modal([&] { result = run_input_send_dialog(main); },
                                         [&](HWND dialog) {
                                             drive(dialog);
                                             if (IsWindow(dialog)) click(dialog, IDC_IS_CLOSE);
                                         }));
        return result;
    }

    static void type(HWND dialog, const std::wstring& text) {
        release_keys(GetDlgItem(dialog, IDC_INPUT_CAPTURE), text);
    }
    static void type_and_send(HWND dialog, const std::wstring& text) {
        type(dialog, text);
        click(dialog, IDC_IS_SEND);
    }

    harness::TempStartDir dir;
    HWND main = nullptr;
    std::vector<SOCKET> peers;
};

TEST_F(InputSend, TheTemplateCarriesItsControlsAndTheTextsOfTheTable) {
    INT_PTR result = run([&](HWND d) {
        EXPECT_EQ(harness::window_text(d), text_entry(60));
        const std::pair<int, int> texts[] = {
            {IDC_ENTRY_MODE_LABEL, 79}, {IDC_IS_LABEL_TARGET, 73}, {IDC_IS_SEND, 72}, {IDC_IS_REFRESH_TARGETS, 89},
            {IDC_IS_PAGE_BACK, 85},     {IDC_IS_PAGE_FORWARD, 86}, {IDC_IS_CLOSE, 69},
        };
        for (auto [id, entry] : texts) EXPECT_EQ(harness::window_text(GetDlgItem(d, id)), text_entry(entry)) << id;
        for (int r = 0; r < 5; ++r) {
            EXPECT_NE(GetDlgItem(d, IDC_IS_SEND_ROW0 + r), nullptr);
            EXPECT_EQ(GetWindowLongW(GetDlgItem(d, IDC_IS_DELETE_ROW0 + r), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
        }
        EXPECT_EQ(g_editors[kInputEditor].capture, GetDlgItem(d, IDC_INPUT_CAPTURE));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_IS_TARGET))); // client mode
        EXPECT_EQ(g_app.input_send_open, 1);
    });
    EXPECT_EQ(result, IDC_IS_CLOSE);
    EXPECT_EQ(g_app.input_send_open, 0);

    // The close box ends it with 1; command 221 of the main window opens it.
    bool opened = false;
    EXPECT_TRUE(harness::drive_modal([&] { SendMessageW(main, WM_COMMAND, IDM_INPUT_SEND, 0); },
                                     [&](HWND d) {
                                         opened = GetDlgItem(d, IDC_INPUT_CAPTURE) != nullptr;
                                         SendMessageW(d, WM_CLOSE, 0, 0);
                                     }));
    EXPECT_TRUE(opened);
    EXPECT_EQ(g_app.input_send_open, 0);
}

TEST_F(InputSend, SendDeliversTheBytesRecordsThePacketAndFilesItOnce) {
    SOCKET peer = connect_tip_client();
    clear_send_history();
    const int before = traffic_state().write_index;
    run([&](HWND d) {
        type_and_send(d, L"AB");
        EXPECT_EQ(receive(peer, 2), (std::vector<uint8_t>{0x41, 0x42}));
        type_and_send(d, L"C"); // the entry stays after a send: AB and C
        EXPECT_EQ(receive(peer, 3), (std::vector<uint8_t>{0x41, 0x42, 0x43}));
        click(d, IDC_IS_SEND);
        EXPECT_EQ(receive(peer, 3).size(), 3u);
    });
    std::vector<TrafficRecord> r = all_records();
    ASSERT_EQ(r.size(), static_cast<size_t>(before + 5 + 6 + 6));
    EXPECT_EQ(r[before].kind, kSentByte);
    EXPECT_EQ(r[before].value, 0x41);
    EXPECT_EQ(r[before].aux, 0);
    EXPECT_EQ(r[before + 1].kind, kSentByte);
    EXPECT_EQ(r[before + 1].value, 0x42);
    EXPECT_EQ(r[before + 1].aux, 1);
    EXPECT_EQ(r[before + 2].kind, kGapMark);
    EXPECT_EQ(r[before + 3].kind, kGapHigh);
    EXPECT_EQ(r[before + 4].kind, kGapLow);
    // ABC twice is one entry, above AB.
    EXPECT_EQ(chars_of(g_history.places[0]), L"ABC");
    EXPECT_EQ(chars_of(g_history.places[1]), L"AB");
    EXPECT_EQ(g_history.places[2].length, 0);
}

TEST_F(InputSend, AnEmptySendRecordsNothingButFilesAnEmptyEntry) {
    connect_tip_client();
    clear_send_history();
    file_in_history(L"X", 1);
    const int before = traffic_state().write_index;
    run([&](HWND d) { click(d, IDC_IS_SEND); });
    EXPECT_EQ(traffic_state().write_index, before);
    EXPECT_EQ(g_history.places[0].length, 0);
    EXPECT_EQ(chars_of(g_history.places[1]), L"X");
}

TEST(SendHistory, KeepsTheLast20DifferentStrings) {
    clear_send_history();
    for (int i = 0; i < 21; ++i) {
        std::wstring s = L"s" + std::to_wstring(i);
        EXPECT_TRUE(file_in_history(s.c_str(), static_cast<int>(s.size())));
    }
    EXPECT_EQ(chars_of(g_history.places[0]), L"s20");
    EXPECT_EQ(chars_of(g_history.places[19]), L"s1");
    EXPECT_FALSE(file_in_history(L"s7", 2));
    EXPECT_EQ(chars_of(g_history.places[0]), L"s20");

    // A trailing zero character is part of the string: both stay, each sends its own bytes.
    clear_send_history();
    EXPECT_TRUE(file_in_history(L"A", 1));
    EXPECT_TRUE(file_in_history(std::wstring(L"A\0", 2).c_str(), 2));
    EXPECT_EQ(g_history.places[0].length, 2);
    EXPECT_EQ(g_history.places[1].length, 1);
}

TEST_F(InputSend, RowsPageWithinTheHistoryAndDeleteTheirPlace) {
    clear_send_history();
    for (int i = 19; i >= 0; --i) {
        std::wstring s = L"p" + std::to_wstring(i);
        file_in_history(s.c_str(), static_cast<int>(s.size()));
    }
    auto labels = [](HWND d) {
        std::wstring all;
        for (int r = 0; r < 5; ++r) all += harness::window_text(GetDlgItem(d, IDC_IS_DELETE_ROW0 + r)) + L" ";
        return all;
    };
    run([&](HWND d) {
        click(d, IDC_IS_PAGE_BACK);
        EXPECT_EQ(g_input_send.page, 0);
        EXPECT_EQ(labels(d), L"01 02 03 04 05 ");
        for (int i = 0; i < 4; ++i) click(d, IDC_IS_PAGE_FORWARD);
        EXPECT_EQ(g_input_send.page, 15);
        EXPECT_EQ(labels(d), L"16 17 18 19 20 ");

        harness::queue_box_answer(IDNO);
        click(d, IDC_IS_DELETE_ROW0 + 4);
        EXPECT_EQ(chars_of(g_history.places[19]), L"p19");
        click(d, IDC_IS_DELETE_ROW0 + 4); // place 19: only it goes
        EXPECT_EQ(g_history.places[19].length, 0);
        EXPECT_EQ(chars_of(g_history.places[18]), L"p18");

        for (int i = 0; i < 3; ++i) click(d, IDC_IS_PAGE_BACK);
        click(d, IDC_IS_DELETE_ROW0); // place 0: the others move up
        EXPECT_EQ(chars_of(g_history.places[0]), L"p1");
        EXPECT_EQ(chars_of(g_history.places[17]), L"p18");
        EXPECT_EQ(g_history.places[18].length, 0);
    });
    auto boxes = harness::shown_boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, text_entry(36));
    EXPECT_EQ(boxes[0].caption, L"Tarvik");
    EXPECT_EQ(boxes[0].type & 0xF, static_cast<UINT>(MB_YESNO));
}

TEST_F(InputSend, TheHistoryRowsShowTheirStrings) {
    clear_send_history();
    file_in_history(L"xy", 2);
    file_in_history(L"A\r", 2);
    run([&](HWND d) {
        click(d, IDC_IS_PAGE_BACK); // a repaint
        harness::pump_messages(2);
        Picture p = capture_client(d);
        const int p0 = 163, p1 = 163 + g_metrics.half_band;
        EXPECT_TRUE(shows_text(p, 0, p0, L"A"));
        EXPECT_TRUE(shows_text(p, 1, p0, L"CR"));
        EXPECT_TRUE(shows_value(p, 1, p0, L"0D"));
        EXPECT_TRUE(shows_text(p, 2, p0, L""));
        EXPECT_TRUE(shows_value(p, 1, p1, L"79"));
        EXPECT_TRUE(shows_number(p, 1, 152, 1));
        EXPECT_TRUE(shows_number(p, 1, 152 + g_metrics.half_band, 1));
        EXPECT_TRUE(shows_text(p, 0, p1 + g_metrics.half_band, L"")); // row 2 is empty
    });
}

TEST_F(InputSend, ARowSendsItsStringToThePeer) {
    SOCKET peer = connect_tip_client();
    clear_send_history();
    file_in_history(L"row", 3);
    file_in_history(L"top", 3);
    run([&](HWND d) {
        click(d, IDC_IS_SEND_ROW0 + 1);
        harness::double_click(d, IDC_IS_SEND_ROW0 + 1); // a quick second click sends again
    });
    EXPECT_EQ(receive(peer, 9), (std::vector<uint8_t>{'r', 'o', 'w', 'r', 'o', 'w', 'r', 'o', 'w'}));
    EXPECT_EQ(chars_of(g_history.places[0]), L"top"); // already there: stays in its place
}

TEST_F(InputSend, ServerModesRefuseTheSendButtonWithNoPeer) {
    for (int udp = 0; udp < 2; ++udp) {
        open_server(udp != 0);
        harness::clear_shown_boxes();
        const int before = traffic_state().write_index;
        run([&](HWND d) { type_and_send(d, L"Q"); });
        auto boxes = harness::shown_boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, text_entry(32));
        EXPECT_EQ(boxes[0].caption, text_entry(33));
        EXPECT_EQ(traffic_state().write_index, before);
        close_connection(main);
    }
}

TEST_F(InputSend, TheTargetListChoosesTheClientSlot) {
    const int port = open_server(false);
    // Eight clients, one after the other, take slots 0 to 7.
    std::vector<SOCKET> clients;
    for (int i = 0; i < 8; ++i) {
        SOCKET c = loopback_socket(SOCK_STREAM);
        sockaddr_in to = loopback(port);
        ASSERT_EQ(connect(c, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
        peers.push_back(c);
        clients.push_back(c);
        ASSERT_TRUE(wait_until([&] { return connected_client_count() == i + 1; }));
    }
    run([&](HWND d) {
        HWND combo = GetDlgItem(d, IDC_IS_TARGET);
        EXPECT_TRUE(IsWindowEnabled(combo));
        EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 8);
        EXPECT_EQ(harness::window_text(combo), L"0-IP:127,0,0,1]");
        wchar_t line[64] = {};
        SendMessageW(combo, CB_GETLBTEXT, 7, reinterpret_cast<LPARAM>(line));
        EXPECT_STREQ(line, L"7-IP:127,0,0,1]");

        harness::type_text(d, IDC_IS_TARGET, L"7-IP:10,0,0,5]");
        type_and_send(d, L"Z");
        EXPECT_EQ(receive(clients[7], 1), std::vector<uint8_t>{'Z'});
        harness::type_text(d, IDC_IS_TARGET, L"x");
        click(d, IDC_IS_SEND);
        EXPECT_EQ(receive(clients[0], 1), std::vector<uint8_t>{'Z'});
        // A free slot: the send is refused, naming the slot, and records nothing.
        harness::clear_shown_boxes();
        harness::type_text(d, IDC_IS_TARGET, L"9-IP:127,0,0,1]");
        click(d, IDC_IS_SEND);
        auto boxes = harness::shown_boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, text_entry(kTextNoClientCaption));
        EXPECT_EQ(boxes[0].text.substr(boxes[0].text.size() - 2), L" 9");
    });
    // Send-to records before each packet, with the address of the client sent to.
    std::vector<TrafficRecord> r = all_records();
    int groups = 0;
    for (size_t i = 0; i + 4 < r.size(); ++i)
        if (r[i].kind == kToAddress && r[i].value == 1) {
            ++groups;
            EXPECT_EQ(r[i].aux, 127);
            EXPECT_EQ(r[i + 3].aux, 1);
            EXPECT_EQ(r[i + 4].kind, kSentByte);
        }
    EXPECT_EQ(groups, 2);
    ASSERT_GE(r.size(), 4u);
    EXPECT_EQ(r.back().kind, kGapLow); // the last packet's trailer ends the buffer
}

TEST_F(InputSend, TheUdpServerListsItsSendersAndAnswersTheLast) {
    const int port = open_server(true);
    SOCKET client = loopback_socket(SOCK_DGRAM);
    peers.push_back(client);
    sockaddr_in to = loopback(port);
    sendto(client, "hi", 2, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    ASSERT_TRUE(wait_until([] { return g_peers.peer_flag.load() == kUdpSenderHeard; }));
    run([&](HWND d) {
        EXPECT_EQ(harness::window_text(GetDlgItem(d, IDC_IS_TARGET)), L"0-IP:127,0,0,1]");
        type_and_send(d, L"ok");
        EXPECT_EQ(receive(client, 2), (std::vector<uint8_t>{'o', 'k'}));
    });
}

TEST_F(InputSend, SavedHistoryIsUtf16HexLinesUnderATextName) {
    clear_send_history();
    file_in_history(L"\r\n", 2);
    file_in_history(L"A", 1);
    harness::queue_file_answer(dir.file(L"hist"));
    run([&](HWND d) { click(d, IDC_IS_SAVE_HISTORY); });
    const std::vector<uint8_t> expected = {0xFF, 0xFE, '4', 0, '1', 0, '\r', 0, '\n', 0,
                                           '0',  0,    'D', 0, '0', 0, 'A',  0, '\r', 0, '\n', 0};
    EXPECT_EQ(harness::read_file(dir.file(L"hist.txt")), expected);
    auto calls = harness::file_dialog_calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].save);
    EXPECT_EQ(calls[0].title, text_entry(10));
    EXPECT_EQ(calls[0].initial_file, dir.path() + L"\\temp.txt");
    EXPECT_EQ(calls[0].flags, static_cast<DWORD>(OFN_FILEMUSTEXIST | OFN_EXTENSIONDIFFERENT));

    // An empty string sent last does not keep the others out of the file.
    file_in_history(L"", 0);
    harness::queue_file_answer(dir.file(L"after_empty.txt"));
    run([&](HWND d) { click(d, IDC_IS_SAVE_HISTORY); });
    EXPECT_EQ(harness::read_file(dir.file(L"after_empty.txt")), expected);

    harness::queue_file_answer(L""); // cancelled: nothing
    run([&](HWND d) { click(d, IDC_IS_SAVE_HISTORY); });
}

TEST_F(InputSend, SaveNamesEndInTxt) {
    const std::pair<const wchar_t*, const wchar_t*> names[] = {
        {L"hist", L"hist.txt"},
        {L"hist.log", L"hist.txt"},
        {L"hist.TXT", L"hist.TXT"},
        {L"a.b.c.html", L"a.b.c.html.txt"},
        {L"d.x\\ab", L"d.x\\ab.txt"}, // a dot of the folder is no extension
    };
    CreateDirectoryW(dir.file(L"d.x").c_str(), nullptr);
    Entry list[1];
    entry_assign(&list[0], L"A", 1);
    for (auto [given, saved] : names) {
        EXPECT_TRUE(save_entries_as_text(main, dir.file(given).c_str(), list, 1)) << given;
        EXPECT_TRUE(harness::file_exists(dir.file(saved))) << saved;
    }
    EXPECT_TRUE(harness::shown_boxes().empty());

    // A file that cannot be made is reported.
    EXPECT_FALSE(save_entries_as_text(main, dir.file(L"no_such_folder\\h").c_str(), list, 1));
    auto boxes = harness::shown_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, text_entry(34));
    EXPECT_EQ(boxes[0].caption, L"CreateFile");
}

TEST_F(InputSend, ShortFormAndFocusFollowTheSettings) {
    g_settings.dlg4_short = 1;
    run([&](HWND d) {
        RECT rc;
        GetWindowRect(d, &rc);
        EXPECT_EQ(rc.bottom - rc.top, 158);
        click(d, IDC_IS_SHORT_FORM);
        GetWindowRect(d, &rc);
        EXPECT_EQ(rc.bottom - rc.top, g_input_send.full_height);
        EXPECT_EQ(g_settings.dlg4_short, 0);
        click(d, IDC_IS_SHORT_FORM);
        GetWindowRect(d, &rc);
        EXPECT_EQ(rc.bottom - rc.top, 150);
        EXPECT_EQ(g_settings.dlg4_short, 1);

        HWND field = GetDlgItem(d, IDC_INPUT_CAPTURE);
        HWND button = GetDlgItem(d, IDC_IS_SEND);
        SetFocus(button);
        ASSERT_EQ(GetFocus(), button);
        SendMessageW(d, WM_TIMER, 1, 0);
        EXPECT_EQ(GetFocus(), field);
        g_settings.auto_foucs_OFF = 1;
        SetFocus(button);
        SendMessageW(d, WM_TIMER, 1, 0);
        EXPECT_EQ(GetFocus(), button);
    });
}

} // namespace
