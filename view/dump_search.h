// Finding a byte pattern in the traffic records, and reading the pattern typed in HEX
// mode. A match is a run of data bytes of one direction: inside one packet or across
// packets of the same direction, skipping the records between them that hold no data
// byte (addresses, trailers, events); a data byte of the other direction breaks the run.
// No window here, so the search is checked and fuzzed directly.
#pragma once
#include <cstdint>

#include "comm/traffic_buffer.h"

constexpr int kPatternBytes = 512; // the longest pattern

enum class LookIn { kBoth, kRead, kSend };

enum class HexPattern { kOk, kEmpty, kOddDigits, kNotHex, kTooLong };

// Pairs of hexadecimal digits, upper or lower case, with spaces and tabs anywhere between
// digits ("48 65 6c", "48656C" and "4 8" alike). Writes at most kPatternBytes to out.
HexPattern parse_hex_pattern(const wchar_t* text, int length, uint8_t* out, int* count);

struct FoundRun {
    int first;    // record of the first matching byte
    int end;      // one past the record of the last matching byte
    bool wrapped; // found only after going round the end (or the start) of the records
};

// Searches records[0, count) for `pattern`. Forward: the first match starting at or after
// `start`, else the first one of all (wrapped). Backward: the last match starting before
// `start`, else the last one of all (wrapped). False when there is none.
bool find_run(const TrafficRecord* records, int count, const uint8_t* pattern, int length, LookIn where,
              int start, bool forward, FoundRun* found);

// The data bytes of records[first, end) in record order, both directions; at most `room`.
int selected_bytes(const TrafficRecord* records, int first, int end, uint8_t* out, int room);
