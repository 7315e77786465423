// Tells whether a control of a running utility's window is enabled, as a
// player sees it greyed out or not: "enabled" or "disabled". Fails when there
// is no such window or control.
// Usage: dialog_item_state <window caption> <control id>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  HWND window = FindWindowA("#32770", argv[1]);
  HWND item = window != nullptr ? GetDlgItem(window, std::atoi(argv[2])) : nullptr;
  if (item == nullptr) {
    std::printf("no control %s in a window \"%s\"\n", argv[2], argv[1]);
    return 1;
  }
  std::printf("%s\n", IsWindowEnabled(item) ? "enabled" : "disabled");
  return 0;
}
