#include <windows.h>

#include "controls/control_settings_dialog.h"
#include "graphics/graphic_settings_dialog.h"
#include "launcher/launcher.h"
#include "program/dialog_font.h"
#include "program/program_instance.h"
#include "resources/resource_ids.h"

namespace {

void ShowProgramIcon(HWND dialog) {
  HICON large = static_cast<HICON>(LoadImageA(
      ProgramInstance, MAKEINTRESOURCEA(IDI_VELMORA), IMAGE_ICON,
      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
  HICON small = static_cast<HICON>(LoadImageA(
      ProgramInstance, MAKEINTRESOURCEA(IDI_VELMORA), IMAGE_ICON,
      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  if (large != nullptr) SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
  if (small != nullptr) SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void OnLauncherCommand(HWND dialog, WORD id) {
  switch (id) {
    case IDCANCEL:  // "종료", the close box and Escape all arrive here
      EndDialog(dialog, 0);
      return;
    case IDC_LAUNCHER_GRAPHICS:
      RunGraphicSettings(dialog);
      return;
    case IDC_LAUNCHER_CONTROLS:
      RunControlSettings(dialog);
      return;
    default:
      return;
  }
}

}  // namespace

// The launcher exchanges no text with its controls, so it is created as a
// Unicode dialog: its Hangul then shows on every system locale, where an ANSI
// dialog would pass the template's texts through the system code page and show
// question marks on a Japanese or Western system. Its font is the first the
// process needs, so this is where the check for a face with Hangul runs.
INT_PTR ShowLauncher(HINSTANCE instance) {
  return ShowProgramDialog(instance, IDD_LAUNCHER, nullptr, LauncherDialogProc, 0);
}

// Answers FALSE to everything, WM_INITDIALOG included, so the dialog manager keeps
// its default handling and gives the focus to the first tab stop itself.
INT_PTR CALLBACK LauncherDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                    LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      ShowProgramIcon(dialog);
      return FALSE;
    case WM_COMMAND:
      OnLauncherCommand(dialog, LOWORD(wParam));
      return FALSE;
    default:
      return FALSE;
  }
}
