#include "view/dump_copy.h"

#include "comm/traffic_buffer.h"
#include "res/resource.h"
#include "view/control_names.h"
#include "view/dump_search.h"
#include "view/selection.h"

#include <cstring>
#include <vector>

namespace {

constexpr int kPresetBytes = 256;
constexpr int kPresetUnits = 512;
const wchar_t kDigits[] = L"0123456789ABCDEF";

void put_pair(std::wstring* out, uint8_t b) {
    out->push_back(kDigits[b >> 4]);
    out->push_back(kDigits[b & 15]);
}

bool quotable(uint8_t b) { return b >= 0x20 && b <= 0x7E && b != '"' && b != '\''; }

// The clipboard may be held by another program for a moment.
bool open_clipboard(HWND window) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(window)) return true;
        Sleep(10);
    }
    return false;
}

} // namespace

std::wstring hex_pairs_text(const uint8_t* bytes, int count) {
    std::wstring out;
    out.reserve(static_cast<size_t>(count) * 3);
    for (int i = 0; i < count; ++i) {
        if (i) out.push_back(L' ');
        put_pair(&out, bytes[i]);
    }
    return out;
}

std::wstring dump_text(const uint8_t* bytes, int count) {
    std::wstring out;
    for (int i = 0; i < count;) {
        const wchar_t* name = bytes[i] == ' ' ? nullptr : control_name(bytes[i]);
        if (name) {
            out += L'<';
            out += name;
            out += L'>';
            ++i;
            continue;
        }
        // A run of the other bytes goes through the code page whole, so that double-byte
        // characters stay together.
        int end = i;
        while (end < count && (bytes[end] == ' ' || !control_name(bytes[end]))) ++end;
        const char* run = reinterpret_cast<const char*>(bytes + i);
        const int need = MultiByteToWideChar(CP_ACP, 0, run, end - i, nullptr, 0);
        if (need > 0) {
            const size_t at = out.size();
            out.resize(at + static_cast<size_t>(need));
            MultiByteToWideChar(CP_ACP, 0, run, end - i, out.data() + at, need);
        }
        i = end;
    }
    return out;
}

std::wstring preset_lines_text(const uint8_t* bytes, int count) {
    std::wstring out, line;
    bool quoted = false;
    int line_bytes = 0;
    auto end_line = [&]() {
        if (quoted) line.push_back(L'"');
        if (!out.empty()) out += L"\r\n";
        out += line;
        line.clear();
        quoted = false;
        line_bytes = 0;
    };
    for (int i = 0; i < count; ++i) {
        const bool text = quotable(bytes[i]);
        // The line's length once closed, with this byte.
        const size_t units = line.size() + (text ? (quoted ? 2 : 3) : (quoted ? 3 : 2));
        if (line_bytes == kPresetBytes || units > static_cast<size_t>(kPresetUnits)) end_line();
        if (text != quoted) {
            line.push_back(L'"');
            quoted = text;
        }
        if (text)
            line.push_back(static_cast<wchar_t>(bytes[i]));
        else
            put_pair(&line, bytes[i]);
        ++line_bytes;
    }
    if (line_bytes) end_line();
    return out;
}

std::basic_string<uint8_t> selection_bytes() {
    const TrafficState s = traffic_state();
    selection_follow(s.discarded, s.write_index);
    if (selection_empty()) return {};
    const int count = g_selection.end - g_selection.first;
    std::vector<TrafficRecord> records(static_cast<size_t>(count));
    const int got = traffic_copy(g_selection.first, count, records.data());
    std::basic_string<uint8_t> bytes(static_cast<size_t>(got), 0);
    bytes.resize(static_cast<size_t>(selected_bytes(records.data(), 0, got, bytes.data(), got)));
    return bytes;
}

bool copy_selection(HWND window, int command) {
    const std::basic_string<uint8_t> bytes = selection_bytes();
    if (bytes.empty()) return false;
    const int n = static_cast<int>(bytes.size());
    const std::wstring text = command == IDM_COPY_TEXT     ? dump_text(bytes.data(), n)
                              : command == IDM_COPY_PRESET ? preset_lines_text(bytes.data(), n)
                                                           : hex_pairs_text(bytes.data(), n);
    const size_t size = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return false;
    if (void* at = GlobalLock(memory)) {
        std::memcpy(at, text.c_str(), size);
        GlobalUnlock(memory);
    }
    if (!open_clipboard(window)) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!placed) GlobalFree(memory); // the clipboard owns it only once it is placed
    return placed;
}
