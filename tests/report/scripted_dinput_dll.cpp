// A dinput.dll of scripted controllers, for the end-to-end tests of the report
// and of the control settings: the
// utility, started with it beside the exe (and Wine told to take the DLL it
// finds there), loads it as it loads the system's and asks it for DirectInput.
// No controller can be attached here, so the controllers of today come from
// the tests' fake: a force-feedback wheel whose Y and Rz pedals rest at +1000, an XInput pad known by its device
// path and Steam Input's virtual pad.
#include "tests/fakes/fake_dinput.h"

namespace {

void ScriptControllers() {
  ResetFakeDirectInput();
  FakeJoystick& wheel = AddFakeJoystick("Scripted Wheel");
  wheel.devType = DIDEVTYPE_JOYSTICK | (DIDEVTYPEJOYSTICK_WHEEL << 8);
  wheel.capsFlags |= DIDC_FORCEFEEDBACK;
  SetAxes(wheel, {DIJOFS_X, DIJOFS_Y, DIJOFS_RZ, DIJOFS_SLIDER(0)});
  wheel.state.lY = wheel.state.lRz = 1000;  // pedals of their own, released
  wheel.actuators = 1;
  wheel.offersConstantForce = wheel.offersSine = true;
  AddFakeEffect(wheel, GUID_Damper, DIEFT_CONDITION, "Damper");
  FakeJoystick& pad = AddFakeJoystick("Scripted Pad");
  pad.devType = DIDEVTYPE_JOYSTICK | (DIDEVTYPEJOYSTICK_GAMEPAD << 8);
  lstrcpyW(pad.devicePath, L"\\\\?\\hid#vid_045e&pid_028e&ig_00#3&1b2c&0&0000");
  FakeJoystick& steam = AddFakeJoystick("Steam Virtual Gamepad");
  steam.devType = pad.devType;
  steam.guidProduct.Data1 = MAKELONG(0x28DE, 0x11FF);
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI DirectInputCreateEx(HINSTANCE instance,
                                                                    DWORD version, REFIID iid,
                                                                    LPVOID* out,
                                                                    LPUNKNOWN outer) {
  static bool scripted = false;
  if (!scripted) ScriptControllers();
  scripted = true;
  return FakeDirectInputCreateEx(instance, version, iid, out, outer);
}
