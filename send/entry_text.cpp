#include "send/entry_text.h"

#include "view/control_names.h"

#include <cwchar>
#include <cwctype>

void entry_empty(Entry* entry) { entry_assign(entry, nullptr, 0); }

void entry_assign(Entry* entry, const EntryUnit* chars, int count) {
    if (count < 0 || !chars) count = 0;
    if (count > kEntryChars) count = kEntryChars;
    for (int i = 0; i < kEntryChars; ++i) entry->chars[i] = i < count ? chars[i] : 0;
    entry->length = count;
}

namespace {

EntryUnit digit_of(uint32_t half) {
    EntryUnit d = static_cast<EntryUnit>(half | 0x30);
    return d > u'9' ? static_cast<EntryUnit>(d + 7) : d;
}

bool is_space(EntryUnit c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

int hex_digit(EntryUnit c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

bool ends_in_txt(const wchar_t* path, size_t length) {
    if (length < 4) return false;
    const wchar_t* tail = path + length - 4;
    return tail[0] == L'.' && std::towlower(tail[1]) == L't' && std::towlower(tail[2]) == L'x' &&
           std::towlower(tail[3]) == L't';
}

} // namespace

CellTexts char_cell_texts(uint32_t c) {
    CellTexts cell = {};
    if (const wchar_t* name = control_name(c)) {
        cell.text[0] = static_cast<EntryUnit>(name[0]);
        cell.text[1] = static_cast<EntryUnit>(name[1]);
        cell.text_length = 2;
    } else {
        cell.text[0] = static_cast<EntryUnit>(c);
        cell.text_length = 1;
    }
    cell.value[0] = digit_of((c & 0xFFFF) >> 4);
    cell.value[1] = digit_of(c & 0xF);
    return cell;
}

void byte_digits(uint8_t b, EntryUnit out[2]) {
    out[0] = digit_of(b >> 4);
    out[1] = digit_of(b & 0xF);
}

int hex_pair_number(EntryUnit first, EntryUnit second) {
    const EntryUnit pair[2] = {first, second};
    int i = 0;
    while (i < 2 && is_space(pair[i])) ++i;
    bool negative = false;
    if (i < 2 && (pair[i] == u'+' || pair[i] == u'-')) negative = pair[i++] == u'-';
    int value = 0;
    for (; i < 2 && hex_digit(pair[i]) >= 0; ++i) value = value * 16 + hex_digit(pair[i]);
    return negative ? -value : value;
}

uint8_t hex_pair_value(EntryUnit first, EntryUnit second) {
    return static_cast<uint8_t>(hex_pair_number(first, second) & 0xFF);
}

void widen_bytes(const uint8_t* bytes, int count, EntryUnit* out) {
    for (int i = 0; i < count; ++i) out[i] = bytes[i];
}

bool text_file_name(const wchar_t* path, wchar_t* out, size_t out_chars) {
    size_t length = std::wcslen(path);
    size_t keep = length; // characters of the path kept before ".txt"
    bool append = true;
    if (ends_in_txt(path, length)) {
        append = false;
    } else {
        // Only a dot of the file name itself counts: one in a folder name that happens to
        // fall within the last four characters would cut the file name away.
        size_t name_start = length;
        while (name_start > 0 && path[name_start - 1] != L'\\' && path[name_start - 1] != L'/') --name_start;
        size_t first = length >= 4 ? length - 4 : 0;
        if (first < name_start) first = name_start;
        for (size_t i = first; i < length; ++i)
            if (path[i] == L'.') {
                keep = i;
                break;
            }
    }
    size_t total = keep + (append ? 4 : 0);
    if (total + 1 > out_chars) {
        if (out_chars) out[0] = 0;
        return false;
    }
    std::wmemcpy(out, path, keep);
    if (append) std::wmemcpy(out + keep, L".txt", 4);
    out[total] = 0;
    return true;
}
