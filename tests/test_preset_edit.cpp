// The preset edit dialog through its real template: filing typed strings, selecting, moving
// and deleting list entries, and the files it saves and loads, read back by the preset send
// dialog.
#include "harness.h"
#include "support_input.h"

#include "app/app_state.h"
#include "app/text_table.h"
#include "res/resource.h"
#include "send/entry_editor.h"
#include "send/preset_edit_dialog.h"
#include "send/preset_send_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using harness::click;

std::wstring chars_of(const Entry& e) { return std::wstring(e.chars, e.length); }

// The first `n` places of the edit list, "-" for an empty one.
std::wstring places(int n) {
    std::wstring out;
    for (int k = 0; k < n; ++k) out += (g_edit_list.places[k].length ? chars_of(g_edit_list.places[k]) : L"-") + L" ";
    return out;
}

class PresetEdit : public ::testing::Test {
protected:
    void SetUp() override {
        main = input_test::open_main_window(dir.path());
        ASSERT_NE(main, nullptr);
        clear_edit_list();
    }
    void TearDown() override {
        harness::destroy_main_window(main);
        harness::restore_seams();
    }
    void run(const std::function<void(HWND)>& drive) {
        EXPECT_TRUE(harness::drive_modal([&] { run_preset_edit_dialog(main); },
                                         [&](HWND d) {
                                             drive(d);
                                             if (IsWindow(d)) click(d, IDC_PE_CLOSE);
                                         }));
    }
    static void assemble(HWND d, const std::wstring& typed) {
        click(d, IDC_PE_CLEAR);
        input_test::release_keys(GetDlgItem(d, IDC_EDIT_CAPTURE), typed);
        click(d, IDC_PE_ASSEMBLE);
    }
    static std::wstring labels(HWND d) {
        std::wstring out;
        for (int r = 0; r < 4; ++r) out += harness::window_text(GetDlgItem(d, IDC_PE_ROW0 + r)) + L" ";
        return out;
    }
    harness::TempStartDir dir;
    HWND main = nullptr;
};

TEST_F(PresetEdit, AssembleFilesEachStringOnceAtTheTop) {
    run([&](HWND d) {
        EXPECT_EQ(harness::window_text(d), text_entry(183));
        EXPECT_EQ(harness::window_text(GetDlgItem(d, IDC_PE_ASSEMBLE)), text_entry(190));
        assemble(d, L"ABC");
        assemble(d, L"ABC");
        EXPECT_EQ(places(2), L"ABC - ");
        assemble(d, L"ABCD");
        assemble(d, L"AB"); // the beginning of a stored string is a string of its own
        EXPECT_EQ(places(4), L"AB ABCD ABC - ");
        assemble(d, L"");
        EXPECT_EQ(places(4), L"AB ABCD ABC - ");
        click(d, IDC_ENTRY_HEX);
        assemble(d, L"410042");
        EXPECT_EQ(chars_of(g_edit_list.places[0]), std::wstring(L"A\0B", 3));
    });
    // A character past 0xFF is filed as the byte that would be sent for it.
    if (GetACP() == 1252) {
        assemble_entry(L"\x20AC", 1);
        EXPECT_EQ(chars_of(g_edit_list.places[0]), L"\x80");
    }
    // A full list drops its last place.
    for (int i = 0; i < 205; ++i) {
        std::wstring s = L"s" + std::to_wstring(i);
        assemble_entry(s.c_str(), static_cast<int>(s.size()));
    }
    EXPECT_EQ(chars_of(g_edit_list.places[0]), L"s204");
    EXPECT_EQ(chars_of(g_edit_list.places[199]), L"s5");
}

TEST_F(PresetEdit, TheSelectionMovesAndDeletesEntries) {
    for (const wchar_t* s : {L"e", L"d", L"c", L"b", L"a"}) assemble_entry(s, 1);
    run([&](HWND d) {
        click(d, IDC_PE_MOVE_UP); // nothing selected: nothing moves
        click(d, IDC_PE_ROW0 + 2);
        EXPECT_EQ(g_preset_edit.selection, 2);
        EXPECT_EQ(labels(d), L"01 02 <03> 04 ");
        click(d, IDC_PE_ROW0 + 2);
        EXPECT_EQ(g_preset_edit.selection, kNoSelection);
        EXPECT_EQ(labels(d), L"01 02 03 04 ");

        click(d, IDC_PE_ROW0 + 2);
        click(d, IDC_PE_MOVE_UP);
        EXPECT_EQ(places(5), L"a c b d e ");
        EXPECT_EQ(g_preset_edit.selection, kNoSelection);
        click(d, IDC_PE_MOVE_UP); // a move needs a new selection
        EXPECT_EQ(places(5), L"a c b d e ");
        click(d, IDC_PE_ROW0);
        click(d, IDC_PE_MOVE_UP); // place 0 goes no higher and stays selected
        EXPECT_EQ(places(5), L"a c b d e ");
        EXPECT_EQ(g_preset_edit.selection, 0);
        click(d, IDC_PE_ROW0);

        // Paging keeps the selection; its marker shows while its row is on the page.
        click(d, IDC_PE_ROW0 + 3);
        click(d, IDC_PE_PAGE_FORWARD);
        EXPECT_EQ(labels(d), L"11 12 13 14 ");
        harness::double_click(d, IDC_PE_PAGE_FORWARD); // both clicks turn a page
        EXPECT_EQ(g_preset_edit.page, 30);
        for (int i = 0; i < 20; ++i) click(d, IDC_PE_PAGE_FORWARD);
        EXPECT_EQ(g_preset_edit.page, 190);
        click(d, IDC_PE_PAGE_BACK);
        for (int i = 0; i < 20; ++i) click(d, IDC_PE_PAGE_BACK);
        EXPECT_EQ(labels(d), L"01 02 03 <04> ");
        click(d, IDC_PE_MOVE_DOWN);
        EXPECT_EQ(places(5), L"a c b e d ");

        click(d, IDC_PE_ROW0 + 1);
        harness::queue_box_answer(IDNO);
        click(d, IDC_PE_DELETE);
        EXPECT_EQ(places(5), L"a c b e d ");
        click(d, IDC_PE_DELETE);
        EXPECT_EQ(places(5), L"a b e d - ");
        EXPECT_EQ(labels(d), L"01 02 03 04 ");
        click(d, IDC_PE_DELETE); // nothing selected any more
        EXPECT_EQ(harness::shown_boxes().size(), 2u);

        for (int i = 0; i < 19; ++i) click(d, IDC_PE_PAGE_FORWARD);
        click(d, IDC_PE_ROW0 + 9); // place 199 goes no lower
        click(d, IDC_PE_MOVE_DOWN);
        EXPECT_EQ(g_preset_edit.selection, 199);

        click(d, IDC_PE_DELETE_ALL);
        EXPECT_EQ(places(1), L"- ");
        EXPECT_EQ(g_preset_edit.selection, kNoSelection);
    });
    auto boxes = harness::shown_boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[2].text, text_entry(36));
    EXPECT_EQ(boxes[2].caption, L"Tarvik");
}

TEST_F(PresetEdit, ASavedListLoadsBackWithItsEmptyPlacesAndFeedsThePresetSendDialog) {
    for (const wchar_t* s : {L"5", L"4", L"", L"3", L"2", L"1"}) assemble_entry(s, static_cast<int>(wcslen(s)));
    entry_empty(&g_edit_list.places[2]);
    assemble_entry(std::wstring(L"A\0B", 3).c_str(), 3);
    const std::wstring before = places(8);
    EXPECT_EQ(before, std::wstring(L"A\0B", 3) + L" 1 2 - 4 5 - - ");
    harness::queue_file_answer(dir.file(L"mdata"));
    run([&](HWND d) { click(d, IDC_PE_SAVE); });
    // Every entry, the one after the empty place too; the list ends with the last filled place.
    std::vector<uint8_t> expected = {0xFF, 0xFE};
    for (wchar_t c : std::wstring(L"410042\r\n31\r\n32\r\n\r\n34\r\n35\r\n")) {
        expected.push_back(static_cast<uint8_t>(c));
        expected.push_back(0);
    }
    EXPECT_EQ(harness::read_file(dir.file(L"mdata.txt")), expected);

    clear_edit_list();
    g_edit_list.places[7].length = 1; // replaced by the load
    harness::queue_file_answer(dir.file(L"mdata.txt"));
    run([&](HWND d) { click(d, IDC_PE_LOAD); });
    EXPECT_EQ(places(8), before);

    bool shown = false;
    EXPECT_TRUE(harness::drive_modal([&] { SendMessageW(main, WM_COMMAND, IDT_PRESET_SEND, 0); },
                                     [&](HWND d) {
                                         shown = true;
                                         click(d, IDC_PS_CLOSE);
                                     }));
    EXPECT_TRUE(shown);
    for (int k = 0; k < kPresetPlaces; ++k)
        EXPECT_EQ(chars_of(g_presets.places[k]), chars_of(g_edit_list.places[k])) << k;
    EXPECT_TRUE(harness::shown_boxes().empty());
}

TEST_F(PresetEdit, BothDialogsOpenByTheirCommandsOnceAtATime) {
    harness::write_utf16_file(dir.file(L"mdata.txt"), L"");
    struct {
        int menu, toolbar, title;
        int* guard;
    } dialogs[] = {
        {IDM_PRESET_SEND, IDT_PRESET_SEND, 70, &g_app.preset_send_open},
        {IDM_PRESET_EDIT, IDT_PRESET_EDIT, 183, &g_app.preset_edit_open},
    };
    for (const auto& k : dialogs) {
        for (int id : {k.menu, k.toolbar}) {
            std::wstring title;
            EXPECT_TRUE(harness::drive_modal([&] { SendMessageW(main, WM_COMMAND, id, 0); },
                                             [&](HWND d) {
                                                 title = harness::window_text(d);
                                                 EXPECT_EQ(*k.guard, 1);
                                                 SendMessageW(d, WM_CLOSE, 0, 0);
                                             }));
            EXPECT_EQ(title, text_entry(k.title));
            EXPECT_EQ(*k.guard, 0);
        }
        *k.guard = 1;
        EXPECT_FALSE(harness::drive_modal([&] { SendMessageW(main, WM_COMMAND, k.menu, 0); },
                                          [](HWND d) { EndDialog(d, 0); }, 300));
        *k.guard = 0;
    }
}

} // namespace
