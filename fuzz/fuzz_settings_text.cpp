// The connection settings' text forms on any field contents: numbers read as plain decimals
// of at most the given characters (the same as the C library's conversion of those
// characters), nothing read past the field's end, and the version codes and texts map onto
// each other.
#include "netcfg/settings_text.h"
#include "support/fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

// A field's text as GetDlgItemText leaves it: terminated, in a buffer of its own size.
std::vector<wchar_t> field_text(FuzzedDataProvider& in) {
    std::vector<wchar_t> text;
    for (size_t n = in.ConsumeIntegralInRange<size_t>(0, 14); n > 0 && in.remaining_bytes() > 0; --n) {
        // Mostly what numbers and versions are typed with, so that they meet.
        static const wchar_t kFieldChars[] = L"0123456789 \t+-.\n";
        uint16_t c = in.ConsumeIntegral<uint16_t>();
        wchar_t w = c < 0xE000 ? kFieldChars[c % 16] : static_cast<wchar_t>(c & 0x1FFF);
        if (w) text.push_back(w);
    }
    text.push_back(0);
    return text;
}

bool all_ascii(const wchar_t* text, int chars) {
    for (int i = 0; i < chars && text[i]; ++i)
        if (text[i] >= 0x80) return false;
    return true;
}

void check_number(FuzzedDataProvider& in) {
    const int max_chars = in.ConsumeIntegralInRange<int>(0, 12);
    std::vector<wchar_t> text = field_text(in);
    const int value = parse_field_number(text.data(), max_chars);

    // No more digits than max_chars can be taken.
    long long limit = 1;
    for (int i = 0; i < max_chars && i < 10; ++i) limit *= 10;
    if (max_chars <= 9) FUZZ_CHECK(value > -limit && value < limit);

    // Against the C library on the same characters (its white space is the same for ASCII).
    if (max_chars <= 9 && all_ascii(text.data(), max_chars)) {
        std::wstring head(text.data(), std::min(std::wcslen(text.data()), static_cast<size_t>(max_chars)));
        FUZZ_CHECK(value == static_cast<int>(std::wcstol(head.c_str(), nullptr, 10)));
    }
}

void check_round_trip(FuzzedDataProvider& in) {
    const int max_chars = in.ConsumeIntegralInRange<int>(1, 9);
    const int n = in.ConsumeIntegral<int>();
    wchar_t text[16];
    std::swprintf(text, 16, L"%d", n);
    const int value = parse_field_number(text, max_chars);
    if (static_cast<int>(std::wcslen(text)) <= max_chars) FUZZ_CHECK(value == n);
    // Digits typed past the field's width are not read.
    if (n >= 0) FUZZ_CHECK(value >= 0 && value <= n);
}

void check_version(FuzzedDataProvider& in) {
    const int code = in.ConsumeIntegral<int>();
    const wchar_t* shown = wsa_ver_text(code);
    FUZZ_CHECK(wsa_ver_from_text(shown) == (code >= 1 && code <= 4 ? code : 3));

    std::vector<wchar_t> text = field_text(in);
    const int read = wsa_ver_from_text(text.data());
    FUZZ_CHECK(read >= 1 && read <= 4);
    const wchar_t* back = wsa_ver_text(read);
    // A text that starts like one of the four versions reads as that version; any other is 2.0.
    if (std::wcsncmp(text.data(), back, kVersionChars) != 0) FUZZ_CHECK(read == 3);
    for (const wchar_t* v : {L"1.0", L"1.1", L"2.0", L"2.2"})
        if (std::wcsncmp(text.data(), v, kVersionChars) == 0) FUZZ_CHECK(std::wcscmp(back, v) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    for (int step = 0; step < 100 && in.remaining_bytes() > 0; ++step) {
        switch (in.ConsumeIntegralInRange<int>(0, 2)) {
        case 0:
            check_number(in);
            break;
        case 1:
            check_round_trip(in);
            break;
        case 2:
            check_version(in);
            break;
        }
    }
    return 0;
}
