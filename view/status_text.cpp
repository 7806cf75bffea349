#include "view/status_text.h"

#include "app/settings.h"

#include <cwchar>

bool format_status_text(int part, const Settings& s, const StatusValues& v, wchar_t out[kStatusTextChars]) {
    constexpr size_t n = kStatusTextChars;
    out[0] = 0;
    switch (part) {
    case 0:
        if (s.ip_mode == 0 && s.bind_mode == 1)
            swprintf(out, n, L"Adapter=%d.%d.%d.%d;PortNo=%d >> AccessPoint=%d.%d.%d.%d;PortNo=%d", s.aip_no1,
                     s.aip_no2, s.aip_no3, s.aip_no4, s.aport_no, s.ip_no1, s.ip_no2, s.ip_no3, s.ip_no4, s.port_no);
        else if (s.ip_mode == 0)
            swprintf(out, n, L"Adapter=Auto >> AccessPoint=%d.%d.%d.%d;PortNo=%d", s.ip_no1, s.ip_no2, s.ip_no3,
                     s.ip_no4, s.port_no);
        else if (s.bind_mode == 1)
            swprintf(out, n, L"socket=%d.%d.%d.%d;Port=%d<<ip=No Select", s.aip_no1, s.aip_no2, s.aip_no3,
                     s.aip_no4, s.aport_no);
        else
            swprintf(out, n, L"socket=Auto;Port=%d<<ip=No Select", s.aport_no);
        break;
    case 1:
        wcscpy(out, s.tipudp_mode != 0 ? L"UDP" : v.tls ? L"TIP TLS" : L"TIP");
        break;
    case 2:
        wcscpy(out, s.ip_mode == 1 ? L"Server" : L"Client;");
        break;
    case 3:
        wcscpy(out, v.open ? L"OPEN" : L"CLOSE");
        break;
    case 4:
        swprintf(out, n, L"DrawSize=X%d;Y%d", v.records_per_line, v.lines_on_screen);
        break;
    case 5:
        swprintf(out, n, L"BufferSize=%d/%d", v.write_index, kStatusBufferShown);
        break;
    case 6:
        swprintf(out, n, L"Scroll=%d", v.view_top);
        break;
    case 7:
        if (v.note && v.note[0])
            wcsncpy(out, v.note, n - 1);
        else
            wcscpy(out, L"By Brenlow");
        break;
    default:
        return false;
    }
    // Out-of-range settings can make the first text longer than the buffer; some C
    // libraries leave a cut text unterminated.
    out[n - 1] = 0;
    return true;
}
