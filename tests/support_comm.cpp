#include "support_comm.h"

#include "app/settings.h"
#include "comm/connection.h"
#include "comm/traffic_buffer.h"
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

std::wstring CommTest::failed_opening_box() {
    open();
    EXPECT_FALSE(connection_is_open());
    std::vector<std::wstring> boxes = take_boxes();
    EXPECT_EQ(boxes.size(), 2u);
    return boxes.size() == 2 ? boxes[1] : L"";
}

loopback::Socket CommTest::open_tip_client() {
    int port = loopback::free_port(SOCK_STREAM);
    listener_ = loopback::tcp_listener("127.0.0.1", port);
    use_mode(false, false, port, 0);
    open();
    EXPECT_TRUE(connection_is_open());
    take_boxes();
    return loopback::tcp_accept(listener_.s);
}

int CommTest::open_server(bool udp) {
    int port = loopback::free_port(udp ? SOCK_DGRAM : SOCK_STREAM);
    use_mode(udp, true, 0, port);
    open();
    EXPECT_TRUE(connection_is_open());
    take_boxes();
    return port;
}

loopback::Socket CommTest::join_server(const char* from_ip, int port) {
    int before = traffic_state().write_index;
    loopback::Socket client = loopback::tcp_connect(from_ip, port);
    EXPECT_TRUE(records_reach(before + 4));
    return client;
}

bool records_reach(int count) {
    return loopback::wait_until([count] { return traffic_state().write_index >= count; });
}
