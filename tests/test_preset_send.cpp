// Preset files and the preset send dialog through its real template: what a file gives
// (hand-written lines included), failed loads, paging and the two widths, and presets sent
// to a loopback peer.
#include "support_comm.h"
#include "support_input.h"

#include "app/app_state.h"
#include "app/settings.h"
#include "app/text_table.h"
#include "look/colours.h"
#include "res/resource.h"
#include "send/entry_files.h"
#include "send/preset_send_dialog.h"
#include "send/send_history.h"
#include "view/view_metrics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using harness::click;

std::wstring chars_of(const Entry& e) { return std::wstring(e.chars, e.length); }

// The filled places of a list as "place:characters".
std::vector<std::wstring> filled(const Entry* list) {
    std::vector<std::wstring> out;
    for (int k = 0; k < kPresetPlaces; ++k)
        if (list[k].length > 0) out.push_back(std::to_wstring(k) + L":" + chars_of(list[k]));
    return out;
}

class PresetSend : public CommTest {
protected:
    INT_PTR run(const std::function<void(HWND)>& drive) {
        INT_PTR result = -1;
        EXPECT_TRUE(harness::drive_modal([&] { result = run_preset_send_dialog(window_); },
                                         [&](HWND d) {
                                             drive(d);
                                             if (IsWindow(d)) click(d, IDC_PS_CLOSE);
                                         }));
        return result;
    }
    std::wstring mdata() const { return dir_.file(L"mdata.txt"); }
};

TEST_F(PresetSend, FileLinesBecomePresets) {
    const std::wstring quoted(511, L'q');
    std::wstring full;
    for (int i = 0; i < 256; ++i) full += L"41";
    struct {
        std::wstring body;
        std::vector<std::wstring> places;
    } cases[] = {
        {L"414243\r\n0D0A\r\n", {L"0:ABC", L"1:\r\n"}},
        {L"41\"ok\"\r\n\r\n\r\n43", {L"0:Aok", L"3:C"}},                 // empty lines keep their place; no final CR LF
        {L"41\n42\r\n", {L"0:A\x04"}},                                      // a lone LF ends no line
        {full + L"\r\n42\r\n", {L"0:" + std::wstring(256, L'A'), L"1:B"}}, // the writer's longest line
        {L"\"" + quoted + L"\r\n", {L"0:" + std::wstring(256, L'q')}},      // at most 256 characters kept
        {std::wstring(514, L'x') + L"41\r\n", {L"1:A"}},                     // too long: dropped, the rest is the next line
        {std::wstring(513, L'x') + L"\r\n41\r\n", {L"2:A"}},              // cut between CR and LF: the rest is empty
    };
    std::vector<Entry> list(kPresetPlaces);
    for (size_t i = 0; i < std::size(cases); ++i) {
        harness::write_utf16_file(mdata(), cases[i].body);
        ASSERT_TRUE(load_entry_file(window_, mdata().c_str(), list.data()));
        EXPECT_EQ(filled(list.data()), cases[i].places) << "case " << i;
    }
    // Lines after the 200th are not read.
    std::wstring many;
    for (int i = 0; i < 201; ++i) many += i == 199 ? L"5A\r\n" : L"\r\n";
    harness::write_utf16_file(mdata(), many + L"41\r\n");
    load_entry_file(window_, mdata().c_str(), list.data());
    EXPECT_EQ(filled(list.data()), std::vector<std::wstring>{L"199:Z"});
    EXPECT_TRUE(take_boxes().empty());
}

TEST_F(PresetSend, AFileThatIsNotAPresetFileLeavesTheListAsItWas) {
    entry_assign(&g_presets.places[0], L"kept", 4);
    run([](HWND) {}); // no mdata.txt: made empty, and it has no byte-order mark
    EXPECT_EQ(take_boxes(), std::vector<std::wstring>{L"FileError|" + std::wstring(text_entry(23))});
    EXPECT_TRUE(harness::read_file(mdata()).empty());
    EXPECT_EQ(chars_of(g_presets.places[0]), L"kept");

    harness::write_file(dir_.file(L"ansi.txt"), {'4', '1', '\r', '\n'});
    harness::queue_file_answer(dir_.file(L"ansi.txt"));
    run([](HWND d) { click(d, IDC_PS_LOAD_OTHER); });
    EXPECT_EQ(take_boxes().size(), 2u);
    EXPECT_EQ(chars_of(g_presets.places[0]), L"kept");
}

TEST_F(PresetSend, PagesStayWithinTheListAndTheFormTogglesItsWidth) {
    harness::write_utf16_file(mdata(), L"");
    auto labels = [](HWND d) {
        return harness::window_text(GetDlgItem(d, IDC_PS_ROW_NUMBER0)) + L"-" +
               harness::window_text(GetDlgItem(d, IDC_PS_ROW_NUMBER0 + 9));
    };
    auto width = [](HWND d) {
        RECT rc;
        GetWindowRect(d, &rc);
        return rc.right - rc.left;
    };
    g_settings.dlg5_short = 1;
    run([&](HWND d) {
        EXPECT_EQ(width(d), 155);
        click(d, IDC_PS_PAGE_BACK);
        EXPECT_EQ(labels(d), L"01-10");
        for (int i = 0; i < 20; ++i) click(d, IDC_PS_PAGE_FORWARD);
        EXPECT_EQ(g_preset_send.page, 190);
        EXPECT_EQ(labels(d), L"191-200");
        click(d, IDC_PS_NARROW_FORM);
        EXPECT_EQ(width(d), g_preset_send.full_width);
        EXPECT_GT(width(d), 200);
        EXPECT_EQ(g_settings.dlg5_short, 0);
        click(d, IDC_PS_NARROW_FORM);
        EXPECT_EQ(width(d), 150);
        EXPECT_EQ(g_settings.dlg5_short, 1);
    });
}

TEST_F(PresetSend, ARowSendsItsPresetToThePeerAndIntoTheHistory) {
    harness::write_utf16_file(mdata(), L"'zero'\r\n41\"b\"0D0A\r\n");
    loopback::Socket peer = open_tip_client();
    clear_send_history();
    run([&](HWND d) {
        harness::pump_messages(2);
        // The text of a one-wide character stands at the left edge of its cell.
        const input_test::Picture p = input_test::capture_client(d);
        const RECT cell = input_test::text_cell(0, 42 + g_metrics.half_band);
        EXPECT_TRUE(input_test::shows(p, cell,
                                      input_test::expected_cell(cell, slot_colour(kSlotAscBack2), L"A", cell.left, cell.top)));
        EXPECT_TRUE(input_test::shows_value(p, 3, 42 + g_metrics.half_band, L"0A"));

        click(d, IDC_PS_SEND_ROW0 + 1);
        EXPECT_EQ(loopback::receive(peer.s), "Ab\r\n");
        harness::double_click(d, IDC_PS_SEND_ROW0 + 1); // a quick second click sends again
        std::string got;
        while (got.size() < 8 && got.find('<') == std::string::npos) got += loopback::receive(peer.s);
        EXPECT_EQ(got, "Ab\r\nAb\r\n");
        click(d, IDC_PS_SEND_ROW0 + 2); // an empty row sends nothing
    });
    EXPECT_EQ(loopback::packets(loopback::records(), kSentByte), std::vector<std::string>(3, "Ab\r\n"));
    EXPECT_EQ(chars_of(g_history.places[1]), L"Ab\r\n");
    EXPECT_EQ(g_history.places[0].length, 0);
}

TEST_F(PresetSend, AServerWithNoPeerRefusesTheSend) {
    harness::write_utf16_file(mdata(), L"41\r\n");
    open_server(false);
    const int before = traffic_state().write_index;
    run([](HWND d) { click(d, IDC_PS_SEND_ROW0); });
    EXPECT_EQ(take_boxes(), std::vector<std::wstring>{std::wstring(text_entry(33)) + L"|" + text_entry(32)});
    EXPECT_EQ(traffic_state().write_index, before);
}

} // namespace
