// Handle guards: each gives back what it holds when its scope ends, on every path.
#include "app/scoped_win.h"
#include "harness.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ScopedWin, FileIsClosedAtScopeEndAndByClose) {
    harness::TempStartDir dir;
    const std::wstring path = dir.file(L"guarded.bin");
    const wchar_t* name = path.c_str();
    {
        ScopedFile file(CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file.valid());
        // Opened without sharing: nobody else gets in while the guard holds it.
        EXPECT_EQ(CreateFileW(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    }
    ScopedFile again(CreateFileW(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(again.valid());
    EXPECT_TRUE(again.close());
    EXPECT_FALSE(again.valid());
    EXPECT_TRUE(again.close()); // closing twice is harmless
    again.reset(CreateFileW(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(again.valid());
    EXPECT_FALSE(ScopedFile().valid());
}

TEST(ScopedWin, SelectionIsGivenBackAndObjectsDeleted) {
    ScopedGetDC screen(nullptr);
    ASSERT_NE(static_cast<HDC>(screen), nullptr);
    ScopedMemoryDC dc(screen);
    ASSERT_NE(static_cast<HDC>(dc), nullptr);
    const HGDIOBJ before = GetCurrentObject(dc, OBJ_PEN);
    HPEN kept = nullptr;
    {
        ScopedGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, RGB(1, 2, 3)));
        kept = pen;
        {
            ScopedSelect in(dc, pen);
            EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen.get());
        }
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), before);
        EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_PEN));
    }
    EXPECT_EQ(GetObjectType(kept), 0u); // deleted with its guard
    ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(RGB(4, 5, 6)));
    HBRUSH released = brush.release();
    EXPECT_EQ(brush.get(), nullptr);
    EXPECT_EQ(GetObjectType(released), static_cast<DWORD>(OBJ_BRUSH)); // a new owner has it
    DeleteObject(released);
}

} // namespace
