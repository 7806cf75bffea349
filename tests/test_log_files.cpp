// Log files: exact bytes, loading, the file chooser's name rules, refusing bad files,
// and the scratch text file.
#include "app/app_state.h"
#include "app/settings.h"
#include "comm/traffic_buffer.h"
#include "harness.h"
#include "view/log_files.h"
#include "view/log_format.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class LogFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        harness::install_seams();
        g_settings = Settings();
        take_start_directory();
        ASSERT_TRUE(traffic_allocate());
        traffic_reset();
    }
    void TearDown() override {
        traffic_free();
        harness::restore_seams();
    }
    void record_six() {
        const uint8_t bytes[3] = {0x41, 0x0D, 0xFF};
        traffic_append(kReceivedByte, bytes, 3);
    }
    std::vector<uint8_t> header_of(int count) {
        uint8_t h[kLogHeaderBytes];
        format_log_header(count, h);
        return {h, h + kLogHeaderBytes};
    }
    harness::TempStartDir dir;
};

TEST_F(LogFilesTest, SixRecordsGiveTheExact80ByteFile) {
    record_six();
    harness::queue_file_answer(dir.file(L"six.log"));
    save_log(nullptr);

    std::vector<uint8_t> file = harness::read_file(dir.file(L"six.log"));
    ASSERT_EQ(file.size(), 80u);
    std::string digits = "000000000000006\r";
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(file[2 * i], static_cast<uint8_t>(digits[i])) << i;
        EXPECT_EQ(file[2 * i + 1], 0) << i;
    }
    EXPECT_EQ(file[32], kReceivedByte);
    EXPECT_EQ(file[34], 0x41);
    EXPECT_EQ(file[32 + 8 * 2 + 2], 0xFF);
    EXPECT_EQ(file[32 + 8 * 3], kGapMark);
    EXPECT_EQ(file[32 + 8 * 3 + 2], 't');

    auto calls = harness::file_dialog_calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].save);
    EXPECT_EQ(calls[0].initial_file, dir.file(L"Temp1.log"));
    EXPECT_EQ(calls[0].flags, 0x1400u);
}

TEST_F(LogFilesTest, LoadSetsTheWriteIndexAndRecords) {
    record_six();
    harness::queue_file_answer(dir.file(L"six.log"));
    save_log(nullptr);
    traffic_reset();
    const uint8_t other[10] = {};
    traffic_append(kSentByte, other, 10);

    harness::queue_file_answer(dir.file(L"six.log"));
    load_log(nullptr);
    EXPECT_EQ(traffic_state().write_index, 6);
    EXPECT_EQ(g_traffic.records[1].value, 0x0D);
    EXPECT_EQ(g_traffic.records[1].kind, kReceivedByte);
    EXPECT_TRUE(harness::shown_boxes().empty());
}

TEST_F(LogFilesTest, EmptyBufferIsNotSaved) {
    save_log(nullptr);
    auto boxes = harness::shown_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"CreateFile");
    EXPECT_TRUE(harness::file_dialog_calls().empty());
}

TEST_F(LogFilesTest, CountsTheBufferCannotHoldAreRefused) {
    record_six();
    for (int count : {-1, kTrafficCapacity + 1, 999999999}) {
        std::vector<uint8_t> bytes = header_of(count);
        bytes.resize(bytes.size() + 64, 0x22);
        harness::write_file(dir.file(L"bad.log"), bytes);
        harness::clear_shown_boxes();
        harness::queue_file_answer(dir.file(L"bad.log"));
        load_log(nullptr);
        EXPECT_EQ(traffic_state().write_index, 6) << count;
        EXPECT_EQ(g_traffic.records[0].value, 0x41) << count;
        auto boxes = harness::shown_boxes();
        ASSERT_EQ(boxes.size(), 1u) << count;
        EXPECT_EQ(boxes[0].caption, L"CreateFile");
    }
}

TEST_F(LogFilesTest, AShortFileGivesTheWholeRecordsItHolds) {
    std::vector<uint8_t> bytes = header_of(10);
    for (int i = 0; i < 3 * 8 + 5; ++i) bytes.push_back(static_cast<uint8_t>(i)); // 3 records and a piece
    harness::write_file(dir.file(L"short.log"), bytes);
    harness::queue_file_answer(dir.file(L"short.log"));
    load_log(nullptr);
    EXPECT_EQ(traffic_state().write_index, 3);
    EXPECT_EQ(g_traffic.records[2].kind, 16);
}

TEST_F(LogFilesTest, HeaderParsing) {
    auto parse = [](const std::wstring& text) {
        uint8_t h[kLogHeaderBytes] = {};
        for (size_t i = 0; i < text.size() && i < 16; ++i) h[2 * i] = static_cast<uint8_t>(text[i]);
        return parse_log_header(h);
    };
    EXPECT_EQ(parse(L"000000000000006\r"), 6);
    EXPECT_EQ(parse(L"  -12\r"), -12);
    EXPECT_EQ(parse(L"+42x"), 42);
    EXPECT_EQ(parse(L"abc"), 0);
    EXPECT_GT(parse(L"999999999999999\r"), kTrafficCapacity);
}

TEST_F(LogFilesTest, ChosenNamesGetTheModesExtension) {
    struct Case {
        const wchar_t* chosen;
        const wchar_t* expected;
    } cases[] = {
        {L"C:\\logs\\run", L"C:\\logs\\run.log"},
        {L"C:\\logs\\run.txt", L"C:\\logs\\run.log"},
        {L"C:\\logs\\run.LOG", L"C:\\logs\\run.LOG"},
        {L"C:\\my.logs\\run", L"C:\\my.logs\\run.log"},
        {L"C:\\my.logs\\a.b.c", L"C:\\my.logs\\a.b.log"},
    };
    for (const Case& c : cases) {
        harness::queue_file_answer(c.chosen);
        wchar_t name[kPathChars] = L"Temp1.log";
        ASSERT_TRUE(choose_file(name, kChooseOpenLog, nullptr));
        EXPECT_STREQ(name, c.expected);
    }
    harness::queue_file_answer(L"C:\\notes\\macro");
    wchar_t text_name[kPathChars] = L"";
    ASSERT_TRUE(choose_file(text_name, kChooseOpenText, nullptr));
    EXPECT_STREQ(text_name, L"C:\\notes\\macro.txt");
}

TEST_F(LogFilesTest, ProposedNamesAndCancel) {
    wchar_t name[kPathChars] = L"nodot";
    EXPECT_FALSE(choose_file(name, kChooseOpenText, nullptr)); // cancelled
    EXPECT_STREQ(name, L"Temp1.txt");
    wchar_t full[kPathChars] = L"D:\\x\\given.log";
    EXPECT_FALSE(choose_file(full, kChooseSaveLog, nullptr));
    auto calls = harness::file_dialog_calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].initial_file, dir.file(L"Temp1.txt"));
    EXPECT_FALSE(calls[0].save);
    EXPECT_EQ(calls[1].initial_file, L"D:\\x\\given.log");
    EXPECT_TRUE(calls[1].save);
}

TEST_F(LogFilesTest, ExtensionThatWouldOverflowIsRefused) {
    std::wstring long_path = L"C:\\" + std::wstring(254, L'a'); // 257 characters; ".log" makes 261
    harness::queue_file_answer(long_path);
    wchar_t name[kPathChars] = L"Temp1.log";
    EXPECT_FALSE(choose_file(name, kChooseOpenLog, nullptr));
    EXPECT_STREQ(name, L"Temp1.log");
    EXPECT_EQ(harness::shown_boxes().size(), 1u);
}

TEST_F(LogFilesTest, ScratchFileIsMadeOnceAndThenLeftAlone) {
    ensure_scratch_file(nullptr);
    std::vector<uint8_t> bom = {0xFF, 0xFE};
    EXPECT_EQ(harness::read_file(dir.file(L"temp.txt")), bom);
    std::vector<uint8_t> mine = {0xFF, 0xFE, 'h', 0, 'i', 0};
    harness::write_file(dir.file(L"temp.txt"), mine);
    ensure_scratch_file(nullptr);
    EXPECT_EQ(harness::read_file(dir.file(L"temp.txt")), mine);
    EXPECT_TRUE(harness::shown_boxes().empty());
}

} // namespace
