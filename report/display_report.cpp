// Sections 2 and 3 of the report: the display device catalogue as the graphics
// run builds it, told decision by decision, and config\graphic.cfg resolved
// against it by the run's own resolution.
#include <cstring>

#include "graphics/display_catalogue.h"
#include "graphics/graphic_settings_dialog.h"
#include "graphics/graphic_settings_file.h"
#include "program/cp932_text.h"
#include "program/program_directory.h"
#include "report/report_sections.h"
#include "settings/settings_text.h"

namespace {

struct DisplayWatch {
  ReportText* report;
  int drivers;
  bool enumerationFailed;
};

void OnDriverOffered(void* context, const GUID* guid, const char* description,
                     const char* driverName) {
  DisplayWatch& watch = *static_cast<DisplayWatch*>(context);
  ++watch.drivers;
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
  char path[kPathCapacity];
  std::strncpy(path, ProgramPath(kGraphicSettingsFile), sizeof path - 1);
  path[sizeof path - 1] = '\0';
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
               ShowText(kNoDisplayDeviceMessage, kGameTextCodePage, true, message, sizeof message));
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

void ReportDisplay(ReportText& report) {
  ReportLine(report, "== 2. Display ==");
  DisplayWatch watch = {&report, 0, false};
  const DisplayCatalogueObserver observer = {&watch, OnDriverOffered, OnCallFailed, OnModesListed,
                                             OnDeviceJudged};
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
               ShowText(kNoDisplayDeviceMessage, kGameTextCodePage, true, message, sizeof message));
  }
  ReportLine(report, "%s", "");
  ReportGraphicFile(report, filled);
  ReportLine(report, "%s", "");
  ReleaseDisplayDevices();
}
