// How fast the receive threads take in a flood from a Linux sender on 127.0.0.1, against
// bare Winsock loops in the same run: datagrams per second into the UDP server, megabytes
// per second into the TCP server. Tarvik runs twice per round: its thread alone (the main
// window exists but its message loop waits), and with the real main window running its
// message loop and timer drawing, whose longest pause is reported, and the same again with
// a capture to disk running. The variants take turns round by round, so that load from
// elsewhere falls on all of them alike.
//   bench_receive udp|tcp PORT SECONDS_PER_TURN ROUNDS DATAGRAM_SIZE
// The receive buffer each socket asks for: what the system grants, and how many datagrams
// of a burst the UDP server records with the system's own buffer and with the one asked
// for. It opens the server twice, printing "ready <n>" each time, for a Linux sender that
// the script starts then:
//   bench_receive burst PORT COUNT
#include <winsock2.h>
#include <ws2tcpip.h>

#include "app/main_window.h"
#include "app/seams.h"
#include "app/settings.h"
#include "comm/capture.h"
#include "comm/connection.h"
#include "comm/receive_loops.h"
#include "comm/traffic_buffer.h"
#include "res/resource.h"

#include <windows.h>

#include "bench_support.h"

#include <algorithm>
#include <cstdio>
#include <thread>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kTrailerRecords = 3;
constexpr int kAddressRecords = 4;

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<u_short>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

// Bare loops: what Winsock gives with nothing else to do. Results per second: datagrams
// (udp) or bytes (tcp); below 0 when the port could not be taken.
double bare_udp(int port, double seconds) {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a = loopback(port);
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == SOCKET_ERROR) return -1;
    static char buffer[kReceiveBytes];
    long long count = 0;
    double start = bench::now_s(), end = start + seconds;
    while (bench::now_s() < end) {
        sockaddr_in from{};
        int length = sizeof from;
        if (recvfrom(s, buffer, kReceiveBytes, 0, reinterpret_cast<sockaddr*>(&from), &length) >= 0) ++count;
    }
    double took = bench::now_s() - start;
    closesocket(s);
    return static_cast<double>(count) / took;
}

// with_select: a select before every receive, as a server that watches several sockets.
double bare_tcp(int port, double seconds, bool with_select) {
    SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(port);
    if (bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a) == SOCKET_ERROR || listen(listener, 3) == SOCKET_ERROR)
        return -1;
    SOCKET client = accept(listener, nullptr, nullptr);
    static char buffer[kReceiveBytes];
    long long bytes = 0;
    double start = bench::now_s(), end = start + seconds;
    while (bench::now_s() < end) {
        if (with_select) {
            fd_set set;
            FD_ZERO(&set);
            FD_SET(listener, &set);
            FD_SET(client, &set);
            timeval timeout{0, 500000};
            if (select(0, &set, nullptr, nullptr, &timeout) <= 0 || !FD_ISSET(client, &set)) continue;
        }
        int got = recv(client, buffer, kReceiveBytes, 0);
        if (got <= 0) break;
        bytes += got;
    }
    double took = bench::now_s() - start;
    closesocket(client);
    closesocket(listener);
    return static_cast<double>(bytes) / took;
}

uint64_t records_so_far() {
    TrafficState state = traffic_state();
    return static_cast<uint64_t>(state.write_index) + state.discarded;
}

double g_captured_mb = 0; // size of the capture files written

// The longest time between two turns of the window's message loop.
double g_longest_pause = 0;
double g_last_turn = 0;

void CALLBACK ui_turn(HWND, UINT, UINT_PTR, DWORD) {
    double t = bench::now_s();
    if (g_last_turn > 0) g_longest_pause = std::max(g_longest_pause, t - g_last_turn);
    g_last_turn = t;
}

// Tarvik's server through the main window's open and close commands. Returns packets
// (udp) or bytes (tcp) per second, below 0 when it did not open.
double tarvik(HWND window, bool udp, int port, double seconds, int size, bool pump, double* pause_ms,
              bool capture = false) {
    bench::use_loopback_server(udp, port);
    wchar_t capture_file[MAX_PATH];
    GetTempPathW(MAX_PATH, capture_file);
    wcsncat(capture_file, L"tarvik_bench_capture.pcapng", MAX_PATH - wcslen(capture_file) - 1);
    if (capture && !capture_start(window, capture_file)) return -1;
    SendMessageW(window, WM_COMMAND, IDM_OPEN, 0);
    if (!connection_is_open()) return -1;
    // As in the bare loops, the clock starts with the first packet.
    uint64_t first = records_so_far();
    double wait_end = bench::now_s() + 5;
    while (records_so_far() == first && bench::now_s() < wait_end) Sleep(1);
    first = records_so_far();
    double start = bench::now_s(), end = start + seconds;
    g_longest_pause = 0;
    g_last_turn = 0;
    UINT_PTR timer = pump ? SetTimer(nullptr, 0, 10, ui_turn) : 0;
    MSG msg;
    while (bench::now_s() < end) {
        if (!pump) {
            Sleep(20);
        } else if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
    }
    if (timer) KillTimer(nullptr, timer);
    double took = bench::now_s() - start;
    uint64_t added = records_so_far() - first;
    SendMessageW(window, WM_COMMAND, IDM_CLOSE, 0);
    if (capture) {
        capture_stop();
        WIN32_FILE_ATTRIBUTE_DATA info;
        if (GetFileAttributesExW(capture_file, GetFileExInfoStandard, &info))
            g_captured_mb += (static_cast<double>(info.nFileSizeHigh) * 4294967296.0 + info.nFileSizeLow) / 1e6;
        DeleteFileW(capture_file);
    }
    *pause_ms = g_longest_pause * 1000;
    // A datagram adds its bytes, four address records and a trailer. A TCP flood fills
    // nearly every receive, so each receive's bytes come with the same seven records (a
    // receive that is not full makes the figure a little high).
    double per_packet = udp ? size + kAddressRecords + kTrailerRecords
                            : (kReceiveBytes + kAddressRecords + kTrailerRecords) / double(kReceiveBytes);
    return static_cast<double>(added) / per_packet / took;
}

int receive_buffer_size(SOCKET s) {
    int size = 0, length = sizeof size;
    return getsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&size), &length) == 0 ? size : -1;
}

// Opens the UDP server, says it is ready, and counts the datagrams recorded until none has
// come for a second (or 20 s have passed without any). With `own_size` the socket is set
// back to the system's own buffer size first, as it was before the program asked.
long long burst_turn(HWND window, int port, int turn, int own_size) {
    bench::use_loopback_server(true, port);
    SendMessageW(window, WM_COMMAND, IDM_OPEN, 0);
    if (!connection_is_open()) return -1;
    if (own_size > 0)
        setsockopt(g_conn.main_socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&own_size), sizeof own_size);
    const uint64_t first = records_so_far();
    std::printf("ready %d\n", turn);
    std::fflush(stdout);
    double quiet_since = bench::now_s(), give_up = quiet_since + 20;
    uint64_t seen = first;
    MSG msg;
    for (;;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
        const uint64_t now_records = records_so_far();
        const double t = bench::now_s();
        if (now_records != seen) {
            seen = now_records;
            quiet_since = t;
        } else if ((seen != first && t - quiet_since > 1.0) || t > give_up) {
            break;
        }
    }
    SendMessageW(window, WM_COMMAND, IDM_CLOSE, 0);
    return static_cast<long long>(seen - first);
}

int burst(HWND window, int port, int count, int size) {
    SOCKET probe = socket(AF_INET, SOCK_DGRAM, 0);
    const int own = receive_buffer_size(probe);
    ask_receive_buffer(probe);
    const int granted = receive_buffer_size(probe);
    closesocket(probe);
    std::printf("Receive buffer: asked %d bytes, granted %d (the system's own: %d)\n", kReceiveBufferAsked, granted,
                own);
    const long long per = size + kAddressRecords + kTrailerRecords;
    const long long before = burst_turn(window, port, 1, own);
    const long long after = burst_turn(window, port, 2, 0);
    if (before < 0 || after < 0) return 1;
    std::printf("Burst of %d %d-byte datagrams: %lld recorded with the system's buffer, %lld with the one asked for\n",
                count, size, before / per, after / per);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "burst") == 0) {
        g_seams.message_box = bench::quiet_box;
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        HWND window = bench::open_main_window(L"tarvik_bench_burst");
        if (!window) return 1;
        const int result = burst(window, std::atoi(argv[2]), std::atoi(argv[3]), argc > 4 ? std::atoi(argv[4]) : 64);
        DestroyWindow(window);
        WSACleanup();
        return result;
    }
    if (argc < 6) {
        std::fprintf(stderr, "usage: bench_receive udp|tcp PORT SECONDS_PER_TURN ROUNDS DATAGRAM_SIZE\n"
                             "       bench_receive burst PORT COUNT [SIZE]\n");
        return 2;
    }
    const bool udp = std::strcmp(argv[1], "udp") == 0;
    const int port = std::atoi(argv[2]);
    const double seconds = std::atof(argv[3]);
    const int rounds = std::max(1, std::atoi(argv[4]));
    const int size = std::atoi(argv[5]);

    g_seams.message_box = bench::quiet_box;
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    HWND window = bench::open_main_window(L"tarvik_bench_receive");
    if (!window) return 1;
    SetWindowPos(window, nullptr, 0, 0, 1300, 900, SWP_NOZORDER);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    // bare, bare with select (tcp only), Tarvik's thread alone, Tarvik with its window,
    // Tarvik with its window and a capture to disk
    double sum[5] = {}, worst_pause = 0;
    const double unit = udp ? 1 : 1e6;
    for (int round = 0; round < rounds; ++round) {
        double result[5] = {}, pause = 0, unused = 0, capture_pause = 0;
        result[2] = tarvik(window, udp, port, seconds, size, false, &unused);
        // The bare loops get a thread of their own, as Tarvik's receive loop has.
        std::thread([&] {
            result[0] = udp ? bare_udp(port, seconds) : bare_tcp(port, seconds, false);
            result[1] = udp ? 0 : bare_tcp(port, seconds, true);
        }).join();
        result[3] = tarvik(window, udp, port, seconds, size, true, &pause);
        result[4] = tarvik(window, udp, port, seconds, size, true, &capture_pause, true);
        pause = std::max(pause, capture_pause);
        if (*std::min_element(result, result + 5) < 0) {
            std::printf("round %d: a receiver could not take port %d\n", round + 1, port);
            return 1;
        }
        for (int i = 0; i < 5; ++i) sum[i] += result[i];
        worst_pause = std::max(worst_pause, pause);
        std::printf("round %d: bare %9.1f", round + 1, result[0] / unit);
        if (!udp) std::printf("  bare+select %7.1f", result[1] / unit);
        std::printf("  Tarvik thread %9.1f  Tarvik+window %9.1f  +capture %9.1f  window pause %3.0f ms\n",
                    result[2] / unit, result[3] / unit, result[4] / unit, pause);
        std::fflush(stdout);
    }
    if (udp)
        std::printf("UDP server, %d-byte datagrams, datagrams/s: bare recvfrom %.0f; Tarvik thread %.0f (ratio %.3f); "
                    "Tarvik with window %.0f (ratio %.3f); longest window pause %.0f ms\n",
                    size, sum[0] / rounds, sum[2] / rounds, sum[2] / sum[0], sum[3] / rounds, sum[3] / sum[0],
                    worst_pause);
    else
        std::printf("TCP server, MB/s: bare recv %.1f; bare select+recv %.1f; Tarvik thread %.1f (ratio %.3f to recv, "
                    "%.3f to select+recv); Tarvik with window %.1f (ratio %.3f / %.3f); longest window pause %.0f ms\n",
                    sum[0] / rounds / 1e6, sum[1] / rounds / 1e6, sum[2] / rounds / 1e6, sum[2] / sum[0],
                    sum[2] / sum[1], sum[3] / rounds / 1e6, sum[3] / sum[0], sum[3] / sum[1], worst_pause);
    std::printf("Capture to disk, with the window: %.*f %s with it on against %.*f off (ratio %.3f); %.1f MB written\n",
                udp ? 0 : 2, sum[4] / rounds / unit, udp ? "datagrams/s" : "MB/s", udp ? 0 : 2, sum[3] / rounds / unit,
                sum[4] / sum[3], g_captured_mb);
    DestroyWindow(window);
    WSACleanup();
    return 0;
}
