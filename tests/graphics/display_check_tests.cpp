// The graphics test over the scripted DirectDraw, its surface, device, texture
// and frame steps scripted too, with the real test window and a scripted clock.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "graphics/display_catalogue.h"
#include "graphics/display_check.h"
#include "program/program_instance.h"
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
// window before given frames, 250 ms of the clock per frame.
struct Script {
  GraphicsTestStep failAt = GraphicsTestStep::kNone;
  bool failWindow = false;
  std::vector<Posted> posted;
  DWORD clock = 0;
  DWORD setupTime = 0;  // the steps' time before the first frame
  std::wstring firstFrameLines[kGraphicsTestLines];
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
  scene.primary = Made<IDirectDrawSurface7>("primary");
  if (script.failAt == GraphicsTestStep::kScreen) return DDERR_OUTOFVIDEOMEMORY;
  scene.back = Made<IDirectDrawSurface7>("back");
  scene.zBuffer = Made<IDirectDrawSurface7>("zbuffer");
  return DD_OK;
}
HRESULT MakeDevice(GraphicsTestScene& scene) {
  if (script.failAt == GraphicsTestStep::kDevice) return D3DERR_INVALID_DEVICE;
  scene.device = Made<IDirect3DDevice7>("device");
  return DD_OK;
}
HRESULT MakeTextures(GraphicsTestScene& scene) {
  if (script.failAt == GraphicsTestStep::kTextures) return DDERR_INVALIDPIXELFORMAT;
  scene.texture = Made<IDirectDrawSurface7>("texture");
  scene.textureBits = 16;
  scene.twoStagesMissing = true;
  script.clock += script.setupTime;
  PostDue(scene, 0);
  return DD_OK;
}
HRESULT DrawFrame(GraphicsTestScene& scene) {
  if (script.failAt == GraphicsTestStep::kDrawing) return DDERR_SURFACELOST;
  if (scene.frames == 0)
    for (int i = 0; i < kGraphicsTestLines; ++i) script.firstFrameLines[i] = scene.lines[i];
  script.clock += 250;
  PostDue(scene, scene.frames + 1);
  return DD_OK;
}
DWORD Now() { return script.clock; }

}  // namespace

void UseScriptedGraphicsTest(GraphicsTestStep failAt, UINT message, WPARAM wParam) {
  script = Script();
  script.failAt = failAt;
  if (message != 0) script.posted = {{2, message, wParam, 1}};
  GraphicsTestCalls = {OpenWindow, MakeScreen, MakeDevice, MakeTextures, DrawFrame, Now};
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
  GraphicsTestOutcome Run(FakeDisplaySystem& machine, void (*change)(FakeDriver&) = nullptr) {
    EXPECT_TRUE(EnumerateDisplayDevices());
    if (change != nullptr) change(machine.drivers[0]);
    machine.events.clear();
    GraphicsTestChoice choice = {0, 640, 480, 16, 0, true, true, false, &kTexts};
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
       DDERR_OUTOFVIDEOMEMORY, events({"release primary"})},
      {"3D device", [](FakeDriver&) {}, GraphicsTestStep::kDevice, GraphicsTestStep::kDevice,
       D3DERR_INVALID_DEVICE, events({"release zbuffer", "release back", "release primary"})},
      {"textures", [](FakeDriver&) {}, GraphicsTestStep::kTextures, GraphicsTestStep::kTextures,
       DDERR_INVALIDPIXELFORMAT,
       events({"release device", "release zbuffer", "release back", "release primary"})},
      {"drawing", [](FakeDriver&) {}, GraphicsTestStep::kDrawing, GraphicsTestStep::kDrawing,
       DDERR_SURFACELOST,
       events({"release texture", "release device", "release zbuffer", "release back",
               "release primary"})},
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
      {"deactivated by the mode change, then Enter",
       {{0, WM_ACTIVATE, WA_INACTIVE, 0}, {4, WM_KEYDOWN, VK_RETURN, kFresh}},
       GraphicsTestEnd::kConfirmed, false},
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
  EXPECT_EQ(L"Textures: 16 bit, 2 stages: not offered by this device, compressed",
            script.firstFrameLines[3]);
}

}  // namespace
