// The character entry editor: the cell texts and byte conversions, and both instances in a
// carrying dialog (the input send template under a plain dialog procedure) driven by real key
// releases, with what they draw checked pixel by pixel against cells drawn from the geometry.
#include "harness.h"
#include "support_input.h"

#include "app/settings.h"
#include "app/text_table.h"
#include "look/colours.h"
#include "look/dialog_theme.h"
#include "res/resource.h"
#include "send/entry_editor.h"
#include "view/control_names.h"
#include "view/view_metrics.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace input_test;

// ---- conversions ------------------------------------------------------------------------

std::wstring text_of(const CellTexts& cell) { return std::wstring(cell.text, cell.text_length); }
std::wstring value_of(const CellTexts& cell) { return std::wstring(cell.value, 2); }

TEST(CellTexts, ControlCodesHaveTwoLetterNamesAndEveryCodeBelow256ItsHexDigits) {
    struct {
        wchar_t c;
        const wchar_t* text;
        const wchar_t* value;
    } cases[] = {
        {0x00, L"NL", L"00"}, {0x07, L"BL", L"07"}, {0x0D, L"CR", L"0D"}, {0x1F, L"US", L"1F"},
        {0x20, L"SP", L"20"}, {0x21, L"!", L"21"},  {L'A', L"A", L"41"},  {0x7E, L"~", L"7E"},
        {0x7F, L"DL", L"7F"}, {0x80, L"\x80", L"80"}, {0xFF, L"\xFF", L"FF"},
    };
    for (const auto& k : cases) {
        CellTexts cell = cell_texts(k.c);
        EXPECT_EQ(text_of(cell), k.text) << int(k.c);
        EXPECT_EQ(value_of(cell), k.value) << int(k.c);
    }
    // Every code from 0 to 255 shows its own two upper-case digits.
    for (int c = 0; c < 256; ++c) {
        wchar_t expected[3];
        swprintf(expected, 3, L"%02X", c);
        EXPECT_EQ(value_of(cell_texts(static_cast<wchar_t>(c))), expected);
    }
    // Names exist exactly for 0-32 and 127.
    for (uint32_t c = 0; c < 300; ++c) EXPECT_EQ(control_name(c) != nullptr, c <= 32 || c == 127) << c;
}

TEST(HexPair, ConvertsLikeTheStandardBase16Rule) {
    EXPECT_EQ(hex_pair_value(L'4', L'1'), 0x41);
    EXPECT_EQ(hex_pair_value(L'f', L'F'), 0xFF);
    EXPECT_EQ(hex_pair_value(L'G', L'7'), 0x00); // no digit at the start
    EXPECT_EQ(hex_pair_value(L' ', L'7'), 0x07); // leading white space
    EXPECT_EQ(hex_pair_value(L'-', L'1'), 0xFF); // a sign; the low 8 bits of -1
    EXPECT_EQ(hex_pair_value(L'+', L'a'), 0x0A);
    EXPECT_EQ(hex_pair_value(L'7', L'Z'), 0x07); // stops at the first non-digit
}

TEST(EntryToBytes, OneBytePerCharacter) {
    const wchar_t chars[] = {L'A', 0x0D, 0xFF, 0x00};
    uint8_t bytes[4] = {9, 9, 9, 9};
    EXPECT_EQ(entry_to_bytes(chars, 4, bytes), 4);
    EXPECT_EQ(bytes[0], 0x41);
    EXPECT_EQ(bytes[1], 0x0D);
    EXPECT_EQ(bytes[2], 0xFF);
    EXPECT_EQ(bytes[3], 0x00);

    wchar_t widened[4];
    widen_bytes(bytes, 4, widened);
    EXPECT_EQ(std::wstring(widened, 4), std::wstring(chars, 4));
}

TEST(EntryToBytes, WideCharactersTakeTheirAnsiFormWithoutBestFit) {
    if (GetACP() != 1252) GTEST_SKIP() << "the checks below are for code page 1252";
    const wchar_t chars[] = {0x20AC, 0x0100, L'B'}; // euro sign; A with macron has only a best fit
    uint8_t bytes[3] = {};
    entry_to_bytes(chars, 3, bytes);
    EXPECT_EQ(bytes[0], 0x80);
    EXPECT_EQ(bytes[1], '?');
    EXPECT_EQ(bytes[2], 'B');
    // Their value cells show the byte that goes out.
    EXPECT_EQ(value_of(cell_texts(0x20AC)), L"80");
    EXPECT_EQ(value_of(cell_texts(0x0100)), L"3F");
    EXPECT_EQ(text_of(cell_texts(0x20AC)), L"\x20AC");
}

// ---- the editor in a dialog ---------------------------------------------------------------

INT_PTR CALLBACK host_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    INT_PTR themed = 0;
    if (dialog_theme_message(dialog, message, wparam, lparam, kStandardTheme, &themed)) return themed;
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lparam);
        entry_setup(dialog, static_cast<int>(lparam));
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(dialog, &ps);
        draw_entry_grid(static_cast<int>(GetWindowLongPtrW(dialog, DWLP_USER)), dc);
        EndPaint(dialog, &ps);
        return TRUE;
    }
    }
    return FALSE;
}

class Editor : public ::testing::Test {
protected:
    void SetUp() override {
        main = open_main_window(dir.path());
        ASSERT_NE(main, nullptr);
    }
    void TearDown() override {
        if (host) DestroyWindow(host);
        harness::destroy_main_window(main);
        harness::restore_seams();
    }

    // The carrying dialog with the given editor instance, shown and painted.
    void open(int instance) {
        which = instance;
        host = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_INPUT_SEND), main, host_proc,
                                  instance);
        ASSERT_NE(host, nullptr);
        SetWindowPos(host, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        UpdateWindow(host);
        harness::pump_messages();
    }
    EntryEditor& ed() { return g_editors[which]; }
    void keys(const std::wstring& text) { release_keys(ed().capture, text); }
    void repaint() {
        InvalidateRect(host, nullptr, TRUE);
        UpdateWindow(host);
    }
    std::wstring entry() { return std::wstring(ed().entry, ed().length); }
    Picture screen() {
        harness::pump_messages(2);
        return capture_client(host);
    }

    harness::TempStartDir dir;
    HWND main = nullptr;
    HWND host = nullptr;
    int which = kInputEditor;
};

TEST_F(Editor, SetupMakesTheCaptureFieldAndStartsEmptyInAsc) {
    open(kInputEditor);
    HWND field = GetDlgItem(host, IDC_INPUT_CAPTURE);
    ASSERT_EQ(field, ed().capture);
    RECT rc;
    GetWindowRect(field, &rc);
    EXPECT_EQ(rc.right - rc.left, 30);
    EXPECT_EQ(rc.bottom - rc.top, 16);
    EXPECT_TRUE(GetWindowLongW(field, GWL_STYLE) & ES_MULTILINE);
    EXPECT_EQ(IsDlgButtonChecked(host, IDC_ENTRY_ASC), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(host, IDC_ENTRY_HEX), BST_UNCHECKED);
    EXPECT_EQ(ed().mode, kModeAsc);
    EXPECT_EQ(ed().length, 0);
}

TEST_F(Editor, HexPairMakesOneCharacterAndTheHeldDigitShowsInTheNextCell) {
    open(kInputEditor);
    entry_set_mode(kInputEditor, true);
    keys(L"4");
    EXPECT_EQ(ed().length, 0);
    EXPECT_EQ(ed().mode, kModeHexHolding);
    Picture p = screen();
    EXPECT_TRUE(shows_value(p, 0, kGridTop, L"4"));
    EXPECT_TRUE(shows_text(p, 0, kGridTop, L""));

    keys(L"1");
    EXPECT_EQ(entry(), L"A");
    EXPECT_EQ(ed().mode, kModeHexWaiting);
    p = screen();
    EXPECT_TRUE(shows_text(p, 0, kGridTop, L"A"));
    EXPECT_TRUE(shows_value(p, 0, kGridTop, L"41"));
    EXPECT_FALSE(shows_text(p, 0, kGridTop, L"B")); // the comparison tells glyphs apart
    EXPECT_TRUE(shows_value(p, 1, kGridTop, L""));

    keys(L"4");
    p = screen();
    EXPECT_TRUE(shows_value(p, 1, kGridTop, L"4"));
    EXPECT_EQ(GetWindowTextLengthW(ed().capture), 0);
}

TEST_F(Editor, HexPairsThatAreNoNumberGiveTheirLeadingPart) {
    open(kInputEditor);
    entry_set_mode(kInputEditor, true);
    keys(L"G7 7-1"); // three pairs in one release (six characters, within seven)
    EXPECT_EQ(entry(), std::wstring(L"\x00\x07\xFF", 3));
    repaint();
    Picture p = screen();
    EXPECT_TRUE(shows_text(p, 0, kGridTop, L"NL"));
    EXPECT_TRUE(shows_value(p, 0, kGridTop, L"00"));
    EXPECT_TRUE(shows_text(p, 1, kGridTop, L"BL"));
    EXPECT_TRUE(shows_value(p, 1, kGridTop, L"07"));
    EXPECT_TRUE(shows_text(p, 2, kGridTop, L"\xFF"));
    EXPECT_TRUE(shows_value(p, 2, kGridTop, L"FF"));
}

TEST_F(Editor, AscShowsSpaceAndDeleteByName) {
    open(kInputEditor);
    keys(L" ");
    keys(L"\x7F");
    EXPECT_EQ(entry(), L" \x7F");
    Picture typed = screen(); // as the key handler drew it
    repaint();
    Picture painted = screen(); // as the full paint draws it
    for (const Picture* p : {&typed, &painted}) {
        EXPECT_TRUE(shows_text(*p, 0, kGridTop, L"SP"));
        EXPECT_TRUE(shows_value(*p, 0, kGridTop, L"20"));
        EXPECT_TRUE(shows_text(*p, 1, kGridTop, L"DL"));
        EXPECT_TRUE(shows_value(*p, 1, kGridTop, L"7F"));
    }
}

TEST_F(Editor, TheInputInstanceTakesSevenCharactersPerReleaseThePresetInstanceAll) {
    open(kInputEditor);
    keys(L"0123456789");
    EXPECT_EQ(entry(), L"0123456");
    EXPECT_EQ(GetWindowTextLengthW(ed().capture), 0); // the rest is lost
    DestroyWindow(host);

    open(kPresetEditor);
    ASSERT_EQ(GetDlgItem(host, IDC_EDIT_CAPTURE), ed().capture);
    keys(L"0123456789");
    EXPECT_EQ(entry(), L"0123456789");
    keys(std::wstring(300, L'x'));
    EXPECT_EQ(ed().length, kEntryChars);
    EXPECT_EQ(ed().drawn, kEntryChars);
}

TEST_F(Editor, AFullEntryTakesNoMoreAndAHeldDigitCompletesThe256th) {
    open(kPresetEditor);
    keys(std::wstring(255, L'a'));
    entry_set_mode(kPresetEditor, true);
    keys(L"4");
    EXPECT_EQ(ed().length, 255);
    keys(L"2");
    ASSERT_EQ(ed().length, 256);
    EXPECT_EQ(ed().entry[255], 0x42);
    keys(L"43");
    EXPECT_EQ(ed().length, 256);
    EXPECT_EQ(ed().mode, kModeHexWaiting); // nothing was taken, not even a first digit
    EXPECT_EQ(GetWindowTextLengthW(ed().capture), 0);
    repaint();
    Picture p = screen();
    EXPECT_EQ(ed().view_start, kMaxViewStart);
    EXPECT_TRUE(shows_number(p, 0, 25, 192));
    EXPECT_TRUE(shows_text(p, 63 - 32, kGridTop, L"a")); // position 223
}

TEST_F(Editor, BackspaceKeepsAHeldDigitForTheNextPair) {
    open(kInputEditor);
    entry_set_mode(kInputEditor, true);
    keys(L"4142");
    keys(L"4");
    entry_backspace(kInputEditor);
    EXPECT_EQ(entry(), L"A");
    EXPECT_EQ(ed().drawn, 1);
    EXPECT_EQ(ed().mode, kModeHexHolding);
    keys(L"3");
    EXPECT_EQ(entry(), L"AC");
    entry_clear(kInputEditor);
    EXPECT_EQ(ed().length, 0);
    EXPECT_EQ(ed().entry[0], 0);
    entry_backspace(kInputEditor); // nothing left: nothing happens
    EXPECT_EQ(ed().length, 0);
}

TEST_F(Editor, TheViewFollowsTheEndOfTheEntry) {
    open(kPresetEditor);
    keys(std::wstring(40, L'b'));
    repaint();
    Picture p = screen();
    EXPECT_EQ(ed().view_start, 0);
    EXPECT_TRUE(shows_number(p, 0, 25, 0));
    EXPECT_TRUE(shows_number(p, 39, 25, 39));
    EXPECT_TRUE(shows_text(p, 39, kGridTop, L"b"));
    EXPECT_TRUE(shows_text(p, 40, kGridTop, L""));

    std::wstring more;
    for (int i = 40; i < 100; ++i) more += static_cast<wchar_t>(L'0' + i % 10);
    keys(more);
    p = screen(); // typing past 64 characters repainted the band by itself
    EXPECT_EQ(ed().view_start, 64);
    EXPECT_TRUE(shows_number(p, 0, 25, 64));
    EXPECT_TRUE(shows_number(p, 35, 25, 99));
    EXPECT_TRUE(shows_text(p, 0, kGridTop, L"4"));   // position 64
    EXPECT_TRUE(shows_text(p, 35, kGridTop, L"9"));  // position 99
    EXPECT_TRUE(shows_value(p, 35, kGridTop, L"39"));
    EXPECT_TRUE(shows_text(p, 36, kGridTop, L""));
}

TEST_F(Editor, ScrollButtonsStayWithinTheEntryAndHoldForOnePaint) {
    open(kPresetEditor);
    keys(std::wstring(100, L'c'));
    repaint();
    ASSERT_EQ(ed().view_start, 64);
    const int left[] = {32, 0, 0};
    for (int expected : left) {
        entry_scroll(kPresetEditor, false);
        EXPECT_EQ(ed().view_start, expected);
    }
    repaint();
    Picture p = screen();
    EXPECT_TRUE(shows_number(p, 0, 25, 0)); // the chosen view
    EXPECT_EQ(ed().manual_scroll, 0);
    repaint();
    EXPECT_EQ(ed().view_start, 64); // the next paint follows the end again

    keys(std::wstring(156, L'd'));
    repaint();
    ASSERT_EQ(ed().view_start, kMaxViewStart);
    entry_scroll(kPresetEditor, true);
    EXPECT_EQ(ed().view_start, kMaxViewStart);
}

TEST_F(Editor, TypingAfterAScrollShowsTheAutomaticView) {
    open(kInputEditor);
    keys(L"xyz");
    entry_scroll(kInputEditor, true);
    repaint();
    ASSERT_TRUE(shows_number(screen(), 0, 25, 32));
    keys(L"w");
    Picture p = screen();
    EXPECT_TRUE(shows_number(p, 0, 25, 0));
    EXPECT_TRUE(shows_text(p, 0, kGridTop, L"x"));
    EXPECT_TRUE(shows_text(p, 3, kGridTop, L"w"));
}

TEST_F(Editor, ModeSwitchesTellTheUserInTheInstancesOwnTexts) {
    open(kInputEditor);
    entry_set_mode(kInputEditor, true);
    keys(L"4");
    entry_set_mode(kInputEditor, true); // a held digit is dropped
    EXPECT_EQ(ed().mode, kModeHexWaiting);
    keys(L"41");
    EXPECT_EQ(entry(), L"A");
    entry_set_mode(kInputEditor, false);
    EXPECT_EQ(ed().mode, kModeAsc);
    auto boxes = harness::shown_boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, text_entry(82));
    EXPECT_EQ(boxes[0].caption, text_entry(83));
    EXPECT_EQ(boxes[0].owner, host);
    EXPECT_EQ(boxes[2].text, text_entry(81));
    DestroyWindow(host);

    harness::clear_shown_boxes();
    open(kPresetEditor);
    entry_set_mode(kPresetEditor, true);
    entry_set_mode(kPresetEditor, false);
    boxes = harness::shown_boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, text_entry(142));
    EXPECT_EQ(boxes[0].caption, text_entry(140));
    EXPECT_EQ(boxes[1].text, text_entry(141));
}

TEST_F(Editor, KeyPressesDoNotReachTheField) {
    open(kInputEditor);
    SetWindowTextW(ed().capture, L"ab");
    SendMessageW(ed().capture, EM_SETSEL, 2, 2);
    SendMessageW(ed().capture, WM_KEYDOWN, VK_BACK, 0x000E0001); // would delete the b
    SendMessageW(ed().capture, WM_KEYDOWN, VK_DELETE, 0x01530001);
    EXPECT_EQ(harness::window_text(ed().capture), L"ab");
    SendMessageW(ed().capture, WM_KEYUP, VK_BACK, 0xC00E0001);
    EXPECT_EQ(entry(), L"ab");
}

} // namespace
