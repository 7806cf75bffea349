// The real main window: start and end, background, commands, scrolling and follow end,
// menu enabling, tooltips.
#include "app/app_state.h"
#include "app/main_commands.h"
#include "app/menu_bar.h"
#include "app/text_table.h"
#include "app/settings.h"
#include "comm/connection.h"
#include "comm/traffic_buffer.h"
#include "harness.h"
#include "res/resource.h"
#include "view/scrolling.h"
#include "view/traffic_view.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        harness::install_seams();
        g_settings = Settings();
        window = harness::create_main_window();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        g_conn.open = 0;
        harness::destroy_main_window(window);
        harness::restore_seams();
    }
    void command(int id) { SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    // Records up to one short of `lines` full lines.
    void fill_lines(int lines) {
        std::vector<uint8_t> bytes(static_cast<size_t>(g_view.records_per_line) * lines - 4, 0x41);
        traffic_append(kReceivedByte, bytes.data(), static_cast<int>(bytes.size()));
    }
    harness::TempStartDir dir;
    HWND window = nullptr;
};

TEST_F(MainWindowTest, StartsPaintsWhiteAndWritesSettingsOnClose) {
    EXPECT_EQ(harness::window_text(window), L"Tarvik");
    EXPECT_EQ(g_app.main_window, window);
    EXPECT_EQ(g_app.start_dir, dir.path());

    RECT rc;
    GetClientRect(window, &rc);
    HDC screen = GetDC(window);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
    HGDIOBJ old = SelectObject(mem, bitmap);
    PatBlt(mem, 0, 0, rc.right, rc.bottom, BLACKNESS);
    EXPECT_EQ(SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), 0), 1);
    EXPECT_EQ(GetPixel(mem, rc.right / 2, rc.bottom / 2), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(mem, 1, rc.bottom - 2), RGB(255, 255, 255));
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(window, screen);

    EXPECT_FALSE(harness::file_exists(dir.file(L"Tarvik.ini")));
    harness::destroy_main_window(window);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(harness::file_exists(dir.file(L"Tarvik.ini")));
}

TEST_F(MainWindowTest, ExitCommandEndsTheProgram) {
    command(IDT_EXIT);
    EXPECT_FALSE(IsWindow(window));
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
}

TEST_F(MainWindowTest, FirstPaintWithoutConnectionClearsFollowEnd) {
    EXPECT_EQ(g_view.follow_end, 0); // the window has painted once already
    command(IDM_LOAD_LOG);           // cancelled load: follow end is still set again
    EXPECT_EQ(g_view.follow_end, 1);
    UpdateWindow(window);
    EXPECT_EQ(g_view.follow_end, 0);
}

TEST_F(MainWindowTest, ScrollingMovesByPitchLinesWithinTheBuffer) {
    ASSERT_GT(g_view.records_per_line, 0);
    int per_line = g_view.records_per_line;
    fill_lines(10);
    g_view.follow_end = 0;
    g_view.view_top = 0;

    SendMessageW(window, WM_KEYDOWN, VK_PRIOR, 0); // toward the end
    EXPECT_EQ(g_view.view_top, 2 * per_line);
    command(IDT_SCROLL_END);
    EXPECT_EQ(g_view.view_top, 4 * per_line);
    SendMessageW(window, WM_KEYDOWN, VK_NEXT, 0); // toward the start
    EXPECT_EQ(g_view.view_top, 2 * per_line);
    for (int i = 0; i < 5; ++i) command(IDM_SCROLL_START);
    EXPECT_EQ(g_view.view_top, 0);
    for (int i = 0; i < 20; ++i) command(IDM_SCROLL_END);
    EXPECT_EQ(g_view.view_top, 9 * per_line); // the line of the last record (index 10 * per_line - 2)

    command(IDM_FIRST_LINE);
    EXPECT_EQ(g_view.view_top, 0);
    command(IDM_LAST_LINE);
    EXPECT_EQ(g_view.view_top, 9 * per_line);
}

TEST_F(MainWindowTest, ScrollingDoesNothingWhileFollowingTheEnd) {
    fill_lines(10);
    g_conn.open = 1;
    g_view.follow_end = 1;
    g_view.view_top = g_view.records_per_line;
    SendMessageW(window, WM_KEYDOWN, VK_PRIOR, 0);
    SendMessageW(window, WM_KEYDOWN, VK_NEXT, 0);
    command(IDM_SCROLL_END);
    EXPECT_EQ(g_view.view_top, g_view.records_per_line);
}

TEST_F(MainWindowTest, ScrollStepGuards) {
    // A pitch below 1 moves one line; a grid without a column never divides by zero.
    EXPECT_EQ(scroll_toward_end(0, 100, 10, 0), 10);
    EXPECT_EQ(scroll_toward_end(0, 100, 10, -5), 10);
    EXPECT_EQ(scroll_toward_start(50, 10, -1), 40);
    EXPECT_EQ(scroll_toward_end(30, 100, 0, 2), 30);
    EXPECT_EQ(scroll_toward_start(30, 0, 2), 30);
    EXPECT_EQ(last_line_top(100, 0), 0);
    EXPECT_EQ(scroll_toward_end(0, 0, 10, 2), 0);
    EXPECT_EQ(scroll_toward_end(0, 5, 10, 2), 0);
    EXPECT_EQ(scroll_toward_end(0, 2000000000, 10, 2000000000), 2000000000);
}

TEST_F(MainWindowTest, ClearAsksFirst) {
    const uint8_t bytes[4] = {1, 2, 3, 4};
    traffic_append(kReceivedByte, bytes, 4);
    harness::queue_box_answer(IDNO);
    command(IDT_CLEAR);
    EXPECT_EQ(traffic_state().write_index, 7);
    harness::queue_box_answer(IDYES);
    command(IDM_CLEAR);
    EXPECT_EQ(traffic_state().write_index, 0);
    auto boxes = harness::shown_boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, L"Tarvik");
    EXPECT_EQ(boxes[0].type & 0xF, static_cast<UINT>(MB_YESNO));
}

TEST_F(MainWindowTest, MenuEnablingFollowsTheConnection) {
    HMENU menu = CreatePopupMenu();
    const int ids[] = {IDM_REPAINT,     IDM_SCROLL_END, IDM_SCROLL_START, IDM_LAST_LINE, IDM_FIRST_LINE,
                       IDM_CONNECTION_SETTINGS, IDM_OPEN, IDM_ENVIRONMENT, IDM_INPUT_SEND, IDM_PRESET_SEND,
                       IDM_MACRO,       IDM_CLOSE,      IDM_LANGUAGE,     IDM_SAVE_LOG};
    for (int id : ids) AppendMenuW(menu, MF_STRING, id, L"x");
    auto greyed = [&](int id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; };

    SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    for (int id : {IDM_INPUT_SEND, IDM_PRESET_SEND, IDM_MACRO, IDM_CLOSE}) EXPECT_TRUE(greyed(id)) << id;
    for (int id : {IDM_REPAINT, IDM_SCROLL_END, IDM_SCROLL_START, IDM_LAST_LINE, IDM_FIRST_LINE,
                   IDM_CONNECTION_SETTINGS, IDM_OPEN, IDM_ENVIRONMENT, IDM_LANGUAGE})
        EXPECT_FALSE(greyed(id)) << id;

    g_conn.open = 1;
    SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    for (int id : {IDM_INPUT_SEND, IDM_PRESET_SEND, IDM_MACRO, IDM_CLOSE, IDM_LANGUAGE}) EXPECT_FALSE(greyed(id)) << id;
    for (int id : {IDM_REPAINT, IDM_SCROLL_END, IDM_SCROLL_START, IDM_LAST_LINE, IDM_FIRST_LINE,
                   IDM_CONNECTION_SETTINGS, IDM_OPEN, IDM_ENVIRONMENT})
        EXPECT_TRUE(greyed(id)) << id;
    EXPECT_FALSE(greyed(IDM_SAVE_LOG)); // items outside the rule are never touched
    DestroyMenu(menu);
}

TEST_F(MainWindowTest, EveryCommandHasItsTwinAndTooltip) {
    for (const CommandInfo& c : kCommands) {
        EXPECT_EQ(menu_command_of(c.menu_id), c.menu_id);
        if (!c.toolbar_id) continue; // a menu command of its own
        EXPECT_EQ(menu_command_of(c.toolbar_id), c.menu_id);
        EXPECT_EQ(tooltip_entry_of(c.toolbar_id), c.tooltip_entry);
    }
    EXPECT_EQ(menu_command_of(0), 0);
    EXPECT_EQ(tooltip_entry_of(IDT_SAVE_LOG), 210);
    EXPECT_EQ(tooltip_entry_of(IDT_EXIT), 212);
    EXPECT_EQ(tooltip_entry_of(IDT_PRESET_EDIT), 240);
    EXPECT_EQ(tooltip_entry_of(IDM_SAVE_LOG), -1);
    EXPECT_EQ(menu_command_of(999), 0);
    EXPECT_EQ(menu_command_of(0), 0);

    harness::write_utf16_file(dir.file(L"Tarvik_char2.ini"),
                              L"[Tarvik]\r\nNo.251:comt-j=接続\r\nNo.251:comt-e=Open\r\n");
    load_text_table();
    NMTTDISPINFOW info = {};
    info.hdr.hwndFrom = window;
    info.hdr.idFrom = IDT_OPEN;
    info.hdr.code = TTN_GETDISPINFOW;
    SendMessageW(window, WM_NOTIFY, IDT_OPEN, reinterpret_cast<LPARAM>(&info));
    ASSERT_NE(info.lpszText, nullptr);
    EXPECT_STREQ(info.lpszText, L"接続");
    g_settings.moji_type = 1;
    SendMessageW(window, WM_NOTIFY, IDT_OPEN, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(info.lpszText, L"Open");
}

TEST_F(MainWindowTest, ScratchTextManualAndHomePage) {
    command(IDT_SCRATCH_TEXT);
    EXPECT_TRUE(harness::file_exists(dir.file(L"temp.txt")));
    harness::queue_shell_result(2); // the manual is not found
    command(IDM_MANUAL);
    command(IDM_HOME_PAGE);
    auto calls = harness::shell_calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].verb, L"open");
    EXPECT_EQ(calls[0].file, L"notepad.exe");
    EXPECT_EQ(calls[0].params, L"temp.txt");
    EXPECT_EQ(calls[1].file, L"Tarvik_manual.pdf");
    EXPECT_EQ(calls[2].file.rfind(L"https://", 0), 0u);
    EXPECT_EQ(harness::shown_boxes().size(), 1u); // the manual's failure only
}

TEST_F(MainWindowTest, EditMacroOpensEveryChosenFile) {
    harness::queue_file_answer(dir.path() + L"\\one.txt");
    command(IDM_EDIT_MACRO);
    harness::queue_file_answer(dir.path() + L"\na.txt\nb.txt");
    command(IDT_EDIT_MACRO);
    auto files = harness::file_dialog_calls();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].title, L"MACROファイル編集");
    EXPECT_EQ(files[0].initial_file, dir.path() + L"\\*.txt");
    auto calls = harness::shell_calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].file, dir.path() + L"\\one.txt");
    EXPECT_EQ(calls[1].file, dir.path() + L"\\a.txt");
    EXPECT_EQ(calls[2].file, dir.path() + L"\\b.txt");
}

TEST(HostMessage, FitsIn63Characters) {
    wchar_t out[64];
    format_host_message(L"192.168.0.7", L"desk", out);
    EXPECT_STREQ(out, L"192.168.0.7\r\ndesk");
    std::wstring long_name(80, L'n');
    format_host_message(L"10.0.0.1", long_name.c_str(), out);
    EXPECT_EQ(wcslen(out), 63u);
    std::wstring pairs;
    for (int i = 0; i < 40; ++i) pairs += L"\U0001F600";
    format_host_message(L"1.2.3.4", pairs.c_str(), out); // 7 + 2 characters, then whole pairs only
    EXPECT_EQ(wcslen(out), 9u + 54u);
}

} // namespace
