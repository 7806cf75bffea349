// Shared by the tests of the menu, toolbar and status bar: the main window made with the
// shipped text table, memory surfaces whose pixels can be read, and tiles of the strips.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "harness.h"
#include "support_canvas.h"

namespace bars_test {

// The real main window in the current directory with the shipped text table, the given
// start-up flags, and a width that shows every status part.
HWND open_main_window(bool dark, bool no_menu_bar);
// Destroys it with the connection flag down and the start-up flags back at their defaults.
void close_main_window(HWND window);

// Recording seams, a temporary start directory and the main window opened in it.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { harness::install_seams(); }
    void TearDown() override {
        close_main_window(window);
        harness::restore_seams();
    }
    void open(bool dark = false, bool no_menu_bar = false) {
        window = open_main_window(dark, no_menu_bar);
        ASSERT_NE(window, nullptr);
    }
    // Ends the window within a test that opens another.
    void close() {
        close_main_window(window);
        window = nullptr;
    }
    harness::TempStartDir dir;
    HWND window = nullptr;
};

// A UDP port that nobody uses on 127.0.0.1 right now; 0 when none could be found.
int free_udp_port();

// Settings for a UDP server on 127.0.0.1 at the port.
void use_loopback_udp_server(int port);

// A memory canvas filled with one colour, released at the end of the scope.
class Surface {
public:
    Surface(int width, int height, COLORREF fill);
    ~Surface() { canvas::free_canvas(&canvas_); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    HDC dc() const { return canvas_.dc; }
    COLORREF at(int x, int y) const { return canvas::pixel(canvas_, x, y); }
    // The w x h pixels at x, y, row by row.
    std::vector<COLORREF> pixels(int x, int y, int w, int h) const;
private:
    canvas::Canvas canvas_;
};

// The 16 x 16 pixels of any bitmap at x, y.
std::vector<COLORREF> bitmap_tile(HBITMAP bitmap, int x, int y);
// Image `index` of strip 92 or 93 as the resources hold it.
std::vector<COLORREF> strip_tile(int bitmap_id, int index);

} // namespace bars_test
