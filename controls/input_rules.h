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

// What the keyboard was doing at the last look, from the moment a function
// list took the focus.
struct KeyWatch {
  uint8_t previous[kKeyCodeCount];  // the state at the last look
  // Bit m: modifier m (kModifierKeys order) went down with nothing pressed
  // since, so its release binds it.
  uint8_t armedModifiers;
};

// The row of KeyNameTable whose code is `code`, or 0 (no row: "NONE").
int32_t KeyRowOfCode(int code);

// A new watch over `keys`: whatever is down now counts as held, and binds
// nothing until released and pressed again (a modifier held now binds nothing
// on its release either).
void StartKeyWatch(KeyWatch& watch, const uint8_t* keys);
// Whether `keys` differs from what the watch saw last.
bool KeysChanged(const KeyWatch& watch, const uint8_t* keys);
// The row `keys` binds, coming after what the watch saw last, or 0; the watch
// moves on to `keys`. A key with a row binds as it goes down, unless Alt is
// down (its system meaning), or it is Tab, Enter, Escape or F4 (the dialog's
// and the list's own). A modifier binds as it comes up, unless another key went
// down while it was down. Of two bound in one look, the lower row binds.
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
