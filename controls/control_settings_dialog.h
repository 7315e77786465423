// The control settings dialog (template 101) and the controls run that the
// launcher's control button starts: device choice, the ten function lists, the
// axis modes, force feedback, and input detection by polling the selected
// controller every 16 ms, or, with the keyboard selected, the keyboard: the key
// pressed into a function list binds. Labels of functions that share an input
// are drawn in red.
#ifndef VELMORA_CONTROL_SETTINGS_DIALOG_H
#define VELMORA_CONTROL_SETTINGS_DIALOG_H

#include <windows.h>

#include <cstdint>

#include "controls/control_settings_file.h"
#include "controls/input_manager.h"
#include "controls/input_tables.h"

// The control dialog's polling timer: identifier and period.
constexpr UINT_PTR kControlTimerId = 4;
constexpr UINT kControlTimerMilliseconds = 16;
// The one-shot timer a device change (WM_DEVICECHANGE) starts. Each message
// starts it again, so the burst of messages that one controller plugged in or
// pulled out raises re-enumerates the controllers once, this long after the
// last of them.
constexpr UINT_PTR kDeviceChangeTimerId = 5;
constexpr UINT kDeviceChangeDelayMilliseconds = 500;

// How far (axis units on -1000..1000) an axis must travel from where it rested
// when a list got the focus before it counts as moved. Strictly greater.
constexpr int32_t DetectionThreshold = 500;

// One axis of the selected controller as watched since a list got the focus.
struct AxisWatch {
  int32_t baseline;      // the axis value when the watch was last reset
  int32_t seenNegative;  // 1 once seen beyond the threshold below 0
  int32_t seenPositive;  // 2 once seen beyond the threshold at 0 or above
};

// Axes in watch order: lX, lY, lZ, lRx, lRy, lRz, slider 0, slider 1.
extern AxisWatch AxisWatches[kJoystickAxisCount];

// The state of the one control dialog, from WM_INITDIALOG to WM_DESTROY. The
// calibration dialog reads the manager and the device row while it is open.
extern InputManager* ControlManager;  // null while no control dialog is open
extern int32_t SelectedDeviceRow;     // 0 keyboard, r >= 1 controller r - 1
extern int32_t DetectionTarget;       // id of the focused function list, or 0
extern UINT_PTR ControlTimer;         // id of the running poll timer, or 0

// Why the dialog opens on the device row it does.
enum RestoreReason {
  kRestoreFoundByName,   // a controller of the stored DEVICE name: its stored assignments
  kRestoreKeyboard,      // DEVICE names the keyboard: its stored assignments
  kRestoreNotAttached,   // DEVICE names no attached controller: the keyboard preset
  kRestoreNoDeviceName,  // DEVICE empty or missing: the keyboard preset
  kRestoreNoFile,        // no file was read: the keyboard preset
};
struct RestoredDevice {
  int32_t row;  // 0 keyboard, r >= 1 controller r - 1
  RestoreReason reason;
};
// The device row the dialog opens on for `settings` (read from the file when
// `loaded`) with `count` controllers described by `joysticks` attached, and
// why. Of several controllers of the stored name the last is chosen. Only for
// kRestoreFoundByName and kRestoreKeyboard are the stored assignments shown.
// The dialog and the report both decide through this one function.
RestoredDevice ChooseRestoredDevice(const ControlSettingsRecord& settings, bool loaded,
                                    const JoystickRecord* joysticks, int32_t count);

// The whole controls run: prepare config\input.cfg, show the dialog owned by
// `owner`, save on OK (a failed save is reported). Returns the dialog's result:
// 1 OK, 0 Cancel, -1 when the input devices could not be set up. saveFailed,
// when given, is set to whether OK's save failed: the result is 1 either way.
INT_PTR RunControlSettings(HWND owner, bool* saveFailed = nullptr);

// Procedure of template 101.
INT_PTR CALLBACK ControlSettingsDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                           LPARAM lParam);

// Refills the ten function lists with the names of `table` (KeyNameTable or
// JoystickInputTable), item i being row i, with no selection.
void FillFunctionCombos(HWND dialog, const InputTableRow* table);
// Shows the preset of device row `row` and resets the four calibration pairs.
void ApplyPreset(HWND dialog, int32_t row);
// Shows the loaded ControlSettings for SelectedDeviceRow.
void ApplyLoadedSettings(HWND dialog);
// Row of JoystickInputTable (1..24) of the first watched axis beyond the
// threshold in the latest polled state, or 0.
int32_t DetectMovedAxis();
// Takes the latest polled axis values as the new baselines and clears the flags.
// Values the latest poll could not read (a controller pulled out) are taken
// again by the next poll that reads it, before anything is detected.
void CaptureBaselines();

// The selected controller's latest state, or null when the keyboard (or a row
// with no controller behind it) is selected: nothing reads a state that does
// not exist.
const DIJOYSTATE* SelectedJoystickState();

#endif
