// The dump's pattern search over any records: a run it reports really holds the pattern
// (one direction, only non-data records skipped), and it reports the nearest run that a
// plain walk finds, wrapping only when there is none on the way. Typed HEX patterns read
// back the same after being written out again.
#include "support/fuzz_check.h"
#include "view/dump_search.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

bool is_data(uint8_t kind) { return kind == kReceivedByte || kind == kSentByte; }

// The end of a match of `pattern` whose first byte is record i, or -1.
FUZZ_UNTRACED int match_end(const std::vector<TrafficRecord>& r, int i, const std::vector<uint8_t>& pattern) {
    const uint8_t kind = r[i].kind;
    size_t k = 0;
    for (int j = i; j < static_cast<int>(r.size()); ++j) {
        if (!is_data(r[j].kind)) continue;
        if (r[j].kind != kind || r[j].value != pattern[k]) return -1;
        if (++k == pattern.size()) return j + 1;
    }
    return -1;
}

FUZZ_UNTRACED bool looked_in(uint8_t kind, LookIn where) {
    return where == LookIn::kBoth || (where == LookIn::kRead ? kind == kReceivedByte : kind == kSentByte);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const LookIn where = static_cast<LookIn>(in.ConsumeIntegralInRange<int>(0, 2));
    const bool forward = in.ConsumeBool();
    // Few byte values, so that patterns turn up often.
    const int alphabet = in.ConsumeIntegralInRange<int>(1, 256);
    std::vector<uint8_t> pattern(in.ConsumeIntegralInRange<size_t>(1, 8));
    for (uint8_t& b : pattern) b = static_cast<uint8_t>(in.ConsumeIntegral<uint8_t>() % alphabet);
    const int count = in.ConsumeIntegralInRange<int>(0, 2048);
    std::vector<TrafficRecord> records(static_cast<size_t>(count));
    for (TrafficRecord& r : records) {
        r = TrafficRecord{};
        r.kind = static_cast<uint8_t>(in.ConsumeIntegralInRange<int>(1, 9));
        r.value = static_cast<uint8_t>(in.ConsumeIntegral<uint8_t>() % alphabet);
    }
    const int start = in.ConsumeIntegralInRange<int>(-1, count + 1);

    FoundRun found{};
    const bool hit = find_run(records.data(), count, pattern.data(), static_cast<int>(pattern.size()), where, start,
                              forward, &found);

    // The nearest match by a plain walk: past the start, else the one to wrap to.
    const int from = start < 0 ? 0 : start > count ? count : start;
    int near = -1, wrap = -1;
    for (int i = 0; i < count; ++i) {
        if (!is_data(records[i].kind) || !looked_in(records[i].kind, where) || match_end(records, i, pattern) < 0)
            continue;
        if (forward) {
            if (i >= from && near < 0) near = i;
            if (wrap < 0) wrap = i;
        } else {
            if (i < from) near = i;
            wrap = i;
        }
    }
    const int expected = near >= 0 ? near : wrap;
    FUZZ_CHECK(hit == (expected >= 0));
    if (hit) {
        FUZZ_CHECK(found.first == expected);
        FUZZ_CHECK(found.wrapped == (near < 0));
        FUZZ_CHECK(found.end == match_end(records, found.first, pattern));
    }

    // A typed pattern: when it reads, its bytes written as pairs read back the same.
    std::wstring text;
    while (in.remaining_bytes() > 0 && text.size() < 64) text.push_back(static_cast<wchar_t>(in.ConsumeIntegral<uint8_t>()));
    uint8_t bytes[kPatternBytes], again[kPatternBytes];
    int n = 0, m = 0;
    if (parse_hex_pattern(text.data(), static_cast<int>(text.size()), bytes, &n) == HexPattern::kOk) {
        std::wstring pairs;
        for (int i = 0; i < n; ++i) {
            const wchar_t digits[] = L"0123456789ABCDEF";
            pairs += digits[bytes[i] >> 4];
            pairs += digits[bytes[i] & 15];
            pairs += L' ';
        }
        FUZZ_CHECK(parse_hex_pattern(pairs.data(), static_cast<int>(pairs.size()), again, &m) == HexPattern::kOk);
        FUZZ_CHECK(m == n && std::equal(bytes, bytes + n, again));
    }
    return 0;
}
