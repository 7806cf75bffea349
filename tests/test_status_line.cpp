// The status bar (parts, item data, background colour by connection state) and the eight
// status texts drawn into it.
#include "app/settings.h"
#include "app/status_bar.h"
#include "comm/connection.h"
#include "comm/traffic_buffer.h"
#include "harness.h"
#include "look/colours.h"
#include "look/dark_mode.h"
#include "res/resource.h"
#include "support_bars.h"
#include "view/status_line.h"
#include "view/status_text.h"
#include "view/traffic_view.h"
#include "view/view_metrics.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> all_texts(const Settings& s, const StatusValues& v) {
    std::vector<std::wstring> out;
    for (int part = 0; part < 8; ++part) {
        wchar_t text[kStatusTextChars];
        EXPECT_TRUE(format_status_text(part, s, v, text)) << part;
        out.push_back(text);
    }
    return out;
}

TEST(StatusText, DefaultTipClient) {
    std::vector<std::wstring> expected = {L"Adapter=Auto >> AccessPoint=192.168.0.1;PortNo=1050",
                                          L"TIP",
                                          L"Client;",
                                          L"CLOSE",
                                          L"DrawSize=X0;Y0",
                                          L"BufferSize=0/131072",
                                          L"Scroll=0",
                                          L"By Brenlow"};
    EXPECT_EQ(all_texts(Settings(), StatusValues()), expected);
}

TEST(StatusText, ModesAndBindings) {
    Settings s;
    s.ip_mode = 1;
    s.bind_mode = 1;
    s.aip_no4 = 99;
    std::vector<std::wstring> texts = all_texts(s, StatusValues());
    EXPECT_EQ(texts[0], L"socket=192.168.0.99;Port=1050<<ip=No Select");
    EXPECT_EQ(texts[2], L"Server");

    s.bind_mode = 0;
    s.aport_no = 8080;
    s.tipudp_mode = 1;
    texts = all_texts(s, StatusValues());
    EXPECT_EQ(texts[0], L"socket=Auto;Port=8080<<ip=No Select");
    EXPECT_EQ(texts[1], L"UDP");

    s = Settings();
    s.bind_mode = 1;
    s.aip_no1 = 10;
    s.aip_no2 = 0;
    s.aip_no3 = 0;
    s.aip_no4 = 7;
    s.aport_no = 0;
    s.port_no = 65535;
    EXPECT_EQ(all_texts(s, StatusValues())[0], L"Adapter=10.0.0.7;PortNo=0 >> AccessPoint=192.168.0.1;PortNo=65535");

    // Any mode value but 0 is a server for the connection text; only 1 says "Server".
    s = Settings();
    s.ip_mode = 2;
    texts = all_texts(s, StatusValues());
    EXPECT_EQ(texts[0], L"socket=Auto;Port=1050<<ip=No Select");
    EXPECT_EQ(texts[2], L"Client;");
}

TEST(StatusText, ViewValuesAndLimits) {
    StatusValues v;
    v.open = true;
    v.records_per_line = 42;
    v.lines_on_screen = 9;
    v.write_index = 130816;
    v.view_top = 840;
    std::vector<std::wstring> texts = all_texts(Settings(), v);
    EXPECT_EQ(texts[3], L"OPEN");
    EXPECT_EQ(texts[4], L"DrawSize=X42;Y9");
    EXPECT_EQ(texts[5], L"BufferSize=130816/131072");
    EXPECT_EQ(texts[6], L"Scroll=840");

    wchar_t text[kStatusTextChars];
    wmemset(text, L'#', kStatusTextChars);
    EXPECT_FALSE(format_status_text(8, Settings(), v, text));
    EXPECT_EQ(text[0], 0);
    EXPECT_FALSE(format_status_text(-1, Settings(), v, text));

    // Values no dialog would store still give a terminated text, cut at the buffer's end.
    Settings wild;
    wild.bind_mode = 1;
    for (int* f : {&wild.aip_no1, &wild.aip_no2, &wild.aip_no3, &wild.aip_no4, &wild.aport_no, &wild.ip_no1,
                   &wild.ip_no2, &wild.ip_no3, &wild.ip_no4, &wild.port_no})
        *f = INT_MIN;
    wmemset(text, L'#', kStatusTextChars);
    ASSERT_TRUE(format_status_text(0, wild, v, text));
    EXPECT_EQ(wcslen(text), static_cast<size_t>(kStatusTextChars - 1));
    EXPECT_EQ(std::wstring(text).rfind(L"Adapter=-2147483648.-2147483648.", 0), 0u);
}

class StatusBarTest : public bars_test::WindowTest {
protected:
    RECT part_rect(int part) {
        RECT rc = {};
        SendMessageW(g_status_bar, SB_GETRECT, part, reinterpret_cast<LPARAM>(&rc));
        return rc;
    }
    // The status bar as it paints itself (asking the main window for its texts), into a
    // surface of our own.
    void paint_bar(bars_test::Surface& surface) {
        SendMessageW(g_status_bar, WM_PAINT, reinterpret_cast<WPARAM>(surface.dc()), 0);
    }
    // The background shown in part 1, right of its short text.
    COLORREF background() {
        RECT rc = part_rect(1);
        bars_test::Surface surface(1400, 40, RGB(1, 2, 3));
        paint_bar(surface);
        return surface.at(rc.right - 6, (rc.top + rc.bottom) / 2);
    }
};

TEST_F(StatusBarTest, TenPartsWithOwnerDrawnTexts) {
    open();
    EXPECT_EQ(GetDlgCtrlID(g_status_bar), IDC_STATUS_BAR);
    int edges[12] = {};
    ASSERT_EQ(SendMessageW(g_status_bar, SB_GETPARTS, 12, reinterpret_cast<LPARAM>(edges)), 10);
    const int expected[10] = {460, 500, 560, 620, 740, 900, 1000, 1100, 1300, -1};
    for (int n = 0; n < 10; ++n) EXPECT_EQ(edges[n], expected[n]) << n;
    for (int n = 0; n < 10; ++n) {
        LRESULT length = SendMessageW(g_status_bar, SB_GETTEXTLENGTHW, n, 0);
        if (n < 8) {
            EXPECT_TRUE(HIWORD(length) & SBT_OWNERDRAW) << n;
            // For an owner-drawn part the bar gives back the item data: the part's number.
            auto data = reinterpret_cast<const wchar_t*>(SendMessageW(g_status_bar, SB_GETTEXTW, n, 0));
            ASSERT_NE(data, nullptr);
            EXPECT_EQ(std::wstring(data), std::to_wstring(n));
        } else {
            EXPECT_EQ(LOWORD(length), 0) << n;
            EXPECT_FALSE(HIWORD(length) & SBT_OWNERDRAW) << n;
        }
    }
}

// draw_status_part draws exactly the text of the current values at the part's corner:
// the same pixels as the text drawn by hand there.
TEST_F(StatusBarTest, DrawsEachPartFromTheCurrentValues) {
    open();
    const uint8_t bytes[5] = {1, 2, 3, 4, 5};
    traffic_append(kReceivedByte, bytes, 5);
    int write_index = traffic_state().write_index;
    g_view.view_top = 123;
    ASSERT_GT(g_view.records_per_line, 0);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(g_status_bar, WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

    auto expect_parts = [&](const std::vector<std::wstring>& texts) {
        for (int part = 0; part < 8; ++part) {
            RECT rc = part_rect(part);
            bars_test::Surface drawn(1400, 40, RGB(200, 100, 50)), by_hand(1400, 40, RGB(200, 100, 50));
            SelectObject(drawn.dc(), font);
            SelectObject(by_hand.dc(), font);
            DRAWITEMSTRUCT item = {};
            item.CtlType = ODT_STATIC;
            item.CtlID = IDC_STATUS_BAR;
            item.itemID = part;
            item.hDC = drawn.dc();
            item.hwndItem = g_status_bar;
            item.rcItem = rc;
            EXPECT_EQ(SendMessageW(window, WM_DRAWITEM, IDC_STATUS_BAR, reinterpret_cast<LPARAM>(&item)), TRUE);
            SetBkMode(by_hand.dc(), TRANSPARENT);
            SetTextColor(by_hand.dc(), slot_colour(kSlotText));
            TextOutW(by_hand.dc(), rc.left, rc.top, texts[part].c_str(), static_cast<int>(texts[part].size()));
            EXPECT_TRUE(drawn.pixels(0, 0, 1400, 40) == by_hand.pixels(0, 0, 1400, 40))
                << "part " << part << ": " << std::string(texts[part].begin(), texts[part].end());
        }
    };
    wchar_t drawsize[64], buffer[64];
    swprintf(drawsize, 64, L"DrawSize=X%d;Y%d", g_view.records_per_line, g_view.lines_on_screen);
    swprintf(buffer, 64, L"BufferSize=%d/131072", write_index);
    {
        SCOPED_TRACE("default TIP client");
        expect_parts({L"Adapter=Auto >> AccessPoint=192.168.0.1;PortNo=1050", L"TIP", L"Client;", L"CLOSE",
                      drawsize, buffer, L"Scroll=123", L"By Brenlow"});
    }
    {
        SCOPED_TRACE("TIP server bound to its adapter, open");
        g_settings.ip_mode = 1;
        g_settings.bind_mode = 1;
        g_conn.open = 1;
        expect_parts({L"socket=192.168.0.99;Port=1050<<ip=No Select", L"TIP", L"Server", L"OPEN", drawsize,
                      buffer, L"Scroll=123", L"By Brenlow"});
    }

    // Other items are not the status line's: nothing is drawn.
    bars_test::Surface untouched(64, 16, RGB(200, 100, 50));
    DRAWITEMSTRUCT item = {};
    item.CtlID = IDC_STATUS_BAR;
    item.itemID = 8;
    item.hDC = untouched.dc();
    item.rcItem = {0, 0, 64, 16};
    EXPECT_EQ(SendMessageW(window, WM_DRAWITEM, IDC_STATUS_BAR, reinterpret_cast<LPARAM>(&item)), 0);
    item.CtlID = IDC_TOOLBAR;
    item.itemID = 0;
    EXPECT_FALSE(draw_status_part(&item));
    EXPECT_EQ(untouched.pixels(0, 0, 64, 16), std::vector<COLORREF>(64 * 16, RGB(200, 100, 50)));
}

// The bar itself asks for its eight texts whenever it paints; its last two parts stay empty.
TEST_F(StatusBarTest, BarPaintsTextsInPartsZeroToSeven) {
    open();
    bars_test::Surface surface(1400, 40, RGB(1, 2, 3));
    paint_bar(surface);
    for (int part = 0; part < 9; ++part) {
        RECT rc = part_rect(part);
        std::vector<COLORREF> px = surface.pixels(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
        bool has_text = std::find(px.begin(), px.end(), slot_colour(kSlotText)) != px.end();
        EXPECT_EQ(has_text, part < 8) << "part " << part;
    }
}

TEST_F(StatusBarTest, BackgroundTellsTheConnectionState) {
    EXPECT_EQ(status_colour_slot(false, true, true), 7);
    EXPECT_EQ(status_colour_slot(true, false, false), 8);
    EXPECT_EQ(status_colour_slot(true, false, true), 9);
    EXPECT_EQ(status_colour_slot(true, true, false), 10);
    EXPECT_EQ(status_colour_slot(true, true, true), 11);

    for (bool dark : {false, true}) {
        SCOPED_TRACE(dark ? "dark" : "light");
        open(dark);
        const Rgb* set = dark ? kDefaultColours.dark : kDefaultColours.light;
        struct Case {
            int open, tipudp_mode, ip_mode, slot;
        };
        for (Case c : {Case{0, 1, 1, 7}, Case{1, 0, 0, 8}, Case{1, 0, 1, 9}, Case{1, 1, 0, 10}, Case{1, 1, 1, 11},
                       Case{0, 0, 0, 7}}) {
            g_conn.open = c.open;
            g_settings.tipudp_mode = c.tipudp_mode;
            g_settings.ip_mode = c.ip_mode;
            // The main window's paint refreshes the colour.
            InvalidateRect(window, nullptr, TRUE);
            UpdateWindow(window);
            EXPECT_EQ(background(), to_colorref(set[c.slot])) << "slot " << c.slot;
        }
        close();
    }
}

} // namespace
