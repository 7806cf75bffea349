// Shared by the tests of the entry editor and the input send dialog: pictures of what a
// window shows, reference cells drawn independently of the program, and key releases.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace input_test {

// The pixels of a client area (or of a drawing), row by row, as COLORREF values.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// What the window's client area shows on the screen now.
Picture capture_client(HWND window);

// A drawing surface of the program's kind (a DIB section in a memory DC).
class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    HDC dc() const { return dc_; }
    Picture picture() const;
private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
    int width_, height_;
};

// Grid geometry from the measured view fonts: column x, cell width, the glyph height.
int cell_x(int column);
RECT text_cell(int column, int top);  // the text row of a column of the row at `top`
RECT value_cell(int column, int top); // the value row below it

// How a cell must look: its background colour, with `text` drawn at (x, y) in the large
// view font (nothing when empty). Drawn here from the geometry, not by the program.
Picture expected_cell(const RECT& cell, COLORREF back, const std::wstring& text, int x, int y);
// True when the picture shows exactly `expected` inside `cell`; says where it differs.
::testing::AssertionResult shows(const Picture& picture, const RECT& cell, const Picture& expected);
// A text row cell holding `text` (centred when one character wide) and a value row cell.
::testing::AssertionResult shows_text(const Picture& picture, int column, int top, const std::wstring& text);
::testing::AssertionResult shows_value(const Picture& picture, int column, int top, const std::wstring& value);
// The column numbers ("%03d" of first + i) above a row, in the small font, transparent.
::testing::AssertionResult shows_number(const Picture& picture, int column, int numbers_top, int number);

// Recording seams, the shipped text table in `dir` and the real main window, English texts.
HWND open_main_window(const std::wstring& dir);

// As a keyboard leaves it: the field holds `text`, then a key is released.
void release_keys(HWND field, const std::wstring& text);

} // namespace input_test
