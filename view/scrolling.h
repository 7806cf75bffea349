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
// The top for a still view that shows record `index`, with a line above it for context
// where there is one. A still view from `top` shows the records up to the screen's end or
// the write index; when its screen is full and ends at the write index, its top band is
// cleared for the next record, so its first line does not show.
int view_top_showing(int index, int write_index, int records_per_line, int lines);
