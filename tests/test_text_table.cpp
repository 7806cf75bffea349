// The text table: loading, lookup by language, message boxes, the language dialog, and
// the shipped table's completeness.
#include "app/app_state.h"
#include "app/language_dialog.h"
#include "app/settings.h"
#include "app/text_table.h"
#include "harness.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

class TextTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        harness::install_seams();
        g_settings = Settings();
        take_start_directory();
    }
    void TearDown() override { harness::restore_seams(); }
    void write_table(const std::wstring& body) {
        harness::write_utf16_file(dir.file(L"Tarvik_char2.ini"), L"[Tarvik]\r\n" + body);
        load_text_table();
    }
    std::wstring lookup(int n) {
        wchar_t text[kTextChars];
        wmemset(text, L'#', kTextChars); // what was there before must not show through
        text_table_lookup(n, text);
        return text;
    }
    harness::TempStartDir dir;
};

TEST_F(TextTableTest, LoadsFourLanguagesAndCutsAt63) {
    std::wstring long_text(70, L'x');
    write_table(L"No.0:comt-j=日本語\r\nNo.0:comt-e=English\r\nNo.0:comt-k=한국어\r\nNo.0:comt-c=中文\r\n"
                L"No.7:comt-e=" + long_text + L"\r\n"
                L"No.299:comt-c=last\r\nNo.300:comt-c=beyond\r\nNo.-1:comt-e=negative\r\n");
    const wchar_t* expected[] = {L"日本語", L"English", L"한국어", L"中文"};
    for (int lang = 0; lang < 4; ++lang) {
        g_settings.moji_type = lang;
        EXPECT_EQ(lookup(0), expected[lang]);
    }
    g_settings.moji_type = 1;
    EXPECT_EQ(lookup(7), std::wstring(63, L'x'));
    EXPECT_EQ(lookup(1), L"");
    g_settings.moji_type = 3;
    EXPECT_EQ(lookup(299), L"last");
    EXPECT_EQ(lookup(300), L""); // not in the table
    EXPECT_EQ(lookup(-1), L"");
}

TEST_F(TextTableTest, UnknownLanguageAndMissingFileGiveEmptyTexts) {
    write_table(L"No.5:comt-j=消去しますか\r\nNo.5:comt-e=Clear?\r\n");
    for (int code : {7, -1, 4}) {
        g_settings.moji_type = code;
        EXPECT_EQ(lookup(5), L"") << code;
        EXPECT_STREQ(text_entry(5), L"") << code;
    }
    DeleteFileW(dir.file(L"Tarvik_char2.ini").c_str());
    load_text_table();
    g_settings.moji_type = 1;
    EXPECT_EQ(lookup(5), L"");
}

TEST_F(TextTableTest, MessageBoxModes) {
    write_table(L"No.5:comt-e=Clear the buffer?\r\nNo.12:comt-e=Nothing to save.\r\n");
    g_settings.moji_type = 1;
    EXPECT_EQ(text_message_box(12, nullptr, 0, L"CreateFile"), 0);
    harness::queue_box_answer(IDNO);
    EXPECT_EQ(text_message_box(5, nullptr, 1, L"Tarvik"), IDNO);
    EXPECT_EQ(text_message_box(5, nullptr, 1, L"Tarvik"), IDYES);
    EXPECT_EQ(text_message_box(5, nullptr, 2, L"Tarvik"), 0);
    auto boxes = harness::shown_boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, L"Nothing to save.");
    EXPECT_EQ(boxes[0].caption, L"CreateFile");
    EXPECT_EQ(boxes[0].type & 0xF, static_cast<UINT>(MB_OK));
    EXPECT_EQ(boxes[1].text, L"Clear the buffer?");
    EXPECT_EQ(boxes[1].type & 0xF, static_cast<UINT>(MB_YESNO));
}

class LanguageDialogTest : public TextTableTest {
protected:
    // Runs the real dialog; `drive` acts in it and must end it.
    INT_PTR run(const std::function<void(HWND)>& drive) {
        INT_PTR result = -1;
        EXPECT_TRUE(harness::drive_modal([&] { result = run_language_dialog(nullptr); }, drive));
        return result;
    }
};

TEST_F(LanguageDialogTest, ExactNamesPickTheirLanguage) {
    g_settings.moji_type = 1;
    std::wstring shown;
    EXPECT_EQ(run([&](HWND d) {
                  shown = harness::window_text(GetDlgItem(d, IDC_LANG_NAME));
                  EXPECT_EQ(SendDlgItemMessageW(d, IDC_LANG_NAME, CB_GETCOUNT, 0, 0), 4);
                  harness::type_text(d, IDC_LANG_NAME, L"Korean");
                  harness::click(d, IDC_LANG_OK);
              }),
              IDC_LANG_OK);
    EXPECT_EQ(shown, L"English");
    EXPECT_EQ(g_settings.moji_type, 2);

    run([](HWND d) {
        harness::type_text(d, IDC_LANG_NAME, L"english");
        harness::click(d, IDC_LANG_OK);
    });
    EXPECT_EQ(g_settings.moji_type, 0);

    g_settings.moji_type = 3;
    run([](HWND d) {
        SendDlgItemMessageW(d, IDC_LANG_NAME, CB_SETCURSEL, 1, 0); // picked from the list
        harness::click(d, IDC_LANG_OK);
    });
    EXPECT_EQ(g_settings.moji_type, 1);
}

TEST_F(LanguageDialogTest, OkUntouchedAndCloseBoxKeepTheLanguage) {
    g_settings.moji_type = 3;
    EXPECT_EQ(run([](HWND d) { harness::click(d, IDC_LANG_OK); }), IDC_LANG_OK);
    EXPECT_EQ(g_settings.moji_type, 3);

    g_settings.moji_type = 2;
    EXPECT_EQ(run([](HWND d) {
                  harness::type_text(d, IDC_LANG_NAME, L"Chinese");
                  SendMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
              }),
              1);
    EXPECT_EQ(g_settings.moji_type, 2);

    g_settings.moji_type = 9; // an unknown code shows an empty name; OK then picks Japanese
    std::wstring shown = L"?";
    run([&](HWND d) {
        shown = harness::window_text(GetDlgItem(d, IDC_LANG_NAME));
        harness::click(d, IDC_LANG_OK);
    });
    EXPECT_EQ(shown, L"");
    EXPECT_EQ(g_settings.moji_type, 0);
}

// ---- the shipped table --------------------------------------------------------------------

std::map<std::wstring, std::wstring> parse_shipped_table(std::wstring* problem) {
    std::vector<uint8_t> bytes = harness::read_file(harness::source_file("data/Tarvik_char2.ini"));
    std::map<std::wstring, std::wstring> values;
    if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE) {
        *problem = L"no UTF-16LE byte-order mark";
        return values;
    }
    std::wstring text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) text += static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
    std::wistringstream lines(text);
    std::wstring line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        size_t eq = line.find(L'=');
        if (line.empty() || line[0] == L'[' || line[0] == L';' || eq == std::wstring::npos) continue;
        values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

// Entry numbers the program uses: the role list in docs, and every literal entry number
// passed to the text table functions in the sources.
std::set<int> used_entries() {
    std::set<int> used;
    std::ifstream doc(std::string(std::getenv("TARVIK_SOURCE_DIR")) + "/docs/text_table.md");
    std::string line;
    std::regex row(R"(^\|\s*(\d+)\s*\|)");
    std::smatch m;
    while (std::getline(doc, line))
        if (std::regex_search(line, m, row)) used.insert(std::stoi(m[1]));
    return used;
}

TEST(ShippedTextTable, EveryUsedEntryHasFourTextsThatFit) {
    std::wstring problem;
    auto values = parse_shipped_table(&problem);
    ASSERT_TRUE(problem.empty());
    std::set<int> used = used_entries();
    ASSERT_GT(used.size(), 100u);
    for (int n : {0, 1, 5, 6, 12, 13, 21, 22, 32, 33, 36, 110, 111, 112, 200, 206, 210, 272}) EXPECT_TRUE(used.count(n)) << n;
    const wchar_t* suffixes[] = {L"comt-j", L"comt-e", L"comt-k", L"comt-c"};
    for (int n : used) {
        for (const wchar_t* suffix : suffixes) {
            std::wstring key = L"No." + std::to_wstring(n) + L":" + suffix;
            auto it = values.find(key);
            ASSERT_NE(it, values.end()) << "missing " << std::string(key.begin(), key.end());
            EXPECT_FALSE(it->second.empty()) << "empty " << std::string(key.begin(), key.end());
            EXPECT_LE(it->second.size(), 63u) << "too long " << std::string(key.begin(), key.end());
        }
    }
}

TEST(ShippedTextTable, SourcesUseOnlyListedEntries) {
    std::set<int> used = used_entries();
    std::string root = std::getenv("TARVIK_SOURCE_DIR");
    // Literal entry numbers handed to the text table functions.
    std::regex call(R"((text_message_box|text_entry|text_table_lookup)\((\d+))");
    std::regex set_text(R"(set_text_from_table\([^,]+,\s*[A-Za-z0-9_]+,\s*(\d+)\))");
    WIN32_FIND_DATAW data;
    for (const char* folder : {"app", "comm", "view", "send", "look", "netcfg"}) {
        std::wstring pattern = harness::source_file(std::string(folder) + "/*.cpp");
        HANDLE find = FindFirstFileW(pattern.c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) continue;
        do {
            std::wstring wname = data.cFileName;
            std::string name(wname.begin(), wname.end());
            std::ifstream file(root + "/" + folder + "/" + name);
            std::stringstream content;
            content << file.rdbuf();
            std::string text = content.str();
            for (const std::regex* r : {&call, &set_text}) {
                for (std::sregex_iterator it(text.begin(), text.end(), *r), end; it != end; ++it) {
                    int n = std::stoi((*it)[it->size() - 1]);
                    EXPECT_TRUE(used.count(n)) << folder << "/" << name << " uses entry " << n
                                               << ", which the text table does not list";
                }
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
}

} // namespace
