// The responder's rules: a text file of "when a packet like this comes in, send that back"
// lines, read into rules that match a received packet and build its reply. Plain data and
// no platform header, so it is tested and fuzzed directly.
//
// A rules file is UTF-8 (a byte-order mark is skipped), lines end with LF or CR LF, empty
// lines and lines whose first non-blank character is "#" are skipped. A rule is one line:
//
//     <how> <pattern> => <reply> [after <ms>]
//
// <how> is equals, starts, ends, contains or any (which takes no pattern). Pattern and
// reply are hexadecimal pairs mixed with quoted text ("..." or '...', the other kind of
// quote being plain text inside; quoted text is taken as the file's bytes). Blanks between
// tokens are ignored. In a pattern "??" matches any one byte. In a reply "$echo" is the
// whole request, "$echo[a:b]" its bytes a to b-1 ("$echo[a:]" to its end; parts past the
// request's end are empty), and "$crc16m", "$ccitt", "$crc32", "$sum8" append the checksum
// of the reply bytes before them. "after <ms>" delays the reply (0 to 60,000 ms).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t kRulesFileBytes = 1024 * 1024; // a larger file is refused whole
constexpr int kRulesMost = 10000;
constexpr int kReplyDelayMostMs = 60000;
constexpr size_t kReplyBytesMost = 65507;       // the largest datagram: a reply is cut there

enum class RuleHow : uint8_t { kEquals, kStarts, kEnds, kContains, kAny };

enum class ReplyOp : uint8_t { kBytes, kEcho, kCrc16Modbus, kCcittFalse, kCrc32, kSum8 };

// One piece of a reply. kBytes: `count` bytes of the rule's reply_bytes from `first`;
// kEcho: the request's bytes `first` to `first + count` (count kEchoToEnd: to the end).
struct ReplyPiece {
    ReplyOp op;
    uint32_t first;
    uint32_t count;
};
constexpr uint32_t kEchoToEnd = 0xFFFFFFFFu;

struct ResponderRule {
    RuleHow how = RuleHow::kAny;
    int line = 0;                 // in the file, from 1
    int delay_ms = 0;
    std::vector<uint8_t> pattern;
    std::vector<uint8_t> wild;    // 1 where the pattern says "??"
    std::vector<ReplyPiece> reply;
    std::vector<uint8_t> reply_bytes;
    std::string pattern_text;     // as the file wrote them, for showing the rule
    std::string reply_text;
};

enum class RulesError : uint8_t {
    kNone,
    kUnknownWord,   // not a <how>, a "$" word or "after", or text where none belongs
    kBadPair,       // a hexadecimal pair that is not one ("4G", a lone digit, "??" in a reply)
    kUnclosedQuote,
    kDelayRange,    // "after" without a number from 0 to 60,000
    kMissingArrow,  // no "=>"
    kTooLarge,      // over 1 MiB
    kTooManyRules,  // over 10,000 rules
};

struct RulesProblem {
    RulesError error = RulesError::kNone;
    int line = 0; // 0 for the whole file's errors
};

// Reads a whole rules file. On any error returns false with the first problem and leaves
// `rules` untouched: a file is taken whole or not at all.
bool parse_responder_rules(const uint8_t* text, size_t size, std::vector<ResponderRule>& rules,
                           RulesProblem& problem);

// Whether `rule` matches the packet.
bool rule_matches(const ResponderRule& rule, const uint8_t* packet, size_t length);
// The index of the first rule that matches the packet, or -1.
int first_matching_rule(const std::vector<ResponderRule>& rules, const uint8_t* packet, size_t length);
// The reply of `rule` to the packet (at most kReplyBytesMost bytes) into `out`.
void build_reply(const ResponderRule& rule, const uint8_t* packet, size_t length, std::vector<uint8_t>& out);

// "equals" ... "any".
const char* rule_how_word(RuleHow how);
