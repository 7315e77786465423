// The 16 ms ticks of the control and calibration dialogs allocate nothing:
// this program's own heap calls (operator new, and malloc / calloc / realloc
// through the linker's --wrap) are counted across a few hundred ticks in which
// the scripted wheel moves, presses buttons and detection selects rows, and as
// many in which scripted keys bind.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "controls/calibration_dialog.h"
#include "controls/input_test_window.h"
#include "controls/control_settings_dialog.h"
#include "program/program_instance.h"
#include "resources/resource_ids.h"
#include "tests/controls/control_dialog_support.h"

namespace {

bool counting = false;
DWORD countedThread = 0;
long allocations = 0;

void CountOne() {
  if (counting && GetCurrentThreadId() == countedThread) ++allocations;
}

void StartCounting() {
  allocations = 0;
  countedThread = GetCurrentThreadId();
  counting = true;
}

long StopCounting() {
  counting = false;
  return allocations;
}

}  // namespace

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);

void* __wrap_malloc(size_t size) {
  CountOne();
  return __real_malloc(size);
}
void* __wrap_calloc(size_t count, size_t size) {
  CountOne();
  return __real_calloc(count, size);
}
void* __wrap_realloc(void* block, size_t size) {
  CountOne();
  return __real_realloc(block, size);
}
}

void* operator new(size_t size) {
  CountOne();
  void* block = std::malloc(size != 0 ? size : 1);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  CountOne();
  return std::malloc(size != 0 ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
void operator delete[](void* block, size_t) noexcept { std::free(block); }

namespace {

// The counter itself must see what it is meant to see, or the zero below
// proves nothing.
// Blocks kept where the compiler cannot see them unused, so it may not drop
// the allocations.
void* volatile keptBlocks[3];

TEST(AllocationCountTest, CountsNewAndMallocOfThisProgram) {
  StartCounting();
  keptBlocks[0] = std::malloc(16);
  keptBlocks[1] = new int(3);
  keptBlocks[2] = std::calloc(2, 8);
  long counted = StopCounting();
  std::free(keptBlocks[0]);
  delete static_cast<int*>(keptBlocks[1]);
  std::free(keptBlocks[2]);
  // operator new counts itself and the malloc under it.
  EXPECT_EQ(4, counted);
}

// What the wheel does on tick i: rests, swings each axis past the threshold
// both ways, presses buttons one after another.
void MoveWheel(DIJOYSTATE& state, int tick) {
  std::memset(&state, 0, sizeof state);
  LONG* axes[] = {&state.lX, &state.lY, &state.lZ, &state.lRx, &state.lRy, &state.lRz,
                  &state.rglSlider[0], &state.rglSlider[1]};
  switch (tick % 4) {
    case 0:
      break;
    case 1:
      *axes[(tick / 4) % 8] = -900;
      break;
    case 2:
      *axes[(tick / 4) % 8] = 900;
      break;
    default:
      state.rgbButtons[(tick / 4) % 12] = 0x80;
      break;
  }
}

TEST(AllocationCountTest, TicksAllocateNothing) {
  PrepareDialogTests();
  FakeDirectInputScope fake;
  SetNoFileSettings();
  FakeJoystick& wheel = AddWheel("Velmora Wheel");
  HWND control = OpenControlDialog();
  ASSERT_NE(nullptr, control);
  ChooseListRow(control, IDC_CONTROL_DEVICE, 1);
  Tick(control);
  const int focused[] = {IDC_CONTROL_LEFT, IDC_CONTROL_ACCELE, IDC_CONTROL_VIEWDOWN};
  int selectionsMade = 0;

  StartCounting();
  for (int tick = 0; tick < 300; ++tick) {
    if (tick % 100 == 0) FocusList(control, focused[tick / 100]);  // outside the tick
    int before = Selection(control, DetectionTarget);
    MoveWheel(wheel.state, tick);
    Tick(control);
    if (Selection(control, DetectionTarget) != before) ++selectionsMade;
  }
  long controlTicks = StopCounting();
  EXPECT_EQ(0, controlTicks) << "allocations in 300 control dialog ticks";
  EXPECT_GT(selectionsMade, 50) << "the ticks were meant to detect inputs";

  // Pulled out while selected: every read fails, still without a heap call.
  UnplugFakeJoystick(wheel);
  StartCounting();
  for (int tick = 0; tick < 100; ++tick) Tick(control);
  EXPECT_EQ(0, StopCounting()) << "allocations in 100 ticks with the wheel pulled out";
  PlugFakeJoystick(wheel);

  CalibrationState.calibrationInput = 3;
  CalibrationState.rawMinimum = -1000;
  CalibrationState.rawMaximum = 1000;
  HWND calibration = CreateDialogParamW(ProgramInstance, MAKEINTRESOURCEW(IDD_CALIBRATION),
                                        control, CalibrationDialogProc, 0);
  ASSERT_NE(nullptr, calibration);
  StartCounting();
  for (int tick = 0; tick < 300; ++tick) {
    MoveWheel(wheel.state, tick);
    SendMessageW(calibration, WM_TIMER, 4, 0);
  }
  long calibrationTicks = StopCounting();
  EXPECT_EQ(0, calibrationTicks) << "allocations in 300 calibration ticks";
  DestroyWindow(calibration);

  // The input test over the wheel: at rest, then every axis and button moving.
  InputTestSetup setup = {ControlManager, 1, {1, 2, 4, 5, 32, 33, 26, 29, 27, 28}, {1, 1, 1}, {}};
  HWND test = CreateDialogParamW(ProgramInstance, MAKEINTRESOURCEW(IDD_INPUT_TEST), control,
                                 InputTestDialogProc, reinterpret_cast<LPARAM>(&setup));
  ASSERT_NE(nullptr, test);
  std::memset(&wheel.state, 0, sizeof wheel.state);
  StartCounting();
  for (int tick = 0; tick < 600; ++tick) {
    if (tick >= 300) MoveWheel(wheel.state, tick);
    SendMessageW(test, WM_TIMER, kInputTestTimerId, 0);
  }
  EXPECT_EQ(0, StopCounting()) << "allocations in 600 input test ticks";
  DestroyWindow(test);

  // The keyboard row, in front with a list focused: every other tick a key
  // goes down and binds.
  ChooseListRow(control, IDC_CONTROL_DEVICE, 0);
  ShowWindow(control, SW_SHOW);
  SetForegroundWindow(control);
  SetFocus(GetDlgItem(control, IDC_CONTROL_ACCELE));
  StartCounting();
  for (int tick = 0; tick < 300; ++tick) {
    if (tick % 2 == 0) {
      SetFakeKeys({tick % 4 == 0 ? DIK_A : DIK_LEFT});
    } else {
      SetFakeKeys({});
    }
    Tick(control);
  }
  EXPECT_EQ(0, StopCounting()) << "allocations in 300 keyboard ticks";
  EXPECT_EQ(111, Selection(control, IDC_CONTROL_ACCELE)) << "the keys were meant to bind";
  DestroyWindow(control);
}

}  // namespace
