// The colour file, the drawing objects made from the active set, and the theming that
// every dialog shares.
#include "app/app_state.h"
#include "harness.h"
#include "look/colours.h"
#include "look/dark_mode.h"
#include "look/dialog_theme.h"
#include "res/resource.h"
#include "support_canvas.h"
#include "view/view_metrics.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ColourTest : ::testing::Test {
    void SetUp() override {
        harness::install_seams();
        take_start_directory();
        g_colours = kDefaultColours;
    }
    void TearDown() override {
        canvas::release_view_objects();
        harness::restore_seams();
    }
    void write_colour_file(const std::wstring& lines) {
        harness::write_utf16_file(dir.file(L"color.ini"), L"[Setting]\r\n" + lines);
    }
    static bool same(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
    static COLORREF brush_colour(HBRUSH brush) {
        LOGBRUSH lb = {};
        GetObjectW(brush, sizeof lb, &lb);
        return lb.lbColor;
    }
    static COLORREF pen_colour(HPEN pen) {
        LOGPEN lp = {};
        GetObjectW(pen, sizeof lp, &lp);
        return lp.lopnColor;
    }
    harness::TempStartDir dir;
};

TEST_F(ColourTest, MissingFileGivesDefaultsAndIsNotCreated) {
    g_colours.light[13] = {1, 2, 3};
    load_colours();
    for (int n = 0; n < kColourSlots; ++n) {
        EXPECT_TRUE(same(g_colours.light[n], kDefaultColours.light[n])) << n;
        EXPECT_TRUE(same(g_colours.dark[n], kDefaultColours.dark[n])) << n;
    }
    EXPECT_TRUE(same(g_colours.light[13], {0, 0, 255}));
    EXPECT_TRUE(same(g_colours.dark[6], {32, 32, 32}));
    EXPECT_TRUE(same(g_colours.dark[20], {42, 42, 42}));
    EXPECT_FALSE(harness::file_exists(dir.file(L"color.ini")));
}

TEST_F(ColourTest, ValuesKeepTheirLowEightBitsAndEachSetItsOwnKeys) {
    write_colour_file(L"rbgLs[13].b=256\r\nrbgLs[2].r=300\r\nrbgDs[1].g=7\r\nrbgLs[0].g=-1\r\n");
    load_colours();
    EXPECT_TRUE(same(g_colours.light[13], {0, 0, 0}));
    EXPECT_TRUE(same(g_colours.light[2], {44, 200, 255}));
    EXPECT_TRUE(same(g_colours.light[0], {0, 255, 0}));
    EXPECT_TRUE(same(g_colours.light[1], {255, 255, 255})); // untouched by the dark key
    EXPECT_TRUE(same(g_colours.dark[1], {0, 7, 0}));
}

TEST_F(ColourTest, SavedSetsReadBackWithEveryKey) {
    g_colours.light[5] = {1, 2, 3};
    g_colours.dark[19] = {250, 251, 252};
    save_colours();
    g_colours = kDefaultColours;
    load_colours();
    EXPECT_TRUE(same(g_colours.light[5], {1, 2, 3}));
    EXPECT_TRUE(same(g_colours.dark[19], {250, 251, 252}));
    wchar_t value[16];
    int keys = 0;
    for (const wchar_t* set : {L"rbgLs", L"rbgDs"})
        for (int n = 0; n < kColourSlots; ++n)
            for (const wchar_t* part : {L"r", L"g", L"b"}) {
                std::wstring key = std::wstring(set) + L"[" + std::to_wstring(n) + L"]." + part;
                keys += GetPrivateProfileStringW(L"Setting", key.c_str(), L"", value, 16,
                                                 dir.file(L"color.ini").c_str()) > 0;
            }
    EXPECT_EQ(keys, 6 * kColourSlots);
}

TEST_F(ColourTest, DrawingObjectsComeFromTheActiveSet) {
    canvas::make_view_objects(true);
    EXPECT_EQ(pen_colour(g_draw.pen[1]), RGB(0, 0, 0));
    EXPECT_EQ(brush_colour(g_draw.brush[1]), RGB(0, 0, 0));
    EXPECT_EQ(brush_colour(g_draw.brush[6]), RGB(32, 32, 32));
    EXPECT_EQ(slot_colour(kSlotButtonFace), RGB(42, 42, 42));
    for (int n = 6; n < kColourSlots; ++n) EXPECT_EQ(g_draw.pen[n], nullptr) << n;
    for (int n = 7; n < kColourSlots; ++n) EXPECT_EQ(g_draw.brush[n], nullptr) << n;
    canvas::release_view_objects();
    for (int n = 0; n < kColourSlots; ++n) EXPECT_TRUE(!g_draw.pen[n] && !g_draw.brush[n]);
    EXPECT_EQ(g_metrics.large_font, nullptr);

    canvas::make_view_objects(false);
    EXPECT_EQ(brush_colour(g_draw.brush[6]), RGB(240, 240, 240));
    EXPECT_EQ(pen_colour(g_draw.pen[0]), RGB(0, 0, 0));
}

TEST_F(ColourTest, ControlColourRequestsAreAnsweredFromTheSlots) {
    canvas::make_view_objects(true);
    canvas::Canvas c = canvas::make_canvas(4, 4);
    const INT_PTR dialog_brush = reinterpret_cast<INT_PTR>(g_draw.brush[kSlotDialogBack]);
    const WPARAM dc = reinterpret_cast<WPARAM>(c.dc);
    struct Case {
        UINT message;
        DialogTheme theme;
        bool answered;
        COLORREF back;
        int mode;
    };
    const Case cases[] = {
        {WM_CTLCOLOREDIT, kStandardTheme, true, RGB(0, 0, 0), OPAQUE},
        {WM_CTLCOLOREDIT, {kSlotDialogBack, false}, true, RGB(32, 32, 32), OPAQUE}, // the language dialog
        {WM_CTLCOLORSTATIC, kStandardTheme, true, RGB(32, 32, 32), OPAQUE},
        {WM_CTLCOLORBTN, kStandardTheme, true, RGB(32, 32, 32), OPAQUE},
        {WM_CTLCOLORLISTBOX, {kSlotWindowBack, true}, true, RGB(0, 0, 0), TRANSPARENT},
        {WM_CTLCOLORLISTBOX, kStandardTheme, false, 0, 0}, // left to the system
        {WM_CTLCOLORSCROLLBAR, kStandardTheme, false, 0, 0},
    };
    for (const Case& k : cases) {
        SetTextColor(c.dc, RGB(1, 2, 3));
        SetBkColor(c.dc, RGB(1, 2, 3));
        INT_PTR result = 0;
        bool answered = dialog_theme_message(nullptr, k.message, dc, 0, k.theme, &result);
        EXPECT_EQ(answered, k.answered) << std::hex << k.message;
        if (!answered) continue;
        EXPECT_EQ(result, dialog_brush);
        EXPECT_EQ(GetTextColor(c.dc), RGB(255, 255, 255));
        EXPECT_EQ(GetBkColor(c.dc), k.back);
        EXPECT_EQ(GetBkMode(c.dc), k.mode);
    }
    INT_PTR result = 0;
    EXPECT_TRUE(dialog_theme_message(nullptr, WM_CTLCOLORDLG, dc, 0, kStandardTheme, &result));
    EXPECT_EQ(result, dialog_brush);
    canvas::free_canvas(&c);
}

// A real dialog, its owner-drawn button drawn through its own procedure in each state.
TEST_F(ColourTest, OwnerDrawnButtonsLookTheSameInEveryState) {
    canvas::make_view_objects(true);
    g_app.instance = GetModuleHandleW(nullptr);
    std::vector<canvas::Canvas> shots;
    harness::drive_modal([] { run_dark_mode_dialog(nullptr); },
                         [&](HWND d) {
                             HWND button = GetDlgItem(d, IDC_DM_CLOSE);
                             SetWindowTextW(button, L"Close");
                             for (UINT state : {0u, UINT(ODS_SELECTED), UINT(ODS_FOCUS), UINT(ODS_DISABLED)}) {
                                 canvas::Canvas c = canvas::make_canvas(60, 24);
                                 DRAWITEMSTRUCT item = {};
                                 item.CtlType = ODT_BUTTON;
                                 item.CtlID = IDC_DM_CLOSE;
                                 item.itemAction = ODA_DRAWENTIRE;
                                 item.itemState = state;
                                 item.hwndItem = button;
                                 item.hDC = c.dc;
                                 item.rcItem = {0, 0, 60, 24};
                                 SendMessageW(d, WM_DRAWITEM, IDC_DM_CLOSE, reinterpret_cast<LPARAM>(&item));
                                 shots.push_back(c);
                             }
                             // The dialog's own background answers come from the dark set too.
                             HDC dc = GetDC(d);
                             EXPECT_EQ(SendMessageW(d, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(d)),
                                       reinterpret_cast<LRESULT>(g_draw.brush[kSlotDialogBack]));
                             ReleaseDC(d, dc);
                             harness::click(d, IDC_DM_CLOSE);
                         });
    ASSERT_EQ(shots.size(), 4u);
    EXPECT_EQ(canvas::pixel(shots[0], 0, 0), RGB(255, 255, 255)); // frame in the text colour
    EXPECT_EQ(canvas::pixel(shots[0], 59, 23), RGB(255, 255, 255));
    EXPECT_EQ(canvas::pixel(shots[0], 3, 3), RGB(42, 42, 42));    // face of slot 20
    EXPECT_TRUE(canvas::any_pixel(shots[0], 10, 4, 50, 20, RGB(255, 255, 255))) << "no centred text";
    for (size_t i = 1; i < shots.size(); ++i) EXPECT_TRUE(canvas::same_pixels(shots[0], shots[i])) << "state " << i;
    for (canvas::Canvas& c : shots) canvas::free_canvas(&c);
}

} // namespace
