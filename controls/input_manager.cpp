// DirectInput 7 for the control dialogs: the keyboard and up to 16 controllers,
// opened once per dialog, read on the dialog's 16 ms timer.
#include "controls/input_manager.h"

#include <cstring>

#include "program/system_library.h"

namespace {

// dinput.dll is loaded by the first control dialog rather than at start. Should
// it be missing, creating DirectInput fails with the load's HRESULT and the
// dialog ends as when DirectInput cannot be set up.
HRESULT WINAPI LoadAndCreateDirectInput(HINSTANCE instance, DWORD version, REFIID iid,
                                        LPVOID* out, LPUNKNOWN outer) {
  HRESULT failure = S_OK;
  auto create = FindSystemFunctionAs<decltype(&DirectInputCreateEx)>(
      kDirectInputLibrary, "DirectInputCreateEx", failure);
  if (create == nullptr) return failure;
  return create(instance, version, iid, out, outer);
}

}  // namespace

DirectInputPlatform InputPlatform = {LoadAndCreateDirectInput};

namespace {

// Non-exclusive and background: the dialog reads the devices even while it is
// not the active window, and takes them from no other program.
constexpr DWORD kCooperativeFlags = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
constexpr LONG kAxisMin = -1000;
constexpr LONG kAxisMax = 1000;
// DIJOYSTATE holds its eight axes as consecutive LONGs from offset 0:
// lX lY lZ lRx lRy lRz rglSlider[0] rglSlider[1].
constexpr DWORD kAxisBytes = sizeof(LONG);
constexpr DWORD kAxisCount = 8;

// What the per-axis step works on: one controller, the axes it has set, and
// the axis that refused its range.
struct AxisContext {
  IDirectInputDevice7A* device;
  uint32_t axisMask;
  int32_t refusedOffset;
  HRESULT refusedResult;
};

uint32_t AxisBit(DWORD offset) {
  if (offset % kAxisBytes != 0 || offset / kAxisBytes >= kAxisCount) return 0;
  return 1u << (offset / kAxisBytes);
}

BOOL CALLBACK SetAxisRange(LPCDIDEVICEOBJECTINSTANCEA axis, LPVOID context) {
  AxisContext* axes = static_cast<AxisContext*>(context);
  DIPROPRANGE range;
  std::memset(&range, 0, sizeof range);
  range.diph.dwSize = sizeof(DIPROPRANGE);
  range.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  range.diph.dwObj = axis->dwOfs;
  range.diph.dwHow = DIPH_BYOFFSET;
  range.lMin = kAxisMin;
  range.lMax = kAxisMax;
  // A refused range leaves this axis and the ones after it as the device
  // reports them; the controller stays usable through the axes already set.
  HRESULT result = axes->device->SetProperty(DIPROP_RANGE, &range.diph);
  if (FAILED(result)) {
    axes->refusedOffset = static_cast<int32_t>(axis->dwOfs);
    axes->refusedResult = result;
    return DIENUM_STOP;
  }
  axes->axisMask |= AxisBit(axis->dwOfs);
  return DIENUM_CONTINUE;
}

void ReleaseDevice(IDirectInputDevice7A*& device) {
  if (device == nullptr) return;
  device->Unacquire();
  device->Release();
  device = nullptr;
}

// Reads one device into `buffer`. A device that has lost its input is acquired
// and read again, at most kInputLostAttempts reads in all, so one that keeps
// losing it cannot hold up the dialog's timer. One that cannot be acquired (a
// controller pulled out) is not read at all: the read could only fail. True
// when the buffer holds a fresh reading.
bool ReadDeviceState(IDirectInputDevice7A* device, bool poll, DWORD size, void* buffer) {
  HRESULT result = DIERR_INPUTLOST;
  for (int attempt = 0; attempt < kInputLostAttempts && result == DIERR_INPUTLOST; ++attempt) {
    result = device->Acquire();
    if (FAILED(result)) continue;
    if (poll) device->Poll();
    result = device->GetDeviceState(size, buffer);
  }
  return result == DI_OK;
}

// Ends a set-up at `step`, which answered `result`: the device is released.
bool FailSetUp(InputDeviceSetup& out, InputSetupStep step, HRESULT result) {
  if (out.device != nullptr) out.device->Release();
  out.device = nullptr;
  out.failedStep = step;
  // A creation that answered success without a device still failed.
  out.result = FAILED(result) ? result : E_POINTER;
  return false;
}

bool CreateDevice(IDirectInput7A* input, REFGUID guid, InputDeviceSetup& out) {
  out.device = nullptr;
  out.failedStep = kSetupDone;
  out.result = DI_OK;
  out.bufferResult = DIERR_NOTBUFFERED;
  HRESULT result = input->CreateDeviceEx(guid, IID_IDirectInputDevice7A,
                                         reinterpret_cast<LPVOID*>(&out.device), nullptr);
  if (FAILED(result) || out.device == nullptr) {
    // Whatever a failed creation left in the pointer is not a device to release.
    out.device = nullptr;
    return FailSetUp(out, kSetupCreateDevice, result);
  }
  return true;
}

}  // namespace

InputManager::InputManager()
    : directInput(nullptr),
      keyboardDevice(nullptr),
      joystickCount(0),
      ownerWindow(nullptr),
      keyboardBuffered(false),
      currentJoystick(-1) {
  for (int i = 0; i < kMaxJoysticks; ++i) joystickDevices[i] = nullptr;
  std::memset(keyboardState, 0, sizeof keyboardState);
  std::memset(joystickStates, 0, sizeof joystickStates);
  std::memset(joystickRecords, 0, sizeof joystickRecords);
}

// The destructor is noexcept; calling Shutdown through a helper the compiler
// knows cannot throw keeps C++ exception support (and its size) out of the exe.
static void ShutdownManager(InputManager& manager) __attribute__((nothrow, noinline));
static void ShutdownManager(InputManager& manager) { manager.Shutdown(); }

InputManager::~InputManager() { ShutdownManager(*this); }

DIPROPDWORD DeviceDwordProperty(DWORD value) {
  DIPROPDWORD property;
  std::memset(&property, 0, sizeof property);
  property.diph.dwSize = sizeof(DIPROPDWORD);
  property.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  property.diph.dwObj = 0;
  property.diph.dwHow = DIPH_DEVICE;
  property.dwData = value;
  return property;
}

HRESULT CreateDirectInput(HINSTANCE instance, IDirectInput7A*& input) {
  input = nullptr;
  HRESULT result = InputPlatform.createEx(instance, 0x0700, IID_IDirectInput7A,
                                          reinterpret_cast<LPVOID*>(&input), nullptr);
  if (SUCCEEDED(result) && input == nullptr) result = E_POINTER;
  if (FAILED(result)) input = nullptr;
  return result;
}

bool SetUpKeyboard(IDirectInput7A* input, HWND owner, InputDeviceSetup& out) {
  if (!CreateDevice(input, GUID_SysKeyboard, out)) return false;
  HRESULT result = out.device->SetDataFormat(&c_dfDIKeyboard);
  if (FAILED(result)) return FailSetUp(out, kSetupDataFormat, result);
  result = out.device->SetCooperativeLevel(owner, kCooperativeFlags);
  if (FAILED(result)) return FailSetUp(out, kSetupCooperativeLevel, result);
  // The buffer keeps every press and release between two ticks, however short
  // the tap; it can only be given before the device is first acquired.
  DIPROPDWORD buffer = DeviceDwordProperty(kKeyEventBufferSize);
  out.bufferResult = out.device->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph);
  // The keyboard is acquired by each read, not here.
  return true;
}

bool SetUpJoystick(IDirectInput7A* input, HWND owner, const DIDEVICEINSTANCEA& instance,
                   JoystickSetup& out) {
  std::memset(&out.caps, 0, sizeof out.caps);
  std::memset(&out.record, 0, sizeof out.record);
  out.refusedAxisOffset = -1;
  out.refusedAxisResult = DI_OK;
  InputDeviceSetup& setup = out.setup;
  if (!CreateDevice(input, instance.guidInstance, setup)) return false;
  HRESULT result = setup.device->SetDataFormat(&c_dfDIJoystick);
  if (FAILED(result)) return FailSetUp(setup, kSetupDataFormat, result);
  result = setup.device->SetCooperativeLevel(owner, kCooperativeFlags);
  if (FAILED(result)) return FailSetUp(setup, kSetupCooperativeLevel, result);
  out.caps.dwSize = sizeof(DIDEVCAPS);
  result = setup.device->GetCapabilities(&out.caps);
  if (FAILED(result)) return FailSetUp(setup, kSetupCapabilities, result);

  JoystickRecord& record = out.record;
  lstrcpynA(record.name, instance.tszInstanceName, sizeof record.name);
  record.attached = (out.caps.dwFlags & DIDC_ATTACHED) != 0 ? 1 : 0;
  record.forceFeedback = (out.caps.dwFlags & DIDC_FORCEFEEDBACK) != 0 ? 1 : 0;
  record.subtype = (out.caps.dwDevType & 0xFF) == DIDEVTYPE_JOYSTICK
                       ? static_cast<int32_t>((out.caps.dwDevType >> 8) & 0xFF)
                       : 0;
  record.buttonCount = static_cast<int32_t>(out.caps.dwButtons);
  record.povCount = static_cast<int32_t>(out.caps.dwPOVs);
  record.guidInstance = instance.guidInstance;
  record.guidProduct = instance.guidProduct;

  AxisContext axes = {setup.device, 0, -1, DI_OK};
  result = setup.device->EnumObjects(SetAxisRange, &axes, DIDFT_AXIS);
  out.refusedAxisOffset = axes.refusedOffset;
  out.refusedAxisResult = axes.refusedResult;
  if (FAILED(result)) return FailSetUp(setup, kSetupAxes, result);
  record.axisMask = axes.axisMask;
  return true;
}

HRESULT EnumerateAttachedJoysticks(IDirectInput7A* input, LPDIENUMDEVICESCALLBACKA step,
                                   void* context) {
  return input->EnumDevices(DIDEVTYPE_JOYSTICK, step, context, DIEDFL_ATTACHEDONLY);
}

namespace {

// Opens a controller into the next free index; one that fails its set-up
// takes no index. The caller makes sure an index is free.
bool AppendJoystick(InputManager& manager, const DIDEVICEINSTANCEA& instance) {
  JoystickSetup joystick;
  if (!SetUpJoystick(manager.directInput, manager.ownerWindow, instance, joystick)) return false;
  int32_t index = manager.joystickCount;
  manager.joystickRecords[index] = joystick.record;
  manager.joystickDevices[index] = joystick.setup.device;
  manager.joystickCount = index + 1;
  return true;
}

// The EnumDevices step of Initialize.
BOOL CALLBACK AddJoystick(LPCDIDEVICEINSTANCEA instance, LPVOID context) {
  InputManager* manager = static_cast<InputManager*>(context);
  // Every index is taken: the rest of the controllers are not opened at all,
  // so nothing beyond the 16 entries is ever written or left open.
  if (manager->joystickCount >= kMaxJoysticks) return DIENUM_STOP;
  AppendJoystick(*manager, *instance);
  return DIENUM_CONTINUE;
}

// What the EnumDevices step of RefreshControllers works on. Controllers listed
// under an instance GUID the manager does not hold wait in `arrived` until the
// enumeration is over: only then is it known which held ones are not listed,
// and so which indices a returning controller may take back. Each one placed
// takes an index of its own, so the first 16 are kept and any later one is
// left out, as a seventeenth controller is at opening.
struct RefreshContext {
  InputManager* manager;
  bool listed[kMaxJoysticks];  // held index seen in this enumeration
  DIDEVICEINSTANCEA arrived[kMaxJoysticks];
  int arrivedCount;
};

// Whether `instance` has the product GUID and instance name `record` was opened
// with; the name as far as the record keeps it, so one of the field's full size matches.
bool SameModel(const JoystickRecord& record, const DIDEVICEINSTANCEA& instance) {
  return IsEqualGUID(record.guidProduct, instance.guidProduct) &&
         std::strncmp(record.name, instance.tszInstanceName, sizeof record.name - 1) == 0;
}

// The index holding `instance`, by its instance GUID and SameModel: DirectInput
// may give the GUID of a controller pulled out to another one.
int HeldIndex(const InputManager& manager, const DIDEVICEINSTANCEA& instance) {
  for (int32_t i = 0; i < manager.joystickCount; ++i) {
    const JoystickRecord& record = manager.joystickRecords[i];
    if (IsEqualGUID(record.guidInstance, instance.guidInstance) && SameModel(record, instance)) return i;
  }
  return -1;
}

// An index not listed now whose controller is SameModel as `instance`, or -1:
// the current controller's when it qualifies (the player is using that row),
// else the first in list order. An index whose controller is listed is never
// taken, so two controllers of one model and name keep an index each.
int ReturningIndex(const InputManager& manager, const RefreshContext& refresh,
                   const DIDEVICEINSTANCEA& instance) {
  auto returns = [&](int32_t i) {
    return i >= 0 && i < manager.joystickCount && !refresh.listed[i] &&
           SameModel(manager.joystickRecords[i], instance);
  };
  if (returns(manager.currentJoystick)) return manager.currentJoystick;
  for (int32_t i = 0; i < manager.joystickCount; ++i) {
    if (returns(i)) return i;
  }
  return -1;
}

// Opens `instance` anew in `index`, whose old object is then released. The
// name, force feedback, subtype and buttons the dialog shows stay as they were
// listed; only the ranges just set and the instance GUID are new. On failure
// the index keeps its old object and the next change tries again.
bool ReopenJoystick(InputManager& manager, int index, const DIDEVICEINSTANCEA& instance) {
  JoystickSetup reopened;
  if (!SetUpJoystick(manager.directInput, manager.ownerWindow, instance, reopened)) return false;
  JoystickRecord& record = manager.joystickRecords[index];
  ReleaseDevice(manager.joystickDevices[index]);
  manager.joystickDevices[index] = reopened.setup.device;
  record.axisMask = reopened.record.axisMask;
  record.guidInstance = instance.guidInstance;
  return true;
}

// A held controller listed as attached again. DirectInput keeps a device
// object across an unplugging (it only fails to acquire while the controller is
// gone), so acquiring and reading it again is normally all there is to do.
// Should that object no longer deliver, a new one is set up in the same index.
// Attached only once one of the two has worked: a row whose state was never
// read again is not where its controller is.
void ReviveJoystick(InputManager& manager, int index, const DIDEVICEINSTANCEA& instance) {
  IDirectInputDevice7A* device = manager.joystickDevices[index];
  DIJOYSTATE probe;
  bool working = (device != nullptr && ReadDeviceState(device, true, sizeof probe, &probe)) ||
                 ReopenJoystick(manager, index, instance);
  manager.joystickRecords[index].attached = working ? 1 : 0;
}

BOOL CALLBACK RefreshJoystick(LPCDIDEVICEINSTANCEA instance, LPVOID context) {
  RefreshContext& refresh = *static_cast<RefreshContext*>(context);
  InputManager& manager = *refresh.manager;
  int held = HeldIndex(manager, *instance);
  if (held >= 0) {
    refresh.listed[held] = true;
    ReviveJoystick(manager, held, *instance);
  } else if (refresh.arrivedCount < kMaxJoysticks) {
    refresh.arrived[refresh.arrivedCount++] = *instance;
  }
  // Never stops early: a held controller later in the list may have come back.
  return DIENUM_CONTINUE;
}

// A controller listed under an instance GUID not held: back in its own index
// when one qualifies, else added at the end while an index is free. True when
// it was added.
bool PlaceArrival(InputManager& manager, RefreshContext& refresh,
                  const DIDEVICEINSTANCEA& instance) {
  int returning = ReturningIndex(manager, refresh, instance);
  if (returning >= 0) {
    if (!ReopenJoystick(manager, returning, instance)) return false;
    refresh.listed[returning] = true;
    manager.joystickRecords[returning].attached = 1;
    return false;
  }
  if (manager.joystickCount >= kMaxJoysticks || !AppendJoystick(manager, instance)) return false;
  refresh.listed[manager.joystickCount - 1] = true;
  return true;
}

}  // namespace

int32_t JoystickAxisValue(const DIJOYSTATE& state, int axis) {
  switch (axis) {
    case 0: return state.lX;
    case 1: return state.lY;
    case 2: return state.lZ;
    case 3: return state.lRx;
    case 4: return state.lRy;
    case 5: return state.lRz;
    case 6: return state.rglSlider[0];
    case 7: return state.rglSlider[1];
    default: return 0;
  }
}

bool InputManager::Initialize(HINSTANCE instance, HWND owner) {
  // A second Initialize starts again from empty instead of leaking the first set.
  if (directInput != nullptr || keyboardDevice != nullptr || joystickCount != 0) Shutdown();
  ownerWindow = owner;

  IDirectInput7A* input = nullptr;
  if (FAILED(CreateDirectInput(instance, input))) {
    ownerWindow = nullptr;
    return false;
  }
  directInput = input;

  InputDeviceSetup keyboard;
  if (!SetUpKeyboard(directInput, ownerWindow, keyboard)) {
    Shutdown();
    return false;
  }
  keyboardDevice = keyboard.device;
  keyboardBuffered = SUCCEEDED(keyboard.bufferResult);

  joystickCount = 0;
  for (int i = 0; i < kMaxJoysticks; ++i) joystickDevices[i] = nullptr;
  // Its result says nothing the controllers themselves do not: no controller
  // is as good as none attached.
  EnumerateAttachedJoysticks(directInput, AddJoystick, this);
  return true;
}

int InputManager::RefreshControllers() {
  if (directInput == nullptr) return 0;
  // Some 9 KB: on the stack only for the one call a device change makes.
  RefreshContext refresh;
  std::memset(&refresh, 0, sizeof refresh);
  refresh.manager = this;
  if (FAILED(EnumerateAttachedJoysticks(directInput, RefreshJoystick, &refresh))) {
    // Nothing is known of who is attached, so no index is given to another
    // controller; the marks stay as they were and the next change tries again.
    return 0;
  }
  int added = 0;
  for (int i = 0; i < refresh.arrivedCount; ++i) {
    if (PlaceArrival(*this, refresh, refresh.arrived[i])) ++added;
  }
  for (int32_t i = 0; i < joystickCount; ++i) {
    if (!refresh.listed[i]) joystickRecords[i].attached = 0;
  }
  return added;
}

void InputManager::Shutdown() {
  // Devices before the DirectInput object that made them.
  ReleaseDevice(keyboardDevice);
  keyboardBuffered = false;
  for (int i = 0; i < kMaxJoysticks; ++i) ReleaseDevice(joystickDevices[i]);
  joystickCount = 0;
  if (directInput != nullptr) {
    directInput->Release();
    directInput = nullptr;
  }
  ownerWindow = nullptr;
}

bool InputManager::PollDevices() {
  PollKeyboard();
  return PollJoystick();
}

bool InputManager::PollKeyboard() {
  if (keyboardDevice == nullptr) return false;
  BYTE keys[kKeyboardStateSize];
  // A failed keyboard read keeps the last good state.
  if (!ReadDeviceState(keyboardDevice, false, sizeof keys, keys)) return false;
  std::memcpy(keyboardState, keys, sizeof keyboardState);
  return true;
}

bool InputManager::PollJoystick() {
  if (currentJoystick < 0 || currentJoystick >= joystickCount ||
      joystickDevices[currentJoystick] == nullptr) {
    return true;
  }
  DIJOYSTATE state;
  if (!ReadDeviceState(joystickDevices[currentJoystick], true, sizeof state, &state)) return false;
  std::memcpy(&joystickStates[currentJoystick], &state, sizeof state);
  return true;
}

bool InputManager::JoystickGone(int32_t index) const {
  if (index < 0 || index >= joystickCount || directInput == nullptr) return true;
  const JoystickRecord& record = joystickRecords[index];
  return record.attached == 0 || directInput->GetDeviceStatus(record.guidInstance) != DI_OK;
}

KeyEventsRead InputManager::ReadKeyEvents(DIDEVICEOBJECTDATA* events, int& count) {
  count = 0;
  if (keyboardDevice == nullptr || !keyboardBuffered) return kKeyEventsUnavailable;
  DWORD read = kKeyEventBufferSize;
  HRESULT result =
      keyboardDevice->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), events, &read, 0);
  if (result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED) {
    // Whatever happened meanwhile was not kept: acquired again, the keyboard
    // keeps events from now on.
    return SUCCEEDED(keyboardDevice->Acquire()) ? kKeyEventsLost : kKeyEventsUnavailable;
  }
  if (FAILED(result)) return kKeyEventsUnavailable;
  count = read > kKeyEventBufferSize ? kKeyEventBufferSize : static_cast<int>(read);
  return result == DI_BUFFEROVERFLOW ? kKeyEventsLost : kKeyEventsRead;
}

void InputManager::RestartKeyEvents() {
  if (keyboardDevice == nullptr) return;
  // The events first, then the state: a key that changes between the two is
  // in the state or among the events kept, never lost between them (the rules
  // ignore an event that repeats the state). Acquired first: a keyboard not
  // acquired answers no events, and acquired again it still holds those kept
  // before it was lost.
  if (keyboardBuffered) {
    keyboardDevice->Acquire();
    DWORD all = INFINITE;
    keyboardDevice->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), nullptr, &all, 0);
  }
  // A state that cannot be read leaves the last good one.
  PollKeyboard();
}
