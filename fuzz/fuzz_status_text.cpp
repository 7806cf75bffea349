// The status texts from any settings values (a hand-edited settings file may hold any
// number): every text is terminated inside its 128 characters, shows the mode's values in
// order, and is cut only when it would not fit. Parts outside 0..7 give nothing.
#include "app/settings.h"
#include "support/fuzz_check.h"
#include "view/status_text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

int some_value(FuzzedDataProvider& in, int low, int high) {
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
        return in.ConsumeIntegral<int>();
    case 1:
        return in.ConsumeIntegralInRange<int>(-2, 2);
    default:
        return in.ConsumeIntegralInRange<int>(low, high);
    }
}

bool is_digit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// The signed decimal numbers in a text, in order.
std::vector<long long> numbers_in(const std::wstring& text) {
    std::vector<long long> out;
    for (size_t i = 0; i < text.size();) {
        bool negative = text[i] == L'-' && i + 1 < text.size() && is_digit(text[i + 1]);
        if (!negative && !is_digit(text[i])) {
            ++i;
            continue;
        }
        if (negative) ++i;
        long long v = 0;
        for (; i < text.size() && is_digit(text[i]); ++i) v = v * 10 + (text[i] - L'0');
        out.push_back(negative ? -v : v);
    }
    return out;
}

// A cut text shows the values up to the cut; the last one shown may have lost digits.
void check_values(const std::wstring& text, const std::vector<long long>& expected) {
    const std::vector<long long> shown = numbers_in(text);
    const bool cut = text.size() == kStatusTextChars - 1;
    if (!cut) {
        FUZZ_CHECK(shown == expected);
        return;
    }
    FUZZ_CHECK(shown.size() <= expected.size());
    for (size_t i = 0; i + 1 < shown.size(); ++i) FUZZ_CHECK(shown[i] == expected[i]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Settings s;
    s.ip_mode = some_value(in, 0, 1);
    s.tipudp_mode = some_value(in, 0, 1);
    s.bind_mode = some_value(in, 0, 1);
    for (int* octet : {&s.ip_no1, &s.ip_no2, &s.ip_no3, &s.ip_no4, &s.aip_no1, &s.aip_no2, &s.aip_no3, &s.aip_no4})
        *octet = some_value(in, 0, 255);
    s.port_no = some_value(in, 0, 65535);
    s.aport_no = some_value(in, 0, 65535);
    StatusValues v;
    v.open = in.ConsumeBool();
    v.records_per_line = some_value(in, 0, 400);
    v.lines_on_screen = some_value(in, 0, 200);
    v.write_index = some_value(in, 0, 131200);
    v.view_top = some_value(in, 0, 131200);
    const int other_part = in.ConsumeIntegral<int>();

    for (int part : {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, other_part}) {
        std::vector<wchar_t> out(kStatusTextChars, static_cast<wchar_t>(0xA5A5));
        const bool made = format_status_text(part, s, v, out.data());
        FUZZ_CHECK(made == (part >= 0 && part <= 7));
        FUZZ_CHECK(std::wmemchr(out.data(), 0, out.size()) != nullptr);
        const std::wstring text(out.data());
        if (!made) {
            FUZZ_CHECK(text.empty());
            continue;
        }
        FUZZ_CHECK(!text.empty());
        switch (part) {
        case 0: {
            const bool server = s.ip_mode != 0, bound = s.bind_mode == 1;
            const std::vector<long long> local = {s.aip_no1, s.aip_no2, s.aip_no3, s.aip_no4, s.aport_no};
            const std::vector<long long> peer = {s.ip_no1, s.ip_no2, s.ip_no3, s.ip_no4, s.port_no};
            std::vector<long long> expected;
            const wchar_t* start;
            if (!server && bound) {
                start = L"Adapter=";
                expected = local;
                expected.insert(expected.end(), peer.begin(), peer.end());
            } else if (!server) {
                start = L"Adapter=Auto >> AccessPoint=";
                expected = peer;
            } else if (bound) {
                start = L"socket=";
                expected = local;
            } else {
                start = L"socket=Auto;Port=";
                expected = {s.aport_no};
            }
            FUZZ_CHECK(text.rfind(start, 0) == 0);
            check_values(text, expected);
            // Addresses and ports as the settings dialog allows them always fit.
            bool usual = true;
            for (long long n : expected) usual = usual && n >= 0 && n <= 65535;
            if (usual) FUZZ_CHECK(text.size() < kStatusTextChars - 1);
            break;
        }
        case 1:
            FUZZ_CHECK(text == (s.tipudp_mode == 0 ? L"TIP" : L"UDP"));
            break;
        case 2:
            FUZZ_CHECK(text == (s.ip_mode == 1 ? L"Server" : L"Client;"));
            break;
        case 3:
            FUZZ_CHECK(text == (v.open ? L"OPEN" : L"CLOSE"));
            break;
        case 4:
            FUZZ_CHECK(text.rfind(L"DrawSize=X", 0) == 0);
            check_values(text, {v.records_per_line, v.lines_on_screen});
            break;
        case 5:
            FUZZ_CHECK(text.rfind(L"BufferSize=", 0) == 0);
            check_values(text, {v.write_index, kStatusBufferShown});
            break;
        case 6:
            FUZZ_CHECK(text.rfind(L"Scroll=", 0) == 0);
            check_values(text, {v.view_top});
            break;
        }
    }
    return 0;
}
