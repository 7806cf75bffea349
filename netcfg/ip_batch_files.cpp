#include "netcfg/ip_batch_files.h"

#include "app/app_state.h"
#include "app/scoped_win.h"
#include "app/seams.h"
#include "app/settings.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "app/file_io.h"

#include <cwchar>

TypingTool g_typing_tool;

namespace {

constexpr const wchar_t* kToolFile = L"quorrel.ini";
constexpr const wchar_t* kToolSection = L"Setting";
constexpr int kToolTextRead = 251; // 250 characters of ID or password are read
constexpr size_t kIpPathChars = kPathChars + 16 + kBatchNameChars;


void file_warning(HWND owner, const wchar_t* text) {
    show_message_box(owner, text, L"file error", MB_OK | MB_ICONWARNING);
}

// start directory + "\ipaddress", and + "\" + name when a name is given. Without a start
// directory the folder is taken relative to the current one, never from the drive's root.
bool folder_path(const wchar_t* name, wchar_t* out, size_t out_chars) {
    const wchar_t* base = g_app.start_dir[0] ? g_app.start_dir : L".";
    const int n = name ? swprintf(out, out_chars, L"%ls\\ipaddress\\%ls", base, name)
                       : swprintf(out, out_chars, L"%ls\\ipaddress", base);
    if (n < 0 || static_cast<size_t>(n) >= out_chars) {
        out[0] = 0;
        return false;
    }
    return true;
}

// Without a start directory (one too long to keep) the file stays in the current folder:
// "\quorrel.ini" would be the drive's root, and a bare name the Windows folder.
bool tool_file_path(wchar_t* out) {
    if (!g_app.start_dir[0]) return swprintf(out, kPathChars, L".\\%ls", kToolFile) > 0;
    return start_dir_path(kToolFile, out, kPathChars);
}

void write_tool_int(const wchar_t* key, int value, const wchar_t* path) {
    wchar_t text[16];
    swprintf(text, 16, L"%d", value);
    WritePrivateProfileStringW(kToolSection, key, text, path);
}

// The adapter name in the code page the batch file is read in. A character that code page
// lacks would reach netsh as another name, so such a name is refused.
bool to_ansi(const wchar_t* wide, char* out, int out_size) {
    if (GetACP() == CP_UTF8) // holds every character; the default-character check is refused there
        return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, -1, out, out_size, nullptr, nullptr) > 0;
    BOOL used_default = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, out, out_size, nullptr, &used_default);
    return n > 0 && !used_default;
}

// Writes the bytes into a new file beside the target and moves it over the target, so a
// failure part way leaves the old file (or none) and no partial one.
bool write_whole(HWND owner, const wchar_t* folder, const wchar_t* target, const char* bytes, DWORD size) {
    wchar_t temp[kIpPathChars];
    if (GetTempFileNameW(folder, L"ipb", 0, temp) == 0) {
        file_warning(owner, L"Unable to open the file.");
        return false;
    }
    ScopedFile file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        DeleteFileW(temp);
        file_warning(owner, L"Unable to open the file.");
        return false;
    }
    DWORD written = 0;
    const bool complete = WriteFile(file.get(), bytes, size, &written, nullptr) && written == size;
    const bool closed = file.close();
    if (!complete) {
        DeleteFileW(temp);
        file_warning(owner, text_entry(kTextBatchFileIncomplete));
        return false;
    }
    if (!closed) {
        DeleteFileW(temp);
        show_message_box(owner, L"Unable to close the file.", L"file error", MB_OK);
        return false;
    }
    if (!MoveFileExW(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp);
        file_warning(owner, L"Unable to open the file.");
        return false;
    }
    return true;
}

// The local bind address from the start of the file; nothing changes for an automatic
// file or one that cannot be read.
void read_back(HWND owner, const wchar_t* path) {
    ScopedFile file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file.valid()) {
        file_warning(owner, L"Unable to open the file.");
        return;
    }
    unsigned char bytes[kBatchScanBytes + 1]; // and the byte after, to see a number cut at the end
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes, sizeof bytes, &got, nullptr)) got = 0;
    if (!file.close()) {
        show_message_box(owner, L"Unable to close the file.", L"file errer", MB_OK);
        return;
    }
    int address[4];
    if (!scanned_address(scan_batch_file(bytes, got), address)) return;
    g_settings.aip_no1 = address[0];
    g_settings.aip_no2 = address[1];
    g_settings.aip_no3 = address[2];
    g_settings.aip_no4 = address[3];
}

} // namespace

void load_typing_tool_file() {
    enter_start_directory();
    wchar_t path[kPathChars];
    if (!tool_file_path(path)) return;
    const TypingTool defaults;
    g_typing_tool.id_time = static_cast<int>(GetPrivateProfileIntW(kToolSection, L"id_time", defaults.id_time, path));
    g_typing_tool.pw_time = static_cast<int>(GetPrivateProfileIntW(kToolSection, L"pw_time", defaults.pw_time, path));
    GetPrivateProfileStringW(kToolSection, L"id_wcs", defaults.id_wcs, g_typing_tool.id_wcs, kToolTextRead, path);
    GetPrivateProfileStringW(kToolSection, L"pw_wcs", defaults.pw_wcs, g_typing_tool.pw_wcs, kToolTextRead, path);
}

void save_typing_tool_file(int moto_x, int moto_y) {
    enter_start_directory();
    wchar_t path[kPathChars];
    if (!tool_file_path(path)) return;
    // A password in another script needs a UTF-16 file.
    create_unicode_file_if_missing(path);
    write_tool_int(L"id_time", g_typing_tool.id_time, path);
    write_tool_int(L"ipw_time", g_typing_tool.pw_time, path); // the tool reads its delay under this key
    WritePrivateProfileStringW(kToolSection, L"id_wcs", g_typing_tool.id_wcs, path);
    WritePrivateProfileStringW(kToolSection, L"pw_wcs", g_typing_tool.pw_wcs, path);
    write_tool_int(L"moto_x", moto_x, path);
    write_tool_int(L"moto_y", moto_y, path);
}

void list_batch_files(HWND list_box) {
    SendMessageW(list_box, LB_RESETCONTENT, 0, 0);
    wchar_t pattern[kIpPathChars];
    if (!folder_path(L"*.bat", pattern, kIpPathChars)) return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0) continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue; // a folder cannot be run
        SendMessageW(list_box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

bool write_batch_file(HWND owner, const wchar_t* adapter, const BatchAddress& batch) {
    char name_ansi[kBatchTextBytes];
    char text[kBatchTextBytes];
    size_t size = 0;
    if (to_ansi(adapter, name_ansi, sizeof name_ansi)) size = batch_file_text(name_ansi, batch, text, sizeof text);
    if (size == 0) {
        file_warning(owner, text_entry(kTextAdapterNameUnwritable));
        return false;
    }
    // Characters a file name cannot hold are replaced in the name only: the file stays in
    // the folder, and the line inside names the adapter exactly.
    wchar_t name[kBatchNameChars];
    wchar_t folder[kIpPathChars];
    wchar_t target[kIpPathChars];
    if (batch_file_name(adapter, batch, name, kBatchNameChars, nullptr) == 0 ||
        !folder_path(nullptr, folder, kIpPathChars) || !folder_path(name, target, kIpPathChars)) {
        file_warning(owner, L"Unable to open the file.");
        return false;
    }
    CreateDirectoryW(folder, nullptr); // already there is fine; a real failure shows when writing
    return write_whole(owner, folder, target, text, static_cast<DWORD>(size));
}

bool delete_batch_file(const wchar_t* name) {
    wchar_t path[kIpPathChars];
    return folder_path(name, path, kIpPathChars) && DeleteFileW(path);
}

void run_batch_file(HWND dialog, const wchar_t* name) {
    wchar_t path[kIpPathChars];
    if (!folder_path(name, path, kIpPathChars)) return;
    enter_start_directory();
    if (g_settings.pw_mode == 1) {
        RECT place;
        GetWindowRect(dialog, &place);
        save_typing_tool_file(place.left - 300 > 0 ? place.left - 300 : 0, place.top - 50 > 0 ? place.top - 50 : 0);
        shell_start(dialog, L"open", L"quorrel.exe", nullptr, nullptr, SW_SHOWNORMAL); // a missing tool is no error
    }
    if (shell_start(dialog, L"runas", path, nullptr, nullptr, SW_SHOWNORMAL) <= 32) {
        wchar_t text[kIpPathChars + 64];
        swprintf(text, kIpPathChars + 64, L"%ls could not be started as administrator", path);
        show_message_box(dialog, text, L"Error", MB_OK | MB_ICONERROR);
    }
    read_back(dialog, path);
}
