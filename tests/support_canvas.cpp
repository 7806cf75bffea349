#include "support_canvas.h"

#include "look/colours.h"
#include "look/dark_mode.h"
#include "view/dump_painter.h"
#include "view/view_metrics.h"

#include <algorithm>

namespace canvas {

namespace {

std::vector<Drawn> g_drawn;

void record_text(const ViewText& t) {
    g_drawn.push_back({t.x, t.y, std::wstring(t.text, t.length), t.colour, t.back, t.back_mode, t.font});
}

} // namespace

Canvas make_canvas(int width, int height) {
    Canvas c;
    c.width = width;
    c.height = height;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    c.dc = CreateCompatibleDC(nullptr);
    c.bitmap = CreateDIBSection(c.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    c.bits = static_cast<uint32_t*>(bits);
    c.old = SelectObject(c.dc, c.bitmap);
    return c;
}

void free_canvas(Canvas* c) {
    if (!c->dc) return;
    SelectObject(c->dc, c->old);
    DeleteObject(c->bitmap);
    DeleteDC(c->dc);
    *c = Canvas{};
}

COLORREF pixel(const Canvas& c, int x, int y) {
    GdiFlush();
    uint32_t v = c.bits[y * c.width + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

void erase(const Canvas& c) {
    RECT rc = {0, 0, c.width, c.height};
    FillRect(c.dc, &rc, g_draw.brush[kSlotWindowBack]);
}

bool any_pixel(const Canvas& c, int left, int top, int right, int bottom, COLORREF colour) {
    for (int y = std::max(top, 0); y < std::min(bottom, c.height); ++y)
        for (int x = std::max(left, 0); x < std::min(right, c.width); ++x)
            if (pixel(c, x, y) == colour) return true;
    return false;
}

bool same_pixels(const Canvas& a, const Canvas& b) {
    GdiFlush();
    if (a.width != b.width || a.height != b.height) return false;
    for (int i = 0; i < a.width * a.height; ++i)
        if ((a.bits[i] & 0xFFFFFF) != (b.bits[i] & 0xFFFFFF)) return false;
    return true;
}

void make_view_objects(bool dark) {
    g_dark_mode.dark = dark ? 1 : 0;
    measure_view_fonts(nullptr);
    load_colours();
    make_drawing_objects();
}

void release_view_objects() {
    release_drawing_objects();
    g_colours = kDefaultColours;
    g_dark_mode = DarkModeFlags{};
}

void start_text_log() {
    g_drawn.clear();
    g_view_text_spy = record_text;
}

void stop_text_log() { g_view_text_spy = nullptr; }

const std::vector<Drawn>& drawn_texts() { return g_drawn; }

std::vector<Drawn> texts_at(int x, int y) {
    std::vector<Drawn> found;
    for (const Drawn& d : g_drawn)
        if (d.x == x && d.y == y) found.push_back(d);
    return found;
}

std::vector<Drawn> texts_equal(const std::wstring& text) {
    std::vector<Drawn> found;
    for (const Drawn& d : g_drawn)
        if (d.text == text) found.push_back(d);
    return found;
}

} // namespace canvas
