// Where the dump's top line moves on the scroll commands. Pure arithmetic on record
// indices; the top is always a multiple of the records per line.
#pragma once

// Toward the end of the buffer by `pitch` lines, never past the line that holds the last
// record. A grid with no column, or a pitch below 1 (one line then), is handled safely.
int scroll_toward_end(int view_top, int write_index, int records_per_line, int pitch);
// Toward the start by `pitch` lines, stopping at 0.
int scroll_toward_start(int view_top, int records_per_line, int pitch);
// The top of the line that holds the write index.
int last_line_top(int write_index, int records_per_line);
