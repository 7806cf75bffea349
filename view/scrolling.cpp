#include "view/scrolling.h"

#include <algorithm>
#include <cstdint>

namespace {

int step_records(int records_per_line, int pitch) {
    int64_t step = static_cast<int64_t>(std::max(1, pitch)) * records_per_line;
    return static_cast<int>(std::min<int64_t>(step, INT32_MAX));
}

} // namespace

int last_line_top(int write_index, int records_per_line) {
    if (records_per_line <= 0 || write_index <= 0) return 0;
    return (write_index / records_per_line) * records_per_line;
}

int scroll_toward_end(int view_top, int write_index, int records_per_line, int pitch) {
    if (records_per_line <= 0) return view_top;
    int64_t top = static_cast<int64_t>(view_top) + step_records(records_per_line, pitch);
    if (top > write_index - 1) return last_line_top(write_index, records_per_line);
    return static_cast<int>(top);
}

int scroll_toward_start(int view_top, int records_per_line, int pitch) {
    if (records_per_line <= 0) return view_top;
    int64_t top = static_cast<int64_t>(view_top) - step_records(records_per_line, pitch);
    return static_cast<int>(std::max<int64_t>(top, 0));
}

int view_top_showing(int index, int write_index, int records_per_line, int lines) {
    if (records_per_line <= 0 || lines <= 0 || index < 0) return 0;
    const int64_t line = index / records_per_line;
    const int64_t screen = static_cast<int64_t>(records_per_line) * lines;
    for (int64_t back : {1, 0}) {
        if (line - back < 0) continue;
        const int64_t top = (line - back) * records_per_line;
        const int64_t end = std::min<int64_t>(write_index, top + screen);
        const int64_t first = end - top == screen && end == write_index ? top + records_per_line : top;
        if (index >= first && index < end) return static_cast<int>(top);
    }
    return static_cast<int>(line * records_per_line);
}
