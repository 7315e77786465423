// Sections 2 and 3 of the report: the display device catalogue as the graphics
// run builds it, told decision by decision, and config\graphic.cfg resolved
// against it by the run's own resolution.
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "graphics/display_catalogue.h"
#include "graphics/graphic_settings_dialog.h"
#include "graphics/graphic_settings_file.h"
#include "program/cp932_text.h"
#include "program/program_directory.h"
#include "program/system_library.h"
#include "report/report_sections.h"
#include "settings/settings_text.h"

namespace {

// The steps the game takes to draw with a device, in order; the first that
// fails is the one told.
enum RenderStep { kStepCooperativeLevel, kStepCreateSurface, kStepCreateDevice, kRenderSteps };
const char* const kRenderStepNames[kRenderSteps] = {
    "SetCooperativeLevel (normal, no window)", "CreateSurface (64 x 64 off-screen 3D surface)",
    "CreateDevice"};

// The side of the small surface the device is made on.
constexpr DWORD kTrialSurfaceSide = 64;

struct RenderTrial {
  int failedStep;  // kRenderSteps when the device was created
  HRESULT result;
};

struct DisplayWatch {
  ReportText* report;
  int drivers;
  bool enumerationFailed;
  int32_t driverFirstRow;  // the catalogue's first row for the current driver
  // Each listed device made as the game makes it, while its driver is open.
  bool tried[kDisplayDeviceCapacity];
  RenderTrial trials[kDisplayDeviceCapacity];
};

void OnDriverOffered(void* context, const GUID* guid, const char* description,
                     const char* driverName) {
  DisplayWatch& watch = *static_cast<DisplayWatch*>(context);
  ++watch.drivers;
  watch.driverFirstRow = DisplayDeviceCatalogue.count;
  char shownDescription[kShownTextSize], shownName[kShownTextSize];
  ShowText(description, CP_ACP, true, shownDescription, sizeof shownDescription);
  ShowText(driverName, CP_ACP, true, shownName, sizeof shownName);
  if (guid == nullptr) {
    ReportLine(*watch.report, "Driver %d: %s (%s), the primary display driver", watch.drivers,
               shownDescription, shownName);
    return;
  }
  ReportLine(*watch.report,
             "Driver %d: %s (%s), secondary {%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
             watch.drivers, shownDescription, shownName, static_cast<unsigned long>(guid->Data1),
             guid->Data2, guid->Data3, guid->Data4[0], guid->Data4[1], guid->Data4[2],
             guid->Data4[3], guid->Data4[4], guid->Data4[5], guid->Data4[6], guid->Data4[7]);
}

void OnCallFailed(void* context, DisplayCatalogueCall call, HRESULT result) {
  DisplayWatch& watch = *static_cast<DisplayWatch*>(context);
  char described[kShownTextSize];
  DescribeResult(result, kDirectDrawLibrary, described, sizeof described);
  switch (call) {
    case kCallEnumerateDrivers:
      watch.enumerationFailed = true;
      ReportLine(*watch.report, "DirectDrawEnumerateExA failed: %s", described);
      return;
    case kCallCreateDirectDraw:
      ReportLine(*watch.report, "  DirectDrawCreateEx failed: %s; the driver is skipped", described);
      return;
    case kCallQueryDirect3D:
      ReportLine(*watch.report, "  QueryInterface for IDirect3D7 failed: %s; the driver is skipped",
                 described);
      return;
    case kCallGetCaps:
      ReportLine(*watch.report, "  GetCaps failed: %s; its capabilities count as none", described);
      return;
    case kCallEnumDisplayModes:
      if (result == E_OUTOFMEMORY)
        ReportLine(*watch.report, "  its display modes could not all be held (out of memory); the driver is skipped");
      else
        ReportLine(*watch.report, "  EnumDisplayModes failed: %s", described);
      return;
    case kCallEnumDevices:
      ReportLine(*watch.report, "  EnumDevices failed: %s", described);
      return;
  }
}

void OnModesListed(void* context, int32_t modeCount) {
  DisplayWatch& watch = *static_cast<DisplayWatch*>(context);
  ReportLine(*watch.report, "  display modes: %ld, of every depth", static_cast<long>(modeCount));
}

// An accepted device as the graphic settings list it.
void ReportListedDevice(ReportText& report, int32_t row) {
  const DisplayDeviceEntry& entry = DisplayDeviceCatalogue.entries[row];
  char shown[kShownTextSize];
  ReportLine(report, "    Device row %ld: %s", static_cast<long>(row),
             ShowText(entry.name, CP_ACP, true, shown, sizeof shown));
  ReportLine(report, "      texture stages: %u",
             static_cast<unsigned>(entry.deviceDesc.wMaxSimultaneousTextures));
  ReportLine(report, "      windowed rendering: %s", entry.canRenderWindowed ? "yes" : "no");
  for (int32_t m = 0; m < entry.modeCount; ++m) {
    char mode[kModeTextSize];
    FormatModeText(entry.modes[m], mode, sizeof mode);
    ReportLine(report, "      mode %ld: %s", static_cast<long>(m), mode);
  }
}

void OnDeviceJudged(void* context, const char* deviceName, DisplayDeviceVerdict verdict,
                    int32_t row) {
  DisplayWatch& watch = *static_cast<DisplayWatch*>(context);
  char name[kShownTextSize];
  ShowText(deviceName, CP_ACP, true, name, sizeof name);
  switch (verdict) {
    case kDeviceAccepted:
      ReportLine(*watch.report, "  3D device %s: accepted", name);
      ReportListedDevice(*watch.report, row);
      return;
    case kDeviceNotHardware:
      ReportLine(*watch.report, "  3D device %s: rejected: it does not rasterise in hardware", name);
      return;
    case kDeviceNoRenderableMode:
      ReportLine(*watch.report, "  3D device %s: rejected: no display mode it can render to", name);
      return;
    case kDeviceOutOfMemory:
      ReportLine(*watch.report, "  3D device %s: rejected: out of memory for its modes", name);
      return;
    case kDeviceBeyondLimit:
      ReportLine(*watch.report, "  3D device %s: not listed: beyond the %d-device limit", name,
                 kDisplayDeviceCapacity);
      return;
  }
}

// ---- Rendering, tried as the game starts -------------------------------------


// The pixel format the device draws in: the one of its modes whose depth is the
// desktop's, so the surface is what a window of the desktop would hold, else
// its first mode's.
const DDPIXELFORMAT& TrialPixelFormat(IDirectDraw7* directDraw, const DisplayDeviceEntry& entry) {
  DDSURFACEDESC2 desktop;
  std::memset(&desktop, 0, sizeof desktop);
  desktop.dwSize = sizeof desktop;
  if (SUCCEEDED(directDraw->GetDisplayMode(&desktop))) {
    for (int32_t m = 0; m < entry.modeCount; ++m)
      if (entry.modes[m].ddpfPixelFormat.dwRGBBitCount == desktop.ddpfPixelFormat.dwRGBBitCount)
        return entry.modes[m].ddpfPixelFormat;
  }
  return entry.modes[0].ddpfPixelFormat;
}

// Creates the entry's 3D device on an off-screen surface of its driver, as the
// game does before it draws anything, and releases both again in reverse order.
RenderTrial TryRendering(IDirectDraw7* directDraw, IDirect3D7* direct3D,
                         const DisplayDeviceEntry& entry) {
  RenderTrial trial = {kStepCreateSurface, S_OK};
  IDirectDrawSurface7* surface = nullptr;
  IDirect3DDevice7* device = nullptr;
  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc.dwWidth = desc.dwHeight = kTrialSurfaceSide;
  // Video memory: the listed devices all rasterise in hardware.
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;
  desc.ddpfPixelFormat = TrialPixelFormat(directDraw, entry);
  trial.result = directDraw->CreateSurface(&desc, &surface, nullptr);
  if (SUCCEEDED(trial.result) && surface != nullptr) {
    trial.failedStep = kStepCreateDevice;
    trial.result = direct3D->CreateDevice(entry.deviceGuid, surface, &device);
    if (SUCCEEDED(trial.result) && device != nullptr) trial.failedStep = kRenderSteps;
  }
  // A call that answered success with no object failed all the same.
  if (trial.failedStep != kRenderSteps && SUCCEEDED(trial.result)) trial.result = E_POINTER;
  if (device != nullptr) device->Release();
  if (surface != nullptr) surface->Release();
  return trial;
}

// The devices a driver has just had listed are tried on the catalogue's own
// DirectDraw object of that driver, at the normal cooperative level with no
// window, so no display mode changes and nothing is shown. A DirectDraw object
// of its own for the trials would cost as much again as the enumeration: under
// Wine each one starts Direct3D's renderer afresh.
void OnDriverDone(void* context, IDirectDraw7* directDraw, IDirect3D7* direct3D) {
  DisplayWatch& watch = *static_cast<DisplayWatch*>(context);
  int32_t end = DisplayDeviceCatalogue.count;
  if (watch.driverFirstRow >= end) return;
  HRESULT level = directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
  for (int32_t row = watch.driverFirstRow; row < end; ++row) {
    watch.tried[row] = true;
    if (FAILED(level))
      watch.trials[row] = RenderTrial{kStepCooperativeLevel, level};
    else
      watch.trials[row] = TryRendering(directDraw, direct3D, DisplayDeviceCatalogue.entries[row]);
  }
}

bool RunningUnderWine() { return WineFunction("wine_get_version") != nullptr; }

// A registry type by its name; one beyond the known ones by its number.
const char* RegistryTypeName(DWORD type, char* out, std::size_t size) {
  static const char* const kNames[] = {
      "REG_NONE", "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY", "REG_DWORD", "REG_DWORD_BIG_ENDIAN",
      "REG_LINK", "REG_MULTI_SZ", "REG_RESOURCE_LIST", "REG_FULL_RESOURCE_DESCRIPTOR",
      "REG_RESOURCE_REQUIREMENTS_LIST", "REG_QWORD"};
  if (type < sizeof kNames / sizeof kNames[0]) return kNames[type];
  std::snprintf(out, size, "type %lu", static_cast<unsigned long>(type));
  return out;
}

// Wine's Direct3D renderer as its registry sets it (HKCU\Software\Wine\Direct3D,
// "renderer"): `name` the renderer it names, empty when it names none, and
// `said` what the report says of the setting, empty elsewhere than under Wine.
// Read for the report only; nothing else of the utility uses the registry.
void ReadWineRenderer(char (&name)[64], char* said, std::size_t size) {
  name[0] = said[0] = '\0';
  if (!RunningUnderWine()) return;
  // advapi32.dll is found here, not imported: the utility starts with only the
  // DLLs its dialogs need.
  HRESULT failure = S_OK;
  auto openKey = FindSystemFunctionAs<decltype(&RegOpenKeyExA)>("advapi32.dll", "RegOpenKeyExA", failure);
  auto queryValue =
      FindSystemFunctionAs<decltype(&RegQueryValueExA)>("advapi32.dll", "RegQueryValueExA", failure);
  auto closeKey = FindSystemFunctionAs<decltype(&RegCloseKey)>("advapi32.dll", "RegCloseKey", failure);
  HKEY key = nullptr;
  DWORD type = REG_NONE, bytes = sizeof name - 1;
  LONG read = ERROR_FILE_NOT_FOUND;
  if (openKey != nullptr && queryValue != nullptr && closeKey != nullptr &&
      openKey(HKEY_CURRENT_USER, "Software\\Wine\\Direct3D", 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
    read = queryValue(key, "renderer", nullptr, &type, reinterpret_cast<BYTE*>(name), &bytes);
    closeKey(key);
  }
  bool text = type == REG_SZ || type == REG_EXPAND_SZ;
  // Whatever a read that gave no text left in the buffer names no renderer.
  name[read == ERROR_SUCCESS && text && bytes < sizeof name ? bytes : 0] = '\0';
  const char* value = "the value \"renderer\" under HKCU\\Software\\Wine\\Direct3D";
  char shown[kShownTextSize];
  if (name[0] != '\0')
    std::snprintf(said, size, "%s (HKCU\\Software\\Wine\\Direct3D, value \"renderer\")",
                  ShowText(name, CP_ACP, true, shown, sizeof shown));
  else if ((read == ERROR_SUCCESS || read == ERROR_MORE_DATA) && !text)
    std::snprintf(said, size, "%s is no text but %s", value, RegistryTypeName(type, shown, sizeof shown));
  else if (read != ERROR_SUCCESS && read != ERROR_FILE_NOT_FOUND)
    std::snprintf(said, size, "%s could not be read: %s", value,
                  DescribeResult(HRESULT_FROM_WIN32(read), nullptr, shown, sizeof shown));
  else
    std::snprintf(said, size, "not set (Wine's default)");
}

// Tries every listed device; returns how many render. Says the renderer Wine
// was told to use, which decides what its Direct3D can do.
int ReportRendering(ReportText& report, const DisplayWatch& watch, const char* rendererSaid) {
  if (DisplayDeviceCatalogue.count > 0)
    ReportLine(report, "3D rendering, tried as the game starts (each device made on an off-screen surface, then released):");
  int rendering = 0;
  for (int32_t row = 0; row < DisplayDeviceCatalogue.count; ++row) {
    const DisplayDeviceEntry& entry = DisplayDeviceCatalogue.entries[row];
    char name[kShownTextSize];
    ShowText(entry.name, CP_ACP, true, name, sizeof name);
    if (!watch.tried[row]) {
      ReportLine(report, "  row %ld %s: renders: not tried", static_cast<long>(row), name);
      continue;
    }
    const RenderTrial& trial = watch.trials[row];
    if (trial.failedStep == kRenderSteps) {
      ++rendering;
      ReportLine(report, "  row %ld %s: renders: yes", static_cast<long>(row), name);
      continue;
    }
    char described[kShownTextSize];
    DescribeResult(trial.result, kDirectDrawLibrary, described, sizeof described);
    ReportLine(report, "  row %ld %s: renders: no: %s failed: %s", static_cast<long>(row), name,
               kRenderStepNames[trial.failedStep], described);
  }
  if (rendererSaid[0] != '\0') ReportLine(report, "Wine's Direct3D renderer: %s", rendererSaid);
  return rendering;
}

// The sentence that opens the report when nothing can draw: what is wrong and
// what a player can do about it.
void SayRenderingProblem(const DisplayWatch& watch, bool anyListed, const char* renderer,
                         char* problem, std::size_t size) {
  const char* lead = "3D rendering does not work on this system";
  if (watch.enumerationFailed) {
    std::snprintf(problem, size,
                  "%s: DirectDraw could not be loaded; install DirectX again (under Wine, remove "
                  "any setting that disables ddraw in winecfg's Libraries) (see section 2).",
                  lead);
    return;
  }
  const char* what = anyListed ? "none of the listed 3D devices could be created"
                               : "DirectDraw offers no 3D device that draws in hardware";
  char shown[kShownTextSize];
  if (renderer[0] != '\0')
    std::snprintf(problem, size,
                  "%s: %s, and Wine's Direct3D renderer is set to %s: delete the value "
                  "\"renderer\" under HKCU\\Software\\Wine\\Direct3D (with regedit) so that Wine "
                  "uses its default (see section 2).",
                  lead, what, ShowText(renderer, CP_ACP, true, shown, sizeof shown));
  else if (RunningUnderWine())
    std::snprintf(problem, size,
                  "%s: %s; under Wine this mostly means the 32-bit OpenGL libraries are missing "
                  "or broken: install your distribution's 32-bit OpenGL and Mesa packages (on "
                  "Debian or Ubuntu: libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386) and the "
                  "graphics driver's 32-bit part (see section 2).",
                  lead, what);
  else
    std::snprintf(problem, size,
                  "%s: %s; install the graphics card's current driver and DirectX (see section 2).",
                  lead, what);
}

// ---- config\graphic.cfg ------------------------------------------------------

void EchoGraphicLine(int keyIndex, const char* value, void* context) {
  ReportText& report = *static_cast<ReportText*>(context);
  char shown[kShownTextSize];
  ReportLine(report, "  %s=%s", GraphicKeyTable[keyIndex],
             ShowText(value, CP_ACP, false, shown, sizeof shown));
}

const char* OnOff(int32_t value) { return value != 0 ? "on" : "off"; }

const char* TextureDepthText(int32_t value) {
  for (const TextureDepthChoice& choice : TextureDepthChoices)
    if (choice.value == value) return choice.text;
  return "?";
}

void ReportCorrections(ReportText& report, const GraphicRequest& request,
                       const GraphicSettingsRecord& shown, uint32_t corrections) {
  if (corrections == 0) {
    ReportLine(report, "Corrected: nothing");
    return;
  }
  ReportLine(report, "Corrected:");
  char text[kShownTextSize];
  const DisplayDeviceEntry& entry = DisplayDeviceCatalogue.entries[shown.device];
  if (corrections & kCorrectedDevice)
    ReportLine(report, "  DEVICE %s: this machine has no device of that name; row %ld is shown",
               ShowText(request.deviceName, CP_ACP, true, text, sizeof text),
               static_cast<long>(shown.device));
  if (corrections & kCorrectedMode) {
    char mode[kModeTextSize];
    FormatModeText(entry.modes[shown.mode], mode, sizeof mode);
    ReportLine(report, "  WIDTH %ld, HEIGHT %ld, COLORDEPTH %ld: not a mode of this device; %s is shown",
               static_cast<long>(request.width), static_cast<long>(request.height),
               static_cast<long>(request.colorDepth), mode);
  }
  if (corrections & kCorrectedMultiTextureRange)
    ReportLine(report, "  MULTITEXTURE %ld: not 0 or 1; read as 1", static_cast<long>(request.multiTexture));
  if (corrections & kCorrectedMultiTextureDevice)
    ReportLine(report, "  MULTITEXTURE: the device binds fewer than 2 textures at once; off");
  if (corrections & kCorrectedWindowRange)
    ReportLine(report, "  WINDOW %ld: not 0 or 1; read as 1", static_cast<long>(request.window));
  if (corrections & kCorrectedWindowDevice)
    ReportLine(report, "  WINDOW: the device cannot render in a window; off");
  if (corrections & kCorrectedTextureDepth)
    ReportLine(report, "  TEXTUREDEPTH %ld: not 0, 16 or 32; %s", static_cast<long>(request.textureDepth),
               TextureDepthText(shown.textureDepth));
  if (corrections & kCorrectedTextureQuality)
    ReportLine(report, "  TEXTUREQUALITY %ld: outside 0 to 4; %ld", static_cast<long>(request.textureQuality),
               static_cast<long>(shown.textureQuality));
  if (corrections & kCorrectedTextureCompress)
    ReportLine(report, "  TEXTURECOMPRESS %ld: not 0 or 1; on", static_cast<long>(request.textureCompress));
}

void ReportGraphicFile(ReportText& report, bool catalogueFilled) {
  ReportLine(report, "== 3. config\\graphic.cfg ==");
  wchar_t path[kPathCapacity];
  std::wcscpy(path, ProgramPath(kGraphicSettingsFile));
  GraphicRequest request;
  int length = ReadGraphicRequest(path, request);
  if (length < 0) {
    ReportLine(report, "File: absent or unreadable; the first-run defaults are used");
  } else if (length == 0) {
    ReportLine(report, "File: empty; read as no file: the first-run defaults are used");
  } else {
    ReportLine(report, "File: %d bytes; the keys as stored:", length);
    ReadSettingsFileLines(path, GraphicKeyTable, EchoGraphicLine, &report);
  }

  if (!catalogueFilled) {
    char message[kShownTextSize];
    ReportLine(report, "The graphic settings would show %s and not open",
               ShowText(ChosenText(kNoDisplayDeviceMessage), kGameTextCodePage, true, message,
                        sizeof message));
    return;
  }
  GraphicSettingsRecord shown;
  uint32_t corrections = 0;
  ResolveGraphicSettings(request, shown, &corrections);
  const DisplayDeviceEntry& entry = DisplayDeviceCatalogue.entries[shown.device];
  char name[kShownTextSize], mode[kModeTextSize];
  FormatModeText(entry.modes[shown.mode], mode, sizeof mode);
  ReportLine(report, "The graphic settings would show:");
  ReportLine(report, "  device row %ld: %s", static_cast<long>(shown.device),
             ShowText(entry.name, CP_ACP, true, name, sizeof name));
  ReportLine(report, "  mode row %ld: %s", static_cast<long>(shown.mode), mode);
  ReportLine(report, "  multitexture: %s", OnOff(shown.multiTexture));
  ReportLine(report, "  texture depth: %s", TextureDepthText(shown.textureDepth));
  ReportLine(report, "  texture quality: %ld (0 low to 4 high)", static_cast<long>(shown.textureQuality));
  ReportLine(report, "  compressed textures: %s", OnOff(shown.textureCompress));
  ReportLine(report, "  window: %s (not in the dialog; saved as loaded)", OnOff(shown.window));
  if (length > 0)
    ReportCorrections(report, request, shown, corrections);
  else
    ReportLine(report, "Corrected: nothing (no file)");
}

}  // namespace

void ReportDisplay(ReportText& report, char* problem, std::size_t problemSize) {
  problem[0] = '\0';
  ReportLine(report, "== 2. Display ==");
  DisplayWatch watch;
  std::memset(&watch, 0, sizeof watch);
  watch.report = &report;
  const DisplayCatalogueObserver observer = {&watch,         OnDriverOffered, OnCallFailed,
                                             OnModesListed,  OnDeviceJudged,  OnDriverDone};
  DisplayObserver = &observer;
  bool filled = EnumerateDisplayDevices();
  DisplayObserver = nullptr;
  if (watch.drivers == 0 && !watch.enumerationFailed) ReportLine(report, "No display driver was reported");
  if (filled) {
    ReportLine(report, "Devices listed: %ld (at most %d)", static_cast<long>(DisplayDeviceCatalogue.count),
               kDisplayDeviceCapacity);
  } else {
    char message[kShownTextSize];
    ReportLine(report, "Devices listed: none; the graphic settings say %s",
               ShowText(ChosenText(kNoDisplayDeviceMessage), kGameTextCodePage, true, message,
                        sizeof message));
  }
  char renderer[64], rendererSaid[kShownTextSize];
  ReadWineRenderer(renderer, rendererSaid, sizeof rendererSaid);
  if (ReportRendering(report, watch, rendererSaid) == 0)
    SayRenderingProblem(watch, filled, renderer, problem, problemSize);
  ReportLine(report, "%s", "");
  ReportGraphicFile(report, filled);
  ReportLine(report, "%s", "");
  ReleaseDisplayDevices();
}
