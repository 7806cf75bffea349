// The settings file: defaults, round trip, untouched neighbours, encoding.
#include "app/app_state.h"
#include "app/settings.h"
#include "harness.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring read_text(const std::wstring& path) {
    std::vector<uint8_t> bytes = harness::read_file(path);
    std::wstring text;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) text += static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
    } else {
        for (uint8_t b : bytes) text += static_cast<wchar_t>(b);
    }
    return text;
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_settings = Settings();
        take_start_directory();
    }
    harness::TempStartDir dir;
};

TEST_F(SettingsTest, FirstStartUsesDefaultsAndWritesAll23Keys) {
    g_settings.port_no = 4; // whatever is in memory is replaced by what the file (or its absence) says
    load_settings();
    const Settings d;
    EXPECT_EQ(g_settings.wsa_ver, 3);
    EXPECT_EQ(g_settings.port_no, 1050);
    EXPECT_EQ(g_settings.ip_no1, 192);
    EXPECT_EQ(g_settings.ip_no4, 1);
    EXPECT_EQ(g_settings.aip_no4, 99);
    EXPECT_EQ(g_settings.scrol_pitch, 2);
    EXPECT_EQ(g_settings.pl_time, 300);
    EXPECT_EQ(g_settings.moji_type, 0);
    EXPECT_EQ(g_settings.macro_filename[0], 0);

    save_settings();
    std::wstring text = read_text(dir.file(L"Tarvik.ini"));
    const wchar_t* expected[] = {L"wsa_ver=3",     L"ip_mode=0",      L"tipudp_mode=0",  L"bind_mode=0",
                                 L"port_no=1050",  L"ip_no1=192",     L"ip_no2=168",     L"ip_no3=0",
                                 L"ip_no4=1",      L"aport_no=1050",  L"aip_no1=192",    L"aip_no2=168",
                                 L"aip_no3=0",     L"aip_no4=99",     L"scrol_pitch=2",  L"hexasc_komoji=0",
                                 L"auto_foucs_OFF=0", L"pl_time=300", L"moji_type=0",    L"macro_filename=",
                                 L"dlg4_short=0",  L"dlg5_short=0",   L"pw_mode=0"};
    size_t at = text.find(L"[Tarvik]");
    ASSERT_NE(at, std::wstring::npos);
    for (const wchar_t* line : expected) {
        size_t found = text.find(line, at);
        ASSERT_NE(found, std::wstring::npos) << "missing or out of order: " << std::string(line, line + wcslen(line));
        at = found;
    }
}

TEST_F(SettingsTest, ValuesAreKeptAsReadWithoutClamping) {
    harness::write_file(dir.file(L"Tarvik.ini"),
                        {'[', 'T', 'a', 'r', 'v', 'i', 'k', ']', '\r', '\n'});
    std::string body = "moji_type=7\r\npl_time=50\r\nport_no=-1\r\nip_no1=300\r\nscrol_pitch=abc\r\n";
    std::vector<uint8_t> bytes = harness::read_file(dir.file(L"Tarvik.ini"));
    bytes.insert(bytes.end(), body.begin(), body.end());
    harness::write_file(dir.file(L"Tarvik.ini"), bytes);

    load_settings();
    EXPECT_EQ(g_settings.moji_type, 7);
    EXPECT_EQ(g_settings.pl_time, 50);
    EXPECT_EQ(g_settings.port_no, -1);
    EXPECT_EQ(g_settings.ip_no1, 300);
    EXPECT_EQ(g_settings.scrol_pitch, 0);
    save_settings();
    std::wstring text = read_text(dir.file(L"Tarvik.ini"));
    EXPECT_NE(text.find(L"moji_type=7"), std::wstring::npos);
    EXPECT_NE(text.find(L"pl_time=50"), std::wstring::npos);
    EXPECT_NE(text.find(L"port_no=-1"), std::wstring::npos);
}

TEST_F(SettingsTest, ShortMacroFileNameIsDroppedLongOneKept) {
    harness::write_utf16_file(dir.file(L"Tarvik.ini"), L"[Tarvik]\r\nmacro_filename=ab\r\n");
    load_settings();
    EXPECT_STREQ(g_settings.macro_filename, L"");
    save_settings();
    EXPECT_NE(read_text(dir.file(L"Tarvik.ini")).find(L"macro_filename=\r\n"), std::wstring::npos);

    harness::write_utf16_file(dir.file(L"Tarvik.ini"), L"[Tarvik]\r\nmacro_filename=abc\r\n");
    load_settings();
    EXPECT_STREQ(g_settings.macro_filename, L"abc");
}

TEST_F(SettingsTest, OtherLinesAndSectionsOfAnAnsiFileStay) {
    std::string original =
        "; my notes\r\n[Other]\r\nkeep=1\r\n[Tarvik]\r\nport_no=2000\r\nmine=xyz\r\n[Last]\r\nz=9\r\n";
    harness::write_file(dir.file(L"Tarvik.ini"), std::vector<uint8_t>(original.begin(), original.end()));
    load_settings();
    EXPECT_EQ(g_settings.port_no, 2000);
    g_settings.port_no = 2001;
    save_settings();
    std::vector<uint8_t> bytes = harness::read_file(dir.file(L"Tarvik.ini"));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_FALSE(bytes[0] == 0xFF && bytes[1] == 0xFE) << "an ANSI file stays ANSI";
    std::wstring text = read_text(dir.file(L"Tarvik.ini"));
    for (const wchar_t* line : {L"; my notes", L"[Other]", L"keep=1", L"mine=xyz", L"[Last]", L"z=9", L"port_no=2001"})
        EXPECT_NE(text.find(line), std::wstring::npos);
    EXPECT_EQ(text.find(L"port_no=2000"), std::wstring::npos);
}

TEST_F(SettingsTest, NonAsciiMacroFileNameSurvivesARestart) {
    wcscpy(g_settings.macro_filename, L"C:\\マクロ\\테스트_宏.txt");
    save_settings();
    std::vector<uint8_t> bytes = harness::read_file(dir.file(L"Tarvik.ini"));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    g_settings = Settings();
    load_settings();
    EXPECT_STREQ(g_settings.macro_filename, L"C:\\マクロ\\테스트_宏.txt");
}

TEST_F(SettingsTest, WrittenIntoTheStartDirectoryAfterTheCurrentOneMoved) {
    harness::TempStartDir elsewhere; // becomes current
    save_settings();
    EXPECT_TRUE(harness::file_exists(dir.file(L"Tarvik.ini")));
    EXPECT_FALSE(harness::file_exists(elsewhere.file(L"Tarvik.ini")));
}

} // namespace
