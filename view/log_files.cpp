#include "view/log_files.h"

#include "app/app_state.h"
#include "app/seams.h"
#include "app/scoped_win.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "app/file_io.h"
#include "comm/traffic_buffer.h"
#include "view/log_format.h"

#include <cstdlib>
#include <cwchar>
#include <memory>

namespace {

struct ModeInfo {
    bool save;
    int title_entry;
    const wchar_t* filter; // pairs of description and pattern, double-terminated
    const wchar_t* proposed;
    const wchar_t* ext;
};

const ModeInfo kModes[] = {
    {false, kTextOpenFileTitle, L"LogvFile(*.log)\0*.log\0AllFile(*.*)\0*.*\0", L"Temp1.log", L".log"},
    {true, kTextSaveAsTitle, L"LogvFile(*.log)\0*.log\0AllFile(*.*)\0*.*\0", L"Temp1.log", L".log"},
    {false, kTextOpenFileTitle, L"TxtFile(*.txt)\0*.txt\0AllFile(*.*)\0*.*\0", L"Temp1.txt", L".txt"},
};

const wchar_t kCaption[] = L"CreateFile";

void default_log_name(wchar_t* name) {
    if (!start_dir_path(L"Temp1.log", name, kPathChars)) wcscpy(name, L"Temp1.log");
}

} // namespace

bool choose_file(wchar_t* name, int mode, HWND owner) {
    if (mode < 0 || mode > 2) return false;
    const ModeInfo& m = kModes[mode];
    enter_start_directory();
    if (!wcschr(name, L'.')) wcscpy(name, m.proposed);

    wchar_t file[kPathChars] = {};
    if (name[0] && name[1] == L':' && name[2] == L'\\') {
        wcsncpy(file, name, kPathChars - 1);
    } else if (!start_dir_path(name, file, kPathChars)) {
        wcsncpy(file, name, kPathChars - 1);
    }

    wchar_t title[32];
    wcsncpy(title, text_entry(m.title_entry), 31);
    title[31] = 0;

    if (!choose_path(owner, m.filter, title, OFN_FILEMUSTEXIST | OFN_EXTENSIONDIFFERENT, file, kPathChars, m.save))
        return false;

    if (!force_extension(file, kPathChars, m.ext)) {
        // The extension would make the path too long for every buffer that holds it.
        text_info_box(kTextFileNotOpened, owner, kCaption);
        return false;
    }
    wcscpy(name, file);
    return true;
}

void save_log(HWND owner) {
    if (traffic_state().write_index == 0) {
        text_info_box(kTextNothingToSave, owner, kCaption);
        return;
    }
    wchar_t name[kPathChars];
    default_log_name(name);
    if (!choose_file(name, kChooseSaveLog, owner)) return;

    if (!write_log_file(name)) text_info_box(kTextFileNotOpened, owner, kCaption);
}

bool write_log_file(const wchar_t* path) {
    ScopedFile file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    // Copy first, so the receive thread is held up only for the copy, not for the disk.
    std::unique_ptr<TrafficRecord[]> records(new (std::nothrow) TrafficRecord[kTrafficCapacity]);
    if (!records) return false;
    int count = traffic_copy(0, kTrafficCapacity, records.get());
    uint8_t header[kLogHeaderBytes];
    format_log_header(count, header);
    // A full disk must not pass for a saved log.
    DWORD bytes = static_cast<DWORD>(count) * sizeof(TrafficRecord);
    DWORD written = 0, written_records = 0;
    return WriteFile(file.get(), header, kLogHeaderBytes, &written, nullptr) && written == kLogHeaderBytes &&
           WriteFile(file.get(), records.get(), bytes, &written_records, nullptr) && written_records == bytes;
}

void load_log(HWND owner) {
    wchar_t name[kPathChars];
    default_log_name(name);
    if (!choose_file(name, kChooseOpenLog, owner)) return;

    ScopedFile file(CreateFileW(name, GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        text_info_box(kTextFileNotOpened, owner, kCaption);
        return;
    }
    uint8_t header[kLogHeaderBytes] = {};
    read_up_to(file.get(), header, kLogHeaderBytes);
    int count = log_header_count(header);
    // A count the buffer cannot hold is not a log of ours: refuse it, change nothing.
    if (count < 0) {
        text_info_box(kTextFileNotOpened, owner, kCaption);
        return;
    }
    std::unique_ptr<TrafficRecord[]> records(new (std::nothrow) TrafficRecord[kTrafficCapacity]);
    if (!records) return;
    DWORD bytes = read_up_to(file.get(), records.get(), static_cast<DWORD>(count) * sizeof(TrafficRecord));
    // A file cut short gives the records it holds, whole ones only.
    traffic_replace(records.get(), static_cast<int>(bytes / sizeof(TrafficRecord)));
}

void ensure_scratch_file(HWND owner) {
    wchar_t path[kPathChars];
    if (!start_dir_path(L"temp.txt", path, kPathChars)) return;
    // Created only when missing: an existing scratch file, open in an editor or not, is
    // never replaced.
    if (!create_unicode_file_if_missing(path)) text_info_box(kTextFileNotOpened, owner, kCaption);
}
