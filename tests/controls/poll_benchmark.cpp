// Cost of one PollDevices on the dialogs' 16 ms timer, mean over many calls:
//  1. scripted keyboard and controller, good reads: the manager's own work;
//  2. the same controller answering DIERR_INPUTLOST for ever: the bounded
//     worst case, three acquire-and-read rounds per device;
//  3. the system's DirectInput keyboard (Wine's here) and no controller.
// And of one RefreshControllers, the re-enumeration after a device change:
//  4. scripted, four controllers held and nothing changed;
//  5. scripted, four held and one plugged in (its set-up included);
//  6. the system's DirectInput (Wine's here, no controller attached).
// Usage: input_manager_poll_benchmark [iterations]
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "controls/input_manager.h"
#include "tests/fakes/fake_dinput.h"

namespace {

constexpr double kTickMicroseconds = 16000.0;

double MeanMicroseconds(InputManager& manager, FakeJoystick* moving, long iterations,
                        long* failures) {
  for (int i = 0; i < 1000; ++i) manager.PollDevices();  // warm caches and pages
  LARGE_INTEGER rate, start, end;
  QueryPerformanceFrequency(&rate);
  *failures = 0;
  QueryPerformanceCounter(&start);
  for (long i = 0; i < iterations; ++i) {
    // The state moves, so every copy carries new bytes as on a real tick.
    if (moving != nullptr) moving->state.lX = static_cast<LONG>(i % 2001) - 1000;
    if (!manager.PollDevices()) ++*failures;
  }
  QueryPerformanceCounter(&end);
  return static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
         static_cast<double>(rate.QuadPart) / static_cast<double>(iterations);
}

double Microseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
  LARGE_INTEGER rate;
  QueryPerformanceFrequency(&rate);
  return static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
         static_cast<double>(rate.QuadPart);
}

// Mean of `calls` RefreshControllers on a ready manager.
double MeanRefreshMicroseconds(InputManager& manager, long calls) {
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  for (long i = 0; i < calls; ++i) manager.RefreshControllers();
  QueryPerformanceCounter(&end);
  return Microseconds(start, end) / static_cast<double>(calls);
}

void AddScriptedControllers(int count) {
  for (int i = 0; i < count; ++i) {
    FakeJoystick& pad = AddFakeJoystick("Benchmark Pad");
    SetAxes(pad, {DIJOFS_X, DIJOFS_Y, DIJOFS_Z, DIJOFS_RZ});
    pad.buttons = 12;
  }
}

void Report(const char* what, long iterations, double perCall) {
  std::printf("%-44s %8ld calls, mean %8.3f us per call, %.4f%% of the 16 ms tick\n", what,
              iterations, perCall, perCall / kTickMicroseconds * 100.0);
}

}  // namespace

int main(int argc, char** argv) {
  long iterations = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 200000;
  if (iterations <= 0) iterations = 200000;
  int status = 0;
  long failures = 0;

  {
    FakeDirectInputScope fake;
    FakeJoystick& wheel = AddFakeJoystick("Benchmark Wheel");
    SetAxes(wheel, {DIJOFS_X, DIJOFS_Y, DIJOFS_Z, DIJOFS_RZ, DIJOFS_SLIDER(0), DIJOFS_SLIDER(1)});
    wheel.buttons = 32;
    InputManager manager;
    if (!manager.Initialize(GetModuleHandleA(nullptr), GetDesktopWindow()) ||
        manager.joystickCount != 1) {
      std::printf("scripted set-up failed\n");
      return 1;
    }
    manager.currentJoystick = 0;
    Report("scripted keyboard and controller", iterations,
           MeanMicroseconds(manager, &wheel, iterations, &failures));
    if (failures != 0 || manager.joystickStates[0].lX != wheel.state.lX) {
      std::printf("  reads failed: %ld\n", failures);
      status = 1;
    }

    wheel.readAfterScript = DIERR_INPUTLOST;
    FakeKeyboard().readAfterScript = DIERR_INPUTLOST;
    Report("both answering DIERR_INPUTLOST for ever", iterations,
           MeanMicroseconds(manager, nullptr, iterations, &failures));
    if (failures != iterations) {
      std::printf("  expected every read to fail, %ld did\n", failures);
      status = 1;
    }
  }

  {
    FakeDirectInputScope fake;
    AddScriptedControllers(4);
    InputManager manager;
    if (!manager.Initialize(GetModuleHandleA(nullptr), GetDesktopWindow()) ||
        manager.joystickCount != 4) {
      std::printf("scripted set-up failed\n");
      return 1;
    }
    long calls = iterations / 10 > 0 ? iterations / 10 : 1;
    Report("refresh, scripted, 4 held, no change", calls, MeanRefreshMicroseconds(manager, calls));
  }

  {
    // A fresh fake and manager for every arrival; only the refresh is timed.
    const long arrivals = 200;
    double total = 0.0;
    for (long i = 0; i < arrivals; ++i) {
      FakeDirectInputScope fake;
      AddScriptedControllers(4);
      InputManager manager;
      manager.Initialize(GetModuleHandleA(nullptr), GetDesktopWindow());
      AddScriptedControllers(1);
      LARGE_INTEGER start, end;
      QueryPerformanceCounter(&start);
      int added = manager.RefreshControllers();
      QueryPerformanceCounter(&end);
      total += Microseconds(start, end);
      if (added != 1 || manager.joystickCount != 5) {
        std::printf("  the arrival was not added\n");
        status = 1;
        break;
      }
    }
    Report("refresh, scripted, 4 held, 1 plugged in", arrivals, total / arrivals);
  }

  {
    HWND owner = CreateWindowExA(0, "STATIC", "benchmark", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    InputManager manager;
    if (owner == nullptr || !manager.Initialize(GetModuleHandleA(nullptr), owner)) {
      std::printf("system DirectInput: set-up failed\n");
      status = 1;
    } else {
      long systemIterations = iterations / 10 > 0 ? iterations / 10 : 1;
      Report("system keyboard, no controller", systemIterations,
             MeanMicroseconds(manager, nullptr, systemIterations, &failures));
      long refreshes = 200;
      Report("refresh, system DirectInput", refreshes,
             MeanRefreshMicroseconds(manager, refreshes));
    }
    manager.Shutdown();
    if (owner != nullptr) DestroyWindow(owner);
  }
  return status;
}
