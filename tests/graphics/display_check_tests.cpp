// The graphics test over the scripted DirectDraw: the real window and
// surfaces, a scripted device, textures (or the real ones over the device's
// scripted formats) and frames, and a scripted clock.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "graphics/display_catalogue.h"
#include "graphics/display_check.h"
#include "program/interface_language.h"
#include "program/program_instance.h"
#include "resources/resource_ids.h"
#include "tests/fakes/fake_ddraw.h"
#include "tests/graphics/scripted_display_check.h"

namespace {

const GraphicsTestTexts kTexts = {
    L"If you can see this, press Enter or click.", L"Back to the settings in %d s",
    L"Textures: %d bit", L", 2 stages", L", 2 stages: not offered by this device",
    L", compressed", L", compressed: not offered by this device"};

struct Posted {
  DWORD frame;  // before this frame; 0: before the first
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// What the scripted steps do: fail at one step, post messages to the test
// window before given frames, 250 ms of the clock per frame; take the window
// from the player for a while at the set-up's end; keep what the first frame
// showed.
struct Script {
  GraphicsTestStep failAt = GraphicsTestStep::kNone;
  bool failWindow = false;
  std::vector<Posted> posted;
  DWORD clock = 0;
  DWORD setupTime = 0;  // the steps' time before the first frame
  DWORD awayFor = 0;    // another program in front until the clock reads this
  bool compressedMissing = false;
  std::wstring firstFrameLines[kGraphicsTestLines];
  std::wstring lastCountdown;
  int lineWidths[kGraphicsTestLines] = {};
  int fontHeight = 0;
  bool focused = false;
  LONG style = 0;
  RECT client = {};  // on the screen
  COLORREF blank = CLR_INVALID;  // the window before the first frame
};
Script script;

template <typename Interface>
Interface* Made(const char* kind) {
  return reinterpret_cast<Interface*>(FakeDisplaySystem::running->MakeObject(kind));
}

void PostDue(GraphicsTestScene& scene, DWORD frame) {
  for (const Posted& p : script.posted)
    if (p.frame == frame) PostMessageW(scene.window, p.message, p.wParam, p.lParam);
}

HRESULT OpenWindow(GraphicsTestScene& scene) {
  if (script.failWindow) return HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_MEMORY);
  return RealGraphicsTestSteps().openWindow(scene);
}
HRESULT MakeScreen(GraphicsTestScene& scene) {
  HRESULT made = RealGraphicsTestSteps().makeScreen(scene);
  return script.failAt == GraphicsTestStep::kScreen ? DDERR_OUTOFVIDEOMEMORY : made;
}
HRESULT MakeDevice(GraphicsTestScene& scene) {
  if (script.failAt == GraphicsTestStep::kDevice) return D3DERR_INVALID_DEVICE;
  scene.device = Made<IDirect3DDevice7>("device");
  return DD_OK;
}
HRESULT MakeTextures(GraphicsTestScene& scene) {
  if (script.failAt == GraphicsTestStep::kTextures) return DDERR_INVALIDPIXELFORMAT;
  HRESULT made = DD_OK;
  if (FakeDisplaySystem::running->textureFormats.empty()) {
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps = {DDSCAPS_TEXTURE, DDSCAPS2_TEXTUREMANAGE, 0, {0}};
    made = scene.directDraw->CreateSurface(&desc, &scene.texture, nullptr);
    scene.textureBits = 16;
    scene.twoStagesMissing = true;
    scene.compressedMissing = script.compressedMissing;
  } else {
    made = RealGraphicsTestSteps().makeTextures(scene);  // over the device's formats
  }
  script.clock += script.setupTime;
  // White painted over the window, then a repaint: what shows before the frames.
  HDC dc = GetDC(scene.window);
  RECT corner = {0, 0, 8, 8};
  FillRect(dc, &corner, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  RedrawWindow(scene.window, &corner, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  script.blank = GetPixel(dc, 4, 4);
  ReleaseDC(scene.window, dc);
  if (script.awayFor != 0) {  // the focus goes with the activation, as the system takes it
    SetFocus(nullptr);
    PostMessageW(scene.window, WM_ACTIVATE, WA_INACTIVE, 0);
    PostMessageW(scene.window, WM_ACTIVATEAPP, FALSE, 0);
  }
  PostDue(scene, 0);
  return made;
}
HRESULT MakeOverlay(GraphicsTestScene&) { return DD_OK; }
HRESULT DrawFrame(GraphicsTestScene& scene) {
  if (script.failAt == GraphicsTestStep::kDrawing) return DDERR_SURFACELOST;
  if (scene.primary->IsLost() == DDERR_SURFACELOST) return DDERR_SURFACELOST;  // as Flip does
  if (scene.frames == 0) {
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, scene.font);
    for (int i = 0; i < kGraphicsTestLines; ++i) {
      script.firstFrameLines[i] = scene.lines[i];
      SIZE size = {};
      GetTextExtentPoint32W(dc, scene.lines[i], lstrlenW(scene.lines[i]), &size);
      script.lineWidths[i] = size.cx;
    }
    DeleteDC(dc);
    LOGFONTW font = {};
    GetObjectW(scene.font, sizeof font, &font);
    script.fontHeight = -font.lfHeight;
    script.focused = GetFocus() == scene.window;
    script.style = GetWindowLongW(scene.window, GWL_STYLE);
    GetClientRect(scene.window, &script.client);
    MapWindowPoints(scene.window, nullptr, reinterpret_cast<POINT*>(&script.client), 2);
    Sleep(20);  // a frame takes a moment to show: what came before it is earlier
  }
  script.lastCountdown = scene.lines[2];
  script.clock += 250;
  PostDue(scene, scene.frames + 1);
  return DD_OK;
}
DWORD Now() { return script.clock; }
void Wait(DWORD milliseconds) {
  script.clock += milliseconds;
  if (script.awayFor == 0 || script.clock < script.awayFor) return;
  script.awayFor = 0;
  HWND window = FindWindowW(L"VelmoraGraphicTest", nullptr);
  PostMessageW(window, WM_ACTIVATEAPP, TRUE, 0);
  PostMessageW(window, WM_ACTIVATE, WA_ACTIVE, 0);
}

}  // namespace

void UseScriptedGraphicsTest(GraphicsTestStep failAt, UINT message, WPARAM wParam) {
  script = Script();
  script.failAt = failAt;
  if (message != 0) script.posted = {{2, message, wParam, 1}};
  GraphicsTestCalls = {OpenWindow, MakeScreen, MakeDevice, MakeTextures, MakeOverlay, DrawFrame, Now, Wait};
}

void UseRealGraphicsTest() { GraphicsTestCalls = RealGraphicsTestSteps(); }

namespace {

class GraphicsTestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgramInstance = GetModuleHandleW(nullptr);
    UseScriptedGraphicsTest(GraphicsTestStep::kNone, 0, 0);
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             nullptr, nullptr);
  }
  void TearDown() override {
    UseRealGraphicsTest();
    DestroyWindow(owner_);
  }
  // After the catalogue is built, `change` scripts the driver for the test.
  GraphicsTestOutcome Run(FakeDisplaySystem& machine, void (*change)(FakeDriver&) = nullptr,
                          GraphicsTestChoice choice = {0, 640, 480, 16, 0, true, true, false, &kTexts}) {
    EXPECT_TRUE(EnumerateDisplayDevices());
    if (change != nullptr) change(machine.drivers[0]);
    machine.events.clear();
    return RunGraphicsTest(owner_, choice);
  }
  HWND owner_ = nullptr;
};

FakeDriver Machine() {
  return PrimaryDriver("Primary", {{640, 480, 16, 0}}, {HardwareDevice("HAL", kAllDepths, 1)});
}

TEST_F(GraphicsTestTest, AFailureAtEachStepReleasesWhatWasMadeAndPutsTheDesktopBack) {
  const std::vector<std::string> opened = {"level exclusive", "mode 640x480x16"};
  const std::vector<std::string> closed = {"restore mode", "level normal", "release d3d",
                                           "release ddraw"};
  auto events = [&](std::vector<std::string> released) {
    std::vector<std::string> all = opened;
    all.insert(all.end(), released.begin(), released.end());
    all.insert(all.end(), closed.begin(), closed.end());
    return all;
  };
  struct Case {
    const char* title;
    void (*script)(FakeDriver&);
    GraphicsTestStep failAt;
    GraphicsTestStep step;
    HRESULT code;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {"window", [](FakeDriver&) { script.failWindow = true; }, GraphicsTestStep::kNone,
       GraphicsTestStep::kPreparing, HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_MEMORY), {}},
      {"DirectDraw", [](FakeDriver& d) { d.createFails = true; }, GraphicsTestStep::kNone,
       GraphicsTestStep::kPreparing, DDERR_NODIRECTDRAWHW, {}},
      {"Direct3D", [](FakeDriver& d) { d.noDirect3D = true; }, GraphicsTestStep::kNone,
       GraphicsTestStep::kPreparing, E_NOINTERFACE, {"release ddraw"}},
      {"cooperative level", [](FakeDriver& d) { d.levelResult = DDERR_EXCLUSIVEMODEALREADYSET; },
       GraphicsTestStep::kNone, GraphicsTestStep::kPreparing, DDERR_EXCLUSIVEMODEALREADYSET,
       {"level exclusive", "release d3d", "release ddraw"}},
      {"display mode", [](FakeDriver& d) { d.modeResult = DDERR_UNSUPPORTED; },
       GraphicsTestStep::kNone, GraphicsTestStep::kDisplayMode, DDERR_UNSUPPORTED, events({})},
      {"surfaces", [](FakeDriver&) {}, GraphicsTestStep::kScreen, GraphicsTestStep::kScreen,
       DDERR_OUTOFVIDEOMEMORY, events({"release back", "release primary"})},
      {"3D device", [](FakeDriver&) {}, GraphicsTestStep::kDevice, GraphicsTestStep::kDevice,
       D3DERR_INVALID_DEVICE, events({"release back", "release primary"})},
      {"textures", [](FakeDriver&) {}, GraphicsTestStep::kTextures, GraphicsTestStep::kTextures,
       DDERR_INVALIDPIXELFORMAT, events({"release device", "release back", "release primary"})},
      // A frame that says its surfaces are lost while none is.
      {"drawing", [](FakeDriver&) {}, GraphicsTestStep::kDrawing, GraphicsTestStep::kDrawing,
       DDERR_SURFACELOST,
       events({"release texture", "release device", "release back", "release primary"})},
  };
  for (const Case& c : cases) {
    script = Script();
    script.failAt = c.failAt;
    FakeDisplaySystem machine({Machine()});
    GraphicsTestOutcome outcome = Run(machine, c.script);
    EXPECT_EQ(GraphicsTestEnd::kFailed, outcome.end) << c.title;
    EXPECT_EQ(c.step, outcome.failedStep) << c.title;
    EXPECT_EQ(c.code, outcome.code) << c.title;
    EXPECT_EQ(c.events, machine.events) << c.title;
    EXPECT_EQ(0, machine.LiveObjects()) << c.title;
    EXPECT_EQ(0, machine.OverReleases()) << c.title;
    EXPECT_TRUE(IsWindowEnabled(owner_)) << c.title;
    EXPECT_EQ(nullptr, FindWindowW(L"VelmoraGraphicTest", nullptr)) << c.title;
  }
}

TEST_F(GraphicsTestTest, OnlyAFreshEnterSpaceOrClickConfirms) {
  const LPARAM kFresh = 1, kRepeat = 1 | (1L << 30), kAlt = 1 | (1L << 29);
  struct Case {
    const char* title;
    std::vector<Posted> posted;
    GraphicsTestEnd end;
    bool timedOut;
    DWORD setupTime = 0;
  };
  const Case cases[] = {
      {"Enter", {{3, WM_KEYDOWN, VK_RETURN, kFresh}}, GraphicsTestEnd::kConfirmed, false},
      {"Space", {{3, WM_KEYDOWN, VK_SPACE, kFresh}}, GraphicsTestEnd::kConfirmed, false},
      {"click", {{3, WM_LBUTTONDOWN, 0, MAKELPARAM(20, 20)}}, GraphicsTestEnd::kConfirmed, false},
      {"Enter still held, repeating", {{1, WM_KEYDOWN, VK_RETURN, kRepeat}, {5, WM_KEYDOWN, VK_RETURN, kRepeat}},
       GraphicsTestEnd::kNotConfirmed, true},
      {"Enter and a click before the first frame",
       {{0, WM_KEYDOWN, VK_RETURN, kFresh}, {0, WM_LBUTTONDOWN, 0, MAKELPARAM(20, 20)}},
       GraphicsTestEnd::kNotConfirmed, true},
      {"Escape before the first frame", {{0, WM_KEYDOWN, VK_ESCAPE, kFresh}}, GraphicsTestEnd::kNotConfirmed, false},
      {"Escape", {{3, WM_KEYDOWN, VK_ESCAPE, kFresh}}, GraphicsTestEnd::kNotConfirmed, false},
      {"Alt+F4", {{3, WM_SYSKEYDOWN, VK_F4, kAlt}}, GraphicsTestEnd::kNotConfirmed, false},
      {"deactivated after the first frame", {{3, WM_ACTIVATE, WA_INACTIVE, 0}},
       GraphicsTestEnd::kNotConfirmed, false},
      {"no answer after a slow start", {}, GraphicsTestEnd::kNotConfirmed, true, 3000},
      {"no answer", {}, GraphicsTestEnd::kNotConfirmed, true},
  };
  for (const Case& c : cases) {
    script = Script();
    script.posted = c.posted;
    script.setupTime = c.setupTime;
    FakeDisplaySystem machine({Machine()});
    GraphicsTestOutcome outcome = Run(machine);
    EXPECT_EQ(c.end, outcome.end) << c.title;
    EXPECT_EQ(GraphicsTestStep::kNone, outcome.failedStep) << c.title;
    // 250 ms a frame: the time limit is 40 frames after the first.
    EXPECT_EQ(c.timedOut, script.clock >= kGraphicsTestAnswerTime) << c.title << " " << script.clock;
    EXPECT_LE(script.clock, kGraphicsTestLongest + 250) << c.title << ": longer than promised";
    EXPECT_EQ(0, machine.LiveObjects()) << c.title;
  }
  EXPECT_EQ(L"HAL \x2014 640 x 480 : 16 bit color", script.firstFrameLines[0]);
  EXPECT_EQ(L"Back to the settings in 10 s", script.firstFrameLines[2]);
  EXPECT_EQ(L"Back to the settings in 1 s", script.lastCountdown) << "the last second";
  EXPECT_EQ(L"Textures: 16 bit, 2 stages: not offered by this device, compressed",
            script.firstFrameLines[3]);
  EXPECT_EQ(RGB(0, 0, 0), script.blank) << "the window before the first frame";
}

// Another program in front during the set-up takes the screen: the test
// waits for it, restores the surfaces and goes on, within the same 11 s.
TEST_F(GraphicsTestTest, AScreenLostDuringTheSetUpIsWaitedForAndRestored) {
  struct Case {
    const char* title;
    DWORD awayFor, setupTime;
    std::vector<HRESULT> restoreAnswers;
    GraphicsTestEnd end;
    HRESULT code;
    const wchar_t* countdown;  // at the first frame; none drawn: empty
  };
  const Case cases[] = {
      {"away for 2 s", 2000, 0, {}, GraphicsTestEnd::kConfirmed, S_OK, L"Back to the settings in 9 s"},
      {"back before the mode", 2000, 0, {DDERR_WRONGMODE, DDERR_WRONGMODE}, GraphicsTestEnd::kConfirmed,
       S_OK, L"Back to the settings in 9 s"},
      {"the restore fails", 2000, 0, {DDERR_OUTOFVIDEOMEMORY}, GraphicsTestEnd::kFailed,
       DDERR_OUTOFVIDEOMEMORY, L""},
      {"away past the limit", 20000, 0, {}, GraphicsTestEnd::kNotConfirmed, S_OK, L""},
      {"a set-up of 11 s", 0, 11000, {}, GraphicsTestEnd::kNotConfirmed, S_OK, L""},
  };
  for (const Case& c : cases) {
    script = Script();
    script.awayFor = c.awayFor;
    script.setupTime = c.setupTime;
    script.posted = {{3, WM_KEYDOWN, VK_RETURN, 1}};
    FakeDisplaySystem machine({Machine()});
    machine.drivers[0].restoreAnswers = c.restoreAnswers;
    GraphicsTestOutcome outcome = Run(machine);
    EXPECT_EQ(c.end, outcome.end) << c.title;
    EXPECT_EQ(c.end == GraphicsTestEnd::kFailed ? c.code : S_OK, outcome.code) << c.title;
    EXPECT_EQ(c.countdown, script.firstFrameLines[2]) << c.title;
    EXPECT_LE(script.clock, kGraphicsTestLongest + 250) << c.title;
    EXPECT_TRUE(*c.countdown == L'\0' || script.focused) << c.title << ": keys go elsewhere";
    EXPECT_EQ(0, machine.LiveObjects()) << c.title;
  }
}

DDPIXELFORMAT Rgb(DWORD bits, DWORD r, DWORD g, DWORD b, DWORD a = 0) {
  DDPIXELFORMAT format = {};
  format.dwSize = sizeof format;
  format.dwFlags = DDPF_RGB | (a != 0 ? DDPF_ALPHAPIXELS : 0);
  format.dwRGBBitCount = bits;
  format.dwRBitMask = r;
  format.dwGBitMask = g;
  format.dwBBitMask = b;
  format.dwRGBAlphaBitMask = a;
  return format;
}

// In a window, the mode's size (scaled evenly to the work area where larger)
// in a bordered popup with no caption or window menu, whose modal loops would
// stop the time limit; drawn through a clipper, at the desktop's depth, which
// "default" textures follow.
TEST_F(GraphicsTestTest, TheWindowedTestIsAClippedBorderedPopupAtTheDesktopsDepth) {
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  for (SIZE mode : {SIZE{640, 480}, SIZE{4096, 3072}}) {
    script = Script();
    script.posted = {{3, WM_KEYDOWN, VK_RETURN, 1}};
    script.awayFor = 2000;  // nothing lost in a window, but the player was elsewhere
    FakeDisplaySystem machine({Machine()});
    machine.textureFormats = {Rgb(16, 0xF800, 0x7E0, 0x1F), Rgb(32, 0xFF0000, 0xFF00, 0xFF)};
    GraphicsTestOutcome outcome =
        Run(machine, nullptr, {0, mode.cx, mode.cy, 16, 0, false, false, true, &kTexts});
    EXPECT_EQ(GraphicsTestEnd::kConfirmed, outcome.end) << mode.cx;
    EXPECT_EQ((WS_POPUP | WS_BORDER), script.style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME));
    LONG width = script.client.right - script.client.left, height = script.client.bottom - script.client.top;
    EXPECT_TRUE(mode.cx != 640 || (width == 640 && height == 480)) << width << " x " << height;
    EXPECT_LE(width, work.right - work.left);
    EXPECT_LE(height, work.bottom - work.top);
    EXPECT_NEAR(width * 3, height * 4, 4) << "the mode's shape";
    EXPECT_NEAR(script.client.left - work.left, work.right - script.client.right, 1) << "centred";
    EXPECT_NEAR(script.client.top - work.top, work.bottom - script.client.bottom, 1) << "centred";
    EXPECT_EQ(L"HAL \x2014 " + std::to_wstring(mode.cx) + L" x " + std::to_wstring(mode.cy) + L" : 32 bit color",
              script.firstFrameLines[0]);
    EXPECT_EQ(L"Back to the settings in 9 s", script.firstFrameLines[2]) << "no frame while away";
    EXPECT_EQ(L"Textures: 32 bit", script.firstFrameLines[3]) << "\"default\" follows the desktop";
    std::vector<std::string> clipped = {"level normal", "clip primary"};
    EXPECT_EQ(clipped, std::vector<std::string>(machine.events.begin(), machine.events.begin() + 2));
  }
}

// The scene's textures in the asked depth ("default": the drawn one's) with
// the fewest alpha bits; the lines' overlay in a format GDI can draw into.
TEST_F(GraphicsTestTest, TexturesTakeTheAskedDepthAndTheOverlayAFormatGdiDrawsInto) {
  const DDPIXELFORMAT argb4444 = Rgb(16, 0xF00, 0xF0, 0xF, 0xF000), argb1555 = Rgb(16, 0x7C00, 0x3E0, 0x1F, 0x8000),
                      rgb565 = Rgb(16, 0xF800, 0x7E0, 0x1F), argb8888 = Rgb(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000),
                      rgb888 = Rgb(32, 0xFF0000, 0xFF00, 0xFF);
  struct Case {
    std::vector<DDPIXELFORMAT> formats;
    int32_t textureDepth, drawnDepth;
    int texture, overlay;  // rows of `formats`
  };
  const Case cases[] = {
      {{argb4444, rgb565, argb8888}, 0, 32, 2, 2},
      {{argb4444, rgb565, argb8888}, 0, 16, 1, 1},
      {{argb4444, rgb565, argb8888}, 0, 24, 2, 2},
      {{argb4444, argb8888, rgb888, argb1555}, 16, 32, 3, 3},
      {{argb8888, rgb888}, 32, 16, 1, 1},
      {{argb4444, argb8888}, 16, 16, 0, 1},
  };
  for (const Case& c : cases) {
    GraphicsTestFormats chosen = ChooseGraphicsTestFormats(c.formats.data(), static_cast<int>(c.formats.size()),
                                                           c.textureDepth, c.drawnDepth);
    EXPECT_EQ(&c.formats[c.texture], chosen.texture) << c.textureDepth << " in " << c.drawnDepth;
    EXPECT_EQ(&c.formats[c.overlay], chosen.overlay) << c.textureDepth << " in " << c.drawnDepth;
  }
}

// At 640 x 480 with the longest lines (a long device name, both options
// ticked on a device that offers neither), in both languages, measured in the
// font drawn: each fits; only where the device's textures are narrow, and the
// font is at its smallest, are lines cut.
TEST_F(GraphicsTestTest, TheLinesFitTheScreenAndTheOverlayInBothLanguages) {
  for (InterfaceLanguage language : {InterfaceLanguage::kKorean, InterfaceLanguage::kEnglish}) {
    UseInterfaceLanguage(language, 0);
    wchar_t text[7][kGraphicsTestLineSize];
    for (int i = 0; i < 7; ++i)
      LoadInterfaceString(ProgramInstance, IDS_GRAPHICS_TEST_PROMPT + i, text[i], kGraphicsTestLineSize);
    const GraphicsTestTexts texts = {text[0], text[1], text[2], text[3], text[4], text[5], text[6]};
    for (DWORD textureWidth : {0, 256}) {
      script = Script();
      script.compressedMissing = true;
      script.posted = {{3, WM_KEYDOWN, VK_RETURN, 1}};
      FakeDriver driver = PrimaryDriver("P", {{640, 480, 32, 0}}, {HardwareDevice(std::string(39, 'W'), kAllDepths, 1)});
      driver.devices[0].maxTextureWidth = textureWidth;
      FakeDisplaySystem machine({driver});
      Run(machine, nullptr, {0, 640, 480, 32, 0, true, true, false, &texts});
      const int room = (textureWidth != 0 ? 256 : 640) - 2 * kGraphicsTestLineMargin;
      for (int i = 0; i < kGraphicsTestLines; ++i) {
        const std::wstring& line = script.firstFrameLines[i];
        EXPECT_LE(script.lineWidths[i], room) << i;
        EXPECT_EQ(textureWidth != 0 && line.back() == L'\x2026', line.back() == L'\x2026') << i;
      }
      EXPECT_GE(script.fontHeight, kGraphicsTestSmallestFont);
      EXPECT_TRUE(textureWidth == 0 || script.firstFrameLines[0].back() == L'\x2026');
      const wchar_t* whole = language == InterfaceLanguage::kKorean
          ? L"재질감: 16 비트, 2 단계: 이 디바이스에서는 사용할 수 없음, 압축: 이 디바이스에서는 사용할 수 없음"
          : L"Textures: 16 bit, 2 stages: not offered by this device, compressed: not offered by this device";
      EXPECT_TRUE(textureWidth != 0 || script.firstFrameLines[3] == whole) << "font " << script.fontHeight;
    }
  }
}

}  // namespace
