// The macro language against a host of the test: sends, messages and the step display are
// recorded, the received block and the tick count are set by the test.
#include "send/macro_engine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Sent {
    int destination;
    std::string bytes;
};

struct FakeHost {
    std::vector<Sent> sent;
    std::vector<int> messages;
    std::u16string step, line;
    uint8_t block[kMacroBlockBytes] = {};
    uint32_t tick = 5000;
    bool lower_hex = false;
    int refreshes = 0;
};

FakeHost& host_of(void* context) { return *static_cast<FakeHost*>(context); }

// Hexadecimal pairs, and text between double quotes taken as it stands: enough of the real
// conversion for the language's own tests. A "?" does not convert.
int fake_text_to_bytes(void*, const char16_t* text, int length, uint8_t* out, int room, int* count) {
    int n = 0;
    bool quoted = false;
    for (int i = 0; i < length; ++i)
        if (text[i] == u'?') return 1;
    for (int i = 0; i < length && n < room; ++i) {
        if (text[i] == u'"') {
            quoted = !quoted;
        } else if (quoted) {
            out[n++] = static_cast<uint8_t>(text[i]);
        } else if (i + 1 < length) {
            char pair[3] = {static_cast<char>(text[i]), static_cast<char>(text[i + 1]), 0};
            out[n++] = static_cast<uint8_t>(std::strtol(pair, nullptr, 16));
            ++i;
        }
    }
    *count = n;
    return 0;
}

MacroHost make_host(FakeHost& h) {
    return MacroHost{
        &h,
        [](void* c, int d, const uint8_t* b, int n) {
            host_of(c).sent.push_back({d, std::string(reinterpret_cast<const char*>(b), static_cast<size_t>(n))});
            return 0;
        },
        fake_text_to_bytes,
        [](void* c) { std::memset(host_of(c).block, 0, kMacroBlockBytes); },
        [](void* c, uint8_t* out) { std::memcpy(out, host_of(c).block, kMacroBlockBytes); },
        [](void* c) { return host_of(c).tick; },
        [](void* c, int entry, const char*) { host_of(c).messages.push_back(entry); },
        [](void* c, const char16_t* step, const char16_t* line, int n) {
            host_of(c).step = step;
            host_of(c).line.assign(line, static_cast<size_t>(n));
        },
        [](void* c) { return host_of(c).lower_hex; },
        [](void* c) { ++host_of(c).refreshes; },
    };
}

// The file: the mark, then the text as little-endian units.
std::vector<uint8_t> file_bytes(const std::u16string& text, bool mark = true) {
    std::vector<uint8_t> bytes;
    if (mark) bytes = {0xFF, 0xFE};
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

std::string reg(const MacroState& s, int r) {
    return std::string(reinterpret_cast<const char*>(s.registers[r].data), static_cast<size_t>(s.registers[r].length));
}

class MacroEngine : public ::testing::Test {
protected:
    void SetUp() override { macro_init(*state); }

    int start(const std::u16string& text) {
        std::vector<uint8_t> bytes = file_bytes(text);
        return macro_start(*state, bytes.data(), static_cast<int>(bytes.size()), host);
    }
    // Steps until the macro ends or waits (at most `limit` ticks); returns the last status.
    MacroStatus run(int limit = 200) {
        MacroStatus s = kMacroNext;
        for (int i = 0; i < limit && s == kMacroNext; ++i) s = macro_step(*state, host);
        return s;
    }

    FakeHost fake;
    MacroHost host = make_host(fake);
    std::unique_ptr<MacroState> state = std::make_unique<MacroState>();
};

TEST_F(MacroEngine, RegisterCommands) {
    const struct {
        const char16_t* text;
        int reg;
        std::string expected;
        bool lower_hex;
    } cases[] = {
        {u"MOVE 01 \"0099\"\r\nMINC 01\r\n", 1, "0100"},
        {u"MOVE 01 \"999\"\r\nMINC 01\r\n", 1, "000"},
        {u"MOVE 01 \"12A\"\r\nMINC 01\r\n", 1, "130"},
        // Bytes 80-FF are no digits: FF carries over like any other non-digit.
        {u"MOVE 01 \"9\"\r\nMOVE 02 FF\r\nMADD 02 01\r\nMINC 02\r\n", 2, "00"},
        {u"MOVE 01 \"09\"\r\nHINC 01\r\n", 1, "0A"},
        {u"MOVE 01 \"0F\"\r\nHINC 01\r\n", 1, "10"},
        {u"MOVE 01 \"FF\"\r\nHINC 01\r\n", 1, "00"},
        {u"MOVE 01 \"1f\"\r\nHINC 01\r\n", 1, "20"},
        {u"MOVE 01 \"0a\"\r\nHINC 01\r\n", 1, "10"},
        {u"MCLR 01\r\nMINC 01\r\nHINC 01\r\n", 1, ""},
        {u"MOVE 01 010203\r\nCHKA 01 02\r\n", 2, "00"},
        {u"MOVE 01 4142\r\nCHKA 01 02\r\n", 2, "03"},
        {u"MOVE 01 0A00\r\nCHKA 01 02\r\n", 2, "0a", true},
        {u"MOVE 01 0A00\r\nCHKA 01 02\r\n", 2, "0A"},
        {u"MOVE 01 4142\r\nCHKH 01 01\r\n", 1, "\x03"},
        {u"MCLR 01\r\nCHKA 01 02\r\n", 2, "00"},
        {u"MCLR 01\r\nCHKH 01 02\r\n", 2, std::string(1, '\0')},
        {u"MOVE 01 \"abc\"\r\nMOVE 02 \"de\"\r\nMADD 01 02\r\n", 1, "abcde"},
        {u"MOVE 01 \"abcdef\"\r\nMMID 01 02 03 07\r\n", 7, "cde"},
        {u"MOVE 01 \"abcdef\"\r\nMMID 01 01 04 01\r\n", 1, "bcde"},
        // Negative fields and register numbers make the line do nothing.
        {u"MOVE 01 \"ab\"\r\nMMID 01 -1 02 02\r\nMMID 01 00 -2 02\r\n", 2, ""},
        {u"MOVE 01 \"ab\"\r\nMCLR -1\r\nMADD -1 01\r\n", 1, "ab"},
        // A text that does not convert changes nothing.
        {u"MOVE 01 \"ab\"\r\nMOVE 01 4?\r\n", 1, "ab"},
        // A field runs to the end of the line, not into the next one.
        {u"MOVE 01 \"a\"\r\nMOVE 01 \r\n41\r\n", 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)));
        macro_init(*state);
        fake = FakeHost{};
        fake.lower_hex = c.lower_hex;
        ASSERT_EQ(start(c.text), 0);
        EXPECT_EQ(run(), kMacroEnded);
        EXPECT_EQ(reg(*state, c.reg), c.expected);
    }
}

TEST_F(MacroEngine, AddingPastTheRegisterEndIsCut) {
    std::u16string text = u"MOVE 01 ";
    text += std::u16string(200, u'A'); // 100 bytes AA
    text += u"\r\nMOVE 02 01\r\nMADD 01 01\r\nMADD 01 01\r\nMADD 02 01\r\n";
    ASSERT_EQ(start(text), 0);
    run();
    EXPECT_EQ(reg(*state, 1), std::string(264, '\xAA'));
    EXPECT_EQ(reg(*state, 2), "\x01" + std::string(263, '\xAA'));
}

TEST_F(MacroEngine, JumpsAndLabels) {
    const struct {
        const char16_t* text;
        std::string result; // register 09 at the end
        int message;
    } cases[] = {
        // An empty register compares equal.
        {u"MOVE 01 41\r\nMCLR 02\r\nCMPM 01 02 AAA\r\nPEND\r\n:AAA\r\nMOVE 09 \"y\"\r\nPEND\r\n", "y", 16},
        {u"MOVE 01 4142\r\nMOVE 02 4143\r\nCMPM 01 02 AAA\r\nMOVE 09 \"n\"\r\nPEND\r\n:AAA\r\nPEND\r\n", "n", 16},
        {u"MOVE 01 4F4B55\r\nCMPL 01 BBB 4F4B\r\nPEND\r\n:BBB rest ignored\r\nMOVE 09 \"y\"\r\nPEND\r\n", "y", 16},
        {u"MOVE 01 4F4B\r\nCMPL 01 BBB 4F4C\r\nPEND\r\n:BBB\r\nMOVE 09 \"y\"\r\nPEND\r\n", "", 16},
        {u"CMPL 01 BBB\r\nPEND\r\n:BBB\r\nMOVE 09 \"y\"\r\nPEND\r\n", "y", 16},
        // A lone LF ends no line: the label line swallows the command after it.
        {u"GOTO CCC\r\nMOVE 09 \"n\"\r\n:CCC\nMOVE 09 \"y\"\r\nPEND\r\n", "", 16},
        {u"GOTO CCC\r\nMOVE 09 \"n\"\r\n:CCC\r\nMOVE 09 \"y\"\r\nPEND\r\n", "y", 16},
        // The search starts at the mark: a label on the first line is never found.
        {u":TOP\r\nMOVE 09 \"n\"\r\nGOTO TOP\r\nPEND\r\n", "n", 15},
        {u"GOTO XYZ\r\nPEND\r\n", "", 15},
        {u"MOVE 09 \"x\"\r\nMINC 09\r\n", "0", 15},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)));
        macro_init(*state);
        fake = FakeHost{};
        ASSERT_EQ(start(c.text), 0);
        EXPECT_EQ(run(), kMacroEnded);
        EXPECT_EQ(reg(*state, 9), c.result);
        EXPECT_EQ(fake.messages, std::vector<int>{c.message});
        EXPECT_FALSE(state->running);
    }
}

TEST_F(MacroEngine, LinesThatSendOrAreSkipped) {
    const struct {
        const char16_t* text;
        std::vector<int> destinations;
        std::string bytes; // all packets together
    } cases[] = {
        {u"SEND1 4142\r\n", {1}, "AB"},
        {u"SEND 4142\r\n", {0}, "AB"},
        {u"SENDx4142\r\n", {8}, "\x14"}, // 'x' & 15; the character after it is skipped
        {u"send 4142\r\nSEND4142\r\n", {4}, "B"},
        {u"MOVE 05 \"hi\"\r\nMSED3 05\r\nMSED 05\r\n", {3, 0}, "hihi"},
        {u"READ03 005 000\r\nTIME010\r\nnote\r\n\r\n:AAA\r\nSEND 41", {0}, "A"},
        {u"SEND", {0}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)));
        macro_init(*state);
        fake = FakeHost{};
        ASSERT_EQ(start(c.text), 0);
        EXPECT_EQ(run(), kMacroEnded);
        std::vector<int> destinations;
        std::string bytes;
        for (const Sent& s : fake.sent) {
            destinations.push_back(s.destination);
            bytes += s.bytes;
        }
        EXPECT_EQ(destinations, c.destinations);
        EXPECT_EQ(bytes, c.bytes);
        EXPECT_EQ(fake.messages, std::vector<int>{15});
    }
}

TEST_F(MacroEngine, EndingAndStepDisplay) {
    ASSERT_EQ(start(u"PEND\r\n"), 0);
    EXPECT_EQ(macro_step(*state, host), kMacroEnded);
    EXPECT_EQ(fake.step, u"Step:001/007");
    EXPECT_EQ(fake.line, u"PEND\r\n");
    EXPECT_EQ(fake.messages, std::vector<int>{16});
    EXPECT_EQ(macro_step(*state, host), kMacroIdle);

    fake = FakeHost{};
    ASSERT_EQ(start(u"PEND"), 0);
    EXPECT_EQ(macro_step(*state, host), kMacroEnded);
    EXPECT_EQ(fake.messages, std::vector<int>{16});

    fake = FakeHost{};
    ASSERT_EQ(start(u""), 0);
    EXPECT_EQ(macro_step(*state, host), kMacroEnded);
    EXPECT_EQ(fake.messages, std::vector<int>{15});

    // Skipped lines leave the display alone; a command shows its line without the CR.
    fake = FakeHost{};
    ASSERT_EQ(start(u"MCLR 01\r\nnote\r\n"), 0);
    EXPECT_EQ(macro_step(*state, host), kMacroNext);
    EXPECT_EQ(macro_step(*state, host), kMacroNext);
    EXPECT_EQ(fake.step, u"Step:001/016");
    EXPECT_EQ(fake.line, u"MCLR 01");
    EXPECT_EQ(fake.refreshes, 2);
}

TEST_F(MacroEngine, StartRefusesEmptyAndUnmarkedFiles) {
    const uint8_t unmarked[] = {'P', 0, 'E', 0};
    const uint8_t one_byte[] = {0xFF};
    EXPECT_EQ(macro_start(*state, unmarked, 0, host), 24);
    EXPECT_EQ(macro_start(*state, unmarked, 4, host), 23);
    EXPECT_EQ(macro_start(*state, one_byte, 1, host), 23);
    EXPECT_EQ(fake.messages, (std::vector<int>{24, 23, 23}));
    EXPECT_FALSE(state->running);
    EXPECT_EQ(macro_step(*state, host), kMacroIdle);
}

TEST_F(MacroEngine, LongLinesAreCutAndSafe) {
    // 300 characters of hex: only the first 255 characters of the line count.
    std::u16string text = u"SEND " + std::u16string(300, u'4');
    ASSERT_EQ(start(text), 0);
    EXPECT_EQ(run(), kMacroEnded);
    ASSERT_EQ(fake.sent.size(), 1u);
    EXPECT_EQ(fake.sent[0].bytes, std::string(125, '\x44'));
    EXPECT_EQ(fake.line.size(), 255u);
}

TEST_F(MacroEngine, TimeWaitsOnTheTickCount) {
    ASSERT_EQ(start(u"TIME 010\r\nMOVE 01 41\r\nTIME 000\r\nMOVE 02 42\r\n"), 0);
    EXPECT_EQ(macro_step(*state, host), kMacroWaiting);
    fake.tick += 999;
    EXPECT_EQ(macro_step(*state, host), kMacroWaiting);
    fake.tick += 1;
    EXPECT_EQ(macro_step(*state, host), kMacroNext);
    EXPECT_EQ(macro_step(*state, host), kMacroNext);
    EXPECT_EQ(reg(*state, 1), "A");
    EXPECT_EQ(macro_step(*state, host), kMacroNext); // no time at all: done in its own tick
    EXPECT_EQ(macro_step(*state, host), kMacroNext);
    EXPECT_EQ(reg(*state, 2), "B");
}

TEST_F(MacroEngine, ReadWaitsForABlockOrTheTimeLimit) {
    // What was received before the start does not count.
    std::memcpy(fake.block, "OLD", 3);
    ASSERT_EQ(start(u"READ 03 005 010\r\nREAD 04 002 000\r\nREAD 05 000 000\r\nREAD 06 001 000\r\n"), 0);
    EXPECT_EQ(macro_step(*state, host), kMacroWaiting);
    std::memcpy(fake.block, "HELL", 4); // too short
    fake.tick += 999;
    EXPECT_EQ(macro_step(*state, host), kMacroWaiting);
    std::memset(fake.block, 0, 4);
    fake.tick += 1;
    EXPECT_EQ(macro_step(*state, host), kMacroNext);
    EXPECT_EQ(state->registers[3].length, 0);

    // No time limit: only data ends it, up to its first zero byte.
    EXPECT_EQ(macro_step(*state, host), kMacroWaiting);
    fake.tick += 600000;
    EXPECT_EQ(macro_step(*state, host), kMacroWaiting);
    const uint8_t block[] = {0x41, 0x42, 0x00, 0x43, 0x44};
    std::memcpy(fake.block, block, sizeof block);
    EXPECT_EQ(macro_step(*state, host), kMacroNext);
    EXPECT_EQ(reg(*state, 4), "AB");

    // nnn 0 stops at once.
    EXPECT_EQ(macro_step(*state, host), kMacroNext);
    EXPECT_EQ(state->registers[5].length, 0);

    // A block longer than a register keeps its first 264 bytes.
    EXPECT_EQ(macro_step(*state, host), kMacroWaiting);
    std::memset(fake.block, 'z', kMacroBlockBytes - 1);
    EXPECT_EQ(macro_step(*state, host), kMacroNext);
    EXPECT_EQ(reg(*state, 6), std::string(kMacroRegisterBytes, 'z'));
}

TEST_F(MacroEngine, ReadTakesWhatCameSinceTheLastSendOrRead) {
    ASSERT_EQ(start(u"SEND 41\r\nTIME 001\r\nREAD 01 002 010\r\nREAD 02 002 010\r\nREAD 03 002 010\r\n"), 0);
    std::memcpy(fake.block, "OLD", 3); // before the send: not its reply
    EXPECT_EQ(macro_step(*state, host), kMacroNext);
    std::memcpy(fake.block, "OK", 2);  // the reply arrives between the lines
    EXPECT_EQ(macro_step(*state, host), kMacroWaiting);
    fake.tick += 100;
    EXPECT_EQ(macro_step(*state, host), kMacroNext);
    EXPECT_EQ(macro_step(*state, host), kMacroNext);
    EXPECT_EQ(reg(*state, 1), "OK");
    // Taken once; a block that comes in before the next READ is that READ's.
    std::memcpy(fake.block, "NE", 2);
    EXPECT_EQ(macro_step(*state, host), kMacroNext);
    EXPECT_EQ(reg(*state, 2), "NE");
    EXPECT_EQ(macro_step(*state, host), kMacroWaiting);
    fake.tick += 1000;
    EXPECT_EQ(macro_step(*state, host), kMacroNext);
    EXPECT_EQ(state->registers[3].length, 0);
}

TEST_F(MacroEngine, AbortEndsAWaitAndRestartKeepsRegisters) {
    ASSERT_EQ(start(u"MOVE 07 \"kept\"\r\nREAD 01 005 000\r\nMOVE 02 41\r\n"), 0);
    EXPECT_EQ(macro_step(*state, host), kMacroNext);
    EXPECT_EQ(macro_step(*state, host), kMacroWaiting);
    macro_abort(*state, host);
    EXPECT_EQ(fake.messages, std::vector<int>{17});
    std::memcpy(fake.block, "HELLO", 5);
    EXPECT_EQ(macro_step(*state, host), kMacroIdle);
    EXPECT_EQ(state->registers[1].length, 0);

    macro_abort(*state, host); // nothing running: the message all the same
    EXPECT_EQ(fake.messages, (std::vector<int>{17, 17}));

    ASSERT_EQ(start(u"MOVE 08 42\r\n"), 0);
    run();
    EXPECT_EQ(reg(*state, 7), "kept");
    EXPECT_EQ(reg(*state, 8), "B");
}

} // namespace
