#include "controls/controller_notes.h"

#include "controls/input_tables.h"

namespace {

// Y, then the brake's axes in the order they are looked for: Rz, Z, Slider 1,
// Slider 2, Rx, Ry (JoystickAxisValue's numbers).
constexpr int kYAxis = 1;
constexpr int kBrakeAxes[] = {5, 2, 6, 7, 3, 4};

constexpr int32_t kAxisEnd = 1000;

bool HasAxis(uint32_t axisMask, int axis) { return (axisMask & (1u << axis)) != 0; }

bool RestsAtAnEnd(int32_t value) { return value >= kPedalRestLimit || value <= -kPedalRestLimit; }

// From where the pedal rests to the other end: untouched 0 %, pressed 100 %.
CalibrationPair FromRest(int32_t rest) { return {rest, rest > 0 ? -kAxisEnd : kAxisEnd}; }

}  // namespace

bool ReadingAllZero(const ControllerReading& reading, uint32_t axisMask) {
  for (int k = 0; k < kJoystickAxisCount; ++k) {
    if (HasAxis(axisMask, k) && reading.axes[k] != 0) return false;
  }
  return true;
}

RestingPedals PedalsFromRest(const ControllerReading& reading, uint32_t axisMask,
                             const CalibrationPair& defaultBrake) {
  RestingPedals pedals = {false, 0, 0, {0, 0}, defaultBrake};
  int32_t y = reading.axes[kYAxis];
  if (!HasAxis(axisMask, kYAxis) || !RestsAtAnEnd(y)) return pedals;
  pedals.found = true;
  pedals.acceleRow = AxisInputRow(kYAxis, kWholeAxis);
  pedals.accele = FromRest(y);
  for (int axis : kBrakeAxes) {
    if (!HasAxis(axisMask, axis) || !RestsAtAnEnd(reading.axes[axis])) continue;
    pedals.brakeRow = AxisInputRow(axis, kWholeAxis);
    pedals.brake = FromRest(reading.axes[axis]);
    break;
  }
  return pedals;
}

bool IsSteamVirtualPad(const GUID& product) { return product.Data1 == MAKELONG(0x28DE, 0x11FF); }

bool PathMarksXInputPad(const wchar_t* path) {
  if (path == nullptr) return false;
  for (const wchar_t* at = path; at[0] != L'\0'; ++at) {
    if ((at[0] == L'i' || at[0] == L'I') && (at[1] == L'g' || at[1] == L'G') && at[2] == L'_') {
      return true;
    }
  }
  return false;
}

ControlNote ChooseControlNote(const GUID& product, uint32_t axisMask, bool pedalsAsSet,
                              int32_t acceleRow, int32_t brakeRow) {
  if (IsSteamVirtualPad(product)) return ControlNote::kSteamPad;
  if (pedalsAsSet) return ControlNote::kPedalsFromRest;
  if (TriggersShareAxis(acceleRow, brakeRow, axisMask)) return ControlNote::kTriggersShare;
  return ControlNote::kNone;
}
