// The colour setting dialog through its real template: fields and sets, the chooser,
// rewriting color.ini, cancelling, and the preview's pixels and texts.
#include "app/app_state.h"
#include "app/settings.h"
#include "harness.h"
#include "look/colour_dialog.h"
#include "look/colours.h"
#include "look/dark_mode.h"
#include "res/resource.h"
#include "support_canvas.h"
#include "view/view_metrics.h"

#include <commdlg.h>
#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kLastRow = kColourRows - 1; // "Selection color", slot 21

bool same(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

class ColourDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        harness::install_seams();
        take_start_directory();
        g_app.instance = GetModuleHandleW(nullptr);
        g_settings = Settings();
    }
    void TearDown() override {
        canvas::stop_text_log();
        canvas::release_view_objects();
        harness::restore_seams();
    }
    INT_PTR run(const std::function<void(HWND)>& drive) {
        INT_PTR result = -1;
        EXPECT_TRUE(harness::drive_modal([&] { result = run_colour_dialog(nullptr); }, drive));
        return result;
    }
    static int field(int row, int k) { return IDC_COL_FIELD0 + 3 * row + k; }
    static void type_row(HWND d, int row, const wchar_t* r, const wchar_t* g, const wchar_t* b) {
        harness::type_text(d, field(row, 0), r);
        harness::type_text(d, field(row, 1), g);
        harness::type_text(d, field(row, 2), b);
    }
    static std::wstring row_text(HWND d, int row) {
        std::wstring s;
        for (int k = 0; k < 3; ++k) s += (k ? L"," : L"") + harness::window_text(GetDlgItem(d, field(row, k)));
        return s;
    }
    harness::TempStartDir dir;
};

TEST_F(ColourDialogTest, EditsOfBothSetsAreRewrittenWithTheDerivedButtonFace) {
    canvas::make_view_objects(false);
    EXPECT_EQ(run([](HWND d) {
                  EXPECT_EQ(harness::window_text(d), L"色設定");
                  EXPECT_EQ(IsDlgButtonChecked(d, IDC_COL_LIGHT), static_cast<UINT>(BST_CHECKED));
                  EXPECT_EQ(row_text(d, 0), L"200,200,255");
                  type_row(d, 0, L"300", L"-1", L"abc"); // slot 2
                  type_row(d, 4, L" 5x", L"120", L"255"); // slot 6: a red too low for the face
                  harness::click(d, IDC_COL_SET);
                  harness::click(d, IDC_COL_DARK);
                  EXPECT_EQ(row_text(d, 0), L"100,100,0");
                  type_row(d, 4, L"250", L"32", L"0");
                  harness::click(d, IDC_COL_SET);
                  harness::click(d, IDC_COL_LIGHT);
                  EXPECT_EQ(row_text(d, 0), L"44,255,0");
                  harness::click(d, IDC_COL_DARK);
                  EXPECT_EQ(row_text(d, 4), L"250,32,0");
                  type_row(d, 5, L"1", L"2", L"3"); // typed but never set: not written
                  harness::click(d, IDC_COL_REWRITE);
              }),
              IDC_COL_REWRITE);
    EXPECT_TRUE(same(g_colours.light[kSlotAscBack1], {44, 255, 0}));
    EXPECT_TRUE(same(g_colours.light[kSlotDialogBack], {5, 120, 255}));
    EXPECT_TRUE(same(g_colours.dark[kSlotDialogBack], {250, 32, 0}));
    EXPECT_TRUE(same(g_colours.dark[kSlotStatusTipClient], {128, 0, 0}));

    // Written to the file, with the faces derived from slot 6.
    g_colours = kDefaultColours;
    load_colours();
    EXPECT_TRUE(same(g_colours.light[kSlotButtonFace], {230, 110, 245}));
    EXPECT_TRUE(same(g_colours.dark[kSlotButtonFace], {42, 42, 10}));
    EXPECT_TRUE(same(g_colours.light[kSlotAscBack1], {44, 255, 0}));
}

TEST_F(ColourDialogTest, ChooserAnswersLandInTheRowAndCancelDropsEverything) {
    canvas::make_view_objects(true);
    g_settings.moji_type = 1;
    harness::queue_colour_answer(RGB(1, 2, 3));
    harness::queue_colour_cancel();
    HWND dialog = nullptr;
    EXPECT_EQ(run([&](HWND d) {
                  dialog = d;
                  EXPECT_EQ(harness::window_text(d), L"Color setting");
                  EXPECT_EQ(IsDlgButtonChecked(d, IDC_COL_DARK), static_cast<UINT>(BST_CHECKED));
                  EXPECT_EQ(harness::window_text(GetDlgItem(d, IDC_COL_BUTTON0 + kLastRow)), L"color");
                  harness::click(d, IDC_COL_BUTTON0 + kLastRow);
                  EXPECT_EQ(row_text(d, kLastRow), L"1,2,3");
                  harness::click(d, IDC_COL_BUTTON0 + kLastRow); // cancelled: stays
                  EXPECT_EQ(row_text(d, kLastRow), L"1,2,3");
                  EXPECT_EQ(row_text(d, kLastRow - 1), L"0,255,255"); // "O/C/Ip color"
                  harness::click(d, IDC_COL_LIGHT);
                  type_row(d, 0, L"9", L"9", L"9");
                  harness::click(d, IDC_COL_SET);
                  harness::click(d, IDC_COL_CANCEL);
              }),
              IDC_COL_CANCEL);
    auto calls = harness::colour_chooser_calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].owner, dialog);
    EXPECT_EQ(calls[0].initial, RGB(0, 90, 200)); // dark slot 21
    EXPECT_EQ(calls[1].initial, RGB(1, 2, 3));
    EXPECT_TRUE(calls[0].flags & CC_RGBINIT);
    EXPECT_FALSE(harness::file_exists(dir.file(L"color.ini")));
    EXPECT_TRUE(same(g_colours.dark[kSlotSelection], {0, 90, 200}));

    // The next opening starts again from the sets; the close box ends with 1.
    EXPECT_EQ(run([](HWND d) {
                  EXPECT_EQ(row_text(d, kLastRow), L"0,90,200");
                  SendMessageW(d, WM_CLOSE, 0, 0);
              }),
              1);
}

// The preview as the dialog paints it, into a memory context: every piece in the colour of
// its slot in the set being edited, frames and plain texts in that set's plain colours.
TEST_F(ColourDialogTest, PreviewDrawsTheEditedSet) {
    canvas::make_view_objects(false);
    g_settings.moji_type = 1;
    canvas::Canvas light = canvas::make_canvas(610, 440), dark = canvas::make_canvas(610, 440);
    run([&](HWND d) {
        type_row(d, 0, L"1", L"2", L"3");    // slot 2, odd columns
        type_row(d, 5, L"4", L"5", L"6");    // slot 8, TIP client status
        type_row(d, 10, L"7", L"8", L"9");   // slot 13, EOF background
        type_row(d, 13, L"10", L"11", L"12"); // slot 16, gap text
        harness::click(d, IDC_COL_SET);
        canvas::start_text_log();
        SendMessageW(d, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(light.dc), PRF_CLIENT);
        canvas::stop_text_log();
        harness::click(d, IDC_COL_DARK);
        SendMessageW(d, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dark.dc), PRF_CLIENT);
        harness::click(d, IDC_COL_CANCEL);
    });
    struct Probe {
        int x, y;
        COLORREF light, dark;
    };
    const Probe probes[] = {
        {50 + 18 + 9, 99, RGB(1, 2, 3), RGB(100, 100, 0)},   // received character, column 1
        {50 + 9, 99, RGB(200, 255, 200), RGB(100, 0, 100)},  // column 0
        {50 + 9, 169, RGB(255, 255, 200), RGB(0, 0, 100)},   // sent hexadecimal, column 0
        {55 + 18 + 9, 249, RGB(1, 2, 3), RGB(100, 100, 0)},  // input send cell 1
        {12, 225, RGB(240, 240, 240), RGB(32, 32, 32)},      // input send dialog face
        {20, 360, RGB(4, 5, 6), RGB(128, 0, 0)},             // TIP client status
        {5, 40, RGB(0, 0, 0), RGB(255, 255, 255)},           // title frame
        {20, 55, RGB(255, 255, 255), RGB(0, 0, 0)},          // title fill
        {50 + 18 * 9 + 16, 106, RGB(255, 176, 64), RGB(0, 90, 200)}, // a selected received byte
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(canvas::pixel(light, p.x, p.y), p.light) << p.x << "," << p.y;
        EXPECT_EQ(canvas::pixel(dark, p.x, p.y), p.dark) << p.x << "," << p.y;
    }

    struct Text {
        int x, y;
        const wchar_t* text;
        COLORREF colour, back; // back CLR_INVALID: transparent
    };
    const Text texts[] = {
        {266, 126, L"t=0012", RGB(10, 11, 12), CLR_INVALID},  {54 + 18 * 8, 90, L"1", RGB(0, 0, 0), CLR_INVALID},
        {50 + 18 * 4, 80, L"192", RGB(0, 0, 255), CLR_INVALID}, {50 + 18 * 28, 80, L"022", RGB(255, 0, 0), CLR_INVALID},
        {572, 132, L"EOF", RGB(255, 255, 255), RGB(7, 8, 9)},  {15, 242, L"ASCchar", RGB(0, 0, 0), RGB(150, 255, 150)},
    };
    for (const Text& t : texts) {
        auto found = canvas::texts_at(t.x, t.y);
        ASSERT_EQ(found.size(), 1u) << t.x << "," << t.y;
        EXPECT_EQ(found[0].text, t.text);
        EXPECT_EQ(found[0].colour, t.colour) << found[0].text;
        EXPECT_EQ(found[0].back_mode == OPAQUE ? found[0].back : CLR_INVALID, t.back) << found[0].text;
    }
    EXPECT_EQ(canvas::texts_equal(L"022")[0].font, g_metrics.small_font);
    EXPECT_EQ(canvas::texts_equal(L"t=0014")[0].font, g_metrics.large_font);
    canvas::free_canvas(&light);
    canvas::free_canvas(&dark);
}

} // namespace
