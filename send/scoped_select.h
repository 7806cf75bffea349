// Selects a GDI object into a device context for one scope and selects the previous one back.
#pragma once
#include <windows.h>

struct ScopedSelect {
    HDC dc;
    HGDIOBJ previous;
    ScopedSelect(HDC d, HGDIOBJ object) : dc(d), previous(SelectObject(d, object)) {}
    ~ScopedSelect() { SelectObject(dc, previous); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
};
