// The macro language against a host of the test: sends, messages and the step display are
// recorded; the received block and the tick count are set by the test.
#include "send/macro_engine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Fake {
    std::vector<std::pair<int, std::string>> sent; // destination, bytes
    std::vector<int> messages;
    std::u16string step, line;
    uint8_t block[kMacroBlockBytes] = {};
    uint32_t tick = 5000;
    bool lower_hex = false;
    std::vector<std::u16string> failures; // texts of "FAIL"
};

Fake& fake(void* context) { return *static_cast<Fake*>(context); }

// Hexadecimal pairs and double-quoted text: enough of the real conversion for the language.
// A "?" anywhere does not convert.
int to_bytes(void*, const char16_t* text, int length, uint8_t* out, int room, int* count) {
    std::u16string t(text, static_cast<size_t>(length));
    if (t.find(u'?') != t.npos) return 1;
    int n = 0;
    bool quoted = false;
    for (size_t i = 0; i < t.size() && n < room; ++i) {
        if (t[i] == u'"') quoted = !quoted;
        else if (quoted) out[n++] = static_cast<uint8_t>(t[i]);
        else if (i + 1 < t.size()) {
            const char pair[3] = {static_cast<char>(t[i]), static_cast<char>(t[i + 1]), 0};
            out[n++] = static_cast<uint8_t>(std::strtol(pair, nullptr, 16));
            ++i;
        }
    }
    *count = n;
    return 0;
}

MacroHost host_for(Fake& f) {
    return {&f,
            [](void* c, int d, const uint8_t* b, int n) {
                fake(c).sent.push_back({d, std::string(reinterpret_cast<const char*>(b), static_cast<size_t>(n))});
                return 0;
            },
            to_bytes,
            [](void* c) { std::memset(fake(c).block, 0, kMacroBlockBytes); },
            [](void* c, uint8_t* out) { std::memcpy(out, fake(c).block, kMacroBlockBytes); },
            [](void* c) { return fake(c).tick; },
            [](void* c, int entry, const char*) { fake(c).messages.push_back(entry); },
            [](void* c, const char16_t* step, const char16_t* line, int n) {
                fake(c).step = step;
                fake(c).line.assign(line, static_cast<size_t>(n));
            },
            [](void* c) { return fake(c).lower_hex; },
            nullptr,
            [](void* c, const char16_t* text, int n) { fake(c).failures.emplace_back(text, static_cast<size_t>(n)); }};
}

class MacroEngine : public ::testing::Test {
protected:
    void SetUp() override { macro_init(*state); }

    // Starts `text` behind a byte-order mark, keeping the registers.
    void start(const std::u16string& text) {
        f = Fake{};
        std::vector<uint8_t> bytes = {0xFF, 0xFE};
        for (char16_t c : text) bytes.insert(bytes.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)});
        ASSERT_EQ(macro_start(*state, bytes.data(), static_cast<int>(bytes.size()), host), 0);
    }
    MacroStatus step() { return macro_step(*state, host); }
    // Steps until the macro ends or waits (at most 200 ticks).
    MacroStatus run() {
        MacroStatus s = kMacroNext;
        for (int i = 0; i < 200 && s == kMacroNext; ++i) s = step();
        return s;
    }
    std::string reg(int r) const {
        const MacroRegister& m = state->registers[r];
        return std::string(reinterpret_cast<const char*>(m.data), static_cast<size_t>(m.length));
    }

    Fake f;
    MacroHost host = host_for(f);
    std::unique_ptr<MacroState> state = std::make_unique<MacroState>();
};

std::string trace(const char16_t* text) { return std::string(text, text + std::char_traits<char16_t>::length(text)); }

TEST_F(MacroEngine, RegisterCommands) {
    const struct {
        const char16_t* text;
        int reg;
        std::string expected;
        bool lower_hex = false;
    } cases[] = {
        {u"MOVE 01 \"0099\"\r\nMINC 01\r\n", 1, "0100"},
        {u"MOVE 01 \"999\"\r\nMINC 01\r\n", 1, "000"},
        {u"MOVE 01 \"12A\"\r\nMINC 01\r\n", 1, "130"},
        // Bytes 80-FF are no digits: FF carries over like any other non-digit.
        {u"MOVE 01 FF\r\nMOVE 02 \"9\"\r\nMADD 01 02\r\nMINC 01\r\n", 1, "00"},
        {u"MOVE 01 \"09\"\r\nHINC 01\r\n", 1, "0A"},
        {u"MOVE 01 \"0F\"\r\nHINC 01\r\n", 1, "10"},
        {u"MOVE 01 \"FF\"\r\nHINC 01\r\n", 1, "00"},
        {u"MOVE 01 \"1f\"\r\nHINC 01\r\n", 1, "20"},
        {u"MCLR 01\r\nMINC 01\r\nHINC 01\r\n", 1, ""},
        {u"MOVE 01 010203\r\nCHKA 01 02\r\n", 2, "00"},
        {u"MOVE 01 4142\r\nCHKA 01 02\r\n", 2, "03"},
        {u"MOVE 01 0A00\r\nCHKA 01 02\r\n", 2, "0A"},
        {u"MOVE 01 0A00\r\nCHKA 01 02\r\n", 2, "0a", true},
        {u"MOVE 01 4142\r\nCHKH 01 01\r\n", 1, "\x03"},
        {u"MCLR 01\r\nCHKA 01 02\r\n", 2, "00"},
        {u"MOVE 01 \"abc\"\r\nMOVE 02 \"de\"\r\nMADD 01 02\r\n", 1, "abcde"},
        {u"MOVE 01 \"abcdef\"\r\nMMID 01 01 04 01\r\n", 1, "bcde"},
        // Negative fields, a text that does not convert: the line does nothing.
        {u"MOVE 01 \"ab\"\r\nMMID 01 -1 02 01\r\nMCLR -1\r\nMOVE 01 4?\r\n", 1, "ab"},
        // A text field ends with its line.
        {u"MOVE 01 \"a\"\r\nMOVE 01 \r\n41\r\n", 1, ""},
        // Checksums over "123456789" (their check values), in the byte order of each.
        {u"MOVE 01 \"123456789\"\r\nCRCM 01 02\r\n", 2, "\x37\x4B"},
        {u"MOVE 01 \"123456789\"\r\nCRCC 01 02\r\n", 2, "\x29\xB1"},
        {u"MOVE 01 \"123456789\"\r\nCR32 01 02\r\n", 2, "\x26\x39\xF4\xCB"},
        {u"MOVE 01 \"123456789\"\r\nSUM8 01 02\r\n", 2, "\xDD"},
        // A Modbus request's CRC into its own register; an empty register; no such register.
        {u"MOVE 01 01030000000A\r\nCRCM 01 01\r\n", 1, "\xC5\xCD"},
        {u"MCLR 01\r\nCRCM 01 02\r\n", 2, "\xFF\xFF"},
        {u"MOVE 02 \"ab\"\r\nCR32 -1 02\r\nSUM8 02 -1\r\n", 2, "ab"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(trace(c.text));
        macro_init(*state);
        start(c.text);
        f.lower_hex = c.lower_hex;
        EXPECT_EQ(run(), kMacroEnded);
        EXPECT_EQ(reg(c.reg), c.expected);
    }
}

TEST_F(MacroEngine, AddingPastTheRegisterEndIsCut) {
    start(u"MOVE 01 " + std::u16string(200, u'A') + u"\r\nMOVE 02 01\r\nMADD 01 01\r\nMADD 01 01\r\nMADD 02 01\r\n");
    run();
    EXPECT_EQ(reg(1), std::string(264, '\xAA'));
    EXPECT_EQ(reg(2), "\x01" + std::string(263, '\xAA'));
}

TEST_F(MacroEngine, JumpsAndLabels) {
    const struct {
        const char16_t* text;
        std::string reg9;
        int message;
    } cases[] = {
        // An empty register compares equal.
        {u"MOVE 01 41\r\nMCLR 02\r\nCMPM 01 02 AAA\r\nPEND\r\n:AAA\r\nMOVE 09 \"y\"\r\nPEND\r\n", "y", 16},
        {u"MOVE 01 4142\r\nMOVE 02 4143\r\nCMPM 01 02 AAA\r\nMOVE 09 \"n\"\r\nPEND\r\n:AAA\r\nPEND\r\n", "n", 16},
        {u"MOVE 01 4F4B55\r\nCMPL 01 BBB 4F4B\r\nPEND\r\n:BBB rest ignored\r\nMOVE 09 \"y\"\r\nPEND\r\n", "y", 16},
        {u"MOVE 01 4F4B\r\nCMPL 01 BBB 4F4C\r\nPEND\r\n:BBB\r\nMOVE 09 \"y\"\r\nPEND\r\n", "", 16},
        // The compare looks at the stored bytes, not at the length a shorter MOVE left.
        {u"MOVE 01 \"PING\"\r\nMOVE 01 \"P\"\r\nCMPL 01 BBB \"PING\"\r\nPEND\r\n:BBB\r\nMOVE 09 \"y\"\r\nPEND\r\n", "y", 16},
        // A lone LF ends no line: the label line swallows the command after it.
        {u"GOTO CCC\r\n:CCC\nMOVE 09 \"n\"\r\nMOVE 09 \"y\"\r\nPEND\r\n", "y", 16},
        // The search starts at the mark: a label on the first line is never found.
        {u":TOP\r\nMOVE 09 \"n\"\r\nGOTO TOP\r\nPEND\r\n", "n", 15},
        {u"GOTO XYZ\r\nPEND\r\n", "", 15},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(trace(c.text));
        macro_init(*state);
        start(c.text);
        EXPECT_EQ(run(), kMacroEnded);
        EXPECT_EQ(reg(9), c.reg9);
        EXPECT_EQ(f.messages, std::vector<int>{c.message});
    }
}

TEST_F(MacroEngine, FailEndsTheRunWithItsText) {
    const struct {
        const char16_t* text;
        std::vector<std::u16string> failures;
        std::vector<int> messages;
    } cases[] = {
        {u"FAIL no answer\r\nPEND\r\n", {u"no answer"}, {}},
        {u"FAIL\r\nPEND\r\n", {u""}, {}}, // a bare "FAIL" must not run on into "PEND"
        {u"FAILED\r\nFAIL-x\r\nPEND\r\n", {}, {16}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(trace(c.text));
        start(c.text);
        EXPECT_EQ(run(), kMacroEnded);
        EXPECT_FALSE(state->running);
        EXPECT_EQ(f.failures, c.failures);
        EXPECT_EQ(f.messages, c.messages);
    }
}

TEST_F(MacroEngine, WhatLinesSendAndWhichAreSkipped) {
    using Sent = std::vector<std::pair<int, std::string>>;
    const struct {
        std::u16string text;
        Sent sent;
    } cases[] = {
        {u"SEND1 4142\r\nSEND 4142\r\nsend 4142\r\n", {{1, "AB"}, {0, "AB"}}},
        // Any character names a destination (its low four bits); the one after it is skipped.
        {u"SENDx4142\r\nSEND4142\r\n", {{8, "\x14"}, {4, "B"}}},
        {u"MOVE 05 \"hi\"\r\nMSED3 05\r\n", {{3, "hi"}}},
        {u"READ03 005 000\r\nTIME010\r\nnote\r\n\r\n:AAA\r\nSEND 41", {{0, "A"}}},
        // A line counts up to 255 characters.
        {u"SEND " + std::u16string(300, u'4'), {{0, std::string(125, '\x44')}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(trace(c.text.c_str()));
        start(c.text);
        EXPECT_EQ(run(), kMacroEnded);
        EXPECT_EQ(f.sent, c.sent);
        EXPECT_EQ(f.messages, std::vector<int>{15});
    }
}

TEST_F(MacroEngine, StepDisplayAndEnd) {
    start(u"PEND\r\n");
    EXPECT_EQ(step(), kMacroEnded);
    EXPECT_EQ(f.step, u"Step:001/007");
    EXPECT_EQ(f.line, u"PEND\r\n"); // the rest of the text
    EXPECT_EQ(f.messages, std::vector<int>{16});
    EXPECT_EQ(step(), kMacroIdle);

    start(u"PEND");
    EXPECT_EQ(step(), kMacroEnded);
    EXPECT_EQ(f.messages, std::vector<int>{16});

    // Skipped lines leave the display alone; a command shows its line without the CR.
    start(u"MCLR 01\r\nnote\r\n");
    EXPECT_EQ(step(), kMacroNext);
    EXPECT_EQ(step(), kMacroNext);
    EXPECT_EQ(f.step, u"Step:001/016");
    EXPECT_EQ(f.line, u"MCLR 01");
}

TEST_F(MacroEngine, WaitsRunOnTheTickCountAndTheReceivedBlock) {
    start(u"TIME 010\r\nSEND 41\r\nREAD 01 002 000\r\nREAD 02 000 000\r\nREAD 03 001 000\r\nREAD 04 002 000\r\n");
    EXPECT_EQ(step(), kMacroWaiting);
    f.tick += 999;
    EXPECT_EQ(step(), kMacroWaiting);
    f.tick += 1;
    EXPECT_EQ(step(), kMacroNext);

    // The answer to a send counts even when it comes before the READ line runs; what was
    // there before the send does not ("OK" over "OLD" would read "OKD").
    std::memcpy(f.block, "OLD", 3);
    EXPECT_EQ(step(), kMacroNext);
    std::memcpy(f.block, "OK", 2);
    EXPECT_EQ(step(), kMacroNext);
    EXPECT_EQ(reg(1), "OK");
    EXPECT_EQ(step(), kMacroNext); // nnn 0: at once, and the block was taken
    EXPECT_EQ(state->registers[2].length, 0);

    // No time limit: only data ends the wait; a block longer than a register is cut.
    EXPECT_EQ(step(), kMacroWaiting);
    f.tick += 600000;
    EXPECT_EQ(step(), kMacroWaiting);
    std::memset(f.block, 'z', kMacroBlockBytes - 1);
    EXPECT_EQ(step(), kMacroNext);
    EXPECT_EQ(reg(3), std::string(kMacroRegisterBytes, 'z'));

    // Abort ends a wait at once; a later block changes nothing. A restart keeps registers.
    EXPECT_EQ(step(), kMacroWaiting);
    macro_abort(*state, host);
    std::memcpy(f.block, "HELLO", 5);
    EXPECT_EQ(step(), kMacroIdle);
    EXPECT_EQ(state->registers[4].length, 0);
    EXPECT_EQ(f.messages, std::vector<int>{17});
    start(u"PEND");
    EXPECT_EQ(reg(1), "OK");
}

} // namespace
