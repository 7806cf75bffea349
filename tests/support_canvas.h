// Drawing into memory for the view and theming tests: a canvas of known size, the view's
// fonts and drawing objects in either colour set, and a log of every text the dump draws.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace canvas {

// A 32-bit bitmap selected into a memory context.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    uint32_t* bits = nullptr;
    int width = 0, height = 0;
};
Canvas make_canvas(int width, int height);
void free_canvas(Canvas* c);
COLORREF pixel(const Canvas& c, int x, int y);
// Fills the canvas with the window background (what the main window's erase does).
void erase(const Canvas& c);
// True if any pixel in [left, right) x [top, bottom) has the colour.
bool any_pixel(const Canvas& c, int left, int top, int right, int bottom, COLORREF colour);
bool same_pixels(const Canvas& a, const Canvas& b);

// Fonts, metrics, colours (from color.ini in the current directory, if any) and drawing
// objects for the light or the dark set; undone by release_view_objects.
void make_view_objects(bool dark);
void release_view_objects();

struct Drawn {
    int x, y;
    std::wstring text;
    COLORREF colour, back;
    int back_mode;
    HFONT font;
};
// Starts (again) to record the dump's texts; stop_text_log ends it.
void start_text_log();
void stop_text_log();
const std::vector<Drawn>& drawn_texts();
// The texts drawn at (x, y), in order.
std::vector<Drawn> texts_at(int x, int y);
// Every drawn text equal to text.
std::vector<Drawn> texts_equal(const std::wstring& text);

} // namespace canvas
