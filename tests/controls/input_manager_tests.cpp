// The input manager against a scripted DirectInput: which controllers it keeps
// and at which index, what it records of them, how it reads, and that every
// object it opened is released once, devices before DirectInput.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "controls/input_manager.h"
#include "tests/fakes/fake_dinput.h"

namespace {

const HWND kOwner = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x4321));

class InputManagerTest : public ::testing::Test {
 protected:
  bool Initialize(InputManager& manager) {
    return manager.Initialize(GetModuleHandleA(nullptr), kOwner);
  }
  // After every test: nothing released twice, nothing used after its release.
  void TearDown() override {
    EXPECT_EQ(0, FakeOverReleases());
    EXPECT_EQ(0, FakeUseAfterRelease());
  }

  FakeDirectInputScope fake_;
};

int ReleasesOf(FakeObjectKind kind, int joystick) {
  int count = 0;
  for (int i = 0; i < ReleaseLogLength(); ++i) {
    if (ReleaseLog()[i].kind == kind && ReleaseLog()[i].joystick == joystick) ++count;
  }
  return count;
}

// "K", "J0", "J1", ..., "DI" in the order of their releases.
std::string ReleaseOrder() {
  std::string order;
  for (int i = 0; i < ReleaseLogLength(); ++i) {
    const FakeReleaseEntry& e = ReleaseLog()[i];
    if (!order.empty()) order += ' ';
    if (e.kind == kFakeObjectDirectInput) order += "DI";
    if (e.kind == kFakeObjectKeyboard) order += "K";
    if (e.kind == kFakeObjectJoystick) order += "J" + std::to_string(e.joystick);
  }
  return order;
}

void ExpectEmpty(const InputManager& m, const char* when) {
  EXPECT_EQ(nullptr, m.directInput) << when;
  EXPECT_EQ(nullptr, m.keyboardDevice) << when;
  EXPECT_EQ(0, m.joystickCount) << when;
  EXPECT_EQ(nullptr, m.ownerWindow) << when;
  for (int i = 0; i < kMaxJoysticks; ++i) EXPECT_EQ(nullptr, m.joystickDevices[i]) << when << i;
}

TEST_F(InputManagerTest, ConstructionLeavesEverythingEmptyAndZero) {
  // Construct over dirty memory: every field must be set, not inherited.
  alignas(InputManager) unsigned char storage[sizeof(InputManager)];
  std::memset(storage, 0xCC, sizeof storage);
  InputManager* m = new (storage) InputManager;
  ExpectEmpty(*m, "constructed");
  EXPECT_EQ(-1, m->currentJoystick);
  for (BYTE b : m->keyboardState) ASSERT_EQ(0, b);
  const unsigned char* states = reinterpret_cast<const unsigned char*>(m->joystickStates);
  for (size_t i = 0; i < sizeof m->joystickStates; ++i) ASSERT_EQ(0, states[i]) << i;
  m->~InputManager();
  EXPECT_EQ(0, FakeDirectInput().createCalls);
  EXPECT_EQ(0, ReleaseLogLength());
}

TEST_F(InputManagerTest, NoControllerOpensDirectInputAndTheKeyboardOnly) {
  InputManager m;
  ASSERT_TRUE(Initialize(m));
  EXPECT_EQ(0, m.joystickCount);
  EXPECT_NE(nullptr, m.directInput);
  EXPECT_NE(nullptr, m.keyboardDevice);
  EXPECT_EQ(kOwner, m.ownerWindow);

  const FakeInput& input = FakeDirectInput();
  EXPECT_EQ(1, input.createCalls);
  EXPECT_EQ(GetModuleHandleA(nullptr), input.instance);
  EXPECT_EQ(0x0700u, input.version);
  EXPECT_TRUE(input.iidWasDirectInput7A);
  EXPECT_EQ(1, input.enumCalls);
  EXPECT_EQ(static_cast<DWORD>(DIDEVTYPE_JOYSTICK), input.enumDevType);
  EXPECT_EQ(static_cast<DWORD>(DIEDFL_ATTACHEDONLY), input.enumFlags);

  const FakeDevice& keyboard = FakeKeyboard();
  EXPECT_EQ(&c_dfDIKeyboard, keyboard.dataFormat);
  EXPECT_EQ(kOwner, keyboard.cooperativeWindow);
  EXPECT_EQ(10u, keyboard.cooperativeFlags);
  // The keyboard is acquired by the polls, not by set-up.
  EXPECT_EQ(0, keyboard.acquireCalls);
  EXPECT_EQ(2, FakeLiveObjects());  // DirectInput and keyboard
}

TEST_F(InputManagerTest, AControllerNotAttachedIsNotEnumerated) {
  AddFakeJoystick("Unplugged").attached = false;
  AddFakeJoystick("Wheel");
  InputManager m;
  ASSERT_TRUE(Initialize(m));
  ASSERT_EQ(1, m.joystickCount);
  EXPECT_STREQ("Wheel", m.joystickRecords[0].name);
}

// DirectInputCreateEx, then the keyboard's three steps: whichever fails, the
// manager ends empty, with what it opened released once, devices first.
TEST_F(InputManagerTest, InitializeFailingAtEachKeyboardStepLeavesTheManagerEmpty) {
  struct Case {
    const char* name;
    bool failCreate;
    FakeStep keyboardStep;
    const char* releases;
  } cases[] = {
      {"DirectInputCreateEx", true, kFakeStepCount, ""},
      {"keyboard CreateDeviceEx", false, kFakeCreateDevice, "DI"},
      {"keyboard SetDataFormat", false, kFakeSetDataFormat, "K DI"},
      {"keyboard SetCooperativeLevel", false, kFakeSetCooperativeLevel, "K DI"},
  };
  for (const Case& c : cases) {
    ResetFakeDirectInput();
    AddFakeJoystick("Wheel");
    if (c.failCreate) FakeDirectInput().createResult = DIERR_NOTINITIALIZED;
    if (c.keyboardStep != kFakeStepCount) FakeKeyboard().fail[c.keyboardStep] = E_FAIL;
    {
      InputManager m;
      EXPECT_FALSE(Initialize(m)) << c.name;
      ExpectEmpty(m, c.name);
      EXPECT_EQ(0, FakeLiveObjects()) << c.name;
      EXPECT_EQ(0, FakeDirectInput().enumCalls) << c.name;
      EXPECT_EQ(0, FakeJoystickAt(0).createCalls) << c.name;
      EXPECT_EQ(c.releases, ReleaseOrder()) << c.name;
      // Failing Initialize, then Shutdown and the destructor: nothing more.
      m.Shutdown();
      m.Shutdown();
      ExpectEmpty(m, c.name);
      EXPECT_EQ(-1, m.currentJoystick) << c.name;
    }
    EXPECT_EQ(c.releases, ReleaseOrder()) << c.name;
  }
}

// A controller that fails one set-up step between two good ones: the good ones
// get indices 0 and 1, the bad one is released at once and only once.
TEST_F(InputManagerTest, AControllerFailingASetUpStepIsReleasedAndTakesNoIndex) {
  for (int step = kFakeCreateDevice; step <= kFakeEnumObjects; ++step) {
    SCOPED_TRACE("failing step " + std::to_string(step));
    ResetFakeDirectInput();
    FakeJoystick& first = AddFakeJoystick("First");
    first.buttons = 10;
    FakeJoystick& bad = AddFakeJoystick("Bad");
    bad.buttons = 99;
    bad.capsFlags |= DIDC_FORCEFEEDBACK;
    bad.fail[step] = E_FAIL;
    FakeJoystick& last = AddFakeJoystick("Last");
    last.buttons = 12;
    SetAxes(last, {DIJOFS_X});

    InputManager m;
    ASSERT_TRUE(Initialize(m));
    ASSERT_EQ(2, m.joystickCount);
    EXPECT_STREQ("First", m.joystickRecords[0].name);
    EXPECT_EQ(10, m.joystickRecords[0].buttonCount);
    // The half-filled record of a controller failing EnumObjects is the next one's.
    EXPECT_STREQ("Last", m.joystickRecords[1].name);
    EXPECT_EQ(12, m.joystickRecords[1].buttonCount);
    EXPECT_EQ(0, m.joystickRecords[1].forceFeedback);
    EXPECT_EQ(1u, m.joystickRecords[1].axisMask);
    EXPECT_NE(nullptr, m.joystickDevices[0]);
    EXPECT_NE(nullptr, m.joystickDevices[1]);
    for (int i = 2; i < kMaxJoysticks; ++i) EXPECT_EQ(nullptr, m.joystickDevices[i]) << i;

    EXPECT_EQ(1, bad.createCalls);
    int opened = step == kFakeCreateDevice ? 0 : 1;
    EXPECT_EQ(opened, bad.objectsCreated);
    EXPECT_EQ(opened, ReleasesOf(kFakeObjectJoystick, 1));
    EXPECT_EQ(4, FakeLiveObjects());  // DirectInput, keyboard, two controllers

    m.Shutdown();
    EXPECT_EQ(0, FakeLiveObjects());
    EXPECT_EQ(opened, ReleasesOf(kFakeObjectJoystick, 1));
  }
}

TEST_F(InputManagerTest, ControllerSetUpCallsAreTheDocumentedOnes) {
  FakeJoystick& wheel = AddFakeJoystick("Wheel");
  InputManager m;
  ASSERT_TRUE(Initialize(m));
  ASSERT_EQ(1, m.joystickCount);
  EXPECT_EQ(&c_dfDIJoystick, wheel.dataFormat);
  EXPECT_EQ(kOwner, wheel.cooperativeWindow);
  EXPECT_EQ(static_cast<DWORD>(DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), wheel.cooperativeFlags);
  EXPECT_EQ(44u, wheel.capsSizeSeen);
  EXPECT_EQ(static_cast<DWORD>(DIDFT_AXIS), wheel.enumObjectsFlags);
  EXPECT_EQ(0, wheel.acquireCalls);
}

// Each axis gets -1000..1000 by its offset; the first refusal stops the walk,
// and the mask holds the axes set before it. The controller stays listed.
TEST_F(InputManagerTest, AxisRangesAndMask) {
  const DWORD all8[] = {DIJOFS_X,  DIJOFS_Y,  DIJOFS_Z,         DIJOFS_RX,
                        DIJOFS_RY, DIJOFS_RZ, DIJOFS_SLIDER(0), DIJOFS_SLIDER(1)};
  struct Case {
    const char* name;
    std::vector<DWORD> axes;
    int refuse;
    uint32_t mask;
    int rangeCalls;
  } cases[] = {
      {"X Y Z", {DIJOFS_X, DIJOFS_Y, DIJOFS_Z}, -1, 0x7, 3},
      {"second of X Y Z refused", {DIJOFS_X, DIJOFS_Y, DIJOFS_Z}, 1, 0x1, 2},
      {"first refused", {DIJOFS_X, DIJOFS_Y}, 0, 0x0, 1},
      {"last refused", {DIJOFS_X, DIJOFS_Y, DIJOFS_RZ}, 2, 0x3, 3},
      {"all eight", std::vector<DWORD>(all8, all8 + 8), -1, 0xFF, 8},
      {"Rz and sliders only", {DIJOFS_RZ, DIJOFS_SLIDER(0), DIJOFS_SLIDER(1)}, -1, 0xE0, 3},
      {"no axes", {}, -1, 0x0, 0},
  };
  for (const Case& c : cases) {
    ResetFakeDirectInput();
    FakeJoystick& j = AddFakeJoystick("Stick");
    j.axisCount = 0;
    for (DWORD offset : c.axes) j.axisOffsets[j.axisCount++] = offset;
    j.refuseRangeAxis = c.refuse;
    InputManager m;
    ASSERT_TRUE(Initialize(m)) << c.name;
    ASSERT_EQ(1, m.joystickCount) << c.name;
    EXPECT_EQ(c.mask, m.joystickRecords[0].axisMask) << c.name;
    EXPECT_EQ(c.rangeCalls, j.rangeCalls) << c.name;
    for (int i = 0; i < j.axisCount; ++i) {
      bool expectSet = c.refuse < 0 || i < c.refuse;
      EXPECT_EQ(expectSet, j.rangeSet[i]) << c.name << " axis " << i;
      if (expectSet) {
        EXPECT_EQ(-1000, j.rangeMin[i]) << c.name << " axis " << i;
        EXPECT_EQ(1000, j.rangeMax[i]) << c.name << " axis " << i;
      }
    }
  }
}

// DirectInput's "no effect" answer is a success: the axis keeps its bit.
TEST_F(InputManagerTest, ARangeAnsweredWithNoEffectStillCounts) {
  FakeJoystick& j = AddFakeJoystick("Stick");
  j.refuseRangeAxis = 1;
  j.refuseRangeResult = DI_PROPNOEFFECT;
  InputManager m;
  ASSERT_TRUE(Initialize(m));
  EXPECT_EQ(0x7u, m.joystickRecords[0].axisMask);
  EXPECT_EQ(3, j.rangeCalls);
}

// An axis whose offset lies outside the eight of DIJOYSTATE gets its range but
// no mask bit.
TEST_F(InputManagerTest, AnAxisOutsideTheEightGetsNoMaskBit) {
  FakeJoystick& j = AddFakeJoystick("Odd");
  SetAxes(j, {DIJOFS_X, 2, 40, DIJOFS_Y});
  InputManager m;
  ASSERT_TRUE(Initialize(m));
  EXPECT_EQ(0x3u, m.joystickRecords[0].axisMask);
  EXPECT_TRUE(j.rangeSet[1]);
  EXPECT_TRUE(j.rangeSet[2]);
}

// What the record keeps of the capabilities and the instance.
TEST_F(InputManagerTest, RecordFromCapabilities) {
  struct Case {
    const char* name;
    DWORD devType;
    DWORD flags;
    DWORD buttons;
    int32_t subtype;
    BYTE attached;
    BYTE forceFeedback;
  } cases[] = {
      {"wheel", DIDEVTYPE_JOYSTICK | (DIDEVTYPEJOYSTICK_WHEEL << 8), DIDC_ATTACHED, 40, 6, 1, 0},
      {"gamepad with force feedback", DIDEVTYPE_JOYSTICK | (DIDEVTYPEJOYSTICK_GAMEPAD << 8),
       DIDC_ATTACHED | DIDC_FORCEFEEDBACK, 10, 4, 1, 1},
      {"head tracker", DIDEVTYPE_JOYSTICK | (DIDEVTYPEJOYSTICK_HEADTRACKER << 8), 0, 0, 7, 0, 0},
      {"unspecified, HID bit", DIDEVTYPE_JOYSTICK | (1 << 8) | DIDEVTYPE_HID, DIDC_ATTACHED, 32,
       1, 1, 0},
      {"device class, low byte 1", DIDEVTYPE_DEVICE | (DIDEVTYPEJOYSTICK_WHEEL << 8),
       DIDC_ATTACHED, 4, 0, 1, 0},
      {"low byte 0x16 (newer driving class)", 0x16 | (1 << 8), DIDC_FORCEFEEDBACK, 8, 0, 0, 1},
      {"no buttons", DIDEVTYPE_JOYSTICK | (2 << 8), DIDC_ATTACHED, 0, 2, 1, 0},
      {"128 buttons", DIDEVTYPE_JOYSTICK | (2 << 8), DIDC_ATTACHED, 128, 2, 1, 0},
  };
  for (const Case& c : cases) {
    ResetFakeDirectInput();
    FakeJoystick& j = AddFakeJoystick(c.name);
    j.devType = c.devType;
    j.capsFlags = c.flags;
    j.buttons = c.buttons;
    j.povs = 3;
    InputManager m;
    ASSERT_TRUE(Initialize(m)) << c.name;
    ASSERT_EQ(1, m.joystickCount) << c.name;
    const JoystickRecord& r = m.joystickRecords[0];
    EXPECT_STREQ(c.name, r.name);
    EXPECT_EQ(c.subtype, r.subtype) << c.name;
    EXPECT_EQ(c.attached, r.attached) << c.name;
    EXPECT_EQ(c.forceFeedback, r.forceFeedback) << c.name;
    EXPECT_EQ(static_cast<int32_t>(c.buttons), r.buttonCount) << c.name;
    EXPECT_EQ(3, r.povCount) << c.name;
  }
}

TEST_F(InputManagerTest, TheLongestInstanceNameIsKeptWhole) {
  std::string longName(MAX_PATH - 1, 'W');
  longName[0] = static_cast<char>(0x83);  // an ANSI lead byte passes through untouched
  AddFakeJoystick(longName.c_str());
  InputManager m;
  ASSERT_TRUE(Initialize(m));
  EXPECT_EQ(longName, std::string(m.joystickRecords[0].name));
}

// The manager sits in a block with guard bytes after it: no controller beyond
// the sixteenth may write anything past the manager's own arrays.
struct GuardedManager {
  InputManager manager;
  unsigned char guard[8192];
};

TEST_F(InputManagerTest, SixteenControllersAtMostAndNothingBeyondTheArrays) {
  struct Case {
    int attached;
    int failingIndex;  // one controller among the first 16 failing its set-up, -1 none
  } cases[] = {{15, -1}, {16, -1}, {17, -1}, {20, -1}, {40, -1}, {17, 3}, {18, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.attached) + " attached, failing " +
                 std::to_string(c.failingIndex));
    ResetFakeDirectInput();
    for (int i = 0; i < c.attached; ++i) {
      FakeJoystick& j = AddFakeJoystick(("Pad " + std::to_string(i)).c_str());
      j.buttons = 100 + i;
      if (i == c.failingIndex) j.fail[kFakeSetCooperativeLevel] = E_FAIL;
    }
    std::unique_ptr<GuardedManager> g(new GuardedManager);
    std::memset(g->guard, 0xA5, sizeof g->guard);
    InputManager& m = g->manager;
    ASSERT_TRUE(Initialize(m));

    int usable = c.attached - (c.failingIndex >= 0 ? 1 : 0);
    int kept = usable < kMaxJoysticks ? usable : kMaxJoysticks;
    ASSERT_EQ(kept, m.joystickCount);
    int scripted = 0;
    for (int i = 0; i < kept; ++i, ++scripted) {
      if (scripted == c.failingIndex) ++scripted;
      EXPECT_EQ("Pad " + std::to_string(scripted), std::string(m.joystickRecords[i].name));
      EXPECT_EQ(100 + scripted, m.joystickRecords[i].buttonCount);
      EXPECT_NE(nullptr, m.joystickDevices[i]);
    }
    // The ones not taken were never opened, so nothing of theirs is left open.
    for (int i = scripted; i < c.attached; ++i) {
      EXPECT_EQ(0, FakeJoystickAt(i).objectsCreated) << "controller " << i;
    }
    EXPECT_EQ(-1, m.currentJoystick);
    for (size_t i = 0; i < sizeof g->guard; ++i) ASSERT_EQ(0xA5, g->guard[i]) << i;
    EXPECT_EQ(2 + kept, FakeLiveObjects());
    // Enumeration stops at the first controller that finds no free index.
    EXPECT_EQ(usable > kMaxJoysticks ? 1 : 0, FakeDirectInput().enumStops);

    m.Shutdown();
    EXPECT_EQ(0, FakeLiveObjects());
    for (int i = 0; i < c.attached; ++i) {
      EXPECT_EQ(FakeJoystickAt(i).objectsCreated, ReleasesOf(kFakeObjectJoystick, i)) << i;
    }
  }
}

// PollDevices and the current controller. Each case first polls a good state
// A, then scripts the reads, sets state B and polls once more.
TEST_F(InputManagerTest, PollingTheCurrentController) {
  struct Case {
    const char* name;
    int current;                     // currentJoystick for the second poll
    std::vector<HRESULT> reads;      // answers of the second poll's reads
    HRESULT after;                   // answer after them
    bool result;
    bool stateIsB;                   // else it keeps A
    int readCalls;                   // reads of controller 0 in the second poll
  } cases[] = {
      {"good read", 0, {}, DI_OK, true, true, 1},
      {"no current controller", -1, {}, DI_OK, true, false, 0},
      {"current equal to the count", 2, {}, DI_OK, true, false, 0},
      {"current far beyond", 1000, {}, DI_OK, true, false, 0},
      {"current below -1", -7, {}, DI_OK, true, false, 0},
      {"input lost once", 0, {DIERR_INPUTLOST}, DI_OK, true, true, 2},
      {"input lost twice", 0, {DIERR_INPUTLOST, DIERR_INPUTLOST}, DI_OK, true, true, 3},
      {"input lost three times", 0, {DIERR_INPUTLOST, DIERR_INPUTLOST, DIERR_INPUTLOST}, DI_OK,
       false, false, kInputLostAttempts},
      {"input lost for ever", 0, {}, DIERR_INPUTLOST, false, false, kInputLostAttempts},
      {"failing read", 0, {}, E_FAIL, false, false, 1},
      {"not acquired", 0, {}, DIERR_NOTACQUIRED, false, false, 1},
      {"lost, then failing", 0, {DIERR_INPUTLOST}, E_FAIL, false, false, 2},
  };
  for (const Case& c : cases) {
    ResetFakeDirectInput();
    FakeJoystick& pad = AddFakeJoystick("Pad");
    FakeJoystick& other = AddFakeJoystick("Other");
    InputManager m;
    ASSERT_TRUE(Initialize(m)) << c.name;
    ASSERT_EQ(2, m.joystickCount);

    DIJOYSTATE a;
    std::memset(&a, 0, sizeof a);
    a.lX = -1000;
    a.lY = 250;
    a.rglSlider[1] = 77;
    a.rgdwPOV[0] = 9000;
    a.rgbButtons[0] = 0x80;
    a.rgbButtons[31] = 0x80;
    pad.state = a;
    m.currentJoystick = 0;
    ASSERT_TRUE(m.PollDevices()) << c.name;
    ASSERT_EQ(0, std::memcmp(&a, &m.joystickStates[0], sizeof a)) << c.name;

    DIJOYSTATE b = a;
    b.lX = 1000;
    b.lRz = -500;
    b.rgbButtons[0] = 0;
    b.rgbButtons[5] = 0x80;
    pad.state = b;
    other.state = b;
    ScriptReads(pad, std::initializer_list<HRESULT>());
    for (HRESULT r : c.reads) pad.reads[pad.readCount++] = r;
    pad.readAfterScript = c.after;
    int readsBefore = pad.readCalls;
    int acquiresBefore = pad.acquireCalls;
    int keyboardReadsBefore = FakeKeyboard().readCalls;

    m.currentJoystick = c.current;
    EXPECT_EQ(c.result, m.PollDevices()) << c.name;
    EXPECT_EQ(c.readCalls, pad.readCalls - readsBefore) << c.name;
    // Every read is preceded by an acquire (and the controller's by a poll).
    EXPECT_EQ(c.readCalls, pad.acquireCalls - acquiresBefore) << c.name;
    EXPECT_EQ(0, std::memcmp(c.stateIsB ? &b : &a, &m.joystickStates[0], sizeof a)) << c.name;
    // Only the current controller is read.
    EXPECT_EQ(0, other.readCalls) << c.name;
    DIJOYSTATE zero;
    std::memset(&zero, 0, sizeof zero);
    EXPECT_EQ(0, std::memcmp(&zero, &m.joystickStates[1], sizeof zero)) << c.name;
    EXPECT_EQ(1, FakeKeyboard().readCalls - keyboardReadsBefore) << c.name;
    EXPECT_EQ(c.current, m.currentJoystick) << c.name;

    // A controller that recovers is read again on the next poll.
    pad.readAfterScript = DI_OK;
    pad.readNext = pad.readCount;
    m.currentJoystick = 0;
    EXPECT_TRUE(m.PollDevices()) << c.name;
    EXPECT_EQ(0, std::memcmp(&b, &m.joystickStates[0], sizeof b)) << c.name;
  }
}

TEST_F(InputManagerTest, PollCallsPollBeforeEachControllerRead) {
  FakeJoystick& pad = AddFakeJoystick("Pad");
  InputManager m;
  ASSERT_TRUE(Initialize(m));
  m.currentJoystick = 0;
  ScriptReads(pad, {DIERR_INPUTLOST});
  EXPECT_TRUE(m.PollDevices());
  EXPECT_EQ(2, pad.pollCalls);
  EXPECT_EQ(0, FakeKeyboard().pollCalls);
}

// The keyboard's read never changes the result; a failed one keeps the last
// good state.
TEST_F(InputManagerTest, KeyboardReads) {
  struct Case {
    const char* name;
    std::vector<HRESULT> reads;
    HRESULT after;
    bool stateIsNew;
    int readCalls;
  } cases[] = {
      {"good", {}, DI_OK, true, 1},
      {"lost once", {DIERR_INPUTLOST}, DI_OK, true, 2},
      {"lost for ever", {}, DIERR_INPUTLOST, false, kInputLostAttempts},
      {"failing", {}, E_FAIL, false, 1},
  };
  for (const Case& c : cases) {
    for (int withController = 0; withController < 2; ++withController) {
      SCOPED_TRACE(std::string(c.name) + (withController ? ", with controller" : ""));
      ResetFakeDirectInput();
      if (withController) AddFakeJoystick("Pad");
      FakeDevice& keyboard = FakeKeyboard();
      InputManager m;
      ASSERT_TRUE(Initialize(m));
      m.currentJoystick = withController ? 0 : -1;

      keyboard.keys[DIK_ESCAPE] = 0x80;
      keyboard.keys[DIK_LEFT] = 0x80;
      ASSERT_TRUE(m.PollDevices());
      BYTE oldKeys[256];
      std::memcpy(oldKeys, keyboard.keys, sizeof oldKeys);
      ASSERT_EQ(0, std::memcmp(oldKeys, m.keyboardState, 256));

      keyboard.keys[DIK_ESCAPE] = 0;
      keyboard.keys[DIK_RETURN] = 0x80;
      keyboard.keys[255] = 0x80;
      ScriptReads(keyboard, std::initializer_list<HRESULT>());
      for (HRESULT r : c.reads) keyboard.reads[keyboard.readCount++] = r;
      keyboard.readAfterScript = c.after;
      int before = keyboard.readCalls;
      EXPECT_TRUE(m.PollDevices());
      EXPECT_EQ(c.readCalls, keyboard.readCalls - before);
      EXPECT_EQ(0, std::memcmp(c.stateIsNew ? keyboard.keys : oldKeys, m.keyboardState, 256));
    }
  }
}

// A restart throws the kept events away first, whether or not the state can
// be read; a key let go between the two calls is then among the events.
TEST_F(InputManagerTest, ARestartThrowsTheEventsAwayBeforeReadingTheState) {
  for (HRESULT read : {DI_OK, E_FAIL}) {
    ResetFakeDirectInput();
    InputManager m;
    ASSERT_TRUE(Initialize(m));
    ASSERT_TRUE(m.PollKeyboard());
    QueueFakeKeyEvent(DIK_LMENU, true);
    FakeKeyboard().readAfterScript = read;
    FakeKeyboard().releaseAfterRead = DIK_LMENU;
    m.RestartKeyEvents();
    DIDEVICEOBJECTDATA events[kKeyEventBufferSize];
    int count = -1;
    EXPECT_EQ(kKeyEventsRead, m.ReadKeyEvents(events, count));
    EXPECT_EQ(read == DI_OK ? 1 : 0, count) << read;
    if (read == DI_OK && count == 1) {
      EXPECT_EQ(0x80, m.keyboardState[DIK_LMENU]);
      EXPECT_EQ(0u, events[0].dwData) << "the release";
    }
  }
}

TEST_F(InputManagerTest, PollOnAnEmptyManagerReadsNothingAndSucceeds) {
  InputManager m;
  EXPECT_TRUE(m.PollDevices());
  m.currentJoystick = 0;
  EXPECT_TRUE(m.PollDevices());
  FakeDirectInput().createResult = E_FAIL;
  EXPECT_FALSE(Initialize(m));
  EXPECT_TRUE(m.PollDevices());
}

// Keyboard first, then the controllers by index, then DirectInput: each once,
// each device unacquired before its release.
TEST_F(InputManagerTest, ShutdownReleasesDevicesInOrderAndOnlyOnce) {
  AddFakeJoystick("A");
  AddFakeJoystick("B");
  AddFakeJoystick("C");
  InputManager m;
  ASSERT_TRUE(Initialize(m));
  m.currentJoystick = 2;
  ASSERT_TRUE(m.PollDevices());
  EXPECT_EQ(5, FakeLiveObjects());

  m.Shutdown();
  EXPECT_EQ("K J0 J1 J2 DI", ReleaseOrder());
  for (int i = 0; i < ReleaseLogLength(); ++i) EXPECT_EQ(0u, ReleaseLog()[i].refsAfter) << i;
  EXPECT_EQ(0, FakeLiveObjects());
  ExpectEmpty(m, "after Shutdown");
  EXPECT_EQ(2, m.currentJoystick);  // the dialog's choice is its own
  EXPECT_EQ(1, FakeKeyboard().unacquireCalls);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(1, FakeJoystickAt(i).unacquireCalls) << i;
  EXPECT_FALSE(FakeJoystickAt(2).acquired);

  m.Shutdown();
  EXPECT_EQ("K J0 J1 J2 DI", ReleaseOrder());
  EXPECT_TRUE(m.PollDevices());  // reads nothing
  EXPECT_EQ(1, FakeKeyboard().unacquireCalls);
}

TEST_F(InputManagerTest, DestructionReleasesEverything) {
  AddFakeJoystick("A");
  {
    std::unique_ptr<InputManager> m(new InputManager);
    ASSERT_TRUE(Initialize(*m));
    EXPECT_EQ(3, FakeLiveObjects());
  }
  EXPECT_EQ(0, FakeLiveObjects());
  EXPECT_EQ("K J0 DI", ReleaseOrder());
}

// Initialize on a ready manager starts again instead of leaking the first set.
TEST_F(InputManagerTest, ASecondInitializeReleasesTheFirstSet) {
  AddFakeJoystick("A");
  InputManager m;
  ASSERT_TRUE(Initialize(m));
  ASSERT_TRUE(Initialize(m));
  EXPECT_EQ(3, FakeLiveObjects());
  EXPECT_EQ(1, m.joystickCount);
  EXPECT_EQ("K J0 DI", ReleaseOrder());
  EXPECT_EQ(2, FakeDirectInput().createCalls);
}

}  // namespace
