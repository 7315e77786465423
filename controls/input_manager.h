// The utility's only link to DirectInput 7: the system keyboard and up to 16
// attached game controllers, every controller axis set to -1000..1000, and the
// reading of the keyboard and one chosen controller into fixed buffers.
#ifndef VELMORA_INPUT_MANAGER_H
#define VELMORA_INPUT_MANAGER_H

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0700
#endif
#include <windows.h>
#include <dinput.h>

#include <cstdint>

constexpr int kMaxJoysticks = 16;
constexpr int kKeyboardStateSize = 256;
// A device that keeps answering DIERR_INPUTLOST is given this many reads per
// poll; after that the read counts as failed, so a lost device cannot hang the
// 16 ms timer. A device that cannot be acquired at all (a controller pulled
// out) is not read: its poll costs one Acquire.
constexpr int kInputLostAttempts = 3;

// How many key events the keyboard keeps between two reads: far more than a
// player types in one 16 ms tick.
constexpr int kKeyEventBufferSize = 64;

// The DLL the default platform finds DirectInputCreateEx in.
constexpr char kDirectInputLibrary[] = "dinput.dll";

// How the manager reaches DirectInput. By default DirectInputCreateEx, found in
// dinput.dll when first called (a DLL that cannot be loaded makes it fail with
// the load's HRESULT); test programs replace it with a function that hands out
// fake objects.
struct DirectInputPlatform {
  HRESULT(WINAPI* createEx)(HINSTANCE instance, DWORD version, REFIID iid,
                            LPVOID* out, LPUNKNOWN outer);
};
extern DirectInputPlatform InputPlatform;

// One controller as the manager found it.
struct JoystickRecord {
  char name[MAX_PATH];     // tszInstanceName, in the system's ANSI code page
  BYTE attached;           // DIDC_ATTACHED; 0 once a re-enumeration misses it
  BYTE forceFeedback;      // DIDC_FORCEFEEDBACK
  int32_t subtype;         // DIDEVTYPEJOYSTICK_* when a joystick, else 0
  uint32_t axisMask;       // bit k: axis at DIJOYSTATE offset 4k got its range
  int32_t buttonCount;     // dwButtons as reported, not limited to 32
  int32_t povCount;        // dwPOVs as reported: its point-of-view hats
  GUID guidInstance;       // tells a controller that comes back from a new one
  GUID guidProduct;        // with the name, knows one that comes back under a new instance
};

// Value of axis `axis` of `state`, in the order lX, lY, lZ, lRx, lRy, lRz,
// slider 0, slider 1 (0 to 7; any other number reads 0). The input table's axis
// rows and the dialogs' detection use this one order.
int32_t JoystickAxisValue(const DIJOYSTATE& state, int axis);

// The set-up steps of one device, in the order they are taken. The keyboard
// takes the first three; a controller all five.
enum InputSetupStep {
  kSetupCreateDevice,      // IDirectInput7A::CreateDeviceEx
  kSetupDataFormat,        // SetDataFormat
  kSetupCooperativeLevel,  // SetCooperativeLevel
  kSetupCapabilities,      // GetCapabilities
  kSetupAxes,              // EnumObjects over the axes, each given -1000..1000
  kSetupDone               // every step succeeded
};

// One device's set-up: the device when every step succeeded (the caller's to
// release), else null with the step that failed and what it answered.
struct InputDeviceSetup {
  IDirectInputDevice7A* device;
  InputSetupStep failedStep;
  HRESULT result;
  // The keyboard: what giving it its event buffer answered (a failure leaves
  // it to be read by its state alone). DIERR_NOTBUFFERED for a controller.
  HRESULT bufferResult;
};

// What InputManager::ReadKeyEvents found.
enum KeyEventsRead {
  kKeyEventsRead,         // the events since the last read, none lost
  kKeyEventsLost,         // events were lost (the buffer overflowed, or the
                          // keyboard's input was lost): those read mean nothing
  kKeyEventsUnavailable,  // no event buffer, or the keyboard cannot be read
};

// One controller's set-up, and what it found on the way.
struct JoystickSetup {
  InputDeviceSetup setup;
  DIDEVCAPS caps;               // as GetCapabilities filled it
  JoystickRecord record;        // valid when the set-up succeeded
  int32_t refusedAxisOffset;    // dwOfs of the axis that refused its range, -1: none
  HRESULT refusedAxisResult;    // what it answered
};

// A device-wide DWORD property (DIPROP_BUFFERSIZE, DIPROP_AUTOCENTER) of `value`.
DIPROPDWORD DeviceDwordProperty(DWORD value);

// DirectInput 7 through InputPlatform: DI_OK and the interface, or the failure.
HRESULT CreateDirectInput(HINSTANCE instance, IDirectInput7A*& input);
// The system keyboard for `owner`: created, given its data format, its
// cooperative level and, before it is ever acquired, a buffer of
// kKeyEventBufferSize key events. A device that fails one of the first three
// steps is released; one that refuses the buffer is still set up.
bool SetUpKeyboard(IDirectInput7A* input, HWND owner, InputDeviceSetup& out);
// One attached controller for `owner`: created, data format, cooperative
// level, capabilities described in its record, every axis given -1000..1000
// (an axis refusing it ends the axes but not the controller). A controller that
// fails a step is released. The manager opens every controller this way.
bool SetUpJoystick(IDirectInput7A* input, HWND owner, const DIDEVICEINSTANCEA& instance,
                   JoystickSetup& out);
// Calls `step` for every attached game controller, in DirectInput's order.
HRESULT EnumerateAttachedJoysticks(IDirectInput7A* input, LPDIENUMDEVICESCALLBACKA step,
                                   void* context);

// Device rows: row 0 is the keyboard, row r >= 1 is controller r - 1.
class InputManager {
 public:
  InputManager();
  ~InputManager();
  InputManager(const InputManager&) = delete;
  InputManager& operator=(const InputManager&) = delete;

  // Opens DirectInput, the keyboard and every attached controller (at most 16:
  // enumeration stops at the first one that finds every index taken, so later
  // ones are never opened). True when DirectInput and the keyboard are ready,
  // with or without controllers; on false the manager is empty. On a ready
  // manager it releases everything first and starts again.
  bool Initialize(HINSTANCE instance, HWND owner);
  // Enumerates the attached controllers again. A held one listed under its
  // instance GUID, product GUID and instance name is acquired again, or opened
  // anew in its own index when its old object no longer works. Any other takes
  // back an index whose controller is not listed now and has the same product
  // GUID and instance name (Wine gives a controller a new instance GUID each
  // time it is plugged in): the current controller's index first, then the
  // first in order; failing that it is opened into the next free index, as
  // long as one is free. A held one not listed stays where it is, marked not
  // attached; an index counts as attached only once a read or a set-up of it
  // has succeeded. Indices never move.
  // Returns how many controllers were added (0 on an empty manager).
  int RefreshControllers();
  // Releases every device, then DirectInput. Safe on an empty manager and twice.
  void Shutdown();
  // Reads the keyboard and the current controller. False only when there is a
  // current controller and its read failed; its state then keeps the last good
  // values. Allocates nothing.
  bool PollDevices();
  // PollDevices' two halves: the keyboard's state into keyboardState (false
  // when it could not be read), and the current controller.
  bool PollKeyboard();
  bool PollJoystick();
  // Whether controller `index` is gone: missed by the last enumeration, or not
  // attached by DirectInput's word now (GetDeviceStatus answers exactly DI_OK
  // for an attached one; its DI_NOTATTACHED is a success code). A read that
  // failed says neither.
  bool JoystickGone(int32_t index) const;
  // The key events the keyboard kept since the last read (or since
  // RestartKeyEvents), oldest first: `count` of them into `events`, which
  // holds kKeyEventBufferSize. Allocates nothing.
  KeyEventsRead ReadKeyEvents(DIDEVICEOBJECTDATA* events, int& count);
  // Throws away the events kept so far, even where the state cannot be read,
  // then reads the keyboard's state into keyboardState: from here on, the
  // events tell what changes after it.
  void RestartKeyEvents();

  IDirectInput7A* directInput;
  IDirectInputDevice7A* keyboardDevice;
  IDirectInputDevice7A* joystickDevices[kMaxJoysticks];
  int32_t joystickCount;
  HWND ownerWindow;
  BYTE keyboardState[kKeyboardStateSize];
  bool keyboardBuffered;  // the keyboard keeps its key events for ReadKeyEvents
  DIJOYSTATE joystickStates[kMaxJoysticks];
  JoystickRecord joystickRecords[kMaxJoysticks];
  int32_t currentJoystick;  // -1: none
};

#endif
