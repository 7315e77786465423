// The fixed vocabulary of the control settings: the inputs a function can be
// bound to, the ten function lists, the two axis modes and the four presets.
// Row order is the contract of config\input.cfg with the game: the file stores
// row indices into these tables, so no row may ever move.
#ifndef VELMORA_INPUT_TABLES_H
#define VELMORA_INPUT_TABLES_H

#include <cstdint>

#include "program/interface_language.h"

class InputManager;

// One row of an input table. The terminating row has a null name and code 255.
struct InputTableRow {
  const char* name;  // ASCII for keys; code page 932 for controller inputs
  int32_t code;      // DirectInput key code, or the row number for controllers
};

constexpr int kKeyNameRows = 121;
constexpr int kJoystickInputRows = 57;
extern const InputTableRow KeyNameTable[kKeyNameRows + 1];
extern const InputTableRow JoystickInputTable[kJoystickInputRows + 1];

// Rows of JoystickInputTable: 3k+1, 3k+2, 3k+3 are the negative half, the
// positive half and the whole of axis k (lX, lY, lZ, lRx, lRy, lRz, slider 0,
// slider 1); 25 + i is button i.
constexpr int kJoystickAxisCount = 8;
constexpr int kFirstButtonRow = 25;
constexpr int kJoystickButtonRows = 32;

// The three rows of an axis, in row order.
constexpr int kNegativeHalf = 0;
constexpr int kPositiveHalf = 1;
constexpr int kWholeAxis = 2;
// The row of part `part` of axis `axis`.
constexpr int32_t AxisInputRow(int axis, int part) { return 3 * axis + 1 + part; }
constexpr bool IsAxisInputRow(int32_t row) { return row >= 1 && row < kFirstButtonRow; }
// The axis and the part of an axis row.
constexpr int AxisOfInputRow(int32_t row) { return (row - 1) / 3; }
constexpr int PartOfInputRow(int32_t row) { return (row - 1) % 3; }

// "キーボード" in code page 932: row 0 of the device list and the DEVICE value
// the keyboard is stored under.
extern const char KeyboardDeviceName[];
// What the device list's row 0 shows: "キーボード", or "Keyboard" in English.
// DEVICE keeps KeyboardDeviceName in either interface.
extern const InterfaceText KeyboardDeviceText;

// What row `row` of `table` (KeyNameTable or JoystickInputTable) shows in the
// lists of the chosen interface (key names are the same in both); null for a
// row the table does not have.
const char* ShownInputName(const InputTableRow* table, int row);
// Whether ShownInputName gives code page 932 texts for `table`: the controller
// rows of the Korean interface. Every other name is ASCII, shown as it is.
bool ShownInputNamesAreGameText(const InputTableRow* table);

constexpr int kFunctionCount = 10;
// The ten function lists in their fixed order: LEFT, RIGHT, ACCELE, BRAKE,
// SHIFTDOWN, SHIFTUP, SIDEBRAKE, LIGHT, VIEWUP, VIEWDOWN.
extern const int FunctionComboIds[kFunctionCount];

constexpr int kAxisModeCount = 2;
// Row 0 "Digital", row 1 "Analog"; the row is the stored mode.
extern const char* const AxisMode[kAxisModeCount];

constexpr int kModeListCount = 3;
struct AxisModeCombo {
  int modeListId;
  int calibrateButtonId;
};
// Steering (1013, 1021), accelerator (1015, 1023), brake (1016, 1022).
extern const AxisModeCombo AxisModeComboIds[kModeListCount];

constexpr int kPresetCount = 4;
struct InputPreset {
  int32_t rows[kFunctionCount];  // in FunctionComboIds order
  int32_t axisMode;              // set on all three mode lists
};
// 0 keyboard; 1 wheel, flight stick, rudder; 2 gamepad, traditional; 3 others.
extern const InputPreset PresetTable[kPresetCount];
// The steering preset: it also looks at where the controller's pedals rest.
constexpr int kSteeringPreset = 1;

// The preset of device row `deviceRow` (0 keyboard, r >= 1 controller r - 1 of
// `manager`), chosen by the controller's subtype.
int PresetForDevice(const InputManager& manager, int deviceRow);

#endif
