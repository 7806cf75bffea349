// Entries and the text rules of the send tools that need no window: the two texts of a grid
// cell, the byte of a typed hexadecimal pair, the widening of bytes to characters and the
// name rule of text files.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int kEntryChars = 256;

// One UTF-16 code unit of an entry. On Windows that is wchar_t, so entries go to and from
// the window functions unchanged; where wchar_t has 32 bits (the native sanitizer and fuzz
// builds) char16_t holds the same 16-bit values, so the same arithmetic is checked there.
#ifdef _WIN32
using EntryUnit = wchar_t;
#else
using EntryUnit = char16_t;
#endif
static_assert(sizeof(EntryUnit) == 2, "entries are 16-bit units");

// One composed string: the send history, the preset lists and the editors hold these.
// Places past the length are 0.
struct Entry {
    int length;
    EntryUnit chars[kEntryChars];
};

void entry_empty(Entry* entry);
// Places count..255 become 0; count is kept within 0..256.
void entry_assign(Entry* entry, const EntryUnit* chars, int count);

// What one grid cell shows of a character: its text (the character itself or a two-letter
// control name) and its value (two characters, the high digit first).
struct CellTexts {
    EntryUnit text[3];
    int text_length; // 1 or 2
    EntryUnit value[3];
};

// The cell texts of c. The value digits come from the four-bit halves of c, each raised to
// "A".."F" past "9"; for every code below 0x100 they are its two upper-case hexadecimal digits.
CellTexts char_cell_texts(uint32_t c);
// Two upper-case hexadecimal digits of a byte, high digit first.
void byte_digits(uint8_t b, EntryUnit out[2]);

// Two characters converted as a base-16 number in the usual way: leading white space
// (space, tab, CR, LF, VT, FF) and one sign are accepted, the digits stop at the first
// character that is not one, and nothing convertible gives 0: "41" 0x41, "G7" 0, " 7" 7,
// "7Z" 7, "-1" -1. Written out rather than left to the C library so that every build reads
// a pair alike.
int hex_pair_number(EntryUnit first, EntryUnit second);
// A typed pair: hex_pair_number cut to its low 8 bits ("-1" 0xFF).
uint8_t hex_pair_value(EntryUnit first, EntryUnit second);

// One character per byte, of the byte's value.
void widen_bytes(const uint8_t* bytes, int count, EntryUnit* out);

// The name under which a list of entries is saved: a name ending in ".txt" (any case)
// stays; a dot among the last four characters of the file name starts the extension that
// ".txt" replaces; otherwise ".txt" is appended. False when the result does not fit in
// out_chars (terminator included).
bool text_file_name(const wchar_t* path, wchar_t* out, size_t out_chars);
