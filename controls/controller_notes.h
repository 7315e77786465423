// What the control settings say about today's controllers, free of windows:
// the pedals a wheel's preset finds from where they rest, Steam Input's
// virtual pad, an XInput pad as DirectInput shows it, and which note of the
// control settings applies.
#ifndef VELMORA_CONTROLLER_NOTES_H
#define VELMORA_CONTROLLER_NOTES_H

#include <windows.h>

#include <cstdint>

#include "controls/input_rules.h"

// An axis of the controller's own (other than X) that rests this close to an
// end of -1000..1000 or closer is a pedal of its own.
constexpr int32_t kPedalRestLimit = 900;
// A controller that has not reported yet reads all zero; the preset waits up
// to this many such reads for a real one before it decides from what it has.
constexpr int kPedalLookReads = 30;

// The accelerator and the brake the steering preset takes from a reading.
struct RestingPedals {
  bool found;              // Y rests at an end: the rows below replace the preset's
  int32_t acceleRow;       // the whole of Y
  int32_t brakeRow;        // the whole of the first other pedal, or 0
  CalibrationPair accele;  // from the rest reading to the opposite end
  CalibrationPair brake;   // likewise; the preset's own pair when there is none
};

// Whether `reading` is all zero on the controller's axes (`axisMask`, as
// JoystickRecord::axisMask): nothing reported yet.
bool ReadingAllZero(const ControllerReading& reading, uint32_t axisMask);
// The pedals of a controller that rests as `reading` with axes `axisMask`. If
// Y rests at an end, the accelerator takes the whole Y axis and the brake the
// whole of the first other resting axis in the order Rz, Z, Slider 1, Slider 2,
// Rx, Ry; `defaultBrake` is the brake's pair when none rests.
RestingPedals PedalsFromRest(const ControllerReading& reading, uint32_t axisMask,
                             const CalibrationPair& defaultBrake);

// Steam Input's virtual pad: USB vendor 0x28DE, product 0x11FF, as the first
// DWORD of DirectInput's product GUID carries them.
bool IsSteamVirtualPad(const GUID& product);
// Whether a device path (DIPROP_GUIDANDPATH) carries "IG_", in any case: an
// XInput pad seen through DirectInput.
bool PathMarksXInputPad(const wchar_t* path);

enum class ControlNote {
  kNone,
  kSteamPad,        // Steam Input shows its virtual pad in place of the controller
  kPedalsFromRest,  // the preset set the pedals from where they rest
  kTriggersShare,   // the accelerator and the brake are the two halves of one axis
};

// The first note that applies to a controller (the keyboard has none) with
// product `product` and axes `axisMask`, whose accelerator and brake are on
// `acceleRow` and `brakeRow`; `pedalsAsSet` when the preset set them from
// where they rest and they are still as it set them.
ControlNote ChooseControlNote(const GUID& product, uint32_t axisMask, bool pedalsAsSet,
                              int32_t acceleRow, int32_t brakeRow);

#endif
