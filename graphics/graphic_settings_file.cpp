#include "graphics/graphic_settings_file.h"

#include <cstdint>
#include <cstring>

#include "graphics/display_catalogue.h"
#include "program/cp932_text.h"
#include "settings/settings_text.h"
#include "settings/settings_writer.h"

GraphicSettingsRecord GraphicSettings;

const char* const GraphicKeyTable[kGraphicKeyCount + 1] = {
    "VERSION", "DEVICE",       "MULTITEXTURE",   "WIDTH",           "HEIGHT",
    "COLORDEPTH", "TEXTUREDEPTH", "TEXTUREQUALITY", "TEXTURECOMPRESS", "WINDOW",
    nullptr};

// ３Ｄデバイスの列挙に失敗しました
const InterfaceText kNoDisplayDeviceMessage = {
    "\x82\x52\x82\x63\x83\x66\x83\x6F\x83\x43\x83\x58\x82\xCC\x97\xF1\x8B\x93\x82\xC9"
    "\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD",
    "No 3D device that draws in hardware was found."};

namespace {

static_assert(kGraphicDeviceNameSize >= kSettingsValueSize,
              "the quoted value parser fills a whole value");
// The device every machine is expected to offer when the stored mode is missing.
constexpr DWORD kFallbackWidth = 640;
constexpr DWORD kFallbackHeight = 480;
constexpr int32_t kHighestTextureQuality = 4;

// A file that was read but lacks a key.
void SetReadFileDefaults(GraphicRequest& request) {
  std::memset(&request, 0, sizeof request);
  request.multiTexture = 0;
  request.width = 640;
  request.height = 480;
  request.colorDepth = 16;
  request.textureDepth = 0;
  request.textureQuality = 2;
  request.textureCompress = 0;
  request.window = 0;
}

// No usable file at all: the same, but a first run asks for multitexturing.
void SetNoFileDefaults(GraphicRequest& request) {
  SetReadFileDefaults(request);
  request.multiTexture = 1;
}

void ApplyGraphicKey(int keyIndex, const char* value, void* context) {
  GraphicRequest& request = *static_cast<GraphicRequest*>(context);
  switch (keyIndex) {
    case kGraphicKeyVersion: ParseIntValue(value, request.version); return;
    case kGraphicKeyDevice: ParseQuotedValue(value, request.deviceName); return;
    case kGraphicKeyMultiTexture: ParseIntValue(value, request.multiTexture); return;
    case kGraphicKeyWidth: ParseIntValue(value, request.width); return;
    case kGraphicKeyHeight: ParseIntValue(value, request.height); return;
    case kGraphicKeyColorDepth: ParseIntValue(value, request.colorDepth); return;
    case kGraphicKeyTextureDepth: ParseIntValue(value, request.textureDepth); return;
    case kGraphicKeyTextureQuality: ParseIntValue(value, request.textureQuality); return;
    case kGraphicKeyTextureCompress: ParseIntValue(value, request.textureCompress); return;
    case kGraphicKeyWindow: ParseIntValue(value, request.window); return;
    default: return;
  }
}

// The first entry of exactly that name; 0 when none has it.
int32_t FindDevice(const char* name) {
  if (name[0] == '\0') return 0;
  for (int32_t i = 0; i < DisplayDeviceCatalogue.count; ++i)
    if (std::strcmp(DisplayDeviceCatalogue.entries[i].name, name) == 0) return i;
  return 0;
}

bool ModeHas(const DisplayModeEntry& mode, int64_t width, int64_t height, int64_t depth) {
  return mode.dwWidth == width && mode.dwHeight == height &&
         mode.ddpfPixelFormat.dwRGBBitCount == depth;
}

// The stored mode when the device offers it; else its 640 x 480 mode of lowest
// depth; else its smallest mode.
int32_t FindMode(const DisplayDeviceEntry& entry, const GraphicRequest& request) {
  int32_t fallback = -1;
  for (int32_t i = 0; i < entry.modeCount; ++i) {
    const DisplayModeEntry& mode = entry.modes[i];
    if (fallback < 0 && mode.dwWidth == kFallbackWidth && mode.dwHeight == kFallbackHeight)
      fallback = i;
    if (ModeHas(mode, request.width, request.height, request.colorDepth)) return i;
  }
  return fallback >= 0 ? fallback : 0;
}

int32_t ResolveTextureDepth(int32_t requested) {
  return requested == 16 || requested == 32 ? requested : 0;
}

int32_t Clamp(int32_t value, int32_t lowest, int32_t highest) {
  if (value < lowest) return lowest;
  if (value > highest) return highest;
  return value;
}

bool IsFlag(int32_t value) { return value == 0 || value == 1; }

// What resolving changed, for whoever asks (the report); the run does not.
uint32_t FindCorrections(const GraphicRequest& request, const GraphicSettingsRecord& out) {
  const DisplayDeviceEntry& entry = DisplayDeviceCatalogue.entries[out.device];
  const DisplayModeEntry& chosen = entry.modes[out.mode];
  uint32_t found = 0;
  if (request.deviceName[0] != '\0' && std::strcmp(entry.name, request.deviceName) != 0)
    found |= kCorrectedDevice;
  if (!ModeHas(chosen, request.width, request.height, request.colorDepth)) found |= kCorrectedMode;
  if (!IsFlag(request.multiTexture)) found |= kCorrectedMultiTextureRange;
  if (request.multiTexture != 0 && out.multiTexture == 0) found |= kCorrectedMultiTextureDevice;
  if (!IsFlag(request.window)) found |= kCorrectedWindowRange;
  if (request.window != 0 && out.window == 0) found |= kCorrectedWindowDevice;
  if (out.textureDepth != request.textureDepth) found |= kCorrectedTextureDepth;
  if (out.textureQuality != request.textureQuality) found |= kCorrectedTextureQuality;
  if (!IsFlag(request.textureCompress)) found |= kCorrectedTextureCompress;
  return found;
}

}  // namespace

int ReadGraphicRequest(const wchar_t* path, GraphicRequest& request) {
  SetReadFileDefaults(request);
  int length = ReadSettingsFileLines(path, GraphicKeyTable, ApplyGraphicKey, &request);
  if (length <= 0) SetNoFileDefaults(request);
  return length;
}

void ResolveGraphicSettings(const GraphicRequest& request, GraphicSettingsRecord& out,
                            uint32_t* corrections) {
  const int32_t device = FindDevice(request.deviceName);
  const DisplayDeviceEntry& entry = DisplayDeviceCatalogue.entries[device];
  const int32_t mode = FindMode(entry, request);
  const DisplayModeEntry& chosen = entry.modes[mode];

  // The load asks for more than one texture stage before multitexturing is kept.
  out.device = device;
  out.multiTexture = entry.deviceDesc.wMaxSimultaneousTextures > 1 && request.multiTexture != 0;
  out.mode = mode;
  out.window = request.window != 0 && entry.canRenderWindowed != 0;
  out.width = static_cast<int32_t>(chosen.dwWidth);
  out.height = static_cast<int32_t>(chosen.dwHeight);
  out.colorDepth = static_cast<int32_t>(chosen.ddpfPixelFormat.dwRGBBitCount);
  out.textureDepth = ResolveTextureDepth(request.textureDepth);
  out.textureQuality = Clamp(request.textureQuality, 0, kHighestTextureQuality);
  out.textureCompress = request.textureCompress != 0;
  if (corrections != nullptr) *corrections = FindCorrections(request, out);
}

bool LoadGraphicSettings(HWND owner, const wchar_t* path, GraphicSettingsRecord& out) {
  GraphicRequest request;
  ReadGraphicRequest(path, request);

  if (!EnumerateDisplayDevices()) {
    ShowErrorMessage(owner, ChosenText(kNoDisplayDeviceMessage));
    return false;
  }
  ResolveGraphicSettings(request, out, nullptr);
  return true;
}

bool SaveGraphicSettings(const wchar_t* path) {
  const GraphicSettingsRecord& s = GraphicSettings;
  // The device row is valid after every load; should it not be, an empty name
  // (which the next load resolves to the first device) beats reading past the
  // catalogue.
  const char* name = "";
  if (s.device >= 0 && s.device < DisplayDeviceCatalogue.count)
    name = DisplayDeviceCatalogue.entries[s.device].name;

  SettingsWriter writer;
  if (!BeginSettingsFile(writer, path)) return false;
  WriteIntLine(writer, GraphicKeyTable[kGraphicKeyVersion], GraphicFileVersion);
  WriteQuotedLine(writer, GraphicKeyTable[kGraphicKeyDevice], name);
  WriteIntLine(writer, GraphicKeyTable[kGraphicKeyMultiTexture], s.multiTexture);
  WriteIntLine(writer, GraphicKeyTable[kGraphicKeyWidth], s.width);
  WriteIntLine(writer, GraphicKeyTable[kGraphicKeyHeight], s.height);
  WriteIntLine(writer, GraphicKeyTable[kGraphicKeyColorDepth], s.colorDepth);
  WriteIntLine(writer, GraphicKeyTable[kGraphicKeyTextureDepth], s.textureDepth);
  WriteIntLine(writer, GraphicKeyTable[kGraphicKeyTextureQuality], s.textureQuality);
  WriteIntLine(writer, GraphicKeyTable[kGraphicKeyTextureCompress], s.textureCompress);
  WriteIntLine(writer, GraphicKeyTable[kGraphicKeyWindow], s.window);
  return FinishSettingsFile(writer);
}
