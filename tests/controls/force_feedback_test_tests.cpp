// The force-feedback test over the scripted DirectInput: every way it ends,
// each checked on the fake device itself: no effect of ours left on it, its
// level and owner as the control settings gave them, its centring spring as
// it was, acquired again (except after a pull-out).
#include <gtest/gtest.h>

#include <windows.h>

#include "controls/force_feedback_test.h"
#include "controls/input_manager.h"
#include "tests/controls/control_dialog_support.h"

namespace {

DWORD fakeNow = 0;
DWORD WINAPI FakeClock() { return fakeNow; }

BOOL CALLBACK CountEffect(LPDIRECTINPUTEFFECT, LPVOID count) {
  ++*static_cast<int*>(count);
  return DIENUM_CONTINUE;
}

// What happens during the first part.
enum class During { kNothing, kStop, kPullOut };

struct Ending {
  const char* name;
  bool constantForce, sine;
  int actuators;
  FakeEffectStep failing;  // kFakeEffectStepCount: none
  During during;
  ForceFeedbackEnd end;
  ForceFeedbackStep step;
};

constexpr FakeEffectStep kNoFailure = kFakeEffectStepCount;
constexpr HRESULT kRefused = static_cast<HRESULT>(0x80040250);

TEST(ForceFeedbackTest, EveryEndingLeavesTheDeviceAsTheSettingsHadIt) {
  using E = ForceFeedbackEnd;
  using S = ForceFeedbackStep;
  const Ending endings[] = {
      {"wheel", true, true, 2, kNoFailure, During::kNothing, E::kPlayedLeftRight, S::kNone},
      {"pad", false, true, 2, kNoFailure, During::kNothing, E::kPlayedVibration, S::kNone},
      {"none", false, false, 2, kNoFailure, During::kNothing, E::kNoEffect, S::kNone},
      {"no actuator", true, true, 0, kNoFailure, During::kNothing, E::kNoEffect, S::kNone},
      {"level", true, false, 1, kFakeExclusiveLevel, During::kNothing, E::kFailed, S::kTaking},
      {"acquire", true, false, 1, kFakeExclusiveAcquire, During::kNothing, E::kFailed, S::kTaking},
      {"create", true, false, 1, kFakeCreateEffect, During::kNothing, E::kFailed, S::kCreating},
      {"download", true, false, 1, kFakeEffectDownload, During::kNothing, E::kFailed, S::kPlaying},
      {"start", false, true, 1, kFakeEffectStart, During::kNothing, E::kFailed, S::kPlaying},
      {"right", true, false, 1, kFakeEffectSetParameters, During::kNothing, E::kFailed, S::kPlaying},
      {"stop", true, false, 1, kNoFailure, During::kStop, E::kStopped, S::kNone},
      {"pull-out", true, false, 1, kNoFailure, During::kPullOut, E::kStopped, S::kNone},
  };
  const HWND settings = reinterpret_cast<HWND>(0x5e77), window = reinterpret_cast<HWND>(0x7e57);
  ForceFeedbackClock = FakeClock;
  for (const Ending& row : endings) {
    SCOPED_TRACE(row.name);
    FakeDirectInputScope fake;
    FakeJoystick& wheel = AddWheel("Velmora Wheel");
    wheel.offersConstantForce = row.constantForce;
    wheel.offersSine = row.sine;
    wheel.actuators = row.actuators;
    if (row.failing != kNoFailure) wheel.effectFail[row.failing] = kRefused;
    InputManager manager;
    ASSERT_TRUE(manager.Initialize(GetModuleHandleW(nullptr), settings));
    manager.currentJoystick = 0;
    ASSERT_TRUE(manager.PollDevices());
    IDirectInputDevice7A* device = manager.joystickDevices[0];

    ForceFeedbackTest test;
    ChooseForceFeedbackEffect(test, device, settings);
    ForceFeedbackEnd end = BeginForceFeedbackTest(test, window);
    if (end == E::kPlaying) {
      EXPECT_EQ(static_cast<DWORD>(DIPROPAUTOCENTER_OFF), wheel.autoCenter);
      EXPECT_EQ(window, wheel.cooperativeWindow);
      EXPECT_EQ(static_cast<DWORD>(DISCL_EXCLUSIVE | DISCL_BACKGROUND), wheel.cooperativeFlags);
    }
    if (row.during == During::kStop) StopForceFeedbackTest(test, false);
    if (row.during == During::kPullOut) {
      UnplugFakeJoystick(wheel);
      StopForceFeedbackTest(test, true);
    }
    for (int tick = 0; tick < 200 && test.end == E::kPlaying; ++tick) {
      fakeNow += 16;
      ContinueForceFeedbackTest(test);
    }
    EXPECT_EQ(row.end, test.end);
    EXPECT_EQ(row.step, test.failedStep);
    if (row.end == E::kFailed) {
      EXPECT_EQ(kRefused, test.code);
    }

    // What played: left, then right, on X; or the sine on every actuator.
    int plays = row.end == E::kPlayedLeftRight ? 2 : row.end == E::kPlayedVibration ? 1 : 0;
    if (row.end == E::kStopped || (row.end == E::kFailed && row.failing == kFakeEffectSetParameters)) plays = 1;
    ASSERT_EQ(plays, wheel.playCount);
    for (int p = 0; p < plays; ++p) {
      const FakeEffectPlay& play = wheel.plays[p];
      EXPECT_EQ(row.end == E::kPlayedVibration, play.sine);
      EXPECT_EQ(play.sine ? 0 : p == 0 ? -1 : 1, play.pushesX) << p;
      EXPECT_EQ(5000, play.magnitude < 0 ? -play.magnitude : play.magnitude);
      EXPECT_EQ(static_cast<DWORD>(play.sine ? row.actuators : 1), play.axes);
      EXPECT_EQ(static_cast<DWORD>(DIJOFS_X), play.firstAxis);
      EXPECT_EQ(play.sine ? 50000u : 0u, play.period);
      EXPECT_EQ(1000000u, play.duration);
    }

    // The clean end, on the device itself.
    bool taken = row.end != E::kNoEffect, gone = row.during == During::kPullOut;
    bool exclusive = taken && !gone && row.step != S::kTaking;
    int effects = 0;
    EXPECT_EQ(DI_OK, device->EnumCreatedEffectObjects(CountEffect, &effects, 0));
    EXPECT_EQ(0, effects);
    EXPECT_EQ(wheel.effectsCreated, wheel.effectsReleased);
    EXPECT_EQ(wheel.effectsCreated == 1 && !gone ? 1 : 0, wheel.stops);
    EXPECT_EQ(wheel.stops, wheel.unloads);
    EXPECT_EQ(settings, wheel.cooperativeWindow);
    EXPECT_EQ(static_cast<DWORD>(DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), wheel.cooperativeFlags);
    // A controller pulled out comes back with its own spring.
    EXPECT_EQ(static_cast<DWORD>(gone ? DIPROPAUTOCENTER_OFF : DIPROPAUTOCENTER_ON), wheel.autoCenter);
    EXPECT_EQ(!taken ? 0 : gone ? 1 : 2, wheel.autoCenterSets);
    EXPECT_EQ(exclusive ? 1 : 0, wheel.stopAllCommands);
    EXPECT_EQ(!gone, wheel.acquired);
    EXPECT_EQ(0, wheel.callsWhileUnplugged);
    manager.Shutdown();
    EXPECT_EQ(0, FakeLiveObjects());
  }
}

}  // namespace
