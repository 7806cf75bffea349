// The responder with the real main window: opens a TIP or UDP server on PORT from the
// window's own commands, answers by the rules file RULES and runs the window's message
// loop for SECONDS while a peer on the Linux side (bench/responder_peer.py) measures the
// time from request to reply. Prints the window's longest pause between two turns of its
// message loop and the responder's counts.
//   bench_responder udp|tcp PORT RULES SECONDS
#include <winsock2.h>

#include "app/main_window.h"
#include "app/seams.h"
#include "app/settings.h"
#include "comm/connection.h"
#include "res/resource.h"
#include "send/responder.h"
#include "send/responder_host.h"

#include <windows.h>

#include "bench_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: bench_responder udp|tcp PORT RULES SECONDS\n");
        return 2;
    }
    const bool udp = std::strcmp(argv[1], "udp") == 0;
    const int port = std::atoi(argv[2]);
    const std::wstring rules(argv[3], argv[3] + std::strlen(argv[3]));
    const double seconds = std::atof(argv[4]);

    g_seams.message_box = bench::quiet_box;
    wchar_t rules_path[MAX_PATH];
    wchar_t stop_path[MAX_PATH];
    // Taken before the window makes its own folder current.
    GetFullPathNameW(rules.c_str(), MAX_PATH, rules_path, nullptr);
    GetFullPathNameW(L"stop", MAX_PATH, stop_path, nullptr);
    HWND window = bench::open_main_window(L"tarvik_bench_responder");
    if (!window) return 1;
    SetWindowPos(window, nullptr, 0, 0, 1300, 900, SWP_NOZORDER);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    std::wstring message;
    if (!load_rules_file(rules_path, message)) {
        std::fwprintf(stderr, L"%ls\n", message.c_str());
        return 2;
    }
    bench::use_loopback_server(udp, port);
    SendMessageW(window, WM_COMMAND, IDM_OPEN, 0);
    if (!connection_is_open()) {
        std::fprintf(stderr, "the server could not be opened on port %d\n", port);
        return 1;
    }
    SendMessageW(window, WM_COMMAND, IDM_RESPONDER_SWITCH, 0);
    std::printf("window: %s server on 127.0.0.1:%d answering by %zu rules\n", udp ? "UDP" : "TIP", port,
                responder_rules()->rules.size());
    std::fflush(stdout);

    // The window's own loop, timer drawing included; the gaps between its turns are the
    // pauses a user would feel.
    double longest = 0, last = bench::now_ms();
    const double end = last + seconds * 1000;
    MSG msg;
    for (;;) {
        const double now = bench::now_ms();
        // Measured from the first answer on: the opening's own work is not the flood's.
        if (responder_counts().answered > 0) longest = std::max(longest, now - last);
        last = now;
        if (now >= end || GetFileAttributesW(stop_path) != INVALID_FILE_ATTRIBUTES) break;
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
    const ResponderCounts c = responder_counts();
    std::printf("window: answered %llu, unanswered %llu, dropped %llu; longest pause of the message loop %.0f ms\n",
                static_cast<unsigned long long>(c.answered), static_cast<unsigned long long>(c.unanswered),
                static_cast<unsigned long long>(c.dropped), longest);
    SendMessageW(window, WM_COMMAND, IDM_CLOSE, 0);
    DestroyWindow(window);
    return 0;
}
