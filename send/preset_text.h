// The text of presets and macro steps: hexadecimal pairs mixed with quoted text.
//
// A preset line is read unit by unit. A double or single quote outside quotes opens quoted
// text that the same kind of quote closes; inside, the other kind of quote is dropped and
// every other unit is taken as it stands (all 16 bits). Outside quotes every two units form
// a pair converted as a base-16 number, even with quoted text between them ("4"X"1" gives X
// then 0x41); a digit left over at the end is dropped. Spaces and commas are pair units like
// any other, so pairs are written without separators.
//
// Macro steps use the byte-wise form: the text is first made ANSI; inside quotes the other
// kind of quote is plain text, and outside quotes the byte at hand and the next one always
// form a pair, whatever the second one is.
//
// Everything but macro_text_to_bytes is free of the platform so it can be fuzzed natively.
#pragma once
#include <cstddef>
#include <cstdint>

#include "send/entry_text.h"

// A preset file holds up to 200 lines. A line holds at most 512 units besides its CR LF:
// the two digits of each of an entry's 256 characters.
constexpr int kPresetPlaces = 200;
constexpr int kPresetLineUnits = 512;
constexpr int kPresetLineRead = kPresetLineUnits + 2; // with its CR LF
// The most of a preset file's body (after the byte-order mark) that a load can take in.
constexpr size_t kPresetBodyBytes = static_cast<size_t>(kPresetPlaces) * kPresetLineRead * 2;

// Characters of a macro step's text that are converted; the rest is ignored.
constexpr int kMacroTextChars = 257;

// Parses `length` units of one preset line into out (room for 256 characters; characters
// past the 256th are dropped). Returns their count. A pair's value is stored as a 16-bit
// character: "-1" gives 0xFFFF.
int parse_preset_line(const EntryUnit* line, int length, EntryUnit* out);

// Fills the 200 places of `list` from the body of a preset file (UTF-16LE units after the
// byte-order mark; a last odd byte counts as a unit of its own value). Every place is
// emptied first. A line ends after CR LF or after 514 units, whichever comes first; a
// trailing CR LF (or a lone CR or LF) is cut off, and a line is cut at a unit 0. Line k
// becomes place k, parsed as a preset line; an empty line leaves its place empty, and so
// does a line longer than 512 units, whose rest is read as the next line (a rest that is
// only the LF of a CR LF split by the cut is an empty line). Lines past the 200th are not
// read.
void read_preset_lines(const uint8_t* body, size_t size, Entry* list);

// The byte walk of a macro step's text, already ANSI. Writes at most `room` bytes to out
// and returns their count; never more than `length` bytes come out.
int macro_bytes_walk(const uint8_t* text, int length, uint8_t* out, int room);

// A macro step's text (zero-terminated; at most its first 257 characters) in the thread's
// ANSI code page without best fit, walked into bytes. Clears `room` bytes of out first.
// 0 with the bytes' count in *count; 1 when the text does not convert, with *count as it
// was: a character with no form of its own in the code page is not sent as some other byte.
int macro_text_to_bytes(const wchar_t* text, uint8_t* out, int room, int* count);
