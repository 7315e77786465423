#include "controls/control_settings_file.h"

#include <cstring>

#include "program/program_directory.h"
#include "settings/settings_writer.h"

ControlSettingsRecord ControlSettings;
uint8_t ControlSettingsLoaded;

// The file's keys in the order they are written; a key's position is the index
// the reader hands to ApplyControlLine.
const char* const ControlKeyTable[] = {
    "VERSION", "DEVICE",  "FORCEFEEDBACK", "LEFT",  "RIGHT",  "ACCELE",   "BRAKE",
    "SHIFTUP", "SHIFTDOWN", "SIDEBRAKE",   "LIGHT", "VIEWUP", "VIEWDOWN", nullptr,
};

namespace {

enum ControlKey {
  kKeyVersion,
  kKeyDevice,
  kKeyForceFeedback,
  kKeyLeft,
  kKeyRight,
  kKeyAccele,
  kKeyBrake,
  kKeyShiftUp,
  kKeyShiftDown,
  kKeySideBrake,
  kKeyLight,
  kKeyViewUp,
  kKeyViewDown,
};

static_assert(sizeof(ControlSettingsRecord) == 89 * 4, "the record is 89 words");
static_assert(sizeof(ControlSettings.device) >= kSettingsValueSize,
              "a quoted value of the reader fits the device name");

// Where no file was read, the calibration pairs span the whole axis from its
// centre: left and accelerator towards -1000, right and brake towards 1000.
constexpr int32_t kAxisEnd = 1000;

// Each function's key and field, in FunctionComboIds order.
struct FunctionField {
  int key;
  AnalogFunctionSetting ControlSettingsRecord::*analog;  // or null
  int32_t ControlSettingsRecord::*word;                  // when analog is null
};
const FunctionField kFunctionFields[kFunctionCount] = {
    {kKeyLeft, &ControlSettingsRecord::left, nullptr},
    {kKeyRight, &ControlSettingsRecord::right, nullptr},
    {kKeyAccele, &ControlSettingsRecord::accele, nullptr},
    {kKeyBrake, &ControlSettingsRecord::brake, nullptr},
    {kKeyShiftDown, nullptr, &ControlSettingsRecord::shiftDown},
    {kKeyShiftUp, nullptr, &ControlSettingsRecord::shiftUp},
    {kKeySideBrake, nullptr, &ControlSettingsRecord::sideBrake},
    {kKeyLight, nullptr, &ControlSettingsRecord::light},
    {kKeyViewUp, nullptr, &ControlSettingsRecord::viewUp},
    {kKeyViewDown, nullptr, &ControlSettingsRecord::viewDown},
};

void ParseAnalog(const char* value, AnalogFunctionSetting& setting) {
  ParseIntQuad(value, setting.input, setting.axisMode, setting.calibMin, setting.calibMax);
}

// Stores one line's value as it stands; the control dialog decides what to show
// for a row or mode it does not know.
void ApplyControlLine(int keyIndex, const char* value, void* context) {
  ControlSettingsRecord& settings = *static_cast<ControlSettingsRecord*>(context);
  switch (keyIndex) {
    case kKeyVersion: ParseIntValue(value, settings.version); return;
    case kKeyDevice:
      // No bytes of an earlier, longer name stay behind the new one.
      std::memset(settings.device, 0, sizeof settings.device);
      ParseQuotedValue(value, settings.device);
      return;
    case kKeyForceFeedback: ParseIntValue(value, settings.forceFeedback); return;
    case kKeyLeft: ParseAnalog(value, settings.left); return;
    case kKeyRight: ParseAnalog(value, settings.right); return;
    case kKeyAccele: ParseAnalog(value, settings.accele); return;
    case kKeyBrake: ParseAnalog(value, settings.brake); return;
    case kKeyShiftUp: ParseIntValue(value, settings.shiftUp); return;
    case kKeyShiftDown: ParseIntValue(value, settings.shiftDown); return;
    case kKeySideBrake: ParseIntValue(value, settings.sideBrake); return;
    case kKeyLight: ParseIntValue(value, settings.light); return;
    case kKeyViewUp: ParseIntValue(value, settings.viewUp); return;
    case kKeyViewDown: ParseIntValue(value, settings.viewDown); return;
    default: return;
  }
}

void WriteAnalogLine(SettingsWriter& writer, int key, const AnalogFunctionSetting& setting) {
  WriteIntQuadLine(writer, ControlKeyTable[key], setting.input, setting.axisMode,
                   setting.calibMin, setting.calibMax);
}

}  // namespace

bool LoadControlSettings(const wchar_t* path, ControlSettingsRecord& settings) {
  return ReadSettingsFileLines(path, ControlKeyTable, ApplyControlLine, &settings) >= 0;
}

bool SaveControlSettings(const wchar_t* path, const ControlSettingsRecord& settings) {
  // The record is edited in place by the dialogs; a name that lost its
  // terminator must not carry the write past the field.
  char device[kDeviceNameCapacity];
  std::memcpy(device, settings.device, sizeof device);
  device[sizeof device - 1] = '\0';

  SettingsWriter writer;
  BeginSettingsFile(writer, path);
  WriteIntLine(writer, ControlKeyTable[kKeyVersion], settings.version);
  WriteQuotedLine(writer, ControlKeyTable[kKeyDevice], device);
  WriteIntLine(writer, ControlKeyTable[kKeyForceFeedback], settings.forceFeedback);
  WriteAnalogLine(writer, kKeyLeft, settings.left);
  WriteAnalogLine(writer, kKeyRight, settings.right);
  WriteAnalogLine(writer, kKeyAccele, settings.accele);
  WriteAnalogLine(writer, kKeyBrake, settings.brake);
  // The game's order: SHIFTUP before SHIFTDOWN, unlike the dialog's lists.
  WriteIntLine(writer, ControlKeyTable[kKeyShiftUp], settings.shiftUp);
  WriteIntLine(writer, ControlKeyTable[kKeyShiftDown], settings.shiftDown);
  WriteIntLine(writer, ControlKeyTable[kKeySideBrake], settings.sideBrake);
  WriteIntLine(writer, ControlKeyTable[kKeyLight], settings.light);
  WriteIntLine(writer, ControlKeyTable[kKeyViewUp], settings.viewUp);
  WriteIntLine(writer, ControlKeyTable[kKeyViewDown], settings.viewDown);
  // Fails when the file could not be created or any byte did not reach it;
  // the previous file is then left exactly as it was.
  return FinishSettingsFile(writer);
}

int FunctionKeyIndex(int position) { return kFunctionFields[position].key; }

int32_t StoredFunctionInput(const ControlSettingsRecord& settings, int position) {
  const FunctionField& field = kFunctionFields[position];
  return field.analog != nullptr ? (settings.*field.analog).input : settings.*field.word;
}

const AnalogFunctionSetting* StoredAnalogSetting(const ControlSettingsRecord& settings,
                                                 int position) {
  const FunctionField& field = kFunctionFields[position];
  return field.analog != nullptr ? &(settings.*field.analog) : nullptr;
}

void SetDefaultCalibrationPairs(ControlSettingsRecord& settings) {
  settings.left.calibMin = 0;
  settings.left.calibMax = -kAxisEnd;
  settings.right.calibMin = 0;
  settings.right.calibMax = kAxisEnd;
  settings.accele.calibMin = 0;
  settings.accele.calibMax = -kAxisEnd;
  settings.brake.calibMin = 0;
  settings.brake.calibMax = kAxisEnd;
}

void PrepareControlSettings() {
  std::memset(&ControlSettings, 0, sizeof ControlSettings);
  ControlSettings.version = kControlFileVersion;
  if (LoadControlSettings(ProgramPath(kControlSettingsFile), ControlSettings)) {
    ControlSettingsLoaded = 1;
    return;
  }
  SetDefaultCalibrationPairs(ControlSettings);
  ControlSettingsLoaded = 0;
}
