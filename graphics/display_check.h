// The graphics test: before the game, the chosen device draws the chosen mode
// with the chosen texture options, as the game does at its start, for ten
// seconds at most, and the player says whether it showed. Nothing is saved;
// every object is released, the display mode restored and the cooperative
// level set back to normal however it ends.
#ifndef VELMORA_DISPLAY_CHECK_H
#define VELMORA_DISPLAY_CHECK_H

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <cstdint>

#include "graphics/display_catalogue.h"

// How a test ended.
enum class GraphicsTestEnd {
  kConfirmed,     // a fresh Enter, Space or click in the test window after its first frame
  kNotConfirmed,  // Escape, Alt+F4, deactivation after the first frame, time out
  kFailed,        // a step failed: see the step and its code
};

// The steps, as the status names them.
enum class GraphicsTestStep {
  kNone,
  kPreparing,    // the window, DirectDraw, Direct3D, the cooperative level
  kDisplayMode,  // SetDisplayMode
  kScreen,       // the surfaces and the z-buffer
  kDevice,       // the 3D device
  kTextures,     // the textures and the lines' overlay
  kDrawing,      // a frame: drawing, text, flip; restoring lost surfaces
};

// The texts drawn over the scene, in the interface's language; the caller's
// own, alive for the whole test.
struct GraphicsTestTexts {
  const wchar_t* prompt;             // "If you can see this, press Enter or click."
  const wchar_t* countdown;          // "Back to the settings in %d s"
  const wchar_t* textures;           // "Textures: %d bit"
  const wchar_t* twoStages;          // ", 2 stages"
  const wchar_t* twoStagesMissing;   // ", 2 stages: not offered by this device"
  const wchar_t* compressed;         // ", compressed"
  const wchar_t* compressedMissing;  // ", compressed: not offered by this device"
};

// What to test: the choices as the settings window shows them.
struct GraphicsTestChoice {
  int32_t device;  // catalogue row
  int32_t width;
  int32_t height;
  int32_t colorDepth;
  int32_t textureDepth;  // 0 (nearest the depth drawn), 16 or 32
  bool multiTexture;
  bool compressed;
  bool windowed;  // a bordered popup of the mode's size, the desktop's mode kept
  const GraphicsTestTexts* texts;
};

struct GraphicsTestOutcome {
  GraphicsTestEnd end;
  GraphicsTestStep failedStep;  // kNone unless failed
  HRESULT code;                 // the failed call's answer
};

// The test's whole life: window, objects, answer. The steps fill it; the test
// releases what they left in it, in the reverse order of creation.
constexpr int kGraphicsTestLines = 4;
constexpr int kGraphicsTestLineSize = 160;
struct GraphicsTestScene {
  const GraphicsTestChoice* choice;
  const DisplayDeviceEntry* entry;
  HWND window;
  IDirectDraw7* directDraw;
  IDirect3D7* direct3D;
  IDirectDrawSurface7* primary;
  IDirectDrawSurface7* back;
  IDirectDrawClipper* clipper;
  IDirectDrawSurface7* zBuffer;
  IDirect3DDevice7* device;
  IDirectDrawSurface7* texture;         // in the chosen depth
  IDirectDrawSurface7* secondTexture;   // blended in stage 1, when used
  IDirectDrawSurface7* compressedTexture;  // DXT1, when used
  IDirectDrawSurface7* overlay;  // the lines, drawn when they change, keyed black
  DWORD linesHeight;             // of the overlay, the part the lines take
  HFONT font;                    // fitted to the lines
  int drawnDepth;  // bits per pixel drawn: the mode's, or the desktop's in a window
  // What the textures step settled, for the fourth line and for refilling.
  int textureBits;
  bool twoStagesMissing;
  bool compressedMissing;
  DDPIXELFORMAT textureFormat;
  DDPIXELFORMAT overlayFormat;
  // The loop.
  wchar_t lines[kGraphicsTestLines][kGraphicsTestLineSize];
  bool linesChanged;  // the overlay is to be drawn again
  int secondsLeft;
  DWORD frames;
  DWORD elapsed;  // ms since the first frame
  bool active;        // the window is the active one
  bool surfacesLost;  // to be checked, and restored, before the next frame
  bool firstFrameShown;
  DWORD presentedAt;  // GetTickCount when the first frame was presented
  bool answered;
  bool confirmed;
};

// The steps behind the test, one call each; tests script them. Each answers
// DD_OK or the failing call's code, and leaves whatever it made in the scene
// (also when it fails) for the test to release.
struct GraphicsTestSteps {
  HRESULT (*openWindow)(GraphicsTestScene& scene);    // kPreparing
  HRESULT (*makeScreen)(GraphicsTestScene& scene);    // kScreen
  HRESULT (*makeDevice)(GraphicsTestScene& scene);    // kDevice
  HRESULT (*makeTextures)(GraphicsTestScene& scene);  // kTextures
  HRESULT (*makeOverlay)(GraphicsTestScene& scene);   // kTextures, once the lines fit
  HRESULT (*drawFrame)(GraphicsTestScene& scene);     // kDrawing
  DWORD (*now)();                                     // milliseconds
  void (*wait)(DWORD milliseconds);                   // or until a message comes
};
extern GraphicsTestSteps GraphicsTestCalls;
GraphicsTestSteps RealGraphicsTestSteps();

// How long the test waits for an answer, from its first frame; and the
// longest it lasts from its start, when the first frame was slow to come.
constexpr DWORD kGraphicsTestAnswerTime = 10000;
constexpr DWORD kGraphicsTestLongest = 11000;

// The texture formats the test takes from the device's list: for the scene,
// a plain RGB format of the asked depth (the drawn depth's nearest for
// "default", 0) with the fewest alpha bits; for the lines' overlay, one whose
// surface GDI can draw into. Null where the device offers none.
struct GraphicsTestFormats {
  const DDPIXELFORMAT* texture;
  const DDPIXELFORMAT* overlay;
};
GraphicsTestFormats ChooseGraphicsTestFormats(const DDPIXELFORMAT* formats, int count,
                                              int32_t textureDepth, int32_t drawnDepth);

// The lines' font is as large as the screen's height asks, shrunk until the
// widest line fits the width the overlay shows (the mode's width or the
// device's largest texture, less a margin each side), down to the smallest
// size; a line wider even then ends in "…". Measured with the font itself.
constexpr int kGraphicsTestSmallestFont = 12;  // pixels
constexpr int kGraphicsTestLineMargin = 16;

// Runs the test on `choice` over the current catalogue. `owner` (the settings
// window) is disabled meanwhile and enabled and activated again at the end.
// DirectDraw is created through DisplayPlatformCalls.
GraphicsTestOutcome RunGraphicsTest(HWND owner, const GraphicsTestChoice& choice);

// The window procedure of the test window: the end rules. Public so that
// tests can send it what a player's keys produce.
LRESULT CALLBACK GraphicsTestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
