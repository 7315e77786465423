// The input test window from the real template 107 over the scripted
// DirectInput: what a wheel, a pad and the keyboard show and light, a
// controller pulled out and back, and the control dialog's timer around it.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <string>
#include <vector>

#include "controls/control_settings_dialog.h"
#include "controls/input_manager.h"
#include "controls/input_test_window.h"
#include "program/program_instance.h"
#include "resources/resource_ids.h"
#include "tests/controls/control_dialog_support.h"

namespace {

std::wstring Text(HWND window, int id) {
  wchar_t text[512] = L"";
  GetDlgItemTextW(window, id, text, 512);
  return text;
}

// Whether function k's label is drawn lit: in a colour of its own.
bool Lit(HWND window, int k) {
  HDC dc = GetDC(window);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_INPUT_TEST_FUNCTION_LABEL + k)));
  bool lit = GetTextColor(dc) != GetSysColor(COLOR_WINDOWTEXT);
  ReleaseDC(window, dc);
  return lit;
}

class InputTestWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { PrepareDialogTests(); }
  void TearDown() override {
    if (window_ != nullptr) DestroyWindow(window_);
  }
  // The window over `manager`'s device `row` with these rows and modes
  // (steering, accelerator, brake; all analog unless told) and the default pairs.
  HWND Open(InputManager& manager, int32_t row, std::vector<int32_t> rows,
            std::vector<int32_t> modes = {1, 1, 1}) {
    InputTestSetup setup = {&manager, row, {}, {modes[0], modes[1], modes[2]},
                            {{0, -1000}, {0, 1000}, {0, -1000}, {0, 1000}}};
    for (int k = 0; k < kFunctionCount; ++k) setup.rows[k] = rows[k];
    window_ = CreateDialogParamW(ProgramInstance, MAKEINTRESOURCEW(IDD_INPUT_TEST), nullptr,
                                 InputTestDialogProc, reinterpret_cast<LPARAM>(&setup));
    return window_;
  }
  FakeDirectInputScope fake_;
  HWND window_ = nullptr;
};

TEST_F(InputTestWindowTest, AWheelShowsItsInputsAndLightsTheirFunctions) {
  FakeJoystick& wheel = AddWheel("Velmora Wheel");
  wheel.povs = 2;
  InputManager manager;
  ASSERT_TRUE(manager.Initialize(ProgramInstance, nullptr));
  // Two pedal axes (Y and Rz whole), the handbrake on button 2.
  HWND w = Open(manager, 1, {1, 2, 6, 18, 32, 33, 26, 29, 27, 28});
  ASSERT_NE(nullptr, w);
  wheel.state.lX = 300;
  wheel.state.lY = -600;
  wheel.state.rgbButtons[1] = 0x80;
  wheel.state.rgdwPOV[0] = 9000;
  wheel.state.rgdwPOV[1] = 0x0000FFFF;  // centred, as some drivers give it
  InputTestTick(w);
  // {id, text}: LEFT and RIGHT on X's halves, accelerator 60 % of Y's pair.
  const std::pair<int, std::wstring> shown[] = {
      {1060, L"0%"}, {1061, L"30%"}, {1062, L"60%"}, {1063, L"0%"}, {1066, L"ON"},
      {1064, L"OFF"}, {1070, L"+300"}, {1071, L"-600"}, {1072, L"0"}, {1078, L"90\u00B0"}, {1079, L"-"},
      {1082, L"2"}, {1083, L""}, {1120, L"左"}, {1140, L"左右"}};
  for (const auto& s : shown) EXPECT_EQ(s.second, Text(w, s.first)) << s.first;
  EXPECT_FALSE(Lit(w, 0));
  EXPECT_TRUE(Lit(w, 1));
  EXPECT_TRUE(Lit(w, 6));
  EXPECT_FALSE(Lit(w, 7));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(w, IDC_INPUT_TEST_POV_VALUE + 2)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(w, IDC_INPUT_TEST_BUTTON_BOX + 12)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(w, IDC_INPUT_TEST_FORCE_FEEDBACK)));

  // Pulled out: the values stay and the note says so; back under a new
  // instance, reading resumes and the note goes.
  UnplugFakeJoystick(wheel);
  wheel.state.lX = -1000;
  InputTestTick(w);
  EXPECT_EQ(L"+300", Text(w, 1070));
  EXPECT_EQ(L"컨트롤러가 연결되어 있지 않습니다", Text(w, 1083));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(w, IDC_INPUT_TEST_FORCE_FEEDBACK)));
  ReplugFakeJoystickAsNew(wheel);
  SendMessageW(w, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
  SendMessageW(w, WM_TIMER, kInputTestDeviceChangeTimerId, 0);
  InputTestTick(w);
  EXPECT_EQ(L"-1000", Text(w, 1070));
  EXPECT_EQ(L"", Text(w, 1083));
  EXPECT_EQ(1, manager.joystickCount);
}

// The note on the triggers for the halves of an axis the pad has, and only
// then, never for the keyboard; and each function in its own mode. An XInput
// pad as DirectInput gives it has both triggers on Z; the second pad has no Z.
TEST_F(InputTestWindowTest, APadsTriggersOnOneAxisGetTheNote) {
  const std::wstring note = L"액셀과 브레이크가 한 축의 양쪽입니다: 함께 누르면 서로 상쇄됩니다";
  const struct {
    const char* name;
    int32_t device;
    std::vector<int32_t> modes;
    std::wstring notes, accelerator;
  } cases[] = {
      {"a pad with Z", 1, {1, 1, 1}, note, L"60%"},
      {"a pad without Z", 2, {1, 1, 1}, L"", L"0%"},
      {"the keyboard, on rows of the same numbers", 0, {0, 0, 0}, L"", L"OFF"},
      {"analog steering, a digital accelerator", 1, {1, 0, 1}, note, L"ON"},
  };
  FakeJoystick& pad = AddGamepad("Velmora Pad");
  SetAxes(pad, {0, 4, 8, 12, 16});
  pad.state.lZ = -600;
  AddGamepad("Two-Axis Pad");
  InputManager manager;
  ASSERT_TRUE(manager.Initialize(ProgramInstance, nullptr));
  for (const auto& c : cases) {
    HWND w = Open(manager, c.device, {1, 2, 7, 8, 29, 30, 0, 0, 28, 26}, c.modes);
    ASSERT_NE(nullptr, w);
    EXPECT_EQ(c.notes, Text(w, 1083)) << c.name;
    EXPECT_EQ(c.accelerator, Text(w, 1062)) << c.name;
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(w, IDC_INPUT_TEST_FORCE_FEEDBACK)));  // no force feedback
    DestroyWindow(w);
    window_ = nullptr;
  }
}

// A tick draws what it changed at once and in its place: the X bar full on
// the screen, nothing left to a later paint.
TEST_F(InputTestWindowTest, ATickDrawsWhatItChangedInItsPlace) {
  FakeJoystick& wheel = AddWheel("Velmora Wheel");
  InputManager manager;
  ASSERT_TRUE(manager.Initialize(ProgramInstance, nullptr));
  HWND w = Open(manager, 1, {1, 2, 4, 5, 32, 33, 26, 29, 27, 28});
  ASSERT_NE(nullptr, w);
  ShowWindow(w, SW_SHOWNA);
  RedrawWindow(w, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  wheel.state.lX = 1000;
  InputTestTick(w);
  HWND bar = GetDlgItem(w, IDC_INPUT_TEST_AXIS_BAR);
  EXPECT_FALSE(GetUpdateRect(bar, nullptr, FALSE));
  RECT r;
  GetClientRect(bar, &r);
  HDC dc = GetDC(bar);
  EXPECT_EQ(RGB(0, 120, 215), GetPixel(dc, r.right - 3, r.bottom / 2));
  ReleaseDC(bar, dc);
}

TEST_F(InputTestWindowTest, TheKeyboardLightsTheFunctionOfAHeldKeyAndTakesEveryKey) {
  InputManager manager;
  ASSERT_TRUE(manager.Initialize(ProgramInstance, nullptr));
  HWND w = Open(manager, 0, {111, 112, 45, 44, 109, 114, 46, 32, 30, 31});
  ASSERT_NE(nullptr, w);
  FakeKeyboard().keys[DIK_X] = 0x80;
  InputTestTick(w);
  EXPECT_EQ(L"ON", Text(w, 1062));
  EXPECT_EQ(L"OFF", Text(w, 1063));
  EXPECT_EQ(L"X", Text(w, 1122));
  EXPECT_TRUE(Lit(w, 2));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(w, IDC_INPUT_TEST_AXIS_VALUE)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(w, IDC_INPUT_TEST_FORCE_FEEDBACK)));
  EXPECT_EQ(DLGC_WANTALLKEYS,
            SendDlgItemMessageW(w, IDC_INPUT_TEST_FUNCTIONS_HEADING, WM_GETDLGCODE, 0, 0));
  FakeKeyboard().keys[DIK_X] = 0;
}

// The control dialog's timer stops while the test is open and runs again
// after; the test window ticks meanwhile. A controller plugged in meanwhile is
// listed once the test closes.
TEST_F(InputTestWindowTest, TheControlTimerStopsWhileTheTestIsOpen) {
  SetNoFileSettings();
  AddWheel("Velmora Wheel");
  TimerMessageCounter counter;
  HWND control = nullptr, test = nullptr;
  UINT_PTR timerDuring = 99, timerAfter = 0;
  int controlTicksDuring = -1, testTicks = 0, controlTicksAfter = 0, rowsAfter = 0;
  std::vector<ModalStep> steps = {
      [&]() {
        control = FindOwnDialog(L"Velmora Key Setting");
        if (control == nullptr) return false;
        ChooseListRow(control, IDC_CONTROL_DEVICE, 1);
        PostMessageW(control, WM_COMMAND, MAKEWPARAM(IDC_CONTROL_TEST, BN_CLICKED), 0);
        return true;
      },
      [&]() {
        test = FindOwnDialog(L"Velmora Input Test");
        if (test == nullptr) return false;
        timerDuring = ControlTimer;
        AddGamepad("Velmora Pad");
        SendMessageW(test, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
        SendMessageW(test, WM_TIMER, kInputTestDeviceChangeTimerId, 0);
        counter.Clear();
        return true;
      },
      WaitTicks(12),
      [&]() {
        controlTicksDuring = counter.CountFor(control);
        testTicks = counter.CountFor(test);
        PostMessageW(test, WM_COMMAND, IDCANCEL, 0);
        return true;
      },
      [&]() {
        if (FindOwnDialog(L"Velmora Input Test") != nullptr) return false;
        timerAfter = ControlTimer;
        rowsAfter = RowCount(control, IDC_CONTROL_DEVICE);
        counter.Clear();
        return true;
      },
      WaitTicks(12),
      [&]() {
        controlTicksAfter = counter.CountFor(control);
        PostMessageW(control, WM_COMMAND, IDCANCEL, 0);
        return true;
      },
  };
  INT_PTR result = RunModal(
      []() {
        return DialogBoxParamW(ProgramInstance, MAKEINTRESOURCEW(IDD_CONTROL_SETTINGS), nullptr,
                               ControlSettingsDialogProc, 0);
      },
      steps);
  EXPECT_EQ(0, result);
  EXPECT_EQ(0u, timerDuring);
  EXPECT_EQ(0, controlTicksDuring);
  EXPECT_GT(testTicks, 0);
  EXPECT_EQ(kControlTimerId, timerAfter);
  EXPECT_GT(controlTicksAfter, 0);
  EXPECT_EQ(3, rowsAfter);
}

}  // namespace
