#include "app/status_bar.h"

#include "app/app_state.h"
#include "app/dpi.h"
#include "app/settings.h"
#include "comm/connection.h"
#include "comm/tls_client.h"
#include "look/colours.h"
#include "res/resource.h"
#include "view/view_metrics.h"

#include <commctrl.h>

HWND g_status_bar = nullptr;

const int kStatusPartEdges[kStatusParts] = {460, 500, 560, 620, 740, 900, 1000, 1100, 1300, -1};

namespace {

// The item data of part n names the part: "0" to "7".
const wchar_t* const kPartNames[kStatusTextParts] = {L"0", L"1", L"2", L"3", L"4", L"5", L"6", L"7"};

// A visual style would paint over the background colour; the bar keeps the classic look
// so that its colour can tell the connection state. Looked up at run time because the
// theme library is not present everywhere.
void drop_visual_style(HWND control) {
    HMODULE uxtheme = LoadLibraryW(L"uxtheme.dll");
    if (!uxtheme) return;
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    auto set_theme = reinterpret_cast<SetWindowThemeFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(uxtheme, "SetWindowTheme")));
    if (set_theme) set_theme(control, L" ", L" "); // a class list that names no style
    FreeLibrary(uxtheme);
}

} // namespace

void create_status_bar(HWND window) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    g_status_bar = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | CCS_BOTTOM | SBARS_SIZEGRIP,
                                   0, 0, 0, 0, window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS_BAR)), app_instance(),
                                   nullptr);
    if (!g_status_bar) return;
    drop_visual_style(g_status_bar);
    status_bar_use_dpi(g_metrics.dpi);
    for (int n = 0; n < kStatusTextParts; ++n)
        SendMessageW(g_status_bar, SB_SETTEXTW, n | SBT_OWNERDRAW, reinterpret_cast<LPARAM>(kPartNames[n]));
}

void status_bar_use_dpi(int dpi) {
    if (!g_status_bar) return;
    int edges[kStatusParts];
    for (int n = 0; n < kStatusParts; ++n) edges[n] = kStatusPartEdges[n] < 0 ? -1 : dpi_scale(kStatusPartEdges[n], dpi);
    SendMessageW(g_status_bar, SB_SETPARTS, kStatusParts, reinterpret_cast<LPARAM>(edges));
}

int status_colour_slot(bool open, bool udp, bool server) {
    if (!open) return kSlotStatusClosed;
    if (udp) return server ? kSlotStatusUdpServer : kSlotStatusUdpClient;
    return server ? kSlotStatusTipServer : kSlotStatusTipClient;
}

void refresh_status_colour() {
    if (!g_status_bar) return;
    int slot = status_colour_slot(connection_is_open(), udp_mode(), server_mode());
    SendMessageW(g_status_bar, SB_SETBKCOLOR, 0, static_cast<LPARAM>(slot_colour(slot)));
    const wchar_t* tls = connection_is_open() && tls_active() ? tls_summary() : L"";
    SendMessageW(g_status_bar, SB_SETTEXTW, kStatusTlsPart, reinterpret_cast<LPARAM>(tls));
    // The texts are built when drawn, so a redraw shows the current values.
    InvalidateRect(g_status_bar, nullptr, FALSE);
}
