// The force-feedback test of the input test window (template 107) over the
// scripted DirectInput: every way it ends, in both interfaces, each checked on
// the fake device itself: no effect of ours left on it, its level and owner as
// the control settings gave them, its centring spring as it was (on where it
// could not be read), acquired again (except after a pull-out).
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <cstdlib>
#include <string>

#include "controls/force_check.h"
#include "controls/input_manager.h"
#include "controls/input_test_window.h"
#include "program/interface_language.h"
#include "program/program_instance.h"
#include "resources/resource_ids.h"
#include "tests/controls/control_dialog_support.h"

namespace {

DWORD fakeNow = 0;
DWORD WINAPI FakeClock() { return fakeNow; }

BOOL CALLBACK CountEffect(LPDIRECTINPUTEFFECT, LPVOID count) {
  ++*static_cast<int*>(count);
  return DIENUM_CONTINUE;
}

std::wstring Text(HWND window, int id) {
  wchar_t text[512] = L"";
  GetDlgItemTextW(window, id, text, 512);
  return text;
}

// What the player does during the first part.
enum class During { kNothing, kStop, kClose, kDeactivate, kPullOut, kReadFails };

struct Ending {
  const char* name;
  bool constantForce, sine;
  int actuators;
  FakeEffectStep failing;  // kFakeEffectStepCount: none
  During during;
  ForceFeedbackEnd end;
  const wchar_t* korean;   // the status after it
  const wchar_t* english;
  DWORD springBefore = DIPROPAUTOCENTER_ON;
  HRESULT springRead = DI_OK;  // what reading the spring answers
};

constexpr FakeEffectStep kNoFailure = kFakeEffectStepCount;
constexpr HRESULT kRefused = static_cast<HRESULT>(0x80040250);

TEST(ForceFeedbackTest, EveryEndingLeavesTheDeviceAsTheSettingsHadIt) {
  using E = ForceFeedbackEnd;
  const wchar_t* const kStoppedKo = L"힘 피드백: 중지했습니다";
  const wchar_t* const kStoppedEn = L"Force feedback: stopped.";
  const wchar_t* const kLeftRightKo = L"힘 피드백: 왼쪽과 오른쪽으로 재생했습니다";
  const wchar_t* const kLeftRightEn = L"Force feedback: played left and right.";
  const Ending endings[] = {
      {"wheel", true, true, 2, kNoFailure, During::kNothing, E::kPlayedLeftRight, kLeftRightKo,
       kLeftRightEn},
      {"pad", false, true, 2, kNoFailure, During::kNothing, E::kPlayedVibration,
       L"힘 피드백: 진동을 재생했습니다", L"Force feedback: played a vibration."},
      {"none", false, false, 2, kNoFailure, During::kNothing, E::kNoEffect,
       L"이 컨트롤러에는 테스트할 수 있는 효과가 없습니다",
       L"This controller offers no effect this test can play."},
      {"no actuator", true, true, 0, kNoFailure, During::kNothing, E::kNoEffect,
       L"이 컨트롤러에는 테스트할 수 있는 효과가 없습니다",
       L"This controller offers no effect this test can play."},
      {"level", true, false, 1, kFakeExclusiveLevel, During::kNothing, E::kFailed,
       L"힘 피드백 실패: 컨트롤러 사용 (0x80040250)",
       L"Force feedback failed: taking the controller (0x80040250)."},
      {"acquire", true, false, 1, kFakeExclusiveAcquire, During::kNothing, E::kFailed,
       L"힘 피드백 실패: 컨트롤러 사용 (0x80040250)",
       L"Force feedback failed: taking the controller (0x80040250)."},
      {"create", true, false, 1, kFakeCreateEffect, During::kNothing, E::kFailed,
       L"힘 피드백 실패: 효과 생성 (0x80040250)",
       L"Force feedback failed: creating the effect (0x80040250)."},
      {"download", true, false, 1, kFakeEffectDownload, During::kNothing, E::kFailed,
       L"힘 피드백 실패: 재생 (0x80040250)", L"Force feedback failed: playing (0x80040250)."},
      {"start", false, true, 1, kFakeEffectStart, During::kNothing, E::kFailed,
       L"힘 피드백 실패: 재생 (0x80040250)", L"Force feedback failed: playing (0x80040250)."},
      {"right", true, false, 1, kFakeEffectSetParameters, During::kNothing, E::kFailed,
       L"힘 피드백 실패: 재생 (0x80040250)", L"Force feedback failed: playing (0x80040250)."},
      {"stop", true, false, 1, kNoFailure, During::kStop, E::kStopped, kStoppedKo, kStoppedEn},
      {"close", true, false, 1, kNoFailure, During::kClose, E::kStopped, kStoppedKo, kStoppedEn},
      {"deactivate", true, false, 1, kNoFailure, During::kDeactivate, E::kStopped, kStoppedKo,
       kStoppedEn},
      {"pull-out", true, false, 1, kNoFailure, During::kPullOut, E::kStopped, kStoppedKo,
       kStoppedEn},
      {"read fails", true, false, 1, kNoFailure, During::kReadFails, E::kStopped, kStoppedKo,
       kStoppedEn},
      {"spring unreadable", true, false, 1, kNoFailure, During::kNothing, E::kPlayedLeftRight,
       kLeftRightKo, kLeftRightEn, DIPROPAUTOCENTER_ON, DIERR_UNSUPPORTED},
      {"spring was off", true, false, 1, kNoFailure, During::kNothing, E::kPlayedLeftRight,
       kLeftRightKo, kLeftRightEn, DIPROPAUTOCENTER_OFF},
  };
  PrepareDialogTests();
  ForceFeedbackClock = FakeClock;
  HWND settings = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  ProgramInstance, nullptr);
  for (bool korean : {true, false}) {
    UseInterfaceLanguage(korean ? InterfaceLanguage::kKorean : InterfaceLanguage::kEnglish,
                         korean ? 0x0412 : 0x0409);
    for (const Ending& row : endings) {
      SCOPED_TRACE(std::string(row.name) + (korean ? " (Korean)" : " (English)"));
      FakeDirectInputScope fake;
      FakeJoystick& wheel = AddWheel("Velmora Wheel");
      wheel.offersConstantForce = row.constantForce;
      wheel.offersSine = row.sine;
      wheel.actuators = row.actuators;
      wheel.autoCenter = row.springBefore;
      wheel.autoCenterRead = row.springRead;
      if (row.failing != kNoFailure) wheel.effectFail[row.failing] = kRefused;
      InputManager manager;
      ASSERT_TRUE(manager.Initialize(ProgramInstance, settings));
      InputTestSetup setup = {&manager, 1, {1, 2, 6, 18, 32, 33, 26, 29, 27, 28}, {1, 1, 1}, {}};
      HWND w = CreateDialogParamW(ProgramInstance, MAKEINTRESOURCEW(IDD_INPUT_TEST), nullptr,
                                  InputTestDialogProc, reinterpret_cast<LPARAM>(&setup));
      ASSERT_NE(nullptr, w);
      HWND button = GetDlgItem(w, IDC_INPUT_TEST_FORCE_FEEDBACK);
      ASSERT_TRUE(IsWindowEnabled(button));
      std::wstring label = Text(w, IDC_INPUT_TEST_FORCE_FEEDBACK);
      SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDC_INPUT_TEST_FORCE_FEEDBACK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));

      bool played = wheel.playCount == 1;
      if (played) {
        // Taken for the test, the spring off; the button stops it, the values
        // stay live.
        EXPECT_EQ(static_cast<DWORD>(DIPROPAUTOCENTER_OFF), wheel.autoCenter);
        EXPECT_EQ(w, wheel.cooperativeWindow);
        EXPECT_EQ(static_cast<DWORD>(DISCL_EXCLUSIVE | DISCL_BACKGROUND), wheel.cooperativeFlags);
        EXPECT_EQ(korean ? L"중지" : L"Stop", Text(w, IDC_INPUT_TEST_FORCE_FEEDBACK));
        const wchar_t* hold = row.constantForce
            ? (korean ? L"핸들을 꽉 잡아 주세요: 왼쪽, 그다음 오른쪽으로 움직입니다"
                      : L"Hold the wheel firmly: it turns left, then right.")
            : (korean ? L"컨트롤러를 잡아 주세요: 1초 동안 진동합니다"
                      : L"Hold the controller: it vibrates for 1 s.");
        EXPECT_EQ(hold, Text(w, IDC_INPUT_TEST_FORCE_FEEDBACK_STATUS));
        wheel.state.lX = -700;
        fakeNow += 16;
        InputTestTick(w);
        EXPECT_EQ(L"-700", Text(w, IDC_INPUT_TEST_AXIS_VALUE));
      }
      switch (row.during) {
        case During::kStop:
          SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDC_INPUT_TEST_FORCE_FEEDBACK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(button));
          break;
        case During::kClose:
          SendMessageW(w, WM_COMMAND, IDCANCEL, 0);
          break;
        case During::kDeactivate:
          SendMessageW(w, WM_ACTIVATE, WA_ACTIVE, 0);
          SendMessageW(w, WM_ACTIVATE, WA_INACTIVE, 0);
          break;
        case During::kPullOut:
          UnplugFakeJoystick(wheel);
          SendMessageW(w, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
          SendMessageW(w, WM_TIMER, kInputTestDeviceChangeTimerId, 0);
          break;
        case During::kReadFails:  // once, the controller still attached
          ScriptReads(wheel, {E_FAIL});
          break;
        case During::kNothing:
          break;
      }
      for (int tick = 0; tick < 30; ++tick) {  // 3 s of 100 ms ticks
        fakeNow += 100;
        InputTestTick(w);
      }
      EXPECT_EQ(korean ? row.korean : row.english, Text(w, IDC_INPUT_TEST_FORCE_FEEDBACK_STATUS));
      EXPECT_EQ(label, Text(w, IDC_INPUT_TEST_FORCE_FEEDBACK));
      EXPECT_EQ(row.during != During::kPullOut, IsWindowEnabled(button) != FALSE);

      // What played: left, then right, on X; or the sine on every actuator.
      int plays = row.end == E::kPlayedLeftRight ? 2 : played ? 1 : 0;
      EXPECT_EQ(plays, wheel.playCount);
      for (int p = 0; p < plays && p < wheel.playCount; ++p) {
        const FakeEffectPlay& play = wheel.plays[p];
        EXPECT_EQ(!row.constantForce, play.sine);
        EXPECT_EQ(play.sine ? 0 : p == 0 ? -1 : 1, play.pushesX) << p;
        EXPECT_EQ(5000, std::abs(FeltMagnitude(play)));
        EXPECT_EQ(static_cast<DWORD>(play.sine ? row.actuators : 1), play.axes);
        EXPECT_EQ(static_cast<DWORD>(DIJOFS_X), play.firstAxis);
        EXPECT_EQ(play.sine ? 50000u : 0u, play.period);
        EXPECT_EQ(1000000u, play.duration);
      }

      // The clean end, on the device itself.
      bool taken = row.end != E::kNoEffect, gone = row.during == During::kPullOut;
      bool exclusive = taken && !gone && row.failing != kFakeExclusiveLevel &&
                       row.failing != kFakeExclusiveAcquire;
      int effects = 0;
      EXPECT_EQ(DI_OK, manager.joystickDevices[0]->EnumCreatedEffectObjects(CountEffect, &effects, 0));
      EXPECT_EQ(0, effects);
      EXPECT_EQ(wheel.effectsCreated, wheel.effectsReleased);
      EXPECT_EQ(wheel.effectsCreated == 1 && !gone ? 1 : 0, wheel.stops);
      EXPECT_EQ(wheel.stops, wheel.unloads);
      EXPECT_EQ(settings, wheel.cooperativeWindow);
      EXPECT_EQ(static_cast<DWORD>(DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), wheel.cooperativeFlags);
      // A controller pulled out comes back with its own spring; one that could
      // not be read gets DirectInput's default.
      DWORD putBack = taken && FAILED(row.springRead) ? DIPROPAUTOCENTER_ON : row.springBefore;
      EXPECT_EQ(gone ? static_cast<DWORD>(DIPROPAUTOCENTER_OFF) : putBack, wheel.autoCenter);
      EXPECT_EQ(!taken ? 0 : gone ? 1 : 2, wheel.autoCenterSets);
      EXPECT_EQ(exclusive ? 1 : 0, wheel.stopAllCommands);
      EXPECT_EQ(!gone, wheel.acquired);
      EXPECT_EQ(0, wheel.callsWhileUnplugged);
      DestroyWindow(w);
      manager.Shutdown();
      EXPECT_EQ(0, FakeLiveObjects());
    }
  }
  DestroyWindow(settings);
}

}  // namespace
