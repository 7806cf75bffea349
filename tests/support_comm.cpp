#include "support_comm.h"

#include "app/settings.h"
#include "comm/connection.h"
#include "res/resource.h"

void CommTest::SetUp() {
    CopyFileW(harness::source_file("data/Tarvik_char2.ini").c_str(), dir_.file(L"Tarvik_char2.ini").c_str(), FALSE);
    harness::install_seams();
    window_ = harness::create_main_window();
    ASSERT_TRUE(window_ != nullptr);
    g_settings = Settings{};
    harness::clear_shown_boxes();
}

void CommTest::TearDown() {
    g_conn.thread_end_hook = nullptr;
    if (connection_is_open()) close_connection(window_);
    harness::destroy_main_window(window_);
    harness::restore_seams();
}

void CommTest::use_mode(bool udp, bool server, int peer_port, int own_port) {
    g_settings.tipudp_mode = udp ? 1 : 0;
    g_settings.ip_mode = server ? 1 : 0;
    g_settings.ip_no1 = 127;
    g_settings.ip_no2 = 0;
    g_settings.ip_no3 = 0;
    g_settings.ip_no4 = 1;
    g_settings.port_no = peer_port;
    g_settings.aip_no1 = 127;
    g_settings.aip_no2 = 0;
    g_settings.aip_no3 = 0;
    g_settings.aip_no4 = 1;
    g_settings.aport_no = own_port;
}

void CommTest::open() { SendMessageW(window_, WM_COMMAND, IDM_OPEN, 0); }
void CommTest::close() { SendMessageW(window_, WM_COMMAND, IDM_CLOSE, 0); }

std::vector<std::wstring> CommTest::take_boxes() {
    std::vector<std::wstring> out;
    for (const harness::ShownBox& box : harness::shown_boxes()) out.push_back(box.caption + L"|" + box.text);
    harness::clear_shown_boxes();
    return out;
}

std::wstring widen(const char* text) {
    wchar_t wide[512];
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 512);
    return wide;
}
