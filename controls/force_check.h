// The force-feedback test: one short, moderate force played through the same
// DirectInput the game drives the wheel with, and nothing left running after
// it. A constant force turns the wheel left for a second, then right; a
// controller without one vibrates for a second. The controller is taken
// exclusively for the test alone and given back, on every way out, as the
// control settings had it, its centring spring as it was (on where that could
// not be read). No window layout here: the input test window drives it from
// its timer and shows what it answers.
#ifndef VELMORA_FORCE_CHECK_H
#define VELMORA_FORCE_CHECK_H

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0700
#endif
#include <windows.h>
#include <dinput.h>

// What the controller offers to play.
enum class ForceFeedbackEffect {
  kNone,           // neither a constant force nor a sine, or no force actuator
  kConstantForce,  // left, then right, on the first actuator
  kSine,           // a vibration on every actuator
};

// Where a test stands, or how it ended.
enum class ForceFeedbackEnd {
  kIdle,             // not started
  kPlaying,          // the force plays: call ContinueForceFeedbackTest on each tick
  kPlayedLeftRight,  // the constant force played both ways
  kPlayedVibration,  // the sine played
  kStopped,          // stopped early (Stop, closing, deactivation, pull-out)
  kNoEffect,         // nothing to play; the controller was not taken
  kFailed,           // a step failed: failedStep and code
};

// The steps a failure is named by, in the order they are taken.
enum class ForceFeedbackStep {
  kNone,
  kTaking,    // the exclusive cooperative level, acquiring
  kCreating,  // CreateEffect
  kPlaying,   // Download, Start, the second direction
};

// Half the device's strength, for a second per part; the sine's period, 50 ms.
constexpr LONG kForceFeedbackMagnitude = DI_FFNOMINALMAX / 2;
constexpr DWORD kForceFeedbackPartMilliseconds = 1000;
constexpr DWORD kForceFeedbackSinePeriod = 50 * 1000;  // microseconds
constexpr int kMaxForceActuators = 8;

// One test's state. The device is the manager's; the test never releases it.
struct ForceFeedbackTest {
  IDirectInputDevice7A* device;
  HWND settingsWindow;  // the owner the control settings gave the device
  ForceFeedbackEffect effect;
  DWORD actuators[kMaxForceActuators];  // offsets in c_dfDIJoystick
  int actuatorCount;
  IDirectInputEffect* played;  // ours, until the clean-up releases it
  bool taken;        // unacquired for the test: the clean-up gives it back
  bool exclusive;    // acquired at the exclusive level
  bool springOff;    // the test turned the centring spring off: the clean-up puts it back
  DWORD autoCenter;  // as the test found it, or DIPROPAUTOCENTER_ON where it could not be read
  bool secondPart;   // the constant force turns right
  DWORD partStart;   // ForceFeedbackClock() when the part began
  ForceFeedbackEnd end;
  ForceFeedbackStep failedStep;
  HRESULT code;
};

// The clock the parts are timed by (GetTickCount); tests set their own.
extern DWORD(WINAPI* ForceFeedbackClock)();

// Calls `step` with each force actuator of `device` (an axis whose dwFlags
// carry DIDOI_FFACTUATOR), in DirectInput's order, until it answers
// DIENUM_STOP; returns what EnumObjects answered. The axes are listed by type
// and their flags read: Wine's DirectInput refuses DIDFT_FFACTUATOR as a filter
// (DIERR_INVALIDPARAM), which Windows would filter by.
HRESULT EnumerateForceActuators(IDirectInputDevice7A* device, LPDIENUMDEVICEOBJECTSCALLBACKA step,
                                void* context);

// Starts from nothing and chooses the effect from what `device` lists
// (EnumEffects) and its force actuators. Takes nothing.
ForceFeedbackEffect ChooseForceFeedbackEffect(ForceFeedbackTest& test,
                                              IDirectInputDevice7A* device,
                                              HWND settingsWindow);
// Takes the controller for `testWindow` and starts the first part. kPlaying,
// or how it ended (kNoEffect, kFailed, cleaned up).
ForceFeedbackEnd BeginForceFeedbackTest(ForceFeedbackTest& test, HWND testWindow);
// Plays the next part when the one playing is over; ends, cleaned up, after
// the last.
ForceFeedbackEnd ContinueForceFeedbackTest(ForceFeedbackTest& test);
// Ends a playing test at once (kStopped). `deviceGone`: the controller was
// pulled out, so what needs it is skipped; anything else (a read that failed,
// say) gets the whole clean-up.
void StopForceFeedbackTest(ForceFeedbackTest& test, bool deviceGone);

#endif
