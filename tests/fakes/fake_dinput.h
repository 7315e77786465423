// A scripted DirectInput 7 for tests: fake IDirectInput7A and
// IDirectInputDevice7A objects behind InputPlatform.createEx, so InputManager
// keeps its real calls and a test decides what the "hardware" answers.
//
// How to script it (one test):
//
//   FakeDirectInputScope fake;             // resets the fake, installs it into
//                                          // InputPlatform, restores it at scope end
//   FakeJoystick& wheel = AddFakeJoystick("Wheel");   // attached controller,
//   wheel.devType = DIDEVTYPE_JOYSTICK | (DIDEVTYPEJOYSTICK_WHEEL << 8);
//   wheel.buttons = 12;                    // axes lX lY lZ by default (SetAxes)
//   wheel.capsFlags |= DIDC_FORCEFEEDBACK;
//   InputManager manager;
//   manager.Initialize(GetModuleHandle(nullptr), window);
//   manager.currentJoystick = 0;
//   wheel.state.lX = 900;                  // the live state; change it any time
//   wheel.state.rgbButtons[3] = 0x80;
//   manager.PollDevices();                 // copies wheel.state
//
// Joystick j (0-based, in the order added) is enumerated in that order; only
// the ones with `attached` set are enumerated under DIEDFL_ATTACHEDONLY.
// FakeKeyboard() is the system keyboard (GUID_SysKeyboard): `keys` is its
// state. Its event buffer (DIPROP_BUFFERSIZE, GetDeviceData) keeps, while it
// is acquired, what QueueFakeKeyEvent and SetFakeKeys press and release:
//   QueueFakeKeyEvent(DIK_LCONTROL, true, 500);   // one event, its time stamp
//   QueueFakeKeyEvent(DIK_LCONTROL, true); // stamped now (GetTickCount), as
//                                         // DirectInput stamps a key it takes
//   SetFakeKeys({DIK_A});                 // A alone down: the presses, then the
//                                         // releases, in code order, in one
//                                         // moment (one stamp, now or later)
//   FakeKeyboard().releaseAfterRead = DIK_A;  // A let go just after the next
//                                         // good state read (between two calls)
//   FakeKeyboard().bufferResult = E_FAIL; // the buffer refused: no events
// Failures:
//   FakeDirectInput().createResult = E_FAIL;       DirectInputCreateEx fails
//   FakeKeyboard().fail[kFakeSetDataFormat] = E_FAIL;   any set-up step fails
//   wheel.fail[kFakeCreateDevice .. kFakeEnumObjects] = ...;
//   wheel.refuseRangeAxis = 1;             // SetProperty(DIPROP_RANGE) fails for
//                                          // the second axis (refuseRangeResult)
//   ScriptReads(wheel, {DIERR_INPUTLOST}); // next reads answer these, in turn,
//   wheel.readAfterScript = DIERR_INPUTLOST;  // then this one for ever (DI_OK by default)
// A failed read scribbles 0x5A over the caller's buffer, as a careless driver
// might, so a caller that reads straight into its state is caught.
// Plugging in and pulling out, between two enumerations:
//   AddFakeJoystick("New");                // a controller that arrives
//   UnplugFakeJoystick(wheel);             // not listed any more; the next read of
//                                          // an acquired object answers
//                                          // DIERR_INPUTLOST, Acquire DIERR_UNPLUGGED
//   PlugFakeJoystick(wheel);               // back: its objects work again
//   PlugFakeJoystick(wheel, false);        // back, but its old objects stay dead
//                                          // (Acquire DIERR_UNPLUGGED); a new one works
//   ReplugFakeJoystickAsNew(wheel);        // back as under Wine: a new guidInstance
//                                          // (same guidProduct and name), old objects dead
// Force feedback: wheel.offersConstantForce, offersSine (EnumEffects lists
// them), actuators = N (its first N axes), effectFail[kFakeEffectDownload] = ...
// Effects play only while acquired at an exclusive level, and the level and
// DIPROP_AUTOCENTER change only while not acquired, as in DirectInput.
// wheel.autoCenterRead = DIERR_UNSUPPORTED: reading the spring is refused, as
// Wine's HID DirectInput may. EnumObjects refuses any filter but the object
// types (DIDFT_FFACTUATOR included), as Wine does; its axes carry
// DIDOI_FFACTUATOR. GetDeviceStatus answers as Wine: DI_OK or DI_NOTATTACHED.
// Today's controllers: wheel.devicePath (what DIPROP_GUIDANDPATH answers, a
// wide path on the ANSI interface too; DirectInput's size, header size and
// DIPH_DEVICE are required, as Wine checks them), wheel.pathResult = ... to
// refuse it; AddFakeEffect(wheel, GUID_Spring, DIEFT_CONDITION, "Spring") lists
// one more effect after the constant force and the sine (each listed with the
// driver's name); wheel.enumEffectsResult = ... refuses EnumEffects.
// Two controllers of one model: b.guidProduct = a.guidProduct, and one name.
// A GUID given again: pad.guidInstance = wheel.guidInstance (CreateDeviceEx
// opens the one of them added last).
//
// What it records: per device counters (acquire, poll, unacquire, reads,
// ranges set per axis, data format and cooperative level given), every Release
// in ReleaseLog() in call order, over-releases (a Release of an object whose
// count is already 0) in FakeOverReleases(), calls on such an object in
// FakeUseAfterRelease(). A read before Acquire answers DIERR_NOTACQUIRED, and
// DIERR_INPUTLOST unacquires the device, as DirectInput does. FakeLiveObjects() counts
// objects still referenced. Objects are never freed before the next reset, so
// a stray Release after the last one is counted, never a crash.
#ifndef VELMORA_TESTS_FAKE_DINPUT_H
#define VELMORA_TESTS_FAKE_DINPUT_H

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0700
#endif
#include <windows.h>
#include <dinput.h>

#include <initializer_list>

#include "controls/input_manager.h"

constexpr int kFakeMaxJoysticks = 40;
constexpr int kFakeMaxAxes = 8;
constexpr int kFakeMaxReads = 16;
constexpr int kFakeMaxKeyEvents = kKeyEventBufferSize;

// The set-up steps a test can make fail, for the keyboard and for controllers.
enum FakeStep {
  kFakeCreateDevice,
  kFakeSetDataFormat,
  kFakeSetCooperativeLevel,
  kFakeGetCapabilities,
  kFakeEnumObjects,
  kFakeStepCount
};

// The force-feedback steps a test can make fail; the first two at an exclusive level.
enum FakeEffectStep {
  kFakeExclusiveLevel, kFakeExclusiveAcquire, kFakeCreateEffect, kFakeEffectDownload,
  kFakeEffectStart, kFakeEffectSetParameters, kFakeEffectStepCount
};

constexpr int kFakeMaxPlays = 8;
constexpr int kFakeMaxOtherEffects = 4;

// One start of an effect (Start, or SetParameters with DIEP_START).
struct FakeEffectPlay {
  bool sine;        // GUID_Sine, else GUID_ConstantForce
  DWORD axes;       // cAxes
  DWORD firstAxis;  // rgdwAxes[0]
  LONG magnitude;   // lMagnitude, or the sine's dwMagnitude
  int pushesX;      // -1 toward -X, +1 toward +X: a force comes from its direction
  DWORD period;     // the sine's, microseconds
  DWORD duration;   // microseconds
  DWORD gain;       // dwGain, 0 to DI_FFNOMINALMAX
  DWORD triggerButton;  // dwTriggerButton: a button's offset, or DIEB_NOTRIGGER
};

// What the device puts out of one play, by DirectInput's rules: the magnitude
// scaled by the effect's gain, and nothing while the effect waits for its
// trigger button (it plays only while that button is held, not on a start).
inline LONG FeltMagnitude(const FakeEffectPlay& play) {
  if (play.triggerButton != DIEB_NOTRIGGER) return 0;
  return static_cast<LONG>(static_cast<LONGLONG>(play.magnitude) * play.gain / DI_FFNOMINALMAX);
}

// One scripted device (the keyboard or a controller) and what was done to it.
// Counters add up over every object created for the device.
struct FakeDevice {
  // --- script ---
  char name[MAX_PATH];         // tszInstanceName
  GUID guidInstance;
  GUID guidProduct;            // unique per controller unless a test makes it shared
  bool attached;               // enumerated under DIEDFL_ATTACHEDONLY
  DWORD capsFlags;             // DIDEVCAPS dwFlags (DIDC_ATTACHED by default)
  DWORD devType;               // DIDEVCAPS dwDevType: type | subtype << 8
  DWORD buttons;               // DIDEVCAPS dwButtons
  DWORD povs;                  // DIDEVCAPS dwPOVs
  DWORD axisOffsets[kFakeMaxAxes];  // dwOfs of each axis EnumObjects reports
  int axisCount;
  HRESULT fail[kFakeStepCount];     // DI_OK, or what that step answers
  int refuseRangeAxis;              // index into axisOffsets, -1: none refused
  HRESULT refuseRangeResult;
  DIJOYSTATE state;                 // what a good controller read delivers
  BYTE keys[256];                   // what a good keyboard read delivers
  HRESULT bufferResult;             // what DIPROP_BUFFERSIZE answers (DI_OK)
  int releaseAfterRead;             // a key let go just after the next good read, 0: none
  HRESULT reads[kFakeMaxReads];     // answers of the next reads, in turn
  int readCount;
  int readNext;
  HRESULT readAfterScript;          // answer once the script is used up
  bool unplugged;                   // pulled out (UnplugFakeJoystick)
  int objectGeneration;             // objects made before it changed are dead

  // --- observed ---
  int createCalls;                  // CreateDeviceEx calls for this device
  int objectsCreated;
  const DIDATAFORMAT* dataFormat;
  HWND cooperativeWindow;
  DWORD cooperativeFlags;
  DWORD capsSizeSeen;
  DWORD enumObjectsFlags;
  int rangeCalls;                   // SetProperty calls (good or refused)
  bool rangeSet[kFakeMaxAxes];
  LONG rangeMin[kFakeMaxAxes];
  LONG rangeMax[kFakeMaxAxes];
  int acquireCalls;
  int pollCalls;
  int unacquireCalls;
  int readCalls;                    // GetDeviceState calls
  bool acquired;
  DWORD bufferSize;                 // DIPROP_BUFFERSIZE as set, 0: none
  int dataReads;                    // GetDeviceData calls
  DIDEVICEOBJECTDATA keyEvents[kFakeMaxKeyEvents];  // kept, oldest first
  int keyEventCount;
  // --- force feedback: script, then observed ---
  bool offersConstantForce, offersSine;
  int actuators;                    // axes 0..actuators-1 are force actuators
  HRESULT effectFail[kFakeEffectStepCount];
  DWORD autoCenter;                 // DIPROP_AUTOCENTER now (DIPROPAUTOCENTER_ON)
  HRESULT autoCenterRead;           // what reading it answers (DI_OK), as Wine may refuse
  int autoCenterSets, effectsCreated, effectsReleased, downloads, stops, unloads;
  int stopAllCommands;              // DISFFC_STOPALL accepted
  int callsWhileUnplugged;          // effect calls and commands that needed it
  FakeEffectPlay plays[kFakeMaxPlays];
  int playCount;
  // --- today's controllers: script ---
  wchar_t devicePath[MAX_PATH];     // DIPROP_GUIDANDPATH's wszPath
  HRESULT pathResult;               // what reading it answers (DI_OK)
  HRESULT enumEffectsResult;        // what EnumEffects answers (DI_OK)
  DIEFFECTINFOA otherEffects[kFakeMaxOtherEffects];  // listed after the two above
  int otherEffectCount;
};
typedef FakeDevice FakeJoystick;

// The fake DirectInput object's script and record.
struct FakeInput {
  HRESULT createResult;    // DirectInputCreateEx answers this (DI_OK)
  int createCalls;
  HINSTANCE instance;
  DWORD version;
  bool iidWasDirectInput7A;
  int enumCalls;
  DWORD enumDevType;
  DWORD enumFlags;
  int enumCallbacks;       // callbacks made in all enumerations
  int enumStops;           // callbacks answered DIENUM_STOP
};

enum FakeObjectKind { kFakeObjectDirectInput, kFakeObjectKeyboard, kFakeObjectJoystick, kFakeObjectEffect };

struct FakeReleaseEntry {
  FakeObjectKind kind;
  int joystick;   // index of the scripted controller, -1 otherwise
  int serial;     // 1, 2, ... in order of creation over all objects
  ULONG refsAfter;
};

// Clears every script and record: no controllers, a working keyboard.
void ResetFakeDirectInput();
// DirectInputCreateEx's signature, for InputPlatform.createEx.
HRESULT WINAPI FakeDirectInputCreateEx(HINSTANCE instance, DWORD version, REFIID iid,
                                       LPVOID* out, LPUNKNOWN outer);

FakeInput& FakeDirectInput();
FakeDevice& FakeKeyboard();
// Adds a controller: attached, joystick type (subtype 1), 8 buttons, axes
// lX lY lZ, reads DI_OK. Its GUID is unique to it.
FakeJoystick& AddFakeJoystick(const char* name);
FakeJoystick& FakeJoystickAt(int index);
int FakeJoystickCount();
// Axis offsets within DIJOYSTATE (0, 4, ... 28 for the eight axes).
void SetAxes(FakeDevice& device, std::initializer_list<DWORD> offsets);
void ScriptReads(FakeDevice& device, std::initializer_list<HRESULT> results);
void QueueFakeKeyEvent(int code, bool down, DWORD time);
void QueueFakeKeyEvent(int code, bool down);
void SetFakeKeys(const int* down, int count);
inline void SetFakeKeys(std::initializer_list<int> down) {
  SetFakeKeys(down.begin(), static_cast<int>(down.size()));
}
void AddFakeEffect(FakeDevice& device, const GUID& guid, DWORD type, const char* name);
void UnplugFakeJoystick(FakeJoystick& joystick);
void PlugFakeJoystick(FakeJoystick& joystick, bool objectsSurvive = true);
void ReplugFakeJoystickAsNew(FakeJoystick& joystick);

const FakeReleaseEntry* ReleaseLog();
int ReleaseLogLength();
int FakeOverReleases();
// Calls (other than Release) made on an object whose count had reached 0.
int FakeUseAfterRelease();
int FakeLiveObjects();
// Objects created so far (DirectInput and devices), in creation order.
int FakeObjectsCreated();

// Resets the fake and installs it into InputPlatform for one scope.
class FakeDirectInputScope {
 public:
  FakeDirectInputScope();
  ~FakeDirectInputScope();
  FakeDirectInputScope(const FakeDirectInputScope&) = delete;
  FakeDirectInputScope& operator=(const FakeDirectInputScope&) = delete;

 private:
  DirectInputPlatform saved_;
};

#endif
