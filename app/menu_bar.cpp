#include "app/menu_bar.h"

#include "res/resource.h"

namespace {

// Available only without a connection: repaint, the scroll commands, the connection
// settings, open and the environment settings.
const int kIdleOnly[] = {IDM_REPAINT,      IDM_SCROLL_END,          IDM_SCROLL_START, IDM_LAST_LINE,
                         IDM_FIRST_LINE,   IDM_CONNECTION_SETTINGS, IDM_OPEN,         IDM_ENVIRONMENT};
// Available only with a connection: the three send tools and close.
const int kConnectedOnly[] = {IDM_INPUT_SEND, IDM_PRESET_SEND, IDM_MACRO, IDM_CLOSE};

} // namespace

void build_menu(HWND window) { (void)window; }

void destroy_menu() {}

void apply_menu_enabling(HMENU menu, bool connection_open) {
    for (int id : kIdleOnly) EnableMenuItem(menu, id, MF_BYCOMMAND | (connection_open ? MF_GRAYED : MF_ENABLED));
    for (int id : kConnectedOnly)
        EnableMenuItem(menu, id, MF_BYCOMMAND | (connection_open ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, IDM_LANGUAGE, MF_BYCOMMAND | MF_ENABLED);
}
