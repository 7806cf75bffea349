// Shared by the tests of the menu, toolbar and status bar: the main window made with the
// shipped text table, memory surfaces whose pixels can be read, and tiles of the strips.
#pragma once
#include <windows.h>

#include <vector>

namespace bars_test {

// The real main window in the current directory with the shipped text table, the given
// start-up flags, and a width that shows every status part.
HWND open_main_window(bool dark, bool no_menu_bar);
// Destroys it with the connection flag down and the start-up flags back at their defaults.
void close_main_window(HWND window);

// A 32-bit DIB section selected into a memory DC.
class Surface {
public:
    Surface(int width, int height, COLORREF fill);
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    HDC dc() const { return dc_; }
    COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }
    // The w x h pixels at x, y, row by row.
    std::vector<COLORREF> pixels(int x, int y, int w, int h) const;
private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

// The 16 x 16 pixels of any bitmap at x, y.
std::vector<COLORREF> bitmap_tile(HBITMAP bitmap, int x, int y);
// Image `index` of strip 92 or 93 as the resources hold it.
std::vector<COLORREF> strip_tile(int bitmap_id, int index);

} // namespace bars_test
