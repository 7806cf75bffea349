// The log chooser's name rule on any path and buffer size: the name ends in the extension
// (in any case) or the path stays as it was because the buffer is too small; folders are
// kept whole, only the last component's extension is replaced, and nothing is written past
// the buffer.
#include "support/fuzz_check.h"
#include "view/log_format.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cwctype>
#include <string>
#include <vector>

namespace {

bool ends_with_ignoring_case(const std::wstring& s, const std::wstring& tail) {
    if (s.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (std::towlower(s[s.size() - tail.size() + i]) != std::towlower(tail[i])) return false;
    return true;
}

std::wstring take_text(FuzzedDataProvider& in, size_t most, const wchar_t* common) {
    std::wstring text;
    const size_t n = std::wcslen(common);
    for (size_t k = in.ConsumeIntegralInRange<size_t>(0, most); k > 0 && in.remaining_bytes() > 0; --k) {
        uint16_t c = in.ConsumeIntegral<uint16_t>();
        wchar_t w = c < 0xF000 ? common[c % n] : static_cast<wchar_t>(c & 0xFFF);
        if (w) text.push_back(w);
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::wstring ext = in.ConsumeBool() ? L".log" : in.ConsumeBool() ? L".txt" : L"." + take_text(in, 4, L"lLoOgG");
    const std::wstring path = take_text(in, 300, L"ab.\\/:lLoOgG ");
    const size_t capacity = path.size() + 1 + in.ConsumeIntegralInRange<size_t>(0, 8);

    // The caller's buffer: exactly `capacity` characters, the path in it.
    std::vector<wchar_t> buffer(capacity, L'#');
    std::copy(path.begin(), path.end(), buffer.begin());
    buffer[path.size()] = 0;
    const bool done = force_extension(buffer.data(), capacity, ext.c_str());
    const std::wstring name(buffer.data());

    if (!done) {
        FUZZ_CHECK(name == path);
        return 0;
    }
    FUZZ_CHECK(name.size() < capacity);
    FUZZ_CHECK(ends_with_ignoring_case(name, ext));
    if (ends_with_ignoring_case(path, ext)) {
        FUZZ_CHECK(name == path);
    } else {
        // What is kept of the path: all of it, or all but an extension of its last component.
        const size_t keep = name.size() - ext.size();
        FUZZ_CHECK(path.compare(0, keep, name, 0, keep) == 0);
        FUZZ_CHECK(name.compare(keep, std::wstring::npos, ext) == 0);
        if (keep < path.size()) {
            FUZZ_CHECK(path[keep] == L'.');
            FUZZ_CHECK(path.find_first_of(L"\\/:.", keep + 1) == std::wstring::npos);
        } else {
            const size_t last = path.find_last_of(L"\\/:");
            FUZZ_CHECK(path.find(L'.', last == std::wstring::npos ? 0 : last + 1) == std::wstring::npos);
        }
    }
    // The rule settles: a second pass changes nothing.
    std::vector<wchar_t> again(name.begin(), name.end());
    again.push_back(0);
    FUZZ_CHECK(force_extension(again.data(), again.size(), ext.c_str()) && name == again.data());
    return 0;
}
