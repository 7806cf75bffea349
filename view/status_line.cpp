#include "view/status_line.h"

#include "app/settings.h"
#include "app/status_bar.h"
#include "comm/connection.h"
#include "comm/tls_client.h"
#include "comm/traffic_buffer.h"
#include "look/colours.h"
#include "res/resource.h"
#include "view/status_text.h"
#include "view/traffic_view.h"
#include "view/view_metrics.h"

#include <cwchar>

namespace {

wchar_t g_note[kStatusTextChars];

} // namespace

void set_status_note(const wchar_t* text) {
    wcsncpy(g_note, text ? text : L"", kStatusTextChars - 1);
    g_note[kStatusTextChars - 1] = 0;
    if (g_status_bar) InvalidateRect(g_status_bar, nullptr, TRUE);
}

bool draw_status_part(const DRAWITEMSTRUCT* item) {
    if (!item || item->CtlID != IDC_STATUS_BAR) return false;
    RECT rc = item->rcItem;
    SetBkMode(item->hDC, TRANSPARENT);
    SetTextColor(item->hDC, slot_colour(kSlotText));

    StatusValues values;
    values.open = connection_is_open();
    values.tls = tls_wanted();
    values.records_per_line = g_view.records_per_line;
    values.lines_on_screen = g_view.lines_on_screen;
    values.write_index = traffic_state().write_index;
    values.view_top = g_view.view_top;
    values.note = g_note;
    wchar_t text[kStatusTextChars];
    if (!format_status_text(static_cast<int>(item->itemID), g_settings, values, text)) return false;
    TextOutW(item->hDC, rc.left, rc.top, text, static_cast<int>(wcslen(text)));
    return true;
}
