// Dark mode and the hidden menu bar: the start-up file, the dialog that writes it, the
// restart question, and the relaunch helper that starts the program again.
#include "app/app_state.h"
#include "app/main_commands.h"
#include "app/settings.h"
#include "app/text_table.h"
#include "harness.h"
#include "look/dark_mode.h"
#include "res/resource.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

// Run under the name of the program that the relaunch helper starts, this test program
// plays that program instead: "--linger <ms>" stands for an instance that is still ending
// (it leaves "ended.txt" when it goes); without it, it notes in "started-<name>" whether the
// lingering instance had already ended when it started.
int play_relaunched_program() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const wchar_t* name = wcsrchr(path, L'\\') ? wcsrchr(path, L'\\') + 1 : path;
    if (_wcsicmp(name, L"Tarvik.exe") != 0 && _wcsicmp(name, L"TarvikA.exe") != 0) return 0;
    const wchar_t* linger = wcsstr(GetCommandLineW(), L"--linger ");
    if (linger) {
        Sleep(static_cast<DWORD>(_wtoi(linger + 9)));
        harness::write_file(L"ended.txt", {'1'});
    } else {
        harness::write_file(std::wstring(L"started-") + name, {harness::file_exists(L"ended.txt") ? uint8_t('1') : uint8_t('0')});
    }
    ExitProcess(0);
}
const int g_played = play_relaunched_program();

struct DarkModeTest : ::testing::Test {
    void SetUp() override {
        harness::install_seams();
        g_dark_mode = DarkModeFlags{};
        take_start_directory();
    }
    void TearDown() override {
        g_dark_mode = DarkModeFlags{};
        harness::restore_seams();
    }
    // Reads a dkm.ini of these bytes (none at all when `present` is false).
    static DarkModeFlags read_with(const std::vector<uint8_t>& bytes, bool present = true) {
        DeleteFileW(L"dkm.ini");
        if (present) harness::write_file(L"dkm.ini", bytes);
        g_dark_mode = {1, 1}; // reading starts from nothing
        read_dark_mode_file();
        return g_dark_mode;
    }
    static std::vector<uint8_t> utf16(const std::wstring& text) {
        std::vector<uint8_t> bytes = {0xFF, 0xFE};
        for (wchar_t c : text) {
            bytes.push_back(static_cast<uint8_t>(c));
            bytes.push_back(static_cast<uint8_t>(c >> 8));
        }
        return bytes;
    }
    harness::TempStartDir dir;
};

TEST_F(DarkModeTest, StartUpFileCases) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool present;
        int dark, no_menu_bar;
    };
    std::vector<uint8_t> utf8 = {0xEF, 0xBB, 0xBF, 'd', 'k', 'm', '=', '3', '\r', '\n'};
    std::vector<uint8_t> long_line = utf16(L"dkm=1" + std::wstring(505, L'x') + L"dkm=2\r\n");
    const Case cases[] = {
        {"no file", {}, false, 0, 0},
        {"dkm=3 with CR LF", utf16(L"dkm=3\r\n"), true, 1, 1},
        {"dkm=3 without CR LF: unfinished", utf16(L"dkm=3"), true, 0, 0},
        {"the last line decides", utf16(L"dkm=1\r\ndkm=2\r\n"), true, 0, 1},
        {"an empty last line clears", utf16(L"dkm=1\r\n\r\n"), true, 0, 0},
        {"only five characters count", utf16(L"dkm=12\r\n"), true, 1, 0},
        {"unfinished line after a finished one", utf16(L"dkm=2\r\ndkm=1"), true, 0, 1},
        {"a line is cut after 510 units", long_line, true, 0, 1},
        {"LF alone ends nothing", utf16(L"dkm=1\n"), true, 0, 0},
        {"UTF-8 is not read", utf8, true, 0, 0},
        {"ANSI is not read", {'d', 'k', 'm', '=', '1', '\r', '\n'}, true, 0, 0},
        {"a mark alone", {0xFF, 0xFE}, true, 0, 0},
        {"odd trailing byte", [] { auto b = utf16(L"dkm=3\r\n"); b.push_back('x'); return b; }(), true, 1, 1},
    };
    for (const Case& c : cases) {
        DarkModeFlags flags = read_with(c.bytes, c.present);
        EXPECT_EQ(flags.dark, c.dark) << c.what;
        EXPECT_EQ(flags.no_menu_bar, c.no_menu_bar) << c.what;
    }
}

TEST_F(DarkModeTest, WrittenFileIsExactlyTheOneLineAndReadsBack) {
    write_dark_mode_file(3);
    const std::vector<uint8_t> three = {0xFF, 0xFE, 0x64, 0, 0x6B, 0, 0x6D, 0, 0x3D, 0, 0x33, 0, 0x0D, 0, 0x0A, 0};
    EXPECT_EQ(harness::read_file(dir.file(L"dkm.ini")), three);
    for (int v = 0; v < 4; ++v) {
        write_dark_mode_file(v);
        read_dark_mode_file();
        EXPECT_EQ(g_dark_mode.dark, v & 1);
        EXPECT_EQ(g_dark_mode.no_menu_bar, v >> 1);
    }
}

class DarkModeDialogTest : public DarkModeTest {
protected:
    void SetUp() override {
        DarkModeTest::SetUp();
        harness::write_file(L"Tarvik_char2.ini", harness::read_file(harness::source_file("data/Tarvik_char2.ini")));
        g_settings = Settings();
        g_settings.moji_type = 1;
        load_text_table();
        g_app.instance = GetModuleHandleW(nullptr);
        g_app.restart_requested = 0;
    }
    // Opens the dialog, lets `drive` act on it, returns the dialog's result.
    INT_PTR run(const std::function<void(HWND)>& drive) {
        INT_PTR result = -1;
        EXPECT_TRUE(harness::drive_modal([&] { result = run_dark_mode_dialog(nullptr); }, drive));
        return result;
    }
};

TEST_F(DarkModeDialogTest, ShowsTheTableTextsAndTheFlagsItStartedWith) {
    g_dark_mode = {1, 0};
    std::wstring title, dark_text, menu_text, write_text, close_text;
    UINT dark_checked = 0, menu_checked = 1;
    run([&](HWND d) {
        title = harness::window_text(d);
        dark_text = harness::window_text(GetDlgItem(d, IDC_DM_DARK));
        menu_text = harness::window_text(GetDlgItem(d, IDC_DM_NO_MENU_BAR));
        write_text = harness::window_text(GetDlgItem(d, IDC_DM_WRITE));
        close_text = harness::window_text(GetDlgItem(d, IDC_DM_CLOSE));
        dark_checked = IsDlgButtonChecked(d, IDC_DM_DARK);
        menu_checked = IsDlgButtonChecked(d, IDC_DM_NO_MENU_BAR);
        EXPECT_TRUE(GetWindowLongW(GetDlgItem(d, IDC_DM_WRITE), GWL_STYLE) & BS_OWNERDRAW);
        harness::click(d, IDC_DM_CLOSE);
    });
    EXPECT_EQ(title, text_entry(261));
    EXPECT_EQ(dark_text, text_entry(180));
    EXPECT_EQ(menu_text, text_entry(181));
    EXPECT_EQ(write_text, text_entry(182));
    EXPECT_EQ(close_text, text_entry(74));
    EXPECT_EQ(dark_checked, static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(menu_checked, static_cast<UINT>(BST_UNCHECKED));
}

TEST_F(DarkModeDialogTest, WriteCloseAndCloseBox) {
    // Both boxes checked and written: the 16-byte file, a restart is due, the flags of this
    // run stay as they are.
    EXPECT_EQ(run([](HWND d) {
                  harness::click(d, IDC_DM_DARK);
                  harness::click(d, IDC_DM_NO_MENU_BAR);
                  harness::click(d, IDC_DM_WRITE);
              }),
              IDC_DM_WRITE);
    const std::vector<uint8_t> three = {0xFF, 0xFE, 0x64, 0, 0x6B, 0, 0x6D, 0, 0x3D, 0, 0x33, 0, 0x0D, 0, 0x0A, 0};
    EXPECT_EQ(harness::read_file(dir.file(L"dkm.ini")), three);
    EXPECT_EQ(g_app.restart_requested, 1);
    EXPECT_EQ(g_dark_mode.dark, 0);

    // Nothing checked: "dkm=0", and the next start is light with a menu bar.
    g_dark_mode = {1, 1};
    run([](HWND d) {
        harness::click(d, IDC_DM_DARK);
        harness::click(d, IDC_DM_NO_MENU_BAR);
        harness::click(d, IDC_DM_WRITE);
    });
    EXPECT_EQ(harness::read_file(dir.file(L"dkm.ini")), utf16(L"dkm=0\r\n"));

    // Close: no restart, file untouched.
    EXPECT_EQ(run([](HWND d) {
                  harness::click(d, IDC_DM_DARK);
                  harness::click(d, IDC_DM_CLOSE);
              }),
              IDC_DM_CLOSE);
    EXPECT_EQ(g_app.restart_requested, 0);
    EXPECT_EQ(harness::read_file(dir.file(L"dkm.ini")), utf16(L"dkm=0\r\n"));

    // The close box ends with 1 and leaves the restart request alone.
    g_app.restart_requested = 0;
    EXPECT_EQ(run([](HWND d) { SendMessageW(d, WM_CLOSE, 0, 0); }), 1);
    EXPECT_EQ(g_app.restart_requested, 0);
}

TEST_F(DarkModeDialogTest, WritingAsksToRestartAndHandsOverToTheRelaunchHelper) {
    HWND window = harness::create_main_window();
    ASSERT_NE(window, nullptr);
    harness::queue_box_answer(IDNO);
    harness::drive_modal([&] { SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDM_DARK_MODE, 0), 0); },
                         [](HWND d) {
                             harness::click(d, IDC_DM_DARK);
                             harness::click(d, IDC_DM_WRITE);
                         });
    auto boxes = harness::shown_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"ReStart");
    EXPECT_EQ(boxes[0].text, L"YES=Reboot as administrator NO=Normal reboot");
    EXPECT_FALSE(IsWindow(window)) << "this instance ends before the helper starts the next";
    auto calls = harness::shell_calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].file, L"mivvet.exe");
    EXPECT_EQ(calls[0].params, L"Tarvik.exe");
    EXPECT_EQ(harness::read_file(dir.file(L"dkm.ini")), utf16(L"dkm=1\r\n"));
    harness::destroy_main_window(window);
}

// The real helper, started as the program starts it, waits for the ending instance and
// then starts the program from its own folder, in the same start directory.
TEST_F(DarkModeTest, RelaunchHelperWaitsForTheOldInstanceThenStartsTheProgram) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring build = self;
    build = build.substr(0, build.rfind(L'\\'));       // .../tests
    build = build.substr(0, build.rfind(L'\\'));       // the build folder
    ASSERT_TRUE(CopyFileW((build + L"\\mivvet.exe").c_str(), dir.file(L"mivvet.exe").c_str(), FALSE));
    for (const wchar_t* name : {L"Tarvik.exe", L"TarvikA.exe"})
        ASSERT_TRUE(CopyFileW(self, dir.file(name).c_str(), FALSE));

    for (const wchar_t* name : {L"Tarvik.exe", L"TarvikA.exe"}) {
        DeleteFileW(L"ended.txt");
        // The instance that is still ending.
        std::wstring command = L"\"" + dir.file(L"Tarvik.exe") + L"\" --linger 1500";
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION old = {};
        ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &old));

        SHELLEXECUTEINFOW helper = {};
        helper.cbSize = sizeof helper;
        helper.fMask = SEE_MASK_NOCLOSEPROCESS;
        helper.lpVerb = L"open";
        helper.lpFile = L"mivvet.exe";
        helper.lpParameters = name;
        helper.nShow = SW_SHOWNORMAL;
        ASSERT_TRUE(ShellExecuteExW(&helper)) << GetLastError();
        ASSERT_NE(helper.hProcess, nullptr);
        EXPECT_EQ(WaitForSingleObject(helper.hProcess, 20000), WAIT_OBJECT_0);
        DWORD code = 99;
        GetExitCodeProcess(helper.hProcess, &code);
        EXPECT_EQ(code, 0u) << "the helper could not start " << std::string(name, name + wcslen(name));
        CloseHandle(helper.hProcess);
        WaitForSingleObject(old.hProcess, 5000);
        CloseHandle(old.hProcess);
        CloseHandle(old.hThread);

        const std::wstring started = std::wstring(L"started-") + name;
        for (int i = 0; i < 400 && !harness::file_exists(started); ++i) Sleep(50);
        EXPECT_EQ(harness::read_file(dir.file(started)), std::vector<uint8_t>{'1'})
            << "started before the old instance ended, or not at all";
    }
}

} // namespace
