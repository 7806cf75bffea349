#include "app/toolbar.h"

#include "app/app_state.h"
#include "app/dpi.h"
#include "app/scoped_win.h"
#include "comm/capture.h"
#include "send/responder.h"
#include "look/dark_mode.h"
#include "res/resource.h"
#include "view/view_metrics.h"

#include <commctrl.h>

#include <iterator>

HWND g_toolbar = nullptr;

const int kToolbarButtons[kToolbarButtonCount] = {
    IDT_SAVE_LOG,    IDT_LOAD_LOG,     IDT_CLEAR,       IDT_SCROLL_END,          IDT_SCROLL_START,
    IDT_LAST_LINE,   IDT_FIRST_LINE,   IDT_REPAINT,     IDT_INPUT_SEND,          IDT_PRESET_SEND,
    IDT_MACRO,       IDT_CONNECTION_SETTINGS, IDT_OPEN, IDT_CLOSE,               IDT_HOST_NAME,
    IDT_PRESET_EDIT, IDT_SCRATCH_TEXT, IDT_EDIT_MACRO,  IDT_ENVIRONMENT,         IDT_DARK_MODE,
    IDT_LANGUAGE,    IDT_COLOURS,      IDT_ABOUT,       IDT_MANUAL,              IDT_HOME_PAGE,
    IDT_EXIT,        IDT_EXPORT_PCAPNG, IDT_CAPTURE,     IDT_RESPONDER_SWITCH,
};

namespace {

DWORD g_base_button_size = 0; // the toolbar's own button size, for 16 x 16 pictures
int g_button_tile = 16;       // the picture size the buttons are sized for

// As the menu, except that the environment settings stay available while connected.
const int kIdleOnly[] = {IDT_REPAINT,   IDT_SCROLL_END,          IDT_SCROLL_START, IDT_LAST_LINE,
                         IDT_FIRST_LINE, IDT_CONNECTION_SETTINGS, IDT_OPEN};
const int kConnectedOnly[] = {IDT_INPUT_SEND, IDT_PRESET_SEND, IDT_MACRO, IDT_CLOSE};

bool listed(const int* ids, size_t count, int id) {
    for (size_t i = 0; i < count; ++i)
        if (ids[i] == id) return true;
    return false;
}

void set_states(bool connected) {
    if (!g_toolbar) return;
    for (int id : kToolbarButtons)
        SendMessageW(g_toolbar, TB_SETSTATE, id, MAKELPARAM(toolbar_button_state(id, connected), 0));
}

// The image list belongs to us, not to the toolbar: it goes when the toolbar goes.
LRESULT CALLBACK toolbar_subclass(HWND toolbar, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                  DWORD_PTR) {
    if (message == WM_NCDESTROY) {
        HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0));
        RemoveWindowSubclass(toolbar, toolbar_subclass, id);
        if (images) ImageList_Destroy(images);
    }
    return DefSubclassProc(toolbar, message, wparam, lparam);
}

// The strip's first pixel is its background; masking it out lets the toolbar's own
// background (and its hot and pressed faces) show round every picture.
HIMAGELIST load_strip(int bitmap_id, int size) {
    ScopedGdiObject<HBITMAP> strip(static_cast<HBITMAP>(
        LoadImageW(app_instance(), MAKEINTRESOURCEW(bitmap_id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!strip) return nullptr;
    HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, kToolbarButtonCount, 0);
    if (images) {
        COLORREF background;
        {
            ScopedMemoryDC dc(nullptr);
            ScopedSelect strip_in(dc, strip);
            background = GetPixel(dc, 0, 0);
        }
        ImageList_AddMasked(images, strip, background);
    }
    return images;
}

} // namespace

// The strip drawn for the tile size: 16, 24 or 32 pixels, never a stretched one.
int toolbar_strip_for(int size, bool dark) {
    if (size >= 32) return dark ? IDB_TOOLBAR_DARK_32 : IDB_TOOLBAR_LIGHT_32;
    if (size >= 24) return dark ? IDB_TOOLBAR_DARK_24 : IDB_TOOLBAR_LIGHT_24;
    return dark ? IDB_TOOLBAR_DARK : IDB_TOOLBAR_LIGHT;
}

int toolbar_image_of(int toolbar_id) {
    for (int i = 0; i < kToolbarButtonCount; ++i)
        if (kToolbarButtons[i] == toolbar_id) return i;
    return -1;
}

BYTE toolbar_button_state(int toolbar_id, bool connected) {
    bool enabled = true;
    if (listed(kIdleOnly, std::size(kIdleOnly), toolbar_id)) enabled = !connected;
    if (listed(kConnectedOnly, std::size(kConnectedOnly), toolbar_id)) enabled = connected;
    BYTE state = enabled ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE;
    // The capture button stays down while a capture runs.
    if (toolbar_id == IDT_CAPTURE && capture_running()) state |= TBSTATE_CHECKED;
    if (toolbar_id == IDT_RESPONDER_SWITCH && responder_is_on()) state |= TBSTATE_CHECKED;
    return state;
}

void create_toolbar(HWND window) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    g_toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT | TBSTYLE_TRANSPARENT |
                                    TBSTYLE_ALTDRAG | CCS_ADJUSTABLE,
                                0, 0, 0, 0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TOOLBAR)),
                                app_instance(), nullptr);
    if (!g_toolbar) return;
    SetWindowSubclass(g_toolbar, toolbar_subclass, 0, 0);
    SendMessageW(g_toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    g_base_button_size = static_cast<DWORD>(SendMessageW(g_toolbar, TB_GETBUTTONSIZE, 0, 0));
    g_button_tile = 16;
    toolbar_use_dpi(g_metrics.dpi);

    TBBUTTON buttons[kToolbarButtonCount] = {};
    for (int i = 0; i < kToolbarButtonCount; ++i) {
        buttons[i].iBitmap = i;
        buttons[i].idCommand = kToolbarButtons[i];
        buttons[i].fsState = toolbar_button_state(kToolbarButtons[i], false);
        buttons[i].fsStyle = BTNS_BUTTON;
        buttons[i].iString = -1;
    }
    SendMessageW(g_toolbar, TB_ADDBUTTONSW, kToolbarButtonCount, reinterpret_cast<LPARAM>(buttons));
    SendMessageW(g_toolbar, TB_AUTOSIZE, 0, 0);
}

void toolbar_use_dpi(int dpi) {
    if (!g_toolbar) return;
    const int size = image_size_for_dpi(dpi);
    HIMAGELIST images = load_strip(toolbar_strip_for(size, g_dark_mode.dark), size);
    SendMessageW(g_toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
    // The buttons grow with their pictures from the toolbar's own size for 16 x 16, which
    // stays untouched at 96 DPI.
    if (size != g_button_tile) {
        SendMessageW(g_toolbar, TB_SETBUTTONSIZE, 0,
                     MAKELPARAM(LOWORD(g_base_button_size) + size - 16, HIWORD(g_base_button_size) + size - 16));
        g_button_tile = size;
    }
    auto old = reinterpret_cast<HIMAGELIST>(SendMessageW(g_toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images)));
    if (old && old != images) ImageList_Destroy(old);
    SendMessageW(g_toolbar, TB_AUTOSIZE, 0, 0);
}

void toolbar_connected() { set_states(true); }
void toolbar_unconnected() { set_states(false); }
