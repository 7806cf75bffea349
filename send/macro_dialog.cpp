#include "send/macro_dialog.h"

#include "app/app_state.h"
#include "app/file_io.h"
#include "app/scoped_win.h"
#include "app/seams.h"
#include "app/settings.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "comm/traffic_buffer.h"
#include "look/dialog_theme.h"
#include "res/resource.h"
#include "send/macro_host.h"
#include "view/log_files.h"
#include "view/traffic_view.h"

#include <cstring>
#include <cwchar>

MacroState g_macro;

namespace {

constexpr UINT_PTR kStepTimer = 1;

struct MacroDialog {
    bool stepping = false; // a step is in progress (a message box inside it pumps messages)
    bool polling = false;  // the timer runs at the wait's poll period
};

MacroDialog g_dialog;

constexpr struct {
    int control;
    int entry;
} kControlTexts[] = {
    {0, kTextRunMacro},
    {IDC_MACRO_START, kTextRunMacro},
    {IDC_MACRO_LABEL_FILE, kTextMacroFileName},
    {IDC_MACRO_CLOSE, kTextCloseTool},
    {IDC_MACRO_ABORT, kTextStop},
};

HWND dialog_of(void* context) { return static_cast<HWND>(context); }

void host_message(void* context, int entry, const char* caption) {
    wchar_t wide[32];
    swprintf(wide, 32, L"%hs", caption);
    text_info_box(entry, dialog_of(context), wide);
}

// "FAIL": the macro's own text, under the caption of the other ends of a run.
void host_fail(void* context, const char16_t* text, int length) {
    static wchar_t shown[kMacroLineChars + 1];
    if (length > kMacroLineChars) length = kMacroLineChars;
    for (int i = 0; i < length; ++i) shown[i] = static_cast<wchar_t>(text[i]);
    shown[length] = 0;
    show_message_box(dialog_of(context), shown, L"Tarvik", MB_OK | MB_ICONINFORMATION);
}

void host_show_step(void* context, const char16_t* step, const char16_t* line, int line_length) {
    static wchar_t text[kMacroTextUnits + 1]; // "PEND" shows the rest of the text
    int i = 0;
    for (; step[i] && i < 31; ++i) text[i] = static_cast<wchar_t>(step[i]);
    text[i] = 0;
    SetDlgItemTextW(dialog_of(context), IDC_MACRO_STEP, text);
    if (line_length > kMacroTextUnits) line_length = kMacroTextUnits;
    for (i = 0; i < line_length; ++i) text[i] = static_cast<wchar_t>(line[i]);
    text[line_length] = 0;
    SetDlgItemTextW(dialog_of(context), IDC_MACRO_LINE, text);
}

// The running gap of the traffic display keeps going while a macro runs.
void host_refresh(void*) {
    traffic_refresh_gap();
    refresh_running_gap(0);
}

void set_step_timer(HWND dialog, bool polling) {
    g_dialog.polling = polling;
    SetTimer(dialog, kStepTimer, polling ? kMacroWaitPollMs : kMacroTickMs, nullptr);
}

void stop_timer(HWND dialog) {
    KillTimer(dialog, kStepTimer);
    g_dialog.polling = false;
}

void init_dialog(HWND dialog) {
    for (const auto& t : kControlTexts) set_text_from_table(dialog, t.control, t.entry);
    SendDlgItemMessageW(dialog, IDC_MACRO_FILE, EM_LIMITTEXT, kMacroNameChars - 1, 0);
    SetDlgItemTextW(dialog, IDC_MACRO_FILE, g_settings.macro_filename);
    g_app.macro_open = 1;
    g_dialog = {};
    apply_dialog_theme(dialog);
}

// Reads the named file whole (it is created empty when missing) and starts it.
void start_macro(HWND dialog) {
    enter_start_directory();
    wchar_t name[kMacroNameChars] = {};
    GetDlgItemTextW(dialog, IDC_MACRO_FILE, name, kMacroNameChars);
    if (wcslen(name) < 3) {
        text_info_box(kTextMacroNameMissing, dialog, L"MacroFile");
        return;
    }
    ScopedFile file(CreateFileW(name, GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        text_info_box(kTextFileNotOpenedOrCreated, dialog, L"FileError");
        return;
    }
    wcscpy(g_settings.macro_filename, name);
    static uint8_t bytes[kMacroFileBytes];
    const DWORD count = read_up_to(file.get(), bytes, kMacroFileBytes);
    file.close();
    stop_timer(dialog);
    if (macro_start(g_macro, bytes, static_cast<int>(count), macro_host(dialog)) == 0)
        set_step_timer(dialog, false);
}

void pick_file(HWND dialog) {
    enter_start_directory();
    wchar_t name[kMacroNameChars] = {};
    GetDlgItemTextW(dialog, IDC_MACRO_FILE, name, kMacroNameChars);
    if (!name[0]) wcscpy(name, L"Temp1.txt");
    if (!choose_file(name, 2, dialog)) return;
    SetDlgItemTextW(dialog, IDC_MACRO_FILE, name);
    wcsncpy(g_settings.macro_filename, name, kMacroNameChars - 1);
    g_settings.macro_filename[kMacroNameChars - 1] = 0;
}

void step(HWND dialog) {
    // A message box shown inside a step runs its own message loop; the ticks it lets
    // through must not start another step.
    if (g_dialog.stepping) return;
    g_dialog.stepping = true;
    const MacroStatus status = macro_step(g_macro, macro_host(dialog));
    g_dialog.stepping = false;
    switch (status) {
    case kMacroWaiting:
        if (!g_dialog.polling) set_step_timer(dialog, true);
        break;
    case kMacroNext:
        if (g_dialog.polling) set_step_timer(dialog, false);
        break;
    case kMacroIdle:
    case kMacroEnded:
        // Stopped meanwhile (abort inside a box) or ended here.
        if (!g_macro.running) stop_timer(dialog);
        break;
    }
}

void end_dialog(HWND dialog) {
    stop_timer(dialog);
    macro_stop(g_macro);
    g_app.macro_open = 0;
    EndDialog(dialog, IDC_MACRO_CLOSE);
}

void command(HWND dialog, int id) {
    switch (id) {
    case IDC_MACRO_START:
        start_macro(dialog);
        break;
    case IDC_MACRO_BROWSE:
        pick_file(dialog);
        break;
    case IDC_MACRO_ABORT:
        stop_timer(dialog);
        macro_abort(g_macro, macro_host(dialog));
        break;
    case IDC_MACRO_CLOSE:
    case IDCANCEL:
        end_dialog(dialog);
        break;
    }
}

INT_PTR CALLBACK macro_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    INT_PTR themed = 0;
    if (dialog_theme_message(dialog, message, wparam, lparam, kStandardTheme, &themed)) return themed;
    switch (message) {
    case WM_INITDIALOG:
        init_dialog(dialog);
        return TRUE;
    case WM_TIMER:
        if (wparam == kStepTimer) step(dialog);
        return TRUE;
    case WM_COMMAND:
        command(dialog, LOWORD(wparam));
        return TRUE;
    case WM_CLOSE:
        end_dialog(dialog);
        return TRUE;
    }
    return FALSE;
}

} // namespace

MacroHost macro_host(HWND dialog) {
    MacroHost host = connection_macro_host(dialog);
    host.message = host_message;
    host.show_step = host_show_step;
    host.refresh = host_refresh;
    host.fail = host_fail;
    return host;
}

INT_PTR run_macro_dialog(HWND owner) {
    if (g_app.macro_open) return 0;
    INT_PTR result = DialogBoxParamW(app_instance(), MAKEINTRESOURCEW(IDD_MACRO), owner, macro_proc, 0);
    // However the dialog ended, the run ends with it and a later command opens it again.
    macro_stop(g_macro);
    g_app.macro_open = 0;
    return result;
}
