#include "cli/console_out.h"

#include <windows.h>

#include <mutex>

namespace {

std::mutex g_write_lock;

std::wstring widen_utf8(const std::string& utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string narrow_utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

void write_line(DWORD which, const std::wstring& text) {
    HANDLE h = GetStdHandle(which);
    if (h == INVALID_HANDLE_VALUE || h == nullptr) return;
    std::lock_guard<std::mutex> guard(g_write_lock);
    DWORD mode, written;
    if (GetConsoleMode(h, &mode)) {
        // A console shows every script only when it is given wide text.
        std::wstring line = text + L"\r\n";
        WriteConsoleW(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    std::string line = narrow_utf8(text) + "\r\n";
    WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

} // namespace

void out_line(const std::string& utf8) { write_line(STD_OUTPUT_HANDLE, widen_utf8(utf8)); }
void out_line(const std::wstring& text) { write_line(STD_OUTPUT_HANDLE, text); }
void err_line(const std::wstring& text) { write_line(STD_ERROR_HANDLE, text); }
void err_line(const std::string& utf8) { err_line(widen_utf8(utf8)); }

void flush_console() {
    std::lock_guard<std::mutex> guard(g_write_lock);
    FlushFileBuffers(GetStdHandle(STD_OUTPUT_HANDLE));
    FlushFileBuffers(GetStdHandle(STD_ERROR_HANDLE));
}
