#include "look/colour_dialog.h"

#include "app/app_state.h"
#include "app/seams.h"
#include "app/settings.h"
#include "look/colours.h"
#include "look/dark_mode.h"
#include "look/dialog_theme.h"
#include "netcfg/settings_text.h"
#include "res/resource.h"
#include "view/dump_painter.h"
#include "view/view_metrics.h"

#include <cstdint>
#include <cwchar>

namespace {

// The slot that each row edits, top to bottom; slots 0, 1, 7 and 20 have no row.
const int kRowSlot[kColourRows] = {
    kSlotAscBack1,        kSlotAscBack2,        kSlotHexBack1,        kSlotHexBack2,    kSlotDialogBack,
    kSlotStatusTipClient, kSlotStatusTipServer, kSlotStatusUdpClient, kSlotStatusUdpServer, kSlotEofText,
    kSlotEofBack,         kSlotAscHexText,      kSlotAscHexBack,      kSlotWaitingTime, kSlotRsChar,
    kSlotRsAddress,       kSlotEvent,           kSlotSelection,
};

constexpr int kFieldChars = 31;
constexpr int kFaceStep = 10;

// The working copies; `editing_dark` picks the one that the fields, the chooser buttons,
// "Set Color" and the preview act on.
struct ColourDialogState {
    Rgb light[kColourSlots];
    Rgb dark[kColourSlots];
    bool editing_dark = false;
};

ColourDialogState g_edit;

Rgb* edited_set() { return g_edit.editing_dark ? g_edit.dark : g_edit.light; }

uint8_t face_component(int dialog_back, int step, uint8_t fallback) {
    int v = dialog_back + step;
    return v < 0 || v > 255 ? fallback : static_cast<uint8_t>(v);
}

Rgb derived_face(Rgb back, int step, Rgb fallback) {
    return {face_component(back.r, step, fallback.r), face_component(back.g, step, fallback.g),
            face_component(back.b, step, fallback.b)};
}

// ---- preview ------------------------------------------------------------------------------

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kCell = 18;
constexpr int kMainColumns = 30;
constexpr int kMainLeft = 50;
constexpr int kInputColumns = 28;
constexpr int kInputLeft = 55;

// Pens and brushes of one paint: one pair per slot used, and the plain pair; all released
// when the paint ends.
struct PreviewTools {
    HDC dc;
    const Rgb* set;
    COLORREF ink, paper;
    HPEN pen[kColourSlots] = {};
    HBRUSH brush[kColourSlots] = {};
    HPEN plain_pen;
    HBRUSH plain_brush;

    PreviewTools(HDC d, const Rgb* s, bool dark)
        : dc(d), set(s), ink(dark ? kWhite : kBlack), paper(dark ? kBlack : kWhite),
          plain_pen(CreatePen(PS_SOLID, 1, ink)), plain_brush(CreateSolidBrush(paper)) {}
    ~PreviewTools() {
        for (int n = 0; n < kColourSlots; ++n) {
            if (pen[n]) DeleteObject(pen[n]);
            if (brush[n]) DeleteObject(brush[n]);
        }
        DeleteObject(plain_pen);
        DeleteObject(plain_brush);
    }
    PreviewTools(const PreviewTools&) = delete;
    PreviewTools& operator=(const PreviewTools&) = delete;

    COLORREF colour(int slot) const { return to_colorref(set[slot]); }
    HPEN slot_pen(int slot) {
        if (!pen[slot]) pen[slot] = CreatePen(PS_SOLID, 1, colour(slot));
        return pen[slot];
    }
    HBRUSH slot_brush(int slot) {
        if (!brush[slot]) brush[slot] = CreateSolidBrush(colour(slot));
        return brush[slot];
    }
    // Coordinates are pixels at 96 DPI; the view fonts are already the screen's.
    void box(int left, int top, int right, int bottom, HPEN p, HBRUSH b) {
        SelectObject(dc, p);
        SelectObject(dc, b);
        Rectangle(dc, view_px(left), view_px(top), view_px(right), view_px(bottom));
    }
    void plain_box(int left, int top, int right, int bottom) { box(left, top, right, bottom, plain_pen, plain_brush); }
    void cell(int left, int top, int slot) { box(left, top, left + kCell, top + kCell, slot_pen(slot), slot_brush(slot)); }
    void text(int x, int y, const wchar_t* s, COLORREF c, int back_mode = TRANSPARENT, COLORREF back = 0) {
        SetTextColor(dc, c);
        SetBkMode(dc, back_mode);
        if (back_mode == OPAQUE) SetBkColor(dc, back);
        const int length = static_cast<int>(wcslen(s));
        if (g_view_text_spy)
            g_view_text_spy({dc, view_px(x), view_px(y), s, length, c, back, back_mode,
                             static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT))});
        TextOutW(dc, view_px(x), view_px(y), s, length);
    }
    void number(int x, int y, int value, COLORREF c) {
        wchar_t digits[12];
        swprintf(digits, 12, L"%03d", value);
        text(x, y, digits, c);
    }
};

int main_column_x(int i) { return kMainLeft + kCell * i; }

// Even columns (column 0 included) take the second colour of a pair.
int column_slot(int i, int odd_slot) { return i % 2 ? odd_slot : odd_slot + 1; }

void draw_main_window(PreviewTools& t) {
    t.plain_box(5, 40, 600, 71);
    SelectObject(t.dc, g_metrics.large_font);
    t.text(270, 45, L"Tital Ber", t.ink);
    t.plain_box(5, 70, 600, 371);
    t.text(5, 94, L"READ:", t.ink);
    t.text(5, 144, L"SEND:", t.ink);
    SelectObject(t.dc, t.plain_pen);
    for (int y : {182, 183}) {
        MoveToEx(t.dc, view_px(5), view_px(y), nullptr);
        LineTo(t.dc, view_px(600), view_px(y));
    }
    for (int i = 0; i < kMainColumns; ++i) {
        const int x = main_column_x(i);
        t.cell(x, 90, column_slot(i, kSlotAscBack1));
        t.cell(x, 142, column_slot(i, kSlotAscBack1));
        t.cell(x, 108, column_slot(i, kSlotHexBack1));
        t.cell(x, 160, column_slot(i, kSlotHexBack1));
    }
}

// One received and one sent packet, with their gaps, addresses and the events around them.
void draw_traffic(PreviewTools& t) {
    SelectObject(t.dc, g_metrics.large_font);
    const COLORREF event = t.colour(kSlotEvent), bytes = t.colour(kSlotRsChar), gap = t.colour(kSlotWaitingTime);
    t.text(50, 126, L"< Open >", event);
    // The middle two received bytes stand selected.
    for (int k = 9; k <= 10; ++k) {
        t.cell(main_column_x(k), 90, kSlotSelection);
        t.cell(main_column_x(k), 108, kSlotSelection);
    }
    const wchar_t* received = L"1234";
    for (int k = 0; k < 4; ++k) {
        const wchar_t c[2] = {received[k], 0};
        wchar_t hex[3];
        swprintf(hex, 3, L"%02X", received[k]);
        t.text(main_column_x(8 + k) + 4, 90, c, bytes);
        t.text(main_column_x(8 + k), 108, hex, bytes);
    }
    t.text(266, 126, L"t=0012", gap);
    const wchar_t* sent = L"567";
    for (int k = 0; k < 3; ++k) {
        const wchar_t c[2] = {sent[k], 0};
        wchar_t hex[3];
        swprintf(hex, 3, L"%02X", sent[k]);
        t.text(main_column_x(19 + k) + 4, 142, c, bytes);
        t.text(main_column_x(19 + k), 160, hex, bytes);
    }
    t.text(446, 126, L"t=0014", gap);
    t.text(500, 126, L"< Close>", event);

    SelectObject(t.dc, g_metrics.small_font);
    const int peer[4] = {192, 168, 1, 22}, local[4] = {192, 168, 1, 33};
    const COLORREF address = t.colour(kSlotRsAddress);
    for (int k = 0; k < 4; ++k) {
        t.number(main_column_x(k), 80, peer[k], event);
        t.number(main_column_x(4 + k), 80, local[k], address);
        t.number(main_column_x(8 + k), 80, k + 1, bytes);
        t.number(main_column_x(25 + k), 80, peer[k], event);
        t.number(main_column_x(15 + k), 132, local[k], address);
    }
    for (int k = 0; k < 3; ++k) t.number(main_column_x(19 + k), 132, k + 1, bytes);
    for (int y : {80, 132}) t.text(572, y, L"EOF", t.colour(kSlotEofText), OPAQUE, t.colour(kSlotEofBack));
}

void draw_input_send(PreviewTools& t) {
    t.plain_box(10, 200, 590, 221);
    SelectObject(t.dc, g_metrics.large_font);
    t.text(230, 202, L"Input SEND Dialog", t.ink);
    t.box(10, 220, 590, 281, t.plain_pen, t.slot_brush(kSlotDialogBack));
    SelectObject(t.dc, g_metrics.small_font);
    for (int k = 0; k < kInputColumns; ++k) {
        const int x = kInputLeft + kCell * k;
        t.cell(x, 240, column_slot(k, kSlotAscBack1));
        t.cell(x, 258, column_slot(k, kSlotHexBack1));
        t.number(x, 230, k + 1, t.ink);
    }
    const bool japanese = g_settings.moji_type == 0;
    const COLORREF label = t.colour(kSlotAscHexText);
    t.text(15, 242, japanese ? L"ASC文字" : L"ASCchar", label, OPAQUE, t.colour(kSlotAscHexBack));
    t.text(15, 262, japanese ? L"HEX文字" : L"HEXchar", label);
}

void draw_status_bar(PreviewTools& t) {
    t.plain_box(5, 330, 600, 391);
    const int slots[4] = {kSlotStatusTipClient, kSlotStatusTipServer, kSlotStatusUdpClient, kSlotStatusUdpServer};
    for (int k = 0; k < 4; ++k) t.box(5, 350 + 20 * k, 600, 371 + 20 * k, t.plain_pen, t.slot_brush(slots[k]));
    SelectObject(t.dc, g_metrics.large_font);
    t.text(255, 332, L"CLOSE", t.ink);
    t.text(245, 352, L"TIP Client Open", t.ink);
    t.text(245, 372, L"TIP Server Open", t.ink);
    t.text(245, 392, L"UDP Client Open", t.ink);
    t.text(250, 412, L"UDP Server Open", t.ink);
}

// A colour field's text as a component: its decimal value (at most 31 characters read;
// no digits give 0), of which the low 8 bits count, so 300 gives 44 and -1 gives 255.
uint8_t colour_component_of(const wchar_t* text) {
    return static_cast<uint8_t>(parse_field_number(text, kFieldChars) & 0xFF);
}

// The button face (slot 20) of each set from its dialog background (slot 6), component by
// component: 10 darker in the light set, 10 lighter in the dark set. A component that
// would leave 0..255 takes the set's default face instead (230 light, 42 dark).
void derive_button_faces(ColourSets* sets) {
    sets->light[kSlotButtonFace] =
        derived_face(sets->light[kSlotDialogBack], -kFaceStep, kDefaultColours.light[kSlotButtonFace]);
    sets->dark[kSlotButtonFace] =
        derived_face(sets->dark[kSlotDialogBack], kFaceStep, kDefaultColours.dark[kSlotButtonFace]);
}

// The preview in the colours of `set`, in client pixels; `dark` picks the plain colours
// (frames, fills, plain texts) that stand for text and background. The context is left as
// it was found.
void draw_colour_preview(HDC dc, const Rgb* set, bool dark) {
    const int saved = SaveDC(dc);
    {
        PreviewTools tools(dc, set, dark);
        draw_main_window(tools);
        draw_traffic(tools);
        draw_input_send(tools);
        draw_status_bar(tools);
        // The tools are released below, once the context holds none of them any more.
        RestoreDC(dc, saved);
    }
}

// ---- the dialog ---------------------------------------------------------------------------

int field_id(int row, int component) { return IDC_COL_FIELD0 + 3 * row + component; }

void fill_fields(HWND dialog) {
    const Rgb* set = edited_set();
    for (int row = 0; row < kColourRows; ++row) {
        const Rgb c = set[kRowSlot[row]];
        const uint8_t parts[3] = {c.r, c.g, c.b};
        for (int k = 0; k < 3; ++k) SetDlgItemInt(dialog, field_id(row, k), parts[k], FALSE);
    }
}

void read_fields(HWND dialog) {
    Rgb* set = edited_set();
    for (int row = 0; row < kColourRows; ++row) {
        uint8_t parts[3];
        for (int k = 0; k < 3; ++k) {
            wchar_t text[kFieldChars + 1] = {};
            GetDlgItemTextW(dialog, field_id(row, k), text, kFieldChars + 1);
            parts[k] = colour_component_of(text);
        }
        set[kRowSlot[row]] = {parts[0], parts[1], parts[2]};
    }
}

void repaint(HWND dialog) {
    InvalidateRect(dialog, nullptr, TRUE);
    UpdateWindow(dialog);
}

void set_texts(HWND dialog) {
    const bool japanese = g_settings.moji_type == 0;
    SetWindowTextW(dialog, japanese ? L"色設定" : L"Color setting");
    for (int row = 0; row < kColourRows; ++row)
        SetDlgItemTextW(dialog, IDC_COL_BUTTON0 + row, japanese ? L"色" : L"color");
    SetDlgItemTextW(dialog, IDC_COL_CANCEL, japanese ? L"キャンセルして閉じる" : L"Cancel and close");
    SetDlgItemTextW(dialog, IDC_COL_REWRITE, japanese ? L"書き換えて閉じる" : L"Rewrite and close");
    SetDlgItemTextW(dialog, IDC_COL_SET, japanese ? L"色をセット" : L"Set Color");
}

void init_dialog(HWND dialog) {
    g_edit.editing_dark = g_dark_mode.dark != 0;
    CheckRadioButton(dialog, IDC_COL_LIGHT, IDC_COL_DARK, g_edit.editing_dark ? IDC_COL_DARK : IDC_COL_LIGHT);
    for (int n = 0; n < kColourSlots; ++n) {
        g_edit.light[n] = g_colours.light[n];
        g_edit.dark[n] = g_colours.dark[n];
    }
    fill_fields(dialog);
    set_texts(dialog);
    apply_dialog_theme(dialog);
}

void choose_for_row(HWND dialog, int row) {
    Rgb& slot = edited_set()[kRowSlot[row]];
    COLORREF c = to_colorref(slot);
    if (choose_colour(dialog, &c)) slot = {GetRValue(c), GetGValue(c), GetBValue(c)};
    SetFocus(dialog);
}

// What is typed but not yet set is not read here: "Set Color" is the step that takes the
// fields, and the preview shows what will be written.
void apply_and_save() {
    for (int n = 0; n < kColourSlots; ++n) {
        g_colours.light[n] = g_edit.light[n];
        g_colours.dark[n] = g_edit.dark[n];
    }
    derive_button_faces(&g_colours);
    save_colours();
}

void on_command(HWND dialog, int id, int code) {
    if (id == IDCANCEL) { // Escape leaves as the close box does
        EndDialog(dialog, 1);
        return;
    }
    if (code != BN_CLICKED) return;
    if (id >= IDC_COL_BUTTON0 && id < IDC_COL_BUTTON0 + kColourRows) {
        choose_for_row(dialog, id - IDC_COL_BUTTON0);
        fill_fields(dialog);
        repaint(dialog);
        return;
    }
    switch (id) {
    case IDC_COL_LIGHT:
    case IDC_COL_DARK:
        g_edit.editing_dark = IsDlgButtonChecked(dialog, IDC_COL_DARK) == BST_CHECKED;
        fill_fields(dialog);
        repaint(dialog);
        break;
    case IDC_COL_SET:
        read_fields(dialog);
        repaint(dialog);
        break;
    case IDC_COL_REWRITE:
        apply_and_save();
        EndDialog(dialog, IDC_COL_REWRITE);
        break;
    case IDC_COL_CANCEL:
        EndDialog(dialog, IDC_COL_CANCEL);
        break;
    }
}

INT_PTR CALLBACK colour_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    INT_PTR themed = 0;
    if (dialog_theme_message(dialog, message, wparam, lparam, kStandardTheme, &themed)) return themed;
    switch (message) {
    case WM_INITDIALOG:
        init_dialog(dialog);
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(dialog, &ps);
        draw_colour_preview(dc, edited_set(), g_edit.editing_dark);
        EndPaint(dialog, &ps);
        return TRUE;
    }
    case WM_PRINTCLIENT:
        draw_colour_preview(reinterpret_cast<HDC>(wparam), edited_set(), g_edit.editing_dark);
        return TRUE;
    case WM_COMMAND:
        on_command(dialog, LOWORD(wparam), HIWORD(wparam));
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR run_colour_dialog(HWND owner) {
    return DialogBoxParamW(app_instance(), MAKEINTRESOURCEW(IDD_COLOURS), owner, colour_dialog_proc, 0);
}
