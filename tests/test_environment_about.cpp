// The environment settings dialog and the About box through their real templates, and the
// main window's commands that open them and the colour dialog.
#include "app/app_state.h"
#include "app/settings.h"
#include "app/text_table.h"
#include "comm/traffic_buffer.h"
#include "harness.h"
#include "look/environment_dialog.h"
#include "netcfg/about_box.h"
#include "res/resource.h"
#include "support_canvas.h"
#include "view/traffic_view.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class EnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        harness::install_seams();
        take_start_directory();
        harness::write_file(L"Tarvik_char2.ini", harness::read_file(harness::source_file("data/Tarvik_char2.ini")));
        g_settings = Settings();
        g_settings.moji_type = 1;
        load_text_table();
        g_app.instance = GetModuleHandleW(nullptr);
    }
    void TearDown() override {
        canvas::release_view_objects();
        harness::restore_seams();
    }
    static INT_PTR run(INT_PTR (*open)(HWND), const std::function<void(HWND)>& drive) {
        INT_PTR result = -1;
        EXPECT_TRUE(harness::drive_modal([&] { result = open(nullptr); }, drive));
        return result;
    }
    static std::wstring text_of(HWND d, int id) { return harness::window_text(GetDlgItem(d, id)); }
    harness::TempStartDir dir;
};

TEST_F(EnvironmentTest, OpensWithTheSettingsAndTheCloseBoxStoresNothing) {
    g_settings.scrol_pitch = 7;
    g_settings.hexasc_komoji = 1;
    g_settings.pl_time = 250;
    const Settings before = g_settings;
    EXPECT_EQ(run(run_environment_dialog,
                  [](HWND d) {
                      EXPECT_EQ(harness::window_text(d), text_entry(75));
                      EXPECT_EQ(text_of(d, IDC_ENV_LABEL_PERIOD), text_entry(35));
                      EXPECT_EQ(SendDlgItemMessageW(d, IDC_ENV_SCROLL, CB_GETCOUNT, 0, 0), 21);
                      EXPECT_EQ(text_of(d, IDC_ENV_SCROLL), L"7");
                      EXPECT_EQ(IsDlgButtonChecked(d, IDC_ENV_LOWER_CASE), static_cast<UINT>(BST_CHECKED));
                      EXPECT_EQ(IsDlgButtonChecked(d, IDC_ENV_NO_AUTO_FOCUS), static_cast<UINT>(BST_UNCHECKED));
                      EXPECT_EQ(text_of(d, IDC_ENV_PERIOD), L"250");
                      harness::type_text(d, IDC_ENV_SCROLL, L"9");
                      harness::type_text(d, IDC_ENV_PERIOD, L"500");
                      harness::click(d, IDC_ENV_LOWER_CASE);
                      harness::click(d, IDC_ENV_NO_AUTO_FOCUS);
                      SendMessageW(d, WM_CLOSE, 0, 0);
                  }),
              1);
    EXPECT_EQ(g_settings.scrol_pitch, before.scrol_pitch);
    EXPECT_EQ(g_settings.pl_time, before.pl_time);
    EXPECT_EQ(g_settings.hexasc_komoji, before.hexasc_komoji);
    EXPECT_EQ(g_settings.auto_foucs_OFF, before.auto_foucs_OFF);
}

TEST_F(EnvironmentTest, OkStoresTheConvertedValues) {
    struct Case {
        const wchar_t *scroll, *period;
        int pitch, pl_time;
    };
    const Case cases[] = {
        {L"30", L"50", 30, 100},        {L"3", L"5000", 3, 1000},    {L"2", L"12345", 2, 1000},
        {L"21", L"300", 21, 300},       {L" 4 lines", L"abc", 4, 100}, {L"12345678", L"999", 1234567, 999},
    };
    for (const Case& c : cases) {
        g_settings = Settings();
        g_settings.moji_type = 1;
        EXPECT_EQ(run(run_environment_dialog,
                      [&](HWND d) {
                          harness::type_text(d, IDC_ENV_SCROLL, c.scroll);
                          harness::type_text(d, IDC_ENV_PERIOD, c.period);
                          harness::click(d, IDC_ENV_LOWER_CASE);
                          harness::click(d, IDC_ENV_NO_AUTO_FOCUS);
                          harness::click(d, IDC_ENV_OK);
                      }),
                  IDC_ENV_OK);
        EXPECT_EQ(g_settings.scrol_pitch, c.pitch) << std::wstring(c.scroll).size();
        EXPECT_EQ(g_settings.pl_time, c.pl_time) << std::wstring(c.period).size();
        EXPECT_EQ(g_settings.hexasc_komoji, 1);
        EXPECT_EQ(g_settings.auto_foucs_OFF, 1);
    }
}

// A width below 1 would stall or reverse scrolling: refused with a message, the old width
// shown again, the dialog kept open; nothing is stored until OK succeeds.
TEST_F(EnvironmentTest, ScrollWidthBelowOneIsRefused) {
    g_settings.scrol_pitch = 3;
    g_settings.pl_time = 300;
    EXPECT_EQ(run(run_environment_dialog,
                  [](HWND d) {
                      for (const wchar_t* bad : {L"0", L"-2", L"abc"}) {
                          harness::type_text(d, IDC_ENV_SCROLL, bad);
                          harness::type_text(d, IDC_ENV_PERIOD, L"700");
                          harness::click(d, IDC_ENV_OK);
                          EXPECT_TRUE(IsWindowVisible(d));
                          EXPECT_EQ(text_of(d, IDC_ENV_SCROLL), L"3");
                          EXPECT_EQ(g_settings.pl_time, 300);
                      }
                      harness::click(d, IDC_ENV_OK);
                  }),
              IDC_ENV_OK);
    auto boxes = harness::shown_boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, text_entry(145));
    EXPECT_EQ(boxes[0].caption, text_entry(75));
    EXPECT_NE(boxes[0].owner, nullptr);
    EXPECT_EQ(g_settings.scrol_pitch, 3);
    EXPECT_EQ(g_settings.pl_time, 700);
}

TEST_F(EnvironmentTest, AboutBoxShowsTheVersionAndTheIconAndOffersTheDownloadPage) {
    canvas::make_view_objects(false);
    canvas::Canvas c = canvas::make_canvas(120, 100);
    canvas::erase(c);
    EXPECT_EQ(run(run_about_box,
                  [&](HWND d) {
                      EXPECT_EQ(harness::window_text(d), text_entry(40));
                      EXPECT_EQ(text_of(d, IDC_ABOUT_VERSION), L"Version 1.16");
                      SendMessageW(d, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(c.dc), PRF_CLIENT);
                      harness::click(d, IDC_ABOUT_NEW_VERSION);
                      EXPECT_TRUE(IsWindowVisible(d));
                      harness::click(d, IDC_ABOUT_OK);
                  }),
              IDC_ABOUT_OK);
    auto calls = harness::shell_calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].verb, L"open");
    EXPECT_EQ(calls[0].file, kDownloadPage);
    EXPECT_EQ(calls[0].params, L"");

    // The 64-pixel image at (3, 22): its tile face, its cells and its transparent corner.
    const COLORREF face = RGB(24, 54, 112), pale_blue = RGB(198, 222, 255), back = RGB(255, 255, 255);
    EXPECT_EQ(canvas::pixel(c, 3 + 5, 22 + 8), face);
    EXPECT_EQ(canvas::pixel(c, 3 + 10, 22 + 13), pale_blue);
    EXPECT_EQ(canvas::pixel(c, 3 + 30, 22 + 60), face);
    EXPECT_EQ(canvas::pixel(c, 3 + 0, 22 + 0), back);
    EXPECT_EQ(canvas::pixel(c, 3 + 64, 22 + 30), back);
    canvas::free_canvas(&c);

    EXPECT_EQ(run(run_about_box, [](HWND d) { SendMessageW(d, WM_CLOSE, 0, 0); }), 1);
}

// The commands (menu or toolbar) open the three dialogs; a width set in the
// environment dialog is what the next scroll step moves by.
TEST_F(EnvironmentTest, MainWindowCommandsOpenTheDialogsAndScrollingUsesTheNewWidth) {
    HWND window = harness::create_main_window();
    ASSERT_NE(window, nullptr);
    struct Case {
        int command;
        int control; // a control only that dialog has
    };
    const Case cases[] = {{IDT_COLOURS, IDC_COL_REWRITE}, {IDM_ABOUT, IDC_ABOUT_NEW_VERSION}};
    for (const Case& c : cases) {
        bool found = false;
        harness::drive_modal([&] { SendMessageW(window, WM_COMMAND, MAKEWPARAM(c.command, 0), 0); },
                             [&](HWND d) {
                                 found = GetDlgItem(d, c.control) != nullptr;
                                 SendMessageW(d, WM_CLOSE, 0, 0);
                             });
        EXPECT_TRUE(found) << c.command;
    }

    const int per_line = g_view.records_per_line;
    ASSERT_GT(per_line, 0);
    std::vector<uint8_t> bytes(static_cast<size_t>(per_line) * 20, 0x41);
    traffic_append(kReceivedByte, bytes.data(), static_cast<int>(bytes.size()));
    harness::drive_modal([&] { SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDT_ENVIRONMENT, 0), 0); },
                         [](HWND d) {
                             harness::type_text(d, IDC_ENV_SCROLL, L"5");
                             harness::click(d, IDC_ENV_OK);
                         });
    g_view.follow_end = 0;
    g_view.view_top = 0;
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDM_SCROLL_END, 0), 0);
    EXPECT_EQ(g_view.view_top, 5 * per_line);
    harness::destroy_main_window(window);
}

} // namespace
