#include "controls/force_check.h"

#include "controls/input_manager.h"

#include <cstring>

DWORD(WINAPI* ForceFeedbackClock)() = GetTickCount;

namespace {

// The level the control settings give every device.
constexpr DWORD kSettingsLevel = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
// Effects play only on a device acquired exclusively; background, so that the
// test window keeps it while the player looks elsewhere for a moment.
constexpr DWORD kTestLevel = DISCL_EXCLUSIVE | DISCL_BACKGROUND;

struct OfferedEffects {
  bool constantForce;
  bool sine;
};

BOOL CALLBACK NoteEffect(LPCDIEFFECTINFOA info, LPVOID context) {
  OfferedEffects& offered = *static_cast<OfferedEffects*>(context);
  if (IsEqualGUID(info->guid, GUID_ConstantForce)) offered.constantForce = true;
  if (IsEqualGUID(info->guid, GUID_Sine)) offered.sine = true;
  return DIENUM_CONTINUE;
}

struct ActuatorStep {
  LPDIENUMDEVICEOBJECTSCALLBACKA step;
  void* context;
};

BOOL CALLBACK PassActuator(LPCDIDEVICEOBJECTINSTANCEA object, LPVOID context) {
  const ActuatorStep& actuator = *static_cast<const ActuatorStep*>(context);
  if ((object->dwFlags & DIDOI_FFACTUATOR) == 0) return DIENUM_CONTINUE;
  return actuator.step(object, actuator.context) == DIENUM_STOP ? DIENUM_STOP : DIENUM_CONTINUE;
}

BOOL CALLBACK NoteActuator(LPCDIDEVICEOBJECTINSTANCEA object, LPVOID context) {
  ForceFeedbackTest& test = *static_cast<ForceFeedbackTest*>(context);
  if (test.actuatorCount >= kMaxForceActuators) return DIENUM_STOP;
  test.actuators[test.actuatorCount++] = object->dwOfs;
  return DIENUM_CONTINUE;
}

// The one way every test ends, whatever ended it, in this order: our effect
// stopped, unloaded and released; every force on the device stopped (that
// needs the exclusive acquisition, so before it is given up); the device
// unacquired, its centring spring as it was, back at the control settings'
// level and owner, and acquired again. A device pulled out gets only what
// needs no device: its effect released (which unloads it) and its object back
// at the settings' level and owner, since Windows reuses that object when the
// controller returns.
void CleanUp(ForceFeedbackTest& test, bool deviceGone) {
  if (test.played != nullptr) {
    if (!deviceGone) {
      test.played->Stop();
      test.played->Unload();
    }
    test.played->Release();
    test.played = nullptr;
  }
  if (!test.taken) return;
  if (!deviceGone && test.exclusive) test.device->SendForceFeedbackCommand(DISFFC_STOPALL);
  test.device->Unacquire();
  test.exclusive = false;
  if (!deviceGone && test.springOff) {
    DIPROPDWORD centre = DeviceDwordProperty(test.autoCenter);
    test.device->SetProperty(DIPROP_AUTOCENTER, &centre.diph);
  }
  test.device->SetCooperativeLevel(test.settingsWindow, kSettingsLevel);
  if (!deviceGone) test.device->Acquire();
  test.taken = false;
}

ForceFeedbackEnd Fail(ForceFeedbackTest& test, ForceFeedbackStep step, HRESULT code) {
  CleanUp(test, false);
  test.end = ForceFeedbackEnd::kFailed;
  test.failedStep = step;
  test.code = code;
  return test.end;
}

// Unacquired, the centring spring noted and turned off (it would fight a
// half-strength force), the exclusive level with the test window as owner,
// acquired again. Wine's HID DirectInput may refuse reading the spring yet
// accept setting it: it is turned off all the same, and afterwards put back
// on, DirectInput's default.
HRESULT TakeDevice(ForceFeedbackTest& test, HWND testWindow) {
  test.taken = true;
  test.device->Unacquire();
  DIPROPDWORD centre = DeviceDwordProperty(DIPROPAUTOCENTER_ON);
  HRESULT read = test.device->GetProperty(DIPROP_AUTOCENTER, &centre.diph);
  test.autoCenter = SUCCEEDED(read) ? centre.dwData : static_cast<DWORD>(DIPROPAUTOCENTER_ON);
  DIPROPDWORD off = DeviceDwordProperty(DIPROPAUTOCENTER_OFF);
  // A wheel without a spring may refuse: there is nothing to turn off or back on.
  test.springOff = SUCCEEDED(test.device->SetProperty(DIPROP_AUTOCENTER, &off.diph));
  HRESULT result = test.device->SetCooperativeLevel(testWindow, kTestLevel);
  if (FAILED(result)) return result;
  result = test.device->Acquire();
  if (FAILED(result)) return result;
  test.exclusive = true;
  return DI_OK;
}

// The effect's parameters: half strength for one part, on the first actuator
// for the constant force (from +X, so a positive magnitude pushes the wheel
// left), on every actuator for the sine.
struct EffectParameters {
  DIEFFECT effect;
  LONG directions[kMaxForceActuators];
  DICONSTANTFORCE constant;
  DIPERIODIC periodic;
};

void FillParameters(const ForceFeedbackTest& test, EffectParameters& p) {
  std::memset(&p, 0, sizeof p);
  bool sine = test.effect == ForceFeedbackEffect::kSine;
  DWORD axes = sine ? static_cast<DWORD>(test.actuatorCount) : 1;
  for (DWORD a = 0; a < axes; ++a) p.directions[a] = 1;
  p.constant.lMagnitude = kForceFeedbackMagnitude;
  p.periodic.dwMagnitude = kForceFeedbackMagnitude;
  p.periodic.dwPeriod = kForceFeedbackSinePeriod;
  DIEFFECT& e = p.effect;
  e.dwSize = sizeof(DIEFFECT);
  e.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
  e.dwDuration = kForceFeedbackPartMilliseconds * (DI_SECONDS / 1000);
  e.dwGain = DI_FFNOMINALMAX;
  e.dwTriggerButton = DIEB_NOTRIGGER;
  e.cAxes = axes;
  e.rgdwAxes = const_cast<DWORD*>(test.actuators);
  e.rglDirection = p.directions;
  if (sine) {
    e.cbTypeSpecificParams = sizeof(DIPERIODIC);
    e.lpvTypeSpecificParams = &p.periodic;
  } else {
    e.cbTypeSpecificParams = sizeof(DICONSTANTFORCE);
    e.lpvTypeSpecificParams = &p.constant;
  }
}

}  // namespace

HRESULT EnumerateForceActuators(IDirectInputDevice7A* device, LPDIENUMDEVICEOBJECTSCALLBACKA step,
                                void* context) {
  ActuatorStep actuator = {step, context};
  return device->EnumObjects(PassActuator, &actuator, DIDFT_AXIS);
}

ForceFeedbackEffect ChooseForceFeedbackEffect(ForceFeedbackTest& test,
                                              IDirectInputDevice7A* device,
                                              HWND settingsWindow) {
  std::memset(&test, 0, sizeof test);
  test.device = device;
  test.settingsWindow = settingsWindow;
  test.effect = ForceFeedbackEffect::kNone;
  if (device == nullptr) return test.effect;
  OfferedEffects offered = {false, false};
  if (FAILED(device->EnumEffects(NoteEffect, &offered, DIEFT_ALL))) return test.effect;
  if (FAILED(EnumerateForceActuators(device, NoteActuator, &test)) || test.actuatorCount == 0) {
    return test.effect;
  }
  if (offered.constantForce) {
    test.effect = ForceFeedbackEffect::kConstantForce;
  } else if (offered.sine) {
    test.effect = ForceFeedbackEffect::kSine;
  }
  return test.effect;
}

ForceFeedbackEnd BeginForceFeedbackTest(ForceFeedbackTest& test, HWND testWindow) {
  if (test.effect == ForceFeedbackEffect::kNone) {
    test.end = ForceFeedbackEnd::kNoEffect;
    return test.end;
  }
  HRESULT result = TakeDevice(test, testWindow);
  if (FAILED(result)) return Fail(test, ForceFeedbackStep::kTaking, result);
  EffectParameters parameters;
  FillParameters(test, parameters);
  const GUID& guid = test.effect == ForceFeedbackEffect::kSine ? GUID_Sine : GUID_ConstantForce;
  IDirectInputEffect* effect = nullptr;
  result = test.device->CreateEffect(guid, &parameters.effect, &effect, nullptr);
  if (SUCCEEDED(result) && effect == nullptr) result = E_POINTER;
  if (FAILED(result)) return Fail(test, ForceFeedbackStep::kCreating, result);
  test.played = effect;
  result = effect->Download();
  if (SUCCEEDED(result)) result = effect->Start(1, 0);
  if (FAILED(result)) return Fail(test, ForceFeedbackStep::kPlaying, result);
  test.partStart = ForceFeedbackClock();
  test.end = ForceFeedbackEnd::kPlaying;
  return test.end;
}

ForceFeedbackEnd ContinueForceFeedbackTest(ForceFeedbackTest& test) {
  if (test.end != ForceFeedbackEnd::kPlaying) return test.end;
  DWORD now = ForceFeedbackClock();
  if (now - test.partStart < kForceFeedbackPartMilliseconds) return test.end;
  if (test.effect == ForceFeedbackEffect::kConstantForce && !test.secondPart) {
    // The same direction with the magnitude turned round: a wheel whose driver
    // ignores the direction of a one-axis force still turns the other way.
    EffectParameters parameters;
    FillParameters(test, parameters);
    parameters.constant.lMagnitude = -kForceFeedbackMagnitude;
    HRESULT result =
        test.played->SetParameters(&parameters.effect, DIEP_TYPESPECIFICPARAMS | DIEP_START);
    if (FAILED(result)) return Fail(test, ForceFeedbackStep::kPlaying, result);
    test.secondPart = true;
    test.partStart = now;
    return test.end;
  }
  CleanUp(test, false);
  test.end = test.effect == ForceFeedbackEffect::kSine ? ForceFeedbackEnd::kPlayedVibration
                                                       : ForceFeedbackEnd::kPlayedLeftRight;
  return test.end;
}

void StopForceFeedbackTest(ForceFeedbackTest& test, bool deviceGone) {
  if (test.end != ForceFeedbackEnd::kPlaying) return;
  CleanUp(test, deviceGone);
  test.end = ForceFeedbackEnd::kStopped;
}
