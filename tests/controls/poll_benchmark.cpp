// Cost of one PollDevices on the dialogs' 16 ms timer: the keyboard and one
// controller, both scripted, read many times; prints the mean per call.
#include <windows.h>

#include <cstdio>

#include "controls/input_manager.h"
#include "tests/fakes/fake_dinput.h"

namespace {

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& rate) {
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(rate.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  long iterations = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 200000;
  if (iterations <= 0) iterations = 200000;

  FakeDirectInputScope fake;
  FakeJoystick& wheel = AddFakeJoystick("Benchmark Wheel");
  SetAxes(wheel, {DIJOFS_X, DIJOFS_Y, DIJOFS_Z, DIJOFS_RZ, DIJOFS_SLIDER(0), DIJOFS_SLIDER(1)});
  wheel.buttons = 32;

  InputManager manager;
  if (!manager.Initialize(GetModuleHandleA(nullptr), GetDesktopWindow()) ||
      manager.joystickCount != 1) {
    std::printf("set-up failed\n");
    return 1;
  }
  manager.currentJoystick = 0;

  // Warm the caches and the page of the state buffers first.
  for (int i = 0; i < 1000; ++i) manager.PollDevices();

  LARGE_INTEGER rate, start, end;
  QueryPerformanceFrequency(&rate);
  long failures = 0;
  QueryPerformanceCounter(&start);
  for (long i = 0; i < iterations; ++i) {
    // The state moves, so every copy carries new bytes as on a real tick.
    wheel.state.lX = static_cast<LONG>(i % 2001) - 1000;
    if (!manager.PollDevices()) ++failures;
  }
  QueryPerformanceCounter(&end);

  double perCall = Seconds(start, end, rate) * 1e6 / static_cast<double>(iterations);
  std::printf("PollDevices: %ld calls, mean %.3f us per call, %.4f%% of the 16 ms tick\n",
              iterations, perCall, perCall / 16000.0 * 100.0);
  if (failures != 0 || manager.joystickStates[0].lX != wheel.state.lX) {
    std::printf("reads failed: %ld\n", failures);
    return 1;
  }
  return 0;
}
