#include "graphics/display_catalogue.h"

#include <cstdlib>
#include <cstring>

#include "program/system_library.h"

DisplayDeviceCatalogueRecord DisplayDeviceCatalogue;
const DisplayCatalogueObserver* DisplayObserver = nullptr;

namespace {

void* HeapAllocate(std::size_t bytes) { return std::malloc(bytes); }
void HeapRelease(void* block) { std::free(block); }

// ddraw.dll is loaded by the first graphics run rather than at start. Should it
// be missing, enumeration reports the load's failure and lists no device, so the
// run says the enumeration failed, as on a machine without 3D hardware.

HRESULT WINAPI LoadAndEnumerateDrivers(LPDDENUMCALLBACKEXA callback, LPVOID context,
                                       DWORD flags) {
  HRESULT failure = S_OK;
  auto enumerate = FindSystemFunctionAs<decltype(&DirectDrawEnumerateExA)>(
      kDirectDrawLibrary, "DirectDrawEnumerateExA", failure);
  if (enumerate == nullptr) return failure;
  return enumerate(callback, context, flags);
}

HRESULT WINAPI LoadAndCreateDirectDraw(GUID* driverGuid, LPVOID* directDraw, REFIID iid,
                                       IUnknown* outer) {
  HRESULT failure = S_OK;
  auto create = FindSystemFunctionAs<decltype(&DirectDrawCreateEx)>(
      kDirectDrawLibrary, "DirectDrawCreateEx", failure);
  if (create == nullptr) return failure;
  return create(driverGuid, directDraw, iid, outer);
}

// Every kind of display driver: the primary one, attached and detached
// secondary ones, and 3D-only cards that drive no desktop.
constexpr DWORD kDriverEnumerationFlags =
    DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_DETACHEDSECONDARYDEVICES | DDENUM_NONDISPLAYDEVICES;

// What all 3D devices of the driver being enumerated share, and every mode the
// driver offers (of every depth). Lives only inside AddDisplayDriver.
struct DisplayDriverTemplate {
  DisplayDeviceEntry entry;
  bool modeListFailed;  // the mode list could not grow: the driver is skipped
};

void CopyShownName(char* destination, const char* text) {
  lstrcpynA(destination, text != nullptr ? text : "", kDisplayNameCopyLimit);
}

void FreeModes(DisplayDeviceEntry& entry) {
  if (entry.modes != nullptr) DisplayPlatformCalls.release(entry.modes);
  entry.modes = nullptr;
  entry.modeCount = 0;
}

int CompareModesForSort(const void* a, const void* b) {
  return CompareDisplayModes(*static_cast<const DisplayModeEntry*>(a),
                             *static_cast<const DisplayModeEntry*>(b));
}

// Whether a 3D device whose render depths are renderDepths can draw into a mode
// of bitCount bits per pixel. Palette modes and every other depth never qualify.
bool CanRenderToDepth(DWORD renderDepths, DWORD bitCount) {
  switch (bitCount) {
    case 32: return (renderDepths & DDBD_32) != 0;
    case 24: return (renderDepths & DDBD_24) != 0;
    case 16: return (renderDepths & DDBD_16) != 0;
    default: return false;
  }
}

// Keeps, in the template's order, the modes the device can render to.
void KeepRenderableModes(DisplayDeviceEntry& entry, const DisplayDeviceEntry& driver) {
  for (int32_t i = 0; i < driver.modeCount; ++i) {
    const DisplayModeEntry& mode = driver.modes[i];
    if (!CanRenderToDepth(entry.deviceDesc.dwDeviceRenderBitDepth,
                          mode.ddpfPixelFormat.dwRGBBitCount))
      continue;
    entry.modes[entry.modeCount++] = mode;
    if ((mode.ddsCaps.dwCaps2 & DDSCAPS2_STEREOSURFACELEFT) != 0) entry.hasStereoMode = 1;
  }
}

// Whether any of the driver's modes has a depth the device renders to: the
// same test KeepRenderableModes keeps modes by.
bool HasRenderableMode(const DisplayDeviceEntry& driver, DWORD renderDepths) {
  for (int32_t i = 0; i < driver.modeCount; ++i)
    if (CanRenderToDepth(renderDepths, driver.modes[i].ddpfPixelFormat.dwRGBBitCount)) return true;
  return false;
}

void TellFailure(DisplayCatalogueCall call, HRESULT result) {
  if (DisplayObserver != nullptr) DisplayObserver->callFailed(DisplayObserver->context, call, result);
}

void TellVerdict(const char* deviceName, DisplayDeviceVerdict verdict, int32_t row) {
  if (DisplayObserver != nullptr)
    DisplayObserver->deviceJudged(DisplayObserver->context, deviceName != nullptr ? deviceName : "",
                                  verdict, row);
}

// The catalogue is full and someone watches: what the device would have been
// told had there been room, with nothing stored.
void JudgeDeviceBeyondLimit(const char* deviceName, const D3DDEVICEDESC7& deviceDesc,
                            const DisplayDeviceEntry& driver) {
  DisplayDeviceVerdict verdict = kDeviceBeyondLimit;
  if ((deviceDesc.dwDevCaps & D3DDEVCAPS_HWRASTERIZATION) == 0)
    verdict = kDeviceNotHardware;
  else if (!HasRenderableMode(driver, deviceDesc.dwDeviceRenderBitDepth))
    verdict = kDeviceNoRenderableMode;
  TellVerdict(deviceName, verdict, -1);
}

// While someone watches, enumeration goes on past the 16th device.
HRESULT AfterCountedDevice() {
  if (DisplayObserver != nullptr) return D3DENUMRET_OK;
  return DisplayDeviceCatalogue.count < kDisplayDeviceCapacity ? D3DENUMRET_OK : D3DENUMRET_CANCEL;
}

}  // namespace

DisplayPlatform RealDisplayPlatform() {
  DisplayPlatform real;
  real.enumerateDrivers = LoadAndEnumerateDrivers;
  real.createDirectDraw = LoadAndCreateDirectDraw;
  real.allocate = HeapAllocate;
  real.release = HeapRelease;
  return real;
}

DisplayPlatform DisplayPlatformCalls = RealDisplayPlatform();

int CompareDisplayModes(const DisplayModeEntry& a, const DisplayModeEntry& b) {
  if (a.dwWidth != b.dwWidth) return a.dwWidth < b.dwWidth ? -1 : 1;
  if (a.dwHeight != b.dwHeight) return a.dwHeight < b.dwHeight ? -1 : 1;
  DWORD depthA = a.ddpfPixelFormat.dwRGBBitCount;
  DWORD depthB = b.ddpfPixelFormat.dwRGBBitCount;
  if (depthA != depthB) return depthA < depthB ? -1 : 1;
  return 0;
}

void ReleaseDisplayDevices() {
  // Only counted slots hold an array (an uncounted one gives its array back at
  // once), but every slot is looked at so nothing can be missed.
  for (DisplayDeviceEntry& entry : DisplayDeviceCatalogue.entries) FreeModes(entry);
  DisplayDeviceCatalogue.count = 0;
}

bool EnumerateDisplayDevices() {
  ReleaseDisplayDevices();
  std::memset(&DisplayDeviceCatalogue, 0, sizeof DisplayDeviceCatalogue);
  HRESULT result =
      DisplayPlatformCalls.enumerateDrivers(AddDisplayDriver, nullptr, kDriverEnumerationFlags);
  if (FAILED(result)) TellFailure(kCallEnumerateDrivers, result);
  return DisplayDeviceCatalogue.count > 0;
}

BOOL WINAPI AddDisplayDriver(GUID* driverGuid, LPSTR description, LPSTR driverName, LPVOID,
                             HMONITOR) {
  if (DisplayObserver != nullptr)
    DisplayObserver->driverOffered(DisplayObserver->context, driverGuid,
                                   description != nullptr ? description : "",
                                   driverName != nullptr ? driverName : "");
  IDirectDraw7* directDraw = nullptr;
  HRESULT created = DisplayPlatformCalls.createDirectDraw(
      driverGuid, reinterpret_cast<LPVOID*>(&directDraw), IID_IDirectDraw7, nullptr);
  if (created != DD_OK || directDraw == nullptr) {
    TellFailure(kCallCreateDirectDraw, created != DD_OK ? created : E_POINTER);
    return DDENUMRET_OK;
  }
  IDirect3D7* direct3D = nullptr;
  HRESULT queried =
      directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D));
  if (FAILED(queried) || direct3D == nullptr) {
    TellFailure(kCallQueryDirect3D, FAILED(queried) ? queried : E_POINTER);
    directDraw->Release();
    return DDENUMRET_OK;
  }

  DisplayDriverTemplate driver;
  std::memset(&driver, 0, sizeof driver);
  DisplayDeviceEntry& shared = driver.entry;
  CopyShownName(shared.name, description);
  shared.driverCaps.dwSize = sizeof(DDCAPS_DX7);
  shared.emulationCaps.dwSize = sizeof(DDCAPS_DX7);
  // A failed call leaves the capabilities zero, so the devices are judged
  // without them; it is only told.
  HRESULT caps = directDraw->GetCaps(reinterpret_cast<LPDDCAPS>(&shared.driverCaps),
                                     reinterpret_cast<LPDDCAPS>(&shared.emulationCaps));
  if (FAILED(caps)) TellFailure(kCallGetCaps, caps);
  if (driverGuid != nullptr) {
    shared.driverGuid = *driverGuid;
    shared.driverGuidRef = &shared.driverGuid;
  }
  // Only the primary display driver can draw into a window on the desktop.
  shared.canRenderWindowed =
      (shared.driverCaps.dwCaps2 & DDCAPS2_CANRENDERWINDOWED) != 0 && shared.driverGuidRef == nullptr;

  HRESULT listed = directDraw->EnumDisplayModes(0, nullptr, &driver, AppendDisplayMode);
  if (FAILED(listed)) TellFailure(kCallEnumDisplayModes, listed);
  if (driver.modeListFailed) {
    TellFailure(kCallEnumDisplayModes, E_OUTOFMEMORY);
  } else {
    if (shared.modeCount > 1)
      std::qsort(shared.modes, static_cast<std::size_t>(shared.modeCount),
                 sizeof(DisplayModeEntry), CompareModesForSort);
    if (DisplayObserver != nullptr)
      DisplayObserver->modesListed(DisplayObserver->context, shared.modeCount);
    HRESULT enumerated = direct3D->EnumDevices(AddDirect3DDevice, &driver);
    if (FAILED(enumerated)) TellFailure(kCallEnumDevices, enumerated);
  }
  FreeModes(shared);
  if (DisplayObserver != nullptr && DisplayObserver->driverDone != nullptr)
    DisplayObserver->driverDone(DisplayObserver->context, directDraw, direct3D);

  // The DirectDraw object first, then the Direct3D interface taken from it.
  directDraw->Release();
  direct3D->Release();
  // While someone watches, every driver is looked at, the catalogue full or not.
  if (DisplayObserver != nullptr) return DDENUMRET_OK;
  return DisplayDeviceCatalogue.count < kDisplayDeviceCapacity ? DDENUMRET_OK : DDENUMRET_CANCEL;
}

HRESULT WINAPI AppendDisplayMode(LPDDSURFACEDESC2 mode, LPVOID context) {
  DisplayDriverTemplate& driver = *static_cast<DisplayDriverTemplate*>(context);
  DisplayDeviceEntry& shared = driver.entry;
  if (driver.modeListFailed || mode == nullptr) return DDENUMRET_OK;
  std::size_t count = static_cast<std::size_t>(shared.modeCount);
  DisplayModeEntry* grown = static_cast<DisplayModeEntry*>(
      DisplayPlatformCalls.allocate((count + 1) * sizeof(DisplayModeEntry)));
  if (grown == nullptr) {
    // A driver whose modes cannot all be held is left out rather than listed
    // with some of its modes missing.
    FreeModes(shared);
    driver.modeListFailed = true;
    return DDENUMRET_CANCEL;
  }
  if (count > 0) std::memcpy(grown, shared.modes, count * sizeof(DisplayModeEntry));
  if (shared.modes != nullptr) DisplayPlatformCalls.release(shared.modes);
  grown[count] = *mode;
  shared.modes = grown;
  shared.modeCount = static_cast<int32_t>(count + 1);
  return DDENUMRET_OK;
}

HRESULT WINAPI AddDirect3DDevice(LPSTR, LPSTR deviceName, LPD3DDEVICEDESC7 deviceDesc,
                                 LPVOID context) {
  DisplayDeviceCatalogueRecord& catalogue = DisplayDeviceCatalogue;
  const DisplayDeviceEntry& shared = static_cast<DisplayDriverTemplate*>(context)->entry;
  if (catalogue.count >= kDisplayDeviceCapacity) {
    if (DisplayObserver == nullptr) return D3DENUMRET_CANCEL;
    if (deviceDesc != nullptr) JudgeDeviceBeyondLimit(deviceName, *deviceDesc, shared);
    return D3DENUMRET_OK;
  }
  if (deviceDesc == nullptr) return D3DENUMRET_OK;

  DisplayDeviceEntry& entry = catalogue.entries[catalogue.count];
  FreeModes(entry);
  std::memset(&entry, 0, sizeof entry);
  entry.hardwareRasterization = (deviceDesc->dwDevCaps & D3DDEVCAPS_HWRASTERIZATION) != 0;
  entry.deviceDesc = *deviceDesc;
  entry.canRenderWindowed = shared.canRenderWindowed;
  entry.driverCaps = shared.driverCaps;
  entry.emulationCaps = shared.emulationCaps;
  entry.deviceGuid = deviceDesc->deviceGUID;
  entry.deviceGuidRef = &entry.deviceGuid;
  if (shared.driverGuidRef != nullptr) {
    // A secondary driver's devices are shown by the driver's description.
    entry.driverGuid = shared.driverGuid;
    entry.driverGuidRef = &entry.driverGuid;
    CopyShownName(entry.name, shared.name);
  } else {
    CopyShownName(entry.name, deviceName);
  }

  // Software devices are not listed; the slot is used again by the next device.
  if (!entry.hardwareRasterization) {
    TellVerdict(deviceName, kDeviceNotHardware, -1);
    return D3DENUMRET_OK;
  }
  if (shared.modeCount <= 0) {
    TellVerdict(deviceName, kDeviceNoRenderableMode, -1);
    return D3DENUMRET_OK;
  }

  entry.modes = static_cast<DisplayModeEntry*>(DisplayPlatformCalls.allocate(
      static_cast<std::size_t>(shared.modeCount) * sizeof(DisplayModeEntry)));
  if (entry.modes == nullptr) {  // no memory: this device is not listed
    TellVerdict(deviceName, kDeviceOutOfMemory, -1);
    return D3DENUMRET_OK;
  }
  KeepRenderableModes(entry, shared);
  if (entry.modeCount == 0) {
    FreeModes(entry);
    TellVerdict(deviceName, kDeviceNoRenderableMode, -1);
    return D3DENUMRET_OK;
  }

  ++catalogue.count;
  TellVerdict(deviceName, kDeviceAccepted, catalogue.count - 1);
  return AfterCountedDevice();
}
