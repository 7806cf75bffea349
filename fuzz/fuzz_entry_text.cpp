// The text rules of the send tools on any input: entries keep their length and zeros, cell
// texts and digits are what the grid shows, typed pairs convert as base-16 numbers, the
// text file name ends in ".txt" (or the buffer is too small, and says so), and the send
// history never holds the same string twice and files, moves and drops entries as promised.
#include "send/entry_text.h"
#include "send/send_history.h"
#include "support/fuzz_check.h"
#include "view/control_names.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace {

int hex_digit(uint32_t c) {
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
    return -1;
}

EntryUnit upper_digit(int v) { return static_cast<EntryUnit>(v < 10 ? u'0' + v : u'A' + v - 10); }

std::vector<EntryUnit> take_units(FuzzedDataProvider& in, size_t count) {
    std::vector<EntryUnit> units(count);
    for (EntryUnit& u : units) u = in.ConsumeIntegral<uint16_t>();
    return units;
}

FUZZ_UNTRACED void check_entry(const Entry& e) {
    FUZZ_CHECK(e.length >= 0 && e.length <= kEntryChars);
    for (int i = e.length; i < kEntryChars; ++i) FUZZ_CHECK(e.chars[i] == 0);
}

bool same_entry(const Entry& a, const Entry& b) {
    return a.length == b.length && std::memcmp(a.chars, b.chars, sizeof a.chars) == 0;
}

void check_assign(FuzzedDataProvider& in) {
    int count = in.ConsumeIntegralInRange<int>(-3, kEntryChars + 3);
    int kept = count < 0 ? 0 : count > kEntryChars ? kEntryChars : count;
    // Only the characters that may be read: a read past them is caught.
    std::vector<EntryUnit> chars = take_units(in, static_cast<size_t>(kept));
    Entry e;
    std::memset(&e, 0xA5, sizeof e);
    entry_assign(&e, kept ? chars.data() : nullptr, count);
    check_entry(e);
    FUZZ_CHECK(e.length == (kept ? kept : 0));
    for (int i = 0; i < e.length; ++i) FUZZ_CHECK(e.chars[i] == chars[i]);
    entry_assign(&e, nullptr, count);
    FUZZ_CHECK(e.length == 0);
}

void check_cell(uint32_t c) {
    const CellTexts cell = char_cell_texts(c);
    FUZZ_CHECK(cell.value[2] == 0 && cell.text[2] == 0);
    if (const wchar_t* name = control_name(c)) {
        FUZZ_CHECK(cell.text_length == 2 && cell.text[0] == name[0] && cell.text[1] == name[1]);
    } else {
        FUZZ_CHECK(cell.text_length == 1 && cell.text[0] == static_cast<EntryUnit>(c) && cell.text[1] == 0);
    }
    FUZZ_CHECK(cell.value[1] == upper_digit(static_cast<int>(c & 0xF)));
    if (c < 0x100) {
        FUZZ_CHECK(cell.value[0] == upper_digit(static_cast<int>(c >> 4)));
        EntryUnit digits[2];
        byte_digits(static_cast<uint8_t>(c), digits);
        FUZZ_CHECK(digits[0] == cell.value[0] && digits[1] == cell.value[1]);
    }
}

void check_pair(EntryUnit first, EntryUnit second) {
    const uint8_t v = hex_pair_value(first, second);
    const int a = hex_digit(first), b = hex_digit(second);
    if (a >= 0 && b >= 0) {
        FUZZ_CHECK(v == a * 16 + b);
    } else if (a >= 0) {
        FUZZ_CHECK(v == a);
    } else if (first < 0x80 && first != u'-' && first != u'+' && !std::iswspace(first)) {
        FUZZ_CHECK(v == 0);
    }
    if ((first == u'-' || first == u'+') && b >= 0) FUZZ_CHECK(v == static_cast<uint8_t>(first == u'-' ? -b : b));
}

void check_widen(FuzzedDataProvider& in) {
    std::vector<uint8_t> bytes = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 300));
    std::vector<EntryUnit> out(bytes.size() + 1, 0x5A5A);
    widen_bytes(bytes.data(), static_cast<int>(bytes.size()), out.data());
    for (size_t i = 0; i < bytes.size(); ++i) FUZZ_CHECK(out[i] == bytes[i]);
    FUZZ_CHECK(out[bytes.size()] == 0x5A5A);
}

bool ends_in_txt(const std::wstring& s) {
    if (s.size() < 4) return false;
    const wchar_t* t = s.c_str() + s.size() - 4;
    return t[0] == L'.' && std::towlower(t[1]) == L't' && std::towlower(t[2]) == L'x' && std::towlower(t[3]) == L't';
}

void check_text_file_name(FuzzedDataProvider& in) {
    const size_t out_chars = in.ConsumeIntegralInRange<size_t>(0, 300);
    std::wstring path;
    for (size_t n = in.ConsumeIntegralInRange<size_t>(0, 280); n > 0 && in.remaining_bytes() > 0; --n) {
        // Mostly the characters a path is made of, so that the dots and separators meet.
        static const wchar_t kPathChars[] = L"ab.\\/:tTxX ";
        uint16_t c = in.ConsumeIntegral<uint16_t>();
        wchar_t w = c < 0xF000 ? kPathChars[c % 11] : static_cast<wchar_t>(c & 0xFFF);
        if (w) path.push_back(w);
    }
    std::vector<wchar_t> out(out_chars ? out_chars : 1, L'#');
    const bool fits = text_file_name(path.c_str(), out.data(), out_chars);
    std::vector<wchar_t> roomy(path.size() + 8);
    FUZZ_CHECK(text_file_name(path.c_str(), roomy.data(), roomy.size()));
    const std::wstring name(roomy.data());
    FUZZ_CHECK(ends_in_txt(name));
    FUZZ_CHECK(fits == (name.size() + 1 <= out_chars));
    if (fits) FUZZ_CHECK(name == out.data());
    else if (out_chars) FUZZ_CHECK(out[0] == 0);
    // The name keeps the path up to the extension it replaces, and the folders whole.
    if (ends_in_txt(path)) {
        FUZZ_CHECK(name == path);
    } else {
        const size_t keep = name.size() - 4;
        FUZZ_CHECK(path.compare(0, keep, name, 0, keep) == 0);
        FUZZ_CHECK(keep == path.size() || (path[keep] == L'.' && path.size() - keep <= 4));
        FUZZ_CHECK(path.find_first_of(L"\\/", keep) == std::wstring::npos);
    }
    // The rule settles: the name it gives stays as it is.
    std::vector<wchar_t> again(name.size() + 1);
    FUZZ_CHECK(text_file_name(name.c_str(), again.data(), again.size()) && name == again.data());
}

FUZZ_UNTRACED void check_history() {
    for (int k = 0; k < kHistoryPlaces; ++k) {
        check_entry(g_history.places[k]);
        if (g_history.places[k].length == 0) continue;
        for (int j = k + 1; j < kHistoryPlaces; ++j) FUZZ_CHECK(!same_entry(g_history.places[k], g_history.places[j]));
    }
}

void history_step(FuzzedDataProvider& in) {
    SendHistory before = g_history;
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
    case 1: { // a string sent; short ones from few characters, so that they repeat
        int count = in.ConsumeIntegralInRange<int>(-1, 12);
        if (in.ConsumeIntegralInRange<int>(0, 15) == 0) count = in.ConsumeIntegralInRange<int>(0, kEntryChars + 2);
        std::vector<EntryUnit> chars(static_cast<size_t>(count < 0 ? 0 : count));
        for (EntryUnit& c : chars) c = static_cast<EntryUnit>(in.ConsumeIntegralInRange<int>(0, 3) ? u'A' + in.ConsumeIntegralInRange<int>(0, 2) : in.ConsumeIntegral<uint16_t>());
        Entry sent;
        entry_assign(&sent, chars.data(), count);
        bool present = false;
        for (const Entry& e : before.places) present = present || (e.length > 0 && same_entry(e, sent));
        const bool filed = file_in_history(chars.data(), count);
        FUZZ_CHECK(filed == !present);
        if (filed) {
            FUZZ_CHECK(same_entry(g_history.places[0], sent));
            for (int k = 1; k < kHistoryPlaces; ++k) FUZZ_CHECK(same_entry(g_history.places[k], before.places[k - 1]));
        } else {
            FUZZ_CHECK(std::memcmp(&g_history, &before, sizeof before) == 0);
        }
        break;
    }
    case 2: {
        int place = in.ConsumeIntegralInRange<int>(-2, kHistoryPlaces + 1);
        delete_history_place(place);
        if (place < 0 || place >= kHistoryPlaces) {
            FUZZ_CHECK(std::memcmp(&g_history, &before, sizeof before) == 0);
        } else {
            for (int k = 0; k < kHistoryPlaces - 1; ++k)
                FUZZ_CHECK(same_entry(g_history.places[k], before.places[k < place ? k : k + 1]));
            FUZZ_CHECK(g_history.places[kHistoryPlaces - 1].length == 0);
        }
        break;
    }
    case 3:
        if (in.ConsumeIntegralInRange<int>(0, 7) == 0) {
            clear_send_history();
            for (const Entry& e : g_history.places) FUZZ_CHECK(e.length == 0);
        }
        break;
    }
    check_history();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    clear_send_history();
    for (int step = 0; step < 200 && in.remaining_bytes() > 0; ++step) {
        switch (in.ConsumeIntegralInRange<int>(0, 5)) {
        case 0:
            check_assign(in);
            break;
        case 1:
            check_cell(in.ConsumeBool() ? in.ConsumeIntegralInRange<uint32_t>(0, 0x1FF) : in.ConsumeIntegral<uint32_t>());
            break;
        case 2:
            check_pair(in.ConsumeIntegral<uint16_t>(), in.ConsumeIntegral<uint16_t>());
            break;
        case 3:
            check_widen(in);
            break;
        case 4:
            check_text_file_name(in);
            break;
        case 5:
            history_step(in);
            break;
        }
    }
    return 0;
}
