// The calibration dialog (template 103) and the three calibrate buttons of the
// control dialog: the raw readings of the steering, accelerator or brake input
// at the two ends of its travel, with the live position on a 0..1000 trackbar.
#ifndef VELMORA_CALIBRATION_DIALOG_H
#define VELMORA_CALIBRATION_DIALOG_H

#include <windows.h>

#include <cstdint>

class InputManager;

// What a failed controller read gives as a raw reading.
constexpr int32_t kFailedReading = -10000;
// The trackbar's range.
constexpr int32_t kTrackbarMaximum = 1000;

// The values shared by the calibrate buttons and the calibration dialog.
struct CalibrationValues {
  int32_t calibrationInput;  // input row being calibrated (a list without a selection: 0)
  int32_t rawMinimum;        // the pair being edited
  int32_t rawMaximum;
  int32_t selectionStart;    // trackbar positions of the two ends
  int32_t selectionEnd;
  int32_t restValue;         // raw reading at rest; -10000 while not captured
  int32_t liveValue;         // position last shown by the thumb
  InputManager* calibrationManager;  // the control dialog's manager while open
  UINT_PTR calibrationTimer;         // id of the dialog's timer, or 0
};
extern CalibrationValues CalibrationState;

// A raw reading of the input, polling first: the axis value, 1000/0 for a
// button, 0 for row 0 and for the keyboard, -10000 when the read failed.
int32_t ReadRawValue();
// The trackbar position (0..1000) of the input's current state, polling first;
// a failed read shows the last good state.
int32_t ReadLiveValue();
// The trackbar position (0..1000) of a stored raw reading, without polling.
int32_t MapStoredValue(int32_t raw);

// Procedure of template 103.
INT_PTR CALLBACK CalibrationDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                       LPARAM lParam);

// The work of calibrate button `buttonId` (1021 steering, 1023 accelerator,
// 1022 brake) of `controlDialog`: hands the function's input and pair to the
// calibration dialog, runs it, and on OK stores the pair (the steering's negated
// into RIGHT as well). The caller stops and restarts its own timer around it.
// Returns the calibration dialog's result (1 OK, 0 Cancel, -1 not shown), or
// 0 for an id that is no calibrate button.
INT_PTR CalibrateFunction(HWND controlDialog, int buttonId);

#endif
