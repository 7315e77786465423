// Sections 4 and 5 of the report: DirectInput, the keyboard and the attached
// controllers, each set up by the input manager's own steps, and
// config\input.cfg with the device row the control settings would open on.
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "controls/control_settings_dialog.h"
#include "controls/control_settings_file.h"
#include "controls/controller_notes.h"
#include "controls/force_check.h"
#include "controls/input_manager.h"
#include "controls/input_rules.h"
#include "controls/input_tables.h"
#include "program/cp932_text.h"
#include "program/program_directory.h"
#include "program/program_instance.h"
#include "report/report_sections.h"
#include "settings/settings_text.h"

namespace {

// The code page of what the lists show: the game's Japanese texts in 932,
// ASCII in the system's own (which spells it alike on any system).
UINT ShownCodePage(bool gameText) { return gameText ? kGameTextCodePage : CP_ACP; }

// The axes by the lists' own English names, in JoystickAxisValue's order.
const char* const kAxisNames[kJoystickAxisCount] = {"X", "Y", "Z", "Rx", "Ry", "Rz",
                                                    "Slider 1", "Slider 2"};

struct InputWatch {
  ReportText* report;
  IDirectInput7A* input;
  HWND owner;
  int offered;     // controllers the enumeration reported
  int32_t listed;  // of them, the rows of the device list
  JoystickRecord records[kMaxJoysticks];
};

const char* StepName(InputSetupStep step) {
  switch (step) {
    case kSetupCreateDevice: return "CreateDeviceEx";
    case kSetupDataFormat: return "SetDataFormat";
    case kSetupCooperativeLevel: return "SetCooperativeLevel";
    case kSetupCapabilities: return "GetCapabilities";
    case kSetupAxes: return "EnumObjects (the axis ranges)";
    case kSetupDone: return "nothing";
  }
  return "?";
}

const char* SubtypeName(int32_t subtype) {
  switch (subtype) {
    case DIDEVTYPEJOYSTICK_UNKNOWN: return "unspecified";
    case DIDEVTYPEJOYSTICK_TRADITIONAL: return "traditional joystick";
    case DIDEVTYPEJOYSTICK_FLIGHTSTICK: return "flight stick";
    case DIDEVTYPEJOYSTICK_GAMEPAD: return "gamepad";
    case DIDEVTYPEJOYSTICK_RUDDER: return "rudder";
    case DIDEVTYPEJOYSTICK_WHEEL: return "wheel";
    case DIDEVTYPEJOYSTICK_HEADTRACKER: return "head tracker";
    default: return "other";
  }
}

void ReportJoystickDetails(ReportText& report, const JoystickSetup& joystick) {
  const JoystickRecord& record = joystick.record;
  const DIDEVCAPS& caps = joystick.caps;
  ReportLine(report, "  device type 0x%08lX: subtype %ld (%s)", static_cast<unsigned long>(caps.dwDevType),
             static_cast<long>(record.subtype), SubtypeName(record.subtype));
  char axes[128] = "";
  for (int k = 0; k < kJoystickAxisCount; ++k) {
    if ((record.axisMask & (1u << k)) == 0) continue;
    if (axes[0] != '\0') std::strcat(axes, ", ");
    std::strcat(axes, kAxisNames[k]);
  }
  ReportLine(report, "  axes given the range -1000 to 1000: %s", axes[0] != '\0' ? axes : "none");
  if (joystick.refusedAxisOffset >= 0) {
    char described[kShownTextSize];
    ReportLine(report, "  the axis at offset %ld refused the range: %s; it and the axes after it keep their own",
               static_cast<long>(joystick.refusedAxisOffset),
               DescribeResult(joystick.refusedAxisResult, nullptr, described, sizeof described));
  }
  ReportLine(report, "  buttons: %ld%s; POVs: %lu", static_cast<long>(record.buttonCount),
             record.buttonCount > kJoystickButtonRows ? " (the lists offer the first 32)" : "",
             static_cast<unsigned long>(caps.dwPOVs));
  ReportLine(report, "  force feedback: %s", record.forceFeedback ? "yes" : "no");
}

// A name field of a driver's DIDEVICEINSTANCEA or DIEFFECTINFOA, terminated in `out`: a driver
// may fill all of the field and leave out the terminating NUL.
const char* DriverName(const char (&field)[MAX_PATH], char (&out)[MAX_PATH + 1]) {
  const void* end = std::memchr(field, '\0', sizeof field);
  std::size_t length = end != nullptr ? static_cast<const char*>(end) - field : sizeof field;
  std::memcpy(out, field, length);
  out[length] = '\0';
  return out;
}

// ---- Today's controllers ----------------------------------------------------

constexpr std::size_t kListSize = 1024;

// Appends `item` to the comma-separated `list`, as far as it has room.
void AppendItem(char* list, const char* item) {
  std::size_t used = std::strlen(list);
  std::snprintf(list + used, kListSize - used, "%s%s", used == 0 ? "" : ", ", item);
}

BOOL CALLBACK AddActuator(LPCDIDEVICEOBJECTINSTANCEA object, LPVOID context) {
  // c_dfDIJoystick puts axis k at offset 4k, the sliders after the six axes.
  DWORD axis = object->dwOfs / sizeof(LONG);
  AppendItem(static_cast<char*>(context), axis < kJoystickAxisCount ? kAxisNames[axis] : "?");
  return DIENUM_CONTINUE;
}

struct StandardEffect {
  const GUID* guid;
  const char* name;
};
const StandardEffect kStandardEffects[] = {
    {&GUID_ConstantForce, "constant force"}, {&GUID_RampForce, "ramp force"},
    {&GUID_Square, "square"},                {&GUID_Sine, "sine"},
    {&GUID_Triangle, "triangle"},            {&GUID_SawtoothUp, "sawtooth up"},
    {&GUID_SawtoothDown, "sawtooth down"},   {&GUID_Spring, "spring"},
    {&GUID_Damper, "damper"},                {&GUID_Inertia, "inertia"},
    {&GUID_Friction, "friction"},            {&GUID_CustomForce, "custom force"},
};

BOOL CALLBACK AddEffect(LPCDIEFFECTINFOA effect, LPVOID context) {
  for (const StandardEffect& standard : kStandardEffects) {
    if (IsEqualGUID(effect->guid, *standard.guid)) {
      AppendItem(static_cast<char*>(context), standard.name);
      return DIENUM_CONTINUE;
    }
  }
  // Any other is the driver's own, by its own name.
  char name[MAX_PATH + 1];
  AppendItem(static_cast<char*>(context), DriverName(effect->tszName, name));
  return DIENUM_CONTINUE;
}

// The force actuators by the lists' names and the effects the controller
// offers; nothing when it refuses either enumeration.
void ReportForceFeedback(ReportText& report, IDirectInputDevice7A* device) {
  char axes[kListSize] = "", effects[kListSize] = "";
  if (FAILED(EnumerateForceActuators(device, AddActuator, axes))) return;
  IDirectInputDevice2A* forces = device;
  if (FAILED(forces->EnumEffects(AddEffect, effects, DIEFT_ALL))) return;
  char shown[kShownTextSize];
  ReportLine(report, "  force feedback axes: %s; effects: %s", axes[0] != '\0' ? axes : "none",
             ShowText(effects[0] != '\0' ? effects : "none", CP_ACP, false, shown, sizeof shown));
}

// Whether the device's path (DIPROP_GUIDANDPATH, a wide path even here on the
// ANSI interface) marks an XInput pad; false when the property is refused.
bool DevicePathMarksXInputPad(IDirectInputDevice7A* device) {
  DIPROPGUIDANDPATH property;
  std::memset(&property, 0, sizeof property);
  property.diph.dwSize = sizeof property;
  property.diph.dwHeaderSize = sizeof property.diph;
  property.diph.dwHow = DIPH_DEVICE;
  if (FAILED(device->GetProperty(DIPROP_GUIDANDPATH, &property.diph))) return false;
  property.wszPath[MAX_PATH - 1] = L'\0';
  return PathMarksXInputPad(property.wszPath);
}

// What today's controllers need said: force feedback's axes and effects, an
// XInput pad's shared triggers (both asked of a device that was set up), and
// Steam Input's virtual pad (known from its product alone, so said of a
// controller left out too).
void ReportTodaysController(ReportText& report, IDirectInputDevice7A* device,
                            const JoystickRecord& record, const GUID& product) {
  if (device != nullptr && record.forceFeedback) ReportForceFeedback(report, device);
  if (device != nullptr && DevicePathMarksXInputPad(device)) {
    ReportLine(report, "  an XInput pad (its device path carries IG_): its two triggers share one axis (Z) and cancel out when pressed together");
  }
  if (IsSteamVirtualPad(product)) {
    ReportLine(report, "  Steam Input's virtual pad, shown in place of the controller itself: turn Steam Input off for this program in Steam to see the controller");
  }
}

// The enumeration step: each controller set up exactly as the manager sets it
// up, told, and released again.
BOOL CALLBACK ReportJoystick(LPCDIDEVICEINSTANCEA instance, LPVOID context) {
  InputWatch& watch = *static_cast<InputWatch*>(context);
  ReportText& report = *watch.report;
  ++watch.offered;
  JoystickSetup joystick;
  bool ready = SetUpJoystick(watch.input, watch.owner, *instance, joystick);
  char described[kShownTextSize], shown[kShownTextSize];
  if (!ready) {
    ReportLine(report, "Controller %d: left out: %s failed: %s", watch.offered,
               StepName(joystick.setup.failedStep),
               DescribeResult(joystick.setup.result, nullptr, described, sizeof described));
  } else if (watch.listed < kMaxJoysticks) {
    watch.records[watch.listed] = joystick.record;
    ++watch.listed;
    ReportLine(report, "Controller %d: row %ld of the device list", watch.offered,
               static_cast<long>(watch.listed));
  } else {
    ReportLine(report, "Controller %d: not listed: beyond the %d-controller limit", watch.offered,
               kMaxJoysticks);
  }
  char name[MAX_PATH + 1];
  ReportLine(report, "  instance name: %s",
             ShowText(DriverName(instance->tszInstanceName, name), CP_ACP, true, shown, sizeof shown));
  ReportLine(report, "  product name: %s",
             ShowText(DriverName(instance->tszProductName, name), CP_ACP, true, shown, sizeof shown));
  if (ready || joystick.setup.failedStep == kSetupAxes) ReportJoystickDetails(report, joystick);
  ReportTodaysController(report, ready ? joystick.setup.device : nullptr, joystick.record,
                         instance->guidProduct);
  if (ready) joystick.setup.device->Release();
  return DIENUM_CONTINUE;
}

// The keyboard and the controllers. Returns whether the control settings
// could open (DirectInput and the keyboard ready).
bool ReportDevices(ReportText& report, InputWatch& watch) {
  char described[kShownTextSize], shown[kShownTextSize];
  HRESULT created = CreateDirectInput(ProgramInstance, watch.input);
  if (FAILED(created)) {
    ReportLine(report, "DirectInput: could not be created: %s; the control settings would not open",
               DescribeResult(created, kDirectInputLibrary, described, sizeof described));
    return false;
  }
  ReportLine(report, "DirectInput: created (version 7)");
  InputDeviceSetup keyboard;
  bool ready = SetUpKeyboard(watch.input, watch.owner, keyboard);
  ReportLine(report, "Keyboard: row 0 %s",
             ShowText(ChosenText(KeyboardDeviceText), ShownCodePage(KoreanInterface()), true,
                      shown, sizeof shown));
  if (ready) {
    ReportLine(report, "  set up: CreateDeviceEx, SetDataFormat, SetCooperativeLevel");
    if (SUCCEEDED(keyboard.bufferResult)) {
      ReportLine(report, "  key events kept between two reads: %d", kKeyEventBufferSize);
    } else {
      ReportLine(report, "  key event buffer refused: %s; keys are bound from the keyboard's state, and taps shorter than a tick can be missed",
                 DescribeResult(keyboard.bufferResult, nullptr, described, sizeof described));
    }
    keyboard.device->Release();
  } else {
    ReportLine(report, "  %s failed: %s; the control settings would not open",
               StepName(keyboard.failedStep),
               DescribeResult(keyboard.result, nullptr, described, sizeof described));
  }
  HRESULT enumerated = EnumerateAttachedJoysticks(watch.input, ReportJoystick, &watch);
  if (FAILED(enumerated))
    ReportLine(report, "EnumDevices failed: %s",
               DescribeResult(enumerated, nullptr, described, sizeof described));
  ReportLine(report, "Game controllers attached: %d; listed: %ld (at most %d)", watch.offered,
             static_cast<long>(watch.listed), kMaxJoysticks);
  watch.input->Release();
  watch.input = nullptr;
  return ready;
}

// ---- config\input.cfg ----------------------------------------------------------

void EchoControlLine(int keyIndex, const char* value, void* context) {
  ReportText& report = *static_cast<ReportText*>(context);
  // The keyboard's name is stored in code page 932, a controller's in the
  // system's code page.
  char device[kSettingsValueSize];
  ParseQuotedValue(value, device);
  UINT codePage = std::strcmp(device, KeyboardDeviceName) == 0 ? kGameTextCodePage : CP_ACP;
  char shown[kShownTextSize];
  ReportLine(report, "  %s=%s", ControlKeyTable[keyIndex],
             ShowText(value, codePage, false, shown, sizeof shown));
}

const char* DeviceRowName(const InputWatch& watch, int32_t row, char* out, std::size_t size) {
  if (row == 0) {
    return ShowText(ChosenText(KeyboardDeviceText), ShownCodePage(KoreanInterface()), true, out,
                    size);
  }
  return ShowText(watch.records[row - 1].name, CP_ACP, true, out, size);
}

void ReportRestoredDevice(ReportText& report, const InputWatch& watch, RestoredDevice choice) {
  char row[kShownTextSize], device[kShownTextSize];
  DeviceRowName(watch, choice.row, row, sizeof row);
  switch (choice.reason) {
    case kRestoreFoundByName:
      ReportLine(report, "The control settings would open on row %ld %s: found by name; the stored assignments are shown",
                 static_cast<long>(choice.row), row);
      return;
    case kRestoreKeyboard:
      ReportLine(report, "The control settings would open on row 0 %s: the keyboard is named; the stored assignments are shown", row);
      return;
    case kRestoreNotAttached:
      ReportLine(report, "The control settings would open on row 0 %s with its preset: the named controller %s is not attached",
                 row, ShowText(ControlSettings.device, CP_ACP, true, device, sizeof device));
      return;
    case kRestoreNoDeviceName:
      ReportLine(report, "The control settings would open on row 0 %s with its preset: the file names no device", row);
      return;
    case kRestoreNoFile:
      ReportLine(report, "The control settings would open on row 0 %s with its preset: no file was read", row);
      return;
  }
}

// The function (FunctionComboIds position) stored under ControlKeyTable's key
// `key`, or -1 for a key that stores none.
int FunctionOfKey(int key) {
  for (int p = 0; p < kFunctionCount; ++p) {
    if (FunctionKeyIndex(p) == key) return p;
  }
  return -1;
}

// The stored function `position`; `shown` says whether the dialog shows the
// stored rows at all (it shows the keyboard preset otherwise).
void ReportStoredInput(ReportText& report, int position, bool keyboardTable, bool shown) {
  const char* key = ControlKeyTable[FunctionKeyIndex(position)];
  int32_t row = StoredFunctionInput(ControlSettings, position);
  const char* noSelection = shown ? "; the list shows no selection" : "";
  const InputTableRow* table = keyboardTable ? KeyNameTable : JoystickInputTable;
  int32_t rows = keyboardTable ? kKeyNameRows : kJoystickInputRows;
  char input[kShownTextSize + 96] = "";
  if (row >= 0 && row < rows) {
    char name[kShownTextSize];
    std::snprintf(input, sizeof input, "row %ld %s", static_cast<long>(row),
                  ShowText(ShownInputName(table, row),
                           ShownCodePage(ShownInputNamesAreGameText(table)), true, name,
                           sizeof name));
  } else {
    std::snprintf(input, sizeof input, "row %ld: outside its table (rows 0 to %ld)%s",
                  static_cast<long>(row), static_cast<long>(rows - 1), noSelection);
  }
  const AnalogFunctionSetting* stored = StoredAnalogSetting(ControlSettings, position);
  if (stored == nullptr) {
    ReportLine(report, "  %s: %s", key, input);
    return;
  }
  const AnalogFunctionSetting& analog = *stored;
  char mode[96] = "";
  // RIGHT has no mode list of its own: the steering's is LEFT's.
  if (position != kRightFunction) {
    if (analog.axisMode >= 0 && analog.axisMode < kAxisModeCount)
      std::snprintf(mode, sizeof mode, "; %s", AxisMode[analog.axisMode]);
    else
      std::snprintf(mode, sizeof mode, "; mode %ld: outside its list (0 Digital, 1 Analog)%s",
                    static_cast<long>(analog.axisMode), noSelection);
  }
  ReportLine(report, "  %s: %s%s; calibration %ld to %ld", key, input, mode,
             static_cast<long>(analog.calibMin), static_cast<long>(analog.calibMax));
}

// ---- Shared inputs ---------------------------------------------------------------

// Appends "A", "A and B" or "A, B and C": the keys of the functions marked in
// `chosen`, in file order. Returns how many.
int AppendKeys(char* out, std::size_t size, const bool* chosen) {
  int total = 0;
  for (int p = 0; p < kFunctionCount; ++p) total += chosen[p] ? 1 : 0;
  int written = 0;
  for (int key = 0; ControlKeyTable[key] != nullptr; ++key) {
    int p = FunctionOfKey(key);
    if (p < 0 || !chosen[p]) continue;
    const char* separator = written == 0 ? "" : written == total - 1 ? " and " : ", ";
    std::size_t used = std::strlen(out);
    std::snprintf(out + used, size - used, "%s%s", separator, ControlKeyTable[key]);
    ++written;
  }
  return total;
}

// The row's name as the chosen interface's lists show it.
const char* RowName(int32_t row, bool keyboardTable, char* out, std::size_t size) {
  const InputTableRow* table = keyboardTable ? KeyNameTable : JoystickInputTable;
  return ShowText(ShownInputName(table, row), ShownCodePage(ShownInputNamesAreGameText(table)),
                  false, out, size);
}

// Appends "KEYS on row R (name)" for the controller functions of `group` on
// `row`; returns how many there are.
int AppendRow(char* out, std::size_t size, const bool* group, const int32_t* rows, int32_t row) {
  bool onRow[kFunctionCount];
  for (int p = 0; p < kFunctionCount; ++p) onRow[p] = group[p] && rows[p] == row;
  char keys[128] = "", name[kShownTextSize];
  int count = AppendKeys(keys, sizeof keys, onRow);
  if (count == 0) return 0;
  std::size_t used = std::strlen(out);
  std::snprintf(out + used, size - used, "%s%s on row %ld (%s)", used == 0 ? "" : " and ", keys,
                static_cast<long>(row), RowName(row, false, name, sizeof name));
  return count;
}

// One line per input that functions share, by the rule of the control dialog's
// red labels: the functions joined by it (directly or through another), which
// are on one row, or on one controller axis (its whole row and its halves).
int ReportSharedInputs(ReportText& report, const int32_t* rows, bool keyboardTable) {
  bool reported[kFunctionCount] = {};
  int lines = 0;
  for (int key = 0; ControlKeyTable[key] != nullptr; ++key) {
    int first = FunctionOfKey(key);
    if (first < 0 || reported[first]) continue;
    bool group[kFunctionCount] = {};
    group[first] = true;
    for (bool grew = true; grew;) {
      grew = false;
      for (int p = 0; p < kFunctionCount; ++p)
        for (int q = 0; q < kFunctionCount && !group[p]; ++q)
          if (group[q] && InputsShared(p, rows[p], q, rows[q], keyboardTable)) group[p] = grew = true;
    }
    int members = 0;
    bool oneRow = true;
    for (int p = 0; p < kFunctionCount; ++p) {
      if (!group[p]) continue;
      reported[p] = true;
      ++members;
      oneRow = oneRow && rows[p] == rows[first];
    }
    if (members < 2) continue;
    ++lines;
    if (oneRow) {
      char keys[128] = "", name[kShownTextSize];
      AppendKeys(keys, sizeof keys, group);
      ReportLine(report, "  %s share row %ld (%s)", keys, static_cast<long>(rows[first]),
                 RowName(rows[first], keyboardTable, name, sizeof name));
      continue;
    }
    // Rows apart share only through the whole of their axis.
    int axis = AxisOfInputRow(rows[first]);
    char wholeText[kShownTextSize + 128] = "", halves[2 * kShownTextSize + 256] = "";
    int onWhole =
        AppendRow(wholeText, sizeof wholeText, group, rows, AxisInputRow(axis, kWholeAxis));
    AppendRow(halves, sizeof halves, group, rows, AxisInputRow(axis, kNegativeHalf));
    AppendRow(halves, sizeof halves, group, rows, AxisInputRow(axis, kPositiveHalf));
    ReportLine(report, "  %s %s %s axis with %s", wholeText, onWhole > 1 ? "share" : "shares",
               onWhole > 1 ? "their" : "its", halves);
  }
  return lines;
}

void ReportInputFile(ReportText& report, const InputWatch& watch, bool dialogOpens) {
  ReportLine(report, "== 5. config\\input.cfg ==");
  wchar_t path[kPathCapacity];
  std::wcscpy(path, ProgramPath(kControlSettingsFile));
  // The same preparation as the controls run: the record and whether the
  // file was read.
  PrepareControlSettings();
  if (!ControlSettingsLoaded) {
    ReportLine(report, "File: absent or unreadable; the control settings start from the keyboard preset");
  } else {
    ReportLine(report, "File: read; the keys as stored:");
    if (ReadSettingsFileLines(path, ControlKeyTable, EchoControlLine, &report) == 0)
      ReportLine(report, "  (the file is empty)");
  }
  if (!dialogOpens)
    ReportLine(report, "The control settings would not open: DirectInput or the keyboard could not be set up");

  const ControlSettingsRecord& s = ControlSettings;
  RestoredDevice choice =
      ChooseRestoredDevice(s, ControlSettingsLoaded != 0, watch.records, watch.listed);
  if (dialogOpens) ReportRestoredDevice(report, watch, choice);
  if (!ControlSettingsLoaded) return;

  bool keyboardTable = choice.row == 0 && (std::strcmp(s.device, KeyboardDeviceName) == 0 ||
                                           s.device[0] == '\0');
  bool shown = choice.reason == kRestoreFoundByName || choice.reason == kRestoreKeyboard;
  ReportLine(report, "Stored assignments, read in the %s%s:",
             keyboardTable ? "keyboard's key table" : "controller input table",
             shown ? "" : " (not shown: the dialog shows the keyboard preset)");
  for (int key = 0; ControlKeyTable[key] != nullptr; ++key) {
    int position = FunctionOfKey(key);
    if (position >= 0) ReportStoredInput(report, position, keyboardTable, shown);
  }
  bool feedback = choice.row >= 1 && watch.records[choice.row - 1].forceFeedback != 0;
  ReportLine(report, "  FORCEFEEDBACK: %ld; the device has force feedback: %s",
             static_cast<long>(s.forceFeedback), feedback ? "yes" : "no");
  // As the game reads the stored rows, whatever the dialog would show.
  ReportLine(report, "Shared inputs of the stored assignments:");
  int32_t rows[kFunctionCount];
  for (int p = 0; p < kFunctionCount; ++p) rows[p] = StoredFunctionInput(s, p);
  if (ReportSharedInputs(report, rows, keyboardTable) == 0)
    ReportLine(report, "  none: no two functions share an input");
}

}  // namespace

void ReportInput(ReportText& report) {
  ReportLine(report, "== 4. Input ==");
  InputWatch watch;
  std::memset(&watch, 0, sizeof watch);
  watch.report = &report;
  // The devices cooperate with a window of this process, as with the control
  // dialog's; this one is never shown.
  watch.owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                ProgramInstance, nullptr);
  bool dialogOpens = ReportDevices(report, watch);
  ReportLine(report, "%s", "");
  ReportInputFile(report, watch, dialogOpens);
  ReportLine(report, "%s", "");
  if (watch.owner != nullptr) DestroyWindow(watch.owner);
}
