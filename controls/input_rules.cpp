#include "controls/input_rules.h"

#include <cstring>

namespace {

// DirectInput key codes (DIK_*) the rules single out.
constexpr int kLeftControlCode = 29;  // LCONTROL
constexpr int kLeftAltCode = 56;      // LMENU
constexpr int kRightAltCode = 184;    // RMENU
constexpr int kLeftWindowsCode = 219;   // LWIN
constexpr int kRightWindowsCode = 220;  // RWIN

// LSHIFT, RSHIFT, LCONTROL, RCONTROL, LMENU, RMENU, LWIN, RWIN.
constexpr int kModifierKeys[kModifierKeyCount] = {42, 54, 29, 157, 56, 184, 219, 220};

// The keys that keep their meaning, by DirectInput code and virtual key.
struct KeptKey {
  int code;
  int virtualKey;
};
constexpr KeptKey kKeptKeys[] = {
    {1, 0x1B},    // ESCAPE, VK_ESCAPE
    {15, 0x09},   // TAB, VK_TAB
    {28, 0x0D},   // RETURN, VK_RETURN
    {156, 0x0D},  // NUMPADENTER, VK_RETURN
    {62, 0x73},   // F4, VK_F4
};

bool Down(const uint8_t* keys, int code) { return (keys[code] & 0x80) != 0; }

int ModifierIndex(int code) {
  for (int m = 0; m < kModifierKeyCount; ++m) {
    if (kModifierKeys[m] == code) return m;
  }
  return -1;
}

// The modifiers held in the watch, but AltGr's left Ctrl.
uint8_t HeldModifiers(const KeyWatch& watch) {
  uint8_t held = 0;
  for (int m = 0; m < kModifierKeyCount; ++m) {
    if (Down(watch.down, kModifierKeys[m])) held |= 1u << m;
  }
  if (watch.altGrControl) held &= static_cast<uint8_t>(~(1u << ModifierIndex(kLeftControlCode)));
  return held;
}

// A press: it spoils every modifier held but itself, and a modifier pressed
// while another is held is no lone one either. Pressed while Alt or a Windows
// key (other than itself) is down, it is part of their combination: it binds
// nothing.
void TakePress(KeyWatch& watch, int code, int32_t& bound) {
  int m = ModifierIndex(code);
  uint8_t self = m >= 0 ? static_cast<uint8_t>(1u << m) : 0;
  uint8_t others = static_cast<uint8_t>(HeldModifiers(watch) & ~self);
  watch.armedModifiers &= static_cast<uint8_t>(~others);
  bool combination = (Down(watch.down, kLeftAltCode) && code != kLeftAltCode) ||
                     (Down(watch.down, kRightAltCode) && code != kRightAltCode) ||
                     (Down(watch.down, kLeftWindowsCode) && code != kLeftWindowsCode) ||
                     (Down(watch.down, kRightWindowsCode) && code != kRightWindowsCode);
  if (m >= 0) {
    if (combination || others != 0) {
      watch.armedModifiers &= static_cast<uint8_t>(~self);
    } else {
      watch.armedModifiers |= self;
    }
  } else if (!combination && !KeyKeepsItsMeaning(code)) {
    int32_t row = KeyRowOfCode(code);
    if (row != 0) bound = row;
  }
}

// A release: an armed modifier binds.
void TakeRelease(KeyWatch& watch, int code, int32_t& bound) {
  int m = ModifierIndex(code);
  if (m < 0) return;
  uint8_t bit = static_cast<uint8_t>(1u << m);
  if ((watch.armedModifiers & bit) != 0) {
    int32_t row = KeyRowOfCode(code);
    if (row != 0) bound = row;
  }
  watch.armedModifiers &= static_cast<uint8_t>(~bit);
}

void TakeEvent(KeyWatch& watch, const KeyEvent& event, int32_t& bound) {
  if (watch.controlPending) {
    watch.controlPending = false;
    if (event.down && event.code == kRightAltCode && event.time == watch.controlTime) {
      watch.altGrControl = true;
    } else {
      TakePress(watch, kLeftControlCode, bound);
    }
  }
  bool wasDown = Down(watch.down, event.code);
  watch.down[event.code] = event.down ? 0x80 : 0;
  // DirectInput sends no repeats: a press of a key down (or a release of one
  // up) only follows a change the watch's start could not see.
  if (event.down == wasDown) return;
  if (event.down && event.code == kLeftControlCode) {
    watch.controlPending = true;
    watch.controlTime = event.time;
  } else if (event.down) {
    TakePress(watch, event.code, bound);
  } else if (event.code == kLeftControlCode && watch.altGrControl) {
    watch.altGrControl = false;
  } else {
    TakeRelease(watch, event.code, bound);
  }
}

}  // namespace

int32_t KeyRowOfCode(int code) {
  if (code <= 0) return 0;
  for (int32_t row = 1; row < kKeyNameRows; ++row) {
    if (KeyNameTable[row].code == code) return row;
  }
  return 0;
}

bool KeyKeepsItsMeaning(int code) {
  for (const KeptKey& key : kKeptKeys) {
    if (key.code == code) return true;
  }
  return false;
}

bool VirtualKeyKeepsItsMeaning(int virtualKey) {
  for (const KeptKey& key : kKeptKeys) {
    if (key.virtualKey == virtualKey) return true;
  }
  return false;
}

void StartKeyWatch(KeyWatch& watch, const uint8_t* keys) {
  for (int code = 0; code < kKeyCodeCount; ++code) watch.down[code] = keys[code] & 0x80;
  watch.armedModifiers = 0;
  watch.controlPending = false;
  watch.controlTime = 0;
  watch.altGrControl = false;
}

namespace {

// Whether `time` is `moment` or later, across the wrap of the millisecond clock.
bool NotBefore(uint32_t time, uint32_t moment) {
  return static_cast<int32_t>(time - moment) >= 0;
}

}  // namespace

int32_t WatchKeyEvents(KeyWatch& watch, const KeyEvent* events, int count,
                       const ListOpenSpan& span) {
  int32_t bound = 0;
  bool restarted = false;
  for (int i = 0; i < count; ++i) {
    const KeyEvent& event = events[i];
    bool sinceOpening = span.active && NotBefore(event.time, span.opened);
    bool afterClosing = sinceOpening && span.closed && !NotBefore(span.closedAt, event.time);
    if (sinceOpening && !afterClosing) {
      watch.down[event.code] = event.down ? 0x80 : 0;  // the list's key
      continue;
    }
    if (afterClosing && !restarted) {
      StartKeyWatch(watch, watch.down);
      restarted = true;
    }
    TakeEvent(watch, event, bound);
  }
  if (span.active && span.closed && !restarted) StartKeyWatch(watch, watch.down);
  return bound;
}

bool KeysChanged(const KeyWatch& watch, const uint8_t* keys) {
  return std::memcmp(watch.down, keys, kKeyCodeCount) != 0;
}

int32_t WatchKeys(KeyWatch& watch, const uint8_t* keys) {
  int32_t bound = 0;
  auto take = [&](int code, bool down) {
    if (Down(keys, code) != down || Down(watch.down, code) == down) return;
    TakeEvent(watch, KeyEvent{static_cast<uint8_t>(code), down, 0}, bound);
  };
  // A left Ctrl just before a right Alt of the same moment is AltGr's, as it
  // comes in the events; then Alt and Windows, so what went down with them is
  // their combination.
  take(kLeftControlCode, true);
  for (int m = kModifierKeyCount - 1; m >= 0; --m) take(kModifierKeys[m], true);
  for (int code = 1; code < kKeyCodeCount; ++code) take(code, true);
  for (int code = 1; code < kKeyCodeCount; ++code) take(code, false);
  // A left Ctrl with nothing after it in this moment is an ordinary one.
  if (watch.controlPending) {
    watch.controlPending = false;
    TakePress(watch, kLeftControlCode, bound);
  }
  return bound;
}

bool InputsShared(int first, int32_t firstRow, int second, int32_t secondRow, bool keyRows) {
  if (first == second) return false;
  int32_t rows = keyRows ? kKeyNameRows : kJoystickInputRows;
  if (firstRow <= 0 || secondRow <= 0 || firstRow >= rows || secondRow >= rows) return false;
  if (keyRows || !IsAxisInputRow(firstRow) || !IsAxisInputRow(secondRow)) {
    return firstRow == secondRow;
  }
  if (AxisOfInputRow(firstRow) != AxisOfInputRow(secondRow)) return false;
  int firstPart = PartOfInputRow(firstRow);
  int secondPart = PartOfInputRow(secondRow);
  if (firstPart == kWholeAxis && secondPart == kWholeAxis) {
    bool steering = (first == kLeftFunction && second == kRightFunction) ||
                    (first == kRightFunction && second == kLeftFunction);
    return !steering;
  }
  if (firstPart == kWholeAxis || secondPart == kWholeAxis) return true;
  return firstPart == secondPart;
}

void FindSharedInputs(const int32_t* rows, bool keyRows, bool* shared) {
  for (int p = 0; p < kFunctionCount; ++p) {
    shared[p] = false;
    for (int q = 0; q < kFunctionCount && !shared[p]; ++q) {
      shared[p] = InputsShared(p, rows[p], q, rows[q], keyRows);
    }
  }
}

int32_t CalibratedPercent(int32_t value, const CalibrationPair& pair) {
  int64_t span = static_cast<int64_t>(pair.calibMax) - pair.calibMin;
  if (span == 0) return 0;
  int64_t percent = (static_cast<int64_t>(value) - pair.calibMin) * 100 / span;
  if (percent < 0) return 0;
  if (percent > 100) return 100;
  return static_cast<int32_t>(percent);
}

FunctionValue KeyFunctionValue(int32_t row, const uint8_t* keys) {
  if (row <= 0 || row >= kKeyNameRows) return {false, 0};
  return {false, Down(keys, KeyNameTable[row].code & 0xFF) ? 1 : 0};
}

namespace {

bool SteeringFunction(int function) {
  return function == kLeftFunction || function == kRightFunction;
}

// Whether a steering function on a whole axis takes the positive side.
bool SteersPositive(int function, const CalibrationPair& pair) {
  if (pair.calibMax != pair.calibMin) return pair.calibMax > pair.calibMin;
  return function == kRightFunction;
}

bool ControllerInputPressed(int function, int32_t row, const CalibrationPair& pair,
                            const ControllerReading& reading) {
  if (row >= kFirstButtonRow && row < kJoystickInputRows) {
    return reading.buttons[row - kFirstButtonRow] != 0;
  }
  if (!IsAxisInputRow(row)) return false;
  int32_t value = reading.axes[AxisOfInputRow(row)];
  switch (PartOfInputRow(row)) {
    case kNegativeHalf:
      return value < -kPressThreshold;
    case kPositiveHalf:
      return value > kPressThreshold;
    default:
      if (SteeringFunction(function)) {
        return SteersPositive(function, pair) ? value > kPressThreshold : value < -kPressThreshold;
      }
      return value > kPressThreshold || value < -kPressThreshold;
  }
}

}  // namespace

FunctionValue ControllerFunctionValue(int function, int32_t row, int32_t mode,
                                      const CalibrationPair& pair,
                                      const ControllerReading& reading) {
  bool analog = function >= 0 && function < kAnalogFunctionCount && mode == 1;
  if (analog && !(row >= kFirstButtonRow && row < kJoystickInputRows)) {
    if (!IsAxisInputRow(row)) return {true, 0};
    return {true, CalibratedPercent(reading.axes[AxisOfInputRow(row)], pair)};
  }
  return {false, ControllerInputPressed(function, row, pair, reading) ? 1 : 0};
}

bool TriggersShareAxis(int32_t acceleRow, int32_t brakeRow, uint32_t controllerAxes) {
  if (!IsAxisInputRow(acceleRow) || !IsAxisInputRow(brakeRow)) return false;
  int axis = AxisOfInputRow(acceleRow);
  if (AxisOfInputRow(brakeRow) != axis || (controllerAxes & (1u << axis)) == 0) return false;
  int accelePart = PartOfInputRow(acceleRow);
  int brakePart = PartOfInputRow(brakeRow);
  return accelePart != kWholeAxis && brakePart != kWholeAxis && accelePart != brakePart;
}
