#include "view/dump_mouse.h"

#include "app/main_window.h"
#include "comm/traffic_buffer.h"
#include "view/selection.h"
#include "view/traffic_view.h"

#include <vector>

namespace {

struct Drag {
    bool active = false;
    bool moved = false;
};

Drag g_drag;

void sync() {
    const TrafficState s = traffic_state();
    selection_follow(s.discarded, s.write_index);
}

// Selects the records from `from` to `to`, both included, in either order.
void select_between(HWND window, int from, int to) {
    const int first = from < to ? from : to, last = from < to ? to : from;
    if (g_selection.first == first && g_selection.end == last + 1) return;
    selection_set(first, last + 1);
    repaint_dump_area(window);
}

} // namespace

void dump_mouse_press(HWND window, int x, int y, bool shift) {
    sync();
    const int index = record_at_point(x, y);
    if (index < 0) return;
    if (shift && (g_selection.anchor >= 0 || !selection_empty())) {
        select_between(window, g_selection.anchor >= 0 ? g_selection.anchor : g_selection.first, index);
        return;
    }
    g_selection.anchor = index;
    g_drag = {true, false};
    SetCapture(window);
}

void dump_mouse_move(HWND window, int x, int y) {
    if (!g_drag.active) return;
    sync();
    const int index = record_at_point(x, y);
    if (index < 0 || g_selection.anchor < 0 || (!g_drag.moved && index == g_selection.anchor)) return;
    g_drag.moved = true;
    select_between(window, g_selection.anchor, index);
}

void dump_mouse_release(HWND window, int x, int y) {
    if (!g_drag.active) return;
    dump_mouse_move(window, x, y);
    g_drag.active = false;
    if (GetCapture() == window) ReleaseCapture();
    if (g_drag.moved) return;
    const bool had_selection = !selection_empty();
    const int anchor = g_selection.anchor;
    selection_clear();
    g_selection.anchor = anchor; // a later Shift+click extends from this click
    if (had_selection) repaint_dump_area(window);
}

void select_all_data(HWND window) {
    sync();
    const TrafficState s = traffic_state();
    std::vector<TrafficRecord> records(static_cast<size_t>(s.write_index));
    const int count = traffic_copy(0, s.write_index, records.data());
    int first = -1, last = -1;
    for (int i = 0; i < count; ++i) {
        if (records[i].kind != kReceivedByte && records[i].kind != kSentByte) continue;
        if (first < 0) first = i;
        last = i;
    }
    if (first < 0) return;
    selection_set(first, last + 1);
    g_selection.anchor = first;
    repaint_dump_area(window);
}
