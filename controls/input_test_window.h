// The input test window (template 107): every function of the chosen device
// live, as the game will read it with the assignments, modes and pairs handed
// to it, and with a controller its raw axes, hats and buttons. It changes
// nothing; it is handed all it shows and hands nothing back.
#ifndef VELMORA_INPUT_TEST_WINDOW_H
#define VELMORA_INPUT_TEST_WINDOW_H

#include <windows.h>

#include <cstdint>

#include "controls/input_rules.h"
#include "controls/input_tables.h"

class InputManager;

// The window's polling timer, and the one-shot timer a device change starts.
constexpr UINT_PTR kInputTestTimerId = 4;
constexpr UINT kInputTestTimerMilliseconds = 16;
constexpr UINT_PTR kInputTestDeviceChangeTimerId = 5;

// What the window shows: the manager to read, the device row (0 keyboard,
// r >= 1 controller r - 1), the ten functions' rows as the lists show them
// (-1: no selection) in FunctionComboIds order, the three mode lists' rows
// (steering, accelerator, brake) and the pairs of LEFT, RIGHT, ACCELE, BRAKE.
struct InputTestSetup {
  InputManager* manager;
  int32_t deviceRow;
  int32_t rows[kFunctionCount];
  int32_t modes[kModeListCount];
  CalibrationPair pairs[kAnalogFunctionCount];
};

// Shows the window modally over `owner` until it is closed. Returns the
// dialog's result (0 closed, -1 not shown).
INT_PTR RunInputTest(HWND owner, const InputTestSetup& setup);

// Procedure of template 107; lParam of WM_INITDIALOG is the InputTestSetup,
// copied as the window opens.
INT_PTR CALLBACK InputTestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// One tick of the window: reads the device and shows what changed.
void InputTestTick(HWND dialog);

#endif
