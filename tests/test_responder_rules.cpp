// The responder's rules: reading a rules file, matching a packet, building the reply; and
// the responder's queue against a host of the test.
#include "send/responder.h"
#include "send/responder_rules.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<ResponderRule> parse_ok(const std::string& text) {
    std::vector<ResponderRule> rules;
    RulesProblem problem;
    EXPECT_TRUE(parse_responder_rules(reinterpret_cast<const uint8_t*>(text.data()), text.size(), rules, problem))
        << text << " -> error " << int(problem.error) << " on line " << problem.line;
    return rules;
}

RulesProblem parse_bad(const std::string& text) {
    std::vector<ResponderRule> rules(1); // a failed read leaves what was there
    RulesProblem problem;
    EXPECT_FALSE(parse_responder_rules(reinterpret_cast<const uint8_t*>(text.data()), text.size(), rules, problem))
        << text;
    EXPECT_EQ(rules.size(), 1u);
    return problem;
}

std::string reply_of(const std::string& rule_text, const std::string& packet) {
    auto rules = parse_ok(rule_text);
    if (rules.size() != 1) return "<no rule>";
    std::vector<uint8_t> out;
    build_reply(rules[0], reinterpret_cast<const uint8_t*>(packet.data()), packet.size(), out);
    return std::string(out.begin(), out.end());
}

TEST(ResponderRules, EachHowMatchesWhatItSaysAndNothingElse) {
    const struct {
        const char* rule;
        std::string packet;
        bool match;
    } cases[] = {
        {"equals \"AB\" => 00", "AB", true},
        {"equals \"AB\" => 00", "ABC", false},
        {"equals \"AB\" => 00", "A", false},
        {"equals \"AB\" => 00", "", false},
        {"equals => 00", "", true}, // an empty pattern equals only an empty packet
        {"equals => 00", "A", false},
        {"starts 41 42 => 00", "ABC", true},
        {"starts 41 42 => 00", "XAB", false},
        {"starts 41 42 => 00", "A", false}, // shorter than the pattern
        {"ends \"BC\" => 00", "ABC", true},
        {"ends \"BC\" => 00", "BCA", false},
        {"ends \"BC\" => 00", "C", false},
        {"contains \"aa\" => 00", "xaaay", true}, // overlapping occurrences
        {"contains \"aab\" => 00", "aaab", true},
        {"contains \"BC\" => 00", "xxBC", true},  // at the very end
        {"contains \"BC\" => 00", "xxB", false},
        {"contains \"BC\" => 00", "", false},
        {"contains => 00", "", true},
        {"any => 00", "", true},
        {"any => 00", "anything", true},
        {"equals 01 ?? 03 => 00", std::string("\x01\xFF\x03", 3), true},
        {"equals 01 ?? 03 => 00", std::string("\x01\xFF\x04", 3), false},
        {"equals 01 ?? 03 => 00", std::string("\x01\x03", 2), false},
        {"starts ?? ?? 00 00 => 00", std::string("\x12\x34\x00\x00\x00\x06", 6), true},
        {"ends ?? \"Z\" => 00", "Z", false},
        {"contains \"a\" ?? \"c\" => 00", "xxabc", true},
        {"contains \"a\" ?? \"c\" => 00", "xxab", false},
        {"equals \"??\" => 00", "??", true}, // quoted: two question marks, not a wildcard
        {"equals \"??\" => 00", "xy", false},
    };
    for (const auto& c : cases) {
        auto rules = parse_ok(c.rule);
        ASSERT_EQ(rules.size(), 1u) << c.rule;
        EXPECT_EQ(rule_matches(rules[0], reinterpret_cast<const uint8_t*>(c.packet.data()), c.packet.size()), c.match)
            << c.rule << " on \"" << c.packet << "\"";
    }
}

TEST(ResponderRules, FirstMatchingRuleInFileOrderAnswers) {
    auto rules = parse_ok("\xEF\xBB\xBF# comment\r\n\r\n  # indented comment\n"
                          "starts \"A\" => \"first\"\r\n"
                          "equals \"AB\" => \"second\"\n"
                          "any => \"third\" after 250\n");
    ASSERT_EQ(rules.size(), 3u);
    EXPECT_EQ(rules[0].line, 4);
    EXPECT_EQ(rules[2].line, 6);
    EXPECT_EQ(rules[2].delay_ms, 250);
    EXPECT_EQ(rules[2].reply_text, "\"third\"");
    const std::string ab = "AB", z = "Z";
    EXPECT_EQ(first_matching_rule(rules, reinterpret_cast<const uint8_t*>(ab.data()), 2), 0);
    EXPECT_EQ(first_matching_rule(rules, reinterpret_cast<const uint8_t*>(z.data()), 1), 2);
    rules.pop_back();
    EXPECT_EQ(first_matching_rule(rules, reinterpret_cast<const uint8_t*>(z.data()), 1), -1);
}

TEST(ResponderRules, RepliesEchoRangesAndChecksums) {
    const std::string request("\x00\x07\x00\x00\x00\x06\x01\x03\x00\x00\x00\x02", 12);
    const struct {
        const char* rule;
        std::string packet;
        std::string reply;
    } cases[] = {
        {"any => $echo", "hello", "hello"},
        {"any => \"<\" $echo[1:3] \">\"", "hello", "<el>"},
        {"any => $echo[3:]", "hello", "lo"},
        {"any => $echo[4:9] \"|\" $echo[9:12]", "hello", "o|"}, // past the end: empty
        {"any => $echo[3:1]", "hello", ""},
        {"any => 41'\"'42 \"'\"", "", "A\"B'"},
        // Published check values of "123456789".
        {"any => \"123456789\" $crc16m", "", "123456789\x37\x4B"},
        {"any => \"123456789\" $ccitt", "", "123456789\x29\xB1"},
        {"any => \"123456789\" $crc32", "", "123456789\x26\x39\xF4\xCB"},
        {"any => \"123456789\" $sum8", "", "123456789\xDD"},
        // A Modbus RTU answer: 01 03 04 00 0A 00 0B and its CRC, low byte first.
        {"starts 01 03 => 01 03 04 00 0A 00 0B $crc16m", "\x01\x03", std::string("\x01\x03\x04\x00\x0A\x00\x0B\x9B\xF6", 9)},
        // Modbus TCP: the transaction number comes back.
        {"starts ?? ?? 00 00 00 06 01 03 => $echo[0:2] 00 00 00 07 01 03 04 00 0A 00 0B", request,
         std::string("\x00\x07\x00\x00\x00\x07\x01\x03\x04\x00\x0A\x00\x0B", 13)},
        {"any => \"\"", "x", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(reply_of(c.rule, c.packet), c.reply) << c.rule;
}

TEST(ResponderRules, ABadFileIsRefusedWholeWithTheLineAndTheReason) {
    const struct {
        const char* text;
        RulesError error;
        int line;
    } cases[] = {
        {"equals 41 => 42\nequals 41 => 42\n\n# c\n\n\nreplies 41 => 42\n", RulesError::kUnknownWord, 7},
        {"equals 4G => 00", RulesError::kBadPair, 1},
        {"equals 414 => 00", RulesError::kBadPair, 1},
        {"equals 41 => ??", RulesError::kBadPair, 1},
        {"equals $echo => 00", RulesError::kBadPair, 1},
        {"equals \"ab => 00", RulesError::kUnclosedQuote, 1},
        {"equals 41 => \"ab", RulesError::kUnclosedQuote, 1},
        {"equals 41 42", RulesError::kMissingArrow, 1},
        {"equals 41 => 00 after 60001", RulesError::kDelayRange, 1},
        {"equals 41 => 00 after -1", RulesError::kDelayRange, 1},
        {"equals 41 => 00 after", RulesError::kDelayRange, 1},
        {"equals 41 => 00 after 10 00", RulesError::kUnknownWord, 1},
        {"equals 41 => hello", RulesError::kUnknownWord, 1},
        {"equals 41 => $echo[a:2]", RulesError::kUnknownWord, 1},
        {"equals 41 => $crc", RulesError::kUnknownWord, 1},
        {"any 41 => 00", RulesError::kUnknownWord, 1},
    };
    for (const auto& c : cases) {
        RulesProblem p = parse_bad(c.text);
        EXPECT_EQ(p.error, c.error) << c.text;
        EXPECT_EQ(p.line, c.line) << c.text;
    }
    EXPECT_EQ(parse_ok("equals 41 => 00 after 60000")[0].delay_ms, 60000);
    EXPECT_EQ(parse_ok("Equals \"=>\" => \"after\"")[0].reply_text, "\"after\"");

    std::string big(2 * 1024 * 1024, '#');
    EXPECT_EQ(parse_bad(big).error, RulesError::kTooLarge);
    std::string many;
    for (int i = 0; i <= kRulesMost; ++i) many += "any => 00\n";
    RulesProblem p = parse_bad(many);
    EXPECT_EQ(p.error, RulesError::kTooManyRules);
    EXPECT_EQ(p.line, kRulesMost + 1);
}

// ---- the queue ----------------------------------------------------------------------------

struct Sent {
    std::mutex lock;
    std::vector<std::pair<int, std::string>> replies; // slot, bytes
    std::vector<std::chrono::steady_clock::time_point> at;
    int sent_at_once = 0;
};

ReplySent record(void* context, const ReplyPeer& to, const uint8_t* bytes, int length, bool at_once) {
    auto& s = *static_cast<Sent*>(context);
    std::lock_guard<std::mutex> guard(s.lock);
    if (to.slot == 9) return ReplySent::kGone;
    if (at_once && to.slot == 2) return ReplySent::kLater; // this peer's socket is full: queued
    s.sent_at_once += at_once;
    s.replies.push_back({to.slot, std::string(bytes, bytes + length)});
    s.at.push_back(std::chrono::steady_clock::now());
    return ReplySent::kSent;
}

TEST(Responder, DelayedRepliesWaitWithoutHoldingLaterOnesAndGonePeersAreCounted) {
    Sent sent;
    responder_start({&sent, record});
    const std::string rules = "equals \"slow\" => \"S\" after 300\nstarts \"q\" => $echo\nequals \"mute\" => \"\"\n";
    RulesProblem problem;
    ASSERT_TRUE(responder_load(reinterpret_cast<const uint8_t*>(rules.data()), rules.size(), problem));
    responder_reset_counts();
    auto heard = [](int slot, const std::string& text) {
        ReplyPeer from;
        from.kind = ReplyPeerKind::kTipServerSlot;
        from.slot = slot;
        responder_heard(from, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    };
    heard(0, "nobody answers while off");
    responder_set_on(true);
    const auto start = std::chrono::steady_clock::now();
    heard(1, "slow");
    heard(2, "q1");
    heard(9, "q-gone");
    heard(3, "mute");
    heard(4, "unmatched");
    for (int i = 0; i < 100; ++i) {
        {
            std::lock_guard<std::mutex> guard(sent.lock);
            if (sent.replies.size() == 2) break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    responder_set_on(false);
    responder_stop();
    ASSERT_EQ(sent.replies.size(), 2u);
    EXPECT_EQ(sent.replies[0], (std::pair<int, std::string>{2, "q1"})); // not behind the slow one
    EXPECT_EQ(sent.sent_at_once, 0); // q1 went through the queue, the slow one had to wait
    EXPECT_EQ(sent.replies[1], (std::pair<int, std::string>{1, "S"}));
    EXPECT_GE(sent.at[1] - start, std::chrono::milliseconds(300));
    const ResponderCounts counts = responder_counts();
    EXPECT_EQ(counts.answered, 2u);
    EXPECT_EQ(counts.dropped, 1u);
    EXPECT_EQ(counts.unanswered, 1u);
    EXPECT_EQ(counts.swallowed, 1u);
    auto set = responder_rules();
    EXPECT_EQ(set->hits[0].load(), 1u);
    EXPECT_EQ(set->hits[1].load(), 2u);

    // A bad file leaves the rules in use.
    const std::string bad = "equals 41 => 00\nequals 4 => 00\n";
    EXPECT_FALSE(responder_load(reinterpret_cast<const uint8_t*>(bad.data()), bad.size(), problem));
    EXPECT_EQ(problem.line, 2);
    EXPECT_EQ(responder_rules()->rules.size(), 3u);
}

} // namespace
