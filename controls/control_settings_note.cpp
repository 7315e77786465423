#include "controls/control_settings_note.h"

#include <cstring>

#include "controls/control_settings_dialog.h"
#include "controls/control_settings_file.h"
#include "controls/controller_notes.h"
#include "controls/input_rules.h"
#include "controls/input_tables.h"
#include "program/interface_language.h"
#include "program/program_instance.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kNoteCapacity = 256;
constexpr int32_t kAnalogMode = 1;

// The steering preset waits for its first successful read of controller row
// lookRow; readsLeft counts the all-zero reads it may still wait through.
bool lookPending;
int32_t lookRow;
int lookReadsLeft;
// The preset set the pedals of row pedalsRow from where they rest, to these rows.
bool pedalsSet;
int32_t pedalsRow;
int32_t pedalsAcceleRow;
int32_t pedalsBrakeRow;
// The string the note shows (0: empty), or kNoteUnknown before the first.
constexpr UINT kNoteUnknown = ~0u;
UINT shownNote = kNoteUnknown;

int32_t Selection(HWND dialog, int id) {
  return static_cast<int32_t>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

const JoystickRecord* SelectedController() {
  if (ControlManager == nullptr || SelectedDeviceRow < 1 ||
      SelectedDeviceRow > ControlManager->joystickCount) {
    return nullptr;
  }
  return &ControlManager->joystickRecords[SelectedDeviceRow - 1];
}

bool SamePair(const AnalogFunctionSetting& shown, const AnalogFunctionSetting& preset) {
  return shown.calibMin == preset.calibMin && shown.calibMax == preset.calibMax;
}

// Whether the dialog still shows the steering preset as it was applied: every
// row, every mode and every calibration pair. Anything else is the player's.
bool StillThePreset(HWND dialog) {
  const InputPreset& preset = PresetTable[kSteeringPreset];
  for (int p = 0; p < kFunctionCount; ++p) {
    if (Selection(dialog, FunctionComboIds[p]) != preset.rows[p]) return false;
  }
  for (int i = 0; i < kModeListCount; ++i) {
    if (Selection(dialog, AxisModeComboIds[i].modeListId) != preset.axisMode) return false;
  }
  ControlSettingsRecord defaults;
  std::memset(&defaults, 0, sizeof defaults);
  SetDefaultCalibrationPairs(defaults);
  const ControlSettingsRecord& s = ControlSettings;
  return SamePair(s.left, defaults.left) && SamePair(s.right, defaults.right) &&
         SamePair(s.accele, defaults.accele) && SamePair(s.brake, defaults.brake);
}

// The pedals go into the lists as rows the player could have chosen, in
// Analog, calibrated from their rest.
void ShowPedals(HWND dialog, const RestingPedals& pedals) {
  SendDlgItemMessageA(dialog, IDC_CONTROL_ACCELE, CB_SETCURSEL,
                      static_cast<WPARAM>(pedals.acceleRow), 0);
  SendDlgItemMessageA(dialog, IDC_CONTROL_BRAKE, CB_SETCURSEL,
                      static_cast<WPARAM>(pedals.brakeRow), 0);
  const int modeLists[] = {IDC_CONTROL_ACCELE_MODE, IDC_CONTROL_BRAKE_MODE};
  const int calibrateButtons[] = {IDC_CONTROL_CALIBRATE_ACCELE, IDC_CONTROL_CALIBRATE_BRAKE};
  for (int i = 0; i < 2; ++i) {
    SendDlgItemMessageA(dialog, modeLists[i], CB_SETCURSEL, kAnalogMode, 0);
    EnableWindow(GetDlgItem(dialog, calibrateButtons[i]), TRUE);
  }
  ControlSettings.accele.calibMin = pedals.accele.calibMin;
  ControlSettings.accele.calibMax = pedals.accele.calibMax;
  ControlSettings.brake.calibMin = pedals.brake.calibMin;
  ControlSettings.brake.calibMax = pedals.brake.calibMax;
}

UINT NoteString(ControlNote note) {
  switch (note) {
    case ControlNote::kSteamPad: return IDS_CONTROL_NOTE_STEAM_PAD;
    case ControlNote::kPedalsFromRest: return IDS_CONTROL_NOTE_PEDALS_FROM_REST;
    case ControlNote::kTriggersShare: return IDS_INPUT_TEST_TRIGGERS_NOTE;
    case ControlNote::kNone: break;
  }
  return 0;
}

}  // namespace

void ResetControlNote() {
  lookPending = false;
  pedalsSet = false;
  shownNote = kNoteUnknown;
}

void NotePresetApplied(int32_t row, int preset) {
  pedalsSet = false;
  lookRow = row;
  lookReadsLeft = kPedalLookReads;
  lookPending = preset == kSteeringPreset && SelectedController() != nullptr &&
                row == SelectedDeviceRow;
}

bool NoteControllerRead(HWND dialog) {
  if (!lookPending) return false;
  const JoystickRecord* controller = SelectedController();
  if (controller == nullptr || SelectedDeviceRow != lookRow || !StillThePreset(dialog)) {
    lookPending = false;
    return false;
  }
  const DIJOYSTATE& state = ControlManager->joystickStates[SelectedDeviceRow - 1];
  ControllerReading reading;
  std::memset(&reading, 0, sizeof reading);
  for (int k = 0; k < kJoystickAxisCount; ++k) reading.axes[k] = JoystickAxisValue(state, k);
  // Nothing reported yet: a later read tells where the pedals rest.
  if (ReadingAllZero(reading, controller->axisMask) && --lookReadsLeft > 0) return false;
  lookPending = false;
  const CalibrationPair brake = {ControlSettings.brake.calibMin, ControlSettings.brake.calibMax};
  RestingPedals pedals = PedalsFromRest(reading, controller->axisMask, brake);
  if (!pedals.found) return false;
  ShowPedals(dialog, pedals);
  pedalsSet = true;
  pedalsRow = SelectedDeviceRow;
  pedalsAcceleRow = pedals.acceleRow;
  pedalsBrakeRow = pedals.brakeRow;
  return true;
}

void ShowControlNote(HWND dialog, const int32_t* rows) {
  const JoystickRecord* controller = SelectedController();
  int32_t accele = rows[kAcceleFunction];
  int32_t brake = rows[kBrakeFunction];
  // Under Wine each look-up of a control asks the Wine server: the modes are
  // read only when they decide.
  bool pedalsAsSet = pedalsSet && pedalsRow == SelectedDeviceRow && accele == pedalsAcceleRow &&
                     brake == pedalsBrakeRow &&
                     Selection(dialog, IDC_CONTROL_ACCELE_MODE) == kAnalogMode &&
                     Selection(dialog, IDC_CONTROL_BRAKE_MODE) == kAnalogMode;
  ControlNote chosen =
      controller == nullptr
          ? ControlNote::kNone
          : ChooseControlNote(controller->guidProduct, controller->axisMask, pedalsAsSet,
                              accele, brake);
  // Setting the same text again would only repaint the note, on every
  // selection the player or the detection makes.
  UINT id = NoteString(chosen);
  if (id == shownNote) return;
  HWND note = GetDlgItem(dialog, IDC_CONTROL_NOTE);
  if (note == nullptr) return;
  shownNote = id;
  wchar_t text[kNoteCapacity] = L"";
  if (id != 0) LoadInterfaceString(ProgramInstance, id, text, kNoteCapacity);
  SetWindowTextW(note, text);
}
