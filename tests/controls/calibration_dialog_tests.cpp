// The calibration dialog from the real template 103 and the calibrate buttons
// of the real control dialog, over a scripted wheel: the trackbar's range,
// thumb and selection, the three readings, reset / minimum / maximum, what OK
// and Cancel leave in ControlSettings, and the control dialog's timer stopped
// for exactly as long as the calibration is open.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <climits>
#include <cstring>
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

// What the product asked of MessageBeep and SetTimer (windows only; the tests'
// own thread timers pass unrecorded).
std::vector<UINT> Beeps;
BOOL WINAPI RecordBeep(UINT type) {
  Beeps.push_back(type);
  return TRUE;
}

struct TimerStart {
  HWND window;
  UINT_PTR id;
  UINT period;
  TIMERPROC procedure;
};
std::vector<TimerStart> TimerStarts;
ImportHook* SetTimerHook = nullptr;
UINT_PTR WINAPI RecordSetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC procedure) {
  if (window != nullptr) TimerStarts.push_back({window, id, period, procedure});
  auto* real = reinterpret_cast<decltype(&SetTimer)>(SetTimerHook->original());
  return real(window, id, period, procedure);
}

struct TrackbarView {
  LRESULT rangeMin, rangeMax, position, selStart, selEnd, ticCount, tic;
};

TrackbarView ReadTrackbar(HWND calibration) {
  auto send = [calibration](UINT message, WPARAM wParam) {
    return SendDlgItemMessageW(calibration, IDC_CALIBRATION_SLIDER, message, wParam, 0);
  };
  return {send(TBM_GETRANGEMIN, 0), send(TBM_GETRANGEMAX, 0), send(TBM_GETPOS, 0),
          send(TBM_GETSELSTART, 0), send(TBM_GETSELEND, 0),  send(TBM_GETNUMTICS, 0),
          send(TBM_GETTIC, 0)};
}

void ResetCalibrationState() {
  // As at program start.
  std::memset(&CalibrationState, 0, sizeof CalibrationState);
}

class CalibrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareDialogTests();
    ResetCalibrationState();
    SetNoFileSettings();
    wheel_ = &AddWheel("Velmora Wheel");
  }
  void TearDown() override {
    CloseCalibration();
    if (control_ != nullptr) DestroyWindow(control_);
  }

  // The control dialog on the wheel (or on the keyboard).
  HWND OpenControl(bool onWheel = true) {
    control_ = OpenControlDialog();
    if (onWheel) ChooseListRow(control_, IDC_CONTROL_DEVICE, 1);
    return control_;
  }
  HWND OpenCalibration(int32_t input, int32_t rawMinimum, int32_t rawMaximum) {
    CalibrationState.calibrationInput = input;
    CalibrationState.rawMinimum = rawMinimum;
    CalibrationState.rawMaximum = rawMaximum;
    calibration_ = CreateDialogParamW(ProgramInstance, MAKEINTRESOURCEW(IDD_CALIBRATION),
                                      control_, CalibrationDialogProc, 0);
    return calibration_;
  }
  void CloseCalibration() {
    if (calibration_ != nullptr) DestroyWindow(calibration_);
    calibration_ = nullptr;
  }
  void CalibrationTick() { SendMessageW(calibration_, WM_TIMER, 4, 0); }
  void Press(int id) { ClickButton(calibration_, id); }

  FakeDirectInputScope fake_;
  FakeJoystick* wheel_ = nullptr;
  HWND control_ = nullptr;
  HWND calibration_ = nullptr;
};

TEST_F(CalibrationTest, OpeningSetsUpTheTrackbarAndBorrowsTheManager) {
  OpenControl();
  CalibrationState.liveValue = 321;  // where the previous opening left the thumb
  CalibrationState.restValue = -5;
  ASSERT_NE(nullptr, OpenCalibration(4, 0, -1000));
  TrackbarView view = ReadTrackbar(calibration_);
  EXPECT_EQ(0, view.rangeMin);
  EXPECT_EQ(1000, view.rangeMax);
  EXPECT_EQ(321, view.position);
  EXPECT_EQ(3, view.ticCount);  // the two ends and the one at 500
  EXPECT_EQ(500, view.tic);
  EXPECT_EQ(0, view.selStart);
  EXPECT_EQ(1000, view.selEnd);
  EXPECT_EQ(kFailedReading, CalibrationState.restValue);
  EXPECT_EQ(ControlManager, CalibrationState.calibrationManager);
  EXPECT_EQ(4u, CalibrationState.calibrationTimer);

  CloseCalibration();
  EXPECT_EQ(nullptr, CalibrationState.calibrationManager);
  EXPECT_EQ(0u, CalibrationState.calibrationTimer);
}

struct ReadingCase {
  const char* name;
  int32_t row;
  int32_t restValue;
  std::function<void(DIJOYSTATE&, int32_t)> put;  // puts v where the row reads
  int32_t v;
  int32_t expected;  // trackbar position for v, live and stored alike
};

TEST_F(CalibrationTest, LiveAndStoredReadingsMapOntoTheTrackbar) {
  auto lX = [](DIJOYSTATE& s, int32_t v) { s.lX = v; };
  auto lY = [](DIJOYSTATE& s, int32_t v) { s.lY = v; };
  auto slider1 = [](DIJOYSTATE& s, int32_t v) {
    s.rglSlider[1] = v;
    s.lX = s.lY = s.lZ = s.rglSlider[0] = -v;  // the others read elsewhere
  };
  const ReadingCase cases[] = {
      {"accelerator row 4 at rest", 4, 0, lY, 0, 0},
      {"row 4 half way down", 4, 0, lY, -500, 500},
      {"row 4 fully down", 4, 0, lY, -1000, 1000},
      {"row 4 on the other side shows 0", 4, 0, lY, 300, 0},
      {"positive half", 2, 0, lX, 700, 700},
      {"positive half, other side", 2, 0, lX, -5, 0},
      {"whole axis resting low: rest end", 3, -1000, lX, -1000, 0},
      {"whole axis resting low: far end", 3, -1000, lX, 1000, 1000},
      {"whole axis resting low: centre", 3, -1000, lX, 0, 500},
      {"whole axis resting high: rest end", 3, 1000, lX, 1000, 0},
      {"whole axis resting high: far end", 3, 1000, lX, -1000, 1000},
      {"whole axis, rest 0, v -1", 3, 0, lX, -1, 500},
      {"whole axis, rest 0, v 1", 3, 0, lX, 1, 499},
      {"second slider, negative half", 22, 0, slider1, -300, 300},
      {"second slider, whole axis", 24, -1, slider1, 600, 800},
      {"row 0 reads nothing", 0, 0, lX, -800, 0},
      // Readings beyond the axis range never leave the trackbar.
      {"negative half far beyond", 1, 0, lX, -30000, 1000},
      {"negative half at the 32-bit end", 1, 0, lX, INT_MIN, 1000},
      {"positive half far beyond", 2, 0, lX, 5000, 1000},
      {"whole axis far beyond, resting low", 3, -1, lX, 30000, 1000},
      {"whole axis far below, resting low", 3, -1, lX, -30000, 0},
      {"whole axis far below, resting high", 3, 0, lX, -30000, 1000},
      {"the failure sentinel, negative half", 1, 0, lX, kFailedReading, 1000},
      {"the failure sentinel, whole axis", 3, -1, lX, kFailedReading, 0},
  };
  OpenControl();
  CalibrationState.calibrationManager = ControlManager;
  for (const ReadingCase& c : cases) {
    std::memset(&wheel_->state, 0, sizeof wheel_->state);
    c.put(wheel_->state, c.v);
    CalibrationState.calibrationInput = c.row;
    CalibrationState.restValue = c.restValue;
    EXPECT_EQ(c.expected, ReadLiveValue()) << c.name;
    EXPECT_EQ(c.expected, MapStoredValue(c.v)) << c.name;
    if (c.row != 0) {
      EXPECT_EQ(c.v, ReadRawValue()) << c.name;
    }
  }
  CalibrationState.calibrationManager = nullptr;
}

TEST_F(CalibrationTest, ButtonRowsReadAndMapAsDownOrUp) {
  OpenControl();
  CalibrationState.calibrationManager = ControlManager;
  CalibrationState.calibrationInput = 25 + 7;
  wheel_->state.rgbButtons[7] = 0x80;
  EXPECT_EQ(1000, ReadRawValue());
  EXPECT_EQ(1000, ReadLiveValue());
  wheel_->state.rgbButtons[7] = 0;
  wheel_->state.rgbButtons[6] = 0x80;
  EXPECT_EQ(0, ReadRawValue());
  EXPECT_EQ(0, ReadLiveValue());
  const struct {
    int32_t stored, expected;
  } stored[] = {{1000, 1000}, {0, 0}, {kFailedReading, 0}, {500, 0}, {999, 0}, {1001, 0}};
  for (const auto& s : stored) EXPECT_EQ(s.expected, MapStoredValue(s.stored)) << s.stored;
  CalibrationState.calibrationManager = nullptr;
}

TEST_F(CalibrationTest, TheThumbFollowsTheInputTickByTick) {
  OpenControl();
  OpenCalibration(4, 0, -1000);
  const struct {
    LONG lY;
    LRESULT shown;
  } moves[] = {{0, 0}, {-250, 250}, {-1000, 1000}, {400, 0}};
  for (const auto& move : moves) {
    wheel_->state.lY = move.lY;
    CalibrationTick();
    EXPECT_EQ(move.shown, ReadTrackbar(calibration_).position) << move.lY;
    EXPECT_EQ(move.shown, CalibrationState.liveValue) << move.lY;
  }
  // The first tick captured the rest reading.
  EXPECT_EQ(0, CalibrationState.restValue);
  // The thumb dragged by the player goes back to the input on the next tick.
  SendDlgItemMessageW(calibration_, IDC_CALIBRATION_SLIDER, TBM_SETPOS, TRUE, 777);
  CalibrationTick();
  EXPECT_EQ(0, ReadTrackbar(calibration_).position);
}

TEST_F(CalibrationTest, WholeAxisSelectionTurnsWithTheRestReadingOfThePreviousOpening) {
  OpenControl();
  // First opening of the process: rest 0, so -1000 maps to 1000 and 1000 to 0.
  OpenCalibration(3, -1000, 1000);
  EXPECT_EQ(1000, CalibrationState.selectionStart);
  EXPECT_EQ(0, CalibrationState.selectionEnd);
  wheel_->state.lX = -1000;  // the pedal rests at its low end
  CalibrationTick();
  EXPECT_EQ(-1000, CalibrationState.restValue);
  EXPECT_EQ(0, ReadTrackbar(calibration_).position);
  wheel_->state.lX = 1000;
  CalibrationTick();
  EXPECT_EQ(1000, ReadTrackbar(calibration_).position);
  Press(IDCANCEL);
  CloseCalibration();
  // Kept for the next opening: the same pair now opens as 0 to 1000, and the
  // thumb starts where it was left.
  EXPECT_EQ(-1000, CalibrationState.restValue);
  EXPECT_EQ(1000, CalibrationState.liveValue);
  OpenCalibration(3, -1000, 1000);
  EXPECT_EQ(0, CalibrationState.selectionStart);
  EXPECT_EQ(1000, CalibrationState.selectionEnd);
  TrackbarView view = ReadTrackbar(calibration_);
  EXPECT_EQ(0, view.selStart);
  EXPECT_EQ(1000, view.selEnd);
  EXPECT_EQ(1000, view.position);
}

TEST_F(CalibrationTest, MinimumAndMaximumTakeTheThumbAndTheRawReading) {
  OpenControl();
  OpenCalibration(1, 0, -1000);
  wheel_->state.lX = -300;
  CalibrationTick();
  Press(IDC_CALIBRATION_MINIMUM);
  EXPECT_EQ(300, CalibrationState.selectionStart);
  EXPECT_EQ(-300, CalibrationState.rawMinimum);
  wheel_->state.lX = -900;
  CalibrationTick();
  // The player drags the thumb before pressing: the end takes the thumb, the
  // pair the input.
  SendDlgItemMessageW(calibration_, IDC_CALIBRATION_SLIDER, TBM_SETPOS, TRUE, 880);
  Press(IDC_CALIBRATION_MAXIMUM);
  EXPECT_EQ(880, CalibrationState.selectionEnd);
  EXPECT_EQ(-900, CalibrationState.rawMaximum);
  TrackbarView view = ReadTrackbar(calibration_);
  EXPECT_EQ(300, view.selStart);
  EXPECT_EQ(880, view.selEnd);

  // Reset: rest captured again, selection cleared, the pair kept.
  wheel_->state.lX = -20;
  Press(IDC_CALIBRATION_RESET);
  EXPECT_EQ(-20, CalibrationState.restValue);
  view = ReadTrackbar(calibration_);
  EXPECT_EQ(0, view.selStart);
  EXPECT_EQ(1000, view.selEnd);
  EXPECT_EQ(-300, CalibrationState.rawMinimum);
  EXPECT_EQ(-900, CalibrationState.rawMaximum);
}

TEST_F(CalibrationTest, RowZeroAndButtonRows) {
  OpenControl();
  OpenCalibration(0, 123, 456);
  wheel_->state.lX = -1000;
  wheel_->state.rgbButtons[0] = 0x80;
  CalibrationTick();
  EXPECT_EQ(0, ReadTrackbar(calibration_).position);
  Press(IDC_CALIBRATION_MINIMUM);
  Press(IDC_CALIBRATION_MAXIMUM);
  EXPECT_EQ(0, CalibrationState.rawMinimum);
  EXPECT_EQ(0, CalibrationState.rawMaximum);
  CloseCalibration();

  // Button 1 (row 25) held while pressing maximum.
  OpenCalibration(25, 0, 0);
  CalibrationTick();
  EXPECT_EQ(1000, ReadTrackbar(calibration_).position);
  Press(IDC_CALIBRATION_MAXIMUM);
  EXPECT_EQ(1000, CalibrationState.rawMaximum);
  EXPECT_EQ(1000, CalibrationState.selectionEnd);
}

TEST_F(CalibrationTest, AFailedReadChangesNoEndAndLeavesCaptureForALaterTick) {
  Beeps.clear();
  ImportHook beep("user32.dll", "MessageBeep", reinterpret_cast<void*>(&RecordBeep));
  ASSERT_TRUE(beep.installed());
  OpenControl();
  OpenCalibration(1, -111, -999);
  wheel_->state.lX = -400;
  CalibrationTick();  // a good read: rest -400, thumb 400
  ASSERT_EQ(400, ReadTrackbar(calibration_).position);
  const LRESULT startBefore = ReadTrackbar(calibration_).selStart;
  const LRESULT endBefore = ReadTrackbar(calibration_).selEnd;

  wheel_->readAfterScript = E_FAIL;  // unplugged
  wheel_->state.lX = -800;
  CalibrationTick();
  EXPECT_EQ(400, ReadTrackbar(calibration_).position) << "the last good state is shown";
  Press(IDC_CALIBRATION_MINIMUM);
  Press(IDC_CALIBRATION_MAXIMUM);
  EXPECT_EQ(-111, CalibrationState.rawMinimum);
  EXPECT_EQ(-999, CalibrationState.rawMaximum);
  EXPECT_EQ(startBefore, ReadTrackbar(calibration_).selStart);
  EXPECT_EQ(endBefore, ReadTrackbar(calibration_).selEnd);
  EXPECT_EQ(111, CalibrationState.selectionStart);
  EXPECT_EQ(999, CalibrationState.selectionEnd);
  EXPECT_EQ((std::vector<UINT>{MB_ICONWARNING, MB_ICONWARNING}), Beeps)
      << "each press whose read failed is heard, and only those";

  // Reset while the read fails: cleared selection, rest not captured ...
  Press(IDC_CALIBRATION_RESET);
  EXPECT_EQ(kFailedReading, CalibrationState.restValue);
  CalibrationTick();
  EXPECT_EQ(kFailedReading, CalibrationState.restValue);
  // ... until the first tick whose read succeeds.
  wheel_->readAfterScript = DI_OK;
  CalibrationTick();
  EXPECT_EQ(-800, CalibrationState.restValue);
  EXPECT_EQ(800, ReadTrackbar(calibration_).position);
  // A press whose read succeeds is silent and takes the end.
  Press(IDC_CALIBRATION_MINIMUM);
  EXPECT_EQ(-800, CalibrationState.rawMinimum);
  EXPECT_EQ(800, ReadTrackbar(calibration_).selStart);
  EXPECT_EQ(2u, Beeps.size());
}

TEST_F(CalibrationTest, StoredPairsOutsideTheRangeOpenAsATrackbarSelection) {
  OpenControl();
  const struct {
    int32_t row, minimum, maximum, start, end;
  } cases[] = {
      {1, kFailedReading, 30000, 1000, 0},
      {2, kFailedReading, 30000, 0, 1000},
      {3, INT_MIN, INT_MAX, 1000, 0},  // rest 0: the low end shows high
      {25, kFailedReading, 1000, 0, 1000},
  };
  for (const auto& c : cases) {
    CalibrationState.restValue = 0;
    OpenCalibration(c.row, c.minimum, c.maximum);
    EXPECT_EQ(c.start, CalibrationState.selectionStart) << c.row;
    EXPECT_EQ(c.end, CalibrationState.selectionEnd) << c.row;
    TrackbarView view = ReadTrackbar(calibration_);
    EXPECT_GE(view.selStart, 0) << c.row;
    EXPECT_LE(view.selEnd, 1000) << c.row;
    CloseCalibration();
  }
}

TEST_F(CalibrationTest, TheKeyboardRowShowsZeroAndReadsNoJoystick) {
  Beeps.clear();
  ImportHook beep("user32.dll", "MessageBeep", reinterpret_cast<void*>(&RecordBeep));
  ASSERT_TRUE(beep.installed());
  OpenControl(false);
  ASSERT_EQ(0, SelectedDeviceRow);
  const int readsBefore = wheel_->readCalls;
  // The keyboard's LEFT key row; 45 ("X") would be a controller row number.
  for (int32_t row : {111, 45, 3}) {
    CalibrationState.restValue = -1;
    OpenCalibration(row, -1000, 1000);
    EXPECT_EQ(0, CalibrationState.selectionStart) << row;
    EXPECT_EQ(0, CalibrationState.selectionEnd) << row;
    wheel_->state.lX = -900;
    CalibrationTick();
    EXPECT_EQ(0, ReadTrackbar(calibration_).position) << row;
    EXPECT_EQ(0, CalibrationState.restValue) << row;
    Press(IDC_CALIBRATION_MINIMUM);
    Press(IDC_CALIBRATION_MAXIMUM);
    EXPECT_EQ(0, CalibrationState.rawMinimum) << row;
    EXPECT_EQ(0, CalibrationState.rawMaximum) << row;
    CloseCalibration();
  }
  EXPECT_EQ(readsBefore, wheel_->readCalls) << "a joystick was read for the keyboard";
  EXPECT_TRUE(Beeps.empty()) << "the keyboard's 0 is a reading, not a failed one";
}

// ---- Through the control dialog's calibrate buttons, modal as in play ------

struct ButtonCase {
  const char* name;
  int button;
  bool ok;
  AnalogFunctionSetting left, right, accele, brake;  // expected afterwards
};

TEST_F(CalibrationTest, CalibrateButtonsStoreThePairOnOkOnly) {
  const AnalogFunctionSetting presetLeft = {1, 1, 0, -1000}, presetRight = {2, 1, 0, 1000},
                              presetAccele = {4, 1, 0, -1000}, presetBrake = {5, 1, 0, 1000};
  const ButtonCase cases[] = {
      {"steering, OK: RIGHT mirrored", IDC_CONTROL_CALIBRATE_LEFT, true, {1, 1, 12, -980},
       {2, 1, -12, 980}, presetAccele, presetBrake},
      {"steering, Cancel", IDC_CONTROL_CALIBRATE_LEFT, false, presetLeft, presetRight,
       presetAccele, presetBrake},
      {"accelerator, OK", IDC_CONTROL_CALIBRATE_ACCELE, true, presetLeft, presetRight,
       {4, 1, 12, -980}, presetBrake},
      {"brake, OK", IDC_CONTROL_CALIBRATE_BRAKE, true, presetLeft, presetRight, presetAccele,
       {5, 1, 12, -980}},
  };
  for (const ButtonCase& c : cases) {
    SetNoFileSettings();
    OpenControl();
    // The stored input and mode as the file would hold them; calibration
    // changes neither.
    ControlSettings.left.input = 1, ControlSettings.left.axisMode = 1;
    ControlSettings.right.input = 2, ControlSettings.right.axisMode = 1;
    ControlSettings.accele.input = 4, ControlSettings.accele.axisMode = 1;
    ControlSettings.brake.input = 5, ControlSettings.brake.axisMode = 1;
    // Every function list reads lX here, so one movement serves all three.
    for (int id : {IDC_CONTROL_LEFT, IDC_CONTROL_ACCELE, IDC_CONTROL_BRAKE}) {
      ChooseListRow(control_, id, 3);
    }
    FakeJoystick& wheel = *wheel_;
    auto inCalibration = [](int id) {
      return [id]() {
        HWND calibration = FindOwnDialog(L"Calibration");
        if (calibration == nullptr) return false;
        ClickButton(calibration, id);
        return true;
      };
    };
    std::vector<ModalStep> steps = {
        [&wheel]() { wheel.state.lX = 12; return true; },
        WaitTicks(3),
        inCalibration(IDC_CALIBRATION_MINIMUM),
        [&wheel]() { wheel.state.lX = -980; return true; },
        WaitTicks(3),
        inCalibration(IDC_CALIBRATION_MAXIMUM),
        inCalibration(c.ok ? IDOK : IDCANCEL),
    };
    HWND control = control_;
    RunModal([control, &c]() { ClickButton(control, c.button); return INT_PTR(0); }, steps);
    EXPECT_EQ(nullptr, FindOwnDialog(L"Calibration")) << c.name;
    const AnalogFunctionSetting* got[] = {&ControlSettings.left, &ControlSettings.right,
                                          &ControlSettings.accele, &ControlSettings.brake};
    const AnalogFunctionSetting* want[] = {&c.left, &c.right, &c.accele, &c.brake};
    for (int g = 0; g < 4; ++g) {
      EXPECT_EQ(want[g]->input, got[g]->input) << c.name << ", group " << g;
      EXPECT_EQ(want[g]->axisMode, got[g]->axisMode) << c.name << ", group " << g;
      EXPECT_EQ(want[g]->calibMin, got[g]->calibMin) << c.name << ", group " << g;
      EXPECT_EQ(want[g]->calibMax, got[g]->calibMax) << c.name << ", group " << g;
    }
    EXPECT_EQ(kControlTimerId, ControlTimer) << c.name;
    DestroyWindow(control_);
    control_ = nullptr;
  }
}

TEST_F(CalibrationTest, EachCalibrateButtonCalibratesItsOwnListsInput) {
  OpenControl();
  // A different row in every list, RIGHT's included.
  ChooseListRow(control_, IDC_CONTROL_LEFT, 2);
  ChooseListRow(control_, IDC_CONTROL_RIGHT, 3);
  ChooseListRow(control_, IDC_CONTROL_ACCELE, 4);
  ChooseListRow(control_, IDC_CONTROL_BRAKE, 6);
  const struct {
    int button;
    int32_t input;
  } cases[] = {{IDC_CONTROL_CALIBRATE_LEFT, 2},
               {IDC_CONTROL_CALIBRATE_ACCELE, 4},
               {IDC_CONTROL_CALIBRATE_BRAKE, 6}};
  for (const auto& c : cases) {
    int32_t inputSeen = -99;
    HWND control = control_;
    RunModal([control, &c]() { ClickButton(control, c.button); return INT_PTR(0); },
             {[&inputSeen]() {
               HWND calibration = FindOwnDialog(L"Calibration");
               if (calibration == nullptr) return false;
               inputSeen = CalibrationState.calibrationInput;
               ClickButton(calibration, IDCANCEL);
               return true;
             }});
    EXPECT_EQ(c.input, inputSeen) << "button " << c.button;
  }
}

TEST_F(CalibrationTest, AListWithoutSelectionCalibratesRowZero) {
  OpenControl();
  SendDlgItemMessageW(control_, IDC_CONTROL_ACCELE, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  int32_t inputSeen = -99;
  HWND control = control_;
  RunModal([control]() { ClickButton(control, IDC_CONTROL_CALIBRATE_ACCELE); return INT_PTR(0); },
           {[&inputSeen]() {
             HWND calibration = FindOwnDialog(L"Calibration");
             if (calibration == nullptr) return false;
             inputSeen = CalibrationState.calibrationInput;
             ClickButton(calibration, IDC_CALIBRATION_MAXIMUM);
             ClickButton(calibration, IDOK);
             return true;
           }});
  EXPECT_EQ(0, inputSeen);
  EXPECT_EQ(0, ControlSettings.accele.calibMax);
}

TEST_F(CalibrationTest, AKeyboardFileInAnalogModeCalibratesToZero) {
  SetLoadedSettings("\x83\x4C\x81\x5B\x83\x7B\x81\x5B\x83\x68");  // キーボード
  ControlSettings.left = {111, 1, -700, 700};
  control_ = OpenControlDialog();
  ASSERT_TRUE(Enabled(control_, IDC_CONTROL_CALIBRATE_LEFT));
  HWND control = control_;
  RunModal([control]() { ClickButton(control, IDC_CONTROL_CALIBRATE_LEFT); return INT_PTR(0); },
           {WaitTicks(3), []() {
              HWND calibration = FindOwnDialog(L"Calibration");
              if (calibration == nullptr) return false;
              ClickButton(calibration, IDC_CALIBRATION_MINIMUM);
              ClickButton(calibration, IDC_CALIBRATION_MAXIMUM);
              ClickButton(calibration, IDOK);
              return true;
            }});
  EXPECT_EQ(0, ControlSettings.left.calibMin);
  EXPECT_EQ(0, ControlSettings.left.calibMax);
  EXPECT_EQ(0, ControlSettings.right.calibMin);
  EXPECT_EQ(0, ControlSettings.right.calibMax);
  EXPECT_EQ(0, wheel_->readCalls);
}

// The real timers, watched through the thread's message loop: while the
// calibration dialog is open only its own timer ticks; when it closes, by OK,
// Cancel or by failing to open at all, the control dialog's ticks resume.
TEST_F(CalibrationTest, TheControlTimerStopsForTheWholeCalibration) {
  ImportHook setTimer("user32.dll", "SetTimer", reinterpret_cast<void*>(&RecordSetTimer));
  ASSERT_TRUE(setTimer.installed());
  SetTimerHook = &setTimer;
  enum Ending { kOk, kCancel, kNotShown };
  for (Ending ending : {kOk, kCancel, kNotShown}) {
    SetNoFileSettings();
    TimerStarts.clear();
    TimerMessageCounter counter;
    HWND control = nullptr;
    int controlTicksBefore = 0, controlTicksDuring = -1, calibrationTicksDuring = 0;
    int controlTicksAfter = 0;
    UINT_PTR timerDuring = 99, timerAfter = 0;
    HWND calibration = nullptr;
    std::vector<ModalStep> steps = {
        [&]() {
          control = FindOwnDialog(L"Velmora Key Setting");
          if (control == nullptr) return false;
          ChooseListRow(control, IDC_CONTROL_DEVICE, 1);
          counter.Clear();
          return true;
        },
        WaitTicks(10),
        [&]() {
          controlTicksBefore = counter.CountFor(control);
          if (ending == kNotShown) {
            // No template 103 in this module: the dialog cannot be shown.
            ProgramInstance = GetModuleHandleW(L"kernel32.dll");
            ClickButton(control, IDC_CONTROL_CALIBRATE_LEFT);
            ProgramInstance = GetModuleHandleW(nullptr);
          } else {
            PostMessageW(control, WM_COMMAND, MAKEWPARAM(IDC_CONTROL_CALIBRATE_LEFT, BN_CLICKED),
                         0);
          }
          return true;
        },
        [&]() {
          if (ending == kNotShown) return true;
          calibration = FindOwnDialog(L"Calibration");
          if (calibration == nullptr) return false;
          timerDuring = ControlTimer;
          counter.Clear();
          return true;
        },
        WaitTicks(12),
        [&]() {
          if (ending != kNotShown) {
            controlTicksDuring = counter.CountFor(control);
            calibrationTicksDuring = counter.CountFor(calibration);
            PostMessageW(calibration, WM_COMMAND, ending == kOk ? IDOK : IDCANCEL, 0);
          }
          return true;
        },
        [&]() {
          if (FindOwnDialog(L"Calibration") != nullptr) return false;
          timerAfter = ControlTimer;
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
    const char* name = ending == kOk ? "OK" : ending == kCancel ? "Cancel" : "not shown";
    EXPECT_EQ(0, result) << name;
    EXPECT_GT(controlTicksBefore, 0) << name;
    if (ending != kNotShown) {
      EXPECT_EQ(0u, timerDuring) << name;
      EXPECT_EQ(0, controlTicksDuring) << name;
      EXPECT_GT(calibrationTicksDuring, 0) << name;
    }
    EXPECT_EQ(kControlTimerId, timerAfter) << name;
    EXPECT_GT(controlTicksAfter, 0) << name;
    EXPECT_EQ(nullptr, ControlManager) << name;
    // Every timer either dialog starts is timer 4 at 16 ms with no callback:
    // the control dialog's, the calibration's (when it was shown), the control
    // dialog's again.
    std::vector<HWND> expectedWindows = {control, calibration, control};
    if (ending == kNotShown) expectedWindows = {control, control};
    ASSERT_EQ(expectedWindows.size(), TimerStarts.size()) << name;
    for (size_t i = 0; i < TimerStarts.size(); ++i) {
      EXPECT_EQ(expectedWindows[i], TimerStarts[i].window) << name << ", timer " << i;
      EXPECT_EQ(4u, TimerStarts[i].id) << name << ", timer " << i;
      EXPECT_EQ(16u, TimerStarts[i].period) << name << ", timer " << i;
      EXPECT_EQ(nullptr, TimerStarts[i].procedure) << name << ", timer " << i;
    }
  }
  SetTimerHook = nullptr;
}

}  // namespace
