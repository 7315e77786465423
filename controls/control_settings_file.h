// config\input.cfg and the process-wide record of the control assignments that
// the control dialog edits and the calibration dialog completes.
#ifndef VELMORA_CONTROL_SETTINGS_FILE_H
#define VELMORA_CONTROL_SETTINGS_FILE_H

#include <cstdint>

#include "controls/input_tables.h"
#include "settings/settings_text.h"

constexpr int kDeviceNameCapacity = 260;

// Where the file lives, relative to the program directory.
constexpr wchar_t kControlSettingsFile[] = L"config\\input.cfg";

struct AnalogFunctionSetting {
  int32_t input;     // row of the assigned input
  int32_t axisMode;  // 0 Digital, 1 Analog
  int32_t calibMin;  // raw reading at the minimum end
  int32_t calibMax;  // raw reading at the maximum end
};

// 89 32-bit words, in the order of the file's keys (SHIFTUP before SHIFTDOWN).
struct ControlSettingsRecord {
  int32_t version;
  char device[kDeviceNameCapacity];
  int32_t forceFeedback;
  AnalogFunctionSetting left;
  AnalogFunctionSetting right;
  AnalogFunctionSetting accele;
  AnalogFunctionSetting brake;
  int32_t shiftUp;
  int32_t shiftDown;
  int32_t sideBrake;
  int32_t light;
  int32_t viewUp;
  int32_t viewDown;
};

extern ControlSettingsRecord ControlSettings;
// 1 when PrepareControlSettings read config\input.cfg in this controls run.
extern uint8_t ControlSettingsLoaded;

// VERSION, DEVICE, FORCEFEEDBACK, LEFT, RIGHT, ACCELE, BRAKE, SHIFTUP,
// SHIFTDOWN, SIDEBRAKE, LIGHT, VIEWUP, VIEWDOWN, then null.
extern const char* const ControlKeyTable[];

// The functions' fields, by position in FunctionComboIds order (LEFT, RIGHT,
// ACCELE, BRAKE, SHIFTDOWN, SHIFTUP, SIDEBRAKE, LIGHT, VIEWUP, VIEWDOWN): the
// index in ControlKeyTable of the key it is stored under, its stored input
// row, and its analog group (null for the six single-word functions).
int FunctionKeyIndex(int position);
int32_t StoredFunctionInput(const ControlSettingsRecord& settings, int position);
const AnalogFunctionSetting* StoredAnalogSetting(const ControlSettingsRecord& settings,
                                                 int position);

// The version every new record starts with.
constexpr int32_t kControlFileVersion = 1;

// The calibration pairs of a controller never calibrated: steering left and the
// accelerator 0 to -1000, steering right and the brake 0 to 1000. A run without
// a file starts from them, and applying a device's preset restores them.
void SetDefaultCalibrationPairs(ControlSettingsRecord& settings);

// Reads `path` into `settings`; only fields whose key occurs change, and no
// value is range-checked. True when the file was read (an empty one included).
bool LoadControlSettings(const wchar_t* path, ControlSettingsRecord& settings);
// Writes the thirteen lines through the safe writer: on false the old file is
// left as it was.
bool SaveControlSettings(const wchar_t* path, const ControlSettingsRecord& settings);
// Clears ControlSettings, loads config\input.cfg beside the executable into it,
// and sets the calibration defaults and ControlSettingsLoaded = 0 when no file
// was read.
void PrepareControlSettings();

#endif
