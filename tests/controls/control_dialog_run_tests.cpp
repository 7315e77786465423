// The whole controls run as the launcher starts it: config\input.cfg read,
// the modal dialog driven as a player drives it, and the file written byte for
// byte on OK only; a save that fails is reported, a dialog whose devices cannot
// be set up ends with -1 and writes nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "controls/control_settings_dialog.h"
#include "controls/control_settings_file.h"
#include "program/program_directory.h"
#include "resources/resource_ids.h"
#include "tests/controls/control_dialog_support.h"
#include "tests/controls/first_run_input_file.h"
#include "tests/settings/settings_test_files.h"

namespace {

// What a first run without a file writes when the player keeps the keyboard.
const std::string kKeyboardPresetFile = kFirstRunKeyboardFile;

const std::string kWheelPresetFile =
    "VERSION=1\r\n"
    "DEVICE=\"Velmora Wheel\"\r\n"
    "FORCEFEEDBACK=1\r\n"
    "LEFT=1,1,0,-1000\r\n"
    "RIGHT=2,1,0,1000\r\n"
    "ACCELE=4,1,0,-1000\r\n"
    "BRAKE=5,1,0,1000\r\n"
    "SHIFTUP=33\r\n"
    "SHIFTDOWN=32\r\n"
    "SIDEBRAKE=26\r\n"
    "LIGHT=29\r\n"
    "VIEWUP=27\r\n"
    "VIEWDOWN=28\r\n";

// A file written by hand, with values the dialog never writes itself.
const std::string kHandWrittenFile =
    "VERSION=5\n"
    "DEVICE=\"Velmora Wheel\"\n"
    "LEFT=3,1,-7,7\n"
    "ACCELE=99,2,-10000,30000\n"
    "; a comment\n";

enum class Action { kOk, kCancel, kCloseBox, kChooseWheelThenOk, kChooseWheelReadThenOk };

ModalStep Play(Action action) {
  return [action]() {
    HWND dialog = FindOwnDialog(L"Velmora Key Setting");
    if (dialog == nullptr) return false;
    switch (action) {
      case Action::kOk:
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return true;
      case Action::kCancel:
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
      case Action::kCloseBox:
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
      case Action::kChooseWheelThenOk:
      case Action::kChooseWheelReadThenOk:
        ChooseListRow(dialog, IDC_CONTROL_DEVICE, 1);
        if (action == Action::kChooseWheelReadThenOk) return true;
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return true;
    }
    return true;
  };
}

class ControlsRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareDialogTests();
    MakeFolder(folder_.File("config"));
    std::string exe = folder_.File("velmora-config.exe");
    SetProgramDirectory(NativePath(exe).c_str(), false, NativePath(folder_.path()).c_str());
  }
  std::string InputFile() const { return folder_.File("config\\input.cfg"); }

  FakeDirectInputScope fake_;
  ScratchFolder folder_;
};

struct RunCase {
  const char* name;
  bool wheelAttached;
  const std::string* fileBefore;  // null: no file
  Action action;
  INT_PTR expectedResult;
  const std::string* fileAfter;   // null: no file
  LONG restY, restRz;              // where the wheel's Y and Rz rest
};

TEST_F(ControlsRunTest, TheFileIsWrittenOnOkOnly) {
  const RunCase cases[] = {
      {"no file, OK: the keyboard preset", false, nullptr, Action::kOk, 1, &kKeyboardPresetFile},
      {"no file, Cancel: still no file", false, nullptr, Action::kCancel, 0, nullptr},
      {"no file, close box", true, nullptr, Action::kCloseBox, 0, nullptr},
      {"a wheel chosen", true, nullptr, Action::kChooseWheelThenOk, 1, &kWheelPresetFile},
      {"the wheel's file read back and kept", true, &kWheelPresetFile, Action::kOk, 1,
       &kWheelPresetFile},
      {"file names a wheel no longer attached", false, &kWheelPresetFile, Action::kOk, 1,
       &kKeyboardPresetFile},
      {"Cancel leaves a hand-written file", true, &kHandWrittenFile, Action::kCancel, 0,
       &kHandWrittenFile},
      {"close box leaves it too", true, &kHandWrittenFile, Action::kCloseBox, 0,
       &kHandWrittenFile},
      {"a wheel with Y centred, read: today's bytes", true, nullptr,
       Action::kChooseWheelReadThenOk, 1, &kWheelPresetFile, 0, 1000},
  };
  for (const RunCase& c : cases) {
    ResetFakeDirectInput();
    if (c.wheelAttached) {
      FakeJoystick& wheel = AddWheel("Velmora Wheel");
      wheel.state.lY = c.restY;
      wheel.state.lRz = c.restRz;
    }
    DeleteFileW(NativePath(InputFile()).c_str());
    if (c.fileBefore != nullptr) WriteFileBytes(InputFile(), *c.fileBefore);

    std::vector<ModalStep> steps = {Play(c.action)};
    if (c.action == Action::kChooseWheelReadThenOk) steps = {Play(c.action), WaitTicks(10), Play(Action::kOk)};
    INT_PTR result = RunModal([]() { return RunControlSettings(nullptr); }, steps);
    EXPECT_EQ(c.expectedResult, result) << c.name;
    std::string bytes;
    bool exists = ReadFileBytes(InputFile(), bytes);
    EXPECT_EQ(c.fileAfter != nullptr, exists) << c.name;
    if (c.fileAfter != nullptr) {
      EXPECT_EQ(*c.fileAfter, bytes) << c.name;
    }
    EXPECT_EQ(nullptr, ControlManager) << c.name;
    EXPECT_EQ(0, FakeLiveObjects()) << c.name;
  }
}

TEST_F(ControlsRunTest, AHandWrittenFileKeepsWhatTheDialogDoesNotShow) {
  AddWheel("Velmora Wheel");
  WriteFileBytes(InputFile(), kHandWrittenFile);
  EXPECT_EQ(1, RunModal([]() { return RunControlSettings(nullptr); }, {Play(Action::kOk)}));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(InputFile(), bytes));
  // VERSION as read, the pairs as loaded; rows outside their lists become -1.
  EXPECT_EQ(
      "VERSION=5\r\n"
      "DEVICE=\"Velmora Wheel\"\r\n"
      "FORCEFEEDBACK=0\r\n"
      "LEFT=3,1,-7,7\r\n"
      "RIGHT=0,1,0,0\r\n"
      "ACCELE=-1,-1,-10000,30000\r\n"
      "BRAKE=0,0,0,0\r\n"
      "SHIFTUP=0\r\n"
      "SHIFTDOWN=0\r\n"
      "SIDEBRAKE=0\r\n"
      "LIGHT=0\r\n"
      "VIEWUP=0\r\n"
      "VIEWDOWN=0\r\n",
      bytes);
}

TEST_F(ControlsRunTest, ASaveThatFailsIsReportedAndKeepsTheOldFile) {
  // The config folder is gone: nothing can be written there.
  RemoveDirectoryW(NativePath(folder_.File("config")).c_str());
  std::wstring text;
  HWND owner = reinterpret_cast<HWND>(1);
  INT_PTR result = RunModal([]() { return RunControlSettings(nullptr); },
                            {Play(Action::kOk), [&]() {
                               HWND box = FindOwnDialog(L"Error");
                               if (box == nullptr) return false;
                               wchar_t shown[128] = {};
                               GetDlgItemTextW(box, 0xFFFF, shown, 128);
                               text = shown;
                               owner = GetWindow(box, GW_OWNER);
                               PostMessageW(box, WM_COMMAND, IDOK, 0);
                               return true;
                             }});
  EXPECT_EQ(1, result);
  EXPECT_TRUE(text == L"input.cfg の保存に失敗しました") << "shown: " << text.size() << " chars";
  EXPECT_EQ(nullptr, owner);
  EXPECT_FALSE(FileExists(InputFile()));
}

TEST_F(ControlsRunTest, DevicesThatCannotBeSetUpEndTheDialogWithMinusOne) {
  const struct {
    const char* name;
    void (*breakIt)();
  } cases[] = {
      {"no DirectInput", []() { FakeDirectInput().createResult = E_FAIL; }},
      {"no keyboard", []() { FakeKeyboard().fail[kFakeCreateDevice] = E_FAIL; }},
      {"keyboard refuses its format", []() { FakeKeyboard().fail[kFakeSetDataFormat] = E_FAIL; }},
  };
  WriteFileBytes(InputFile(), kHandWrittenFile);
  for (const auto& c : cases) {
    ResetFakeDirectInput();
    AddWheel("Velmora Wheel");
    c.breakIt();
    // Nothing is shown, so nothing needs driving; a dialog that did open
    // would be ended with 99 by the driver.
    INT_PTR result = RunModal([]() { return RunControlSettings(nullptr); }, {});
    EXPECT_EQ(-1, result) << c.name;
    EXPECT_EQ(nullptr, ControlManager) << c.name;
    EXPECT_EQ(0u, ControlTimer) << c.name;
    EXPECT_EQ(0, FakeLiveObjects()) << c.name;
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(InputFile(), bytes));
    EXPECT_EQ(kHandWrittenFile, bytes) << c.name;
  }
}

}  // namespace
