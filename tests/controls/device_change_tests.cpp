// Controllers plugged in and pulled out while the control settings are open:
// the manager's re-enumeration over a scripted DirectInput whose controller
// list changes between enumerations, and the real control dialog around it
// (device-change timer, rows, detection, calibration, release of every object).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <dbt.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "controls/calibration_dialog.h"
#include "controls/control_settings_dialog.h"
#include "controls/control_settings_file.h"
#include "program/program_instance.h"
#include "resources/resource_ids.h"
#include "tests/controls/control_dialog_support.h"
#include "tests/fakes/import_hook.h"

namespace {

std::vector<UINT> Beeps;
BOOL WINAPI RecordBeep(UINT type) {
  Beeps.push_back(type);
  return TRUE;
}

void ExpectEveryObjectReleasedOnce(const char* name) {
  EXPECT_EQ(0, FakeLiveObjects()) << name;
  EXPECT_EQ(0, FakeOverReleases()) << name;
  EXPECT_EQ(0, FakeUseAfterRelease()) << name;
}

std::string HeldNames(const InputManager& m) {
  std::string names;
  for (int i = 0; i < m.joystickCount; ++i) names += std::string(m.joystickRecords[i].name) + " ";
  return names;
}

// The scripted controller of the record's name and instance GUID, or null.
FakeJoystick* FakeHolding(const JoystickRecord& record) {
  for (int i = 0; i < FakeJoystickCount(); ++i) {
    FakeJoystick& j = FakeJoystickAt(i);
    if (std::string(record.name) == j.name && IsEqualGUID(j.guidInstance, record.guidInstance)) return &j;
  }
  return nullptr;
}

struct RefreshCase {
  const char* name;
  int atOpening;                 // controllers "C0".. attached at Initialize
  int failingAtOpening;          // one of them failing its set-up then, or -1
  std::function<void(InputManager&)> change;  // plugging between enumerations
  std::string held;              // names by index after the last refresh
  std::string attached;          // per index: 1 listed, 0 pulled out
  int objectsOfC0;               // device objects ever made for C0
};

// Each case ends with a RefreshControllers; every index is then polled (a
// pulled-out one fails, the others read) and the manager shut down.
TEST(ControllerRefreshTest, ArrivalsRemovalsAndReturnsKeepEveryIndex) {
  auto refresh = [](InputManager& m) { m.RefreshControllers(); };
  const RefreshCase cases[] = {
      {"an arrival goes to the end", 2, -1, [](InputManager&) { AddFakeJoystick("New"); },
       "C0 C1 New ", "111", 1},
      {"a removal keeps its index", 2, -1,
       [](InputManager&) { UnplugFakeJoystick(FakeJoystickAt(0)); }, "C0 C1 ", "01", 1},
      {"a return reacquires its own object", 2, -1,
       [&](InputManager& m) {
         UnplugFakeJoystick(FakeJoystickAt(0));
         refresh(m);
         PlugFakeJoystick(FakeJoystickAt(0));
       },
       "C0 C1 ", "11", 1},
      {"a return whose object died is opened again in its index", 2, -1,
       [&](InputManager& m) {
         UnplugFakeJoystick(FakeJoystickAt(0));
         refresh(m);
         AddFakeJoystick("New");
         refresh(m);
         PlugFakeJoystick(FakeJoystickAt(0), false);
       },
       "C0 C1 New ", "111", 2},
      {"a return that can be neither read nor set up is not attached", 2, -1,
       [&](InputManager& m) {
         UnplugFakeJoystick(FakeJoystickAt(0));
         refresh(m);
         PlugFakeJoystick(FakeJoystickAt(0), false);
         FakeJoystickAt(0).fail[kFakeCreateDevice] = E_FAIL;
       },
       "C0 C1 ", "01", 1},
      // C0 failed at opening, so sixteen others fill every index; listed
      // first, it is never opened again, and a held one after it still returns.
      {"a seventeenth is never opened; a held one still comes back", 17, 0,
       [&](InputManager& m) {
         FakeJoystickAt(0).fail[kFakeSetCooperativeLevel] = DI_OK;
         UnplugFakeJoystick(FakeJoystickAt(16));
         refresh(m);
         PlugFakeJoystick(FakeJoystickAt(16), false);
         AddFakeJoystick("C17");
       },
       "C1 C2 C3 C4 C5 C6 C7 C8 C9 C10 C11 C12 C13 C14 C15 C16 ", "1111111111111111", 1},
      {"other models, under the GUID it freed or of its name, do not take its index", 2, -1,
       [&](InputManager& m) {
         UnplugFakeJoystick(FakeJoystickAt(0));
         refresh(m);
         AddFakeJoystick("Pad").guidInstance = FakeJoystickAt(0).guidInstance;
         AddFakeJoystick("C0");
       },
       "C0 C1 Pad C0 ", "0111", 1},
  };
  for (const RefreshCase& c : cases) {
    FakeDirectInputScope fake;
    for (int i = 0; i < c.atOpening; ++i) AddFakeJoystick(("C" + std::to_string(i)).c_str());
    if (c.failingAtOpening >= 0) {
      FakeJoystickAt(c.failingAtOpening).fail[kFakeSetCooperativeLevel] = E_FAIL;
    }
    {
      InputManager m;
      ASSERT_TRUE(m.Initialize(GetModuleHandleA(nullptr), nullptr)) << c.name;
      c.change(m);
      m.RefreshControllers();
      EXPECT_EQ(c.held, HeldNames(m)) << c.name;
      ASSERT_EQ(static_cast<int>(c.attached.size()), m.joystickCount) << c.name;
      // DirectInput, the keyboard and one object per held controller.
      EXPECT_EQ(2 + m.joystickCount, FakeLiveObjects()) << c.name;
      for (int i = 0; i < m.joystickCount; ++i) {
        FakeJoystick* scripted = FakeHolding(m.joystickRecords[i]);
        ASSERT_NE(nullptr, scripted) << c.name << ", index " << i;
        bool present = c.attached[i] == '1';
        EXPECT_EQ(present ? 1 : 0, m.joystickRecords[i].attached) << c.name << ", index " << i;
        scripted->state.lZ = 100 + i;
        m.currentJoystick = i;
        EXPECT_EQ(present, m.PollDevices()) << c.name << ", index " << i;
        EXPECT_EQ(present ? 100 + i : 0, m.joystickStates[i].lZ) << c.name << ", index " << i;
      }
      EXPECT_EQ(c.objectsOfC0, FakeJoystickAt(0).objectsCreated) << c.name;
    }
    ExpectEveryObjectReleasedOnce(c.name);
  }
}

class DeviceChangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareDialogTests();
    SetNoFileSettings();
    std::memset(&CalibrationState, 0, sizeof CalibrationState);
    Beeps.clear();
  }

  FakeDirectInputScope fake_;
};

void SendDeviceChange(HWND dialog) {
  SendMessageW(dialog, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
}

// The device-change timer fired at once instead of waiting for it.
void ApplyDeviceChangeNow(HWND dialog) {
  SendDeviceChange(dialog);
  SendMessageW(dialog, WM_TIMER, kDeviceChangeTimerId, 0);
}

void PumpFor(DWORD milliseconds) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(5);
  }
}

// Everything the player can have set, as shown.
std::vector<int> Settings(HWND dialog) {
  std::vector<int> shown;
  for (int position = 0; position < kFunctionCount; ++position) {
    shown.push_back(Selection(dialog, FunctionComboIds[position]));
  }
  for (int i = 0; i < kModeListCount; ++i) {
    shown.push_back(Selection(dialog, AxisModeComboIds[i].modeListId));
    shown.push_back(Enabled(dialog, AxisModeComboIds[i].calibrateButtonId));
  }
  shown.push_back(Selection(dialog, IDC_CONTROL_DEVICE));
  shown.push_back(Enabled(dialog, IDC_CONTROL_FORCE_FEEDBACK));
  shown.push_back(Checked(dialog, IDC_CONTROL_FORCE_FEEDBACK));
  return shown;
}

// A burst of messages, on the real timers: one enumeration, after the last of
// them; the new controller at the end; nothing the player set moves.
TEST_F(DeviceChangeTest, ABurstOfChangesAppendsTheNewControllerOnce) {
  AddWheel("Wheel");
  HWND dialog = OpenControlDialog();
  ASSERT_NE(nullptr, dialog);
  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 1);
  ChooseListRow(dialog, IDC_CONTROL_LEFT, 7);         // unsaved changes
  ChooseListRow(dialog, IDC_CONTROL_BRAKE_MODE, 0);
  SendDlgItemMessageW(dialog, IDC_CONTROL_FORCE_FEEDBACK, BM_SETCHECK, BST_UNCHECKED, 0);
  const std::vector<int> before = Settings(dialog);
  const int enumerations = FakeDirectInput().enumCalls;

  AddGamepad("Pad");
  for (int i = 0; i < 5; ++i) {
    SendDeviceChange(dialog);
    PumpFor(60);
  }
  EXPECT_EQ(enumerations, FakeDirectInput().enumCalls) << "not before the burst is over";
  PumpFor(1200);
  EXPECT_EQ(enumerations + 1, FakeDirectInput().enumCalls);
  ASSERT_EQ(3, RowCount(dialog, IDC_CONTROL_DEVICE));
  EXPECT_TRUE(ListRowText(dialog, IDC_CONTROL_DEVICE, 2) == L"Pad");
  EXPECT_EQ(before, Settings(dialog));
  EXPECT_EQ(1, SelectedDeviceRow);

  DestroyWindow(dialog);
  ExpectEveryObjectReleasedOnce("after closing");
}

TEST_F(DeviceChangeTest, APulledOutControllerFailsQuietlyAndComesBackInItsRow) {
  ImportHook beep("user32.dll", "MessageBeep", reinterpret_cast<void*>(&RecordBeep));
  ASSERT_TRUE(beep.installed());
  FakeJoystick& wheel = AddWheel("Wheel");
  HWND dialog = OpenControlDialog();
  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 1);
  Tick(dialog);
  wheel.state.rgbButtons[2] = 0x80;  // held, no list focused, as it is pulled out
  Tick(dialog);

  UnplugFakeJoystick(wheel);
  FocusList(dialog, IDC_CONTROL_LIGHT);
  const int light = Selection(dialog, IDC_CONTROL_LIGHT);
  const int reads = wheel.readCalls;
  for (int i = 0; i < 5; ++i) Tick(dialog);
  EXPECT_EQ(light, Selection(dialog, IDC_CONTROL_LIGHT)) << "the held button is not detected";
  EXPECT_LE(wheel.readCalls - reads, 1);
  ApplyDeviceChangeNow(dialog);
  EXPECT_EQ(2, RowCount(dialog, IDC_CONTROL_DEVICE));
  EXPECT_EQ(1, Selection(dialog, IDC_CONTROL_DEVICE));

  // The list gets the focus again while it is gone, then it comes back resting
  // elsewhere: that is its new rest, not a movement; a real movement after it
  // is detected.
  LeaveList(dialog, IDC_CONTROL_LIGHT);
  FocusList(dialog, IDC_CONTROL_LIGHT);
  wheel.state.rgbButtons[2] = 0;
  wheel.state.lX = -900;
  PlugFakeJoystick(wheel);
  ApplyDeviceChangeNow(dialog);
  EXPECT_EQ(2, RowCount(dialog, IDC_CONTROL_DEVICE));
  Tick(dialog);
  EXPECT_EQ(light, Selection(dialog, IDC_CONTROL_LIGHT));
  wheel.state.lX = 900;
  Tick(dialog);
  EXPECT_EQ(2, Selection(dialog, IDC_CONTROL_LIGHT));

  // Out again: choosing its row still shows its preset, and OK stores its name.
  UnplugFakeJoystick(wheel);
  ApplyDeviceChangeNow(dialog);
  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 0);
  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 1);
  EXPECT_TRUE(SelectedText(dialog, IDC_CONTROL_LEFT) == L"左");
  Tick(dialog);
  ClickButton(dialog, IDOK);
  EXPECT_STREQ("Wheel", ControlSettings.device);
  EXPECT_TRUE(Beeps.empty());
  DestroyWindow(dialog);
  ExpectEveryObjectReleasedOnce("after closing");
}

// Two wheels of one model and name; the second, selected, is plugged in again
// and comes back, as under Wine, with a new instance GUID. It takes back its
// own row, not its twin's, and nothing the player set moves.
TEST_F(DeviceChangeTest, AControllerBackUnderANewGuidTakesBackItsOwnRow) {
  FakeJoystick& first = AddWheel("Wheel");
  FakeJoystick& second = AddWheel("Wheel");
  second.guidProduct = first.guidProduct;
  HWND dialog = OpenControlDialog();
  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 2);
  ChooseListRow(dialog, IDC_CONTROL_LEFT, 7);  // unsaved
  FocusList(dialog, IDC_CONTROL_LIGHT);
  const std::vector<int> before = Settings(dialog);

  UnplugFakeJoystick(second);
  ApplyDeviceChangeNow(dialog);
  ReplugFakeJoystickAsNew(second);
  ApplyDeviceChangeNow(dialog);
  EXPECT_EQ(3, RowCount(dialog, IDC_CONTROL_DEVICE));
  EXPECT_EQ(before, Settings(dialog));
  Tick(dialog);
  second.state.lX = 900;
  Tick(dialog);
  EXPECT_EQ(2, Selection(dialog, IDC_CONTROL_LIGHT)) << "detected on its own row";
  // Both out, the selected one back alone: of the two rows, it takes the player's.
  UnplugFakeJoystick(first);
  UnplugFakeJoystick(second);
  ApplyDeviceChangeNow(dialog);
  ReplugFakeJoystickAsNew(second);
  ApplyDeviceChangeNow(dialog);
  second.state.lX = -900;
  Tick(dialog);
  EXPECT_EQ(3, Selection(dialog, IDC_CONTROL_LIGHT)) << "detected on the selected row again";
  DestroyWindow(dialog);
  ExpectEveryObjectReleasedOnce("after closing");
}

// A window that borrows the manager: the calibration, on a wheel then pulled
// out, or the input test playing a force on the wheel, still attached.
struct Borrower {
  const wchar_t* caption;
  int button;
  bool playsForce;
};
class BorrowedManagerTest : public DeviceChangeTest,
                            public ::testing::WithParamInterface<Borrower> {};
INSTANTIATE_TEST_SUITE_P(
    Borrowers, BorrowedManagerTest,
    ::testing::Values(Borrower{L"Calibration", IDC_CONTROL_CALIBRATE_LEFT, false},
                      Borrower{L"Velmora Input Test", IDC_CONTROL_TEST, true}));

// In play, modal: a change while a window borrows the manager is applied when
// it closes (a refresh under a force test would work on the device it plays
// on), and the calibration's ticks on a controller pulled out show its last
// good state.
TEST_P(BorrowedManagerTest, AChangeWaitsForTheBorrowerToClose) {
  const Borrower& b = GetParam();
  FakeJoystick& wheel = AddWheel("Wheel");
  wheel.offersConstantForce = true;
  wheel.actuators = 1;
  HWND control = nullptr;
  int rowsDuring = 0, enumerationsDuring = 0, rowsAfter = 0, enumerationsAfter = 0;
  LRESULT thumb = -1;
  std::vector<ModalStep> steps = {
      [&]() {
        control = FindOwnDialog(L"Velmora Key Setting");
        if (control == nullptr) return false;
        ChooseListRow(control, IDC_CONTROL_DEVICE, 1);
        ChooseListRow(control, IDC_CONTROL_LEFT, 1);
        wheel.state.lX = -400;
        PostMessageW(control, WM_COMMAND, MAKEWPARAM(b.button, BN_CLICKED), 0);
        return true;
      },
      [&]() { return FindOwnDialog(b.caption) != nullptr; },
      WaitTicks(5),
      [&]() {
        if (b.playsForce) {
          SendMessageW(FindOwnDialog(b.caption), WM_COMMAND,
                       MAKEWPARAM(IDC_INPUT_TEST_FORCE_FEEDBACK, BN_CLICKED), 0);
        } else {
          UnplugFakeJoystick(wheel);
        }
        AddGamepad("Pad");
        SendDeviceChange(control);
        return true;
      },
      WaitTicks(60),  // well past the device-change delay
      [&]() {
        HWND borrower = FindOwnDialog(b.caption);
        rowsDuring = RowCount(control, IDC_CONTROL_DEVICE);
        enumerationsDuring = FakeDirectInput().enumCalls;
        thumb = SendDlgItemMessageW(borrower, IDC_CALIBRATION_SLIDER, TBM_GETPOS, 0, 0);
        PostMessageW(borrower, WM_COMMAND, b.playsForce ? IDCANCEL : IDOK, 0);
        return true;
      },
      [&]() {
        if (FindOwnDialog(b.caption) != nullptr) return false;
        rowsAfter = RowCount(control, IDC_CONTROL_DEVICE);
        enumerationsAfter = FakeDirectInput().enumCalls;
        PostMessageW(control, WM_COMMAND, IDCANCEL, 0);
        return true;
      },
  };
  RunModal(
      []() {
        return DialogBoxParamW(ProgramInstance, MAKEINTRESOURCEW(IDD_CONTROL_SETTINGS), nullptr,
                               ControlSettingsDialogProc, 0);
      },
      steps);
  EXPECT_EQ(b.playsForce, wheel.playCount > 0);
  EXPECT_EQ(2, rowsDuring);
  EXPECT_EQ(1, enumerationsDuring);
  if (!b.playsForce) EXPECT_EQ(400, thumb) << "the last good state is shown";
  EXPECT_EQ(3, rowsAfter);
  EXPECT_EQ(2, enumerationsAfter);
  ExpectEveryObjectReleasedOnce("after closing");
}

}  // namespace
