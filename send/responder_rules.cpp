#include "send/responder_rules.h"

#include "send/checksums.h"

#include <cstring>

namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }
bool letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool digit(char c) { return c >= '0' && c <= '9'; }

int hex_value(char c) {
    if (digit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Words are taken in any case: "Equals" and "equals" are one word to a user.
bool same_word(const char* p, const char* end, const char* word) {
    size_t n = std::strlen(word);
    if (static_cast<size_t>(end - p) != n) return false;
    for (size_t i = 0; i < n; ++i) {
        char c = p[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != word[i]) return false;
    }
    return true;
}

const char* skip_blanks(const char* p, const char* end) {
    while (p < end && blank(*p)) ++p;
    return p;
}

const char* trim_end(const char* begin, const char* end) {
    while (end > begin && blank(end[-1])) --end;
    return end;
}

// A decimal number of at most 9 digits at p; false when there is none or it is longer.
bool read_number(const char*& p, const char* end, uint32_t& value) {
    const char* start = p;
    value = 0;
    while (p < end && digit(*p)) {
        if (p - start == 9) return false;
        value = value * 10 + static_cast<uint32_t>(*p++ - '0');
    }
    return p > start;
}

struct Rules {
    ResponderRule& rule;
    bool pattern; // parsing the pattern, else the reply
};

void add_bytes(Rules& r, const char* p, size_t n, bool wild) {
    if (r.pattern) {
        auto& pattern = r.rule.pattern;
        const size_t before = pattern.size();
        pattern.insert(pattern.end(), reinterpret_cast<const uint8_t*>(p), reinterpret_cast<const uint8_t*>(p) + n);
        // The mask is made at the first "??"; a pattern without one is compared whole.
        if (wild && r.rule.wild.empty()) r.rule.wild.assign(before, 0);
        if (wild || !r.rule.wild.empty()) r.rule.wild.resize(pattern.size(), wild ? 1 : 0);
        return;
    }
    auto& pieces = r.rule.reply;
    const uint32_t first = static_cast<uint32_t>(r.rule.reply_bytes.size());
    r.rule.reply_bytes.insert(r.rule.reply_bytes.end(), reinterpret_cast<const uint8_t*>(p),
                              reinterpret_cast<const uint8_t*>(p) + n);
    // Neighbouring bytes make one piece.
    if (!pieces.empty() && pieces.back().op == ReplyOp::kBytes && pieces.back().first + pieces.back().count == first)
        pieces.back().count += static_cast<uint32_t>(n);
    else
        pieces.push_back({ReplyOp::kBytes, first, static_cast<uint32_t>(n)});
}

// "$word" at p (past the "$"): an echo with its range or a checksum.
RulesError read_dollar(Rules& r, const char*& p, const char* end) {
    const char* word = p;
    while (p < end && (letter(*p) || digit(*p))) ++p;
    static const struct {
        const char* word;
        ReplyOp op;
    } kWords[] = {{"echo", ReplyOp::kEcho},          {"crc16m", ReplyOp::kCrc16Modbus}, {"ccitt", ReplyOp::kCcittFalse},
                  {"crc32", ReplyOp::kCrc32},        {"sum8", ReplyOp::kSum8}};
    for (const auto& w : kWords) {
        if (!same_word(word, p, w.word)) continue;
        ReplyPiece piece{w.op, 0, kEchoToEnd};
        if (w.op == ReplyOp::kEcho && p < end && *p == '[') {
            uint32_t a = 0, b = 0;
            ++p;
            if (!read_number(p, end, a) || p == end || *p++ != ':') return RulesError::kUnknownWord;
            bool to_end = p < end && *p == ']';
            if (!to_end && !read_number(p, end, b)) return RulesError::kUnknownWord;
            if (p == end || *p++ != ']') return RulesError::kUnknownWord;
            piece.first = a;
            piece.count = to_end ? kEchoToEnd : (b > a ? b - a : 0);
        }
        r.rule.reply.push_back(piece);
        return RulesError::kNone;
    }
    return RulesError::kUnknownWord;
}

// "after <ms>" at p, which must end the reply.
RulesError read_delay(Rules& r, const char* p, const char* end) {
    p = skip_blanks(p, end);
    uint32_t ms = 0;
    if (!read_number(p, end, ms) || ms > kReplyDelayMostMs || (p < end && !blank(*p))) return RulesError::kDelayRange;
    if (skip_blanks(p, end) != end) return RulesError::kUnknownWord;
    r.rule.delay_ms = static_cast<int>(ms);
    return RulesError::kNone;
}

bool starts_after(const char* p, const char* end) {
    return end - p >= 5 && same_word(p, p + 5, "after") && (end - p == 5 || blank(p[5]));
}

// Pattern or reply tokens in [p, end). For a reply, `reply_end` gets where its text ends
// (before "after").
RulesError read_tokens(Rules& r, const char* p, const char* end, const char** reply_end) {
    for (;;) {
        p = skip_blanks(p, end);
        if (reply_end) *reply_end = p;
        if (p == end) return RulesError::kNone;
        const char c = *p;
        if (c == '"' || c == '\'') {
            const char* close = static_cast<const char*>(std::memchr(p + 1, c, static_cast<size_t>(end - p - 1)));
            if (!close) return RulesError::kUnclosedQuote;
            add_bytes(r, p + 1, static_cast<size_t>(close - p - 1), false);
            p = close + 1;
        } else if (r.pattern && c == '?' && end - p >= 2 && p[1] == '?') {
            add_bytes(r, "\0", 1, true);
            p += 2;
        } else if (!r.pattern && c == '$') {
            ++p;
            if (RulesError e = read_dollar(r, p, end); e != RulesError::kNone) return e;
        } else if (!r.pattern && starts_after(p, end)) {
            return read_delay(r, p + 5, end);
        } else if (hex_value(c) >= 0 && end - p >= 2 && hex_value(p[1]) >= 0) {
            const char byte = static_cast<char>(hex_value(c) * 16 + hex_value(p[1]));
            add_bytes(r, &byte, 1, false);
            p += 2;
        } else {
            return letter(c) && hex_value(c) < 0 ? RulesError::kUnknownWord : RulesError::kBadPair;
        }
    }
}

// The first "=>" outside quotes in [p, end), or null; an unclosed quote before any "=>".
const char* find_arrow(const char* p, const char* end, RulesError& error) {
    char quote = 0;
    for (; p < end; ++p) {
        if (quote) {
            if (*p == quote) quote = 0;
        } else if (*p == '"' || *p == '\'') {
            quote = *p;
        } else if (*p == '=' && p + 1 < end && p[1] == '>') {
            return p;
        }
    }
    error = quote ? RulesError::kUnclosedQuote : RulesError::kMissingArrow;
    return nullptr;
}

RulesError parse_rule(const char* p, const char* end, ResponderRule& rule) {
    const char* word = p;
    while (p < end && letter(*p)) ++p;
    static const struct {
        const char* word;
        RuleHow how;
    } kHows[] = {{"equals", RuleHow::kEquals},
                 {"starts", RuleHow::kStarts},
                 {"ends", RuleHow::kEnds},
                 {"contains", RuleHow::kContains},
                 {"any", RuleHow::kAny}};
    bool known = false;
    for (const auto& h : kHows)
        if (same_word(word, p, h.word)) {
            rule.how = h.how;
            known = true;
        }
    if (!known) return RulesError::kUnknownWord;
    RulesError error = RulesError::kNone;
    const char* arrow = find_arrow(p, end, error);
    if (!arrow) return error;
    const char* pattern = skip_blanks(p, arrow);
    const char* pattern_end = trim_end(pattern, arrow);
    if (rule.how == RuleHow::kAny && pattern != pattern_end) return RulesError::kUnknownWord;
    rule.pattern_text.assign(pattern, pattern_end);
    Rules reading{rule, true};
    if ((error = read_tokens(reading, pattern, pattern_end, nullptr)) != RulesError::kNone) return error;
    reading.pattern = false;
    const char* reply = skip_blanks(arrow + 2, end);
    const char* reply_end = reply;
    if ((error = read_tokens(reading, reply, end, &reply_end)) != RulesError::kNone) return error;
    rule.reply_text.assign(reply, trim_end(reply, reply_end));
    return RulesError::kNone;
}

bool matches_at(const ResponderRule& rule, const uint8_t* at) {
    const size_t n = rule.pattern.size();
    if (rule.wild.empty()) return n == 0 || std::memcmp(at, rule.pattern.data(), n) == 0;
    for (size_t i = 0; i < n; ++i)
        if (!rule.wild[i] && at[i] != rule.pattern[i]) return false;
    return true;
}

void append_value(std::vector<uint8_t>& out, uint32_t value, int count, bool low_first) {
    for (int i = 0; i < count; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * (low_first ? i : count - 1 - i))));
}

} // namespace

bool parse_responder_rules(const uint8_t* text, size_t size, std::vector<ResponderRule>& rules, RulesProblem& problem) {
    problem = {};
    if (size > kRulesFileBytes) {
        problem.error = RulesError::kTooLarge;
        return false;
    }
    const char* p = reinterpret_cast<const char*>(text);
    const char* end = p + size;
    if (size >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) p += 3;
    std::vector<ResponderRule> read;
    for (int line = 1; p < end; ++line) {
        const char* eol = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        const char* next = eol ? eol + 1 : end;
        if (!eol) eol = end;
        if (eol > p && eol[-1] == '\r') --eol;
        const char* first = skip_blanks(p, eol);
        p = next;
        if (first == eol || *first == '#') continue;
        if (static_cast<int>(read.size()) == kRulesMost) {
            problem = {RulesError::kTooManyRules, line};
            return false;
        }
        ResponderRule rule;
        rule.line = line;
        if (RulesError e = parse_rule(first, trim_end(first, eol), rule); e != RulesError::kNone) {
            problem = {e, line};
            return false;
        }
        read.push_back(std::move(rule));
    }
    rules = std::move(read);
    return true;
}

bool rule_matches(const ResponderRule& rule, const uint8_t* packet, size_t length) {
    const size_t n = rule.pattern.size();
    switch (rule.how) {
    case RuleHow::kAny:
        return true;
    case RuleHow::kEquals:
        return length == n && matches_at(rule, packet);
    case RuleHow::kStarts:
        return length >= n && matches_at(rule, packet);
    case RuleHow::kEnds:
        return length >= n && matches_at(rule, packet + (length - n));
    case RuleHow::kContains:
        if (length < n) return false;
        for (size_t at = 0; at + n <= length; ++at) {
            // The first byte is looked at before the call: most places fail there.
            if (n && rule.wild.empty() && packet[at] != rule.pattern[0]) continue;
            if (matches_at(rule, packet + at)) return true;
        }
        return false;
    }
    return false;
}

int first_matching_rule(const std::vector<ResponderRule>& rules, const uint8_t* packet, size_t length) {
    for (size_t i = 0; i < rules.size(); ++i)
        if (rule_matches(rules[i], packet, length)) return static_cast<int>(i);
    return -1;
}

void build_reply(const ResponderRule& rule, const uint8_t* packet, size_t length, std::vector<uint8_t>& out) {
    out.clear();
    for (const ReplyPiece& piece : rule.reply) {
        switch (piece.op) {
        case ReplyOp::kBytes:
            out.insert(out.end(), rule.reply_bytes.begin() + piece.first,
                       rule.reply_bytes.begin() + piece.first + piece.count);
            break;
        case ReplyOp::kEcho:
            if (piece.first < length) {
                size_t count = length - piece.first;
                if (piece.count != kEchoToEnd && piece.count < count) count = piece.count;
                if (count > kReplyBytesMost) count = kReplyBytesMost;
                out.insert(out.end(), packet + piece.first, packet + piece.first + count);
            }
            break;
        case ReplyOp::kCrc16Modbus:
            append_value(out, crc16_modbus(out.data(), out.size()), 2, true); // Modbus: low byte first
            break;
        case ReplyOp::kCcittFalse:
            append_value(out, crc16_ccitt_false(out.data(), out.size()), 2, false);
            break;
        case ReplyOp::kCrc32:
            append_value(out, crc32_iso_hdlc(out.data(), out.size()), 4, true);
            break;
        case ReplyOp::kSum8:
            out.push_back(sum8(out.data(), out.size()));
            break;
        }
        // Many echoes could grow a reply without bound: nothing past the largest datagram.
        if (out.size() > kReplyBytesMost) {
            out.resize(kReplyBytesMost);
            return;
        }
    }
}

const char* rule_how_word(RuleHow how) {
    switch (how) {
    case RuleHow::kEquals: return "equals";
    case RuleHow::kStarts: return "starts";
    case RuleHow::kEnds: return "ends";
    case RuleHow::kContains: return "contains";
    case RuleHow::kAny: return "any";
    }
    return "";
}
