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
