#include "tests/fakes/fake_ddraw.h"

#include <cstdlib>
#include <cstring>

#include "graphics/display_catalogue.h"

FakeDisplaySystem* FakeDisplaySystem::running = nullptr;

FakeDevice HardwareDevice(const std::string& name, DWORD renderDepths, WORD maxTextures) {
  return FakeDevice{name, kHardware, renderDepths, maxTextures};
}

FakeDevice SoftwareDevice(const std::string& name) {
  return FakeDevice{name, 0, kAllDepths, 1};
}

FakeDriver PrimaryDriver(const std::string& description, std::vector<FakeMode> modes,
                         std::vector<FakeDevice> devices, DWORD caps2) {
  FakeDriver driver;
  driver.primary = true;
  driver.description = description;
  driver.caps2 = caps2;
  driver.modes = std::move(modes);
  driver.devices = std::move(devices);
  return driver;
}

FakeDriver SecondaryDriver(const std::string& description, std::vector<FakeMode> modes,
                           std::vector<FakeDevice> devices, DWORD caps2) {
  FakeDriver driver = PrimaryDriver(description, std::move(modes), std::move(devices), caps2);
  driver.primary = false;
  return driver;
}

GUID FakeDriverGuid(int index) {
  GUID guid = {0x5e1f0000u + static_cast<unsigned>(index), 0x1234, 0x5678,
               {0x90, 0xab, 0xcd, 0xef, 0x01, 0x23, 0x45, static_cast<unsigned char>(index)}};
  return guid;
}

namespace {

GUID FakeDeviceGuid(int driver, int device) {
  GUID guid = {0xd3d00000u + static_cast<unsigned>(driver * 256 + device), 0x4321, 0x8765,
               {1, 2, 3, 4, 5, 6, static_cast<unsigned char>(driver),
                static_cast<unsigned char>(device)}};
  return guid;
}

FakeDisplaySystem& System() { return *FakeDisplaySystem::running; }

// A surface or a 3D device: of these the report only ever releases what it
// made, so only IUnknown's three entries are filled; any other call would
// fault on a null entry.
class FakeUnknown : public FakeComObject {
 public:
  explicit FakeUnknown(const char* kind) : kind_(kind) { face_.owner = this; }
  template <typename Interface>
  Interface* As() { return reinterpret_cast<Interface*>(&face_); }

 private:
  struct Face {
    const void* const* vtable = kVtable;
    FakeUnknown* owner;
  };
  static HRESULT WINAPI Query(Face*, REFIID, void** out) {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  static ULONG WINAPI Add(Face* face) { return face->owner->CountAddRef(); }
  static ULONG WINAPI Drop(Face* face) { return face->owner->CountRelease(face->owner->kind_); }
  static const void* const kVtable[64];
  Face face_;
  const char* kind_;
};
const void* const FakeUnknown::kVtable[64] = {reinterpret_cast<const void*>(&FakeUnknown::Query),
                                              reinterpret_cast<const void*>(&FakeUnknown::Add),
                                              reinterpret_cast<const void*>(&FakeUnknown::Drop)};

class FakeDirect3D : public IDirect3D7, public FakeComObject {
 public:
  explicit FakeDirect3D(int driver) : driver_(driver) {}

  STDMETHOD(QueryInterface)(REFIID, void** out) override {
    if (out != nullptr) *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHOD_(ULONG, AddRef)() override { return CountAddRef(); }
  STDMETHOD_(ULONG, Release)() override { return CountRelease("d3d"); }

  STDMETHOD(EnumDevices)(LPD3DENUMDEVICESCALLBACK7 callback, void* context) override {
    const FakeDriver& driver = System().drivers[driver_];
    if (driver.devicesResult != D3D_OK) return driver.devicesResult;
    for (size_t i = 0; i < driver.devices.size(); ++i) {
      const FakeDevice& device = driver.devices[i];
      D3DDEVICEDESC7 desc;
      std::memset(&desc, 0, sizeof desc);
      desc.dwDevCaps = device.devCaps;
      desc.dwDeviceRenderBitDepth = device.renderDepths;
      desc.wMaxSimultaneousTextures = device.maxTextures;
      desc.wMaxTextureBlendStages = device.maxTextures;
      desc.deviceGUID = FakeDeviceGuid(driver_, static_cast<int>(i));
      char description[] = "scripted 3D device";
      std::string name = device.name;
      ++System().devicesOffered;
      if (callback(description, &name[0], &desc, context) == D3DENUMRET_CANCEL) break;
    }
    return D3D_OK;
  }
  STDMETHOD(CreateDevice)(REFCLSID guid, IDirectDrawSurface7* surface,
                          IDirect3DDevice7** out) override {
    *out = nullptr;
    const std::vector<FakeDevice>& devices = System().drivers[driver_].devices;
    for (size_t i = 0; i < devices.size(); ++i) {
      if (!IsEqualGUID(guid, FakeDeviceGuid(driver_, static_cast<int>(i)))) continue;
      if (surface == nullptr) return DDERR_INVALIDPARAMS;
      if (devices[i].createResult != D3D_OK) return devices[i].createResult;
      *out = static_cast<FakeUnknown*>(System().Track(std::make_unique<FakeUnknown>("device")))
                 ->As<IDirect3DDevice7>();
      return D3D_OK;
    }
    ++System().guidMismatches;
    return DDERR_INVALIDPARAMS;
  }
  STDMETHOD(CreateVertexBuffer)(D3DVERTEXBUFFERDESC*, IDirect3DVertexBuffer7**, DWORD) override {
    return E_NOTIMPL;
  }
  STDMETHOD(EnumZBufferFormats)(REFCLSID, LPD3DENUMPIXELFORMATSCALLBACK, void*) override {
    return E_NOTIMPL;
  }
  STDMETHOD(EvictManagedTextures)() override { return E_NOTIMPL; }

 private:
  int driver_;
};

class FakeDirectDraw : public IDirectDraw7, public FakeComObject {
 public:
  explicit FakeDirectDraw(int driver) : driver_(driver) {}

  STDMETHOD(QueryInterface)(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (IsEqualGUID(iid, IID_IDirect3D7)) {
      if (System().drivers[driver_].noDirect3D) return E_NOINTERFACE;
      FakeComObject* d3d = System().Track(std::make_unique<FakeDirect3D>(driver_));
      *out = static_cast<IDirect3D7*>(static_cast<FakeDirect3D*>(d3d));
      return S_OK;
    }
    if (IsEqualGUID(iid, IID_IDirectDraw7) || IsEqualGUID(iid, IID_IUnknown)) {
      AddRef();
      *out = static_cast<IDirectDraw7*>(this);
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  STDMETHOD_(ULONG, AddRef)() override { return CountAddRef(); }
  STDMETHOD_(ULONG, Release)() override { return CountRelease("ddraw"); }

  STDMETHOD(GetCaps)(LPDDCAPS driverCaps, LPDDCAPS emulationCaps) override {
    const FakeDriver& driver = System().drivers[driver_];
    if (driver.capsResult != DD_OK) return driver.capsResult;
    if (driverCaps != nullptr) {
      if (driverCaps->dwSize != sizeof(DDCAPS_DX7)) {
        ++System().wrongCapsSizes;
        return DDERR_INVALIDPARAMS;
      }
      driverCaps->dwCaps2 = driver.caps2;
      driverCaps->dwCaps = DDCAPS_3D;
    }
    if (emulationCaps != nullptr) {
      if (emulationCaps->dwSize != sizeof(DDCAPS_DX7)) {
        ++System().wrongCapsSizes;
        return DDERR_INVALIDPARAMS;
      }
      emulationCaps->dwCaps = DDCAPS_BLT;
    }
    return DD_OK;
  }

  STDMETHOD(EnumDisplayModes)(DWORD flags, LPDDSURFACEDESC2 match, LPVOID context,
                              LPDDENUMMODESCALLBACK2 callback) override {
    if (flags != 0 || match != nullptr) ++System().wrongModeRequests;
    if (System().drivers[driver_].modesResult != DD_OK) return System().drivers[driver_].modesResult;
    const std::vector<FakeMode> modes = System().drivers[driver_].modes;
    for (const FakeMode& mode : modes) {
      DDSURFACEDESC2 desc;
      std::memset(&desc, 0, sizeof desc);
      desc.dwSize = sizeof desc;
      desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_PITCH | DDSD_REFRESHRATE;
      desc.dwWidth = mode.width;
      desc.dwHeight = mode.height;
      desc.lPitch = static_cast<LONG>(mode.width * (mode.bits / 8));
      desc.dwRefreshRate = 60;
      desc.ddpfPixelFormat.dwSize = sizeof desc.ddpfPixelFormat;
      desc.ddpfPixelFormat.dwFlags = mode.bits == 8 ? DDPF_PALETTEINDEXED8 | DDPF_RGB : DDPF_RGB;
      desc.ddpfPixelFormat.dwRGBBitCount = mode.bits;
      desc.ddsCaps.dwCaps2 = mode.caps2;
      if (callback(&desc, context) == DDENUMRET_CANCEL) break;
    }
    return DD_OK;
  }

  // Nothing else is expected of the catalogue or the report.
  STDMETHOD(Compact)() override { return E_NOTIMPL; }
  STDMETHOD(CreateClipper)(DWORD, LPDIRECTDRAWCLIPPER*, IUnknown*) override { return E_NOTIMPL; }
  STDMETHOD(CreatePalette)(DWORD, LPPALETTEENTRY, LPDIRECTDRAWPALETTE*, IUnknown*) override {
    return E_NOTIMPL;
  }
  STDMETHOD(CreateSurface)(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* out, IUnknown*) override {
    *out = nullptr;
    if (!cooperating_) return DDERR_NOCOOPERATIVELEVELSET;
    if ((desc->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0) ++System().desktopChanges;
    const DWORD needed = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
    if ((desc->ddsCaps.dwCaps & needed) != needed) return DDERR_INVALIDCAPS;
    if (System().drivers[driver_].surfaceResult != DD_OK) return System().drivers[driver_].surfaceResult;
    *out = static_cast<FakeUnknown*>(System().Track(std::make_unique<FakeUnknown>("surface")))
               ->As<IDirectDrawSurface7>();
    return DD_OK;
  }
  STDMETHOD(DuplicateSurface)(LPDIRECTDRAWSURFACE7, LPDIRECTDRAWSURFACE7*) override {
    return E_NOTIMPL;
  }
  STDMETHOD(EnumSurfaces)(DWORD, LPDDSURFACEDESC2, LPVOID, LPDDENUMSURFACESCALLBACK7) override {
    return E_NOTIMPL;
  }
  STDMETHOD(FlipToGDISurface)() override { return E_NOTIMPL; }
  STDMETHOD(GetDisplayMode)(LPDDSURFACEDESC2) override { return E_NOTIMPL; }
  STDMETHOD(GetFourCCCodes)(LPDWORD, LPDWORD) override { return E_NOTIMPL; }
  STDMETHOD(GetGDISurface)(LPDIRECTDRAWSURFACE7*) override { return E_NOTIMPL; }
  STDMETHOD(GetMonitorFrequency)(LPDWORD) override { return E_NOTIMPL; }
  STDMETHOD(GetScanLine)(LPDWORD) override { return E_NOTIMPL; }
  STDMETHOD(GetVerticalBlankStatus)(WINBOOL*) override { return E_NOTIMPL; }
  STDMETHOD(Initialize)(GUID*) override { return E_NOTIMPL; }
  STDMETHOD(RestoreDisplayMode)() override {
    System().events.push_back("restore mode");
    return DD_OK;
  }
  STDMETHOD(SetCooperativeLevel)(HWND window, DWORD flags) override {
    if (window != nullptr || flags != DDSCL_NORMAL) ++System().desktopChanges;
    System().events.push_back((flags & DDSCL_EXCLUSIVE) != 0 ? "level exclusive" : "level normal");
    if (System().drivers[driver_].levelResult != DD_OK) return System().drivers[driver_].levelResult;
    cooperating_ = true;
    return DD_OK;
  }
  STDMETHOD(SetDisplayMode)(DWORD width, DWORD height, DWORD bits, DWORD, DWORD) override {
    ++System().desktopChanges;
    System().events.push_back("mode " + std::to_string(width) + "x" + std::to_string(height) + "x" +
                              std::to_string(bits));
    return System().drivers[driver_].modeResult;
  }
  STDMETHOD(WaitForVerticalBlank)(DWORD, HANDLE) override { return E_NOTIMPL; }
  STDMETHOD(GetAvailableVidMem)(LPDDSCAPS2, LPDWORD, LPDWORD) override { return E_NOTIMPL; }
  STDMETHOD(GetSurfaceFromDC)(HDC, LPDIRECTDRAWSURFACE7*) override { return E_NOTIMPL; }
  STDMETHOD(RestoreAllSurfaces)() override { return E_NOTIMPL; }
  STDMETHOD(TestCooperativeLevel)() override { return E_NOTIMPL; }
  STDMETHOD(GetDeviceIdentifier)(LPDDDEVICEIDENTIFIER2, DWORD) override { return E_NOTIMPL; }
  STDMETHOD(StartModeTest)(LPSIZE, DWORD, DWORD) override { return E_NOTIMPL; }
  STDMETHOD(EvaluateMode)(DWORD, DWORD*) override { return E_NOTIMPL; }

 private:
  int driver_;
  bool cooperating_ = false;
};

HRESULT WINAPI FakeEnumerateDrivers(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags) {
  FakeDisplaySystem& system = System();
  system.driverEnumerationFlags.push_back(flags);
  if (system.enumerateResult != DD_OK) return system.enumerateResult;
  for (size_t i = 0; i < system.drivers.size(); ++i) {
    const FakeDriver& driver = system.drivers[i];
    GUID guid = FakeDriverGuid(static_cast<int>(i));
    std::string description = driver.description;
    char name[] = "display";
    system.currentDriver = static_cast<int>(i);
    ++system.driversOffered;
    BOOL goOn = callback(driver.primary ? nullptr : &guid, &description[0], name, context, nullptr);
    system.currentDriver = -1;
    if (!goOn) break;
  }
  return DD_OK;
}

HRESULT WINAPI FakeCreateDirectDraw(GUID* guid, LPVOID* out, REFIID iid, IUnknown* outer) {
  FakeDisplaySystem& system = System();
  if (out == nullptr) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  int index = system.currentDriver;
  // Outside the enumeration (the report's rendering check), the GUID names the driver.
  for (size_t i = 0; index < 0 && i < system.drivers.size(); ++i) {
    GUID known = FakeDriverGuid(static_cast<int>(i));
    if (system.drivers[i].primary ? guid == nullptr : guid != nullptr && IsEqualGUID(*guid, known))
      index = static_cast<int>(i);
  }
  if (index < 0 || outer != nullptr || !IsEqualGUID(iid, IID_IDirectDraw7)) {
    ++system.guidMismatches;
    return DDERR_INVALIDPARAMS;
  }
  const FakeDriver& driver = system.drivers[index];
  GUID expected = FakeDriverGuid(index);
  if (driver.primary ? guid != nullptr : (guid == nullptr || !IsEqualGUID(*guid, expected))) {
    ++system.guidMismatches;
    return DDERR_INVALIDPARAMS;
  }
  if (driver.createFails) return DDERR_NODIRECTDRAWHW;
  FakeComObject* object = system.Track(std::make_unique<FakeDirectDraw>(index));
  *out = static_cast<IDirectDraw7*>(static_cast<FakeDirectDraw*>(object));
  return DD_OK;
}

void* FakeAllocate(std::size_t bytes) {
  FakeDisplaySystem& system = System();
  ++system.allocations;
  if (system.failAllocation != 0 && system.allocations == system.failAllocation) return nullptr;
  void* block = std::malloc(bytes == 0 ? 1 : bytes);
  system.liveBlocks.insert(block);
  return block;
}

void FakeRelease(void* block) {
  FakeDisplaySystem& system = System();
  ++system.frees;
  if (system.liveBlocks.erase(block) == 0) {
    ++system.foreignFrees;  // not ours, or freed before: leave it alone
    return;
  }
  std::free(block);
}

}  // namespace

ULONG FakeComObject::CountRelease(const char* kind) {
  if (references == 0) {
    ++overReleases;
    return 0;
  }
  if (--references == 0) {
    FakeDisplaySystem::running->releaseOrder.push_back(kind);
    FakeDisplaySystem::running->events.push_back(std::string("release ") + kind);
  }
  return references;
}

FakeDisplaySystem::FakeDisplaySystem(std::vector<FakeDriver> scripted)
    : drivers(std::move(scripted)) {
  // Mode arrays of an earlier catalogue came from another allocator; give them
  // back to it before this one takes over.
  ReleaseDisplayDevices();
  running = this;
  DisplayPlatform fake;
  fake.enumerateDrivers = FakeEnumerateDrivers;
  fake.createDirectDraw = FakeCreateDirectDraw;
  fake.allocate = FakeAllocate;
  fake.release = FakeRelease;
  DisplayPlatformCalls = fake;
}

FakeDisplaySystem::~FakeDisplaySystem() {
  ReleaseDisplayDevices();
  DisplayPlatformCalls = RealDisplayPlatform();
  running = nullptr;
  for (void* block : liveBlocks) std::free(block);
}

FakeComObject* FakeDisplaySystem::Track(std::unique_ptr<FakeComObject> object) {
  objects_.push_back(std::move(object));
  return objects_.back().get();
}

IUnknown* FakeDisplaySystem::MakeObject(const char* kind) {
  return static_cast<FakeUnknown*>(Track(std::make_unique<FakeUnknown>(kind)))->As<IUnknown>();
}

int FakeDisplaySystem::LiveObjects() const {
  int live = 0;
  for (const auto& object : objects_)
    if (object->references > 0) ++live;
  return live;
}

int FakeDisplaySystem::OverReleases() const {
  int count = 0;
  for (const auto& object : objects_) count += object->overReleases;
  return count;
}
