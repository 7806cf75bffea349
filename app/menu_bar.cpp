#include "app/menu_bar.h"

#include "app/app_state.h"
#include "app/dpi.h"
#include "app/main_commands.h"
#include "app/scoped_win.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "app/toolbar.h"
#include "comm/capture.h"
#include "comm/traffic_buffer.h"
#include "send/responder.h"
#include "res/resource.h"
#include "view/selection.h"

#include <cwchar>

MenuBar g_menu_bar;

namespace {

// The items of popup p are the entries from the first popup's first item + 10 p onward, in
// the order of the command table.
constexpr int kFirstTitleEntry = kTextMenuFirstTitle;
constexpr int kFirstItemEntry = kTextMenuSaveLog;
constexpr int kSeparatorAfterPopup = 1; // the view popup ends with a separator

// Available only without a connection: repaint, the scroll commands and the searches
// (which move the view), the connection settings, open and the environment settings.
const int kIdleOnly[] = {IDM_REPAINT,   IDM_SCROLL_END,    IDM_SCROLL_START,        IDM_LAST_LINE,
                         IDM_FIRST_LINE, IDM_FIND_NEXT,    IDM_FIND_PREVIOUS,       IDM_CONNECTION_SETTINGS,
                         IDM_OPEN,       IDM_ENVIRONMENT};
// Available only with a connection: the three send tools and close.
const int kConnectedOnly[] = {IDM_INPUT_SEND, IDM_PRESET_SEND, IDM_MACRO, IDM_CLOSE};
// Available only with a selection.
const int kSelectionOnly[] = {IDM_COPY_HEX, IDM_COPY_TEXT, IDM_COPY_PRESET};

// Shortcuts shown beside their items (the accelerator table of the resources has the keys).
struct Shortcut {
    int id;
    const wchar_t* keys;
};
const Shortcut kShortcuts[] = {{IDM_FIND, L"Ctrl+F"},     {IDM_FIND_NEXT, L"F3"},
                               {IDM_FIND_PREVIOUS, L"Shift+F3"}, {IDM_COPY_HEX, L"Ctrl+C"},
                               {IDM_COPY_TEXT, L"Ctrl+Shift+C"}, {IDM_SELECT_ALL, L"Ctrl+A"}};

// Commands whose texts come before the first item's entry sit in the File popup.
int popup_of(const CommandInfo& command) {
    return command.tooltip_entry < kFirstItemEntry ? 0 : (command.tooltip_entry - kFirstItemEntry) / 10;
}

// Cuts the tiles of the light strip into bitmaps that the window's display can draw: the
// strip of 16, 24 or 32 pixel tiles, as the window's DPI asks.
void cut_images(HWND window) {
    const int tile_size = image_size_for_dpi(window_dpi(window));
    ScopedGdiObject<HBITMAP> strip(static_cast<HBITMAP>(LoadImageW(
        app_instance(), MAKEINTRESOURCEW(toolbar_strip_for(tile_size, false)), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!strip) return;
    ScopedGetDC screen(window);
    ScopedMemoryDC from(screen), to(screen);
    ScopedSelect strip_in(from, strip);
    for (int i = 0; i < kMenuImages; ++i) {
        HBITMAP tile = CreateCompatibleBitmap(screen, tile_size, tile_size);
        if (!tile) continue;
        ScopedSelect tile_in(to, tile);
        BitBlt(to, 0, 0, tile_size, tile_size, from, tile_size * i, 0, SRCCOPY);
        g_menu_bar.images[i] = tile;
    }
}

void insert_text_item(HMENU menu, UINT position, UINT mask, MENUITEMINFOW* info, int entry) {
    wchar_t text[kTextChars + 16];
    text_table_lookup(entry, text);
    for (const Shortcut& s : kShortcuts)
        if ((mask & MIIM_ID) && info->wID == static_cast<UINT>(s.id)) {
            wcscat(text, L"\t");
            wcscat(text, s.keys);
        }
    info->cbSize = sizeof *info;
    info->fMask = mask | MIIM_TYPE;
    info->fType = MFT_STRING;
    info->dwTypeData = text;
    InsertMenuItemW(menu, position, TRUE, info);
}

} // namespace

void build_menu(HWND window) {
    if (g_menu_bar.bar) destroy_menu();
    g_menu_bar.window = window;
    g_menu_bar.bar = CreateMenu();
    for (HMENU& popup : g_menu_bar.popups) popup = CreatePopupMenu();

    for (int p = 0; p < kMenuPopups; ++p) {
        MENUITEMINFOW info = {};
        info.hSubMenu = g_menu_bar.popups[p];
        insert_text_item(g_menu_bar.bar, p, MIIM_SUBMENU, &info, kFirstTitleEntry + p);
    }

    cut_images(window);
    for (const CommandInfo& command : kCommands) {
        HMENU popup = g_menu_bar.popups[popup_of(command)];
        // The dialog's item shows the picture of the switch beside it.
        int image = toolbar_image_of(command.menu_id == IDM_RESPONDER ? IDT_RESPONDER_SWITCH : command.toolbar_id);
        MENUITEMINFOW info = {};
        info.wID = command.menu_id;
        info.hbmpChecked = info.hbmpUnchecked = image >= 0 ? g_menu_bar.images[image] : nullptr;
        // The capture toggle shows the plain check mark while it is on.
        if (command.menu_id == IDM_CAPTURE || command.menu_id == IDM_RESPONDER_SWITCH) info.hbmpChecked = nullptr;
        insert_text_item(popup, GetMenuItemCount(popup), MIIM_ID | MIIM_CHECKMARKS, &info, command.tooltip_entry);
    }
    AppendMenuW(g_menu_bar.popups[kSeparatorAfterPopup], MF_SEPARATOR, 0, nullptr);

    SetMenu(window, g_menu_bar.bar);
    DrawMenuBar(window);
}

void destroy_menu() {
    if (g_menu_bar.bar) {
        if (IsWindow(g_menu_bar.window) && GetMenu(g_menu_bar.window) == g_menu_bar.bar)
            SetMenu(g_menu_bar.window, nullptr);
        DestroyMenu(g_menu_bar.bar); // takes its popups with it
    }
    for (HBITMAP image : g_menu_bar.images)
        if (image) DeleteObject(image);
    g_menu_bar = MenuBar();
}

void apply_menu_enabling(HMENU menu, bool connection_open) {
    for (int id : kIdleOnly) EnableMenuItem(menu, id, MF_BYCOMMAND | (connection_open ? MF_GRAYED : MF_ENABLED));
    for (int id : kConnectedOnly)
        EnableMenuItem(menu, id, MF_BYCOMMAND | (connection_open ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, IDM_LANGUAGE, MF_BYCOMMAND | MF_ENABLED);
    const TrafficState s = traffic_state();
    selection_follow(s.discarded, s.write_index);
    for (int id : kSelectionOnly) EnableMenuItem(menu, id, MF_BYCOMMAND | (selection_empty() ? MF_GRAYED : MF_ENABLED));
    CheckMenuItem(menu, IDM_CAPTURE, MF_BYCOMMAND | (capture_running() ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, IDM_RESPONDER_SWITCH, MF_BYCOMMAND | (responder_is_on() ? MF_CHECKED : MF_UNCHECKED));
}
