#include <windows.h>

#include "controls/control_settings_dialog.h"
#include "graphics/graphic_settings_dialog.h"
#include "launcher/launcher.h"
#include "launcher/switches.h"
#include "program/dialog_font.h"
#include "program/interface_language.h"
#include "program/program_directory.h"
#include "program/program_instance.h"
#include "report/report.h"
#include "resources/resource_ids.h"

namespace {

// The lists the dialogs fill from the program's own tables, as the chosen
// interface shows them: the face the dialogs draw with must have their glyphs
// too, not only the templates'.
const DialogListTexts kDialogListTexts[] = {
    {1, [](int) { return ChosenText(KeyboardDeviceText); }},
    {kKeyNameRows, [](int row) { return ShownInputName(KeyNameTable, row); }},
    {kJoystickInputRows, [](int row) { return ShownInputName(JoystickInputTable, row); }},
    {kAxisModeCount, [](int row) { return AxisMode[row]; }},
    {kTextureDepthChoiceCount, [](int row) { return TextureDepthChoices[row].text; }},
};

// What a settings run started alone tells a game launcher: 2 when it could
// configure nothing (no 3D device, no input devices, or no dialog at all), 1
// when OK's save failed, 0 when it saved or was cancelled.
int RunExitCode(INT_PTR result, bool saveFailed) {
  return result == -1 ? 2 : saveFailed ? 1 : 0;
}

}  // namespace

void ShareDialogListTexts() {
  SetDialogListTexts(kDialogListTexts, sizeof kDialogListTexts / sizeof kDialogListTexts[0]);
}

void SettleProgramDirectory() {
  // Wide, as every file call of the utility: the folder's name is the
  // player's, and the ANSI calls would turn what the system's code page cannot
  // hold into "?", naming a folder that does not exist.
  wchar_t modulePath[kPathCapacity];
  // A path that does not fit comes back cut, with the buffer's full length.
  DWORD length = GetModuleFileNameW(nullptr, modulePath, kPathCapacity);
  bool truncated = length >= kPathCapacity;
  if (length == 0) modulePath[0] = L'\0';
  modulePath[kPathCapacity - 1] = L'\0';

  wchar_t currentDirectory[kPathCapacity];
  DWORD currentLength = GetCurrentDirectoryW(kPathCapacity, currentDirectory);
  if (currentLength == 0 || currentLength >= kPathCapacity) currentDirectory[0] = L'\0';

  SetProgramDirectory(modulePath, truncated, currentDirectory);
}

bool EnterProgramDirectory() {
  if (ProgramDirectory[0] == L'\0' || !SetCurrentDirectoryW(ProgramPath(L""))) return false;
  // By its full path, so that it can only ever be made beside the exe. An
  // existing folder is what is wanted; any other failure makes the later saves
  // fail, and the runs report that themselves.
  CreateDirectoryW(ProgramPath(L"config"), nullptr);
  return true;
}

int RunStartUp(HINSTANCE instance, int argc, const char* const* argv) {
  ProgramInstance = instance;
  SettleProgramDirectory();
  // A folder that cannot be entered is left to the runs: their opens inside it
  // fail and they say so. Nothing is made in whatever folder is current instead.
  EnterProgramDirectory();
  RegisterDialogControlClasses();
  // Before anything is shown: every window, list and message follows it.
  SettleInterfaceLanguage();
  ShareDialogListTexts();
  switch (ParseStartSwitch(argc, argv)) {
    case StartSwitch::kReport:
      return RunReport();
    case StartSwitch::kGraphics: {
      // The run alone, owned by no window: OK saves as from the launcher.
      bool saveFailed = false;
      INT_PTR result = RunGraphicSettings(nullptr, &saveFailed);
      return RunExitCode(result, saveFailed);
    }
    case StartSwitch::kControls: {
      bool saveFailed = false;
      INT_PTR result = RunControlSettings(nullptr, &saveFailed);
      return RunExitCode(result, saveFailed);
    }
    case StartSwitch::kHelp:
      ShowSwitchHelp();
      return 0;
    case StartSwitch::kNone:
      break;
  }
  ShowLauncher(instance);
  return 0;
}
