// The binding rules that need no window: which row of KeyNameTable a change
// of the keyboard binds, and whether two functions' rows share one input. The
// control dialog binds and colours its labels by them, and the report names
// the shared inputs of a stored file by the same rule.
#ifndef VELMORA_INPUT_RULES_H
#define VELMORA_INPUT_RULES_H

#include <cstdint>

#include "controls/input_tables.h"

// One byte per DirectInput key code, as the keyboard's state delivers them
// (down while the high bit is set).
constexpr int kKeyCodeCount = 256;
// Shift, Ctrl, Alt and Windows, left and right: they bind when released.
constexpr int kModifierKeyCount = 8;

// One key going down or up, as the keyboard's event buffer records it.
struct KeyEvent {
  uint8_t code;   // DirectInput key code
  bool down;      // pressed, else released
  uint32_t time;  // when, in milliseconds
};

// What the keyboard has done since a function list took the focus.
struct KeyWatch {
  uint8_t down[kKeyCodeCount];  // 0x80 while the key is down
  // Bit m: modifier m (kModifierKeys order) went down with nothing pressed
  // since, so its release binds it.
  uint8_t armedModifiers;
  // A left Ctrl press that the next event tells apart from AltGr's.
  bool controlPending;
  uint32_t controlTime;
  // The left Ctrl down now is AltGr's: its release counts for nothing either.
  bool altGrControl;
};

// The row of KeyNameTable whose code is `code`, or 0 (no row: "NONE").
int32_t KeyRowOfCode(int code);

// Tab, Enter, Escape (the dialog's) and F4 (the list's: it opens it) keep
// their meaning and bind nothing; by DirectInput code and by virtual key.
bool KeyKeepsItsMeaning(int code);
bool VirtualKeyKeepsItsMeaning(int virtualKey);

// A new watch over `keys`: whatever is down now counts as held, and binds
// nothing until released and pressed again (a modifier held now binds nothing
// on its release either).
void StartKeyWatch(KeyWatch& watch, const uint8_t* keys);
// The moments a function list was open, by the clock of the keyboard's time
// stamps: from `opened`, to `closedAt` once `closed`.
struct ListOpenSpan {
  bool active;  // the list opened since the events were last judged
  uint32_t opened;
  bool closed;
  uint32_t closedAt;
};
// The row the `count` events bind, taken in order, or 0; of several the last
// binds. A key with a row binds as it goes down, unless Alt or a Windows key
// is down (their combinations are the system's) or it keeps its meaning. A
// modifier binds as it comes up, unless another key went down while it was
// down or it went down while another modifier was. A left Ctrl press directly
// followed by a right Alt press of the same time is AltGr's (layouts with
// AltGr send both): that Ctrl counts for nothing, and AltGr alone binds RMENU.
// Beside an `active` list span, an event stamped from its opening to its
// closing (or on, while it is open) is the list's, never a binding: the watch
// only keeps what it holds down. After a closing a new watch starts, as
// StartKeyWatch with what is down then, before the first event stamped later
// (or at the end, when none is).
int32_t WatchKeyEvents(KeyWatch& watch, const KeyEvent* events, int count,
                       const ListOpenSpan& span);
// For a keyboard that keeps no events: whether `keys` differs from what the
// watch saw last, and the row the change to `keys` binds, taken as the
// presses (Alt and Windows first, then the other modifiers, then the rest)
// and then the releases of one moment; a left Ctrl and a right Alt going down
// in one moment are AltGr's, as with the events).
bool KeysChanged(const KeyWatch& watch, const uint8_t* keys);
int32_t WatchKeys(KeyWatch& watch, const uint8_t* keys);

// Positions of the two steering functions in FunctionComboIds order.
constexpr int kLeftFunction = 0;
constexpr int kRightFunction = 1;

// Whether function `first` on `firstRow` and function `second` on `secondRow`
// (positions in FunctionComboIds order) share an input; the rows are of
// KeyNameTable when `keyRows`, else of JoystickInputTable. Row 0 (none) and
// rows outside their table share nothing. Beside the same row, a controller's
// whole axis shares with either half of it; its two halves do not share (two
// triggers on one axis), nor LEFT and RIGHT on one whole axis (analog steering).
bool InputsShared(int first, int32_t firstRow, int second, int32_t secondRow, bool keyRows);

// shared[p] = whether function p's row shares an input with any other
// function's, for rows[p] in FunctionComboIds order.
void FindSharedInputs(const int32_t* rows, bool keyRows, bool* shared);

// ---- What the game reads of a function, as the input test shows it ---------

// Positions of the accelerator and the brake in FunctionComboIds order; the
// four functions from LEFT to BRAKE are the ones with a mode and a pair.
constexpr int kAcceleFunction = 2;
constexpr int kBrakeFunction = 3;
constexpr int kAnalogFunctionCount = 4;

// How far from the centre (axis units) a half or a whole axis must be for a
// digital function to count it as pressed. Strictly greater.
constexpr int32_t kPressThreshold = 500;

// A controller's inputs as one read found them: the axes in JoystickAxisValue
// order and the first 32 buttons (down while not 0).
struct ControllerReading {
  int32_t axes[kJoystickAxisCount];
  uint8_t buttons[kJoystickButtonRows];
};

// A calibrated pair: calibMin is 0 % of the travel, calibMax 100 %.
struct CalibrationPair {
  int32_t calibMin;
  int32_t calibMax;
};

// Where `value` lies from calibMin toward calibMax, in percent, clamped to
// 0..100 (the pair may run either way); 0 for a pair with equal ends.
int32_t CalibratedPercent(int32_t value, const CalibrationPair& pair);

// What a function shows: a percentage (0..100) or ON/OFF (value 1 or 0).
struct FunctionValue {
  bool percent;
  int32_t value;
};

// The value of a function bound to KeyNameTable row `row`, with the
// keyboard's state `keys`: ON while its key is down (every function is
// digital on the keyboard). Row 0, no selection and rows outside the table are OFF.
FunctionValue KeyFunctionValue(int32_t row, const uint8_t* keys);
// The value of the function at `function` (FunctionComboIds order) bound to
// JoystickInputTable row
// `row`, in mode `mode` (AxisMode row), with `pair`, as `reading` finds the
// controller. LEFT to BRAKE in "Analog" on an axis row show where the whole
// axis lies between the pair's ends; on row 0 or no selection 0 %; on a
// button row ON/OFF. Every other function is ON for a button down, a half
// beyond the threshold toward its side, a whole axis beyond it either way,
// but for steering only toward its own side (from calibMin toward calibMax;
// with equal ends LEFT's is the negative one, RIGHT's the positive), so that
// left and right on one axis never light together. Row 0 is OFF.
FunctionValue ControllerFunctionValue(int function, int32_t row, int32_t mode,
                                      const CalibrationPair& pair,
                                      const ControllerReading& reading);

// Whether the accelerator and the brake are the two halves of one axis that
// the controller has (bit k of `controllerAxes`: its axis k, as
// JoystickRecord::axisMask), as DirectInput gives a pad's two triggers:
// pressed together they cancel out. Every window that says so asks this.
bool TriggersShareAxis(int32_t acceleRow, int32_t brakeRow, uint32_t controllerAxes);

#endif
