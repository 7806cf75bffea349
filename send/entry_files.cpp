#include "send/entry_files.h"

#include "app/app_state.h"
#include "app/file_io.h"
#include "app/scoped_win.h"
#include "app/seams.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "send/entry_editor.h"
#include "send/preset_text.h"

#include <cwchar>
#include <vector>

namespace {

constexpr DWORD kTextFileDialogFlags = OFN_FILEMUSTEXIST | OFN_EXTENSIONDIFFERENT; // the same for both forms

void put_unit(std::vector<uint8_t>& out, wchar_t c) {
    out.push_back(static_cast<uint8_t>(c & 0xFF));
    out.push_back(static_cast<uint8_t>(c >> 8));
}

} // namespace

int choose_text_file(HWND owner, wchar_t* path, bool save) {
    wchar_t title[kTextChars];
    text_table_lookup(save ? kTextSaveAsTitle : kTextOpenFileTitle, title);
    enter_start_directory();
    wchar_t file[kPathChars] = {};
    if (!start_dir_path(path[0] ? path : L"temp.txt", file, kPathChars)) file[0] = 0;

    if (!choose_path(owner, L"TxtFile(*.txt)\0*.txt\0AllFile(*.*)\0*.*\0\0", title, kTextFileDialogFlags, file,
                     kPathChars, save))
        return 1;
    wmemset(path, 0, kPathChars);
    wcsncpy(path, file, kPathChars - 1);
    return 0;
}

bool save_entries_as_text(HWND owner, const wchar_t* path, const Entry* list, int places) {
    enter_start_directory();
    wchar_t name[kPathChars];
    if (!text_file_name(path, name, kPathChars)) {
        text_info_box(kTextFileNotOpenedOrCreated, owner, L"CreateFile");
        return false;
    }
    // The whole file is made in memory and written at once.
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    int filled = places;
    while (filled > 0 && list[filled - 1].length <= 0) --filled;
    for (int k = 0; k < filled; ++k) {
        for (int i = 0; i < list[k].length; ++i) {
            const CellTexts cell = cell_texts(list[k].chars[i]);
            put_unit(bytes, cell.value[0]);
            put_unit(bytes, cell.value[1]);
        }
        put_unit(bytes, L'\r');
        put_unit(bytes, L'\n');
    }

    ScopedFile file(CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) {
        text_info_box(kTextFileNotOpenedOrCreated, owner, L"CreateFile");
        return false;
    }
    DWORD written = 0;
    bool whole = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                 written == bytes.size();
    if (!whole) text_info_box(kTextFileNotOpenedOrCreated, owner, L"FileError"); // a full disk must not pass for a saved file
    if (!file.close()) {
        show_message_box(owner, name, L"CloseHandle-errer", MB_OK);
        return false;
    }
    return whole;
}

bool load_entry_file(HWND owner, const wchar_t* path, Entry* list) {
    ScopedFile file(CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) {
        text_info_box(kTextFileNotOpenedOrCreated, owner, L"CreateFile");
        return false;
    }
    uint8_t mark[2] = {};
    DWORD got = 0;
    bool loaded = ReadFile(file.get(), mark, 2, &got, nullptr) && got == 2 && mark[0] == 0xFF && mark[1] == 0xFE;
    if (!loaded) {
        text_info_box(kTextNoByteOrderMark, owner, L"FileError");
    } else {
        // Only what 200 lines of at most 512 units can take is ever read.
        std::vector<uint8_t> body(kPresetBodyBytes);
        const size_t size = read_up_to(file.get(), body.data(), static_cast<DWORD>(body.size()));
        read_preset_lines(body.data(), size, list);
    }
    if (!file.close()) show_message_box(owner, path, L"CloseHandle-errer", MB_OK);
    return loaded;
}
