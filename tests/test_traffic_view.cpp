// The traffic dump as a user sees it: drawn into a memory bitmap, checked by its pixels
// and by where each text went.
#include "comm/traffic_buffer.h"
#include "harness.h"
#include "look/colours.h"
#include "support_canvas.h"
#include "view/band_geometry.h"
#include "view/traffic_view.h"
#include "view/view_metrics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using canvas::Drawn;

constexpr int kWidth = 800;
constexpr int kHeight = 500;

class TrafficViewTest : public ::testing::Test {
protected:
    virtual bool dark() const { return false; }

    void SetUp() override {
        harness::install_seams();
        ASSERT_TRUE(traffic_allocate());
        traffic_reset();
        canvas::make_view_objects(dark());
        reset_view();
        g_view.follow_end = 1;
        cv = canvas::make_canvas(kWidth, kHeight);
        canvas::erase(cv);
        rows = band_rows(g_metrics.small_height, g_metrics.glyph_height, g_metrics.half_band, g_metrics.band_pitch);
        view_grid_size(kWidth, kHeight, &per_line, &lines);
        canvas::start_text_log();
    }
    void TearDown() override {
        canvas::stop_text_log();
        canvas::free_canvas(&cv);
        canvas::release_view_objects();
        traffic_free();
        harness::restore_seams();
    }

    static int x_of(int column) { return g_metrics.label_width + column * 2 * g_metrics.glyph_width; }
    static int top_of(int line) { return line * g_metrics.band_pitch; }
    static int gw() { return g_metrics.glyph_width; }
    static int gh() { return g_metrics.glyph_height; }
    static void record(int kind, std::vector<uint8_t> bytes) {
        traffic_append(kind, bytes.data(), static_cast<int>(bytes.size()));
    }
    void paint() { draw_view_sized(cv.dc, kWidth, kHeight); }
    // The one text drawn at (x, y); fails the test unless there is exactly one.
    static Drawn only_text_at(int x, int y) {
        std::vector<Drawn> found = canvas::texts_at(x, y);
        EXPECT_EQ(found.size(), 1u) << "texts at " << x << "," << y;
        return found.empty() ? Drawn{x, y, L"", 0, 0, 0, nullptr} : found.back();
    }
    // The centre of a cell's box in one of the four boxed rows.
    POINT box_centre(int line, int column, int row_top) const {
        return {x_of(column) + gw(), top_of(line) + row_top + gh() / 2};
    }
    // "EOF" in both number rows of a cell, in its own colours.
    void expect_end_mark_at(int line, int column) {
        for (int y : {top_of(line) + rows.read_number, top_of(line) + rows.send_number}) {
            Drawn mark = canvas::texts_at(x_of(column), y).empty() ? Drawn{} : canvas::texts_at(x_of(column), y).back();
            EXPECT_EQ(mark.text, L"EOF") << "line " << line << " column " << column;
            EXPECT_EQ(mark.colour, slot_colour(kSlotEofText));
            EXPECT_EQ(mark.back, slot_colour(kSlotEofBack));
            EXPECT_EQ(mark.back_mode, OPAQUE);
            EXPECT_EQ(mark.font, g_metrics.small_font);
        }
        EXPECT_EQ(g_view.cursor_line, line);
        EXPECT_EQ(g_view.cursor_column, column);
    }

    canvas::Canvas cv;
    BandRows rows{};
    int per_line = 0, lines = 0;
};

TEST_F(TrafficViewTest, GridGeometryFollowsTheMeasuredFonts) {
    // The numbers a user can check against the screen: every row of a band from its top.
    BandRows r = band_rows(10, 18, 51, 105);
    EXPECT_EQ(r.read_number, 28);
    EXPECT_EQ(r.read_char_text, 39);
    EXPECT_EQ(r.read_char_box, 40);
    EXPECT_EQ(r.read_hex_text, 57);
    EXPECT_EQ(r.read_hex_box, 58);
    EXPECT_EQ(r.middle, 75);
    EXPECT_EQ(r.send_number, 79);
    EXPECT_EQ(r.send_char_text, 91);
    EXPECT_EQ(r.send_char_box, 90);
    EXPECT_EQ(r.send_hex_text, 109);
    EXPECT_EQ(r.send_hex_box, 108);
    EXPECT_EQ(r.separator, 129);
    EXPECT_EQ(r.read_label, 49);
    EXPECT_EQ(r.send_label, 98);
    EXPECT_EQ(r.clear_top, 27);
    EXPECT_EQ(r.clear_bottom, 128);

    // The metrics are measured, and the band lengths follow from them.
    EXPECT_GT(g_metrics.glyph_width, 0);
    EXPECT_GT(g_metrics.label_width, 0);
    EXPECT_EQ(g_metrics.half_band, g_metrics.small_height + 2 * g_metrics.glyph_height + 5);
    EXPECT_EQ(g_metrics.band_pitch, 2 * g_metrics.half_band + 3);
    EXPECT_EQ(per_line, (kWidth - 6 - g_metrics.label_width - 10) / (2 * gw()));
    EXPECT_EQ(lines, (kHeight - 40) / g_metrics.band_pitch);
    ASSERT_GE(per_line, 8);
    ASSERT_GE(lines, 2);
}

TEST_F(TrafficViewTest, EmptyBufferShowsTheGridWithTheEndMarkInTheFirstCell) {
    paint();
    // Window background beside the cells, cell boxes by column parity (column 0 is even).
    EXPECT_EQ(canvas::pixel(cv, x_of(per_line) + 4, top_of(1) + rows.read_char_box + 2),
              slot_colour(kSlotWindowBack));
    for (int line = 0; line < lines; ++line) {
        for (int column = 0; column < 3; ++column) {
            const bool odd = column & 1;
            for (int row : {rows.read_char_box, rows.send_char_box}) {
                POINT at = box_centre(line, column, row);
                EXPECT_EQ(canvas::pixel(cv, at.x, at.y), slot_colour(odd ? kSlotAscBack1 : kSlotAscBack2));
            }
            for (int row : {rows.read_hex_box, rows.send_hex_box}) {
                POINT at = box_centre(line, column, row);
                EXPECT_EQ(canvas::pixel(cv, at.x, at.y), slot_colour(odd ? kSlotHexBack1 : kSlotHexBack2));
            }
        }
        // Labels in the text colour, separator lines under the band.
        EXPECT_EQ(only_text_at(0, top_of(line) + rows.read_label).text, L"READ:");
        Drawn send = only_text_at(0, top_of(line) + rows.send_label);
        EXPECT_EQ(send.text, L"SEND:");
        EXPECT_EQ(send.colour, slot_colour(kSlotText));
        EXPECT_EQ(send.back_mode, TRANSPARENT);
        EXPECT_EQ(canvas::pixel(cv, 2, top_of(line) + rows.separator), slot_colour(kSlotText));
        EXPECT_EQ(canvas::pixel(cv, 2, top_of(line) + rows.separator + 1), slot_colour(kSlotText));
    }
    expect_end_mark_at(0, 0);
    // No record, so no line number.
    for (const Drawn& d : canvas::drawn_texts()) EXPECT_NE(d.x, 5) << "line number drawn";
}

// A 3-byte packet and its trailer, as the complete and as the live drawing show it.
class PacketTest : public TrafficViewTest {
protected:
    void expect_packet(bool sent) {
        const int sh = g_metrics.small_height;
        const int half = g_metrics.half_band;
        const int number_y = sent ? half + 28 : 28;
        const int char_y = sent ? half + sh + 30 : sh + 29;
        const int hex_y = sent ? half + sh + gh() + 30 : sh + gh() + 29;
        struct Cell {
            const wchar_t* number;
            const wchar_t* text;
            int text_dx;
            const wchar_t* hex;
        };
        const Cell cells[] = {{L"000", L"A", gw() / 2, L"41"}, {L"001", L"CR", 0, L"0D"}, {L"002", L"\u00e9", gw() / 2, L"E9"}};
        for (int c = 0; c < 3; ++c) {
            const bool odd = c & 1;
            Drawn number = canvas::texts_at(x_of(c), number_y).back();
            EXPECT_EQ(number.text, cells[c].number);
            EXPECT_EQ(number.font, g_metrics.small_font);
            EXPECT_EQ(number.back, slot_colour(kSlotWindowBack));
            Drawn text = only_text_at(x_of(c) + cells[c].text_dx, char_y);
            EXPECT_EQ(text.text, cells[c].text);
            EXPECT_EQ(text.colour, slot_colour(kSlotRsChar));
            EXPECT_EQ(text.back, slot_colour(odd ? kSlotAscBack1 : kSlotAscBack2));
            EXPECT_EQ(text.font, g_metrics.large_font);
            Drawn hex = only_text_at(x_of(c), hex_y);
            EXPECT_EQ(hex.text, cells[c].hex);
            EXPECT_EQ(hex.back, slot_colour(odd ? kSlotHexBack1 : kSlotHexBack2));
        }
        const wchar_t* trailer[] = {L"t=", L"00", L"00"};
        for (int c = 3; c < 6; ++c) {
            Drawn d = only_text_at(x_of(c), rows.middle);
            EXPECT_EQ(d.text, trailer[c - 3]);
            EXPECT_EQ(d.colour, slot_colour(kSlotWaitingTime));
            EXPECT_EQ(d.back_mode, OPAQUE);
        }
        expect_end_mark_at(0, 6);
        EXPECT_EQ(g_view.last_drawn, 6);
    }
};

TEST_F(PacketTest, ReceivedBytesShowCharacterOverHexInBothDrawings) {
    record(kReceivedByte, {0x41, 0x0D, 0xE9});
    paint();
    expect_packet(false);
    EXPECT_EQ(only_text_at(5, rows.middle).text, L"0000"); // line number of line 0

    // The live drawing: an empty screen first, then the timer's append.
    traffic_reset();
    reset_view();
    canvas::erase(cv);
    paint();
    record(kReceivedByte, {0x41, 0x0D, 0xE9});
    canvas::start_text_log();
    append_to_view_on(cv.dc);
    // The old end mark is blanked first, then the packet is drawn.
    ASSERT_GE(canvas::drawn_texts().size(), 2u);
    EXPECT_EQ(canvas::drawn_texts()[0].text, L"    ");
    EXPECT_EQ(canvas::drawn_texts()[0].x, x_of(0));
    EXPECT_EQ(canvas::drawn_texts()[0].back, slot_colour(kSlotWindowBack));
    expect_packet(false);
    EXPECT_TRUE(canvas::texts_at(5, rows.middle).empty()); // the live drawing writes no line numbers
}

TEST_F(PacketTest, SentBytesGoToTheLowerHalf) {
    record(kSentByte, {0x41, 0x0D, 0xE9});
    paint();
    expect_packet(true);
}

TEST_F(TrafficViewTest, ClientEventsAndAddressesShowTheirOctets) {
    const uint8_t peer[4] = {192, 168, 0, 5};
    traffic_put_address(kClientEvent, peer, 0);  // connected
    traffic_put_address(kClientEvent, peer, 10); // closed
    traffic_put_address(kFromAddress, peer, 0);
    traffic_put_address(kToAddress, peer, 0);
    paint();
    const wchar_t* octets[] = {L"192", L"168", L"000", L"005"};
    const wchar_t* events[] = {L"< ", L"Op", L"en", L" >", L"< ", L"Cl", L"os", L"e>"};
    for (int i = 0; i < 16; ++i) {
        const int line = i / per_line, column = i % per_line, top = top_of(line);
        const int kind = i / 4;
        const int number_y = top + (kind == 3 ? rows.send_number : rows.read_number);
        Drawn octet = only_text_at(x_of(column), number_y);
        EXPECT_EQ(octet.text, octets[i % 4]);
        EXPECT_EQ(octet.back_mode, TRANSPARENT);
        EXPECT_EQ(octet.colour, slot_colour(kind < 2 ? kSlotEvent : kSlotRsAddress));
        auto middle = canvas::texts_at(x_of(column), top + rows.middle);
        if (kind < 2) {
            ASSERT_EQ(middle.size(), 1u);
            EXPECT_EQ(middle[0].text, events[i]);
            EXPECT_EQ(middle[0].colour, slot_colour(kSlotEvent));
        } else {
            EXPECT_TRUE(middle.empty()); // addresses show their octets alone
        }
    }
}

TEST_F(TrafficViewTest, LiveDrawingWrapsToTheTopBandAndClearsIt) {
    paint();
    // One packet that leaves exactly the last cell free.
    const int cells = per_line * lines;
    record(kReceivedByte, std::vector<uint8_t>(cells - 4, 'W'));
    append_to_view_on(cv.dc);
    expect_end_mark_at(lines - 1, per_line - 1);
    const COLORREF ink = slot_colour(kSlotRsChar);
    const int char_top = top_of(0) + rows.read_char_box;
    EXPECT_TRUE(canvas::any_pixel(cv, x_of(5), char_top, x_of(6), char_top + gh(), ink));

    // The next packet's first byte takes the last cell; its trailer goes to line 0.
    canvas::start_text_log();
    record(kReceivedByte, {'W'});
    append_to_view_on(cv.dc);
    expect_end_mark_at(0, 3);
    EXPECT_EQ(only_text_at(x_of(0), rows.middle).text, L"t=");
    EXPECT_FALSE(canvas::any_pixel(cv, x_of(5), char_top, x_of(6), char_top + gh(), ink)) << "band 0 not cleared";
    POINT box = box_centre(0, 5, rows.read_char_box);
    EXPECT_EQ(canvas::pixel(cv, box.x, box.y), slot_colour(kSlotAscBack1)); // the empty boxes are back
    // The band below keeps what it showed.
    EXPECT_TRUE(canvas::any_pixel(cv, x_of(5), top_of(1) + rows.read_char_box, x_of(6),
                                  top_of(1) + rows.read_char_box + gh(), ink));
}

TEST_F(TrafficViewTest, AFloodShowsExactlyWhatRecordByRecordDrawingShows) {
    paint();
    const ViewState start = g_view;
    canvas::Canvas slow = canvas::make_canvas(kWidth, kHeight);
    BitBlt(slow.dc, 0, 0, kWidth, kHeight, cv.dc, 0, 0, SRCCOPY);

    // Record by record: the timer draws after every packet.
    const uint8_t peer[4] = {127, 0, 0, 9};
    uint32_t state = 7;
    for (int i = 0; i < 120; ++i) {
        state = state * 1103515245u + 12345u;
        int length = 1 + static_cast<int>((state >> 16) % 37);
        std::vector<uint8_t> bytes(length);
        for (int k = 0; k < length; ++k) bytes[k] = static_cast<uint8_t>((state >> 8) + k * 7);
        harness::advance_tick(100 + (state >> 20) % 900);
        if (i % 5 == 4) {
            traffic_put_address(kClientEvent, peer, i % 2 ? 10 : 0);
            append_to_view_on(slow.dc);
        }
        traffic_append(i % 3 == 0 ? kSentByte : kReceivedByte, bytes.data(), length);
        append_to_view_on(slow.dc);
    }
    const ViewState after_slow = g_view;
    const int records = traffic_state().write_index;
    ASSERT_GT(records, 3 * per_line * lines) << "the flood must be several screens";

    // All at once, as after a long tick.
    g_view = start;
    canvas::start_text_log();
    append_to_view_on(cv.dc);
    EXPECT_TRUE(canvas::same_pixels(cv, slow));
    EXPECT_EQ(g_view.cursor_line, after_slow.cursor_line);
    EXPECT_EQ(g_view.cursor_column, after_slow.cursor_column);
    EXPECT_EQ(g_view.gap_high.x, after_slow.gap_high.x);
    EXPECT_EQ(g_view.gap_high.y, after_slow.gap_high.y);
    EXPECT_EQ(g_view.gap_low.y, after_slow.gap_low.y);
    EXPECT_EQ(g_view.last_drawn, records);
    // Only what ends up visible was drawn: at most three texts per cell and the marks.
    EXPECT_LE(static_cast<int>(canvas::drawn_texts().size()), 3 * per_line * lines + 8);
    canvas::free_canvas(&slow);
}

TEST_F(TrafficViewTest, RunningGapDigitsChangeOnlyWhileTheNewestRecordIsATrailer) {
    record(kReceivedByte, {1, 2, 3});
    paint();
    harness::advance_tick(1250);
    traffic_refresh_gap();
    canvas::start_text_log();
    refresh_running_gap_on(cv.dc, 0);
    EXPECT_EQ(only_text_at(x_of(4), rows.middle).text, L"00");
    Drawn low = only_text_at(x_of(5), rows.middle);
    EXPECT_EQ(low.text, L"12");
    EXPECT_EQ(low.colour, slot_colour(kSlotWaitingTime));

    // A client event after the trailer: its digits stand still.
    const uint8_t peer[4] = {127, 0, 0, 2};
    traffic_put_address(kClientEvent, peer, 0);
    append_to_view_on(cv.dc);
    harness::advance_tick(1000);
    traffic_refresh_gap();
    canvas::start_text_log();
    refresh_running_gap_on(cv.dc, 0);
    EXPECT_TRUE(canvas::drawn_texts().empty());

    // The next packet completes the old trailer in place and starts a new one.
    record(kSentByte, {9});
    traffic_refresh_gap();
    canvas::start_text_log();
    append_to_view_on(cv.dc);
    EXPECT_EQ(only_text_at(x_of(4), rows.middle).text, L"00");
    EXPECT_EQ(only_text_at(x_of(5), rows.middle).text, L"22");
    harness::advance_tick(300);
    traffic_refresh_gap();
    canvas::start_text_log();
    refresh_running_gap_on(cv.dc, 0);
    EXPECT_EQ(only_text_at(x_of(13), rows.middle).text, L"03"); // 10 event and packet cells later
}

TEST_F(TrafficViewTest, ScrolledViewShowsLineNumbersAndTheEndMarkOnlyWithTheNewestRecord) {
    const int cells = per_line * lines;
    for (int i = 0; i < 3; ++i) record(kReceivedByte, std::vector<uint8_t>(cells - 3, 'x'));
    const int write_index = traffic_state().write_index;
    g_view.follow_end = 0;
    g_view.view_top = 2 * per_line;
    paint();
    EXPECT_EQ(only_text_at(5, top_of(0) + rows.middle).text, L"0002");
    EXPECT_EQ(only_text_at(5, top_of(1) + rows.middle).text, L"0003");
    EXPECT_TRUE(canvas::texts_equal(L"EOF").empty()) << "more records than fit: no end mark";

    // Fewer records left than fit: the end mark follows the last one.
    g_view.view_top = (write_index / per_line - 1) * per_line;
    canvas::start_text_log();
    paint();
    expect_end_mark_at(1, write_index % per_line);

    // Following the end shows the newest lines and leaves the view top on their first.
    g_view.follow_end = 1;
    canvas::start_text_log();
    paint();
    const int lines_needed = (write_index + per_line - 1) / per_line;
    EXPECT_EQ(g_view.end_top, per_line * (lines_needed - lines));
    EXPECT_EQ(g_view.view_top, g_view.end_top);
    wchar_t first_number[8];
    swprintf(first_number, 8, L"%04d", lines_needed - lines);
    EXPECT_EQ(only_text_at(5, top_of(0) + rows.middle).text, first_number);
}

TEST_F(TrafficViewTest, WindowsTooSmallForACellOrABandDrawNothingAndDoNotFail) {
    record(kReceivedByte, {1, 2, 3, 4});
    draw_view_sized(cv.dc, g_metrics.label_width + 10, kHeight); // no column
    EXPECT_EQ(g_view.records_per_line, 0);
    EXPECT_TRUE(canvas::texts_equal(L"000").empty());
    draw_view_sized(cv.dc, kWidth, 60); // no band
    EXPECT_EQ(g_view.lines_on_screen, 0);
    EXPECT_TRUE(canvas::texts_equal(L"READ:").size() == static_cast<size_t>(lines)); // from the first call only
    record(kReceivedByte, {5});
    canvas::start_text_log();
    append_to_view_on(cv.dc);
    refresh_running_gap_on(cv.dc, 0);
    EXPECT_TRUE(canvas::drawn_texts().empty());
    EXPECT_EQ(g_view.last_drawn, traffic_state().write_index);
}

TEST_F(TrafficViewTest, ASlideKeepsEveryRecordDrawnExactlyOnce) {
    std::vector<TrafficRecord> old(130790);
    for (TrafficRecord& r : old) r = TrafficRecord{kReceivedByte, 0, 'o', 0, 0, {}};
    traffic_replace(old.data(), static_cast<int>(old.size()));
    paint();
    // A packet that fits the screen with its trailer, so that every byte is drawn.
    const int n = std::min(100, per_line * lines - 4);
    ASSERT_GT(n, 10);
    std::vector<uint8_t> packet(n);
    for (int i = 0; i < n; ++i) packet[i] = static_cast<uint8_t>(i);
    record(kReceivedByte, packet); // crosses the threshold: the oldest half goes
    ASSERT_EQ(traffic_state().write_index, 130790 + n + 3 - kSlideRecords);
    canvas::start_text_log();
    append_to_view_on(cv.dc);
    std::vector<std::wstring> hex;
    for (const Drawn& d : canvas::drawn_texts())
        if (d.back == slot_colour(kSlotHexBack1) || d.back == slot_colour(kSlotHexBack2))
            hex.push_back(d.text);
    ASSERT_EQ(hex.size(), static_cast<size_t>(n));
    wchar_t expected[3];
    for (int i = 0; i < n; ++i) {
        swprintf(expected, 3, L"%02X", i);
        EXPECT_EQ(hex[i], expected);
    }
    EXPECT_EQ(g_view.last_drawn, traffic_state().write_index);
}

class DarkTrafficViewTest : public TrafficViewTest {
protected:
    bool dark() const override { return true; }
};

TEST_F(DarkTrafficViewTest, DarkSetGivesBlackBackgroundAndWhiteText) {
    record(kReceivedByte, {'Z'});
    paint();
    EXPECT_EQ(canvas::pixel(cv, x_of(per_line) + 4, top_of(1) + 40), RGB(0, 0, 0));
    EXPECT_EQ(only_text_at(0, rows.read_label).colour, RGB(255, 255, 255));
    EXPECT_EQ(only_text_at(x_of(0) + gw() / 2, rows.read_char_text).colour, RGB(255, 255, 255));
    POINT box = box_centre(0, 1, rows.read_char_box);
    EXPECT_EQ(canvas::pixel(cv, box.x, box.y), RGB(100, 100, 0));
}

} // namespace
