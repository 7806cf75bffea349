// Preset lines and the byte-wise text of macro steps.
#include "send/entry_text.h"
#include "send/preset_text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring parsed(const std::wstring& line) {
    wchar_t out[kEntryChars + 1] = {};
    int n = parse_preset_line(line.data(), static_cast<int>(line.size()), out);
    return std::wstring(out, n);
}

TEST(PresetLine, PairsAndQuotedText) {
    struct {
        std::wstring line;
        std::wstring chars;
    } cases[] = {
        {L"414243", L"ABC"},
        {L"0D0A", L"\r\n"},
        {L"41\"ok\"42", L"AokB"},
        {L"'say \"hi\"'", L"say hi"},             // a double quote inside single quotes is dropped
        {L"\"it's\"", L"its"},                    // and a single one inside double quotes
        {L"4\"X\"1", L"XA"},                      // quoted text does not break a pair
        {L"41 42", std::wstring{0x41, 0x04}},     // the space is a pair unit; the last 2 is dropped
        {L"-1+F", std::wstring{0xFFFF, 0x0F}},    // a sign counts, and the value keeps 16 bits
        {L"G7 7", std::wstring{0x00, 0x07}},      // no digit first gives 0; white space leads
        {L"\"\x3042\xD800\"", L"\x3042\xD800"},  // quoted units are taken as they stand
        {L"\"open", L"open"},                     // an unclosed quote runs to the end
        {L"", L""},
    };
    for (const auto& k : cases) EXPECT_EQ(parsed(k.line), k.chars) << std::string(k.line.begin(), k.line.end());
}

struct MacroResult {
    int result;
    int count;
    std::vector<uint8_t> bytes;
};

MacroResult macro_bytes(const std::wstring& text, int room = 64) {
    std::vector<uint8_t> out(static_cast<size_t>(room) + 8, 0xEE);
    MacroResult r{0, -7, {}};
    r.result = macro_text_to_bytes(text.c_str(), out.data(), room, &r.count);
    for (int i = room; i < room + 8; ++i) EXPECT_EQ(out[static_cast<size_t>(i)], 0xEE) << "written past the room";
    if (r.result == 0) r.bytes.assign(out.begin(), out.begin() + r.count);
    for (int i = r.result == 0 ? r.count : 0; i < room; ++i) EXPECT_EQ(out[static_cast<size_t>(i)], 0) << "not cleared";
    return r;
}

using Bytes = std::vector<uint8_t>;

TEST(MacroText, ByteWalk) {
    struct {
        std::wstring text;
        Bytes bytes;
    } cases[] = {
        {L"41\"B\"42", {0x41, 0x42, 0x42}},
        {L"'a\"b'", {'a', '"', 'b'}},          // the other quote kind is text here
        {L"\"it's\"", {'i', 't', '\'', 's'}},
        {L"4\"X\"1", {0x04, 0x00}},            // outside quotes the next byte always joins the pair
        {L"414", {0x41}},                      // a last single byte is dropped
        {L"-1 F", {0xFF, 0x0F}},               // low 8 bits of the standard conversion
        {L"0D0A\"\"", {0x0D, 0x0A}},
    };
    for (const auto& k : cases) {
        MacroResult r = macro_bytes(k.text);
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.bytes, k.bytes) << std::string(k.text.begin(), k.text.end());
    }
    MacroResult empty = macro_bytes(L"");
    EXPECT_EQ(empty.result, 0);
    EXPECT_EQ(empty.count, 0);
}

TEST(MacroText, ReadsAtMost257CharactersAndWritesWithinTheRoom) {
    EXPECT_EQ(macro_bytes(L"\"" + std::wstring(400, L'z'), 300).count, 256); // the quote and 256 characters
    EXPECT_EQ(macro_bytes(L"\"abcdef\"", 3).bytes, (Bytes{'a', 'b', 'c'}));
}

TEST(MacroText, UsesTheThreadCodePageAndRefusesWhatDoesNotConvert) {
    const LCID before = GetThreadLocale();
    // A lone surrogate has no form in any code page.
    MacroResult lone = macro_bytes(L"'a\xD800'");
    EXPECT_EQ(lone.result, 1);
    EXPECT_EQ(lone.count, -7); // left as it was

    // Fullwidth A has only a best fit in code page 1252, but a form of its own in 932.
    ASSERT_TRUE(SetThreadLocale(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT)));
    EXPECT_EQ(macro_bytes(L"'\xFF21'").result, 1);
    MacroResult euro = macro_bytes(L"'\x20AC'");
    EXPECT_EQ(euro.bytes, (Bytes{0x80}));
    ASSERT_TRUE(SetThreadLocale(MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), SORT_DEFAULT)));
    MacroResult wide = macro_bytes(L"'\xFF21'");
    EXPECT_EQ(wide.result, 0);
    EXPECT_EQ(wide.bytes, (Bytes{0x82, 0x60}));
    SetThreadLocale(before);
}

} // namespace
