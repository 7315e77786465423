// The game's own Japanese texts (messages, controller input names, the
// keyboard's device name) are kept as code page 932 bytes, because the game
// compares those bytes in its settings files. Handed to an ANSI window function
// they would be read in the system's code page and garbled everywhere but on a
// Japanese system, so they are shown through these helpers instead, converted
// from code page 932 to UTF-16 on the way.
#ifndef VELMORA_CP932_TEXT_H
#define VELMORA_CP932_TEXT_H

#include <windows.h>

// The code page the game's Japanese texts are written in.
constexpr UINT kGameTextCodePage = 932;

// How the helpers reach MultiByteToWideChar; test programs put in one that
// stands for a system without code page 932.
struct Cp932Platform {
  int(WINAPI* multiByteToWideChar)(UINT codePage, DWORD flags, LPCCH text, int length,
                                   LPWSTR out, int capacity);
};
extern Cp932Platform Cp932Calls;

// Converts `text` (code page 932, NUL-terminated) into `out`, which holds
// `capacity` wide characters (at least 1). The result is always terminated; a
// text that does not fit is cut. Returns the number of characters written
// without the terminator (0 for an empty text or a failed conversion).
int WideFromCp932(const char* text, wchar_t* out, int capacity);

// Shows `text` in a message box with caption "Error" and an OK button, owned by
// `owner` (may be null). Returns what MessageBoxW returns.
int ShowErrorMessage(HWND owner, const char* text);

// Adds `text` (code page 932) as the last row of the combo box `list`. Only for
// the game's Japanese texts: where code page 932 is missing the row is empty.
// Returns the new row's index, or CB_ERR / CB_ERRSPACE.
LRESULT AddCp932ListRow(HWND list, const char* text);

#endif
