// The IP address change: batch file names and lines, the read-back scan, the files written
// whole into the ipaddress folder, and the two dialogs through their real templates with
// the shell starts answered by the test.
#include "harness.h"

#include "app/app_state.h"
#include "app/settings.h"
#include "netcfg/add_ip_address_dialog.h"
#include "netcfg/ip_address_dialog.h"
#include "netcfg/ip_batch.h"
#include "netcfg/ip_batch_files.h"
#include "res/resource.h"
#include "support_adapters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using harness::click;
using harness::type_text;

std::string as_text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Every name in a folder, "." and ".." aside, sorted.
std::vector<std::wstring> folder_entries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

constexpr BatchAddress kEthernetFixed = {false, {192, 168, 1, 20}, {255, 255, 255, 0}};
constexpr BatchAddress kAutomatic = {true, {}, {}};

TEST(IpBatch, NamesAndLines) {
    const struct {
        const wchar_t* adapter;
        BatchAddress batch;
        const wchar_t* name;
        bool changed;
        const char* line; // nullptr: the name cannot be written exactly
    } cases[] = {
        // No range check; the plain names and lines are shown by the Add IP Address test.
        {L"Wi-Fi 2", {false, {10, -1, 300, 0}, {0, 0, 0, 0}}, L"Wi-Fi 2_10_-1_300_0.bat", false,
         "netsh interface ip set address \"Wi-Fi 2\" static 10.-1.300.0 0.0.0.0\r\n"},
        // Separators and runs of dots cannot climb out of the folder; one dot is kept.
        {L"..\\..\\x:y*z", kAutomatic, L"______x_y_z_auto.bat", true,
         "netsh interface ip set address \"..\\..\\x:y*z\" dhcp\r\n"},
        {L"con .lan", kAutomatic, L"con_ .lan_auto.bat", true, "netsh interface ip set address \"con .lan\" dhcp\r\n"},
        {L"LAN %PATH%", kAutomatic, L"LAN %PATH%_auto.bat", false,
         "netsh interface ip set address \"LAN %%PATH%%\" dhcp\r\n"},
        {L"say \"hi\"", kAutomatic, L"say _hi__auto.bat", true, nullptr},
        {L"two\r\nlines", kAutomatic, L"two__lines_auto.bat", true, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        wchar_t name[kBatchNameChars];
        bool changed = !c.changed;
        EXPECT_EQ(batch_file_name(c.adapter, c.batch, name, kBatchNameChars, &changed), wcslen(c.name));
        EXPECT_STREQ(name, c.name);
        EXPECT_EQ(changed, c.changed);

        char ansi[256] = {};
        WideCharToMultiByte(CP_ACP, 0, c.adapter, -1, ansi, sizeof ansi, nullptr, nullptr);
        char line[kBatchTextBytes];
        const size_t size = batch_file_text(ansi, c.batch, line, sizeof line);
        if (c.line) {
            EXPECT_EQ(std::string(line, size), c.line);
            // What the program writes reads back as its address (or as automatic).
            const BatchScan scan = scan_batch_file(reinterpret_cast<const unsigned char*>(line), size);
            EXPECT_EQ(scan.fixed, !c.batch.automatic);
            EXPECT_EQ(scan.automatic, c.batch.automatic);
        } else {
            EXPECT_EQ(size, 0u);
        }
    }
}

// The line written for an adapter with a name of `length` letters.
std::string long_named(size_t length) {
    return "netsh interface ip set address \"" + std::string(length, 'A') + "\" static 192.168.1.20 255.255.255.0\r\n";
}

TEST(IpBatch, ScanReadsTheAddressOfFixedFilesOnly) {
    const struct {
        std::string text;
        bool sets;
        int address[4];
    } cases[] = {
        {"netsh interface ip set address \"Ethernet\" static 192.168.1.20 255.255.255.0\r\n", true, {192, 168, 1, 20}},
        {"netsh interface ip set address \"Ethernet\" dhcp\r\n", false, {}},
        // Keywords and digits inside the quoted name do not count.
        {"netsh interface ip set address \"static 1.2.3.4\" dhcp\r\n", false, {}},
        {"netsh interface ip set address \"LAN dhcp 7\" static 10.0.0.9 255.0.0.0\r\n", true, {10, 0, 0, 9}},
        // An unclosed quote hides the rest.
        {"netsh \"Ethernet static 1.2.3.4\r\n", false, {}},
        // Three numbers are no address; a run too long for an int is the largest int.
        {"netsh \"x\" static 10.0.1\r\n", false, {}},
        {"static 99999999999.1.2.3", true, {2147483647, 1, 2, 3}},
        // Only the first 260 bytes are read back, and a number cut there does not count: a
        // long adapter name puts the address across the end (192.168.1.20 must not read as
        // 192.168.1.2); one character less and it fits.
        {"static 1.2" + std::string(252, ' ') + "3.4", false, {}},
        {long_named(208), false, {}},
        {long_named(207), true, {192, 168, 1, 20}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const BatchScan scan = scan_batch_file(reinterpret_cast<const unsigned char*>(c.text.data()), c.text.size());
        int address[4] = {-7, -7, -7, -7};
        ASSERT_EQ(scanned_address(scan, address), c.sets);
        for (int k = 0; k < 4 && c.sets; ++k) EXPECT_EQ(address[k], c.address[k]);
    }
}

class IpAddress : public ::testing::Test {
protected:
    void SetUp() override {
        window = harness::start_with_main_window(dir);
        ASSERT_NE(window, nullptr);
        g_settings.pw_mode = 0;
        g_settings.aip_no1 = 1, g_settings.aip_no2 = 2, g_settings.aip_no3 = 3, g_settings.aip_no4 = 4;
    }
    void TearDown() override {
        harness::destroy_main_window(window);
        harness::restore_seams();
    }

    std::wstring folder() const { return dir.file(L"ipaddress"); }
    std::wstring batch(const std::wstring& name) const { return folder() + L"\\" + name; }
    void add_batch(const std::wstring& name, const std::string& text) {
        CreateDirectoryW(folder().c_str(), nullptr);
        harness::write_file(batch(name), std::vector<uint8_t>(text.begin(), text.end()));
    }
    std::vector<int> local_address() const {
        return {g_settings.aip_no1, g_settings.aip_no2, g_settings.aip_no3, g_settings.aip_no4};
    }

    // Opens dialog 137; `drive` acts in it and must end it. Returns the dialog's result.
    INT_PTR run(const std::function<void(HWND)>& drive) {
        INT_PTR result = -1;
        EXPECT_TRUE(harness::drive_modal([&] { result = run_ip_address_dialog(window); }, drive));
        return result;
    }
    // Selects the named file in the list and presses the button.
    static void press_on(HWND dialog, const std::wstring& name, int button) {
        const LRESULT at = SendDlgItemMessageW(dialog, IDC_IP_LIST, LB_FINDSTRINGEXACT, -1,
                                               reinterpret_cast<LPARAM>(name.c_str()));
        ASSERT_NE(at, LB_ERR) << "not listed";
        SendDlgItemMessageW(dialog, IDC_IP_LIST, LB_SETCURSEL, at, 0);
        click(dialog, button);
    }

    harness::TempStartDir dir;
    HWND window = nullptr;
};

TEST_F(IpAddress, WritesWholeFilesInsideTheFolderOnly) {
    EXPECT_FALSE(harness::file_exists(folder()));
    ASSERT_TRUE(write_batch_file(window, L"Ethernet", kEthernetFixed));
    ASSERT_TRUE(write_batch_file(window, L"..\\..\\evil:name", kAutomatic));
    EXPECT_EQ(as_text(harness::read_file(batch(L"______evil_name_auto.bat"))),
              "netsh interface ip set address \"..\\..\\evil:name\" dhcp\r\n");
    // Nothing but the two batch files, and nothing new beside the folder.
    EXPECT_EQ(folder_entries(folder()).size(), 2u);
    EXPECT_EQ(folder_entries(dir.path()), (std::vector<std::wstring>{L"Tarvik_char2.ini", L"ipaddress"}));

    // A name the code page cannot hold, and a file that cannot be replaced (another program
    // holds it open): a message each, and the old file whole.
    EXPECT_FALSE(write_batch_file(window, L"\u0416\u0416", kAutomatic));
    HANDLE held = CreateFileW(batch(L"Ethernet_192_168_1_20.bat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(write_batch_file(window, L"Ethernet", {false, {192, 168, 1, 20}, {255, 0, 0, 0}}));
    CloseHandle(held);
    EXPECT_EQ(as_text(harness::read_file(batch(L"Ethernet_192_168_1_20.bat"))),
              "netsh interface ip set address \"Ethernet\" static 192.168.1.20 255.255.255.0\r\n");
    EXPECT_FALSE(write_batch_file(window, std::wstring(300, L'n').c_str(), kAutomatic)); // name refused
    EXPECT_EQ(folder_entries(folder()).size(), 2u);
    const auto boxes = harness::shown_boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, L"This adapter name cannot be written exactly into a batch file.");
    EXPECT_EQ(boxes[1].text, L"Unable to open the file.");
    EXPECT_EQ(boxes[2].text, L"Unable to open the file.");
    for (const auto& b : boxes) EXPECT_EQ(b.caption, L"file error");
    EXPECT_TRUE(harness::shell_calls().empty());
}

TEST_F(IpAddress, ChangeRunsTheFileElevatedAndReadsItsAddressBack) {
    add_batch(L"Ethernet_10_1_2_3.bat", "netsh interface ip set address \"Ethernet\" static 10.1.2.3 255.0.0.0\r\n");
    add_batch(L"Ethernet_auto.bat", "netsh interface ip set address \"Ethernet\" dhcp\r\n");

    // The dhcp file runs and changes nothing.
    EXPECT_EQ(run([&](HWND d) { press_on(d, L"Ethernet_auto.bat", IDC_IP_CHANGE); }), IDC_IP_CHANGE);
    EXPECT_EQ(local_address(), (std::vector<int>{1, 2, 3, 4}));

    // The fixed file sets the address even when the elevation is refused.
    harness::queue_shell_result(5);
    EXPECT_EQ(run([&](HWND d) { press_on(d, L"Ethernet_10_1_2_3.bat", IDC_IP_CHANGE); }), IDC_IP_CHANGE);
    EXPECT_EQ(local_address(), (std::vector<int>{10, 1, 2, 3}));

    const auto calls = harness::shell_calls();
    ASSERT_EQ(calls.size(), 2u);
    for (const auto& c : calls) {
        EXPECT_EQ(c.verb, L"runas");
        EXPECT_EQ(c.params, L"");
    }
    EXPECT_EQ(calls[0].file, batch(L"Ethernet_auto.bat"));
    EXPECT_EQ(calls[1].file, batch(L"Ethernet_10_1_2_3.bat"));
    const auto boxes = harness::shown_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, batch(L"Ethernet_10_1_2_3.bat") + L" could not be started as administrator");
    EXPECT_EQ(boxes[0].caption, L"Error");
    EXPECT_EQ(boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(IpAddress, TypingToolGetsItsFileAndStartsFirst) {
    add_batch(L"LAN_auto.bat", "netsh interface ip set address \"LAN\" dhcp\r\n");
    g_settings.pw_mode = 1;
    // The delay is read from pw_time and written to ipw_time.
    harness::write_utf16_file(dir.file(L"quorrel.ini"), L"[Setting]\r\nid_time=300\r\npw_time=700\r\n");
    const std::wstring id = L"\u7ba1\u7406\u8005", password = L"p\u00e4ss \u0416";
    run([&](HWND d) {
        EXPECT_EQ(IsDlgButtonChecked(d, IDC_IP_PASSWORD_TOOL), BST_CHECKED);
        EXPECT_EQ(harness::window_text(GetDlgItem(d, IDC_IP_ID_DELAY)), L"300");
        EXPECT_EQ(harness::window_text(GetDlgItem(d, IDC_IP_PW_DELAY)), L"700");
        EXPECT_EQ(harness::window_text(GetDlgItem(d, IDC_IP_ID)), L"ID");
        type_text(d, IDC_IP_ID, id);
        type_text(d, IDC_IP_PASSWORD, password);
        SetWindowPos(d, nullptr, 350, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        press_on(d, L"LAN_auto.bat", IDC_IP_CHANGE);
    });
    const auto calls = harness::shell_calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].verb, L"open");
    EXPECT_EQ(calls[0].file, L"quorrel.exe");
    EXPECT_EQ(calls[1].verb, L"runas");

    const std::wstring ini = dir.file(L"quorrel.ini");
    auto value = [&](const wchar_t* key) {
        wchar_t text[300] = {};
        GetPrivateProfileStringW(L"Setting", key, L"-", text, 300, ini.c_str());
        return std::wstring(text);
    };
    EXPECT_EQ(value(L"id_time"), L"300");
    EXPECT_EQ(value(L"ipw_time"), L"700");
    EXPECT_EQ(value(L"id_wcs"), id);
    EXPECT_EQ(value(L"pw_wcs"), password);
    EXPECT_EQ(value(L"moto_x"), L"50");
    EXPECT_EQ(value(L"moto_y"), L"0");
}

// A start directory too long to keep leaves the typing tool's file in the current folder,
// not at the drive's root.
TEST_F(IpAddress, TypingToolFileWithoutAStartDirectory) {
    const std::wstring kept = g_app.start_dir;
    g_app.start_dir[0] = 0;
    SetCurrentDirectoryW(dir.path().c_str());
    g_typing_tool.id_time = 123;
    save_typing_tool_file(0, 0);
    load_typing_tool_file();
    wcscpy(g_app.start_dir, kept.c_str());
    EXPECT_EQ(GetPrivateProfileIntW(L"Setting", L"id_time", 0, dir.file(L"quorrel.ini").c_str()), 123u);
    EXPECT_EQ(g_typing_tool.id_time, 123);
}

TEST_F(IpAddress, ListDeleteAndTheFieldsTakenOver) {
    // No folder: an empty list; "Change" with nothing selected says so and still closes.
    EXPECT_EQ(run([&](HWND d) {
                  EXPECT_EQ(SendDlgItemMessageW(d, IDC_IP_LIST, LB_GETCOUNT, 0, 0), 0);
                  click(d, IDC_IP_CHANGE);
              }),
              IDC_IP_CHANGE);
    add_batch(L"a_auto.bat", "");
    add_batch(L"b_auto.bat", "");
    add_batch(L"notes.txt", "");
    EXPECT_EQ(run([&](HWND d) {
                  EXPECT_EQ(SendDlgItemMessageW(d, IDC_IP_LIST, LB_GETCOUNT, 0, 0), 2);
                  click(d, IDC_IP_DELETE); // nothing selected
                  press_on(d, L"a_auto.bat", IDC_IP_DELETE);
                  EXPECT_EQ(SendDlgItemMessageW(d, IDC_IP_LIST, LB_GETCOUNT, 0, 0), 1);
                  click(d, IDC_IP_PASSWORD_TOOL);
                  type_text(d, IDC_IP_ID_DELAY, L"1500");
                  type_text(d, IDC_IP_PW_DELAY, L"x");
                  type_text(d, IDC_IP_ID, std::wstring(300, L'i'));
                  click(d, IDC_IP_CANCEL);
              }),
              IDC_IP_CANCEL);
    EXPECT_FALSE(harness::file_exists(batch(L"a_auto.bat")));
    EXPECT_TRUE(harness::file_exists(batch(L"b_auto.bat")));
    EXPECT_EQ(g_settings.pw_mode, 1);
    EXPECT_EQ(g_typing_tool.id_time, 1500);
    EXPECT_EQ(g_typing_tool.pw_time, 0);
    EXPECT_EQ(std::wstring(g_typing_tool.id_wcs), std::wstring(254, L'i'));
    const auto boxes = harness::shown_boxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& b : boxes) {
        EXPECT_EQ(b.text, L"Please select an item.");
        EXPECT_EQ(b.caption, L"listbox");
        EXPECT_EQ(b.type & MB_ICONMASK, 0u);
    }
    EXPECT_TRUE(harness::shell_calls().empty());
    EXPECT_FALSE(harness::file_exists(dir.file(L"quorrel.ini"))); // written only beside a run
}

TEST_F(IpAddress, AddWritesTheChosenAdaptersFile) {
    adapters::feed({{L"Intel(R) Ethernet", L"Ethernet", {"192.168.1.5"}}, {L"Wireless", L"Wi-Fi", {"10.0.0.2"}}});
    const int fields[] = {IDC_ADD_ADDRESS1,     IDC_ADD_ADDRESS1 + 1, IDC_ADD_ADDRESS1 + 2, IDC_ADD_ADDRESS1 + 3,
                          IDC_ADD_MASK1,        IDC_ADD_MASK1 + 1,    IDC_ADD_MASK1 + 2,    IDC_ADD_MASK1 + 3};
    auto add = [&](const std::function<void(HWND)>& drive) {
        INT_PTR result = -1;
        EXPECT_TRUE(harness::drive_modal([&] { result = run_add_ip_address_dialog(window); }, drive));
        EXPECT_EQ(result, IDC_ADD_SET);
    };
    auto choose = [](HWND d, int row) { SendDlgItemMessageW(d, IDC_ADD_LIST, LB_SETCURSEL, row, 0); };

    // Nothing chosen, then an empty field: a message each, nothing written, closed anyway.
    add([&](HWND d) {
        EXPECT_EQ(SendDlgItemMessageW(d, IDC_ADD_LIST, LB_GETCOUNT, 0, 0), 2);
        const wchar_t* preload[] = {L"192", L"168", L"", L"", L"255", L"255", L"255", L"0"};
        for (int k = 0; k < 8; ++k) EXPECT_EQ(harness::window_text(GetDlgItem(d, fields[k])), preload[k]) << k;
        click(d, IDC_ADD_SET);
    });
    add([&](HWND d) {
        choose(d, 0);
        type_text(d, fields[2], L"1");
        click(d, IDC_ADD_SET);
    });
    EXPECT_FALSE(harness::file_exists(folder()));

    add([&](HWND d) {
        choose(d, 0);
        type_text(d, fields[2], L"1");
        type_text(d, fields[3], L"20");
        click(d, IDC_ADD_SET);
    });
    add([&](HWND d) {
        choose(d, 0);
        click(d, IDC_ADD_AUTO);
        for (int id : fields) EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, id))) << id;
        click(d, IDC_ADD_SET);
    });
    EXPECT_EQ(folder_entries(folder()), (std::vector<std::wstring>{L"Ethernet_192_168_1_20.bat", L"Ethernet_auto.bat"}));
    EXPECT_EQ(as_text(harness::read_file(batch(L"Ethernet_192_168_1_20.bat"))),
              "netsh interface ip set address \"Ethernet\" static 192.168.1.20 255.255.255.0\r\n");
    EXPECT_EQ(as_text(harness::read_file(batch(L"Ethernet_auto.bat"))),
              "netsh interface ip set address \"Ethernet\" dhcp\r\n");

    const auto boxes = harness::shown_boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, L"Please select an item.");
    EXPECT_EQ(boxes[0].caption, L"listbox");
    EXPECT_EQ(boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
    EXPECT_EQ(boxes[1].text, L"Please enter all addresses.");
    EXPECT_EQ(boxes[1].caption, L"input");
}

} // namespace
