// The yardstick of the start-up benchmark (startup_benchmark.sh): the launcher's
// template 106 with the utility's own resources and manifest, shown by a program
// that does nothing else. Escape, the close box or "종료" ends it.
#include <windows.h>

#include "resources/resource_ids.h"

namespace {

INT_PTR CALLBACK BareProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 0);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_LAUNCHER), nullptr, BareProc, 0);
  return 0;
}
