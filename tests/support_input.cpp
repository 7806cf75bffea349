#include "support_input.h"

#include "app/settings.h"
#include "harness.h"
#include "look/colours.h"
#include "send/entry_editor.h"
#include "view/view_metrics.h"

namespace input_test {

namespace {

Picture read_dib(const void* bits, int width, int height) {
    Picture p;
    p.width = width;
    p.height = height;
    p.pixels.resize(static_cast<size_t>(width) * height);
    const auto* src = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < p.pixels.size(); ++i) {
        uint32_t v = src[i]; // 0x00RRGGBB in a top-down 32-bit DIB
        p.pixels[i] = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    return p;
}

void fill(HDC dc, const RECT& rc, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
}

} // namespace

Canvas::Canvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
}

Canvas::~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

Picture Canvas::picture() const {
    GdiFlush();
    return read_dib(bits_, width_, height_);
}

Picture capture_client(HWND window) {
    RECT rc;
    GetClientRect(window, &rc);
    Canvas canvas(rc.right, rc.bottom);
    HDC dc = GetDC(window);
    BitBlt(canvas.dc(), 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
    return canvas.picture();
}

int cell_x(int column) { return kGridLeft + 2 * g_metrics.glyph_width * column; }

RECT text_cell(int column, int top) { return {cell_x(column), top, cell_x(column + 1), top + g_metrics.glyph_height}; }

RECT value_cell(int column, int top) {
    RECT rc = text_cell(column, top);
    OffsetRect(&rc, 0, g_metrics.glyph_height);
    return rc;
}

Picture expected_cell(const RECT& cell, COLORREF back, const std::wstring& text, int x, int y) {
    Canvas canvas(cell.right, cell.bottom);
    fill(canvas.dc(), cell, back);
    if (!text.empty()) {
        HGDIOBJ old = SelectObject(canvas.dc(), g_metrics.large_font);
        SetTextColor(canvas.dc(), slot_colour(kSlotText));
        SetBkColor(canvas.dc(), back);
        SetBkMode(canvas.dc(), OPAQUE);
        TextOutW(canvas.dc(), x, y, text.c_str(), static_cast<int>(text.size()));
        SelectObject(canvas.dc(), old);
    }
    return canvas.picture();
}

::testing::AssertionResult shows(const Picture& picture, const RECT& cell, const Picture& expected) {
    for (int y = cell.top; y < cell.bottom; ++y)
        for (int x = cell.left; x < cell.right; ++x)
            if (picture.at(x, y) != expected.at(x, y))
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << std::hex << picture.at(x, y) << ", expected "
                       << expected.at(x, y);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult shows_text(const Picture& picture, int column, int top, const std::wstring& text) {
    RECT cell = text_cell(column, top);
    int x = text.size() == 1 ? cell.left + g_metrics.glyph_width / 2 : cell.left;
    COLORREF back = slot_colour(column % 2 ? kSlotAscBack1 : kSlotAscBack2);
    return shows(picture, cell, expected_cell(cell, back, text, x, top));
}

::testing::AssertionResult shows_value(const Picture& picture, int column, int top, const std::wstring& value) {
    RECT cell = value_cell(column, top);
    COLORREF back = slot_colour(column % 2 ? kSlotHexBack1 : kSlotHexBack2);
    return shows(picture, cell, expected_cell(cell, back, value, cell.left, cell.top));
}

::testing::AssertionResult shows_number(const Picture& picture, int column, int numbers_top, int number) {
    wchar_t text[8];
    swprintf(text, 8, L"%03d", number);
    // Only the part of the number's box that no neighbour reaches into.
    RECT box = {cell_x(column), numbers_top, cell_x(column + 1), numbers_top + g_metrics.small_height};
    Canvas canvas(box.right, box.bottom);
    fill(canvas.dc(), box, slot_colour(kSlotDialogBack));
    HGDIOBJ old = SelectObject(canvas.dc(), g_metrics.small_font);
    SetTextColor(canvas.dc(), slot_colour(kSlotText));
    SetBkMode(canvas.dc(), TRANSPARENT);
    TextOutW(canvas.dc(), box.left, box.top, text, 3);
    SelectObject(canvas.dc(), old);
    return shows(picture, box, canvas.picture());
}

HWND open_main_window(const std::wstring& dir) {
    harness::install_seams();
    harness::write_file(dir + L"\\Tarvik_char2.ini", harness::read_file(harness::source_file("data/Tarvik_char2.ini")));
    HWND window = harness::create_main_window();
    g_settings.moji_type = 1;
    return window;
}

void release_keys(HWND field, const std::wstring& text) {
    SetWindowTextW(field, text.c_str());
    SendMessageW(field, WM_KEYUP, 'A', 0xC0000001);
}

} // namespace input_test
