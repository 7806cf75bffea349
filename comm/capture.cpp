#include "comm/capture.h"

#include "app/app_state.h"
#include "app/scoped_win.h"
#include "app/seams.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "comm/packet_export.h"
#include "comm/pcapng.h"
#include "comm/traffic_buffer.h"
#include "view/log_format.h"

#include <atomic>
#include <cwchar>
#include <memory>
#include <mutex>
#include <new>

CaptureSettings g_capture_settings;

namespace {

constexpr wchar_t kSection[] = L"Capture";
constexpr wchar_t kFileErrorCaption[] = L"File Error";
// Each buffer holds several ticks of a loopback flood (a 32-byte datagram takes 92 bytes).
constexpr size_t kBufferBytes = 8u << 20;

struct Capture {
    ScopedFile file;
    wchar_t path[kPathChars] = {};
    std::unique_ptr<uint8_t[]> buffers[2];
    PcapngSink sink{};       // guarded by the traffic buffer's lock, like the writer
    PcapngWriter writer{};
    std::mutex disk;         // one writer to the file at a time, in order
    std::atomic<bool> running{false};
};

Capture g_capture;

bool write_all(const uint8_t* bytes, size_t count) {
    while (count > 0) {
        DWORD chunk = count > (1u << 30) ? (1u << 30) : static_cast<DWORD>(count);
        DWORD written = 0;
        if (!WriteFile(g_capture.file.get(), bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        count -= written;
    }
    return true;
}

// The sink's spill: a buffer filled within one tick goes to the disk at once, from the
// appending thread, so nothing is dropped.
bool spill_to_disk(void*, const uint8_t* bytes, size_t count) {
    std::lock_guard<std::mutex> guard(g_capture.disk);
    return write_all(bytes, count);
}

// Under the traffic buffer's lock.
void on_packet(const PacketFacts& facts, const uint8_t* bytes, int length) {
    pcapng_packet(g_capture.writer, facts, bytes, length, packet_comment(facts));
}

void path_in_folder(const wchar_t* folder, const wchar_t* name, wchar_t* out) {
    if (folder[0])
        swprintf(out, kPathChars, L"%ls\\%ls", folder, name);
    else if (!start_dir_path(name, out, kPathChars))
        wcsncpy(out, name, kPathChars - 1);
}

void close_file() {
    g_capture.file.close();
    for (auto& b : g_capture.buffers) b.reset();
    g_capture.running = false;
}

} // namespace

void load_capture_settings() {
    wchar_t path[kPathChars];
    if (!start_dir_path(kCaptureFileName, path, kPathChars)) return;
    g_capture_settings.capture_on = GetPrivateProfileIntW(kSection, L"capture_on", 0, path) == 1;
    GetPrivateProfileStringW(kSection, L"capture_dir", L"", g_capture_settings.capture_dir, kPathChars, path);
}

void save_capture_settings() {
    wchar_t path[kPathChars];
    if (!start_dir_path(kCaptureFileName, path, kPathChars)) return;
    WritePrivateProfileStringW(kSection, L"capture_on", g_capture_settings.capture_on ? L"1" : L"0", path);
    WritePrivateProfileStringW(kSection, L"capture_dir", g_capture_settings.capture_dir, path);
}

void default_capture_name(wchar_t* name, size_t chars) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    swprintf(name, chars, L"capture-%04u%02u%02u-%02u%02u%02u.pcapng", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond);
}

bool capture_start(HWND owner, const wchar_t* path) {
    capture_stop();
    g_capture.file.reset(
        CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!g_capture.file.valid()) {
        text_info_box(kTextFileNotOpened, owner, L"CreateFile");
        return false;
    }
    wcsncpy(g_capture.path, path, kPathChars - 1);
    for (auto& b : g_capture.buffers) b.reset(new (std::nothrow) uint8_t[kBufferBytes]);
    if (!g_capture.buffers[0] || !g_capture.buffers[1]) {
        close_file();
        text_info_box(kTextCaptureWriteFailed, owner, kFileErrorCaption);
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(g_traffic.lock);
        g_capture.sink = PcapngSink{g_capture.buffers[0].get(), kBufferBytes, 0, spill_to_disk, nullptr, false};
        pcapng_begin(g_capture.writer, g_capture.sink, kTarvikApplication, nullptr);
    }
    traffic_set_packet_hook(on_packet);
    g_capture.running = true;
    // The file starts with its headers on the disk, not a tick later.
    capture_flush(owner);
    return capture_running();
}

void capture_flush(HWND owner) {
    if (!g_capture.running) return;
    std::unique_lock<std::mutex> traffic(g_traffic.lock);
    bool failed = g_capture.sink.failed;
    if (!failed && g_capture.sink.used > 0) {
        // The appenders go on into the other buffer while this one goes to the disk.
        const uint8_t* full = g_capture.sink.data;
        size_t count = g_capture.sink.used;
        g_capture.sink.data = (full == g_capture.buffers[0].get() ? g_capture.buffers[1] : g_capture.buffers[0]).get();
        g_capture.sink.used = 0;
        std::unique_lock<std::mutex> disk(g_capture.disk);
        traffic.unlock();
        failed = !write_all(full, count);
        disk.unlock();
        traffic.lock();
        if (failed) g_capture.sink.failed = true;
    }
    if (!failed) return;
    traffic.unlock();
    traffic_set_packet_hook(nullptr);
    close_file();
    g_capture_settings.capture_on = 0;
    save_capture_settings();
    text_info_box(kTextCaptureWriteFailed, owner, kFileErrorCaption);
}

void capture_stop() {
    if (!g_capture.running) return;
    traffic_set_packet_hook(nullptr);
    bool failed;
    {
        std::lock_guard<std::mutex> traffic(g_traffic.lock);
        failed = !pcapng_flush(g_capture.sink);
    }
    (void)failed; // a last write that fails has nobody left to tell but the file's length
    close_file();
}

bool capture_running() { return g_capture.running; }

const wchar_t* capture_path() { return g_capture.running ? g_capture.path : L""; }

void capture_resume(HWND owner) {
    if (!g_capture_settings.capture_on || g_capture.running) return;
    wchar_t name[64], path[kPathChars];
    default_capture_name(name, 64);
    path_in_folder(g_capture_settings.capture_dir, name, path);
    if (!capture_start(owner, path)) {
        g_capture_settings.capture_on = 0;
        save_capture_settings();
    }
}

void capture_toggle(HWND owner) {
    if (g_capture.running) {
        capture_stop();
        g_capture_settings.capture_on = 0;
        save_capture_settings();
        return;
    }
    enter_start_directory();
    wchar_t name[64], file[kPathChars];
    default_capture_name(name, 64);
    path_in_folder(g_capture_settings.capture_dir, name, file);
    if (!choose_path(owner, L"pcapng(*.pcapng)\0*.pcapng\0AllFile(*.*)\0*.*\0", text_entry(kTextCaptureFileTitle),
                     OFN_EXTENSIONDIFFERENT, file, kPathChars, true))
        return;
    if (!force_extension(file, kPathChars, L".pcapng")) {
        text_info_box(kTextFileNotOpened, owner, L"CreateFile");
        return;
    }
    if (!capture_start(owner, file)) return;
    // The folder is remembered for the next capture.
    wchar_t* slash = wcsrchr(file, L'\\');
    if (slash) {
        *slash = 0;
        wcsncpy(g_capture_settings.capture_dir, file, kPathChars - 1);
    }
    g_capture_settings.capture_on = 1;
    save_capture_settings();
}
