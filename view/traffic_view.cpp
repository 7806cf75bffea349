#include "view/traffic_view.h"

#include "app/app_state.h"
#include "comm/traffic_buffer.h"
#include "view/view_metrics.h"

ViewState g_view;

void view_grid_size(int client_width, int client_height, int* records_per_line, int* lines_on_screen) {
    int per_line = 0, lines = 0;
    if (g_metrics.glyph_width > 0)
        per_line = (client_width - 6 - g_metrics.label_width - 10) / (2 * g_metrics.glyph_width);
    if (g_metrics.band_pitch > 0) lines = (client_height - 40) / g_metrics.band_pitch;
    *records_per_line = per_line > 0 ? per_line : 0;
    *lines_on_screen = lines > 0 ? lines : 0;
}

void draw_view(HDC dc) {
    (void)dc;
    RECT rc = {0, 0, 0, 0};
    GetClientRect(g_app.main_window, &rc);
    view_grid_size(rc.right, rc.bottom, &g_view.records_per_line, &g_view.lines_on_screen);
    g_view.last_drawn = traffic_state().write_index;
}

void append_to_view() { g_view.last_drawn = traffic_state().write_index; }

void refresh_running_gap(int flag) { (void)flag; }

void reset_view() {
    g_view.cursor_column = 0;
    g_view.cursor_line = 0;
    g_view.last_drawn = 0;
    g_view.end_top = 0;
    g_view.view_top = 0;
}
