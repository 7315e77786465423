// Scripted DirectInput 7 objects; see fake_dinput.h for how tests drive them.
#include "tests/fakes/fake_dinput.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kKeyboardIndex = -1;
constexpr int kMaxDeviceObjects = 512;
constexpr int kMaxInputObjects = 64;
constexpr int kMaxReleaseLog = 2048;

struct FakeWorld {
  FakeInput input;
  FakeDevice keyboard;
  FakeDevice joysticks[kFakeMaxJoysticks];
  int joystickCount;
  FakeReleaseEntry releaseLog[kMaxReleaseLog];
  int releaseLogLength;
  int overReleases;
  int useAfterRelease;
  int serial;
};
FakeWorld world;

FakeDevice& DeviceAt(int index) {
  return index == kKeyboardIndex ? world.keyboard : world.joysticks[index];
}

void LogRelease(FakeObjectKind kind, int joystick, int serial, ULONG refsAfter) {
  if (world.releaseLogLength >= kMaxReleaseLog) return;
  world.releaseLog[world.releaseLogLength++] = {kind, joystick, serial, refsAfter};
}

void InitDevice(FakeDevice& device) {
  std::memset(&device, 0, sizeof device);
  device.autoCenter = DIPROPAUTOCENTER_ON;
  device.attached = true;
  device.capsFlags = DIDC_ATTACHED;
  device.refuseRangeAxis = -1;
  device.refuseRangeResult = DIERR_UNSUPPORTED;
  device.readAfterScript = DI_OK;
}

// What both fake objects share: COM reference counting that counts a release
// past zero and any call on a released object, and logs every release.
template <class Interface>
class CountedFake : public Interface {
 public:
  void Clear() { refs_ = 0; }
  bool InUse() const { return refs_ > 0; }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    Touch();
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, OwnInterface())) {
      AddRef();
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override {
    Touch();
    return static_cast<ULONG>(++refs_);
  }
  STDMETHODIMP_(ULONG) Release() override {
    if (refs_ <= 0) {
      ++world.overReleases;
      return 0;
    }
    --refs_;
    LogReleased(static_cast<ULONG>(refs_));
    return static_cast<ULONG>(refs_);
  }

 protected:
  virtual REFIID OwnInterface() const = 0;
  virtual void LogReleased(ULONG refsAfter) const = 0;
  void Touch() const {
    if (refs_ <= 0) ++world.useAfterRelease;
  }
  HRESULT Unused() const {
    Touch();
    return E_NOTIMPL;
  }

  int serial_ = 0;
  LONG refs_ = 0;
};

class FakeDeviceObject : public CountedFake<IDirectInputDevice7A> {
 public:
  void Start(int device, int serial) {
    device_ = device;
    serial_ = serial;
    refs_ = 1;
    generation_ = Device().objectGeneration;
  }

  // IDirectInputDevice
  STDMETHODIMP GetCapabilities(LPDIDEVCAPS caps) override {
    Touch();
    FakeDevice& d = Device();
    if (caps == nullptr) return E_POINTER;
    d.capsSizeSeen = caps->dwSize;
    if (d.fail[kFakeGetCapabilities] != DI_OK) return d.fail[kFakeGetCapabilities];
    if (caps->dwSize != sizeof(DIDEVCAPS) && caps->dwSize != sizeof(DIDEVCAPS_DX3)) {
      return DIERR_INVALIDPARAM;
    }
    DWORD size = caps->dwSize;
    std::memset(caps, 0, size);
    caps->dwSize = size;
    caps->dwFlags = d.capsFlags;
    caps->dwDevType = d.devType;
    caps->dwAxes = static_cast<DWORD>(d.axisCount);
    caps->dwButtons = d.buttons;
    caps->dwPOVs = d.povs;
    return DI_OK;
  }
  STDMETHODIMP EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID context,
                           DWORD flags) override {
    Touch();
    FakeDevice& d = Device();
    d.enumObjectsFlags = flags;
    if (d.fail[kFakeEnumObjects] != DI_OK) return d.fail[kFakeEnumObjects];
    if (callback == nullptr) return DIERR_INVALIDPARAM;
    // As Wine's DirectInput: a filter of anything but these types (an
    // attribute such as DIDFT_FFACTUATOR, an instance) is refused, where
    // Windows filters by it. DIDFT_ALL is 0.
    if ((flags & ~static_cast<DWORD>(DIDFT_AXIS | DIDFT_POV | DIDFT_BUTTON | DIDFT_NODATA |
                                     DIDFT_COLLECTION)) != 0) {
      return DIERR_INVALIDPARAM;
    }
    if (flags != DIDFT_ALL && (flags & DIDFT_AXIS) == 0) return DI_OK;  // axes are all it lists
    for (int i = 0; i < d.axisCount; ++i) {
      bool actuator = i < d.actuators;
      DIDEVICEOBJECTINSTANCEA object;
      std::memset(&object, 0, sizeof object);
      object.dwSize = sizeof object;
      object.dwOfs = d.axisOffsets[i];
      object.dwType = DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(i) | (actuator ? DIDFT_FFACTUATOR : 0);
      object.dwFlags = actuator ? DIDOI_FFACTUATOR : 0;
      std::snprintf(object.tszName, sizeof object.tszName, "Axis %d", i);
      if (callback(&object, context) == DIENUM_STOP) break;
    }
    return DI_OK;
  }
  STDMETHODIMP GetProperty(REFGUID property, LPDIPROPHEADER header) override {
    Touch();
    if (&property == &DIPROP_GUIDANDPATH) return GetGuidAndPath(header);
    if (&property != &DIPROP_AUTOCENTER || header->dwSize != sizeof(DIPROPDWORD)) return DIERR_INVALIDPARAM;
    if (Device().autoCenterRead != DI_OK) return Device().autoCenterRead;
    reinterpret_cast<DIPROPDWORD*>(header)->dwData = Device().autoCenter;
    return DI_OK;
  }
  STDMETHODIMP SetProperty(REFGUID property, LPCDIPROPHEADER header) override {
    Touch();
    FakeDevice& d = Device();
    if (&property == &DIPROP_AUTOCENTER && header->dwSize == sizeof(DIPROPDWORD)) {
      if (d.unplugged) return Gone();
      if (d.acquired) return DIERR_ACQUIRED;
      ++d.autoCenterSets;
      d.autoCenter = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
      return DI_OK;
    }
    if (&property == &DIPROP_BUFFERSIZE && header != nullptr) {
      if (header->dwSize != sizeof(DIPROPDWORD)) return DIERR_INVALIDPARAM;
      if (d.acquired) return DIERR_ACQUIRED;  // only before the first Acquire
      if (d.bufferResult != DI_OK) return d.bufferResult;
      d.bufferSize = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
      return DI_OK;
    }
    ++d.rangeCalls;
    if (&property != &DIPROP_RANGE || header == nullptr) return DIERR_UNSUPPORTED;
    if (header->dwSize != sizeof(DIPROPRANGE) || header->dwHeaderSize != sizeof(DIPROPHEADER) ||
        header->dwHow != DIPH_BYOFFSET || d.dataFormat == nullptr) {
      return DIERR_INVALIDPARAM;
    }
    for (int i = 0; i < d.axisCount; ++i) {
      if (d.axisOffsets[i] != header->dwObj) continue;
      if (i == d.refuseRangeAxis) return d.refuseRangeResult;
      const DIPROPRANGE* range = reinterpret_cast<const DIPROPRANGE*>(header);
      d.rangeSet[i] = true;
      d.rangeMin[i] = range->lMin;
      d.rangeMax[i] = range->lMax;
      return DI_OK;
    }
    return DIERR_OBJECTNOTFOUND;
  }
  STDMETHODIMP Acquire() override {
    Touch();
    FakeDevice& d = Device();
    ++d.acquireCalls;
    if (Dead()) return DIERR_UNPLUGGED;
    if (d.dataFormat == nullptr) return DIERR_INVALIDPARAM;
    if (d.acquired) return S_FALSE;
    // Pulled out: an object acquired before learns of it at its next read.
    if (d.unplugged) return DIERR_UNPLUGGED;
    if ((d.cooperativeFlags & DISCL_EXCLUSIVE) != 0 && d.effectFail[kFakeExclusiveAcquire] != DI_OK) {
      return d.effectFail[kFakeExclusiveAcquire];
    }
    d.acquired = true;
    return DI_OK;
  }
  STDMETHODIMP Unacquire() override {
    Touch();
    FakeDevice& d = Device();
    ++d.unacquireCalls;
    if (!d.acquired || Dead()) return S_FALSE;
    d.acquired = false;
    return DI_OK;
  }
  STDMETHODIMP GetDeviceState(DWORD size, LPVOID data) override {
    Touch();
    FakeDevice& d = Device();
    ++d.readCalls;
    if (d.dataFormat == nullptr || data == nullptr || size != d.dataFormat->dwDataSize) {
      return DIERR_INVALIDPARAM;
    }
    if (!d.acquired || Dead()) return DIERR_NOTACQUIRED;
    if (d.unplugged) {
      d.acquired = false;
      std::memset(data, 0x5A, size);
      return DIERR_INPUTLOST;
    }
    HRESULT result = d.readNext < d.readCount ? d.reads[d.readNext++] : d.readAfterScript;
    if (result == DIERR_INPUTLOST) d.acquired = false;
    if (result != DI_OK) {
      std::memset(data, 0x5A, size);
      return result;
    }
    if (d.dataFormat == &c_dfDIKeyboard) {
      std::memcpy(data, d.keys, size < sizeof d.keys ? size : sizeof d.keys);
      if (d.releaseAfterRead != 0) {  // let go just after this read
        QueueFakeKeyEvent(d.releaseAfterRead, false);
        d.releaseAfterRead = 0;
      }
    } else {
      std::memcpy(data, &d.state, size < sizeof d.state ? size : sizeof d.state);
    }
    return DI_OK;
  }
  STDMETHODIMP GetDeviceData(DWORD size, LPDIDEVICEOBJECTDATA data, LPDWORD count,
                             DWORD) override {
    Touch();
    FakeDevice& d = Device();
    ++d.dataReads;
    if (size != sizeof(DIDEVICEOBJECTDATA) || count == nullptr) return DIERR_INVALIDPARAM;
    if (d.bufferSize == 0) return DIERR_NOTBUFFERED;
    if (!d.acquired || Dead()) return DIERR_NOTACQUIRED;
    int taken = *count < static_cast<DWORD>(d.keyEventCount) ? *count : d.keyEventCount;
    if (data != nullptr) std::memcpy(data, d.keyEvents, sizeof *data * taken);
    d.keyEventCount -= taken;
    std::memmove(d.keyEvents, d.keyEvents + taken, sizeof *data * d.keyEventCount);
    *count = static_cast<DWORD>(taken);
    return DI_OK;
  }
  STDMETHODIMP SetDataFormat(LPCDIDATAFORMAT format) override {
    Touch();
    FakeDevice& d = Device();
    if (d.fail[kFakeSetDataFormat] != DI_OK) return d.fail[kFakeSetDataFormat];
    if (format == nullptr) return DIERR_INVALIDPARAM;
    if (d.acquired) return DIERR_ACQUIRED;
    d.dataFormat = format;
    return DI_OK;
  }
  STDMETHODIMP SetEventNotification(HANDLE) override { return Unused(); }
  STDMETHODIMP SetCooperativeLevel(HWND window, DWORD flags) override {
    Touch();
    FakeDevice& d = Device();
    if (d.acquired && !Dead()) return DIERR_ACQUIRED;
    HRESULT result = d.fail[kFakeSetCooperativeLevel];
    if (result == DI_OK && (flags & DISCL_EXCLUSIVE) != 0) result = d.effectFail[kFakeExclusiveLevel];
    // A refused level leaves the one before.
    if (result != DI_OK && (flags & DISCL_EXCLUSIVE) != 0) return result;
    d.cooperativeWindow = window;
    d.cooperativeFlags = flags;
    return result;
  }
  STDMETHODIMP GetObjectInfo(LPDIDEVICEOBJECTINSTANCEA, DWORD, DWORD) override {
    return Unused();
  }
  STDMETHODIMP GetDeviceInfo(LPDIDEVICEINSTANCEA) override { return Unused(); }
  STDMETHODIMP RunControlPanel(HWND, DWORD) override { return Unused(); }
  STDMETHODIMP Initialize(HINSTANCE, DWORD, REFGUID) override { return Unused(); }

  // IDirectInputDevice2
  STDMETHODIMP CreateEffect(REFGUID guid, LPCDIEFFECT parameters, LPDIRECTINPUTEFFECT* out,
                            LPUNKNOWN outer) override;
  STDMETHODIMP EnumEffects(LPDIENUMEFFECTSCALLBACKA callback, LPVOID context,
                           DWORD type) override {
    Touch();
    FakeDevice& d = Device();
    if (d.enumEffectsResult != DI_OK) return d.enumEffectsResult;
    const bool offered[] = {d.offersConstantForce, d.offersSine};
    const GUID* guids[] = {&GUID_ConstantForce, &GUID_Sine};
    const DWORD types[] = {DIEFT_CONSTANTFORCE, DIEFT_PERIODIC};
    const char* names[] = {"Constant Force", "Sine"};
    for (int e = 0; e < 2; ++e) {
      if (!offered[e] || (type != DIEFT_ALL && type != types[e])) continue;
      DIEFFECTINFOA info;
      std::memset(&info, 0, sizeof info);
      info.dwSize = sizeof info;
      info.guid = *guids[e];
      info.dwEffType = types[e];
      lstrcpynA(info.tszName, names[e], sizeof info.tszName);
      if (callback(&info, context) == DIENUM_STOP) return DI_OK;
    }
    for (int e = 0; e < d.otherEffectCount; ++e) {
      if (type != DIEFT_ALL && type != DIEFT_GETTYPE(d.otherEffects[e].dwEffType)) continue;
      if (callback(&d.otherEffects[e], context) == DIENUM_STOP) break;
    }
    return DI_OK;
  }
  STDMETHODIMP GetEffectInfo(LPDIEFFECTINFOA, REFGUID) override { return Unused(); }
  STDMETHODIMP GetForceFeedbackState(LPDWORD) override { return Unused(); }
  STDMETHODIMP SendForceFeedbackCommand(DWORD command) override;
  STDMETHODIMP EnumCreatedEffectObjects(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK callback,
                                        LPVOID context, DWORD) override;
  STDMETHODIMP Escape(LPDIEFFESCAPE) override { return Unused(); }
  STDMETHODIMP Poll() override {
    Touch();
    FakeDevice& d = Device();
    ++d.pollCalls;
    return d.acquired && !Dead() ? DI_OK : DIERR_NOTACQUIRED;
  }
  STDMETHODIMP SendDeviceData(DWORD, LPCDIDEVICEOBJECTDATA, LPDWORD, DWORD) override {
    return Unused();
  }

  // IDirectInputDevice7
  STDMETHODIMP EnumEffectsInFile(LPCSTR, LPDIENUMEFFECTSINFILECALLBACK, LPVOID, DWORD) override {
    return Unused();
  }
  STDMETHODIMP WriteEffectToFile(LPCSTR, DWORD, LPDIFILEEFFECT, DWORD) override {
    return Unused();
  }

  // As Wine's DirectInput: the header's and the structure's own sizes, then a
  // device-wide property only; the path is wide on the ANSI interface too.
  HRESULT GetGuidAndPath(LPDIPROPHEADER header) {
    FakeDevice& d = Device();
    if (header == nullptr || header->dwHeaderSize != sizeof(DIPROPHEADER) ||
        header->dwSize != sizeof(DIPROPGUIDANDPATH)) {
      return DIERR_INVALIDPARAM;
    }
    if (header->dwHow != DIPH_DEVICE) return DIERR_UNSUPPORTED;
    if (d.pathResult != DI_OK) return d.pathResult;
    lstrcpynW(reinterpret_cast<DIPROPGUIDANDPATH*>(header)->wszPath, d.devicePath, MAX_PATH);
    return DI_OK;
  }

  // Whether effects may play now: acquired at an exclusive level.
  bool Exclusive() { return Device().acquired && !Dead() && (Device().cooperativeFlags & DISCL_EXCLUSIVE) != 0; }
  // A call that needs the device, on a device pulled out.
  HRESULT Gone() {
    ++Device().callsWhileUnplugged;
    return DIERR_INPUTLOST;
  }
  int Index() const { return device_; }

 private:
  REFIID OwnInterface() const override { return IID_IDirectInputDevice7A; }
  void LogReleased(ULONG refsAfter) const override {
    bool keyboard = device_ == kKeyboardIndex;
    LogRelease(keyboard ? kFakeObjectKeyboard : kFakeObjectJoystick, keyboard ? -1 : device_,
               serial_, refsAfter);
  }
  FakeDevice& Device() { return DeviceAt(device_); }
  bool Dead() { return generation_ != Device().objectGeneration; }

  int device_ = 0;
  int generation_ = 0;
};

// One effect made by CreateEffect, with its parameters as last given.
class FakeEffectObject : public CountedFake<IDirectInputEffect> {
 public:
  void Begin(FakeDeviceObject* owner, bool sine, int serial) {
    owner_ = owner;
    sine_ = sine;
    serial_ = serial;
    refs_ = 1;
    axes_ = firstAxis_ = period_ = duration_ = gain_ = 0;
    trigger_ = DIEB_NOTRIGGER;
    from_ = magnitude_ = 0;
  }
  FakeDeviceObject* Owner() const { return owner_; }
  // Takes what `flags` name of `p`; axes that are no actuator are refused.
  HRESULT Take(LPCDIEFFECT p, DWORD flags) {
    if (p == nullptr || p->dwSize != sizeof(DIEFFECT) || p->cAxes == 0 || p->rgdwAxes == nullptr ||
        p->rglDirection == nullptr ||
        (p->dwFlags & (DIEFF_OBJECTOFFSETS | DIEFF_CARTESIAN)) != (DIEFF_OBJECTOFFSETS | DIEFF_CARTESIAN)) {
      return DIERR_INVALIDPARAM;
    }
    const FakeDevice& d = Device();
    for (DWORD a = 0; (flags & DIEP_AXES) != 0 && a < p->cAxes; ++a) {
      int i = 0;
      while (i < d.actuators && d.axisOffsets[i] != p->rgdwAxes[a]) ++i;
      if (i == d.actuators) return DIERR_INVALIDPARAM;
    }
    if ((flags & DIEP_AXES) != 0) axes_ = p->cAxes, firstAxis_ = p->rgdwAxes[0];
    if ((flags & DIEP_DIRECTION) != 0) from_ = p->rglDirection[0] > 0 ? 1 : p->rglDirection[0] < 0 ? -1 : 0;
    if ((flags & DIEP_DURATION) != 0) duration_ = p->dwDuration;
    if ((flags & DIEP_GAIN) != 0) gain_ = p->dwGain;
    if ((flags & DIEP_TRIGGERBUTTON) != 0) {
      // By offset, as the effect's flags say; what names none of the device's
      // buttons is no trigger, as Wine takes it.
      DWORD button = p->dwTriggerButton - DIJOFS_BUTTON0;
      trigger_ = button < d.buttons && button < 32 ? p->dwTriggerButton : DIEB_NOTRIGGER;
    }
    if ((flags & DIEP_TYPESPECIFICPARAMS) == 0) return DI_OK;
    if (p->cbTypeSpecificParams != (sine_ ? sizeof(DIPERIODIC) : sizeof(DICONSTANTFORCE))) {
      return DIERR_INVALIDPARAM;
    }
    const DIPERIODIC* periodic = static_cast<const DIPERIODIC*>(p->lpvTypeSpecificParams);
    magnitude_ = sine_ ? static_cast<LONG>(periodic->dwMagnitude)
                       : static_cast<const DICONSTANTFORCE*>(p->lpvTypeSpecificParams)->lMagnitude;
    period_ = sine_ ? periodic->dwPeriod : 0;
    return DI_OK;
  }
  bool Alive() const { return refs_ > 0; }

  STDMETHODIMP Initialize(HINSTANCE, DWORD, REFGUID) override { return Unused(); }
  STDMETHODIMP GetEffectGuid(LPGUID) override { return Unused(); }
  STDMETHODIMP GetParameters(LPDIEFFECT, DWORD) override { return Unused(); }
  STDMETHODIMP SetParameters(LPCDIEFFECT parameters, DWORD flags) override {
    HRESULT result = Call(false, kFakeEffectSetParameters, nullptr);
    if (result == DI_OK) result = Take(parameters, flags);
    if (result != DI_OK || (flags & DIEP_START) == 0) return result;
    if (!owner_->Exclusive()) return DIERR_NOTEXCLUSIVEACQUIRED;
    Play();
    return DI_OK;
  }
  STDMETHODIMP Start(DWORD, DWORD) override {
    HRESULT result = Call(true, kFakeEffectStart, nullptr);
    if (result == DI_OK) Play();
    return result;
  }
  STDMETHODIMP Stop() override { return Call(true, kFakeEffectStepCount, &Device().stops); }
  STDMETHODIMP GetEffectStatus(LPDWORD) override { return Unused(); }
  STDMETHODIMP Download() override { return Call(true, kFakeEffectDownload, &Device().downloads); }
  STDMETHODIMP Unload() override { return Call(false, kFakeEffectStepCount, &Device().unloads); }
  STDMETHODIMP Escape(LPDIEFFESCAPE) override { return Unused(); }

 private:
  REFIID OwnInterface() const override { return IID_IDirectInputEffect; }
  void LogReleased(ULONG refsAfter) const override {
    LogRelease(kFakeObjectEffect, owner_->Index(), serial_, refsAfter);
    if (refsAfter == 0) ++DeviceAt(owner_->Index()).effectsReleased;
  }
  FakeDevice& Device() const { return DeviceAt(owner_->Index()); }
  // One call: refused on a device pulled out, without the exclusive
  // acquisition where it needs it, or as scripted; else counted.
  HRESULT Call(bool exclusive, FakeEffectStep step, int* count) {
    Touch();
    FakeDevice& d = Device();
    if (d.unplugged) return owner_->Gone();
    if (exclusive && !owner_->Exclusive()) return DIERR_NOTEXCLUSIVEACQUIRED;
    if (step != kFakeEffectStepCount && d.effectFail[step] != DI_OK) return d.effectFail[step];
    if (count != nullptr) ++*count;
    return DI_OK;
  }
  void Play() {
    FakeDevice& d = Device();
    int sign = magnitude_ > 0 ? 1 : magnitude_ < 0 ? -1 : 0;
    if (d.playCount < kFakeMaxPlays) {
      d.plays[d.playCount++] = {sine_, axes_, firstAxis_, magnitude_, sine_ ? 0 : -from_ * sign,
                                period_, duration_, gain_, trigger_};
    }
  }

  FakeDeviceObject* owner_ = nullptr;
  bool sine_ = false;
  DWORD axes_ = 0, firstAxis_ = 0, period_ = 0, duration_ = 0, gain_ = 0, trigger_ = DIEB_NOTRIGGER;
  LONG from_ = 0, magnitude_ = 0;
};

class FakeInputObject : public CountedFake<IDirectInput7A> {
 public:
  void Start(int serial) {
    serial_ = serial;
    refs_ = 1;
  }

  STDMETHODIMP CreateDevice(REFGUID, LPDIRECTINPUTDEVICEA*, LPUNKNOWN) override {
    return Unused();
  }
  STDMETHODIMP EnumDevices(DWORD devType, LPDIENUMDEVICESCALLBACKA callback, LPVOID context,
                           DWORD flags) override;
  STDMETHODIMP GetDeviceStatus(REFGUID guid) override;
  STDMETHODIMP RunControlPanel(HWND, DWORD) override { return Unused(); }
  STDMETHODIMP Initialize(HINSTANCE, DWORD) override { return Unused(); }
  STDMETHODIMP FindDevice(REFGUID, LPCSTR, LPGUID) override { return Unused(); }
  STDMETHODIMP CreateDeviceEx(REFGUID guid, REFIID iid, LPVOID* out, LPUNKNOWN outer) override;

 private:
  REFIID OwnInterface() const override { return IID_IDirectInput7A; }
  void LogReleased(ULONG refsAfter) const override {
    LogRelease(kFakeObjectDirectInput, -1, serial_, refsAfter);
  }
};

FakeDeviceObject deviceObjects[kMaxDeviceObjects];
int deviceObjectCount;
FakeInputObject inputObjects[kMaxInputObjects];
int inputObjectCount;
constexpr int kMaxEffectObjects = 64;
FakeEffectObject effectObjects[kMaxEffectObjects];
int effectObjectCount;

HRESULT FakeDeviceObject::CreateEffect(REFGUID guid, LPCDIEFFECT parameters,
                                       LPDIRECTINPUTEFFECT* out, LPUNKNOWN outer) {
  Touch();
  FakeDevice& d = Device();
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (d.unplugged) return Gone();
  if (d.effectFail[kFakeCreateEffect] != DI_OK) return d.effectFail[kFakeCreateEffect];
  bool sine = IsEqualGUID(guid, GUID_Sine) != 0;
  bool offered = sine ? d.offersSine : d.offersConstantForce && IsEqualGUID(guid, GUID_ConstantForce);
  if (!offered) return DIERR_DEVICENOTREG;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (effectObjectCount >= kMaxEffectObjects) return E_OUTOFMEMORY;
  FakeEffectObject& effect = effectObjects[effectObjectCount];
  effect.Begin(this, sine, ++world.serial);
  if (parameters != nullptr) {
    HRESULT result = effect.Take(parameters, DIEP_ALLPARAMS);
    if (result != DI_OK) {
      effect.Clear();
      return result;
    }
  }
  ++effectObjectCount;
  ++d.effectsCreated;
  *out = &effect;
  return DI_OK;
}

HRESULT FakeDeviceObject::SendForceFeedbackCommand(DWORD command) {
  Touch();
  FakeDevice& d = Device();
  if (d.unplugged) return Gone();
  if (!Exclusive()) return DIERR_NOTEXCLUSIVEACQUIRED;
  if (command != DISFFC_STOPALL) return DI_OK;
  ++d.stopAllCommands;
  return DI_OK;
}

HRESULT FakeDeviceObject::EnumCreatedEffectObjects(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK callback,
                                                   LPVOID context, DWORD) {
  Touch();
  if (callback == nullptr) return DIERR_INVALIDPARAM;
  for (int i = 0; i < effectObjectCount; ++i) {
    FakeEffectObject& effect = effectObjects[i];
    if (effect.Owner() != this || !effect.Alive()) continue;
    if (callback(&effect, context) == DIENUM_STOP) break;
  }
  return DI_OK;
}

bool EnumeratesJoysticks(DWORD devType) {
  return devType == 0 || devType == DIDEVTYPE_JOYSTICK;
}

HRESULT FakeInputObject::EnumDevices(DWORD devType, LPDIENUMDEVICESCALLBACKA callback,
                                     LPVOID context, DWORD flags) {
  Touch();
  ++world.input.enumCalls;
  world.input.enumDevType = devType;
  world.input.enumFlags = flags;
  if (callback == nullptr) return DIERR_INVALIDPARAM;
  if (!EnumeratesJoysticks(devType)) return DI_OK;
  for (int j = 0; j < world.joystickCount; ++j) {
    const FakeDevice& d = world.joysticks[j];
    if ((flags & DIEDFL_ATTACHEDONLY) != 0 && !d.attached) continue;
    DIDEVICEINSTANCEA instance;
    std::memset(&instance, 0, sizeof instance);
    instance.dwSize = sizeof instance;
    instance.guidInstance = d.guidInstance;
    instance.guidProduct = d.guidProduct;
    instance.dwDevType = d.devType;
    std::memcpy(instance.tszInstanceName, d.name, sizeof instance.tszInstanceName);
    std::memcpy(instance.tszProductName, d.name, sizeof instance.tszProductName);
    ++world.input.enumCallbacks;
    if (callback(&instance, context) == DIENUM_STOP) {
      ++world.input.enumStops;
      break;
    }
  }
  return DI_OK;
}

// As Wine answers it: DI_OK when a device could be made for the GUID now,
// else DI_NOTATTACHED, which is S_FALSE, a success code.
HRESULT FakeInputObject::GetDeviceStatus(REFGUID guid) {
  Touch();
  if (IsEqualGUID(guid, GUID_SysKeyboard)) return DI_OK;
  const FakeDevice* found = nullptr;
  for (int j = 0; j < world.joystickCount; ++j) {
    if (IsEqualGUID(guid, world.joysticks[j].guidInstance)) found = &world.joysticks[j];
  }
  bool creatable = found != nullptr && !found->unplugged && found->fail[kFakeCreateDevice] == DI_OK;
  return creatable ? DI_OK : DI_NOTATTACHED;
}

HRESULT FakeInputObject::CreateDeviceEx(REFGUID guid, REFIID iid, LPVOID* out, LPUNKNOWN outer) {
  Touch();
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  int index;
  if (IsEqualGUID(guid, GUID_SysKeyboard)) {
    index = kKeyboardIndex;
  } else {
    index = -2;
    for (int j = 0; j < world.joystickCount; ++j) {
      if (IsEqualGUID(guid, world.joysticks[j].guidInstance)) index = j;
    }
    if (index == -2) return DIERR_DEVICENOTREG;
  }
  FakeDevice& d = DeviceAt(index);
  ++d.createCalls;
  if (d.fail[kFakeCreateDevice] != DI_OK) return d.fail[kFakeCreateDevice];
  if (d.unplugged) return DIERR_DEVICENOTREG;
  if (!IsEqualIID(iid, IID_IDirectInputDevice7A)) return E_NOINTERFACE;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (deviceObjectCount >= kMaxDeviceObjects) return E_OUTOFMEMORY;
  FakeDeviceObject& object = deviceObjects[deviceObjectCount++];
  object.Start(index, ++world.serial);
  ++d.objectsCreated;
  // A new object starts unacquired, with no data format.
  d.dataFormat = nullptr;
  d.acquired = false;
  *out = static_cast<IDirectInputDevice7A*>(&object);
  return DI_OK;
}

}  // namespace

void ResetFakeDirectInput() {
  std::memset(&world, 0, sizeof world);
  InitDevice(world.keyboard);
  lstrcpynA(world.keyboard.name, "Keyboard", sizeof world.keyboard.name);
  world.keyboard.guidInstance = GUID_SysKeyboard;
  world.keyboard.devType = DIDEVTYPE_KEYBOARD;
  world.keyboard.buttons = 128;
  // Objects of an earlier test are nobody's any more, even if it leaked them.
  for (int i = 0; i < deviceObjectCount; ++i) deviceObjects[i].Clear();
  for (int i = 0; i < inputObjectCount; ++i) inputObjects[i].Clear();
  for (int i = 0; i < effectObjectCount; ++i) effectObjects[i].Clear();
  deviceObjectCount = 0;
  inputObjectCount = 0;
  effectObjectCount = 0;
}

HRESULT WINAPI FakeDirectInputCreateEx(HINSTANCE instance, DWORD version, REFIID iid,
                                       LPVOID* out, LPUNKNOWN outer) {
  FakeInput& input = world.input;
  ++input.createCalls;
  input.instance = instance;
  input.version = version;
  input.iidWasDirectInput7A = IsEqualIID(iid, IID_IDirectInput7A) != 0;
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (input.createResult != DI_OK) return input.createResult;
  if (version != 0x0700) return DIERR_OLDDIRECTINPUTVERSION;
  if (!input.iidWasDirectInput7A) return E_NOINTERFACE;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (inputObjectCount >= kMaxInputObjects) return E_OUTOFMEMORY;
  FakeInputObject& object = inputObjects[inputObjectCount++];
  object.Start(++world.serial);
  *out = static_cast<IDirectInput7A*>(&object);
  return DI_OK;
}

FakeInput& FakeDirectInput() { return world.input; }
FakeDevice& FakeKeyboard() { return world.keyboard; }

void QueueFakeKeyEvent(int code, bool down, DWORD time) {
  FakeDevice& d = world.keyboard;
  d.keys[code] = down ? 0x80 : 0;
  // Like DirectInput, it keeps events only while acquired.
  if (!d.acquired || d.bufferSize == 0) return;
  // A full buffer loses the event.
  if (d.keyEventCount >= static_cast<int>(d.bufferSize) || d.keyEventCount >= kFakeMaxKeyEvents) {
    return;
  }
  static DWORD sequence = 0;
  d.keyEvents[d.keyEventCount++] = {static_cast<DWORD>(code), down ? 0x80u : 0u, time, ++sequence};
}

void QueueFakeKeyEvent(int code, bool down) { QueueFakeKeyEvent(code, down, GetTickCount()); }

void SetFakeKeys(const int* down, int count) {
  BYTE wanted[256] = {};
  for (int i = 0; i < count; ++i) wanted[down[i]] = 0x80;
  // The changes of one call come in one moment, stamped with the time as
  // DirectInput stamps them; each call a moment later than the last, so the
  // presses of two calls are never taken for one.
  static DWORD last = 0;
  DWORD time = GetTickCount();
  if (static_cast<LONG>(time - last) <= 0) time = last + 1;
  last = time;
  for (bool press : {true, false}) {
    for (int code = 0; code < 256; ++code) {
      bool isDown = (world.keyboard.keys[code] & 0x80) != 0;
      bool wantedDown = wanted[code] != 0;
      if (isDown != press && wantedDown == press) QueueFakeKeyEvent(code, press, time);
    }
  }
}

FakeJoystick& AddFakeJoystick(const char* name) {
  // A test that needs more controllers than the fake holds is wrong itself;
  // the last one is reused rather than written past the table.
  int index = world.joystickCount < kFakeMaxJoysticks ? world.joystickCount++
                                                      : kFakeMaxJoysticks - 1;
  FakeDevice& d = world.joysticks[index];
  InitDevice(d);
  lstrcpynA(d.name, name, sizeof d.name);
  d.guidInstance = {0x7e1a0000u + static_cast<unsigned>(index), 0x4a11, 0x11d0,
                    {0x9a, 0x5c, 0x00, 0x20, 0xaf, 0x0b, 0x1e, static_cast<BYTE>(index)}};
  d.guidProduct = d.guidInstance;
  d.guidProduct.Data2 = 0x9d0c;
  d.devType = DIDEVTYPE_JOYSTICK | (DIDEVTYPEJOYSTICK_UNKNOWN << 8);
  d.buttons = 8;
  SetAxes(d, {DIJOFS_X, DIJOFS_Y, DIJOFS_Z});
  return d;
}

void AddFakeEffect(FakeDevice& device, const GUID& guid, DWORD type, const char* name) {
  if (device.otherEffectCount >= kFakeMaxOtherEffects) return;
  DIEFFECTINFOA& info = device.otherEffects[device.otherEffectCount++];
  std::memset(&info, 0, sizeof info);
  info.dwSize = sizeof info;
  info.guid = guid;
  info.dwEffType = type;
  lstrcpynA(info.tszName, name, sizeof info.tszName);
}

FakeJoystick& FakeJoystickAt(int index) { return world.joysticks[index]; }
int FakeJoystickCount() { return world.joystickCount; }

void SetAxes(FakeDevice& device, std::initializer_list<DWORD> offsets) {
  device.axisCount = 0;
  for (DWORD offset : offsets) {
    if (device.axisCount == kFakeMaxAxes) break;
    device.axisOffsets[device.axisCount++] = offset;
  }
}

void ScriptReads(FakeDevice& device, std::initializer_list<HRESULT> results) {
  device.readCount = 0;
  device.readNext = 0;
  for (HRESULT result : results) {
    if (device.readCount == kFakeMaxReads) break;
    device.reads[device.readCount++] = result;
  }
}

void UnplugFakeJoystick(FakeJoystick& joystick) {
  joystick.attached = false;
  joystick.unplugged = true;
}

void PlugFakeJoystick(FakeJoystick& joystick, bool objectsSurvive) {
  joystick.attached = true;
  joystick.unplugged = false;
  if (!objectsSurvive) {
    ++joystick.objectGeneration;
    joystick.acquired = false;
  }
}

void ReplugFakeJoystickAsNew(FakeJoystick& joystick) {
  PlugFakeJoystick(joystick, false);
  ++joystick.guidInstance.Data3;  // the first field carries its index: still unique
}

const FakeReleaseEntry* ReleaseLog() { return world.releaseLog; }
int ReleaseLogLength() { return world.releaseLogLength; }
int FakeOverReleases() { return world.overReleases; }
int FakeUseAfterRelease() { return world.useAfterRelease; }

int FakeLiveObjects() {
  int live = 0;
  for (int i = 0; i < deviceObjectCount; ++i) live += deviceObjects[i].InUse() ? 1 : 0;
  for (int i = 0; i < inputObjectCount; ++i) live += inputObjects[i].InUse() ? 1 : 0;
  for (int i = 0; i < effectObjectCount; ++i) live += effectObjects[i].InUse() ? 1 : 0;
  return live;
}

int FakeObjectsCreated() { return world.serial; }

FakeDirectInputScope::FakeDirectInputScope() : saved_(InputPlatform) {
  ResetFakeDirectInput();
  InputPlatform.createEx = FakeDirectInputCreateEx;
}

FakeDirectInputScope::~FakeDirectInputScope() { InputPlatform = saved_; }
