#include "view/dump_search.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace {

int hex_value(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

bool is_data(uint8_t kind) { return kind == kReceivedByte || kind == kSentByte; }

// The best match so far for one search: the nearest one past the start and the one to wrap to.
struct Choice {
    bool forward;
    int start;
    FoundRun near = {-1, -1, false};
    FoundRun wrap = {-1, -1, true};

    void offer(int first, int end) {
        if (forward) {
            if (first >= start && (near.first < 0 || first < near.first)) near = {first, end, false};
            if (wrap.first < 0 || first < wrap.first) wrap = {first, end, true};
        } else {
            if (first < start && first > near.first) near = {first, end, false};
            if (first > wrap.first) wrap = {first, end, true};
        }
    }
};

} // namespace

HexPattern parse_hex_pattern(const wchar_t* text, int length, uint8_t* out, int* count) {
    int digits = 0, high = 0;
    *count = 0;
    for (int i = 0; i < length; ++i) {
        const wchar_t c = text[i];
        if (c == L' ' || c == L'\t') continue;
        const int v = hex_value(c);
        if (v < 0) return HexPattern::kNotHex;
        if (digits++ % 2 == 0) {
            high = v;
            continue;
        }
        if (*count >= kPatternBytes) return HexPattern::kTooLong;
        out[(*count)++] = static_cast<uint8_t>(high << 4 | v);
    }
    if (digits % 2) return HexPattern::kOddDigits;
    return digits == 0 ? HexPattern::kEmpty : HexPattern::kOk;
}

bool find_run(const TrafficRecord* records, int count, const uint8_t* pattern, int length, LookIn where,
              int start, bool forward, FoundRun* found) {
    if (length <= 0 || count <= 0) return false;
    Choice choice{forward, std::clamp(start, 0, count)};
    const std::boyer_moore_horspool_searcher searcher(pattern, pattern + length);
    // The bytes of one direction's unbroken stretch of data, with the record of each.
    std::vector<uint8_t> bytes;
    std::vector<int> at;
    bytes.reserve(static_cast<size_t>(count));
    at.reserve(static_cast<size_t>(count));
    auto search_stretch = [&]() {
        for (auto from = bytes.begin();;) {
            auto hit = std::search(from, bytes.end(), searcher);
            if (hit == bytes.end()) break;
            const size_t k = static_cast<size_t>(hit - bytes.begin());
            choice.offer(at[k], at[k + static_cast<size_t>(length) - 1] + 1);
            from = hit + 1;
        }
        bytes.clear();
        at.clear();
    };
    for (uint8_t kind : {kReceivedByte, kSentByte}) {
        if ((kind == kReceivedByte && where == LookIn::kSend) || (kind == kSentByte && where == LookIn::kRead))
            continue;
        for (int i = 0; i < count; ++i) {
            if (records[i].kind == kind) {
                bytes.push_back(records[i].value);
                at.push_back(i);
            } else if (is_data(records[i].kind)) {
                search_stretch();
            }
        }
        search_stretch();
    }
    const FoundRun& best = choice.near.first >= 0 ? choice.near : choice.wrap;
    if (best.first < 0) return false;
    *found = best;
    return true;
}

int selected_bytes(const TrafficRecord* records, int first, int end, uint8_t* out, int room) {
    int n = 0;
    for (int i = std::max(first, 0); i < end && n < room; ++i)
        if (is_data(records[i].kind)) out[n++] = records[i].value;
    return n;
}
