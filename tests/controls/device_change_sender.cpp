// Tells the control settings dialog of a running utility that the devices
// changed, as Windows does when a controller is plugged in or pulled out: a
// burst of WM_DEVICECHANGE (DBT_DEVNODES_CHANGED). Then waits past the
// dialog's device-change delay and prints what its device list holds:
// "rows N selected S". Fails when there is no such dialog or it stops answering.
// Usage: device_change_sender [messages]
#include <windows.h>
#include <dbt.h>

#include <cstdio>
#include <cstdlib>

#include "controls/control_settings_dialog.h"
#include "resources/resource_ids.h"

namespace {

bool Send(HWND window, UINT message, WPARAM wParam, DWORD_PTR* result) {
  return SendMessageTimeoutW(window, message, wParam, 0, SMTO_ABORTIFHUNG, 5000, result) != 0;
}

}  // namespace

int main(int argc, char** argv) {
  int messages = argc > 1 ? std::atoi(argv[1]) : 5;
  HWND dialog = FindWindowW(L"#32770", L"Velmora Key Setting");
  if (dialog == nullptr) {
    std::printf("no control settings dialog\n");
    return 1;
  }
  DWORD_PTR result = 0;
  for (int i = 0; i < messages; ++i) {
    if (!Send(dialog, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, &result)) {
      std::printf("the dialog did not answer device change %d\n", i + 1);
      return 1;
    }
    Sleep(50);
  }
  Sleep(kDeviceChangeDelayMilliseconds * 3);
  HWND list = GetDlgItem(dialog, IDC_CONTROL_DEVICE);
  DWORD_PTR rows = 0, selected = 0;
  if (list == nullptr || !Send(list, CB_GETCOUNT, 0, &rows) ||
      !Send(list, CB_GETCURSEL, 0, &selected)) {
    std::printf("the device list did not answer after the change\n");
    return 1;
  }
  std::printf("rows %ld selected %ld\n", static_cast<long>(rows), static_cast<long>(selected));
  return 0;
}
