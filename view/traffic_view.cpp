#include "view/traffic_view.h"

#include "app/app_state.h"
#include "comm/traffic_buffer.h"
#include "view/selection.h"
#include "view/view_metrics.h"

#include <algorithm>
#include <climits>
#include <cwchar>

ViewState g_view;

namespace {

// Records are copied out of the shared buffer a chunk at a time and drawn without its lock;
// the chunk is static so that drawing allocates nothing.
constexpr int kCopyChunk = 1024;
TrafficRecord g_chunk[kCopyChunk];

// A slide of the buffer moves every record down; the indices the view holds move with them,
// so that each record is still drawn exactly once. Records that slid out before they were
// drawn leave last_drawn below 0: they still take their cells, but cannot be shown.
void follow_slides(const TrafficState& s) {
    selection_follow(s.discarded, s.write_index);
    if (s.discarded == g_view.discarded_seen) return;
    if (s.discarded < g_view.discarded_seen) { // a new block: nothing to carry over
        g_view.discarded_seen = s.discarded;
        return;
    }
    const long long delta = static_cast<long long>(std::min<uint64_t>(s.discarded - g_view.discarded_seen, INT_MAX / 2));
    g_view.discarded_seen = s.discarded;
    for (int* index : {&g_view.last_drawn, &g_view.cursor_record, &g_view.shown_first})
        *index = static_cast<int>(std::max<long long>(*index - delta, INT_MIN / 2));
    int top = static_cast<int>(std::max<long long>(g_view.view_top - delta, 0));
    if (g_view.records_per_line > 0) top -= top % g_view.records_per_line;
    g_view.view_top = top;
    g_view.end_top = static_cast<int>(std::max<long long>(g_view.end_top - delta, 0));
    g_view.shown_gap = g_view.shown_gap - delta >= 0 ? static_cast<int>(g_view.shown_gap - delta) : -1;
}

// Copies records [first, first + count), indexed as of the slides seen so far. A slide
// between the look and the copy is noticed and the copy repeated where the records went.
int copy_records(long long first, int count, TrafficRecord* out) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        TrafficState before = traffic_state();
        long long at = first - static_cast<long long>(before.discarded - g_view.discarded_seen);
        if (at < 0 || at > INT_MAX) return 0;
        int copied = traffic_copy(static_cast<int>(at), count, out);
        if (traffic_state().discarded == before.discarded) return copied;
    }
    return 0;
}

// A band clear takes the trailer digits in it off the screen: the running gap must not
// paint them back over what comes there next.
void clear_view_band(DumpPainter* p, int line) {
    clear_band(p, line);
    const int top = band_top(line), bottom = top + g_metrics.band_pitch;
    for (POINT* place : {&g_view.gap_high, &g_view.gap_low})
        if (place->y >= top && place->y < bottom) *place = {0, 0};
}

void note_trailer(const DumpPainter& p, int kind, CellPlace at) {
    if (kind == kGapHigh) g_view.gap_high = middle_of(p, at);
    if (kind == kGapLow) g_view.gap_low = middle_of(p, at);
}

// Draws `count` records from index `first` into consecutive cells from `at` on and returns
// the cell after the last. With clear_bands every band the cursor enters is cleared, as the
// live drawing does; with line_numbers each line's first cell gets its line number.
CellPlace paint_run(DumpPainter* p, long long first, long long count, CellPlace at, bool clear_bands,
                    bool line_numbers) {
    for (long long done = 0; done < count;) {
        long long index = first + done;
        int chunk = static_cast<int>(std::min<long long>(kCopyChunk, count - done));
        int got = 0;
        if (index < 0)
            chunk = static_cast<int>(std::min<long long>(chunk, -index)); // slid out before drawn
        else
            got = copy_records(index, chunk, g_chunk);
        for (int i = 0; i < chunk; ++i) {
            if (i < got) {
                paint_record(p, g_chunk[i], at, selection_has(index + i));
                note_trailer(*p, g_chunk[i].kind, at);
            }
            if (line_numbers && at.column == 0)
                paint_line_number(p, at.line, static_cast<int>((index + i) / p->per_line));
            if (++at.column >= p->per_line) {
                at.column = 0;
                if (++at.line >= p->lines) at.line = 0;
                if (clear_bands) clear_view_band(p, at.line);
            }
        }
        done += chunk;
    }
    return at;
}

CellPlace cursor() { return {g_view.cursor_column, g_view.cursor_line}; }

void set_cursor(CellPlace at) {
    g_view.cursor_column = at.column;
    g_view.cursor_line = at.line;
}

void refresh_gap(DumpPainter* p, int flag, const TrafficState& s) {
    if (g_view.gap_high.x == 0 || g_view.gap_high.y == 0 || s.write_index < 1) return;
    TrafficRecord newest;
    // Only while nothing has come after the newest trailer are its digits still running.
    if (copy_records(s.write_index - 1, 1, &newest) != 1 || newest.kind != kGapLow) return;
    if (flag == 0) g_view.shown_gap = s.pending_gap;
    TrafficRecord pair[2];
    if (g_view.shown_gap >= 0 && copy_records(g_view.shown_gap, 2, pair) == 2 && pair[0].kind == kGapHigh &&
        pair[1].kind == kGapLow) {
        paint_gap_pair(p, g_view.gap_high.x, g_view.gap_high.y, pair[0]);
        if (g_view.gap_low.x != 0 && g_view.gap_low.y != 0)
            paint_gap_pair(p, g_view.gap_low.x, g_view.gap_low.y, pair[1]);
    }
    g_view.shown_gap = s.pending_gap;
}

bool grid_is_empty() { return g_view.records_per_line <= 0 || g_view.lines_on_screen <= 0; }

// Runs `draw` on the main window's context, if there is a window.
template <typename Draw> void on_main_window(Draw draw) {
    HWND window = g_app.main_window;
    if (!window) return;
    HDC dc = GetDC(window);
    if (!dc) return;
    draw(dc);
    ReleaseDC(window, dc);
}

} // namespace

void view_grid_size(int client_width, int client_height, int* records_per_line, int* lines_on_screen) {
    int per_line = 0, lines = 0;
    if (g_metrics.glyph_width > 0)
        per_line = (client_width - view_px(6) - g_metrics.label_width - view_px(10)) / (2 * g_metrics.glyph_width);
    if (g_metrics.band_pitch > 0) lines = (client_height - view_px(40)) / g_metrics.band_pitch;
    *records_per_line = per_line > 0 ? per_line : 0;
    *lines_on_screen = lines > 0 ? lines : 0;
}

void draw_view(HDC dc) {
    RECT rc = {0, 0, 0, 0};
    GetClientRect(g_app.main_window, &rc);
    draw_view_sized(dc, rc.right, rc.bottom);
}

void draw_view_sized(HDC dc, int width, int height) {
    const TrafficState s = traffic_state();
    follow_slides(s);
    view_grid_size(width, height, &g_view.records_per_line, &g_view.lines_on_screen);
    g_view.client_width = width;
    // The whole screen is drawn anew: marks and digit places of the last drawing are gone.
    g_view.end_mark.shown = false;
    g_view.gap_high = g_view.gap_low = {0, 0};

    const int per_line = g_view.records_per_line, lines = g_view.lines_on_screen;
    const int write_index = s.write_index;
    if (lines <= 0) {
        g_view.last_drawn = write_index;
        return;
    }
    DumpPainter p;
    painter_begin(&p, dc, per_line, lines, width);
    paint_grid(&p);
    if (per_line <= 0) { // too narrow for one cell: the frame only
        g_view.last_drawn = write_index;
        painter_end(&p);
        return;
    }

    const long long lines_needed = write_index / per_line + (write_index % per_line ? 1 : 0);
    g_view.end_top = lines_needed > lines ? static_cast<int>(per_line * (lines_needed - lines)) : 0;
    long long first, last;
    if (g_view.follow_end == 1) {
        first = g_view.end_top;
        last = write_index;
    } else {
        first = g_view.view_top;
        last = std::min<long long>(write_index, first + static_cast<long long>(lines) * per_line);
    }
    first = std::min(first, last);

    CellPlace at = paint_run(&p, first, last - first, {0, 0}, false, true);
    // The cursor stands after the last record, as the live drawing would leave it; the band
    // it moved into is cleared. With nothing drawn it stands in the first cell. A still
    // view with more records below its screen leaves its top band as drawn: nothing is
    // appended there, and a cleared band would hide the records that the top line stands for.
    const bool more_below = g_view.follow_end != 1 && last < write_index;
    g_view.shown_first = static_cast<int>(first);
    if (last > first && at.column == 0 && !more_below) {
        clear_view_band(&p, at.line);
        if (at.line == 0) g_view.shown_first = static_cast<int>(first + per_line); // the screen was full
    }
    set_cursor(last > first ? at : CellPlace{0, 0});
    g_view.cursor_record = static_cast<int>(last);

    if (g_view.follow_end == 1) g_view.view_top = g_view.end_top;
    g_view.last_drawn = write_index;
    if (last == write_index) g_view.end_mark = paint_end_mark(&p, cursor(), g_view.end_mark_text);
    painter_end(&p);
}

void append_to_view() {
    on_main_window([](HDC dc) { append_to_view_on(dc); });
    if (!g_app.main_window) g_view.last_drawn = traffic_state().write_index;
}

void append_to_view_on(HDC dc) {
    const TrafficState s = traffic_state();
    follow_slides(s);
    const int write_index = s.write_index;
    if (grid_is_empty() || write_index < g_view.last_drawn) {
        // Nothing to draw into, or the buffer was replaced behind the view's back: the next
        // complete drawing shows what is there.
        g_view.last_drawn = write_index;
        return;
    }
    DumpPainter p;
    painter_begin(&p, dc, g_view.records_per_line, g_view.lines_on_screen, g_view.client_width);
    refresh_gap(&p, 1, s);
    erase_end_mark(&p, g_view.end_mark);
    g_view.end_mark.shown = false;

    const int per_line = p.per_line, lines = p.lines;
    const long long fresh = static_cast<long long>(write_index) - g_view.last_drawn;
    const CellPlace from = cursor();
    if ((from.column + fresh) / per_line >= lines) {
        // More than the screen holds: every band is entered (and cleared) again, so only the
        // records after the last clear of each band stay visible. Draw just those, where the
        // record-by-record drawing would have left them.
        const long long end = static_cast<long long>(from.line) * per_line + from.column + fresh;
        const long long visible = static_cast<long long>(lines - 1) * per_line + end % per_line;
        for (int n = 0; n < lines; ++n) clear_view_band(&p, n);
        const CellPlace start = advance_cell({0, 0}, end - visible, per_line, lines);
        set_cursor(paint_run(&p, write_index - visible, visible, start, false, false));
    } else {
        set_cursor(paint_run(&p, g_view.last_drawn, fresh, from, true, false));
    }
    // Each band the cursor entered was cleared: the oldest record left on screen is the one
    // a full screen back from the cursor, less the cleared band's cells past it.
    g_view.cursor_record = write_index;
    g_view.shown_first = static_cast<int>(std::max<long long>(
        g_view.shown_first, static_cast<long long>(write_index) - ((lines - 1) * per_line + g_view.cursor_column)));
    g_view.last_drawn = write_index;
    g_view.end_mark = paint_end_mark(&p, cursor(), g_view.end_mark_text);
    painter_end(&p);
}

void refresh_running_gap(int flag) {
    on_main_window([flag](HDC dc) { refresh_running_gap_on(dc, flag); });
}

void refresh_running_gap_on(HDC dc, int flag) {
    const TrafficState s = traffic_state();
    follow_slides(s);
    if (grid_is_empty()) return;
    DumpPainter p;
    painter_begin(&p, dc, g_view.records_per_line, g_view.lines_on_screen, g_view.client_width);
    refresh_gap(&p, flag, s);
    painter_end(&p);
}

void reset_view() {
    set_cursor({0, 0});
    g_view.gap_high = g_view.gap_low = {0, 0};
    g_view.shown_gap = 0;
    g_view.last_drawn = 0;
    g_view.cursor_record = g_view.shown_first = 0;
    g_view.end_top = 0;
    g_view.view_top = 0;
    g_view.discarded_seen = traffic_state().discarded;
    selection_clear();
    g_selection.discarded_seen = g_view.discarded_seen;
    wcscpy(g_view.end_mark_text, L"EOF");
}

bool record_on_screen(int index) {
    return !grid_is_empty() && index >= 0 && index >= g_view.shown_first && index < g_view.cursor_record;
}

int record_at_point(int x, int y) {
    if (grid_is_empty() || g_metrics.glyph_width <= 0 || g_metrics.band_pitch <= 0) return -1;
    const int per_line = g_view.records_per_line, lines = g_view.lines_on_screen;
    const int cell_width = 2 * g_metrics.glyph_width;
    if (x < g_metrics.label_width || y < 0) return -1;
    const int column = (x - g_metrics.label_width) / cell_width, line = y / g_metrics.band_pitch;
    if (column >= per_line || line >= lines) return -1;
    // Cells before the cursor, counted back in drawing order (wrapping over the screen),
    // hold the records before cursor_record.
    const long long screen = static_cast<long long>(per_line) * lines;
    long long back = (static_cast<long long>(g_view.cursor_line) * per_line + g_view.cursor_column -
                      (static_cast<long long>(line) * per_line + column)) % screen;
    if (back <= 0) back += screen;
    const long long index = g_view.cursor_record - back;
    return index >= INT_MIN && record_on_screen(static_cast<int>(index)) ? static_cast<int>(index) : -1;
}
