// The adapter list: the entries of both forms for crafted adapter lists and for the
// machine's real one, a failed query, the pick parsers, and the adapter dialog's pick
// reaching the settings.
#include "harness.h"
#include "support_adapters.h"

#include "app/settings.h"
#include "netcfg/adapter_query.h"
#include "netcfg/address_pick.h"
#include "netcfg/connection_settings_dialog.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

using harness::click;
using Texts = std::vector<std::wstring>;
using adapters::list_texts;

// The main window (for the text table) and a hidden window holding list box 1231, as the
// dialogs that list adapters do.
class AdapterList : public ::testing::Test {
protected:
    void SetUp() override {
        window = harness::start_with_main_window(dir);
        ASSERT_NE(window, nullptr);
        host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
        CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD, 0, 0, 300, 200, host,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LIST_BOX)), nullptr, nullptr);
    }
    void TearDown() override {
        DestroyWindow(host);
        harness::destroy_main_window(window);
        harness::restore_seams();
    }
    harness::TempStartDir dir;
    HWND window = nullptr;
    HWND host = nullptr;
};

TEST_F(AdapterList, BothFormsOfCraftedAdapters) {
    adapters::feed({
        {L"Gigabit Ethernet Adapter", L"LAN", {"192.168.0.5", "fe80::1"}}, // the last address is shown
        {L"Wireless LAN Adapter", L"Wi-Fi", {"fe80::2", "10.1.2.3"}},
        {L"Bluetooth Device", L"Bluetooth", {}},
        {L"microsoft wi-fi direct Virtual Adapter #2", L"Local Area Connection* 2", {"169.254.1.1"}},
        {L"Software Loopback Interface 1", L"Loopback Pseudo-Interface 1", {"127.0.0.1"}},
        {L"USB Ethernet", L"", {"172.16.0.9", "other"}}, // no friendly name; another family skipped
    });
    ASSERT_TRUE(adapter_query(host, AdapterForm::detail));
    EXPECT_EQ(list_texts(host), (Texts{
                                    L"IP=fe80::1 :Name=LAN (Gigabit Ethernet Adapter)",
                                    L"IP=10.1.2.3 :Name=Wi-Fi (Wireless LAN Adapter)",
                                    L"IP= :Name=Bluetooth (Bluetooth Device)",
                                    L"IP=169.254.1.1 :Name=Local Area Connection* 2 (microsoft wi-fi direct "
                                    L"Virtual Adapter #2)",
                                    L"IP=127.0.0.1 :Name=Loopback Pseudo-Interface 1 (Software Loopback Interface 1)",
                                    L"IP=172.16.0.9 :Name=USB Ethernet (USB Ethernet)",
                                }));
    // The name form refills the list without loopback and Wi-Fi Direct.
    ASSERT_TRUE(adapter_query(host, AdapterForm::name));
    EXPECT_EQ(list_texts(host), (Texts{L"LAN", L"Wi-Fi", L"Bluetooth", L"USB Ethernet"}));

    adapters::feed({{std::wstring(600, L'd'), std::wstring(300, L'n'), {"10.0.0.1"}}});
    for (AdapterForm form : {AdapterForm::detail, AdapterForm::name}) {
        ASSERT_TRUE(adapter_query(host, form));
        ASSERT_EQ(list_texts(host).size(), 1u);
        EXPECT_EQ(list_texts(host)[0].size(), size_t(kAdapterEntryChars - 1)); // cut, not overrun
    }
    EXPECT_TRUE(harness::shown_boxes().empty());
}

// A query that cannot be answered says so and leaves an empty list; the program goes on.
// A machine without adapters is no failure.
TEST_F(AdapterList, FailedQueryShowsAMessageAndAnEmptyList) {
    for (int where : {0, 1, 2}) {
        adapters::feed({{L"Old", L"Old", {"10.9.9.9"}}});
        ASSERT_TRUE(adapter_query(host, AdapterForm::detail));
        if (where < 2)
            adapters::fail(where == 0 ? adapters::Failure::size_question : adapters::Failure::answer);
        else
            adapters::feed({});
        harness::clear_shown_boxes();
        EXPECT_EQ(adapter_query(host, AdapterForm::name), where == 2);
        EXPECT_TRUE(list_texts(host).empty());
        std::vector<std::wstring> shown;
        for (const auto& box : harness::shown_boxes()) shown.insert(shown.end(), {box.text, box.caption});
        Texts message = {L"The list of network adapters could not be read.", L"GetAdaptersAddresses"};
        EXPECT_EQ(shown, where == 2 ? Texts{} : message);
    }
}

TEST_F(AdapterList, RealAdapterList) {
    ASSERT_TRUE(adapter_query(host, AdapterForm::detail));
    Texts detail = list_texts(host);
    ASSERT_FALSE(detail.empty()); // at least the loopback adapter
    for (const std::wstring& e : detail) {
        EXPECT_EQ(e.rfind(L"IP=", 0), 0u) << e;
        EXPECT_NE(e.find(L" :Name="), std::wstring::npos) << e;
    }
    ASSERT_TRUE(adapter_query(host, AdapterForm::name));
    EXPECT_LE(list_texts(host).size(), detail.size());
    EXPECT_TRUE(harness::shown_boxes().empty());
}

// Both pick parsers: the groups after "IP=" up to the first one without an end mark; and
// which entries hold a whole IPv4 address, the only ones a pick stores.
TEST(AddressPick, GroupsAfterThePrefix) {
    struct Case {
        const wchar_t* entry;
        std::vector<int> adapter; // what each parse reads, in order
        std::vector<int> connect;
        bool ipv4;
    };
    const Case cases[] = {
        {L"IP=10.1.2.3 :Name=LAN (x)", {10, 1, 2, 3}, {10, 1, 2, 3}, true},
        {L"IP=192.168.0.10", {192, 168, 0}, {192, 168, 0, 10}, true}, // only a connect entry ends at its end
        {L"IP=1.2.3.4.5", {1, 2, 3, 4}, {1, 2, 3, 4}, false},
        {L"IP=12a.7:8 9", {12, 7, 8}, {12, 7, 9}, false},              // ":" ends only an adapter group
        {L"IP=10.20.3000.4", {10, 20}, {10, 20}, false},               // no end mark within four characters
        {L"IP=10.20.30.4000", {10, 20, 30}, {10, 20, 30}, false},
        {L"IP=fe80::1 :Name=LAN (x)", {}, {}, false},
        {L"IP=::1 :Name=Loopback (x)", {0, 0, 1, 0}, {0}, false},     // four groups, no address
        {L"IP= :Name=Wi-Fi (y)", {0, 0}, {0}, false},                  // empty groups read as 0
        {L"IP=1..2.3 :Name=x", {1, 0, 2, 3}, {1, 0, 2, 3}, false},
        {L"IP=", {}, {0}, false},
        {L"IP", {}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.entry, c.entry + wcslen(c.entry)));
        int octets[4] = {-1, -1, -1, -1};
        int read = adapter_pick_octets(c.entry, octets);
        EXPECT_EQ(std::vector<int>(octets, octets + read), c.adapter);
        if (read < 4) {
            EXPECT_EQ(octets[read], -1); // nothing written past what was read
        }
        int connect[4] = {-1, -1, -1, -1};
        read = connect_pick_octets(c.entry, connect);
        EXPECT_EQ(std::vector<int>(connect, connect + read), c.connect);
        EXPECT_EQ(entry_holds_ipv4(c.entry), c.ipv4);
    }
}

// Through the connection settings dialog: SET with an adapter chosen changes the local
// address (shown at once, kept by OK, shown by the next opening), nothing else does; an
// adapter without an IPv4 address leaves it whole.
TEST_F(AdapterList, PickReachesTheSettingsAndTheNextOpening) {
    adapters::feed({{L"Gigabit Ethernet Adapter", L"LAN", {"fe80::5", "10.1.2.3"}},
                    {L"Wireless LAN Adapter", L"Wi-Fi", {"192.168.7.21"}},
                    {L"Bluetooth Device", L"Bluetooth", {}},
                    {L"Loopback", L"Loopback", {"::1"}}});
    const int fields[] = {IDC_CS_LOCAL_OCTET1, IDC_CS_LOCAL_OCTET2, IDC_CS_LOCAL_OCTET3, IDC_CS_LOCAL_OCTET4};
    struct Case {
        int choice; // -1: nothing chosen
        int button;
        Texts shown;
    } cases[] = {
        {1, IDC_LIST_CLOSE, {L"1", L"2", L"3", L"4"}},
        {-1, IDC_LIST_SET, {L"1", L"2", L"3", L"4"}},
        {2, IDC_LIST_SET, {L"1", L"2", L"3", L"4"}}, // "IP= :Name=" would read 0, 0
        {3, IDC_LIST_SET, {L"1", L"2", L"3", L"4"}}, // "IP=::1 :Name=" would read 0, 0, 1, 0
        {1, IDC_LIST_SET, {L"192", L"168", L"7", L"21"}},
    };
    g_settings.aip_no1 = 1, g_settings.aip_no2 = 2, g_settings.aip_no3 = 3, g_settings.aip_no4 = 4;
    g_settings.aport_no = 6000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        ASSERT_TRUE(harness::drive_modal([&] { run_connection_settings_dialog(window); }, [&](HWND settings) {
            EXPECT_TRUE(harness::drive_modal([&] { click(settings, IDC_CS_ADAPTER_SEARCH); }, [&](HWND d) {
                EXPECT_EQ(harness::window_text(d), L"NetworkAdapter");
                SendMessageW(GetDlgItem(d, IDC_LIST_BOX), LB_SETCURSEL, c.choice, 0);
                click(d, c.button);
            }));
            Texts now;
            for (int id : fields) now.push_back(harness::window_text(GetDlgItem(settings, id)));
            EXPECT_EQ(now, c.shown);
            click(settings, IDC_CS_OK);
        }));
    }
    Texts shown;
    ASSERT_TRUE(harness::drive_modal([&] { run_connection_settings_dialog(window); }, [&](HWND settings) {
        for (int id : fields) shown.push_back(harness::window_text(GetDlgItem(settings, id)));
        click(settings, IDC_CS_CANCEL);
    }));
    EXPECT_EQ(shown, std::end(cases)[-1].shown);
    EXPECT_EQ(g_settings.aport_no, 6000);
}

} // namespace
