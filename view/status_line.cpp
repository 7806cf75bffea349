#include "view/status_line.h"

#include "app/settings.h"
#include "comm/connection.h"
#include "comm/traffic_buffer.h"
#include "look/colours.h"
#include "res/resource.h"
#include "view/status_text.h"
#include "view/traffic_view.h"
#include "view/view_metrics.h"

#include <cwchar>

bool draw_status_part(const DRAWITEMSTRUCT* item) {
    if (!item || item->CtlID != IDC_STATUS_BAR) return false;
    RECT rc = item->rcItem;
    SetBkMode(item->hDC, TRANSPARENT);
    SetTextColor(item->hDC, slot_colour(kSlotText));

    StatusValues values;
    values.open = connection_is_open();
    values.records_per_line = g_view.records_per_line;
    values.lines_on_screen = g_view.lines_on_screen;
    values.write_index = traffic_state().write_index;
    values.view_top = g_view.view_top;
    wchar_t text[kStatusTextChars];
    if (!format_status_text(static_cast<int>(item->itemID), g_settings, values, text)) return false;
    TextOutW(item->hDC, rc.left, rc.top, text, static_cast<int>(wcslen(text)));
    return true;
}
