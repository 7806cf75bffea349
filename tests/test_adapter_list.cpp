// The adapter list: the entries both forms make from crafted adapter lists and from the
// machine's real list, what a failed query shows, and the adapter dialog's pick.
#include "harness.h"
#include "support_adapters.h"

#include "app/settings.h"
#include "netcfg/adapter_dialog.h"
#include "netcfg/adapter_query.h"
#include "netcfg/address_pick.h"
#include "netcfg/connection_settings_dialog.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

using adapters::Adapter;
using harness::click;

// A hidden window holding list box 1231, as the dialogs that list adapters do.
struct ListHost {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    HWND list = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | LBS_NOTIFY, 0, 0, 300, 200, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LIST_BOX)), nullptr, nullptr);
    ~ListHost() { DestroyWindow(window); }

    std::vector<std::wstring> entries() const {
        std::vector<std::wstring> out;
        int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[kAdapterEntryChars] = {};
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            out.push_back(text);
        }
        return out;
    }
};

class AdapterQuery : public ::testing::Test {
protected:
    void SetUp() override { harness::install_seams(); }
    void TearDown() override { harness::restore_seams(); }
    ListHost host;
};

TEST_F(AdapterQuery, BothFormsOfCraftedAdapters) {
    adapters::feed({
        {L"Gigabit Ethernet Adapter", L"LAN", {"192.168.0.5", "fe80::1"}},      // IPv4 then IPv6: the last is shown
        {L"Wireless LAN Adapter", L"Wi-Fi", {"fe80::2", "10.1.2.3"}},     // IPv6 then IPv4
        {L"Bluetooth Device", L"Bluetooth", {}},                      // no unicast address
        {L"microsoft wi-fi direct Virtual Adapter #2", L"Local Area Connection* 2", {"169.254.1.1"}},
        {L"Software Loopback Interface 1", L"Loopback Pseudo-Interface 1", {"127.0.0.1"}},
        {L"USB Ethernet", L"", {"172.16.0.9", "other"}},              // no friendly name; other family skipped
    });

    ASSERT_TRUE(adapter_query(host.window, AdapterForm::detail));
    EXPECT_EQ(host.entries(), (std::vector<std::wstring>{
                                  L"IP=fe80::1 :Name=LAN (Gigabit Ethernet Adapter)",
                                  L"IP=10.1.2.3 :Name=Wi-Fi (Wireless LAN Adapter)",
                                  L"IP= :Name=Bluetooth (Bluetooth Device)",
                                  L"IP=169.254.1.1 :Name=Local Area Connection* 2 (microsoft wi-fi direct "
                                  L"Virtual Adapter #2)",
                                  L"IP=127.0.0.1 :Name=Loopback Pseudo-Interface 1 (Software Loopback Interface 1)",
                                  L"IP=172.16.0.9 :Name=USB Ethernet (USB Ethernet)",
                              }));

    // The name form refills the same list: loopback and Wi-Fi Direct are left out.
    ASSERT_TRUE(adapter_query(host.window, AdapterForm::name));
    EXPECT_EQ(host.entries(), (std::vector<std::wstring>{L"LAN", L"Wi-Fi", L"Bluetooth", L"USB Ethernet"}));
    EXPECT_TRUE(harness::shown_boxes().empty());
}

TEST_F(AdapterQuery, LongEntriesAreCutAtTheListLimit) {
    std::wstring long_description(600, L'd');
    adapters::feed({{long_description, std::wstring(300, L'n'), {"10.0.0.1"}}});
    for (AdapterForm form : {AdapterForm::detail, AdapterForm::name}) {
        ASSERT_TRUE(adapter_query(host.window, form));
        std::vector<std::wstring> entries = host.entries();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].size(), size_t(kAdapterEntryChars - 1));
        EXPECT_EQ(entries[0].substr(0, 20),
                  form == AdapterForm::detail ? L"IP=10.0.0.1 :Name=nn" : L"nnnnnnnnnnnnnnnnnnnn");
    }
}

// A query that cannot be answered says so once and leaves an empty list; the program goes on.
TEST_F(AdapterQuery, FailedQueryShowsAMessageAndAnEmptyList) {
    g_settings.moji_type = 1;
    harness::TempStartDir dir;
    harness::write_file(dir.file(L"Tarvik_char2.ini"),
                        harness::read_file(harness::source_file("data/Tarvik_char2.ini")));
    HWND main = harness::create_main_window(); // loads the text table
    ASSERT_NE(main, nullptr);
    g_settings.moji_type = 1;
    for (adapters::Failure where : {adapters::Failure::size_question, adapters::Failure::answer}) {
        adapters::feed({{L"Old", L"Old", {"10.9.9.9"}}});
        ASSERT_TRUE(adapter_query(host.window, AdapterForm::detail));
        adapters::fail(where);
        harness::clear_shown_boxes();
        EXPECT_FALSE(adapter_query(host.window, AdapterForm::name));
        EXPECT_TRUE(host.entries().empty());
        auto boxes = harness::shown_boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, L"The list of network adapters could not be read.");
        EXPECT_EQ(boxes[0].caption, L"GetAdaptersAddresses");
        EXPECT_EQ(boxes[0].owner, host.window);
    }
    // A machine without adapters is no failure: an empty list and no message.
    adapters::feed({});
    harness::clear_shown_boxes();
    EXPECT_TRUE(adapter_query(host.window, AdapterForm::detail));
    EXPECT_TRUE(host.entries().empty());
    EXPECT_TRUE(harness::shown_boxes().empty());
    harness::destroy_main_window(main);
}

TEST_F(AdapterQuery, RealAdapterList) {
    ASSERT_TRUE(adapter_query(host.window, AdapterForm::detail));
    std::vector<std::wstring> detail = host.entries();
    ASSERT_FALSE(detail.empty()); // at least the loopback adapter
    for (const std::wstring& e : detail) {
        EXPECT_EQ(e.rfind(L"IP=", 0), 0u) << e;
        EXPECT_NE(e.find(L" :Name="), std::wstring::npos) << e;
        EXPECT_EQ(e.back(), L')') << e;
    }
    ASSERT_TRUE(adapter_query(host.window, AdapterForm::name));
    std::vector<std::wstring> names = host.entries();
    EXPECT_LE(names.size(), detail.size());
    for (const std::wstring& n : names) EXPECT_FALSE(n.empty());
    EXPECT_TRUE(harness::shown_boxes().empty());
}

// Both pick parsers: the groups after "IP=" up to the first one without an end mark.
TEST(AddressPick, GroupsAfterThePrefix) {
    struct Case {
        const wchar_t* entry;
        std::vector<int> adapter; // what each parse reads, in order
        std::vector<int> connect;
    };
    const Case cases[] = {
        {L"IP=10.1.2.3 :Name=LAN (x)", {10, 1, 2, 3}, {10, 1, 2, 3}},
        {L"IP=192.168.0.10", {192, 168, 0}, {192, 168, 0, 10}}, // only a connect entry ends at its end
        {L"IP=1.2.3.4.5", {1, 2, 3, 4}, {1, 2, 3, 4}},
        {L"IP=12a.7:8 9", {12, 7, 8}, {12, 7, 9}},              // ":" ends only an adapter group
        {L"IP=1234.5.6.7", {}, {}},                             // no end mark within four characters
        {L"IP=10.20.3000.4", {10, 20}, {10, 20}},
        {L"IP=fe80::1 :Name=LAN (x)", {}, {}},
        {L"IP= :Name=Wi-Fi (y)", {0, 0}, {0}},                  // empty groups read as 0
        {L"IP=", {}, {0}},
        {L"IP", {}, {}},
        {L"", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.entry, c.entry + wcslen(c.entry)));
        int octets[4] = {-1, -1, -1, -1};
        int read = adapter_pick_octets(c.entry, octets);
        EXPECT_EQ(std::vector<int>(octets, octets + read), c.adapter);
        if (read < 4) EXPECT_EQ(octets[read], -1); // nothing written past what was read
        int connect[4] = {-1, -1, -1, -1};
        read = connect_pick_octets(c.entry, connect);
        EXPECT_EQ(std::vector<int>(connect, connect + read), c.connect);
        if (read < 4) EXPECT_EQ(connect[read], -1);
    }
}

class AdapterDialog : public ::testing::Test {
protected:
    void SetUp() override {
        harness::install_seams();
        window = harness::create_main_window();
        ASSERT_NE(window, nullptr);
        adapters::feed({
            {L"Gigabit Ethernet Adapter", L"LAN", {"fe80::5", "10.1.2.3"}},
            {L"Wireless LAN Adapter", L"Wi-Fi", {"192.168.7.21"}},
            {L"Teredo", L"Tunnel", {"2001:db8::1"}},
        });
        g_settings.aport_no = 6000;
    }
    void TearDown() override {
        harness::destroy_main_window(window);
        harness::restore_seams();
    }
    std::vector<int> local_address() const {
        return {g_settings.aip_no1, g_settings.aip_no2, g_settings.aip_no3, g_settings.aip_no4};
    }
    harness::TempStartDir dir;
    HWND window = nullptr;
};

TEST_F(AdapterDialog, SetTakesTheChosenAdapterAddress) {
    struct Case {
        int choice; // -1: nothing chosen
        int button;
        INT_PTR result;
        std::vector<int> address;
    };
    const Case cases[] = {
        {1, IDC_LIST_SET, IDC_LIST_SET, {192, 168, 7, 21}},
        {0, IDC_LIST_CLOSE, IDC_LIST_CLOSE, {1, 2, 3, 4}},
        {-1, IDC_LIST_SET, IDC_LIST_SET, {1, 2, 3, 4}},
        {2, IDC_LIST_SET, IDC_LIST_SET, {1, 2, 3, 4}}, // an IPv6 address reads as no group
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choice);
        g_settings.aip_no1 = 1, g_settings.aip_no2 = 2, g_settings.aip_no3 = 3, g_settings.aip_no4 = 4;
        INT_PTR result = -1;
        ASSERT_TRUE(harness::drive_modal([&] { result = run_adapter_dialog(window); }, [&](HWND d) {
            EXPECT_EQ(harness::window_text(d), L"NetworkAdapter");
            HWND list = GetDlgItem(d, IDC_LIST_BOX);
            EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
            SendMessageW(list, LB_SETCURSEL, c.choice, 0);
            click(d, c.button);
        }));
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(local_address(), c.address);
        EXPECT_EQ(g_settings.aport_no, 6000);
    }
}

// Picked through the connection settings dialog, the address is shown at once, kept by
// "OK" and shown again by the next opening.
TEST_F(AdapterDialog, PickReachesTheSettingsAndTheNextOpening) {
    g_settings.bind_mode = 1;
    ASSERT_TRUE(harness::drive_modal([&] { run_connection_settings_dialog(window); }, [&](HWND settings) {
        EXPECT_TRUE(harness::drive_modal([&] { click(settings, IDC_CS_ADAPTER_SEARCH); }, [](HWND d) {
            SendMessageW(GetDlgItem(d, IDC_LIST_BOX), LB_SETCURSEL, 0, 0);
            click(d, IDC_LIST_SET);
        }));
        EXPECT_EQ(harness::window_text(GetDlgItem(settings, IDC_CS_LOCAL_OCTET1)), L"10");
        click(settings, IDC_CS_OK);
    }));
    EXPECT_EQ(local_address(), (std::vector<int>{10, 1, 2, 3}));
    std::vector<std::wstring> shown;
    ASSERT_TRUE(harness::drive_modal([&] { run_connection_settings_dialog(window); }, [&](HWND settings) {
        for (int id : {IDC_CS_LOCAL_OCTET1, IDC_CS_LOCAL_OCTET2, IDC_CS_LOCAL_OCTET3, IDC_CS_LOCAL_OCTET4})
            shown.push_back(harness::window_text(GetDlgItem(settings, id)));
        click(settings, IDC_CS_CANCEL);
    }));
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"10", L"1", L"2", L"3"}));
}

} // namespace
