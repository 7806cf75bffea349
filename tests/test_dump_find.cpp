// Finding, selecting and copying in the dump: the pattern search over real buffer records,
// the selection as drawn and as the mouse makes it, the three copy forms (the preset form
// read back by the preset reader), and the find dialog and its keys in the real window.
#include "app/app_state.h"
#include "app/main_window.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "comm/traffic_buffer.h"
#include "harness.h"
#include "look/colours.h"
#include "res/resource.h"
#include "send/preset_text.h"
#include "support_canvas.h"
#include "view/band_geometry.h"
#include "view/dump_copy.h"
#include "view/dump_mouse.h"
#include "view/dump_search.h"
#include "view/find_dialog.h"
#include "view/selection.h"
#include "view/traffic_view.h"
#include "view/view_metrics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 500;

void record(int kind, const std::string& bytes) {
    traffic_append(kind, reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
}

std::vector<uint8_t> bytes_of(const std::string& s) { return {s.begin(), s.end()}; }

class DumpFindTest : public ::testing::Test {
protected:
    void SetUp() override {
        harness::install_seams();
        ASSERT_TRUE(traffic_allocate());
        traffic_reset();
        canvas::make_view_objects(false);
        reset_view();
        g_view.follow_end = 0;
        g_find = FindState();
        cv = canvas::make_canvas(kWidth, kHeight);
        rows = band_rows(g_metrics.small_height, g_metrics.glyph_height, g_metrics.half_band, g_metrics.band_pitch);
        view_grid_size(kWidth, kHeight, &per_line, &lines);
    }
    void TearDown() override {
        canvas::free_canvas(&cv);
        canvas::release_view_objects();
        traffic_free();
        harness::restore_seams();
    }
    void paint() {
        canvas::erase(cv);
        draw_view_sized(cv.dc, kWidth, kHeight);
    }
    // The centre of the received or sent character box of record `index` on the screen of a
    // still view (no wrap).
    POINT cell_centre(int index, bool sent) const {
        const int i = index - g_view.view_top;
        const int x = g_metrics.label_width + (i % per_line) * 2 * g_metrics.glyph_width;
        const int top = (i / per_line) * g_metrics.band_pitch + (sent ? rows.send_char_box : rows.read_char_box);
        return {x + 1, top + g_metrics.glyph_height / 2};
    }
    int search(const std::string& pattern, LookIn where, int start, bool forward, FoundRun* run) {
        std::vector<TrafficRecord> records(traffic_state().write_index);
        traffic_copy(0, static_cast<int>(records.size()), records.data());
        return find_run(records.data(), static_cast<int>(records.size()),
                        reinterpret_cast<const uint8_t*>(pattern.data()), static_cast<int>(pattern.size()), where,
                        start, forward, run)
                   ? run->first
                   : -1;
    }

    canvas::Canvas cv;
    BandRows rows{};
    int per_line = 0, lines = 0;
};

TEST_F(DumpFindTest, SearchFindsRunsOfOneDirectionAcrossItsPackets) {
    const uint8_t peer[4] = {10, 0, 0, 7};
    record(kReceivedByte, "Hello\r\n");              // 0-6, trailer 7-9
    record(kSentByte, "World");                      // 10-14, trailer 15-17
    record(kReceivedByte, "ab");                     // 18-19, trailer 20-22
    traffic_put_address(kFromAddress, peer, 0);      // 23-26
    record(kReceivedByte, "cd");                     // 27-28: "abcd" spans a trailer and an address
    record(kSentByte, "Hello");                      // 32-36
    struct Case {
        std::string pattern;
        LookIn where;
        int start;
        bool forward;
        int first, end;
        bool wrapped;
    } cases[] = {
        {"Hello", LookIn::kBoth, 0, true, 0, 5, false},
        {"Hello", LookIn::kBoth, 5, true, 32, 37, false},
        {"Hello", LookIn::kBoth, 33, true, 0, 5, true},      // round the end once
        {"Hello", LookIn::kBoth, 32, false, 0, 5, false},    // find previous
        {"Hello", LookIn::kBoth, 0, false, 32, 37, true},    // round the start
        {"Hello", LookIn::kRead, 5, true, 0, 5, true},       // READ only
        {"Hello", LookIn::kSend, 0, true, 32, 37, false},    // SEND only
        {"\x0D\x0A", LookIn::kBoth, 0, true, 5, 7, false},
        {"rld", LookIn::kSend, 0, true, 12, 15, false},
        {"rld", LookIn::kRead, 0, true, -1, 0, false},
        {"bcd", LookIn::kBoth, 0, true, 19, 29, false},
        {"\nab", LookIn::kBoth, 0, true, -1, 0, false},      // a SEND packet lies between
        {"xyz", LookIn::kBoth, 0, true, -1, 0, false},
    };
    for (const Case& c : cases) {
        FoundRun run{};
        EXPECT_EQ(search(c.pattern, c.where, c.start, c.forward, &run), c.first) << c.pattern << " from " << c.start;
        if (c.first >= 0) {
            EXPECT_EQ(run.end, c.end) << c.pattern;
            EXPECT_EQ(run.wrapped, c.wrapped) << c.pattern << " from " << c.start;
        }
    }

    struct Hex {
        const wchar_t* text;
        HexPattern result;
        std::vector<uint8_t> bytes;
    } hex[] = {
        {L"48 65 6c", HexPattern::kOk, {0x48, 0x65, 0x6C}}, {L"0d0A", HexPattern::kOk, {0x0D, 0x0A}},
        {L"4 8", HexPattern::kOk, {0x48}},                  {L"486", HexPattern::kOddDigits, {}},
        {L"4G", HexPattern::kNotHex, {}},                   {L"0x41", HexPattern::kNotHex, {}},
        {L"  ", HexPattern::kEmpty, {}},
    };
    for (const Hex& h : hex) {
        uint8_t out[kPatternBytes];
        int n = -1;
        EXPECT_EQ(parse_hex_pattern(h.text, static_cast<int>(wcslen(h.text)), out, &n), h.result) << h.text;
        if (h.result == HexPattern::kOk) EXPECT_EQ(std::vector<uint8_t>(out, out + n), h.bytes) << h.text;
    }
}

TEST_F(DumpFindTest, AFoundRunIsHighlightedAndScrolledIntoView) {
    // Many screens of traffic, the pattern once in the first line and once near the end.
    record(kReceivedByte, "NEEDLE");
    const int screen = per_line * lines;
    for (int i = 0; i < 6; ++i) record(i % 2 ? kSentByte : kReceivedByte, std::string(screen, 'x'));
    record(kSentByte, "..NEEDLE..");
    record(kReceivedByte, std::string(per_line, 'y'));
    g_view.view_top = 2 * screen; // the user has scrolled past the first one
    paint();
    g_find.length = 6;
    std::copy_n("NEEDLE", 6, g_find.pattern);

    // From the top of the screen: the one at the end, in SEND.
    EXPECT_EQ(find_in_dump(nullptr, true), kTextFound);
    const int late = g_selection.first;
    EXPECT_GT(late, 6 * screen);
    EXPECT_EQ(g_selection.end - late, 6);
    paint();
    ASSERT_TRUE(record_on_screen(late));
    for (int i = late; i < late + 6; ++i) {
        POINT c = cell_centre(i, true);
        EXPECT_EQ(canvas::pixel(cv, c.x, c.y), slot_colour(kSlotSelection)) << i;
    }
    POINT after = cell_centre(late + 6, true);
    EXPECT_NE(canvas::pixel(cv, after.x, after.y), slot_colour(kSlotSelection));

    // Again: round the end to the first line of a buffer of many screens, which must show.
    EXPECT_EQ(find_in_dump(nullptr, true), kTextFoundWrappedStart);
    EXPECT_EQ(g_selection.first, 0);
    paint();
    ASSERT_TRUE(record_on_screen(0));
    POINT first = cell_centre(0, false);
    EXPECT_EQ(canvas::pixel(cv, first.x, first.y), slot_colour(kSlotSelection));

    // Not found: the status says so and nothing moves.
    g_find.pattern[0] = 'Q';
    const int top = g_view.view_top;
    EXPECT_EQ(find_in_dump(nullptr, true), kTextNotFound);
    EXPECT_EQ(g_selection.first, 0);
    EXPECT_EQ(g_view.view_top, top);

    // A slide moves the selection with its bytes, and drops it once they are gone.
    selection_set(70000, 70010);
    std::vector<TrafficRecord> full(130800, TrafficRecord{kReceivedByte, 0, 'z', 0, 0, {}});
    traffic_replace(full.data(), static_cast<int>(full.size()));
    record(kReceivedByte, std::string(200, 'z'));
    paint();
    EXPECT_EQ(g_selection.first, 70000 - kSlideRecords);
    EXPECT_EQ(g_selection.end, 70010 - kSlideRecords);
    selection_set(100, 110);
    record(kReceivedByte, std::string(kSlideRecords - 300, 'z'));
    record(kReceivedByte, std::string(400, 'z'));
    paint();
    EXPECT_TRUE(selection_empty());
}

TEST_F(DumpFindTest, MouseDragSelectsTheCellsUnderItAndShiftClickExtends) {
    record(kReceivedByte, std::string(3 * per_line, 'm'));
    paint();
    auto at = [&](int line, int column) {
        POINT c = cell_centre(line * per_line + column, false);
        return c;
    };
    POINT from = at(0, 5), to = at(1, 3);
    dump_mouse_press(nullptr, from.x, from.y, false);
    dump_mouse_move(nullptr, (from.x + to.x) / 2, to.y);
    dump_mouse_release(nullptr, to.x, to.y);
    EXPECT_EQ(g_selection.first, 5);
    EXPECT_EQ(g_selection.end, per_line + 4);
    // Backward drags select the same way round.
    dump_mouse_press(nullptr, to.x, to.y, false);
    dump_mouse_release(nullptr, from.x, from.y);
    EXPECT_EQ(g_selection.first, 5);
    EXPECT_EQ(g_selection.end, per_line + 4);

    POINT further = at(2, 0);
    dump_mouse_press(nullptr, further.x, further.y, true); // from the last press on
    EXPECT_EQ(g_selection.first, per_line + 3);
    EXPECT_EQ(g_selection.end, 2 * per_line + 1);

    dump_mouse_press(nullptr, from.x, from.y, false); // a click without moving
    dump_mouse_release(nullptr, from.x, from.y);
    EXPECT_TRUE(selection_empty());
    dump_mouse_press(nullptr, g_metrics.label_width / 2, from.y, false); // the label: no cell
    EXPECT_EQ(record_at_point(g_metrics.label_width / 2, from.y), -1);
}

TEST_F(DumpFindTest, CopiesHexTextAndPresetLinesThatReadBack) {
    const std::string data = std::string("He\"'\x01 \r\n\x7F", 9) + "\xE9\xFF";
    record(kReceivedByte, data.substr(0, 5));
    record(kSentByte, data.substr(5));
    selection_set(0, traffic_state().write_index);
    const std::basic_string<uint8_t> bytes = selection_bytes();
    ASSERT_EQ(std::string(bytes.begin(), bytes.end()), data) << "data bytes of both directions in order";
    const int n = static_cast<int>(bytes.size());

    EXPECT_EQ(hex_pairs_text(bytes.data(), n), L"48 65 22 27 01 20 0D 0A 7F E9 FF");
    const std::wstring text = dump_text(bytes.data(), n);
    EXPECT_EQ(text.substr(0, 21), L"He\"'<SH> <CR><LF><DL>");
    if (GetACP() == 1252) EXPECT_EQ(text.substr(21), L"\u00E9\u00FF");
    const std::wstring preset = preset_lines_text(bytes.data(), n);
    EXPECT_EQ(preset, L"\"He\"222701\" \"0D0A7FE9FF");

    // Long selections go on several lines, each one a preset that reads back its share.
    std::vector<uint8_t> many(600);
    for (size_t i = 0; i < many.size(); ++i) many[i] = static_cast<uint8_t>(i * 7);
    for (const std::vector<uint8_t>& sample : {bytes_of(data), many}) {
        const std::wstring lines_text = preset_lines_text(sample.data(), static_cast<int>(sample.size()));
        std::vector<uint8_t> back;
        for (size_t from = 0; from <= lines_text.size();) {
            size_t end = lines_text.find(L"\r\n", from);
            if (end == std::wstring::npos) end = lines_text.size();
            ASSERT_LE(end - from, 512u);
            EntryUnit out[kEntryChars];
            const int got = parse_preset_line(lines_text.data() + from, static_cast<int>(end - from), out);
            for (int i = 0; i < got; ++i) back.push_back(static_cast<uint8_t>(out[i]));
            from = end + 2;
        }
        EXPECT_EQ(back, sample);
    }

    // On the clipboard as Unicode text; nothing happens without a selection.
    HWND owner = CreateWindowW(L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(copy_selection(owner, IDM_COPY_HEX));
    ASSERT_TRUE(OpenClipboard(owner));
    HANDLE data_handle = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(data_handle, nullptr);
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(GlobalLock(data_handle))), hex_pairs_text(bytes.data(), n));
    GlobalUnlock(data_handle);
    CloseClipboard();
    selection_clear();
    EXPECT_FALSE(copy_selection(owner, IDM_COPY_TEXT));
    DestroyWindow(owner);
}

// The dialog and its keys in the real window: statuses for bad patterns, F3 in the dialog
// and with the dialog closed.
TEST(FindDialogTest, StatusTextsKeysAndTheClosedDialog) {
    harness::TempStartDir dir;
    HWND window = harness::start_with_main_window(dir);
    ASSERT_NE(window, nullptr);
    g_find = FindState();
    record(kReceivedByte, "ping");
    record(kSentByte, "pong");
    SendMessageW(window, WM_COMMAND, IDM_FIND, 0);
    ASSERT_NE(g_find.dialog, nullptr);
    HWND d = g_find.dialog;
    auto status = [&] { return harness::window_text(GetDlgItem(d, IDC_FIND_STATUS)); };
    EXPECT_EQ(harness::window_text(d), text_entry(kTextMenuFind));

    harness::click(d, IDC_FIND_NEXT); // empty: nothing
    EXPECT_EQ(status(), L"");
    harness::click(d, IDC_FIND_HEX);
    harness::type_text(d, IDC_FIND_PATTERN, L"70 6F 6");
    harness::click(d, IDC_FIND_NEXT);
    EXPECT_EQ(status(), text_entry(kTextOddHexDigits));
    harness::type_text(d, IDC_FIND_PATTERN, L"70 6Z");
    harness::click(d, IDC_FIND_NEXT);
    EXPECT_EQ(status(), text_entry(kTextNotHexDigit));
    harness::type_text(d, IDC_FIND_PATTERN, L"70 6F");
    harness::click(d, IDC_FIND_SEND);
    harness::click(d, IDC_FIND_NEXT);
    EXPECT_EQ(status(), text_entry(kTextFound));
    EXPECT_EQ(g_selection.first, 7); // "po" of pong; ping is READ

    // F3 in the pattern field searches again.
    MSG f3 = {GetDlgItem(d, IDC_FIND_PATTERN), WM_KEYDOWN, VK_F3, 0};
    EXPECT_TRUE(translate_main_window_message(&f3));
    EXPECT_EQ(status(), text_entry(kTextFoundWrappedStart));

    // Closed: F3 in the window searches for the last pattern; Escape closed the dialog.
    MSG escape = {GetDlgItem(d, IDC_FIND_PATTERN), WM_KEYDOWN, VK_ESCAPE, 0};
    translate_main_window_message(&escape);
    harness::pump_messages();
    EXPECT_EQ(g_find.dialog, nullptr);
    MSG again = {window, WM_KEYDOWN, VK_F3, 0};
    EXPECT_TRUE(translate_main_window_message(&again));
    EXPECT_EQ(g_find.last_status, kTextFoundWrappedStart);
    EXPECT_EQ(g_selection.first, 7);
    harness::destroy_main_window(window);
}

} // namespace
