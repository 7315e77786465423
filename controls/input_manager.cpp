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
      "dinput.dll", "DirectInputCreateEx", failure);
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

// What the per-axis step works on: one controller and the axes it has set.
struct AxisContext {
  IDirectInputDevice7A* device;
  uint32_t axisMask;
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
  if (FAILED(axes->device->SetProperty(DIPROP_RANGE, &range.diph))) return DIENUM_STOP;
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

}  // namespace

InputManager::InputManager()
    : directInput(nullptr),
      keyboardDevice(nullptr),
      joystickCount(0),
      ownerWindow(nullptr),
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

namespace {

// The set-up every controller goes through, when the dialog opens and when it
// is enumerated again: its own device object with the joystick data format,
// the dialog's cooperative level, its capabilities and the axis ranges. True
// with `device` and `record` filled; false with nothing left open.
bool OpenJoystick(IDirectInput7A* input, HWND owner, const DIDEVICEINSTANCEA& instance,
                  IDirectInputDevice7A*& device, JoystickRecord& record) {
  device = nullptr;
  if (FAILED(input->CreateDeviceEx(instance.guidInstance, IID_IDirectInputDevice7A,
                                   reinterpret_cast<LPVOID*>(&device), nullptr)) ||
      device == nullptr) {
    device = nullptr;
    return false;
  }

  DIDEVCAPS caps;
  std::memset(&caps, 0, sizeof caps);
  caps.dwSize = sizeof(DIDEVCAPS);
  AxisContext axes = {device, 0};
  if (FAILED(device->SetDataFormat(&c_dfDIJoystick)) ||
      FAILED(device->SetCooperativeLevel(owner, kCooperativeFlags)) ||
      FAILED(device->GetCapabilities(&caps)) ||
      FAILED(device->EnumObjects(SetAxisRange, &axes, DIDFT_AXIS))) {
    device->Release();
    device = nullptr;
    return false;
  }

  std::memset(&record, 0, sizeof record);
  lstrcpynA(record.name, instance.tszInstanceName, sizeof record.name);
  record.attached = (caps.dwFlags & DIDC_ATTACHED) != 0 ? 1 : 0;
  record.forceFeedback = (caps.dwFlags & DIDC_FORCEFEEDBACK) != 0 ? 1 : 0;
  record.subtype = (caps.dwDevType & 0xFF) == DIDEVTYPE_JOYSTICK
                       ? static_cast<int32_t>((caps.dwDevType >> 8) & 0xFF)
                       : 0;
  record.axisMask = axes.axisMask;
  record.buttonCount = static_cast<int32_t>(caps.dwButtons);
  record.guidInstance = instance.guidInstance;
  return true;
}

// Opens a controller into the next free index; one that fails its set-up
// takes no index. The caller makes sure an index is free.
bool AppendJoystick(InputManager& manager, const DIDEVICEINSTANCEA& instance) {
  int32_t index = manager.joystickCount;
  if (!OpenJoystick(manager.directInput, manager.ownerWindow, instance,
                    manager.joystickDevices[index], manager.joystickRecords[index])) {
    return false;
  }
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

// What the EnumDevices step of RefreshControllers works on.
struct RefreshContext {
  InputManager* manager;
  bool listed[kMaxJoysticks];  // held index seen in this enumeration
  int added;
};

int HeldIndex(const InputManager& manager, REFGUID guid) {
  for (int32_t i = 0; i < manager.joystickCount; ++i) {
    if (IsEqualGUID(manager.joystickRecords[i].guidInstance, guid)) return i;
  }
  return -1;
}

// A held controller listed as attached again. DirectInput keeps a device
// object across an unplugging (it only fails to acquire while the controller is
// gone), so acquiring and reading it again is normally all there is to do.
// Should that object no longer deliver, a new one is set up in the same index
// and the old one released; if that fails too, the old one stays and the next
// change tries again.
void ReviveJoystick(InputManager& manager, int index, const DIDEVICEINSTANCEA& instance) {
  JoystickRecord& record = manager.joystickRecords[index];
  IDirectInputDevice7A*& device = manager.joystickDevices[index];
  record.attached = 1;
  DIJOYSTATE probe;
  if (device != nullptr && ReadDeviceState(device, true, sizeof probe, &probe)) return;
  IDirectInputDevice7A* fresh = nullptr;
  JoystickRecord reopened;
  if (!OpenJoystick(manager.directInput, manager.ownerWindow, instance, fresh, reopened)) return;
  ReleaseDevice(device);
  device = fresh;
  // The name, force feedback, subtype and buttons the dialog shows stay as
  // they were listed; only the ranges just set are new.
  record.axisMask = reopened.axisMask;
}

BOOL CALLBACK RefreshJoystick(LPCDIDEVICEINSTANCEA instance, LPVOID context) {
  RefreshContext& refresh = *static_cast<RefreshContext*>(context);
  InputManager& manager = *refresh.manager;
  int held = HeldIndex(manager, instance->guidInstance);
  if (held >= 0) {
    refresh.listed[held] = true;
    ReviveJoystick(manager, held, *instance);
  } else if (manager.joystickCount < kMaxJoysticks && AppendJoystick(manager, *instance)) {
    refresh.listed[manager.joystickCount - 1] = true;
    ++refresh.added;
  }
  // Never stops early: a held controller later in the list may have come back.
  return DIENUM_CONTINUE;
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
  if (FAILED(InputPlatform.createEx(instance, 0x0700, IID_IDirectInput7A,
                                    reinterpret_cast<LPVOID*>(&input), nullptr)) ||
      input == nullptr) {
    ownerWindow = nullptr;
    return false;
  }
  directInput = input;

  IDirectInputDevice7A* keyboard = nullptr;
  if (FAILED(directInput->CreateDeviceEx(GUID_SysKeyboard, IID_IDirectInputDevice7A,
                                         reinterpret_cast<LPVOID*>(&keyboard), nullptr)) ||
      keyboard == nullptr) {
    Shutdown();
    return false;
  }
  keyboardDevice = keyboard;
  if (FAILED(keyboardDevice->SetDataFormat(&c_dfDIKeyboard)) ||
      FAILED(keyboardDevice->SetCooperativeLevel(ownerWindow, kCooperativeFlags))) {
    Shutdown();
    return false;
  }
  // The keyboard is acquired by each poll, not here.

  joystickCount = 0;
  for (int i = 0; i < kMaxJoysticks; ++i) joystickDevices[i] = nullptr;
  // Its result says nothing the controllers themselves do not: no controller
  // is as good as none attached.
  directInput->EnumDevices(DIDEVTYPE_JOYSTICK, AddJoystick, this, DIEDFL_ATTACHEDONLY);
  return true;
}

int InputManager::RefreshControllers() {
  if (directInput == nullptr) return 0;
  RefreshContext refresh;
  std::memset(&refresh, 0, sizeof refresh);
  refresh.manager = this;
  if (FAILED(directInput->EnumDevices(DIDEVTYPE_JOYSTICK, RefreshJoystick, &refresh,
                                      DIEDFL_ATTACHEDONLY))) {
    // Nothing is known of who is attached; the marks stay as they were.
    return refresh.added;
  }
  for (int32_t i = 0; i < joystickCount; ++i) {
    if (!refresh.listed[i]) joystickRecords[i].attached = 0;
  }
  return refresh.added;
}

void InputManager::Shutdown() {
  // Devices before the DirectInput object that made them.
  ReleaseDevice(keyboardDevice);
  for (int i = 0; i < kMaxJoysticks; ++i) ReleaseDevice(joystickDevices[i]);
  joystickCount = 0;
  if (directInput != nullptr) {
    directInput->Release();
    directInput = nullptr;
  }
  ownerWindow = nullptr;
}

bool InputManager::PollDevices() {
  if (keyboardDevice != nullptr) {
    BYTE keys[kKeyboardStateSize];
    // A failed keyboard read keeps the last good state and is not reported:
    // the dialogs detect controller inputs only.
    if (ReadDeviceState(keyboardDevice, false, sizeof keys, keys)) {
      std::memcpy(keyboardState, keys, sizeof keyboardState);
    }
  }

  if (currentJoystick < 0 || currentJoystick >= joystickCount ||
      joystickDevices[currentJoystick] == nullptr) {
    return true;
  }
  DIJOYSTATE state;
  if (!ReadDeviceState(joystickDevices[currentJoystick], true, sizeof state, &state)) return false;
  std::memcpy(&joystickStates[currentJoystick], &state, sizeof state);
  return true;
}
