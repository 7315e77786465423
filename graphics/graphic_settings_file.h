// The graphic settings ("config\graphic.cfg"): the record the dialog edits, its
// loading with defaults and resolution against the display device catalogue, and
// its saving.
#ifndef VELMORA_GRAPHIC_SETTINGS_FILE_H
#define VELMORA_GRAPHIC_SETTINGS_FILE_H

#include <windows.h>

#include <cstdint>

#include "program/interface_language.h"

// Ten signed 32-bit fields, in the order the game's tools have always kept them.
struct GraphicSettingsRecord {
  int32_t device;          // row of DisplayDeviceCatalogue
  int32_t multiTexture;    // 0 or 1
  int32_t mode;            // row of that entry's modes; never written to the file
  int32_t window;          // 0 or 1
  int32_t width;           // of the chosen mode
  int32_t height;
  int32_t colorDepth;
  int32_t textureDepth;    // 0 ("default"), 16 or 32
  int32_t textureQuality;  // 0 (low) to 4 (high)
  int32_t textureCompress; // 0 or 1
};

// Process-wide: filled by LoadGraphicSettings, edited by the dialog, written by
// SaveGraphicSettings.
extern GraphicSettingsRecord GraphicSettings;

// The file's keys by their index; null-terminated. The writer uses the same
// strings in the same order.
enum GraphicKey {
  kGraphicKeyVersion,
  kGraphicKeyDevice,
  kGraphicKeyMultiTexture,
  kGraphicKeyWidth,
  kGraphicKeyHeight,
  kGraphicKeyColorDepth,
  kGraphicKeyTextureDepth,
  kGraphicKeyTextureQuality,
  kGraphicKeyTextureCompress,
  kGraphicKeyWindow,
  kGraphicKeyCount
};
extern const char* const GraphicKeyTable[kGraphicKeyCount + 1];

// Where the file lives, relative to the program directory.
constexpr wchar_t kGraphicSettingsFile[] = L"config\\graphic.cfg";

// The VERSION every saved file carries.
constexpr int32_t GraphicFileVersion = 2;

// "３Ｄデバイスの列挙に失敗しました" in code page 932: no hardware 3D device;
// in English "No 3D device that draws in hardware was found."
extern const InterfaceText kNoDisplayDeviceMessage;

// What the file asks for, before it is resolved against the machine.
constexpr int kGraphicDeviceNameSize = 260;
struct GraphicRequest {
  int32_t version;  // read and never compared
  char deviceName[kGraphicDeviceNameSize];
  int32_t multiTexture;
  int32_t width;
  int32_t height;
  int32_t colorDepth;
  int32_t textureDepth;
  int32_t textureQuality;
  int32_t textureCompress;
  int32_t window;
};

// Reads the file at path into request, with the defaults of a file read for
// what it lacks, or those of no file at all when nothing could be read (absent,
// unreadable or empty). Returns the file's length, or -1 when it could not be
// read.
int ReadGraphicRequest(const wchar_t* path, GraphicRequest& request);

// What resolving a request changed, one bit each.
enum GraphicCorrection : uint32_t {
  kCorrectedDevice = 1u << 0,              // a device name this machine has no device of
  kCorrectedMode = 1u << 1,                // a mode the chosen device does not offer
  kCorrectedMultiTextureRange = 1u << 2,   // MULTITEXTURE other than 0 or 1
  kCorrectedMultiTextureDevice = 1u << 3,  // asked for; the device binds fewer than 2 textures
  kCorrectedWindowRange = 1u << 4,         // WINDOW other than 0 or 1
  kCorrectedWindowDevice = 1u << 5,        // asked for; the device cannot render in a window
  kCorrectedTextureDepth = 1u << 6,        // not 0, 16 or 32
  kCorrectedTextureQuality = 1u << 7,      // outside 0 to 4
  kCorrectedTextureCompress = 1u << 8,     // other than 0 or 1
};

// Resolves request against the catalogue, which must hold at least one device,
// into out: the device of that name or the first, the stored mode or the
// fallback, and each option as the device allows. When corrections is not null
// it receives the GraphicCorrection bits of what was changed. The graphics run
// and the report both resolve through this one function.
void ResolveGraphicSettings(const GraphicRequest& request, GraphicSettingsRecord& out,
                            uint32_t* corrections);

// Reads the file at path (defaults for what it lacks), rebuilds the catalogue and
// resolves the stored values against it into out. False only when the catalogue
// is empty: the failure has then been shown, owned by owner, and out is untouched.
bool LoadGraphicSettings(HWND owner, const wchar_t* path, GraphicSettingsRecord& out);

// Writes GraphicSettings and the chosen entry's name to path, through a temporary
// file, so a failed save leaves the previous file as it was. False when the file
// could not be written.
bool SaveGraphicSettings(const wchar_t* path);

#endif
