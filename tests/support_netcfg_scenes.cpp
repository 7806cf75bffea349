#include "support_netcfg_scenes.h"

#include "app/settings.h"
#include "harness.h"
#include "netcfg/adapter_dialog.h"
#include "netcfg/connect_address_dialog.h"
#include "res/resource.h"
#include "support_adapters.h"

#include <string>

namespace {

void (*g_pose)(HWND) = nullptr;

HWND prepare_window() {
    harness::write_file(L"Tarvik_char2.ini", harness::read_file(harness::source_file("data/Tarvik_char2.ini")));
    harness::install_seams(); // no batch file is started
    HWND window = harness::create_main_window();
    g_settings.moji_type = 1;
    return window;
}

void choose_and_pose(HWND dialog, int entry) {
    SendMessageW(GetDlgItem(dialog, IDC_LIST_BOX), LB_SETCURSEL, entry, 0);
    g_pose(dialog);
    PostMessageW(dialog, WM_COMMAND, IDC_LIST_CLOSE, 0);
}

} // namespace

int scene_adapter_list(void (*pose)(HWND window)) {
    HWND window = prepare_window();
    if (!window) return 1;
    adapters::feed({
        {L"Gigabit Network Connection", L"Ethernet", {"fe80::1c2b:7d4e:9a01:3f62", "192.168.1.23"}},
        {L"Wireless LAN Adapter", L"Wi-Fi", {"fe80::58aa:12ff:fe34:5601", "10.0.4.117"}},
        {L"Microsoft Wi-Fi Direct Virtual Adapter", L"Local Area Connection* 1", {"fe80::9d1:4c2e:77b0:1a2c"}},
        {L"Bluetooth Device (Personal Area Network)", L"Bluetooth Network Connection", {}},
        {L"Software Loopback Interface 1", L"Loopback Pseudo-Interface 1", {"::1", "127.0.0.1"}},
    });
    g_pose = pose;
    harness::drive_modal([&] { run_adapter_dialog(window); }, [](HWND d) { choose_and_pose(d, 0); }, 10000);
    harness::destroy_main_window(window);
    harness::restore_seams();
    return 0;
}

int scene_connect_address(void (*pose)(HWND window)) {
    HWND window = prepare_window();
    if (!window) return 1;
    std::string log =
        "\r\nInterface: 192.168.1.23 --- 0x7\r\n"
        "  Internet Address      Physical Address      Type\r\n"
        "  192.168.1.1           3c-52-82-0a-11-e0     dynamic\r\n"
        "  192.168.1.10          00-1b-44-11-3a-b7     dynamic\r\n"
        "  192.168.1.42          a4-5e-60-c2-19-0d     dynamic\r\n"
        "  192.168.1.105         f0-18-98-77-21-4c     dynamic\r\n"
        "  192.168.1.200         00-0c-29-5d-e3-90     dynamic\r\n";
    harness::write_file(L"log.txt", std::vector<uint8_t>(log.begin(), log.end()));
    g_pose = pose;
    harness::drive_modal([&] { run_connect_address_dialog(window, false); },
                         [](HWND d) {
                             harness::advance_tick(kConnectBatchWaitMs);
                             HWND list = GetDlgItem(d, IDC_LIST_BOX);
                             for (int i = 0; i < 100 && SendMessageW(list, LB_GETCOUNT, 0, 0) == 0; ++i) {
                                 harness::pump_messages(1);
                                 Sleep(10);
                             }
                             choose_and_pose(d, 2);
                         },
                         10000);
    harness::destroy_main_window(window);
    harness::restore_seams();
    return 0;
}
