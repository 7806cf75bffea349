// Tarvik on a 144-DPI screen. This program runs in a Wine prefix of its own whose screen
// has 144 DPI (scripts/wine-hidpi.sh); every other test keeps its 96-DPI prefix.
#include "app/dpi.h"
#include "app/menu_bar.h"
#include "app/settings.h"
#include "app/toolbar.h"
#include "comm/connection.h"
#include "comm/traffic_buffer.h"
#include "res/resource.h"
#include "support_canvas.h"
#include "support_comm.h"
#include "view/find_dialog.h"
#include "view/traffic_view.h"
#include "view/view_metrics.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kDpi = 144;

class HighDpiTest : public CommTest {
protected:
    void SetUp() override {
        CommTest::SetUp();
        ASSERT_EQ(window_dpi(window_), kDpi) << "the prefix of this test should have LogPixels 144";
    }
};

// Extent of "W" (and of "SEND:") in the dump's font at a pixel height, measured here.
SIZE extent_at(HDC dc, int height, const wchar_t* text) {
    HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH, L"ＭＳＰゴシック");
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
    SelectObject(dc, old);
    DeleteObject(font);
    return size;
}

TEST_F(HighDpiTest, DumpCellsAndBandsAreOneAndAHalfTimesTheirSizeAt96Dpi) {
    // The 96-DPI figures: the fonts of 10 and 18 pixels that the dump has at 96 DPI.
    HDC screen = GetDC(window_);
    const SIZE small96 = extent_at(screen, 10, L"W"), large96 = extent_at(screen, 18, L"W");
    ReleaseDC(window_, screen);
    const int cell96 = 2 * large96.cx;
    const int pitch96 = 2 * (small96.cy + 2 * large96.cy + 5) + 3;
    const int cell = 2 * g_metrics.glyph_width;
    // Each measured extent rounds to a pixel: a cell holds two, a band five.
    EXPECT_NEAR(cell, cell96 * 3 / 2.0, 2.0) << "cell at 96 DPI " << cell96;
    EXPECT_NEAR(g_metrics.band_pitch, pitch96 * 3 / 2.0, 5.0) << "band at 96 DPI " << pitch96;

    // The dump is drawn on that grid: labels one band apart, bytes one cell apart.
    ASSERT_TRUE(traffic_allocate());
    traffic_reset();
    reset_view();
    const uint8_t bytes[] = {0x41, 0x42};
    traffic_append(1, bytes, 2);
    canvas::Canvas cv = canvas::make_canvas(1300, 900);
    canvas::erase(cv);
    canvas::start_text_log();
    draw_view_sized(cv.dc, 1300, 900);
    canvas::stop_text_log();
    std::vector<canvas::Drawn> labels = canvas::texts_equal(L"READ:");
    ASSERT_GE(labels.size(), 2u);
    EXPECT_EQ(labels[1].y - labels[0].y, g_metrics.band_pitch);
    std::vector<canvas::Drawn> first = canvas::texts_equal(L"41"), second = canvas::texts_equal(L"42");
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].x - first[0].x, cell);
    EXPECT_EQ(first[0].x, g_metrics.label_width);
    canvas::free_canvas(&cv);
}

TEST_F(HighDpiTest, ToolbarAndMenuShowTheTwentyFourPixelTiles) {
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(g_toolbar, TB_GETIMAGELIST, 0, 0));
    ASSERT_NE(images, nullptr);
    int w = 0, h = 0;
    ASSERT_TRUE(ImageList_GetIconSize(images, &w, &h));
    EXPECT_EQ(w, 24);
    EXPECT_EQ(h, 24);
    EXPECT_EQ(ImageList_GetImageCount(images), kToolbarButtonCount);
    const DWORD button = static_cast<DWORD>(SendMessageW(g_toolbar, TB_GETBUTTONSIZE, 0, 0));
    EXPECT_GE(LOWORD(button), 24 + 6);
    EXPECT_GE(HIWORD(button), 24 + 4);
    // Moved to another screen, the window takes the place Windows suggests and keeps its
    // images and geometry for the DPI.
    RECT suggested = {40, 30, 1240, 930};
    SendMessageW(window_, WM_DPICHANGED, MAKEWPARAM(kDpi, kDpi), reinterpret_cast<LPARAM>(&suggested));
    RECT now{};
    GetWindowRect(window_, &now);
    EXPECT_EQ(std::vector<LONG>({now.left, now.top, now.right, now.bottom}), std::vector<LONG>({40, 30, 1240, 930}));
    images = reinterpret_cast<HIMAGELIST>(SendMessageW(g_toolbar, TB_GETIMAGELIST, 0, 0));
    ASSERT_TRUE(ImageList_GetIconSize(images, &w, &h));
    EXPECT_EQ(w, 24);
    EXPECT_EQ(g_metrics.dpi, kDpi);

    BITMAP menu_image{};
    ASSERT_TRUE(g_menu_bar.images[0] != nullptr);
    ASSERT_TRUE(GetObjectW(g_menu_bar.images[0], sizeof menu_image, &menu_image));
    EXPECT_EQ(menu_image.bmWidth, 24);
    EXPECT_EQ(menu_image.bmHeight, 24);
}

// Static and button texts wider (or, wrapped, taller) than their controls, measured with
// each control's own font.
void collect_overflows(HWND dialog, std::vector<std::wstring>& found) {
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c)) continue;
        wchar_t cls[32] = {}, text[256] = {};
        GetClassNameW(c, cls, 32);
        GetWindowTextW(c, text, 256);
        const LONG style = GetWindowLongW(c, GWL_STYLE);
        const bool is_static = _wcsicmp(cls, L"Static") == 0, is_button = _wcsicmp(cls, L"Button") == 0;
        if (!*text || !(is_static || is_button)) continue;
        const LONG kind = style & (is_static ? SS_TYPEMASK : BS_TYPEMASK);
        if (is_static && kind != SS_LEFT && kind != SS_CENTER && kind != SS_RIGHT && kind != SS_LEFTNOWORDWRAP &&
            kind != SS_SIMPLE)
            continue;
        RECT rc;
        GetClientRect(c, &rc);
        int room = rc.right;
        if (is_button && (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_RADIOBUTTON ||
                          kind == BS_AUTORADIOBUTTON || kind == BS_3STATE || kind == BS_AUTO3STATE))
            room -= GetSystemMetrics(SM_CXMENUCHECK) + 3; // the box and its gap
        if (is_button && kind == BS_GROUPBOX) room -= 2 * GetSystemMetrics(SM_CXEDGE) + 8;
        HDC dc = GetDC(c);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0)));
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        // A control with room for two lines or more may wrap its text (a static that wraps,
        // a button marked multi-line); then the wrapped text must fit its height.
        const bool may_wrap = is_static ? kind != SS_LEFTNOWORDWRAP && kind != SS_SIMPLE : (style & BS_MULTILINE) != 0;
        const bool wraps = may_wrap && tm.tmHeight > 0 && rc.bottom >= 2 * tm.tmHeight;
        RECT need = {0, 0, room, 0};
        DrawTextW(dc, text, -1, &need, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, old);
        ReleaseDC(c, dc);
        if (need.right > room || need.bottom > rc.bottom)
            found.push_back(std::to_wstring(GetDlgCtrlID(c)) + L" \"" + text + L"\" needs " +
                            std::to_wstring(need.right) + L"x" + std::to_wstring(need.bottom) + L", has " +
                            std::to_wstring(room) + L"x" + std::to_wstring(rc.bottom));
    }
}

std::string utf8(const std::wstring& text) {
    char out[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out, sizeof out - 1, nullptr, nullptr);
    return out;
}

void close_driven(HWND dialog) {
    SendMessageW(dialog, WM_CLOSE, 0, 0);
    if (IsWindow(dialog)) EndDialog(dialog, IDCANCEL);
}

TEST_F(HighDpiTest, EveryDialogsTextsFitTheirControlsInEveryLanguage) {
    std::vector<std::wstring> overflows;
    auto check = [&](const wchar_t* name) {
        return [&overflows, name](HWND dialog) {
            std::vector<std::wstring> found;
            collect_overflows(dialog, found);
            for (const std::wstring& f : found) overflows.push_back(std::wstring(name) + L": " + f);
        };
    };
    auto open_from_menu = [&](int command, const wchar_t* name, const std::function<void(HWND)>& also = {}) {
        EXPECT_TRUE(harness::drive_modal([&] { SendMessageW(window_, WM_COMMAND, command, 0); },
                                         [&](HWND dialog) {
                                             check(name)(dialog);
                                             if (also) also(dialog);
                                             close_driven(dialog);
                                         }))
            << utf8(name);
    };
    auto nested = [&](int button, const wchar_t* name, const std::function<void(HWND)>& also = {}) {
        return [=, &check](HWND owner) {
            EXPECT_TRUE(harness::drive_modal([&] { harness::click(owner, button); },
                                             [&](HWND dialog) {
                                                 check(name)(dialog);
                                                 if (also) also(dialog);
                                                 close_driven(dialog);
                                             }));
        };
    };
    for (int language = 0; language < 4; ++language) {
        g_settings.moji_type = language;
        open_from_menu(IDM_CONNECTION_SETTINGS, L"connection settings", [&](HWND settings) {
            nested(IDC_CS_ADAPTER_SEARCH, L"adapter list")(settings);
            nested(IDC_CS_IP_ADDRESS_SET, L"IP address", nested(IDC_IP_ADD, L"add IP address"))(settings);
        });
        open_from_menu(IDM_PRESET_EDIT, L"preset edit");
        open_from_menu(IDM_ENVIRONMENT, L"environment");
        open_from_menu(IDM_DARK_MODE, L"dark mode");
        open_from_menu(IDM_LANGUAGE, L"language");
        open_from_menu(IDM_COLOURS, L"colours");
        open_from_menu(IDM_ABOUT, L"about");
        open_find_dialog(window_); // modeless
        ASSERT_NE(g_find.dialog, nullptr);
        check(L"find")(g_find.dialog);
        DestroyWindow(g_find.dialog);
    }
    open_server(true);
    ASSERT_TRUE(connection_is_open());
    for (int language = 0; language < 4; ++language) {
        g_settings.moji_type = language;
        open_from_menu(IDM_INPUT_SEND, L"input send");
        open_from_menu(IDM_PRESET_SEND, L"preset send");
        open_from_menu(IDM_MACRO, L"macro");
    }
    g_settings.moji_type = 1;
    for (const std::wstring& o : overflows) ADD_FAILURE() << utf8(o);
    EXPECT_TRUE(overflows.empty()) << overflows.size() << " texts do not fit";
}

} // namespace
