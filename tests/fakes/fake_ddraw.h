// A scripted DirectDraw 7 / Direct3D 7 machine behind DisplayPlatformCalls.
//
// A test lists the display drivers, their modes and their 3D devices; while a
// FakeDisplaySystem is alive the catalogue enumerates those instead of the real
// ones. Every COM object it hands out is counted (AddRef, Release, releases past
// zero), and so is every mode array the catalogue allocates, so tests can prove
// that nothing is leaked and nothing freed twice.
//
// The screen can be lost as on Windows and Wine: a DirectDraw object at the
// exclusive level watches its window, as DirectDraw does, and when the window's
// program is deactivated (WM_ACTIVATEAPP with FALSE, which a test may post)
// its surfaces are lost, all but the managed textures, until the program is
// active again and restores them.
#pragma once

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

struct FakeMode {
  DWORD width;
  DWORD height;
  DWORD bits;
  DWORD caps2;  // DDSCAPS2_STEREOSURFACELEFT marks a stereo mode
};

struct FakeDevice {
  std::string name;
  DWORD devCaps;       // D3DDEVCAPS_HWRASTERIZATION for a hardware device
  DWORD renderDepths;  // DDBD_16 | DDBD_24 | DDBD_32
  WORD maxTextures;    // wMaxSimultaneousTextures
  HRESULT createResult = D3D_OK;  // IDirect3D7::CreateDevice for it
  DWORD maxTextureWidth = 0;      // dwMaxTextureWidth; 0: no limit given
};

struct FakeDriver {
  bool primary;  // enumerated with a null GUID
  std::string description;
  DWORD caps2;  // driver dwCaps2: DDCAPS2_CANRENDERWINDOWED
  std::vector<FakeMode> modes;
  std::vector<FakeDevice> devices;
  bool createFails = false;  // DirectDrawCreateEx fails
  bool noDirect3D = false;   // QueryInterface(IID_IDirect3D7) fails
  // Other than DD_OK: the call answers this, having delivered nothing.
  HRESULT capsResult = DD_OK;     // GetCaps
  HRESULT modesResult = DD_OK;    // EnumDisplayModes
  HRESULT devicesResult = D3D_OK; // EnumDevices
  HRESULT surfaceResult = DD_OK;  // CreateSurface
  HRESULT levelResult = DD_OK;    // SetCooperativeLevel
  HRESULT modeResult = DD_OK;     // SetDisplayMode
  // RestoreAllSurfaces' answers once the screen is back, one a call, before
  // it restores (DDERR_WRONGMODE: the mode is not back yet).
  std::vector<HRESULT> restoreAnswers;
};

// Shorthands for the scripts.
constexpr DWORD kHardware = D3DDEVCAPS_HWRASTERIZATION;
constexpr DWORD kAllDepths = DDBD_16 | DDBD_24 | DDBD_32;
FakeDevice HardwareDevice(const std::string& name, DWORD renderDepths = kAllDepths,
                          WORD maxTextures = 2);
FakeDevice SoftwareDevice(const std::string& name);
FakeDriver PrimaryDriver(const std::string& description, std::vector<FakeMode> modes,
                         std::vector<FakeDevice> devices,
                         DWORD caps2 = DDCAPS2_CANRENDERWINDOWED);
FakeDriver SecondaryDriver(const std::string& description, std::vector<FakeMode> modes,
                           std::vector<FakeDevice> devices,
                           DWORD caps2 = DDCAPS2_CANRENDERWINDOWED);
// The GUID a secondary driver at position index of the script is enumerated with.
GUID FakeDriverGuid(int index);

class FakeComObject;

class FakeDisplaySystem {
 public:
  explicit FakeDisplaySystem(std::vector<FakeDriver> drivers);
  ~FakeDisplaySystem();  // puts the real platform back
  FakeDisplaySystem(const FakeDisplaySystem&) = delete;
  FakeDisplaySystem& operator=(const FakeDisplaySystem&) = delete;

  std::vector<FakeDriver> drivers;

  // Other than DD_OK: DirectDrawEnumerateExA answers this and offers no driver.
  HRESULT enumerateResult = DD_OK;

  // The allocation numbered failAllocation (from 1, counting from now) answers
  // null; 0 never fails.
  int failAllocation = 0;

  // What the catalogue did.
  int allocations = 0;
  int frees = 0;
  int foreignFrees = 0;  // frees of blocks this fake never handed out (or twice)
  std::set<void*> liveBlocks;
  std::vector<DWORD> driverEnumerationFlags;
  int driversOffered = 0;  // AddDisplayDriver calls
  int devicesOffered = 0;  // AddDirect3DDevice calls
  int guidMismatches = 0;  // DirectDrawCreateEx asked for another driver than offered
  int wrongCapsSizes = 0;  // GetCaps records whose dwSize was not 380
  int wrongModeRequests = 0;  // EnumDisplayModes with flags or a description to match
  std::vector<std::string> releaseOrder;  // "ddraw" / "d3d" / "surface" / "device", as released to zero
  // Calls that would change the desktop: a cooperative level other than the
  // normal one without a window, SetDisplayMode, a primary surface.
  int desktopChanges = 0;
  // What was done to the desktop and released, in order: "level exclusive",
  // "level normal", "mode 640x480x16", "restore mode", "clip primary" (to the
  // cooperative window), "release <kind>" (surfaces: "primary", "back",
  // "texture", "surface" for an off-screen one).
  std::vector<std::string> events;

  // A counted object of `kind` that answers only IUnknown's calls, and
  // EnumTextureFormats with `textureFormats`, for scripted steps that stand
  // in for devices.
  IUnknown* MakeObject(const char* kind);
  std::vector<DDPIXELFORMAT> textureFormats;

  // COM objects whose reference count is still above zero, and Release calls on
  // objects already at zero.
  int LiveObjects() const;
  int OverReleases() const;
  int ObjectsCreated() const { return static_cast<int>(objects_.size()); }

  // Used by the fake objects.
  int currentDriver = -1;
  FakeComObject* Track(std::unique_ptr<FakeComObject> object);
  static FakeDisplaySystem* running;

 private:
  std::vector<std::unique_ptr<FakeComObject>> objects_;
};

// The reference counting the fake objects share.
class FakeComObject {
 public:
  virtual ~FakeComObject() = default;
  ULONG references = 1;
  int overReleases = 0;
  ULONG CountAddRef() { return ++references; }
  ULONG CountRelease(const char* kind);
};
