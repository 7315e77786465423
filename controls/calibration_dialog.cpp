#include "controls/calibration_dialog.h"

#include <commctrl.h>

#include "controls/control_settings_dialog.h"
#include "controls/control_settings_file.h"
#include "controls/input_manager.h"
#include "controls/input_tables.h"
#include "program/dialog_font.h"
#include "program/program_instance.h"
#include "resources/resource_ids.h"

CalibrationValues CalibrationState;

namespace {

constexpr UINT_PTR kCalibrationTimerId = 4;
constexpr UINT kCalibrationTimerMilliseconds = 16;
constexpr int32_t kTrackbarCentre = 500;

// The row whose readings the dialog shows. Row 0 reads nothing: so do a list
// that had no selection, a row beyond the controller table (a keyboard list's
// row), and every row while the keyboard is the selected device, which has no
// controller state to read.
int32_t EffectiveInputRow() {
  int32_t row = CalibrationState.calibrationInput;
  if (row < 1 || row >= kJoystickInputRows) return 0;
  if (SelectedJoystickState() == nullptr) return 0;
  return row;
}

// Value of axis row `row` (1..24) in `state`.
int32_t AxisOfRow(const DIJOYSTATE& state, int32_t row) {
  return JoystickAxisValue(state, AxisOfInputRow(row));
}

bool ButtonDown(const DIJOYSTATE& state, int32_t row) {
  return state.rgbButtons[row - kFirstButtonRow] != 0;
}

int32_t ClampToTrackbar(int64_t position) {
  if (position < 0) return 0;
  if (position > kTrackbarMaximum) return kTrackbarMaximum;
  return static_cast<int32_t>(position);
}

// Trackbar position of axis value `value` for axis row `row`: a half shows its
// distance from the centre toward its own side, a whole axis its full travel,
// turned by the rest reading's sign so that the rest end shows 0.
int32_t AxisPosition(int32_t row, int64_t value) {
  switch (PartOfInputRow(row)) {
    case kNegativeHalf:
      return ClampToTrackbar(value > 0 ? 0 : -value);
    case kPositiveHalf:
      return ClampToTrackbar(value < 0 ? 0 : value);
    default:  // whole axis; division truncates toward zero
      if (CalibrationState.restValue < 0) return ClampToTrackbar((value + 1000) / 2);
      return ClampToTrackbar((1000 - value) / 2);
  }
}

// Polls and takes the raw reading; false when the controller could not be read.
bool ReadRawChecked(int32_t& raw) {
  InputManager* manager = CalibrationState.calibrationManager;
  if (manager == nullptr || !manager->PollJoystick()) return false;
  int32_t row = EffectiveInputRow();
  if (row == 0) {
    raw = 0;
  } else if (IsAxisInputRow(row)) {
    raw = AxisOfRow(*SelectedJoystickState(), row);
  } else {
    raw = ButtonDown(*SelectedJoystickState(), row) ? 1000 : 0;
  }
  return true;
}

LRESULT Trackbar(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendDlgItemMessageW(dialog, IDC_CALIBRATION_SLIDER, message, wParam, lParam);
}

void ShowSelection(HWND dialog) {
  Trackbar(dialog, TBM_SETSEL, TRUE,
           MAKELPARAM(CalibrationState.selectionStart, CalibrationState.selectionEnd));
}

void StopCalibrationTimer(HWND dialog) {
  if (CalibrationState.calibrationTimer != 0) {
    KillTimer(dialog, CalibrationState.calibrationTimer);
    CalibrationState.calibrationTimer = 0;
  }
}

BOOL OnInitDialog(HWND dialog) {
  CalibrationState.calibrationManager = ControlManager;
  // Both ends use the rest reading the previous opening left.
  CalibrationState.selectionStart = MapStoredValue(CalibrationState.rawMinimum);
  CalibrationState.selectionEnd = MapStoredValue(CalibrationState.rawMaximum);
  CalibrationState.restValue = kFailedReading;
  Trackbar(dialog, TBM_SETRANGE, TRUE, MAKELPARAM(0, kTrackbarMaximum));
  Trackbar(dialog, TBM_SETPOS, TRUE, ClampToTrackbar(CalibrationState.liveValue));
  Trackbar(dialog, TBM_SETTIC, 0, kTrackbarCentre);
  ShowSelection(dialog);
  CalibrationState.calibrationTimer =
      SetTimer(dialog, kCalibrationTimerId, kCalibrationTimerMilliseconds, nullptr);
  return TRUE;
}

void OnTick(HWND dialog) {
  if (CalibrationState.calibrationManager == nullptr) return;
  // The first tick whose read succeeds captures the rest reading.
  if (CalibrationState.restValue < -1000) CalibrationState.restValue = ReadRawValue();
  CalibrationState.liveValue = ReadLiveValue();
  Trackbar(dialog, TBM_SETPOS, TRUE, CalibrationState.liveValue);
}

// Minimum or maximum: the end takes the thumb's position and the pair the raw
// reading of the same moment. A reading that failed is no end of the travel:
// nothing changes and the player hears it.
void RecordEnd(HWND dialog, bool minimum) {
  int32_t raw = 0;
  if (!ReadRawChecked(raw)) {
    MessageBeep(MB_ICONWARNING);
    return;
  }
  int32_t position = ClampToTrackbar(Trackbar(dialog, TBM_GETPOS, 0, 0));
  if (minimum) {
    CalibrationState.selectionStart = position;
    CalibrationState.rawMinimum = raw;
  } else {
    CalibrationState.selectionEnd = position;
    CalibrationState.rawMaximum = raw;
  }
  ShowSelection(dialog);
}

void OnReset(HWND dialog) {
  CalibrationState.selectionStart = 0;
  CalibrationState.selectionEnd = kTrackbarMaximum;
  ShowSelection(dialog);
  // A failed read leaves the rest reading uncaptured; the next tick tries again.
  CalibrationState.restValue = ReadRawValue();
}

void CloseCalibration(HWND dialog, INT_PTR result) {
  StopCalibrationTimer(dialog);
  CalibrationState.calibrationManager = nullptr;
  EndDialog(dialog, result);
}

BOOL OnCommand(HWND dialog, int id) {
  switch (id) {
    case IDC_CALIBRATION_RESET:
      OnReset(dialog);
      return TRUE;
    case IDC_CALIBRATION_MINIMUM:
      RecordEnd(dialog, true);
      return TRUE;
    case IDC_CALIBRATION_MAXIMUM:
      RecordEnd(dialog, false);
      return TRUE;
    case IDOK:
      CloseCalibration(dialog, 1);
      return TRUE;
    case IDCANCEL:
      CloseCalibration(dialog, 0);
      return TRUE;
    case IDC_CALIBRATION_SLIDER:
      return TRUE;
    default:
      return FALSE;
  }
}

// What each calibrate button edits.
struct CalibratedFunction {
  int buttonId;
  int inputListId;
  AnalogFunctionSetting* group;
  bool mirrorIntoRight;  // the steering: RIGHT gets the negated pair
};

const CalibratedFunction kCalibratedFunctions[] = {
    {IDC_CONTROL_CALIBRATE_LEFT, IDC_CONTROL_LEFT, &ControlSettings.left, true},
    {IDC_CONTROL_CALIBRATE_ACCELE, IDC_CONTROL_ACCELE, &ControlSettings.accele, false},
    {IDC_CONTROL_CALIBRATE_BRAKE, IDC_CONTROL_BRAKE, &ControlSettings.brake, false},
};

int32_t Negated(int32_t value) {
  // The one value whose negation does not fit stays at the far end.
  return value == INT32_MIN ? INT32_MAX : -value;
}

}  // namespace

int32_t ReadRawValue() {
  int32_t raw = 0;
  return ReadRawChecked(raw) ? raw : kFailedReading;
}

int32_t ReadLiveValue() {
  // A failed read is not examined: the last good state is shown.
  if (CalibrationState.calibrationManager != nullptr) {
    CalibrationState.calibrationManager->PollJoystick();
  }
  int32_t row = EffectiveInputRow();
  if (row == 0) return 0;
  const DIJOYSTATE& state = *SelectedJoystickState();
  if (IsAxisInputRow(row)) return AxisPosition(row, AxisOfRow(state, row));
  return ButtonDown(state, row) ? kTrackbarMaximum : 0;
}

int32_t MapStoredValue(int32_t raw) {
  int32_t row = EffectiveInputRow();
  if (row == 0) return 0;
  if (IsAxisInputRow(row)) return AxisPosition(row, raw);
  // A button was stored as 1000 (down) or 0 (up); anything else, the failure
  // sentinel included, shows as up.
  return raw == 1000 ? kTrackbarMaximum : 0;
}

INT_PTR CALLBACK CalibrationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog);
    case WM_TIMER:
      OnTick(dialog);
      return TRUE;
    case WM_COMMAND:
      return OnCommand(dialog, LOWORD(wParam));
    case WM_DESTROY:
      StopCalibrationTimer(dialog);
      CalibrationState.calibrationManager = nullptr;
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CalibrateFunction(HWND controlDialog, int buttonId) {
  const CalibratedFunction* function = nullptr;
  for (const CalibratedFunction& candidate : kCalibratedFunctions) {
    if (candidate.buttonId == buttonId) function = &candidate;
  }
  if (function == nullptr) return 0;

  int32_t input = static_cast<int32_t>(
      SendDlgItemMessageA(controlDialog, function->inputListId, CB_GETCURSEL, 0, 0));
  CalibrationState.calibrationInput = input < 0 ? 0 : input;  // no selection: row 0
  CalibrationState.rawMinimum = function->group->calibMin;
  CalibrationState.rawMaximum = function->group->calibMax;

  INT_PTR result = ShowProgramDialog(ProgramInstance, IDD_CALIBRATION, controlDialog,
                                     CalibrationDialogProc, 0);
  if (result != 1) return result;
  function->group->calibMin = CalibrationState.rawMinimum;
  function->group->calibMax = CalibrationState.rawMaximum;
  if (function->mirrorIntoRight) {
    ControlSettings.right.calibMin = Negated(CalibrationState.rawMinimum);
    ControlSettings.right.calibMax = Negated(CalibrationState.rawMaximum);
  }
  return result;
}
