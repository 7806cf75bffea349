// Any rules file against any packet: nothing read or written out of bounds, a file is
// taken whole or refused with a line inside it, what a rule holds is what its text says
// (its pattern and reply texts read again give the same rule), the first match is the
// first rule that matches, and a reply never grows past the largest datagram.
#include "send/responder_rules.h"
#include "support/fuzz_check.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

FUZZ_UNTRACED bool same_reply(const ResponderRule& a, const ResponderRule& b) {
    if (a.reply.size() != b.reply.size() || a.reply_bytes != b.reply_bytes) return false;
    for (size_t i = 0; i < a.reply.size(); ++i)
        if (a.reply[i].op != b.reply[i].op || a.reply[i].first != b.reply[i].first || a.reply[i].count != b.reply[i].count)
            return false;
    return true;
}

FUZZ_UNTRACED int line_count(const uint8_t* text, size_t size) {
    int lines = 1;
    for (size_t i = 0; i < size; ++i) lines += text[i] == '\n';
    return lines;
}

FUZZ_UNTRACED void check_rule_reads_back(const ResponderRule& rule) {
    FUZZ_CHECK(rule.wild.empty() || rule.wild.size() == rule.pattern.size());
    FUZZ_CHECK(rule.delay_ms >= 0 && rule.delay_ms <= kReplyDelayMostMs);
    for (const ReplyPiece& p : rule.reply)
        if (p.op == ReplyOp::kBytes) FUZZ_CHECK(p.first + static_cast<size_t>(p.count) <= rule.reply_bytes.size());
    const std::string again = std::string(rule.how == RuleHow::kAny ? "any" : "equals") + " " + rule.pattern_text +
                              " => " + rule.reply_text + " after " + std::to_string(rule.delay_ms);
    std::vector<ResponderRule> back;
    RulesProblem problem;
    FUZZ_CHECK(parse_responder_rules(reinterpret_cast<const uint8_t*>(again.data()), again.size(), back, problem));
    FUZZ_CHECK(back.size() == 1);
    FUZZ_CHECK(back[0].pattern == rule.pattern && back[0].wild == rule.wild);
    FUZZ_CHECK(same_reply(back[0], rule) && back[0].delay_ms == rule.delay_ms);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // Two bytes give the packet's length; the packet follows, the rules file is the rest.
    size_t packet_length = data[0] | (data[1] << 8);
    data += 2;
    size -= 2;
    if (packet_length > size) packet_length = size;
    std::unique_ptr<uint8_t[]> packet(new uint8_t[packet_length ? packet_length : 1]);
    if (packet_length) std::memcpy(packet.get(), data, packet_length);
    const uint8_t* text = data + packet_length;
    const size_t text_size = size - packet_length;

    std::vector<ResponderRule> rules;
    RulesProblem problem;
    if (!parse_responder_rules(text, text_size, rules, problem)) {
        FUZZ_CHECK(rules.empty());
        FUZZ_CHECK(problem.error != RulesError::kNone);
        FUZZ_CHECK(problem.error == RulesError::kTooLarge ||
                   (problem.line >= 1 && problem.line <= line_count(text, text_size)));
        return 0;
    }
    FUZZ_CHECK(problem.error == RulesError::kNone && rules.size() <= static_cast<size_t>(kRulesMost));
    int previous_line = 0;
    for (const ResponderRule& rule : rules) {
        FUZZ_CHECK(rule.line > previous_line);
        previous_line = rule.line;
        check_rule_reads_back(rule);
    }
    const int first = first_matching_rule(rules, packet.get(), packet_length);
    FUZZ_CHECK(first >= -1 && first < static_cast<int>(rules.size()));
    for (int i = 0; i < static_cast<int>(rules.size()) && (first < 0 || i <= first); ++i)
        FUZZ_CHECK(rule_matches(rules[static_cast<size_t>(i)], packet.get(), packet_length) == (i == first));
    if (first >= 0) {
        std::vector<uint8_t> reply;
        build_reply(rules[static_cast<size_t>(first)], packet.get(), packet_length, reply);
        FUZZ_CHECK(reply.size() <= kReplyBytesMost);
    }
    return 0;
}
