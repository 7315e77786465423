// How soon the graphics test shows its first frame after "테스트" is pressed,
// and how many frames a second it draws, on the first listed device at the
// screen's own size and 32 bits, with both texture options ticked, as the
// dialog starts it (RunGraphicsTest with the real steps; the frame step is
// wrapped to take the times, and answers Enter itself after 4 s).
//
// Not a test: run it under the same Wine as the tests, on an X display:
//   wine-run.sh tests/graphics/display_check_benchmark.exe [rounds]
// Prints the median of the rounds. Exit code 0 when the first frame comes
// within 1.5 s and the rate is at least 30 frames a second, 2 when not, 1 when
// a test did not run to its end.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "graphics/display_catalogue.h"
#include "graphics/display_check.h"
#include "program/program_instance.h"
#include "tests/graphics/benchmark_clock.h"

namespace {

constexpr double kDrawFor = 4000;  // ms of frames before the answer

struct Round {
  double pressed;
  double firstFrame;  // ms after the press
  double lastFrame;
  int frames;
  double answered;
};
Round round;
HRESULT (*realDrawFrame)(GraphicsTestScene&);

HRESULT TimedFrame(GraphicsTestScene& scene) {
  HRESULT result = realDrawFrame(scene);
  double now = BenchmarkNow() - round.pressed;
  if (round.frames++ == 0) round.firstFrame = now;
  round.lastFrame = now;
  if (now - round.firstFrame >= kDrawFor && round.answered == 0) {
    round.answered = now;
    PostMessageW(scene.window, WM_KEYDOWN, VK_RETURN, 1);
  }
  return result;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
  if (rounds < 1) rounds = 1;
  ProgramInstance = GetModuleHandleW(nullptr);
  if (!EnumerateDisplayDevices()) {
    std::printf("no 3D device\n");
    return 1;
  }
  GraphicsTestSteps steps = RealGraphicsTestSteps();
  realDrawFrame = steps.drawFrame;
  steps.drawFrame = TimedFrame;
  GraphicsTestCalls = steps;
  static const GraphicsTestTexts texts = {
      L"If you can see this, press Enter or click.", L"Back to the settings in %d s",
      L"Textures: %d bit", L", 2 stages", L", 2 stages: not offered by this device",
      L", compressed", L", compressed: not offered by this device"};
  GraphicsTestChoice choice = {0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                               32, 0, true, true, false, &texts};
  std::printf("device \"%s\", %d x %d x 32, both texture options ticked, %d rounds\n",
              DisplayDeviceCatalogue.entries[0].name, choice.width, choice.height, rounds);
  std::vector<double> first, rates, closing;
  for (int i = 0; i < rounds; ++i) {
    round = Round();
    round.pressed = BenchmarkNow();
    GraphicsTestOutcome outcome = RunGraphicsTest(nullptr, choice);
    double ended = BenchmarkNow() - round.pressed;
    if (outcome.end != GraphicsTestEnd::kConfirmed || round.frames < 2) {
      std::printf("round %d: ended %d at step %d (0x%08lX) after %d frames\n", i + 1,
                  static_cast<int>(outcome.end), static_cast<int>(outcome.failedStep),
                  static_cast<unsigned long>(outcome.code), round.frames);
      return 1;
    }
    double rate = (round.frames - 1) * 1000.0 / (round.lastFrame - round.firstFrame);
    std::printf("round %d: first frame %.0f ms after the press, %.1f frames/s, back %.0f ms after the answer\n",
                i + 1, round.firstFrame, rate, ended - round.answered);
    first.push_back(round.firstFrame);
    rates.push_back(rate);
    closing.push_back(ended - round.answered);
    Sleep(300);
  }
  double firstMedian = Median(first), rateMedian = Median(rates);
  std::printf("median: first frame %.0f ms (goal <= 1500), %.1f frames/s (goal >= 30), back %.0f ms after the answer\n",
              firstMedian, rateMedian, Median(closing));
  return firstMedian <= 1500 && rateMedian >= 30 ? 0 : 2;
}
