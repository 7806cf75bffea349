#include "view/view_metrics.h"

#include "app/dpi.h"

#include <initializer_list>

ViewMetrics g_metrics;
DrawingObjects g_draw;

namespace {

HFONT make_view_font(int height) {
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH, L"ＭＳＰゴシック");
}

SIZE text_extent(HDC dc, const wchar_t* text, int length) {
    SIZE size = {0, 0};
    GetTextExtentPoint32W(dc, text, length, &size);
    return size;
}

} // namespace

void measure_view_fonts(HWND window) {
    for (HFONT* font : {&g_metrics.small_font, &g_metrics.large_font}) {
        if (*font) DeleteObject(*font);
        *font = nullptr;
    }
    g_metrics.dpi = window_dpi(window);
    HDC dc = GetDC(window);
    g_metrics.small_font = make_view_font(view_px(10));
    g_metrics.large_font = make_view_font(view_px(18));

    HGDIOBJ old = SelectObject(dc, g_metrics.small_font);
    g_metrics.small_height = text_extent(dc, L"W", 1).cy;

    SelectObject(dc, g_metrics.large_font);
    SIZE w = text_extent(dc, L"W", 1);
    g_metrics.glyph_width = w.cx;
    g_metrics.glyph_height = w.cy;
    g_metrics.label_width = text_extent(dc, L"SEND:", 5).cx;

    SelectObject(dc, g_metrics.small_font);
    g_metrics.half_band = g_metrics.small_height + 2 * g_metrics.glyph_height + view_px(5);
    g_metrics.band_pitch = 2 * g_metrics.half_band + view_px(3);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
}

int view_px(int pixels_at_96) { return dpi_scale(pixels_at_96, g_metrics.dpi); }

void make_drawing_objects() {
    const Rgb* set = active_colour_set();
    for (int slot = 0; slot < kColourSlots; ++slot) g_draw.colour[slot] = to_colorref(set[slot]);
    for (int slot = 0; slot <= 5; ++slot) g_draw.pen[slot] = CreatePen(PS_SOLID, 1, g_draw.colour[slot]);
    for (int slot = 0; slot <= 6; ++slot) g_draw.brush[slot] = CreateSolidBrush(g_draw.colour[slot]);
    g_draw.neutral_pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    g_draw.neutral_brush = CreateSolidBrush(RGB(0, 0, 0));
}

void release_drawing_objects() {
    for (int slot = 0; slot < kColourSlots; ++slot) {
        if (g_draw.pen[slot]) DeleteObject(g_draw.pen[slot]);
        if (g_draw.brush[slot]) DeleteObject(g_draw.brush[slot]);
        g_draw.pen[slot] = nullptr;
        g_draw.brush[slot] = nullptr;
    }
    HGDIOBJ others[] = {g_draw.neutral_pen, g_draw.neutral_brush, g_metrics.small_font, g_metrics.large_font};
    for (HGDIOBJ obj : others)
        if (obj) DeleteObject(obj);
    g_draw.neutral_pen = nullptr;
    g_draw.neutral_brush = nullptr;
    g_metrics.small_font = nullptr;
    g_metrics.large_font = nullptr;
}

void select_neutral_objects(HDC dc) {
    SelectObject(dc, g_draw.neutral_pen);
    SelectObject(dc, g_draw.neutral_brush);
}
