// The log file layout and the file name rules of the file chooser, as plain functions.
// A log file is a 32-byte header (the record count as "%015d\r" in UTF-16LE) followed by
// the traffic records byte for byte.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int kLogHeaderBytes = 32;

void format_log_header(int count, uint8_t header[kLogHeaderBytes]);
// The count as a decimal number: leading white space and a sign allowed, reading stops
// at the first character that is not a digit. Values beyond 32 bits saturate.
int64_t parse_log_header(const uint8_t header[kLogHeaderBytes]);
// The number of records a log file with this header asks for, or -1 when the buffer could
// not hold them (such a file is not one of ours and is refused whole).
int log_header_count(const uint8_t header[kLogHeaderBytes]);

// Makes the path end in `ext` (such as L".log"): kept when it already does (any case),
// otherwise the extension of the last path component is replaced, or `ext` appended.
// False, with the path unchanged, when the result would not fit in `capacity` characters.
bool force_extension(wchar_t* path, size_t capacity, const wchar_t* ext);
