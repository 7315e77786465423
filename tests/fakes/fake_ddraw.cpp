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

// A 3D device, or a scripted step's stand-in: of these the report and the
// scripted graphics test only release what they made, and a device lists the
// system's texture formats, so only IUnknown's three entries and
// IDirect3DDevice7::EnumTextureFormats are filled; any other call would
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
  static HRESULT WINAPI EnumFormats(Face*, LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) {
    std::vector<DDPIXELFORMAT> formats = System().textureFormats;
    for (DDPIXELFORMAT& format : formats)
      if (callback(&format, context) != D3DENUMRET_OK) break;
    return D3D_OK;
  }
  static const void* const kVtable[64];
  Face face_;
  const char* kind_;
};
const void* const FakeUnknown::kVtable[64] = {reinterpret_cast<const void*>(&FakeUnknown::Query),
                                              reinterpret_cast<const void*>(&FakeUnknown::Add),
                                              reinterpret_cast<const void*>(&FakeUnknown::Drop),
                                              nullptr,  // GetCaps
                                              reinterpret_cast<const void*>(&FakeUnknown::EnumFormats)};

class FakeClipper : public IDirectDrawClipper, public FakeComObject {
 public:
  HWND window = nullptr;
  STDMETHOD(QueryInterface)(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHOD_(ULONG, AddRef)() override { return CountAddRef(); }
  STDMETHOD_(ULONG, Release)() override { return CountRelease("clipper"); }
  STDMETHOD(GetClipList)(LPRECT, LPRGNDATA, LPDWORD) override { return E_NOTIMPL; }
  STDMETHOD(GetHWnd)(HWND* out) override {
    *out = window;
    return DD_OK;
  }
  STDMETHOD(Initialize)(LPDIRECTDRAW, DWORD) override { return DDERR_ALREADYINITIALIZED; }
  STDMETHOD(IsClipListChanged)(WINBOOL*) override { return E_NOTIMPL; }
  STDMETHOD(SetClipList)(LPRGNDATA, DWORD) override { return E_NOTIMPL; }
  STDMETHOD(SetHWnd)(DWORD, HWND handle) override {
    window = handle;
    return DD_OK;
  }
};

// A surface the graphics test makes: it can be lost, a primary has its back
// buffer attached and may take a clipper, and one made with a size and an RGB
// format can be locked whole. Whatever else it is asked answers E_NOTIMPL.
class FakeSurface : public IDirectDrawSurface7, public FakeComObject {
 public:
  // `window`: its DirectDraw object's cooperative window.
  FakeSurface(const char* kind, bool managed, const HWND* window, const DDSURFACEDESC2& desc)
      : kind_(kind), managed_(managed), window_(window), desc_(desc) {
    const DWORD sized = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    if ((desc.dwFlags & sized) != sized) return;
    desc_.lPitch = static_cast<LONG>(desc.dwWidth * (desc.ddpfPixelFormat.dwRGBBitCount / 8));
    pixels_.resize(static_cast<size_t>(desc_.lPitch) * desc.dwHeight);
  }
  bool lost = false;
  FakeSurface* back = nullptr;  // of a flipping primary, which holds it
  FakeClipper* clipper = nullptr;
  // Managed textures are not lost: DirectDraw keeps a copy of them.
  void Lose() { lost = !managed_; }

  STDMETHOD(QueryInterface)(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHOD_(ULONG, AddRef)() override { return CountAddRef(); }
  STDMETHOD_(ULONG, Release)() override {
    ULONG left = CountRelease(kind_);
    if (left == 0 && clipper != nullptr) clipper->Release();
    if (left == 0) clipper = nullptr;
    return left;
  }
  STDMETHOD(GetAttachedSurface)(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* out) override {
    *out = nullptr;
    if (back == nullptr || (caps->dwCaps & DDSCAPS_BACKBUFFER) == 0) return DDERR_NOTFOUND;
    back->AddRef();
    *out = back;
    return DD_OK;
  }
  STDMETHOD(IsLost)() override { return lost ? DDERR_SURFACELOST : DD_OK; }
  STDMETHOD(SetClipper)(LPDIRECTDRAWCLIPPER given) override {
    if (given != nullptr) given->AddRef();
    if (clipper != nullptr) clipper->Release();
    clipper = static_cast<FakeClipper*>(given);
    HWND clipped = clipper != nullptr ? clipper->window : nullptr;
    if (clipped != nullptr) System().events.push_back(clipped == *window_ ? "clip primary" : "clip elsewhere");
    return DD_OK;
  }
  STDMETHOD(AddAttachedSurface)(LPDIRECTDRAWSURFACE7) override { return E_NOTIMPL; }
  STDMETHOD(AddOverlayDirtyRect)(LPRECT) override { return E_NOTIMPL; }
  STDMETHOD(Blt)(LPRECT, LPDIRECTDRAWSURFACE7, LPRECT, DWORD, LPDDBLTFX) override { return E_NOTIMPL; }
  STDMETHOD(BltBatch)(LPDDBLTBATCH, DWORD, DWORD) override { return E_NOTIMPL; }
  STDMETHOD(BltFast)(DWORD, DWORD, LPDIRECTDRAWSURFACE7, LPRECT, DWORD) override { return E_NOTIMPL; }
  STDMETHOD(DeleteAttachedSurface)(DWORD, LPDIRECTDRAWSURFACE7) override { return E_NOTIMPL; }
  STDMETHOD(EnumAttachedSurfaces)(LPVOID, LPDDENUMSURFACESCALLBACK7) override { return E_NOTIMPL; }
  STDMETHOD(EnumOverlayZOrders)(DWORD, LPVOID, LPDDENUMSURFACESCALLBACK7) override { return E_NOTIMPL; }
  STDMETHOD(Flip)(LPDIRECTDRAWSURFACE7, DWORD) override { return E_NOTIMPL; }
  STDMETHOD(GetBltStatus)(DWORD) override { return E_NOTIMPL; }
  STDMETHOD(GetCaps)(LPDDSCAPS2) override { return E_NOTIMPL; }
  STDMETHOD(GetClipper)(LPDIRECTDRAWCLIPPER*) override { return E_NOTIMPL; }
  STDMETHOD(GetColorKey)(DWORD, LPDDCOLORKEY) override { return E_NOTIMPL; }
  STDMETHOD(GetDC)(HDC*) override { return E_NOTIMPL; }
  STDMETHOD(GetFlipStatus)(DWORD) override { return E_NOTIMPL; }
  STDMETHOD(GetOverlayPosition)(LPLONG, LPLONG) override { return E_NOTIMPL; }
  STDMETHOD(GetPalette)(LPDIRECTDRAWPALETTE*) override { return E_NOTIMPL; }
  STDMETHOD(GetPixelFormat)(LPDDPIXELFORMAT) override { return E_NOTIMPL; }
  STDMETHOD(GetSurfaceDesc)(LPDDSURFACEDESC2) override { return E_NOTIMPL; }
  STDMETHOD(Initialize)(LPDIRECTDRAW, LPDDSURFACEDESC2) override { return DDERR_ALREADYINITIALIZED; }
  STDMETHOD(Lock)(LPRECT area, LPDDSURFACEDESC2 desc, DWORD, HANDLE) override {
    if (area != nullptr || pixels_.empty()) return E_NOTIMPL;
    if (lost) return DDERR_SURFACELOST;
    *desc = desc_;
    desc->lpSurface = pixels_.data();
    return DD_OK;
  }
  STDMETHOD(ReleaseDC)(HDC) override { return E_NOTIMPL; }
  STDMETHOD(Restore)() override { return E_NOTIMPL; }
  STDMETHOD(SetColorKey)(DWORD, LPDDCOLORKEY) override { return E_NOTIMPL; }
  STDMETHOD(SetOverlayPosition)(LONG, LONG) override { return E_NOTIMPL; }
  STDMETHOD(SetPalette)(LPDIRECTDRAWPALETTE) override { return E_NOTIMPL; }
  STDMETHOD(Unlock)(LPRECT) override { return DD_OK; }
  STDMETHOD(UpdateOverlay)(LPRECT, LPDIRECTDRAWSURFACE7, LPRECT, DWORD, LPDDOVERLAYFX) override { return E_NOTIMPL; }
  STDMETHOD(UpdateOverlayDisplay)(DWORD) override { return E_NOTIMPL; }
  STDMETHOD(UpdateOverlayZOrder)(DWORD, LPDIRECTDRAWSURFACE7) override { return E_NOTIMPL; }
  STDMETHOD(GetDDInterface)(LPVOID*) override { return E_NOTIMPL; }
  STDMETHOD(PageLock)(DWORD) override { return E_NOTIMPL; }
  STDMETHOD(PageUnlock)(DWORD) override { return E_NOTIMPL; }
  STDMETHOD(SetSurfaceDesc)(LPDDSURFACEDESC2, DWORD) override { return E_NOTIMPL; }
  STDMETHOD(SetPrivateData)(REFGUID, LPVOID, DWORD, DWORD) override { return E_NOTIMPL; }
  STDMETHOD(GetPrivateData)(REFGUID, LPVOID, LPDWORD) override { return E_NOTIMPL; }
  STDMETHOD(FreePrivateData)(REFGUID) override { return E_NOTIMPL; }
  STDMETHOD(GetUniquenessValue)(LPDWORD) override { return E_NOTIMPL; }
  STDMETHOD(ChangeUniquenessValue)() override { return E_NOTIMPL; }
  STDMETHOD(SetPriority)(DWORD) override { return E_NOTIMPL; }
  STDMETHOD(GetPriority)(LPDWORD) override { return E_NOTIMPL; }
  STDMETHOD(SetLOD)(DWORD) override { return E_NOTIMPL; }
  STDMETHOD(GetLOD)(LPDWORD) override { return E_NOTIMPL; }

 private:
  const char* kind_;
  bool managed_;
  const HWND* window_;
  DDSURFACEDESC2 desc_;
  std::vector<BYTE> pixels_;  // of a surface given a size and an RGB format
};

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
      desc.dwMaxTextureWidth = device.maxTextureWidth;
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
  STDMETHOD_(ULONG, Release)() override {
    ULONG left = CountRelease("ddraw");
    if (left == 0) Unwatch();
    return left;
  }

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

  // What the catalogue, the report and the graphics test call; nothing else
  // is expected of them.
  STDMETHOD(Compact)() override { return E_NOTIMPL; }
  STDMETHOD(CreateClipper)(DWORD flags, LPDIRECTDRAWCLIPPER* out, IUnknown* outer) override {
    *out = nullptr;
    if (flags != 0 || outer != nullptr) return DDERR_INVALIDPARAMS;
    *out = static_cast<FakeClipper*>(System().Track(std::make_unique<FakeClipper>()));
    return DD_OK;
  }
  STDMETHOD(CreatePalette)(DWORD, LPPALETTEENTRY, LPDIRECTDRAWPALETTE*, IUnknown*) override {
    return E_NOTIMPL;
  }
  // Off-screen 3D surfaces, textures and primaries; a flipping primary only at
  // the exclusive level, with its one back buffer (the test's chain).
  STDMETHOD(CreateSurface)(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* out, IUnknown*) override {
    *out = nullptr;
    if (!cooperating_) return DDERR_NOCOOPERATIVELEVELSET;
    const DWORD caps = desc->ddsCaps.dwCaps;
    const bool flipping = (caps & DDSCAPS_FLIP) != 0;
    const char* kind = "surface";
    if ((caps & DDSCAPS_PRIMARYSURFACE) != 0) {
      ++System().desktopChanges;
      kind = "primary";
      if (flipping && !exclusive_) return DDERR_NOEXCLUSIVEMODE;
      if (flipping && ((caps & DDSCAPS_COMPLEX) == 0 || (desc->dwFlags & DDSD_BACKBUFFERCOUNT) == 0 ||
                       desc->dwBackBufferCount != 1))
        return DDERR_INVALIDPARAMS;
    } else if ((caps & DDSCAPS_TEXTURE) != 0) {
      kind = "texture";
    } else if ((caps & (DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE)) !=
               (DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE)) {
      return DDERR_INVALIDCAPS;
    }
    if (System().drivers[driver_].surfaceResult != DD_OK) return System().drivers[driver_].surfaceResult;
    FakeSurface* made = Surface(kind, *desc);
    if (flipping) {
      // The chain holds the back buffer; GetAttachedSurface lends it.
      made->back = Surface("back", DDSURFACEDESC2{});
      made->back->references = 0;
    }
    *out = made;
    return DD_OK;
  }
  STDMETHOD(DuplicateSurface)(LPDIRECTDRAWSURFACE7, LPDIRECTDRAWSURFACE7*) override {
    return E_NOTIMPL;
  }
  STDMETHOD(EnumSurfaces)(DWORD, LPDDSURFACEDESC2, LPVOID, LPDDENUMSURFACESCALLBACK7) override {
    return E_NOTIMPL;
  }
  STDMETHOD(FlipToGDISurface)() override { return E_NOTIMPL; }
  STDMETHOD(GetDisplayMode)(LPDDSURFACEDESC2 desc) override {
    if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
    desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc->dwWidth = static_cast<DWORD>(GetSystemMetrics(SM_CXSCREEN));
    desc->dwHeight = static_cast<DWORD>(GetSystemMetrics(SM_CYSCREEN));
    desc->ddpfPixelFormat.dwSize = sizeof desc->ddpfPixelFormat;
    desc->ddpfPixelFormat.dwFlags = DDPF_RGB;
    desc->ddpfPixelFormat.dwRGBBitCount = 32;  // as Wine's desktop here, whatever X's depth
    return DD_OK;
  }
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
    window_ = window;
    exclusive_ = (flags & DDSCL_EXCLUSIVE) != 0;
    if (exclusive_) {
      Unwatch();
      watcher = this;
      watchedWindow = window;
      watchedProc = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchedProc)));
    } else {
      Unwatch();
    }
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
  // Windows refuses while another program holds the screen; Wine answers
  // DD_OK and leaves the surfaces lost (measured): nothing comes back either
  // way. Once the program is active: the scripted answers, then all restored.
  STDMETHOD(RestoreAllSurfaces)() override {
    if (away_) return DDERR_NOEXCLUSIVEMODE;
    std::vector<HRESULT>& answers = System().drivers[driver_].restoreAnswers;
    if (!answers.empty()) {
      HRESULT answer = answers.front();
      answers.erase(answers.begin());
      return answer;
    }
    for (FakeSurface* surface : surfaces_) surface->lost = false;
    return DD_OK;
  }
  // As Wine's ddraw7_TestCooperativeLevel, and as measured here (Wine 8.0):
  // DDERR_NOEXCLUSIVEMODE for an exclusive-level object while another program
  // is in front, DD_OK once its own is back, although its surfaces stay lost
  // until restored. DirectX 7's documentation gives the same for the
  // exclusive level, and DDERR_EXCLUSIVEMODEALREADYSET (another program holds
  // the screen) and DDERR_WRONGMODE (the desktop's mode changed) for the
  // normal one, where Wine answers DD_OK.
  STDMETHOD(TestCooperativeLevel)() override { return away_ ? DDERR_NOEXCLUSIVEMODE : DD_OK; }
  STDMETHOD(GetDeviceIdentifier)(LPDDDEVICEIDENTIFIER2, DWORD) override { return E_NOTIMPL; }
  STDMETHOD(StartModeTest)(LPSIZE, DWORD, DWORD) override { return E_NOTIMPL; }
  STDMETHOD(EvaluateMode)(DWORD, DWORD*) override { return E_NOTIMPL; }

 private:
  FakeSurface* Surface(const char* kind, const DDSURFACEDESC2& desc) {
    const bool managed = (desc.ddsCaps.dwCaps2 & DDSCAPS2_TEXTUREMANAGE) != 0;
    auto* made = static_cast<FakeSurface*>(
        System().Track(std::make_unique<FakeSurface>(kind, managed, &window_, desc)));
    surfaces_.push_back(made);
    return made;
  }
  // DirectDraw at the exclusive level hooks its window's procedure: when the
  // program is deactivated, the surfaces are lost (all but managed textures,
  // measured here), and the screen is another's until it is active again.
  static LRESULT CALLBACK WatchedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC next = watchedProc;
    if (message == WM_ACTIVATEAPP && watcher != nullptr) {
      watcher->away_ = wParam == FALSE;
      if (wParam == FALSE)
        for (FakeSurface* surface : watcher->surfaces_) surface->Lose();
    }
    return CallWindowProcW(next, window, message, wParam, lParam);
  }
  void Unwatch() {
    if (watcher != this) return;
    if (IsWindow(watchedWindow)) SetWindowLongPtrW(watchedWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(watchedProc));
    watcher = nullptr;
  }
  static FakeDirectDraw* watcher;
  static HWND watchedWindow;
  static WNDPROC watchedProc;

  int driver_;
  bool cooperating_ = false;
  bool exclusive_ = false;
  bool away_ = false;
  HWND window_ = nullptr;
  std::vector<FakeSurface*> surfaces_;
};
FakeDirectDraw* FakeDirectDraw::watcher = nullptr;
HWND FakeDirectDraw::watchedWindow = nullptr;
WNDPROC FakeDirectDraw::watchedProc = nullptr;

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
