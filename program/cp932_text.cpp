#include "program/cp932_text.h"
#include "program/dialog_font.h"

#include <cstring>

namespace {

// Longer than any text the utility shows: names are at most 259 bytes, and
// every byte becomes at most one UTF-16 unit.
constexpr int kShownTextCapacity = 512;

}  // namespace

Cp932Platform Cp932Calls = {MultiByteToWideChar};

int WideFromCp932(const char* text, wchar_t* out, int capacity) {
  if (out == nullptr || capacity <= 0) return 0;
  out[0] = L'\0';
  if (text == nullptr || text[0] == '\0') return 0;
  int length = static_cast<int>(std::strlen(text));
  int needed = Cp932Calls.multiByteToWideChar(kGameTextCodePage, 0, text, length, nullptr, 0);
  if (needed <= 0) return 0;
  if (needed < capacity) {
    int written =
        Cp932Calls.multiByteToWideChar(kGameTextCodePage, 0, text, length, out, capacity - 1);
    if (written <= 0) written = 0;
    out[written] = L'\0';
    return written;
  }
  // Too long for the caller's buffer: convert into a scratch buffer when it
  // fits there and keep the head, so the cut never splits a byte pair.
  wchar_t scratch[kShownTextCapacity];
  if (needed >= kShownTextCapacity) return 0;
  int written = Cp932Calls.multiByteToWideChar(kGameTextCodePage, 0, text, length, scratch, needed);
  if (written <= 0) return 0;
  int kept = capacity - 1;
  std::memcpy(out, scratch, sizeof(wchar_t) * static_cast<size_t>(kept));
  out[kept] = L'\0';
  return kept;
}

int ShowErrorMessage(HWND owner, const char* text) {
  wchar_t shown[kShownTextCapacity];
  if (WideFromCp932(text, shown, kShownTextCapacity) == 0 && text != nullptr &&
      text[0] != '\0') {
    // Code page 932 is missing from this system: the bytes as they are are
    // still better than an empty box.
    return MessageBoxA(owner, text, "Error", MB_OK);
  }
  return ShowMessageBox(owner, shown, L"Error", MB_OK);
}

LRESULT AddCp932ListRow(HWND list, const char* text) {
  wchar_t shown[kShownTextCapacity];
  WideFromCp932(text, shown, kShownTextCapacity);
  return SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown));
}
