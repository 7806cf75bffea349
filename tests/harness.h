// What the tests share: answers for the program's seams (message boxes, file dialogs,
// shell starts, tick count), a temporary start directory, the real main window, and a
// driver for modal dialogs.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace harness {

struct ShownBox {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

struct ShellCall {
    std::wstring verb, file, params;
};

// Installs recording seams; the host calls itself "localhost". Every message box is recorded and answered from the answer
// queue (IDOK, or IDYES for a Yes/No box, when the queue is empty).
void install_seams();
void restore_seams();
// Only the host name: the real boxes and dialogs stay (screenshots).
void use_local_host_name();
std::vector<ShownBox> shown_boxes();
void clear_shown_boxes();
void queue_box_answer(int answer);
// The next file dialog returns this path (empty: the user cancels). Returns the dialog's
// initial file name and title through last_file_dialog().
void queue_file_answer(const std::wstring& path);
struct FileDialogCall {
    std::wstring initial_file, title;
    bool save;
    DWORD flags;
};
std::vector<FileDialogCall> file_dialog_calls();
std::vector<ShellCall> shell_calls();
void queue_shell_result(INT_PTR result);
// The colour chooser: each call is recorded; the next one confirms this colour, or cancels
// when nothing is queued (or queue_colour_cancel was called).
struct ColourChooserCall {
    HWND owner;
    COLORREF initial;
    DWORD flags;
};
void queue_colour_answer(COLORREF colour);
void queue_colour_cancel();
std::vector<ColourChooserCall> colour_chooser_calls();
// The tick count the program sees; moves only when the test says so.
void set_tick(uint32_t tick);
void advance_tick(uint32_t ms);

// A fresh empty directory under the temporary folder, made current; removed by the destructor.
class TempStartDir {
public:
    TempStartDir();
    ~TempStartDir();
    const std::wstring& path() const { return path_; }
    std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }
private:
    std::wstring path_;
};

std::vector<uint8_t> read_file(const std::wstring& path);
void write_file(const std::wstring& path, const std::vector<uint8_t>& bytes);
void write_utf16_file(const std::wstring& path, const std::wstring& text); // with a byte-order mark
bool file_exists(const std::wstring& path);
// A file of the source tree (given as a relative path with forward slashes).
std::wstring source_file(const std::string& relative);

// The real main window, created in the current directory and destroyed again.
HWND create_main_window();
// The usual start of a dialog test: recording seams, the shipped text table in `dir`, the
// English texts, and the real main window (nullptr if it could not be made).
HWND start_with_main_window(const TempStartDir& dir);
void destroy_main_window(HWND window);
// Dispatches pending messages of this thread (timers that are due included).
void pump_messages(int rounds = 4);

// Runs `open` (which shows a modal dialog or message box and returns when it closes)
// while `drive` is called from inside its modal loop with the dialog's window, once it
// exists. `drive` must end the dialog. Returns false if no dialog appeared in time.
bool drive_modal(const std::function<void()>& open, const std::function<void(HWND dialog)>& drive,
                 int timeout_ms = 5000);

// Sets the text of an edit or combo control as typing would, with the change notification.
void type_text(HWND dialog, int control_id, const std::wstring& text);
void click(HWND dialog, int control_id);
// The mouse messages of a quick double click on a button, at its centre.
void double_click(HWND dialog, int control_id);
std::wstring window_text(HWND window);

} // namespace harness
