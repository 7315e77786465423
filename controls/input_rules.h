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
// The row the `count` events bind, taken in order, or 0; of several the last
// binds. A key with a row binds as it goes down, unless Alt or a Windows key
// is down (their combinations are the system's) or it keeps its meaning. A
// modifier binds as it comes up, unless another key went down while it was
// down or it went down while another modifier was. A left Ctrl press directly
// followed by a right Alt press of the same time is AltGr's (layouts with
// AltGr send both): that Ctrl counts for nothing, and AltGr alone binds RMENU.
int32_t WatchKeyEvents(KeyWatch& watch, const KeyEvent* events, int count);
// For a keyboard that keeps no events: whether `keys` differs from what the
// watch saw last, and the row the change to `keys` binds, taken as the
// presses (Alt and Windows first, then the other modifiers, then the rest)
// and then the releases of one moment.
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

#endif
