// The connect-address list: which lines of log.txt give addresses, how the dialog starts
// connect_ip.bat and waits for it, and the picked address reaching the settings.
#include "harness.h"
#include "support_adapters.h"

#include "app/app_state.h"
#include "app/settings.h"
#include "netcfg/connect_address_dialog.h"
#include "netcfg/connection_settings_dialog.h"
#include "netcfg/neighbour_log.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using harness::click;

std::vector<std::wstring> addresses_in(const std::string& text) {
    auto list = std::make_unique<NeighbourList>();
    read_neighbour_log(reinterpret_cast<const unsigned char*>(text.data()), text.size(), list.get());
    return std::vector<std::wstring>(list->entries, list->entries + list->count);
}

std::string lines_of_addresses(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "  10.0." + std::to_string(i / 100) + "." + std::to_string(i % 100) + "\r\n";
    return text;
}

TEST(NeighbourLog, LinesThatGiveAnAddress) {
    using V = std::vector<std::wstring>;
    const std::string table_line = "  192.168.0.10          00-11-22-33-44-55     dynamic\r\n";
    struct Case {
        const char* what;
        std::string text;
        V expected;
    } cases[] = {
        {"table line", table_line, {L"IP=192.168.0.10"}},
        {"header", "Interface: 192.168.0.5 --- 0x3\r\n  Internet Address      Physical Address\r\n", {}},
        {"prefix of a listed address, and a repeat",
         table_line + "  192.168.0.1           00-aa-bb-cc-dd-ee     dynamic\r\n" + table_line,
         {L"IP=192.168.0.10", L"IP=192.168.0.1"}},
        {"empty", "", {}},
        {"last line without CR LF", "10.1.2.3", {L"IP=10.1.2.3"}},
        {"longest address ends within the 18 bytes", "  192.168.100.100 x\r\n", {L"IP=192.168.100.100"}},
        {"last number still open at the 18th byte", "   192.168.100.100 x\r\n", {}},
        {"a lone LF is part of the line", "1.2\n3.4\r\n", {L"IP=1.2.3.4"}},
        {"more than four numbers", "1.2.3.4.5\r\n", {L"IP=1.2.3.4"}},
        {"a line of 1022 bytes is cut there", std::string(1022, 'a') + "5.6.7.8\r\n", {L"IP=5.6.7.8"}},
        {"the cut takes a digit away", std::string(1021, 'a') + "5.6.7.8\r\n", {}},
        {"a CR LF split by the cut", std::string(1021, 'a') + "\r\n9.9.9.9\r\n", {L"IP=9.9.9.9"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(addresses_in(c.text), c.expected);
    }
    // Of 129 lines the last is not read.
    V first_128 = addresses_in(lines_of_addresses(129));
    ASSERT_EQ(first_128.size(), 128u);
    EXPECT_EQ(first_128.front(), L"IP=10.0.0.1");
    EXPECT_EQ(first_128.back(), L"IP=10.0.1.28");
}

class ConnectAddress : public ::testing::Test {
protected:
    void SetUp() override {
        window = harness::start_with_main_window(dir);
        ASSERT_NE(window, nullptr);
        g_settings.ip_no1 = 1, g_settings.ip_no2 = 2, g_settings.ip_no3 = 3, g_settings.ip_no4 = 4;
        g_settings.port_no = 5000;
    }
    void TearDown() override {
        harness::destroy_main_window(window);
        harness::restore_seams();
    }

    void write_log(const std::string& text) {
        harness::write_file(dir.file(L"log.txt"), std::vector<uint8_t>(text.begin(), text.end()));
    }
    std::vector<int> peer() const {
        return {g_settings.ip_no1, g_settings.ip_no2, g_settings.ip_no3, g_settings.ip_no4};
    }

    harness::TempStartDir dir;
    HWND window = nullptr;
};

// The list is read once the clock has moved past the wait; the dialog turns topmost then.
bool wait_for_reading(HWND dialog) {
    harness::advance_tick(kConnectBatchWaitMs);
    for (int i = 0; i < 200; ++i) {
        if (GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) return true;
        harness::pump_messages(1);
        Sleep(10);
    }
    return false;
}

TEST_F(ConnectAddress, FailuresAndEndings) {
    struct Case {
        const char* what;
        bool as_admin;
        INT_PTR shell_result;
        bool log_is_folder; // a log.txt that cannot be opened
        int button;         // 0: closed during the wait
        std::vector<std::wstring> boxes; // text and caption of each message
    } cases[] = {
        {"start refused, open", false, 2, false, IDC_LIST_SET, {}},
        {"start refused, runas", true, 5, false, IDC_LIST_CLOSE,
         {L"connect_ip.bat could not be started as administrator", L"Error"}},
        {"log.txt unreadable", false, 42, true, IDC_LIST_SET,
         {L"The file could not be opened or created.", L"File Error"}},
        {"closed during the wait", false, 42, false, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        harness::TempStartDir case_dir;
        take_start_directory();
        if (c.log_is_folder) CreateDirectoryW(case_dir.file(L"log.txt").c_str(), nullptr);
        harness::clear_shown_boxes();
        harness::queue_shell_result(c.shell_result);
        INT_PTR result = -1;
        auto open = [&] { result = run_connect_address_dialog(window, c.as_admin); };
        ASSERT_TRUE(harness::drive_modal(open, [&](HWND d) {
            if (c.button) {
                EXPECT_TRUE(wait_for_reading(d));
            }
            EXPECT_TRUE(adapters::list_texts(d).empty());
            click(d, c.button ? c.button : IDC_LIST_CLOSE);
        }));
        EXPECT_EQ(result, c.button == IDC_LIST_SET ? IDC_LIST_SET : IDC_LIST_CLOSE);
        EXPECT_EQ(peer(), (std::vector<int>{1, 2, 3, 4}));
        std::vector<std::wstring> shown;
        for (const auto& box : harness::shown_boxes()) shown.insert(shown.end(), {box.text, box.caption});
        EXPECT_EQ(shown, c.boxes);
        // A missing log.txt is made empty by the reading, and only by the reading.
        EXPECT_EQ(harness::file_exists(case_dir.file(L"log.txt")), c.button != 0);
    }
    SetCurrentDirectoryW(dir.path().c_str());
    take_start_directory();
}

// Through the connection settings dialog, in both forms: "ad" chooses how the batch file
// starts; nothing is read within the second, while the dialog answers; the picked address
// shows at once, "OK" keeps it and the next opening shows it again.
TEST_F(ConnectAddress, PickReachesTheSettingsAndTheNextOpening) {
    write_log("\r\nInterface: 192.168.0.5 --- 0x3\r\n  192.168.0.10   00-11-22-33-44-55  dynamic\r\n"
              "  192.168.0.1    00-aa-bb-cc-dd-ee  dynamic\r\n  10.20.30.4000  junk\r\n");
    g_settings.ip_mode = 0;
    for (bool as_admin : {false, true}) {
        SCOPED_TRACE(as_admin);
        ASSERT_TRUE(harness::drive_modal([&] { run_connection_settings_dialog(window); }, [&](HWND settings) {
            if (as_admin) click(settings, IDC_CS_AD);
            EXPECT_TRUE(harness::drive_modal([&] { click(settings, IDC_CS_CONNECT_SEARCH); }, [&](HWND d) {
                EXPECT_EQ(harness::window_text(d), L"connect IP address");
                harness::advance_tick(kConnectBatchWaitMs - 1);
                harness::pump_messages(8);
                EXPECT_TRUE(adapters::list_texts(d).empty());
                EXPECT_TRUE(wait_for_reading(d));
                EXPECT_EQ(adapters::list_texts(d), (std::vector<std::wstring>{L"IP=192.168.0.10", L"IP=192.168.0.1",
                                                                              L"IP=10.20.30.4000"}));
                SendMessageW(GetDlgItem(d, IDC_LIST_BOX), LB_SETCURSEL, as_admin ? 1 : 0, 0);
                click(d, IDC_LIST_SET);
            }));
            // An entry that is no address changes nothing (not 10.20.30 and the old fourth).
            EXPECT_TRUE(harness::drive_modal([&] { click(settings, IDC_CS_CONNECT_SEARCH); }, [&](HWND d) {
                EXPECT_TRUE(wait_for_reading(d));
                SendMessageW(GetDlgItem(d, IDC_LIST_BOX), LB_SETCURSEL, 2, 0);
                click(d, IDC_LIST_SET);
            }));
            EXPECT_EQ(harness::window_text(GetDlgItem(settings, IDC_CS_PEER_OCTET4)), as_admin ? L"1" : L"10");
            click(settings, IDC_CS_OK);
        }));
        auto call = harness::shell_calls().back();
        EXPECT_EQ(call.verb, as_admin ? L"runas" : L"open");
        EXPECT_EQ(call.file, dir.file(L"connect_ip.bat"));
        EXPECT_EQ(call.params, L"");
    }
    EXPECT_EQ(peer(), (std::vector<int>{192, 168, 0, 1}));
    std::vector<std::wstring> shown;
    ASSERT_TRUE(harness::drive_modal([&] { run_connection_settings_dialog(window); }, [&](HWND settings) {
        for (int id : {IDC_CS_PEER_OCTET1, IDC_CS_PEER_OCTET2, IDC_CS_PEER_OCTET3, IDC_CS_PEER_OCTET4})
            shown.push_back(harness::window_text(GetDlgItem(settings, id)));
        EXPECT_EQ(IsDlgButtonChecked(settings, IDC_CS_AD), BST_UNCHECKED);
        click(settings, IDC_CS_CANCEL);
    }));
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"192", L"168", L"0", L"1"}));
    EXPECT_EQ(g_settings.port_no, 5000);
    EXPECT_TRUE(harness::shown_boxes().empty());
}

} // namespace
