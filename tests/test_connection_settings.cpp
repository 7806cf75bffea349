// The connection settings dialog through its real template: what Fill shows, what Store
// keeps, which fields may be edited, how it ends, and a connection opened with what was
// typed into it.
#include "harness.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "app/settings.h"
#include "app/text_table.h"
#include "comm/connection.h"
#include "netcfg/connection_settings_dialog.h"
#include "netcfg/settings_text.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using harness::click;
using harness::type_text;

const int kLocalOctets[] = {IDC_CS_LOCAL_OCTET1, IDC_CS_LOCAL_OCTET2, IDC_CS_LOCAL_OCTET3, IDC_CS_LOCAL_OCTET4};
const int kPeerOctets[] = {IDC_CS_PEER_OCTET1, IDC_CS_PEER_OCTET2, IDC_CS_PEER_OCTET3, IDC_CS_PEER_OCTET4};

std::wstring text_of(HWND dialog, int id) { return harness::window_text(GetDlgItem(dialog, id)); }
bool enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
bool checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

class ConnectionSettings : public ::testing::Test {
protected:
    void SetUp() override {
        window = harness::start_with_main_window(dir);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        harness::destroy_main_window(window);
        harness::restore_seams();
    }

    // Opens the dialog; `drive` acts in it and must end it. Returns the dialog's result.
    INT_PTR run(const std::function<void(HWND)>& drive) {
        INT_PTR result = -1;
        EXPECT_TRUE(harness::drive_modal([&] { result = run_connection_settings_dialog(window); }, drive));
        return result;
    }

    // Every field editable exactly as expected.
    void expect_enabling(HWND dialog, bool local_address, bool local_port, bool peer, const char* where) {
        SCOPED_TRACE(where);
        for (int id : kLocalOctets) EXPECT_EQ(enabled(dialog, id), local_address) << id;
        EXPECT_EQ(enabled(dialog, IDC_CS_LOCAL_PORT), local_port);
        for (int id : kPeerOctets) EXPECT_EQ(enabled(dialog, id), peer) << id;
        EXPECT_EQ(enabled(dialog, IDC_CS_PEER_PORT), peer);
    }

    harness::TempStartDir dir;
    HWND window = nullptr;
};

TEST_F(ConnectionSettings, FillShowsTheSettingsAndTheTextsOfEveryLanguage) {
    const std::pair<int, int> translated[] = {
        {IDC_CS_LABEL_MODE, 44},     {IDC_CS_CLIENT, 45},           {IDC_CS_SERVER, 46},
        {IDC_CS_LABEL_TRANSPORT, 80}, {IDC_CS_LABEL_LOCAL_PORT, 43}, {IDC_CS_LABEL_PEER_PORT, 43},
        {IDC_CS_ADAPTER_SEARCH, 99}, {IDC_CS_IP_ADDRESS_SET, 100},  {IDC_CS_NETWORK_CENTER, 101},
        {IDC_CS_CONNECT_SEARCH, 102}, {IDC_CS_CANCEL, 41},
    };
    g_settings.wsa_ver = 4;
    g_settings.ip_mode = 1;
    g_settings.tipudp_mode = 1;
    g_settings.bind_mode = 1;
    g_settings.aip_no1 = 10, g_settings.aip_no2 = 0, g_settings.aip_no3 = 300, g_settings.aip_no4 = -4;
    g_settings.aport_no = 70000;
    g_settings.ip_no1 = 127, g_settings.ip_no2 = 0, g_settings.ip_no3 = 0, g_settings.ip_no4 = 1;
    g_settings.port_no = 1050;

    for (int language = 0; language < 4; ++language) {
        g_settings.moji_type = language;
        SCOPED_TRACE(language);
        INT_PTR result = run([&](HWND d) {
            EXPECT_EQ(harness::window_text(d), L"LAN PortNo.Setting");
            for (auto [id, entry] : translated) {
                EXPECT_FALSE(std::wstring(text_entry(entry)).empty()) << entry;
                EXPECT_EQ(text_of(d, id), text_entry(entry)) << id;
            }
            EXPECT_EQ(text_of(d, IDC_CS_OK), L"OK");
            EXPECT_EQ(text_of(d, IDC_CS_TIP), L"TIP");

            HWND combo = GetDlgItem(d, IDC_CS_WSA_VERSION);
            ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 4);
            const wchar_t* items[] = {L"1.0", L"1.1", L"2.0", L"2.2"};
            for (int i = 0; i < 4; ++i) {
                wchar_t item[8] = {};
                SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
                EXPECT_STREQ(item, items[i]);
            }
            EXPECT_EQ(text_of(d, IDC_CS_WSA_VERSION), L"2.2");

            EXPECT_TRUE(checked(d, IDC_CS_SERVER) && !checked(d, IDC_CS_CLIENT));
            EXPECT_TRUE(checked(d, IDC_CS_UDP) && !checked(d, IDC_CS_TIP));
            EXPECT_TRUE(checked(d, IDC_CS_BIND_VALID) && !checked(d, IDC_CS_BIND_AUTO));
            EXPECT_FALSE(checked(d, IDC_CS_AD));
            const wchar_t* local[] = {L"10", L"0", L"300", L"-4"};
            const wchar_t* peer[] = {L"127", L"0", L"0", L"1"};
            for (int i = 0; i < 4; ++i) {
                EXPECT_EQ(text_of(d, kLocalOctets[i]), local[i]);
                EXPECT_EQ(text_of(d, kPeerOctets[i]), peer[i]);
            }
            EXPECT_EQ(text_of(d, IDC_CS_LOCAL_PORT), L"70000");
            EXPECT_EQ(text_of(d, IDC_CS_PEER_PORT), L"1050");
            click(d, IDC_CS_CANCEL);
        });
        EXPECT_EQ(result, IDC_CS_CANCEL);
    }
}

TEST_F(ConnectionSettings, VersionIsStoredByItsFirstThreeCharacters) {
    const std::pair<const wchar_t*, int> cases[] = {
        {L"2.2", 4}, {L"2.0", 3}, {L"3.0", 3}, {L"", 3}, {L"x", 3},
        {L"1.05", 1}, {L"1.1", 2}, {L"1.0", 1}, {L" 2.2", 3},
    };
    for (auto [typed, stored] : cases) {
        g_settings.wsa_ver = 0;
        INT_PTR result = run([&](HWND d) {
            type_text(d, IDC_CS_WSA_VERSION, typed);
            click(d, IDC_CS_OK);
        });
        EXPECT_EQ(result, IDC_CS_OK);
        EXPECT_EQ(g_settings.wsa_ver, stored) << "typed \"" << std::string(typed, typed + wcslen(typed)) << "\"";
    }
}

TEST_F(ConnectionSettings, UnknownVersionShowsTwoPointZeroAndIsStoredAsThree) {
    for (int unknown : {0, 9, -1}) {
        g_settings.wsa_ver = unknown;
        run([&](HWND d) {
            EXPECT_EQ(text_of(d, IDC_CS_WSA_VERSION), L"2.0") << unknown;
            click(d, IDC_CS_OK);
        });
        EXPECT_EQ(g_settings.wsa_ver, 3);
    }
}

TEST_F(ConnectionSettings, NumbersAreStoredAsTypedWithinTheirLength) {
    // Client with "Auto": the local fields are disabled and still stored.
    g_settings.ip_mode = 0;
    g_settings.bind_mode = 0;
    INT_PTR result = run([&](HWND d) {
        type_text(d, IDC_CS_LOCAL_OCTET1, L"1234");
        type_text(d, IDC_CS_LOCAL_OCTET2, L"256");
        type_text(d, IDC_CS_LOCAL_OCTET3, L"-1");
        type_text(d, IDC_CS_LOCAL_OCTET4, L"12a");
        type_text(d, IDC_CS_PEER_OCTET1, L"");
        type_text(d, IDC_CS_PEER_OCTET2, L" 7");
        type_text(d, IDC_CS_PEER_OCTET3, L"+5");
        type_text(d, IDC_CS_PEER_OCTET4, L"x9");
        type_text(d, IDC_CS_LOCAL_PORT, L"123456");
        type_text(d, IDC_CS_PEER_PORT, L"99999");
        click(d, IDC_CS_OK);
    });
    EXPECT_EQ(result, IDC_CS_OK);
    EXPECT_EQ(g_settings.aip_no1, 123);
    EXPECT_EQ(g_settings.aip_no2, 256);
    EXPECT_EQ(g_settings.aip_no3, -1);
    EXPECT_EQ(g_settings.aip_no4, 12);
    EXPECT_EQ(g_settings.ip_no1, 0);
    EXPECT_EQ(g_settings.ip_no2, 7);
    EXPECT_EQ(g_settings.ip_no3, 5);
    EXPECT_EQ(g_settings.ip_no4, 0);
    EXPECT_EQ(g_settings.aport_no, 12345);
    EXPECT_EQ(g_settings.port_no, 99999);
}

TEST(FieldText, OnlyTheFirstCharactersAreRead) {
    EXPECT_EQ(parse_field_number(L" 12", kOctetChars), 12);
    EXPECT_EQ(parse_field_number(L"  12", kOctetChars), 1); // the spaces count toward the length
    EXPECT_EQ(parse_field_number(L"\t-5", kOctetChars), -5);
    EXPECT_EQ(parse_field_number(L"-", kOctetChars), 0);
    EXPECT_EQ(parse_field_number(L"+-1", kOctetChars), 0);
    EXPECT_EQ(parse_field_number(L"-99999", kPortChars), -9999);
    EXPECT_EQ(parse_field_number(L"99999999999999", 14), INT_MAX);
}

TEST_F(ConnectionSettings, EnablingFollowsModeAndBinding) {
    struct Case {
        int ip_mode, bind_mode;
        bool local_address, local_port, peer;
    };
    const Case from_settings[] = {
        {0, 0, false, false, true}, // client, Auto: only the peer
        {1, 0, false, true, false}, // server, Auto: only the local port
        {0, 1, true, true, true},   // client, Valid: everything
        {1, 1, true, true, false},  // server, Valid: the local address and port
        {2, 5, true, true, false},  // odd values from the file: as the radios show them
    };
    for (const Case& c : from_settings) {
        g_settings.ip_mode = c.ip_mode;
        g_settings.bind_mode = c.bind_mode;
        run([&](HWND d) {
            expect_enabling(d, c.local_address, c.local_port, c.peer, "fill");
            click(d, IDC_CS_CANCEL);
        });
    }

    // The radio handlers walk through the same four states.
    g_settings.ip_mode = 0;
    g_settings.bind_mode = 0;
    INT_PTR result = run([&](HWND d) {
        click(d, IDC_CS_SERVER);
        expect_enabling(d, false, true, false, "server, Auto");
        click(d, IDC_CS_BIND_VALID);
        expect_enabling(d, true, true, false, "server, Valid");
        click(d, IDC_CS_UDP); // the transport changes nothing here
        expect_enabling(d, true, true, false, "server, Valid, UDP");
        click(d, IDC_CS_CLIENT);
        expect_enabling(d, true, true, true, "client, Valid");
        click(d, IDC_CS_BIND_AUTO);
        expect_enabling(d, false, false, true, "client, Auto");
        click(d, IDC_CS_BIND_VALID);
        click(d, IDC_CS_SERVER);
        click(d, IDC_CS_BIND_AUTO);
        expect_enabling(d, false, true, false, "server, Auto again");
        click(d, IDC_CS_OK);
    });
    EXPECT_EQ(result, IDC_CS_OK);
    EXPECT_EQ(g_settings.ip_mode, 1);
    EXPECT_EQ(g_settings.bind_mode, 0);
    EXPECT_EQ(g_settings.tipudp_mode, 1);
}

TEST_F(ConnectionSettings, ToolButtonsStoreSoThatALaterCancelKeepsTheChanges) {
    for (int tool : {IDC_CS_ADAPTER_SEARCH, IDC_CS_IP_ADDRESS_SET, IDC_CS_CONNECT_SEARCH}) {
        SCOPED_TRACE(tool);
        g_settings.ip_mode = 0;
        g_settings.aip_no1 = 192;
        g_settings.port_no = 1050;
        INT_PTR result = run([&](HWND d) {
            click(d, IDC_CS_SERVER);
            type_text(d, IDC_CS_LOCAL_OCTET1, L"1234");
            // The tool's own dialog is closed at once.
            EXPECT_TRUE(harness::drive_modal([&] { click(d, tool); }, [tool](HWND opened) {
                click(opened, tool == IDC_CS_IP_ADDRESS_SET ? IDC_IP_CANCEL : IDC_LIST_CLOSE);
            }));
            // Filled again from what was stored.
            EXPECT_EQ(text_of(d, IDC_CS_LOCAL_OCTET1), L"123");
            EXPECT_TRUE(checked(d, IDC_CS_SERVER));
            expect_enabling(d, false, true, false, "after the tool");
            type_text(d, IDC_CS_PEER_PORT, L"2000"); // typed after the tool: lost by cancel
            click(d, IDC_CS_CANCEL);
        });
        EXPECT_EQ(result, IDC_CS_CANCEL);
        EXPECT_EQ(g_settings.ip_mode, 1);
        EXPECT_EQ(g_settings.aip_no1, 123);
        EXPECT_EQ(g_settings.port_no, 1050);
    }
}

TEST_F(ConnectionSettings, NetworkCenterOpensThePanelAndStoresNothing) {
    g_settings.ip_mode = 0;
    g_settings.port_no = 1050;
    INT_PTR result = run([&](HWND d) {
        click(d, IDC_CS_SERVER);
        type_text(d, IDC_CS_PEER_PORT, L"4000");
        click(d, IDC_CS_NETWORK_CENTER);
        EXPECT_EQ(text_of(d, IDC_CS_PEER_PORT), L"4000"); // not filled again either
        click(d, IDC_CS_CANCEL);
    });
    EXPECT_EQ(result, IDC_CS_CANCEL);
    EXPECT_EQ(g_settings.ip_mode, 0);
    EXPECT_EQ(g_settings.port_no, 1050);
    auto calls = harness::shell_calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].verb, L"open");
    EXPECT_EQ(calls[0].file, L"control.exe");
    EXPECT_EQ(calls[0].params, L"ncpa.cpl");
}

TEST_F(ConnectionSettings, OnlyOkStoresAndTheAdBoxStartsClearEveryTime) {
    g_settings.port_no = 1050;
    auto edit_and = [&](UINT close_message, WPARAM close_wparam) {
        return run([&](HWND d) {
            EXPECT_FALSE(checked(d, IDC_CS_AD));
            click(d, IDC_CS_AD);
            type_text(d, IDC_CS_PEER_PORT, L"4001");
            SendMessageW(d, close_message, close_wparam, 0);
        });
    };
    EXPECT_EQ(edit_and(WM_SYSCOMMAND, SC_CLOSE), 1); // the close box
    EXPECT_EQ(g_settings.port_no, 1050);
    EXPECT_EQ(edit_and(WM_COMMAND, IDCANCEL), 1); // Escape
    EXPECT_EQ(g_settings.port_no, 1050);
    EXPECT_EQ(edit_and(WM_COMMAND, MAKEWPARAM(IDC_CS_CANCEL, BN_CLICKED)), IDC_CS_CANCEL);
    EXPECT_EQ(g_settings.port_no, 1050);
    EXPECT_EQ(edit_and(WM_COMMAND, MAKEWPARAM(IDC_CS_OK, BN_CLICKED)), IDC_CS_OK);
    EXPECT_EQ(g_settings.port_no, 4001);
}

// ---- opening a connection with what was typed ------------------------------------------

// A TIP listener on 127.0.0.1 below port 34464, so that the port plus 65536 still fits the
// five characters of the port field: a connection that wrapped it round would reach here.
class LoopbackListener {
public:
    LoopbackListener() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        for (int candidate = 20000; started_ && candidate < 20000 + 10 * 50; candidate += 10) {
            SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
            sockaddr_in addr = {};
            addr.sin_family = AF_INET;
            addr.sin_port = htons(static_cast<u_short>(candidate));
            addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 && listen(s, 2) == 0) {
                socket_ = s;
                port_ = candidate;
                return;
            }
            closesocket(s);
        }
    }
    ~LoopbackListener() {
        if (accepted_ != INVALID_SOCKET) closesocket(accepted_);
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
        if (started_) WSACleanup();
    }
    int port() const { return port_; }
    // True when a client connected within the time.
    bool accept_within(int ms) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval wait = {ms / 1000, (ms % 1000) * 1000};
        if (select(0, &readable, nullptr, nullptr, &wait) != 1) return false;
        accepted_ = accept(socket_, nullptr, nullptr);
        return accepted_ != INVALID_SOCKET;
    }

private:
    bool started_ = false;
    SOCKET socket_ = INVALID_SOCKET;
    SOCKET accepted_ = INVALID_SOCKET;
    int port_ = 0;
};

class ConnectionSettingsOpening : public ConnectionSettings {
protected:
    void TearDown() override {
        if (connection_is_open()) SendMessageW(window, WM_COMMAND, IDM_CLOSE, 0);
        ConnectionSettings::TearDown();
    }

    // A TIP client with "Auto" to the peer typed here, through the menu command and OK.
    void set_tip_client(const wchar_t* octets[4], const std::wstring& port) {
        ASSERT_TRUE(harness::drive_modal([&] { SendMessageW(window, WM_COMMAND, IDM_CONNECTION_SETTINGS, 0); },
                                         [&](HWND d) {
                                             click(d, IDC_CS_CLIENT);
                                             click(d, IDC_CS_TIP);
                                             click(d, IDC_CS_BIND_AUTO);
                                             for (int i = 0; i < 4; ++i) type_text(d, kPeerOctets[i], octets[i]);
                                             type_text(d, IDC_CS_PEER_PORT, port);
                                             click(d, IDC_CS_OK);
                                         }));
    }

    bool box_shown(int entry) {
        for (const harness::ShownBox& box : harness::shown_boxes())
            if (box.text == text_entry(entry) && box.caption == text_entry(110)) return true;
        return false;
    }

    LoopbackListener listener;
};

TEST_F(ConnectionSettingsOpening, TipClientConnectsToThePeerTyped) {
    ASSERT_NE(listener.port(), 0);
    const wchar_t* loopback[4] = {L"127", L"0", L"0", L"1"};
    set_tip_client(loopback, std::to_wstring(listener.port()));
    SendMessageW(window, WM_COMMAND, IDM_OPEN, 0);
    EXPECT_TRUE(connection_is_open());
    EXPECT_TRUE(listener.accept_within(3000));
}

TEST_F(ConnectionSettingsOpening, OutOfRangeValuesTypedAreRefusedNotWrappedRound) {
    ASSERT_NE(listener.port(), 0);
    struct Case {
        const wchar_t* octets[4];
        std::wstring port;
        int entry;
    };
    const Case cases[] = {
        {{L"127", L"0", L"0", L"1"}, std::to_wstring(listener.port() + 65536), 111},
        {{L"127", L"0", L"0", L"257"}, std::to_wstring(listener.port()), 112},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        harness::clear_shown_boxes();
        const wchar_t* octets[4] = {c.octets[0], c.octets[1], c.octets[2], c.octets[3]};
        set_tip_client(octets, c.port);
        SendMessageW(window, WM_COMMAND, IDM_OPEN, 0);
        EXPECT_FALSE(connection_is_open());
        EXPECT_TRUE(box_shown(c.entry));
        EXPECT_FALSE(listener.accept_within(300));
    }
}

} // namespace
