// The menu bar (popups, ids, texts in four languages, images), the toolbar (order, images,
// states with and without a connection, tooltips) and the hidden menu bar option.
#include "app/main_commands.h"
#include "app/menu_bar.h"
#include "app/settings.h"
#include "app/text_table.h"
#include "app/status_bar.h"
#include "app/toolbar.h"
#include "comm/connection.h"
#include "harness.h"
#include "res/resource.h"
#include "support_bars.h"
#include "view/view_metrics.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using bars_test::strip_tile;

struct Item {
    int id;    // 0: separator
    int entry; // text table entry of the text
    int image; // tile of the strip; -1: none (no toolbar twin)
    const wchar_t* keys = nullptr; // the shortcut shown after a tab
};

// The menu as the user sees it, popup by popup.
const std::vector<std::vector<Item>> kExpectedMenu = {
    {{201, 210, 0}, {202, 211, 1}, {205, 160, 26}, {206, 161, 27}, {203, 212, 25}},
    {{204, 220, 7}, {211, 221, 2}, {212, 222, 3}, {213, 223, 4}, {214, 224, 5}, {215, 225, 6},
     {216, 226, -1, L"Ctrl+F"}, {217, 227, -1, L"F3"}, {218, 228, -1, L"Shift+F3"}, {0, 0, 0}},
    {{221, 230, 8}, {222, 231, 9}, {223, 232, 10}, {224, 233, 28}, {225, 234, 28}},
    {{226, 240, 15}, {227, 241, 16}, {228, 242, 17}, {229, 243, -1, L"Ctrl+C"}, {230, 244, -1, L"Ctrl+Shift+C"},
     {219, 245, -1}, {220, 246, -1, L"Ctrl+A"}},
    {{231, 250, 11}, {232, 251, 12}, {233, 252, 13}, {234, 253, 14}},
    {{241, 260, 18}, {242, 261, 19}, {243, 262, 20}, {244, 263, 21}},
    {{251, 270, 22}, {252, 271, 23}, {253, 272, 24}},
};

const int kExpectedButtons[29] = {330, 331, 333, 334, 335, 336, 337, 332, 338, 339, 340, 341, 342, 343, 344,
                                  345, 346, 347, 348, 349, 350, 351, 352, 353, 354, 355, 356, 357, 358};

std::wstring item_text(HMENU menu, UINT position) {
    wchar_t text[128] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 128;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    return text;
}

class BarsTest : public bars_test::WindowTest {
protected:
    // The language dialog, answered with a language name, as the user picks it.
    void pick_language(const wchar_t* name) {
        bool shown = harness::drive_modal([&] { SendMessageW(window, WM_COMMAND, IDM_LANGUAGE, 0); },
                                          [&](HWND dialog) {
                                              harness::type_text(dialog, IDC_LANG_NAME, name);
                                              harness::click(dialog, IDC_LANG_OK);
                                          });
        ASSERT_TRUE(shown);
    }
    // Every popup title and item text is its table entry in the current language, and
    // every item carries its tile of the light strip as both marks.
    void expect_menu_in_current_language() {
        HMENU bar = GetMenu(window);
        ASSERT_NE(bar, nullptr);
        ASSERT_EQ(GetMenuItemCount(bar), 7);
        for (int p = 0; p < 7; ++p) {
            EXPECT_EQ(item_text(bar, p), text_entry(200 + p)) << "popup " << p;
            HMENU popup = GetSubMenu(bar, p);
            ASSERT_NE(popup, nullptr);
            const std::vector<Item>& items = kExpectedMenu[p];
            ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(items.size())) << "popup " << p;
            for (size_t i = 0; i < items.size(); ++i) {
                MENUITEMINFOW info = {};
                info.cbSize = sizeof info;
                info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_CHECKMARKS;
                ASSERT_TRUE(GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &info));
                if (items[i].id == 0) {
                    EXPECT_TRUE(info.fType & MFT_SEPARATOR) << "popup " << p;
                    continue;
                }
                EXPECT_EQ(static_cast<int>(info.wID), items[i].id);
                EXPECT_EQ(item_text(popup, static_cast<UINT>(i)),
                          text_entry(items[i].entry) + (items[i].keys ? std::wstring(L"\t") + items[i].keys : L""))
                    << items[i].id;
                EXPECT_FALSE(item_text(popup, static_cast<UINT>(i)).empty()) << items[i].id;
                if (items[i].image < 0) {
                    EXPECT_EQ(info.hbmpUnchecked, nullptr) << items[i].id;
                    continue;
                }
                ASSERT_NE(info.hbmpUnchecked, nullptr) << items[i].id;
                // The capture and responder toggles show the plain check mark when on.
                const bool toggle = items[i].id == IDM_CAPTURE || items[i].id == IDM_RESPONDER_SWITCH;
                EXPECT_EQ(info.hbmpChecked, toggle ? nullptr : info.hbmpUnchecked) << items[i].id;
                EXPECT_EQ(bars_test::bitmap_tile(info.hbmpUnchecked, 0, 0), strip_tile(IDB_TOOLBAR_LIGHT, items[i].image))
                    << items[i].id;
            }
        }
    }
    BYTE state(int id) { return static_cast<BYTE>(SendMessageW(g_toolbar, TB_GETSTATE, id, 0)); }
    // What a tooltip shows when it comes up: asked through the toolbar's own tooltip
    // control, which asks the toolbar, which asks the main window.
    std::wstring tooltip(int id) {
        HWND tips = reinterpret_cast<HWND>(SendMessageW(g_toolbar, TB_GETTOOLTIPS, 0, 0));
        wchar_t text[128] = {};
        TTTOOLINFOW info = {};
        info.cbSize = sizeof info;
        info.hwnd = g_toolbar;
        info.uId = static_cast<UINT_PTR>(id);
        info.lpszText = text;
        SendMessageW(tips, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&info));
        return text;
    }
};

TEST_F(BarsTest, MenuHasSevenPopupsWithEveryCommandTextAndImage) {
    open();
    EXPECT_EQ(GetMenu(window), g_menu_bar.bar);
    expect_menu_in_current_language();
    EXPECT_EQ(item_text(GetMenu(window), 0), L"ファイル");
    EXPECT_EQ(item_text(GetSubMenu(GetMenu(window), 4), 1), L"接続開始");
}

TEST_F(BarsTest, LanguageChangeRebuildsMenuAndTooltipsFollowAtOnce) {
    open();
    ASSERT_NE(g_toolbar, nullptr);
    EXPECT_EQ(tooltip(IDT_OPEN), L"接続開始");
    HBITMAP first_image = g_menu_bar.images[0];
    ASSERT_NE(first_image, nullptr);

    const wchar_t* names[] = {L"English", L"Korean", L"Chinese", L"Japanese"};
    const wchar_t* files[] = {L"File", L"파일", L"文件", L"ファイル"};
    for (int n = 0; n < 4; ++n) {
        SCOPED_TRACE(testing::Message() << "language " << (n + 1) % 4);
        pick_language(names[n]);
        ASSERT_EQ(g_settings.moji_type, (n + 1) % 4);
        EXPECT_EQ(item_text(GetMenu(window), 0), files[n]);
        expect_menu_in_current_language();
        for (const CommandInfo& c : kCommands)
            if (c.toolbar_id) EXPECT_EQ(tooltip(c.toolbar_id), text_entry(c.tooltip_entry));
    }
    EXPECT_EQ(GetObjectType(first_image), 0u); // the first build's images were released
    pick_language(L"English");
    EXPECT_EQ(tooltip(IDT_EXIT), L"Exit");
    EXPECT_EQ(tooltip(IDT_CLOSE), L"Close connection");
}

TEST_F(BarsTest, ToolbarButtonsInOrderWithTheirImages) {
    open();
    ASSERT_NE(g_toolbar, nullptr);
    EXPECT_EQ(GetDlgCtrlID(g_toolbar), IDC_TOOLBAR);
    ASSERT_EQ(SendMessageW(g_toolbar, TB_BUTTONCOUNT, 0, 0), 29);
    for (int i = 0; i < 29; ++i) {
        TBBUTTON button = {};
        SendMessageW(g_toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        EXPECT_EQ(button.idCommand, kExpectedButtons[i]) << i;
        EXPECT_EQ(button.iBitmap, i) << i;
        EXPECT_FALSE(button.fsStyle & BTNS_SEP) << i;
    }
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(g_toolbar, TB_GETIMAGELIST, 0, 0));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), 29);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    RECT rc;
    GetWindowRect(g_toolbar, &rc);
    EXPECT_LE(rc.bottom - rc.top, 30); // the view starts 24 pixels down
}

// The toolbar shows strip 93 in dark mode (its background left transparent), the menu
// strip 92 in either mode.
TEST_F(BarsTest, DarkModeToolbarUsesTheDarkStripAndTheMenuTheLightOne) {
    for (bool dark : {false, true}) {
        SCOPED_TRACE(dark ? "dark" : "light");
        open(dark);
        int strip = dark ? IDB_TOOLBAR_DARK : IDB_TOOLBAR_LIGHT;
        HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(g_toolbar, TB_GETIMAGELIST, 0, 0));
        ASSERT_NE(images, nullptr);
        const COLORREF see_through = RGB(255, 0, 255);
        for (int image : {0, 11, 13, 25}) {
            bars_test::Surface surface(16, 16, see_through);
            ImageList_Draw(images, image, surface.dc(), 0, 0, ILD_NORMAL);
            std::vector<COLORREF> drawn = surface.pixels(0, 0, 16, 16);
            std::vector<COLORREF> expected = strip_tile(strip, image);
            COLORREF background = strip_tile(strip, 0)[0];
            for (COLORREF& c : expected)
                if (c == background) c = see_through;
            EXPECT_EQ(drawn, expected) << "image " << image;
        }
        EXPECT_EQ(bars_test::bitmap_tile(g_menu_bar.images[12], 0, 0), strip_tile(IDB_TOOLBAR_LIGHT, 12));
        close();
    }
}

TEST_F(BarsTest, ToolbarStatesFollowTheConnection) {
    open();
    const std::vector<int> idle_only = {332, 334, 335, 336, 337, 341, 342};
    const std::vector<int> connected_only = {338, 339, 340, 343};
    auto expect_states = [&](bool connected) {
        for (int id : kExpectedButtons) {
            bool enabled = true;
            for (int i : idle_only) enabled = enabled && !(i == id && connected);
            for (int i : connected_only) enabled = enabled && !(i == id && !connected);
            EXPECT_EQ(state(id), enabled ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE)
                << id << (connected ? " connected" : " unconnected");
        }
    };
    expect_states(false); // as created

    // Opening any popup sets the toolbar by the connection, as it sets the menu.
    HMENU settings_popup = GetSubMenu(GetMenu(window), 5);
    g_conn.open = 1;
    SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(settings_popup), 5);
    expect_states(true);
    EXPECT_EQ(state(IDT_ENVIRONMENT), TBSTATE_ENABLED); // while its menu twin is grey
    EXPECT_TRUE(GetMenuState(settings_popup, IDM_ENVIRONMENT, MF_BYCOMMAND) & MF_GRAYED);

    g_conn.open = 0;
    SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(settings_popup), 5);
    expect_states(false);
    toolbar_connected();
    expect_states(true);
    toolbar_unconnected();
    expect_states(false);
}

// The open and close commands set the toolbar and the status colour: a failed opening
// leaves them as they were; a UDP server opened on the loopback turns them to connected.
TEST_F(BarsTest, OpenAndCloseCommandsSetTheToolbarAndStatusColour) {
    open();
    auto status_colour = [] {
        COLORREF now = static_cast<COLORREF>(SendMessageW(g_status_bar, SB_SETBKCOLOR, 0, 0));
        SendMessageW(g_status_bar, SB_SETBKCOLOR, 0, static_cast<LPARAM>(now));
        return now;
    };
    g_settings.port_no = 70000; // refused before any socket is made
    SendMessageW(window, WM_COMMAND, IDM_OPEN, 0);
    ASSERT_FALSE(connection_is_open());
    EXPECT_EQ(state(IDT_OPEN), TBSTATE_ENABLED);
    EXPECT_EQ(state(IDT_CLOSE), TBSTATE_INDETERMINATE);

    g_settings = Settings();
    bars_test::use_loopback_udp_server(bars_test::free_udp_port());
    ASSERT_GT(g_settings.aport_no, 0);
    SendMessageW(window, WM_COMMAND, IDT_OPEN, 0);
    ASSERT_TRUE(connection_is_open());
    EXPECT_EQ(state(IDT_OPEN), TBSTATE_INDETERMINATE);
    EXPECT_EQ(state(IDT_INPUT_SEND), TBSTATE_ENABLED);
    EXPECT_EQ(status_colour(), slot_colour(kSlotStatusUdpServer));

    SendMessageW(window, WM_COMMAND, IDT_CLOSE, 0);
    ASSERT_FALSE(connection_is_open());
    EXPECT_EQ(state(IDT_OPEN), TBSTATE_ENABLED);
    EXPECT_EQ(state(IDT_INPUT_SEND), TBSTATE_INDETERMINATE);
    EXPECT_EQ(status_colour(), slot_colour(kSlotStatusClosed));
}

TEST_F(BarsTest, HiddenMenuBarIsNeverBuilt) {
    open(false, true);
    EXPECT_EQ(GetMenu(window), nullptr);
    EXPECT_EQ(g_menu_bar.bar, nullptr);
    ASSERT_NE(g_toolbar, nullptr);
    EXPECT_EQ(SendMessageW(g_toolbar, TB_BUTTONCOUNT, 0, 0), 29);
    pick_language(L"English");
    EXPECT_EQ(GetMenu(window), nullptr);
    EXPECT_EQ(tooltip(IDT_LANGUAGE), L"Language...");
}

TEST_F(BarsTest, MenuIsDetachedAndReleasedWithTheWindow) {
    open();
    HMENU bar = g_menu_bar.bar;
    HBITMAP image = g_menu_bar.images[25];
    ASSERT_TRUE(IsMenu(bar));
    close();
    EXPECT_FALSE(IsMenu(bar));
    EXPECT_EQ(GetObjectType(image), 0u);
    EXPECT_EQ(g_menu_bar.bar, nullptr);
}

} // namespace
