// The display device catalogue: every 3D device that rasterises in hardware,
// each with the display modes of its driver that it can render to. Rebuilt from
// DirectDraw 7 / Direct3D 7 at the start of every graphics run; the dialog shows
// its names and mode lists, and the settings file stores an entry's name.
#ifndef VELMORA_DISPLAY_CATALOGUE_H
#define VELMORA_DISPLAY_CATALOGUE_H

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <cstddef>
#include <cstdint>

// At most this many 3D devices are listed.
constexpr int kDisplayDeviceCapacity = 16;
// A shown name: at most 38 characters, then the NUL (and one spare byte).
constexpr int kDisplayNameSize = 40;
constexpr int kDisplayNameCopyLimit = 39;  // lstrcpynA's count: 38 characters + NUL

// One display mode, exactly as EnumDisplayModes delivered it.
typedef DDSURFACEDESC2 DisplayModeEntry;

// One 3D device of one display driver. The two Ref pointers point into the
// entry itself, so entries are never copied as a whole.
struct DisplayDeviceEntry {
  char name[kDisplayNameSize];
  GUID* deviceGuidRef;           // always &deviceGuid
  D3DDEVICEDESC7 deviceDesc;
  BYTE hardwareRasterization;
  GUID* driverGuidRef;           // null for the primary display driver, else &driverGuid
  DDCAPS_DX7 driverCaps;         // the driver's hardware capabilities (380 bytes)
  DDCAPS_DX7 emulationCaps;      // the emulation layer's capabilities
  BYTE canRenderWindowed;
  BYTE hasStereoMode;
  int32_t modeCount;
  DisplayModeEntry* modes;       // owned; sorted by width, height, depth
  GUID deviceGuid;
  GUID driverGuid;
};

struct DisplayDeviceCatalogueRecord {
  DisplayDeviceEntry entries[kDisplayDeviceCapacity];
  int32_t count;  // 0 to kDisplayDeviceCapacity
};

// Process-wide; entries 0 to count-1 are valid until the next rebuild.
extern DisplayDeviceCatalogueRecord DisplayDeviceCatalogue;

// The DLL the default platform finds DirectDraw's functions in.
constexpr char kDirectDrawLibrary[] = "ddraw.dll";

// What the catalogue needs of the platform. By default DirectDraw's own
// functions, found in ddraw.dll when first called (a DLL that cannot be loaded
// makes them fail with the load's HRESULT), and the C runtime's heap; tests put
// scripted drivers in their place.
struct DisplayPlatform {
  HRESULT(WINAPI* enumerateDrivers)(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags);
  HRESULT(WINAPI* createDirectDraw)(GUID* driverGuid, LPVOID* directDraw, REFIID iid,
                                    IUnknown* outer);
  void* (*allocate)(std::size_t bytes);  // mode arrays; null when out of memory
  void (*release)(void* block);
};
extern DisplayPlatform DisplayPlatformCalls;
// The real platform, to put back after a test.
DisplayPlatform RealDisplayPlatform();

// The platform calls of a build whose failure the catalogue can meet.
enum DisplayCatalogueCall {
  kCallEnumerateDrivers,   // DirectDrawEnumerateExA (or the loading of ddraw.dll)
  kCallCreateDirectDraw,   // DirectDrawCreateEx for one driver
  kCallQueryDirect3D,      // IDirectDraw7::QueryInterface(IID_IDirect3D7)
  kCallGetCaps,            // IDirectDraw7::GetCaps
  kCallEnumDisplayModes,   // IDirectDraw7::EnumDisplayModes; E_OUTOFMEMORY: its list could not grow
  kCallEnumDevices,        // IDirect3D7::EnumDevices
};

// What the catalogue decided about one 3D device.
enum DisplayDeviceVerdict {
  kDeviceAccepted,          // listed
  kDeviceNotHardware,       // it does not rasterise in hardware
  kDeviceNoRenderableMode,  // none of its driver's modes has a depth it renders to
  kDeviceOutOfMemory,       // its mode list could not be allocated
  kDeviceBeyondLimit,       // acceptable, but the catalogue already held 16
};

// Someone who wants to see each decision as the catalogue makes it (the
// utility's report). Every member but driverDone must be set. While DisplayObserver is null,
// which it is but for the report, nothing is called and the build is exactly
// the graphics run's; while it is set, the enumeration goes on past the 16th
// device, so that the devices beyond the limit are judged and told too, and the
// catalogue still holds only the first 16.
struct DisplayCatalogueObserver {
  void* context;
  // A display driver, before anything is asked of it. driverGuid is null for
  // the primary display driver.
  void (*driverOffered)(void* context, const GUID* driverGuid, const char* description,
                        const char* driverName);
  // A call that failed, with what it answered. After a failed creation or
  // query the driver is skipped; the other failures are only told.
  void (*callFailed)(void* context, DisplayCatalogueCall call, HRESULT result);
  // The number of display modes, of every depth, the driver delivered.
  void (*modesListed)(void* context, int32_t modeCount);
  // One 3D device of the current driver and the verdict; row is its catalogue
  // row when accepted, else -1.
  void (*deviceJudged)(void* context, const char* deviceName, DisplayDeviceVerdict verdict,
                       int32_t row);
  // May be null. The driver's DirectDraw object and its Direct3D interface once
  // its devices are judged, just before the catalogue releases them; whatever
  // it makes on them it releases before it returns.
  void (*driverDone)(void* context, IDirectDraw7* directDraw, IDirect3D7* direct3D);
};
extern const DisplayCatalogueObserver* DisplayObserver;

// Rebuilds the catalogue from nothing. True when at least one device was listed.
bool EnumerateDisplayDevices();

// Frees every entry's mode array and empties the catalogue. The graphics run calls
// it when it ends; the next EnumerateDisplayDevices does it first as well.
void ReleaseDisplayDevices();

// Width, then height, then depth, each ascending as unsigned numbers: -1, 0 or 1.
int CompareDisplayModes(const DisplayModeEntry& a, const DisplayModeEntry& b);

// The platform's callbacks, public so tests can drive them directly.
BOOL WINAPI AddDisplayDriver(GUID* driverGuid, LPSTR description, LPSTR driverName,
                             LPVOID context, HMONITOR monitor);
HRESULT WINAPI AppendDisplayMode(LPDDSURFACEDESC2 mode, LPVOID driverTemplate);
HRESULT WINAPI AddDirect3DDevice(LPSTR description, LPSTR deviceName,
                                 LPD3DDEVICEDESC7 deviceDesc, LPVOID driverTemplate);

#endif
