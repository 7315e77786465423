// Cost of one 16 ms tick of the control dialog (poll, detection, at most one
// selection) and of the calibration dialog (poll, thumb), with a scripted
// wheel, the real dialogs and Wine's controls, mean over many ticks sent as
// WM_TIMER:
//  1. control dialog, wheel at rest, a list focused: poll and eight compares;
//  2. control dialog, the wheel swinging past the threshold or pressing a
//     button every tick: one list selection per tick (the most a tick does);
//  3. control dialog with the selected wheel pulled out: every read fails;
//  4. calibration dialog on a whole axis that moves every tick;
//  5. control dialog on the keyboard row, in front with a list focused, no key
//     moving: one read of the keyboard's kept events;
//  6. the same, a key going down or up every tick, each press binding another
//     row (the most a keyboard tick does);
//  7. the input test window over the wheel at rest: poll and compares;
//  8. the same with every axis and a button moving every tick: every value,
//     bar and button box shown anew (the most its tick does);
//  9, 10. cases 7 and 8 with the painting that the tick leaves to the message
//     loop (WM_PAINT of what it invalidated) done within each tick, as the
//     player's screen gets it: the whole cost of showing a tick.
// Usage: tick_benchmark [ticks]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "controls/calibration_dialog.h"
#include "controls/control_settings_dialog.h"
#include "controls/control_settings_file.h"
#include "controls/input_test_window.h"
#include "program/program_instance.h"
#include "resources/resource_ids.h"
#include "tests/fakes/fake_dinput.h"

namespace {

constexpr double kTickMicroseconds = 16000.0;

using Move = void (*)(DIJOYSTATE&, long);

void Rest(DIJOYSTATE& state, long) { std::memset(&state, 0, sizeof state); }

// Alternates the steering past the threshold on both sides and a button, so
// the focused list changes its selection on every tick.
void Swing(DIJOYSTATE& state, long tick) {
  std::memset(&state, 0, sizeof state);
  switch (tick % 3) {
    case 0: state.lX = -900; break;
    case 1: state.lX = 900; break;
    default: state.rgbButtons[tick % 12] = 0x80; break;
  }
}

void Sweep(DIJOYSTATE& state, long tick) {
  state.lX = static_cast<LONG>(tick % 2001) - 1000;
}

// Every axis at another value and another button down on every tick.
void MoveAll(DIJOYSTATE& state, long tick) {
  std::memset(&state, 0, sizeof state);
  LONG* axes[] = {&state.lX, &state.lY, &state.lZ, &state.lRx, &state.lRy, &state.lRz,
                  &state.rglSlider[0], &state.rglSlider[1]};
  for (int a = 0; a < 8; ++a) *axes[a] = static_cast<LONG>((tick * 37 + a * 250) % 2001) - 1000;
  state.rgbButtons[tick % 12] = 0x80;
}

// The painting a message loop would do next: every WM_PAINT pending.
void PaintPending() {
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
    DispatchMessageW(&message);
  }
}

double MeanMicroseconds(HWND window, FakeJoystick& wheel, Move move, long ticks,
                        void (*beforeTick)(HWND), bool painted = false) {
  for (long i = 0; i < 1000; ++i) {  // warm caches and pages
    move(wheel.state, i);
    if (beforeTick != nullptr) beforeTick(window);
    SendMessageW(window, WM_TIMER, kControlTimerId, 0);
    if (painted) PaintPending();
  }
  LARGE_INTEGER rate, start, end;
  QueryPerformanceFrequency(&rate);
  QueryPerformanceCounter(&start);
  for (long i = 0; i < ticks; ++i) {
    move(wheel.state, i);
    if (beforeTick != nullptr) beforeTick(window);
    SendMessageW(window, WM_TIMER, kControlTimerId, 0);
    if (painted) PaintPending();
  }
  QueryPerformanceCounter(&end);
  return static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
         static_cast<double>(rate.QuadPart) / static_cast<double>(ticks);
}

// Detection selects only a row that differs from the one shown, so with a
// steady swing the previous tick's row is cleared to make every tick select.
void ClearTarget(HWND dialog) {
  SendDlgItemMessageW(dialog, DetectionTarget, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

// A or S down on even ticks, nothing on odd ones: every press binds anew.
void PressAndRelease(HWND) {
  static long tick = 0;
  if (tick % 2 == 0) {
    SetFakeKeys({tick % 4 == 0 ? DIK_A : DIK_S});
  } else {
    SetFakeKeys({});
  }
  ++tick;
}

void Report(const char* what, long ticks, double perTick) {
  std::printf("%-52s %7ld ticks, mean %8.3f us per tick, %.4f%% of the 16 ms period\n", what,
              ticks, perTick, perTick / kTickMicroseconds * 100.0);
}

}  // namespace

int main(int argc, char** argv) {
  long ticks = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 20000;
  if (ticks <= 0) ticks = 20000;
  ProgramInstance = GetModuleHandleW(nullptr);
  RegisterDialogControlClasses();

  FakeDirectInputScope fake;
  FakeJoystick& wheel = AddFakeJoystick("Benchmark Wheel");
  wheel.devType = DIDEVTYPE_JOYSTICK | (DIDEVTYPEJOYSTICK_WHEEL << 8);
  wheel.buttons = 12;
  SetAxes(wheel, {0, 4, 8, 12, 16, 20, 24, 28});

  std::memset(&ControlSettings, 0, sizeof ControlSettings);
  ControlSettingsLoaded = 0;
  HWND control = CreateDialogParamW(ProgramInstance, MAKEINTRESOURCEW(IDD_CONTROL_SETTINGS),
                                    nullptr, ControlSettingsDialogProc, 0);
  if (control == nullptr || ControlManager == nullptr || ControlManager->joystickCount != 1) {
    std::printf("the control dialog did not open on the scripted wheel\n");
    return 1;
  }
  SendDlgItemMessageW(control, IDC_CONTROL_DEVICE, CB_SETCURSEL, 1, 0);
  SendMessageW(control, WM_COMMAND, MAKEWPARAM(IDC_CONTROL_DEVICE, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(control, IDC_CONTROL_DEVICE)));
  SendMessageW(control, WM_COMMAND, MAKEWPARAM(IDC_CONTROL_LEFT, CBN_SETFOCUS),
               reinterpret_cast<LPARAM>(GetDlgItem(control, IDC_CONTROL_LEFT)));

  Report("control dialog, wheel at rest", ticks,
         MeanMicroseconds(control, wheel, Rest, ticks, nullptr));
  double swing = MeanMicroseconds(control, wheel, Swing, ticks, ClearTarget);
  double clearOnly = 0.0;
  {
    // The clearing itself, measured alone, is taken off the swing figure.
    LARGE_INTEGER rate, start, end;
    QueryPerformanceFrequency(&rate);
    QueryPerformanceCounter(&start);
    for (long i = 0; i < ticks; ++i) ClearTarget(control);
    QueryPerformanceCounter(&end);
    clearOnly = static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
                static_cast<double>(rate.QuadPart) / static_cast<double>(ticks);
  }
  Report("control dialog, a selection on every tick", ticks, swing - clearOnly);
  UnplugFakeJoystick(wheel);
  Report("control dialog, selected wheel pulled out", ticks,
         MeanMicroseconds(control, wheel, Rest, ticks, nullptr));
  PlugFakeJoystick(wheel);

  CalibrationState.calibrationInput = 3;
  CalibrationState.rawMinimum = -1000;
  CalibrationState.rawMaximum = 1000;
  HWND calibration = CreateDialogParamW(ProgramInstance, MAKEINTRESOURCEW(IDD_CALIBRATION),
                                        control, CalibrationDialogProc, 0);
  if (calibration == nullptr) {
    std::printf("the calibration dialog did not open\n");
    return 1;
  }
  Report("calibration dialog, whole axis sweeping", ticks,
         MeanMicroseconds(calibration, wheel, Sweep, ticks, nullptr));
  DestroyWindow(calibration);

  InputTestSetup setup = {ControlManager, 1, {1, 2, 4, 5, 32, 33, 26, 29, 27, 28}, {1, 1, 1},
                          {{0, -1000}, {0, 1000}, {0, -1000}, {0, 1000}}};
  HWND test = CreateDialogParamW(ProgramInstance, MAKEINTRESOURCEW(IDD_INPUT_TEST), control,
                                 InputTestDialogProc, reinterpret_cast<LPARAM>(&setup));
  if (test == nullptr) {
    std::printf("the input test window did not open\n");
    return 1;
  }
  ShowWindow(test, SW_SHOW);
  Report("input test, wheel at rest", ticks, MeanMicroseconds(test, wheel, Rest, ticks, nullptr));
  Report("input test, every axis and a button moving", ticks,
         MeanMicroseconds(test, wheel, MoveAll, ticks, nullptr));
  PaintPending();
  Report("input test, wheel at rest, painted", ticks,
         MeanMicroseconds(test, wheel, Rest, ticks, nullptr, true));
  Report("input test, every axis and a button moving, painted", ticks,
         MeanMicroseconds(test, wheel, MoveAll, ticks, nullptr, true));
  DestroyWindow(test);

  SendDlgItemMessageW(control, IDC_CONTROL_DEVICE, CB_SETCURSEL, 0, 0);
  SendMessageW(control, WM_COMMAND, MAKEWPARAM(IDC_CONTROL_DEVICE, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(control, IDC_CONTROL_DEVICE)));
  ShowWindow(control, SW_SHOW);
  SetForegroundWindow(control);
  SetFocus(GetDlgItem(control, IDC_CONTROL_LEFT));
  if (GetForegroundWindow() != control) std::printf("the control dialog is not in front\n");
  Report("control dialog, keyboard row, no key moving", ticks,
         MeanMicroseconds(control, wheel, Rest, ticks, nullptr));
  Report("control dialog, keyboard row, a key down or up", ticks,
         MeanMicroseconds(control, wheel, Rest, ticks, PressAndRelease));
  DestroyWindow(control);
  return 0;
}
