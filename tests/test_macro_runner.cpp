// The macro dialog through its real template, running real macro files against loopback
// peers: the shipped examples, sends to client slots, READ against real received blocks,
// the time limit through the tick seam, abort, the file rules and the open guard.
#include "support_comm.h"

#include "app/app_state.h"
#include "app/settings.h"
#include "app/text_table.h"
#include "comm/traffic_buffer.h"
#include "res/resource.h"
#include "send/macro_dialog.h"
#include "view/traffic_view.h"

#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

using harness::click;
using loopback::Socket;

namespace {

// A peer on its own thread: keeps what arrives and answers each chunk with reply(chunk).
struct Responder {
    Responder(Socket s, std::function<std::string(const std::string&)> reply)
        : socket(std::move(s)), thread([this, reply] {
              for (std::string chunk; !stop && chunk != "<closed>" && chunk != "<error>";) {
                  chunk = loopback::receive(socket.s, 50);
                  if (chunk.empty() || chunk[0] == '<') continue; // the test's data never starts so
                  {
                      std::lock_guard<std::mutex> guard(lock);
                      got += chunk;
                  }
                  loopback::send_text(socket.s, reply(chunk));
              }
          }) {}
    ~Responder() {
        stop = true;
        thread.join();
    }
    std::string received() {
        std::lock_guard<std::mutex> guard(lock);
        return got;
    }

    Socket socket;
    std::mutex lock;
    std::string got;
    std::atomic<bool> stop{false};
    std::thread thread; // last: starts once the rest is made
};

std::string echo(const std::string& chunk) { return chunk; }

std::string reg(int r) {
    const MacroRegister& m = g_macro.registers[r];
    return std::string(reinterpret_cast<const char*>(m.data), static_cast<size_t>(m.length));
}

std::wstring control_text(HWND dialog, int id) { return harness::window_text(GetDlgItem(dialog, id)); }

class MacroRunner : public CommTest {
protected:
    void SetUp() override {
        CommTest::SetUp();
        macro_init(g_macro);
    }

    // Writes a macro file (byte-order mark, then the text) into the start directory.
    std::wstring macro_file(const std::wstring& text, const std::wstring& name = L"m.txt") {
        harness::write_utf16_file(dir_.file(name), text);
        return name;
    }

    // Opens the dialog with command 340, starts `file`, and lets the dialog's timer run the
    // macro until it stops (at most 15 s). Each round moves the tick count by tick_ms and
    // calls `each`, which may act in the dialog; false from it ends the rounds early.
    void run(const std::wstring& file, const std::function<bool(HWND)>& each = nullptr, uint32_t tick_ms = 100) {
        bool opened = harness::drive_modal([&] { SendMessageW(window_, WM_COMMAND, IDT_MACRO, 0); },
                                           [&](HWND dialog) {
                                               harness::type_text(dialog, IDC_MACRO_FILE, file);
                                               click(dialog, IDC_MACRO_START);
                                               for (int i = 0; i < 1500 && g_macro.running; ++i) {
                                                   harness::pump_messages(1);
                                                   if (each && !each(dialog)) break;
                                                   harness::advance_tick(tick_ms);
                                                   Sleep(10);
                                               }
                                               last_step_ = control_text(dialog, IDC_MACRO_STEP);
                                               click(dialog, IDC_MACRO_CLOSE);
                                           });
        EXPECT_TRUE(opened);
        EXPECT_EQ(g_app.macro_open, 0);
    }

    static std::wstring box(int entry, const wchar_t* caption = L"Tarvik") {
        return std::wstring(caption) + L"|" + text_entry(entry);
    }

    std::wstring last_step_;
};

std::string frame_with_checksum(const std::string& body) {
    int x = 0;
    for (char c : body) x ^= static_cast<uint8_t>(c);
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", x);
    return body + hex;
}

} // namespace

TEST_F(MacroRunner, TheExamplesWorkAgainstAnEchoPeer) {
    std::string frames;
    for (const char* n : {"0001", "0002", "0003"}) frames += frame_with_checksum(std::string("\x02") + n + "\x03");
    const struct {
        const char* file;
        std::string peer_gets;
    } cases[] = {
        {"request_response.txt", "PING\r\nanswer ok\r\n"},
        {"counter_frame.txt", frames},
        {"echo_loop.txt", "LINE 1LINE 2LINE 3LINE 4LINE 5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Responder responder(open_tip_client(), echo);
        ASSERT_TRUE(CopyFileW(harness::source_file(std::string("data/macros/") + c.file).c_str(),
                              dir_.file(widen(c.file)).c_str(), FALSE));
        run(widen(c.file));
        EXPECT_EQ(take_boxes(), std::vector<std::wstring>{box(16)});
        EXPECT_TRUE(loopback::wait_until([&] { return responder.received().size() >= c.peer_gets.size(); }));
        EXPECT_EQ(responder.received(), c.peer_gets);
        close();
        take_boxes();
    }
}

TEST_F(MacroRunner, FailShowsItsTextAndEndsTheRun) {
    Responder responder(open_tip_client(), echo);
    macro_file(L"note\r\nFAIL unit 1 did not answer\r\nSEND 41\r\nPEND\r\n");
    run(L"m.txt");
    EXPECT_EQ(take_boxes(), std::vector<std::wstring>{L"Tarvik|unit 1 did not answer"});
    EXPECT_FALSE(g_macro.running);
    EXPECT_EQ(responder.received(), "");
}

TEST_F(MacroRunner, TheSixLineExampleAsksAgainWhileThePeerSaysOK) {
    Socket peer = open_tip_client();
    std::atomic<int> asked{0};
    Responder responder(std::move(peer), [&](const std::string&) { return ++asked == 1 ? "OK" : "NG"; });
    macro_file(L"a note, skipped\r\n:AAA\r\nSEND 41420D\r\nREAD 05 002 030\r\nCMPL 05 AAA 4F4B\r\nPEND\r\n");
    run(L"m.txt");
    EXPECT_EQ(take_boxes(), std::vector<std::wstring>{box(16)});
    EXPECT_EQ(responder.received(), "AB\rAB\r");
    EXPECT_EQ(reg(5), "NG");
    std::vector<TrafficRecord> r = loopback::records();
    EXPECT_EQ(loopback::packets(r, kSentByte), (std::vector<std::string>{"AB\r", "AB\r"}));
    EXPECT_EQ(loopback::packets(r, kReceivedByte), (std::vector<std::string>{"OK", "NG"}));
    EXPECT_EQ(last_step_, L"Step:072/078");
}

TEST_F(MacroRunner, SendsGoToTheClientSlotOfTheirDigit) {
    int port = open_server(false);
    Socket first = join_server("127.0.0.1", port);
    Socket second = join_server("127.0.0.2", port);
    macro_file(L"send 4142\r\nSEND1 4142\r\nSEND 4344\r\nPEND\r\n");
    run(L"m.txt");
    EXPECT_EQ(loopback::receive(second.s), "AB");
    EXPECT_EQ(loopback::receive(first.s), "CD");
    EXPECT_EQ(loopback::receive(first.s, 200), "<timeout>");
    EXPECT_EQ(take_boxes(), std::vector<std::wstring>{box(16)});
}

TEST_F(MacroRunner, ReadTakesRealBlocksOrEndsAtItsTimeLimit) {
    Socket peer = open_tip_client();
    macro_file(L"READ 03 005 000\r\nREAD 04 002 000\r\nMOVE 05 \"x\"\r\nREAD 05 005 010\r\nPEND\r\n");
    const std::string blocks[] = {"HELLO", std::string("AB\0CD", 5)};
    size_t sent = 0;
    int rounds_at_999 = -1;
    bool waiting_at_999 = false;
    // Time moves only here: the waits without a limit see a minute go by; the last one sees
    // 999 ms for ten rounds of the dialog's timer, then 1 ms more.
    run(L"m.txt", [&](HWND) {
        if (g_macro.wait.kind != kWaitRead) return true;
        if (sent < 2 && g_macro.registers[3].length == (sent ? 5 : 0)) {
            loopback::send_text(peer.s, blocks[sent++]);
            harness::advance_tick(60000);
        } else if (g_macro.wait.reg == 5 && rounds_at_999 < 0) {
            harness::advance_tick(999);
            rounds_at_999 = 0;
        } else if (g_macro.wait.reg == 5 && ++rounds_at_999 == 10) {
            waiting_at_999 = true;
            harness::advance_tick(1);
        }
        return true;
    }, 0);
    EXPECT_EQ(reg(3), "HELLO");
    EXPECT_EQ(reg(4), "AB");
    EXPECT_TRUE(waiting_at_999);
    EXPECT_EQ(g_macro.registers[5].length, 0);
    EXPECT_EQ(take_boxes(), std::vector<std::wstring>{box(16)});
}

TEST_F(MacroRunner, AWaitingReadKeepsTheProgramAliveAndAbortEndsItAtOnce) {
    Socket peer = open_tip_client();
    macro_file(L"READ 01 005 000\r\nPEND\r\n");
    bool answered = false, drawn_live = false, ended_at_once = false;
    run(L"m.txt", [&](HWND dialog) {
        if (g_macro.wait.kind != kWaitRead) return true;
        // Another thread asks the main window; it must answer while the READ waits.
        std::atomic<bool> asked{false};
        std::thread asker([&] {
            DWORD_PTR result = 0;
            answered = SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result) != 0;
            asked = true;
        });
        loopback::wait_until([&] {
            harness::pump_messages(1);
            return asked.load();
        });
        asker.join();
        // Too short to end the READ, but drawn by the main window's timer meanwhile.
        loopback::send_text(peer.s, "HI");
        loopback::wait_until([&] {
            harness::pump_messages(1);
            return g_view.last_drawn > 0 && g_view.last_drawn == traffic_state().write_index;
        });
        drawn_live = g_view.last_drawn > 0;
        click(dialog, IDC_MACRO_ABORT);
        ended_at_once = !g_macro.running && g_macro.wait.kind == kWaitNone;
        loopback::send_text(peer.s, "HELLO");
        Sleep(200);
        harness::pump_messages(4);
        return false;
    });
    EXPECT_TRUE(answered);
    EXPECT_TRUE(drawn_live);
    EXPECT_TRUE(ended_at_once);
    EXPECT_EQ(g_macro.registers[1].length, 0);
    EXPECT_EQ(take_boxes(), std::vector<std::wstring>{box(17)});
}

TEST_F(MacroRunner, StartingFollowsTheFileRules) {
    HANDLE locked = CreateFileW(dir_.file(L"locked.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    harness::write_file(dir_.file(L"plain.txt"), {'P', 'E', 'N', 'D', '\r', '\n'});
    macro_file(L"", L"mark.txt");
    const struct {
        const wchar_t* name;
        std::wstring box;
        const wchar_t* kept_name; // macro_filename afterwards
    } cases[] = {
        {L"ab", box(2, L"MacroFile"), L"old.txt"},
        {L"locked.txt", box(34, L"FileError"), L"old.txt"},
        {L"missing.txt", box(24, L"FileError"), L"missing.txt"},
        {L"plain.txt", box(23, L"FileError"), L"plain.txt"},
        {L"mark.txt", box(15), L"mark.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        wcscpy(g_settings.macro_filename, L"old.txt");
        run(c.name);
        EXPECT_EQ(take_boxes(), std::vector<std::wstring>{c.box});
        EXPECT_STREQ(g_settings.macro_filename, c.kept_name);
    }
    CloseHandle(locked);
    EXPECT_TRUE(harness::file_exists(dir_.file(L"missing.txt")));
    EXPECT_EQ(harness::read_file(dir_.file(L"missing.txt")).size(), 0u);
}

TEST_F(MacroRunner, TheDialogOpensUnderItsGuardWithItsTexts) {
    wcscpy(g_settings.macro_filename, L"start.txt");
    const std::wstring picked = dir_.file(L"picked.txt");
    INT_PTR result = -1;
    ASSERT_TRUE(harness::drive_modal([&] { result = run_macro_dialog(window_); }, [&](HWND d) {
        EXPECT_EQ(g_app.macro_open, 1);
        EXPECT_EQ(harness::window_text(d), text_entry(90));
        const std::pair<int, int> texts[] = {
            {IDC_MACRO_START, 90}, {IDC_MACRO_LABEL_FILE, 91}, {IDC_MACRO_CLOSE, 74}, {IDC_MACRO_ABORT, 92}};
        for (auto [id, entry] : texts) EXPECT_EQ(control_text(d, id), text_entry(entry)) << id;
        EXPECT_EQ(control_text(d, IDC_MACRO_FILE), L"start.txt");
        EXPECT_EQ(control_text(d, IDC_MACRO_STEP), L"Step:000");
        EXPECT_EQ(control_text(d, IDC_MACRO_BROWSE), L"..");
        // The widest step a file of the longest length can show fits its label.
        HWND step = GetDlgItem(d, IDC_MACRO_STEP);
        HDC dc = GetDC(step);
        HGDIOBJ old_font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(step, WM_GETFONT, 0, 0)));
        SIZE widest{};
        GetTextExtentPoint32W(dc, L"Step:25603/25604", 16, &widest);
        SelectObject(dc, old_font);
        ReleaseDC(step, dc);
        RECT label{};
        GetClientRect(step, &label);
        EXPECT_LE(widest.cx, label.right);

        // A second command is refused by the guard while this one is open.
        SendMessageW(window_, WM_COMMAND, IDM_MACRO, 0);

        click(d, IDC_MACRO_ABORT); // nothing running: the message all the same
        EXPECT_EQ(take_boxes(), std::vector<std::wstring>{box(17)});

        harness::queue_file_answer(L""); // cancelled: nothing changes
        click(d, IDC_MACRO_BROWSE);
        EXPECT_EQ(control_text(d, IDC_MACRO_FILE), L"start.txt");
        harness::type_text(d, IDC_MACRO_FILE, L"");
        harness::queue_file_answer(picked);
        click(d, IDC_MACRO_BROWSE);
        EXPECT_EQ(control_text(d, IDC_MACRO_FILE), picked);
        EXPECT_EQ(std::wstring(g_settings.macro_filename), picked);
        click(d, IDC_MACRO_CLOSE);
    }));
    EXPECT_EQ(result, IDC_MACRO_CLOSE);
    EXPECT_EQ(g_app.macro_open, 0);
    std::vector<harness::FileDialogCall> calls = harness::file_dialog_calls();
    ASSERT_EQ(calls.size(), 2u); // the refused second opening showed nothing
    EXPECT_EQ(calls[1].initial_file, dir_.file(L"Temp1.txt"));
    EXPECT_FALSE(calls[1].save);
}
