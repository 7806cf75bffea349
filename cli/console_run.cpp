#include "cli/console_run.h"

#include "app/app_state.h"
#include "app/file_io.h"
#include "app/scoped_win.h"
#include "app/seams.h"
#include "app/settings.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "app/tick.h"
#include "cli/console_args.h"
#include "cli/console_out.h"
#include "cli/packet_lines.h"
#include "comm/capture.h"
#include "comm/connection.h"
#include "comm/tls_client.h"
#include "comm/tls_settings.h"
#include "comm/traffic_buffer.h"
#include "send/macro_host.h"
#include "send/responder_host.h"
#include "view/log_files.h"
#include "tarvik_version.h"

#include <windows.h>

#include <atomic>
#include <cwchar>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr DWORD kPollMs = 10;          // how often new packets, Ctrl+C and the clock are looked at
constexpr DWORD kCloseGraceMs = 4500;  // the system ends a closed console's process after about 5 s
constexpr int kCopyRecords = 8192;     // records taken from the buffer per copy

std::atomic<int> g_interrupted{0};
HANDLE g_files_saved = nullptr;        // set once the files are written

// How the macro ended, as the host learned it.
enum class MacroEnd { kRunning, kPassed, kFailed };

struct ConsoleRun {
    ConsoleOptions options;
    MacroEnd end = MacroEnd::kRunning;
    uint64_t next_record = 0; // the first record not printed yet, counted since the block was made
    std::unique_ptr<TrafficRecord[]> records; // a snapshot of the buffer, taken when it has grown
    std::unique_ptr<TrafficFact[]> facts;
    bool capturing = false;   // --pcapng
};

// Local time of day with milliseconds; `utc_us` (microseconds since 1970) or now.
std::string time_text(uint64_t utc_us = 0) {
    SYSTEMTIME t;
    FILETIME utc, local;
    const uint64_t ticks = utc_us * 10 + kFileTimeUnixEpoch;
    utc.dwLowDateTime = static_cast<DWORD>(ticks);
    utc.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    if (!utc_us || !FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &t)) GetLocalTime(&t);
    char text[16];
    wsprintfA(text, "%02u:%02u:%02u.%03u", t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

std::string narrow_text(const wchar_t* text) {
    std::string out;
    for (; *text; ++text) out += *text < 0x80 ? static_cast<char>(*text) : '?';
    return out;
}

std::wstring one_line(const wchar_t* text) {
    std::wstring line = text;
    for (wchar_t& c : line)
        if (c == L'\r' || c == L'\n') c = L' ';
    return line;
}

// ---- seams: no window ever opens -------------------------------------------------------

int console_box(HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
    err_line(one_line(caption) + L": " + one_line(text));
    // Questions get the answer that lets the work go on (closing a server that still has
    // clients); the runner is not interactive.
    UINT buttons = type & MB_TYPEMASK;
    return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDYES : IDOK;
}

BOOL no_file_dialog(OPENFILENAMEW*, bool) { return FALSE; }

INT_PTR no_shell(HWND, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, int) { return 0; }

BOOL WINAPI on_console_event(DWORD type) {
    g_interrupted = 1;
    if (type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT) return TRUE;
    // Closing the console (or logging off) ends the process when this returns: hold it
    // until the connection is closed and the files are written.
    if (g_files_saved) WaitForSingleObject(g_files_saved, kCloseGraceMs);
    return TRUE;
}

// ---- the engine's surroundings ---------------------------------------------------------

ConsoleRun* run_of(void* context) { return static_cast<ConsoleRun*>(context); }

void host_message(void*, int entry, const char* caption) {
    std::wstring text = text_entry(entry);
    if (text.empty()) text = L"(text " + std::to_wstring(entry) + L")"; // no text table beside us
    std::wstring wide_caption(caption, caption + std::strlen(caption));
    show_message_box(nullptr, text.c_str(), wide_caption.c_str(), MB_OK);
}

void host_ended(void* context, bool passed) { run_of(context)->end = passed ? MacroEnd::kPassed : MacroEnd::kFailed; }

void host_show_step(void* context, const char16_t* step, const char16_t* line, int line_length) {
    if (run_of(context)->options.quiet) return;
    std::wstring text;
    for (const char16_t* c = step; *c; ++c) text += static_cast<wchar_t>(*c);
    text += L' ';
    // "PEND" hands over the rest of the text: its own line is enough here.
    for (int i = 0; i < line_length && line[i] != u'\r' && line[i] != u'\n'; ++i) text += static_cast<wchar_t>(line[i]);
    std::string now = time_text();
    out_line(std::wstring(now.begin(), now.end()) + L" " + text);
}

void host_fail(void*, const char16_t* text, int length) {
    std::wstring line;
    for (int i = 0; i < length; ++i) line += static_cast<wchar_t>(text[i]);
    show_message_box(nullptr, line.c_str(), L"Tarvik", MB_OK);
}

MacroState g_console_macro; // large: kept out of the stack

// The connection's real calls; messages, steps and the end of a run go to the console.
MacroHost console_host(ConsoleRun& run) {
    MacroHost host = connection_macro_host(&run);
    host.message = host_message;
    host.show_step = host_show_step;
    host.fail = host_fail;
    host.ended = host_ended;
    return host;
}

void install_console_seams() {
    g_seams.message_box = console_box;
    g_seams.file_dialog = no_file_dialog;
    g_seams.shell_execute = no_shell;
}

// ---- packets as they are recorded ------------------------------------------------------

// One packet or client event from its records, with the time and ends kept beside them.
ConsoleEvent event_of(const TrafficFact& fact, const TrafficRecord* records) {
    PacketDecoder decoder;
    std::vector<ConsoleEvent> events;
    decode_records(decoder, records + fact.record, fact.span, events);
    ConsoleEvent e = events.empty() ? ConsoleEvent{} : std::move(events.front()); // an empty datagram: none
    if (events.empty()) e.received = fact.facts.event == kEventReceived;
    std::memcpy(e.peer.octets, fact.facts.ends.peer, 4);
    e.peer.port = fact.facts.ends.peer_port;
    e.peer.known = true;
    return e;
}

// Prints the packets recorded since the last call, from a snapshot of the buffer taken
// only when it has grown. A snapshot that a slide overtook is taken at the next call;
// records a slide dropped before they were printed are counted, not guessed at.
void print_new_packets(ConsoleRun& run) {
    if (run.options.quiet) return;
    const TrafficState before = traffic_state();
    const uint64_t first = before.discarded;
    if (run.next_record == first + static_cast<uint64_t>(before.write_index)) return;
    int fact_count = 0;
    uint64_t loaded_at = 0;
    const int count = traffic_snapshot(run.records.get(), run.facts.get(), &fact_count, &loaded_at);
    if (traffic_state().discarded != first) return;
    if (run.next_record < first) {
        out_line(time_text() + " -- " + std::to_string(first - run.next_record) +
                 " records left the buffer before they were printed");
        run.next_record = first;
    }
    for (int i = 0; i < fact_count; ++i) {
        const TrafficFact& f = run.facts[i];
        // A TCP client's connect and close record nothing; the boxes have told of them.
        if (f.span <= 0 || first + static_cast<uint64_t>(f.record) < run.next_record || f.record + f.span > count)
            continue;
        out_line(format_event(time_text(f.facts.time_us), event_of(f, run.records.get())));
    }
    run.next_record = first + static_cast<uint64_t>(count);
}

// The capture file gets every packet from the step that records it; here its buffer goes
// to the disk. A write error has been shown and has ended the capture.
void flush_capture(ConsoleRun& run) {
    if (run.capturing) capture_flush(nullptr);
}

// ---- files -----------------------------------------------------------------------------

// The macro file as it is, never created: a name that is not there is a mistake.
bool read_macro_file(const std::wstring& name, std::vector<uint8_t>& bytes) {
    ScopedFile file(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    bytes.resize(kMacroFileBytes);
    bytes.resize(read_up_to(file.get(), bytes.data(), kMacroFileBytes));
    return true;
}

// An output file that cannot be made is found out before the connection opens.
bool can_write(const std::wstring& name) {
    if (name.empty()) return true;
    ScopedFile file(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid();
}

// Returns false when a file asked for could not be written (the reason has been shown).
bool save_files(ConsoleRun& run) {
    bool ok = true;
    if (run.capturing) {
        capture_flush(nullptr);
        ok = capture_running();
        capture_stop();
    }
    if (!run.options.log.empty() && !write_log_file(run.options.log.c_str())) {
        show_message_box(nullptr, (std::wstring(text_entry(kTextFileNotOpened)) + L" " + run.options.log).c_str(), L"CreateFile", MB_OK);
        ok = false;
    }
    return ok;
}

// ---- the run ---------------------------------------------------------------------------

int usage_error(const std::wstring& reason) {
    err_line(L"tarvikc: " + reason);
    err_line(std::string(kConsoleUsage));
    return kExitUsage;
}

// A step of the closing after the peer's close that failed: a line, no box.
void report_close_step(const wchar_t* caption, const wchar_t* text) {
    err_line(L"tarvikc: " + one_line(caption) + L": " + one_line(text));
}

// The peer of a TIP client has gone: its close has been printed with the packets; the
// connection ends here, and the macro goes on to find its sends refused.
void end_after_peer_close(ConsoleRun& run) {
    if (!g_conn.peer_closed || !connection_is_open()) return;
    err_line(L"tarvikc: " + std::wstring(text_entry(kTextPeerClosed)));
    close_connection_quietly(report_close_step);
    print_new_packets(run);
}

// Runs the macro until it ends, the time is up or the user interrupts; without a macro
// (the responder alone) until --duration has passed.
int play(ConsoleRun& run, MacroState& macro, const MacroHost& host) {
    const bool has_macro = !run.options.macro.empty();
    const uint32_t started = tick_now();
    // The first line runs one tick after the start, as the dialog's timer would run it.
    uint32_t next_step = started + kMacroTickMs;
    for (;;) {
        print_new_packets(run);
        end_after_peer_close(run);
        flush_capture(run);
        if (g_interrupted) {
            err_line("tarvikc: interrupted");
            return kExitInterrupted;
        }
        const uint32_t now = tick_now();
        if (run.options.timeout_ms && static_cast<int64_t>(now - started) >= run.options.timeout_ms) {
            err_line("tarvikc: no end within --timeout");
            return kExitTimeout;
        }
        if (run.options.duration_ms && static_cast<int64_t>(now - started) >= run.options.duration_ms)
            return kExitPassed;
        if (has_macro && static_cast<int32_t>(now - next_step) >= 0) {
            MacroStatus status = macro_step(macro, host);
            if (status == kMacroEnded || status == kMacroIdle)
                return run.end == MacroEnd::kPassed ? kExitPassed : kExitFailed;
            // A wait is looked at often, so that it ends as soon as its data is there.
            next_step = now + (status == kMacroWaiting ? kMacroWaitPollMs : kMacroTickMs);
        }
        Sleep(kPollMs);
    }
}

int finish(ConsoleRun& run, int code) {
    macro_stop(g_console_macro);
    if (!run.options.respond.empty()) {
        // Replies still waiting for their delay are dropped with the connection.
        responder_set_on(false);
        responder_stop();
        const ResponderCounts c = responder_counts();
        err_line("tarvikc: responder answered " + std::to_string(c.answered) + ", unanswered " +
                 std::to_string(c.unanswered) + ", dropped " + std::to_string(c.dropped));
    }
    print_new_packets(run);
    if (connection_is_open()) {
        close_connection(nullptr);
        print_new_packets(run);
    }
    if (!save_files(run) && code == kExitPassed) code = kExitFailed;
    flush_console();
    SetEvent(g_files_saved);
    return code;
}

} // namespace

int run_console(int argc, const wchar_t* const* argv) {
    ConsoleRun run;
    std::string error;
    if (!parse_console_args(argc, argv, run.options, error))
        return usage_error(std::wstring(error.begin(), error.end()));
    if (run.options.help) {
        out_line(std::string(kConsoleUsage));
        return kExitPassed;
    }
    if (run.options.version) {
        out_line("tarvikc " TARVIK_VERSION_TEXT);
        return kExitPassed;
    }
    install_console_seams();
    take_start_directory();
    load_settings();
    load_text_table();
    if (!*text_entry(kTextMacroFinished)) {
        // Run from a folder of its own (a test script's), it takes the texts shipped beside it.
        wchar_t path[MAX_PATH];
        DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
        wchar_t* slash = n && n < MAX_PATH ? wcsrchr(path, L'\\') : nullptr;
        if (slash && static_cast<size_t>(slash - path) + 18 < MAX_PATH) {
            wcscpy(slash + 1, L"Tarvik_char2.ini");
            if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) load_text_table_from(path);
        }
    }
    apply_console_mode(run.options, g_settings);
    load_tls_settings();
    g_tls_run.console = true;
    g_tls_run.forced_on = run.options.tls;
    g_tls_run.has_pin = run.options.has_pin;
    g_tls_run.pin = run.options.pin;
    g_tls_run.trust_system = run.options.trust_system;
    if (run.options.tls && (g_settings.tipudp_mode != 0 || g_settings.ip_mode != 0))
        return usage_error(L"--tls goes with a TCP client only (Tarvik.ini names another mode)");

    MacroHost host = console_host(run);
    macro_init(g_console_macro);
    if (!run.options.macro.empty()) {
        std::vector<uint8_t> bytes;
        if (!read_macro_file(run.options.macro, bytes)) {
            show_message_box(nullptr, (std::wstring(text_entry(kTextFileNotOpenedOrCreated)) + L" " + run.options.macro).c_str(), L"FileError",
                             MB_OK);
            return kExitUsage;
        }
        if (macro_start(g_console_macro, bytes.data(), static_cast<int>(bytes.size()), host) != 0) return kExitUsage;
    }
    if (!run.options.respond.empty()) {
        std::wstring message;
        if (!load_rules_file(run.options.respond.c_str(), message)) {
            err_line(L"tarvikc: " + message);
            return kExitUsage;
        }
    }
    if (!can_write(run.options.log)) return usage_error(L"cannot write " + run.options.log);
    run.records.reset(new (std::nothrow) TrafficRecord[kTrafficCapacity]);
    run.facts.reset(new (std::nothrow) TrafficFact[kFactCapacity]);
    if (!traffic_allocate() || !run.records || !run.facts) {
        text_info_box(kTextBufferNoMemory, nullptr, L"CreateFile");
        return kExitNoConnection;
    }
    traffic_reset();
    // The capture takes every packet from the moment the connection opens.
    if (!run.options.pcapng.empty()) {
        if (!capture_start(nullptr, run.options.pcapng.c_str()))
            return usage_error(L"cannot write " + run.options.pcapng);
        run.capturing = true;
    }

    g_files_saved = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // Started in a process group of its own, Ctrl+C would be ignored unless asked for.
    SetConsoleCtrlHandler(nullptr, FALSE);
    SetConsoleCtrlHandler(on_console_event, TRUE);
    if (!run.options.respond.empty()) {
        // Answering from the first packet on: the responder is ready before the connection.
        responder_start(responder_host());
        responder_set_on(true);
    }
    if (!open_connection_of_mode(nullptr)) return finish(run, kExitNoConnection);
    if (tls_active() && !run.options.quiet) out_line(time_text() + " TLS " + narrow_text(tls_summary()));
    return finish(run, play(run, g_console_macro, host));
}
