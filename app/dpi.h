// Lengths written at 96 DPI, scaled to the DPI of the window they are drawn in. The
// program declares per-monitor awareness, so Windows stretches nothing: every figure that
// the drawing code measures in pixels goes through dpi_scale.
#pragma once
#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0 // Windows 8.1 and later; the headers of older targets lack it
#endif

constexpr int kBaseDpi = 96;

// The window's DPI (its monitor's, on Windows 10 1607 and later; the system's before).
int window_dpi(HWND window);
inline int dpi_scale(int pixels, int dpi) { return MulDiv(pixels, dpi, kBaseDpi); }
// The side of the toolbar and menu images for a DPI: 16, 24 or 32, the largest tile that
// is not larger than 16 pixels scaled.
int image_size_for_dpi(int dpi);
