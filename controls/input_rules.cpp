#include "controls/input_rules.h"

#include <cstring>

namespace {

// DirectInput key codes (DIK_*) the rules single out.
constexpr int kEscapeCode = 1;
constexpr int kTabCode = 15;
constexpr int kReturnCode = 28;
constexpr int kF4Code = 62;
constexpr int kNumpadEnterCode = 156;
constexpr int kLeftAltCode = 56;    // LMENU
constexpr int kRightAltCode = 184;  // RMENU

// LSHIFT, RSHIFT, LCONTROL, RCONTROL, LMENU, RMENU, LWIN, RWIN.
constexpr int kModifierKeys[kModifierKeyCount] = {42, 54, 29, 157, 56, 184, 219, 220};

// Rows 1 to 24 of JoystickInputTable are the axes, three rows each.
constexpr int32_t kLastAxisRow = 3 * kJoystickAxisCount;

bool Down(const uint8_t* keys, int code) { return (keys[code] & 0x80) != 0; }

int ModifierIndex(int code) {
  for (int m = 0; m < kModifierKeyCount; ++m) {
    if (kModifierKeys[m] == code) return m;
  }
  return -1;
}

// Keys that keep their meaning in the dialog (Tab, Enter, Escape) or in the
// list (F4 opens it): pressing them binds nothing.
bool KeepsItsMeaning(int code) {
  return code == kEscapeCode || code == kTabCode || code == kReturnCode || code == kF4Code ||
         code == kNumpadEnterCode;
}

// The lower of two candidate rows, 0 being none.
int32_t Lower(int32_t best, int32_t row) {
  if (row == 0) return best;
  return best == 0 || row < best ? row : best;
}

}  // namespace

int32_t KeyRowOfCode(int code) {
  if (code <= 0) return 0;
  for (int32_t row = 1; row < kKeyNameRows; ++row) {
    if (KeyNameTable[row].code == code) return row;
  }
  return 0;
}

void StartKeyWatch(KeyWatch& watch, const uint8_t* keys) {
  std::memcpy(watch.previous, keys, kKeyCodeCount);
  watch.armedModifiers = 0;
}

bool KeysChanged(const KeyWatch& watch, const uint8_t* keys) {
  return std::memcmp(watch.previous, keys, kKeyCodeCount) != 0;
}

int32_t WatchKeys(KeyWatch& watch, const uint8_t* keys) {
  const uint8_t* before = watch.previous;
  bool altDown = Down(keys, kLeftAltCode) || Down(keys, kRightAltCode);
  // The modifiers down before this look or now: a press in this look spoils
  // every one of them but itself, so Shift+Tab never binds Shift.
  uint8_t held = 0;
  for (int m = 0; m < kModifierKeyCount; ++m) {
    if (Down(before, kModifierKeys[m]) || Down(keys, kModifierKeys[m])) held |= 1u << m;
  }
  uint8_t pressed = 0;
  uint8_t spoilt = 0;
  int32_t bound = 0;
  for (int code = 1; code < kKeyCodeCount; ++code) {
    if (Down(keys, code) == Down(before, code) || !Down(keys, code)) continue;
    int m = ModifierIndex(code);
    spoilt |= held & static_cast<uint8_t>(m >= 0 ? ~(1u << m) : 0xFF);
    if (m >= 0) {
      // Pressed while Alt is down, it is part of an Alt combination.
      if (altDown && code != kLeftAltCode && code != kRightAltCode) spoilt |= 1u << m;
      pressed |= 1u << m;
    } else if (!altDown && !KeepsItsMeaning(code)) {
      bound = Lower(bound, KeyRowOfCode(code));
    }
  }
  uint8_t armed = static_cast<uint8_t>((watch.armedModifiers | pressed) & ~spoilt);
  for (int m = 0; m < kModifierKeyCount; ++m) {
    int code = kModifierKeys[m];
    if (!Down(before, code) || Down(keys, code)) continue;
    // Released: it binds if nothing went down while it was.
    if ((armed & (1u << m)) != 0) bound = Lower(bound, KeyRowOfCode(code));
    armed &= static_cast<uint8_t>(~(1u << m));
  }
  watch.armedModifiers = armed;
  std::memcpy(watch.previous, keys, kKeyCodeCount);
  return bound;
}

bool InputsShared(int first, int32_t firstRow, int second, int32_t secondRow, bool keyRows) {
  if (first == second) return false;
  int32_t rows = keyRows ? kKeyNameRows : kJoystickInputRows;
  if (firstRow <= 0 || secondRow <= 0 || firstRow >= rows || secondRow >= rows) return false;
  if (keyRows || firstRow > kLastAxisRow || secondRow > kLastAxisRow) return firstRow == secondRow;
  if ((firstRow - 1) / 3 != (secondRow - 1) / 3) return false;
  // Within one axis: 0 its negative half, 1 its positive half, 2 the whole.
  int firstPart = (firstRow - 1) % 3;
  int secondPart = (secondRow - 1) % 3;
  if (firstPart == 2 && secondPart == 2) {
    bool steering = (first == kLeftFunction && second == kRightFunction) ||
                    (first == kRightFunction && second == kLeftFunction);
    return !steering;
  }
  if (firstPart == 2 || secondPart == 2) return true;
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
