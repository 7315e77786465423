// What the control and calibration dialog tests share: opening the real
// dialogs from the real templates, the messages a player's actions produce,
// reading the controls back as they are shown, and a driver for modal dialogs.
#ifndef VELMORA_TESTS_CONTROL_DIALOG_SUPPORT_H
#define VELMORA_TESTS_CONTROL_DIALOG_SUPPORT_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "controls/input_tables.h"
#include "tests/fakes/fake_dinput.h"

// ProgramInstance and the trackbar class, once per test program.
void PrepareDialogTests();

// Controller subtypes as DIDEVCAPS dwDevType carries them.
DWORD JoystickDevType(int subtype);
// A wheel (subtype 6) with force feedback and all eight axes, 12 buttons.
FakeJoystick& AddWheel(const char* name);
// A gamepad (subtype 4), 10 buttons, no force feedback.
FakeJoystick& AddGamepad(const char* name);

// Fills ControlSettings as a file naming `device` would (loaded flag set), or
// as no file at all (loaded flag clear) when `device` is null.
void SetLoadedSettings(const char* device);
void SetNoFileSettings();

// The control dialog, created modeless from template 101 with no owner.
HWND OpenControlDialog();

// Player actions.
void ChooseListRow(HWND dialog, int id, int row);  // picks a row: CBN_SELCHANGE
void FocusList(HWND dialog, int id);                // the list gets the focus
void LeaveList(HWND dialog, int id);                // the list loses the focus
void ClickButton(HWND dialog, int id);              // BN_CLICKED, sent
void Tick(HWND dialog);                             // one 16 ms timer tick

// Reading back.
std::wstring WideText(const char* cp932);
std::wstring ListRowText(HWND dialog, int id, int row);
std::wstring SelectedText(HWND dialog, int id);  // L"<none>" without a selection
int Selection(HWND dialog, int id);
int RowCount(HWND dialog, int id);
bool Enabled(HWND dialog, int id);
bool Checked(HWND dialog, int id);

// The visible dialog of this thread whose caption is `caption`, or null.
HWND FindOwnDialog(const wchar_t* caption);

// Runs `open` (which shows a modal dialog and returns its result) while a
// thread timer plays `steps` one per tick (every 15 ms). Steps are taken in
// order even when one of them opens a nested modal loop. A step may return
// false to be played again on the next tick (waiting for a window). If the
// dialogs are still open 400 ticks after the last step, every dialog of the
// thread is ended with 99, so a dialog that ignores the player fails the test
// instead of hanging it.
using ModalStep = std::function<bool()>;
INT_PTR RunModal(const std::function<INT_PTR()>& open, std::vector<ModalStep> steps);
// A step that waits for `ticks` timer ticks.
ModalStep WaitTicks(int ticks);

// Counts the WM_TIMER messages the thread's message loops take out for a
// window, through a WH_GETMESSAGE hook.
class TimerMessageCounter {
 public:
  TimerMessageCounter();
  ~TimerMessageCounter();
  int CountFor(HWND window) const;
  void Clear();

 private:
  HHOOK hook_;
};

#endif
