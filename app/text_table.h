// The numbered user interface texts in four languages, read from "Tarvik_char2.ini" in the
// start directory (section "Tarvik", keys "No.<n>:comt-j/e/k/c"). The language is the
// setting moji_type: 0 Japanese, 1 English, 2 Korean, 3 Chinese.
#pragma once
#include <windows.h>

constexpr int kTextEntries = 300;
constexpr int kTextChars = 64; // 63 characters and the terminator
constexpr int kLanguages = 4;

void load_text_table();
// The same from the file at `path` (an empty path leaves every entry empty).
void load_text_table_from(const wchar_t* path);
// Copies entry n in the current language into dest (at least kTextChars). An entry number
// outside the table or a language code outside 0-3 gives an empty text.
void text_table_lookup(int n, wchar_t* dest);
// The text of entry n in the current language (an empty text as above); valid for the run.
const wchar_t* text_entry(int n);
// Shows entry n: mode 0 an information box (returns 0), mode 1 a Yes/No question (returns
// IDYES or IDNO), any other mode shows nothing and returns 0.
int text_message_box(int n, HWND owner, int mode, const wchar_t* caption);
// Entry n in an information box with an OK button.
inline void text_info_box(int n, HWND owner, const wchar_t* caption) { text_message_box(n, owner, 0, caption); }
// Entry n as a Yes/No question: true for Yes.
inline bool text_question_box(int n, HWND owner, const wchar_t* caption) {
    return text_message_box(n, owner, 1, caption) == IDYES;
}
// Sets the window text of a dialog control (or of the dialog itself, id 0) to entry n.
void set_text_from_table(HWND dialog, int control_id, int n);
