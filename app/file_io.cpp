#include "app/file_io.h"

#include "app/scoped_win.h"

bool create_unicode_file_if_missing(const wchar_t* path) {
    ScopedFile file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return GetLastError() == ERROR_FILE_EXISTS;
    static const unsigned char kMark[] = {0xFF, 0xFE};
    DWORD written = 0;
    return WriteFile(file.get(), kMark, sizeof kMark, &written, nullptr) && written == sizeof kMark;
}

DWORD read_up_to(HANDLE file, void* data, DWORD size) {
    DWORD total = 0;
    while (total < size) {
        DWORD got = 0;
        if (!ReadFile(file, static_cast<char*>(data) + total, size - total, &got, nullptr) || got == 0) break;
        total += got;
    }
    return total;
}
