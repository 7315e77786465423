// The control settings dialog from the real template 101 with its real
// procedure, over scripted DirectInput devices: what it shows when it opens,
// what a device change, the reset button and the mode lists do, input
// detection tick by tick, and what OK stores.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "controls/control_settings_dialog.h"
#include "controls/control_settings_file.h"
#include "program/interface_language.h"
#include "program/program_instance.h"
#include "program/cp932_text.h"
#include "resources/resource_ids.h"
#include "tests/controls/control_dialog_support.h"

namespace {

const int kFunctionIds[kFunctionCount] = {
    IDC_CONTROL_LEFT,      IDC_CONTROL_RIGHT,     IDC_CONTROL_ACCELE, IDC_CONTROL_BRAKE,
    IDC_CONTROL_SHIFTDOWN, IDC_CONTROL_SHIFTUP,   IDC_CONTROL_SIDEBRAKE,
    IDC_CONTROL_LIGHT,     IDC_CONTROL_VIEWUP,    IDC_CONTROL_VIEWDOWN};
const int kModeIds[3] = {IDC_CONTROL_LEFT_MODE, IDC_CONTROL_ACCELE_MODE, IDC_CONTROL_BRAKE_MODE};
const int kCalibrateIds[3] = {IDC_CONTROL_CALIBRATE_LEFT, IDC_CONTROL_CALIBRATE_ACCELE,
                              IDC_CONTROL_CALIBRATE_BRAKE};

struct Shown {
  std::vector<std::wstring> functions;  // selected texts in function-list order
  std::wstring mode;                    // of all three mode lists, or "mixed"
  bool calibrateEnabled[3];
  bool modeListsEnabled;
  bool forceFeedbackEnabled;
  bool forceFeedbackChecked;
};

Shown ReadShown(HWND dialog) {
  Shown shown;
  for (int id : kFunctionIds) shown.functions.push_back(SelectedText(dialog, id));
  shown.mode = SelectedText(dialog, kModeIds[0]);
  for (int i = 1; i < 3; ++i) {
    if (SelectedText(dialog, kModeIds[i]) != shown.mode) shown.mode = L"mixed";
  }
  for (int i = 0; i < 3; ++i) shown.calibrateEnabled[i] = Enabled(dialog, kCalibrateIds[i]);
  shown.modeListsEnabled = Enabled(dialog, kModeIds[0]) && Enabled(dialog, kModeIds[1]) &&
                           Enabled(dialog, kModeIds[2]);
  shown.forceFeedbackEnabled = Enabled(dialog, IDC_CONTROL_FORCE_FEEDBACK);
  shown.forceFeedbackChecked = Checked(dialog, IDC_CONTROL_FORCE_FEEDBACK);
  return shown;
}

std::string Narrow(const std::wstring& text) {
  char bytes[512] = {};
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
  return bytes;
}

std::string Joined(const std::vector<std::wstring>& texts) {
  std::string all;
  for (const std::wstring& text : texts) all += Narrow(text) + "|";
  return all;
}

const std::vector<std::wstring> kKeyboardPreset = {L"LEFT", L"RIGHT", L"X", L"Z", L"UP",
                                                   L"DOWN", L"C",     L"D", L"A", L"S"};
const std::vector<std::wstring> kWheelPreset = {L"左",       L"右",       L"上",       L"下",
                                                L"ボタン８", L"ボタン９", L"ボタン２", L"ボタン５",
                                                L"ボタン３", L"ボタン４"};
const std::vector<std::wstring> kGamepadPreset = {L"左",       L"右",       L"ボタン１", L"ボタン３",
                                                  L"ボタン５", L"ボタン６", L"なし",     L"なし",
                                                  L"ボタン４", L"ボタン２"};
const std::vector<std::wstring> kOtherPreset = {L"左",       L"右",       L"上",       L"下",
                                                L"ボタン１", L"ボタン２", L"ボタン３", L"ボタン４",
                                                L"ボタン５", L"ボタン６"};

class ControlDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareDialogTests();
    SetNoFileSettings();
  }
  void TearDown() override { Close(); }

  HWND Open() {
    dialog_ = OpenControlDialog();
    return dialog_;
  }
  void Close() {
    if (dialog_ != nullptr) DestroyWindow(dialog_);
    dialog_ = nullptr;
  }

  FakeDirectInputScope fake_;
  HWND dialog_ = nullptr;
};

TEST_F(ControlDialogTest, OpensOnTheKeyboardPresetWithoutAFileAndReleasesAllOnClosing) {
  AddWheel("Velmora Wheel");
  HWND dialog = Open();
  ASSERT_NE(nullptr, dialog);

  ASSERT_EQ(2, RowCount(dialog, IDC_CONTROL_DEVICE));
  EXPECT_TRUE(ListRowText(dialog, IDC_CONTROL_DEVICE, 0) == L"キーボード");
  EXPECT_TRUE(ListRowText(dialog, IDC_CONTROL_DEVICE, 1) == L"Velmora Wheel");
  EXPECT_EQ(0, Selection(dialog, IDC_CONTROL_DEVICE));
  for (int id : kFunctionIds) EXPECT_EQ(kKeyNameRows, RowCount(dialog, id)) << id;
  for (int id : kModeIds) {
    ASSERT_EQ(2, RowCount(dialog, id));
    EXPECT_TRUE(ListRowText(dialog, id, 0) == L"Digital");
    EXPECT_TRUE(ListRowText(dialog, id, 1) == L"Analog");
  }
  Shown shown = ReadShown(dialog);
  EXPECT_EQ(Joined(kKeyboardPreset), Joined(shown.functions));
  EXPECT_TRUE(shown.mode == L"Digital");
  EXPECT_FALSE(shown.modeListsEnabled);
  for (bool enabled : shown.calibrateEnabled) EXPECT_FALSE(enabled);
  EXPECT_FALSE(shown.forceFeedbackEnabled);
  EXPECT_FALSE(shown.forceFeedbackChecked);

  EXPECT_EQ(0, SelectedDeviceRow);
  EXPECT_EQ(0, DetectionTarget);
  EXPECT_EQ(kControlTimerId, ControlTimer);
  ASSERT_NE(nullptr, ControlManager);
  EXPECT_EQ(-1, ControlManager->currentJoystick);
  EXPECT_EQ(dialog, ControlManager->ownerWindow);

  Close();
  EXPECT_EQ(nullptr, ControlManager);
  EXPECT_EQ(0u, ControlTimer);
  EXPECT_EQ(0, FakeLiveObjects()) << "devices left unreleased";
  EXPECT_EQ(0, FakeOverReleases());
}

TEST_F(ControlDialogTest, ASecondControlDialogLeavesTheFirstOneItsDevices) {
  AddWheel("Wheel");
  HWND first = Open();
  ChooseListRow(first, IDC_CONTROL_DEVICE, 1);
  InputManager* manager = ControlManager;
  HWND second = OpenControlDialog();
  ASSERT_NE(nullptr, second);
  DestroyWindow(second);
  EXPECT_EQ(manager, ControlManager);
  EXPECT_EQ(kControlTimerId, ControlTimer);
  EXPECT_EQ(1, SelectedDeviceRow);
  FocusList(first, IDC_CONTROL_LEFT);
  FakeJoystickAt(0).state.lZ = 900;
  Tick(first);
  EXPECT_EQ(8, Selection(first, IDC_CONTROL_LEFT));
}

// A system without code page 932, as the English interface may well meet.
int WINAPI WithoutCodePage932(UINT codePage, DWORD flags, LPCCH text, int length, LPWSTR out,
                              int capacity) {
  if (codePage == 932) return 0;
  return MultiByteToWideChar(codePage, flags, text, length, out, capacity);
}

// In English the same table rows show English names: row 0 of the device list
// "Keyboard", the key names as they are, and the controller inputs named by
// axis, true sign and button number; a preset selects the same rows. All of
// them ASCII, they show on a system without code page 932 too.
TEST_F(ControlDialogTest, TheEnglishListsNameTheSameRowsInEnglish) {
  UseInterfaceLanguage(InterfaceLanguage::kEnglish, 0x0409);
  Cp932Calls.multiByteToWideChar = WithoutCodePage932;
  AddWheel("Velmora Wheel");
  HWND dialog = Open();
  ASSERT_NE(nullptr, dialog);
  EXPECT_TRUE(ListRowText(dialog, IDC_CONTROL_DEVICE, 0) == L"Keyboard");
  ASSERT_EQ(kKeyNameRows, RowCount(dialog, IDC_CONTROL_LEFT));
  EXPECT_TRUE(ListRowText(dialog, IDC_CONTROL_LEFT, 111) == L"LEFT");
  EXPECT_EQ(Joined(kKeyboardPreset), Joined(ReadShown(dialog).functions));

  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 1);
  std::vector<std::wstring> expected = {L"None"};
  for (const wchar_t* axis : {L"X axis", L"Y axis", L"Z axis", L"Rx axis", L"Ry axis",
                              L"Rz axis", L"Slider 1", L"Slider 2"}) {
    expected.push_back(std::wstring(axis) + L" -");
    expected.push_back(std::wstring(axis) + L" +");
    expected.push_back(axis);
  }
  for (int button = 1; button <= 32; ++button)
    expected.push_back(L"Button " + std::to_wstring(button));
  std::vector<std::wstring> rows;
  for (int row = 0; row < RowCount(dialog, IDC_CONTROL_BRAKE); ++row)
    rows.push_back(ListRowText(dialog, IDC_CONTROL_BRAKE, row));
  EXPECT_EQ(Joined(expected), Joined(rows));
  for (int position = 0; position < kFunctionCount; ++position)
    EXPECT_EQ(PresetTable[1].rows[position], Selection(dialog, kFunctionIds[position]));
  Cp932Calls.multiByteToWideChar = MultiByteToWideChar;
  SettleInterfaceLanguage();
}

struct DeviceCase {
  const char* name;
  int subtype;
  bool forceFeedback;
  std::vector<std::wstring> preset;
  const wchar_t* mode;
  bool calibrate;
};

TEST_F(ControlDialogTest, ChoosingADeviceShowsItsInputsAndPreset) {
  const DeviceCase cases[] = {
      {"wheel with force feedback", DIDEVTYPEJOYSTICK_WHEEL, true, kWheelPreset, L"Analog", true},
      {"wheel without force feedback", DIDEVTYPEJOYSTICK_WHEEL, false, kWheelPreset, L"Analog", true},
      {"flight stick", DIDEVTYPEJOYSTICK_FLIGHTSTICK, false, kWheelPreset, L"Analog", true},
      {"rudder", DIDEVTYPEJOYSTICK_RUDDER, false, kWheelPreset, L"Analog", true},
      {"gamepad", DIDEVTYPEJOYSTICK_GAMEPAD, false, kGamepadPreset, L"Digital", false},
      {"traditional", DIDEVTYPEJOYSTICK_TRADITIONAL, true, kGamepadPreset, L"Digital", false},
      {"unknown subtype", DIDEVTYPEJOYSTICK_UNKNOWN, false, kOtherPreset, L"Digital", false},
      {"head tracker", DIDEVTYPEJOYSTICK_HEADTRACKER, false, kOtherPreset, L"Digital", false},
  };
  for (const DeviceCase& c : cases) {
    FakeDirectInputScope scope;
    SetNoFileSettings();
    AddGamepad("First Pad");
    FakeJoystick& device = AddFakeJoystick("Device Under Test");
    device.devType = JoystickDevType(c.subtype);
    if (c.forceFeedback) device.capsFlags |= DIDC_FORCEFEEDBACK;
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog) << c.name;
    // Pairs a calibration left behind: any device change resets them.
    ControlSettings.left = {1, 1, 7, 8};
    ControlSettings.brake = {1, 1, -7, -8};

    ChooseListRow(dialog, IDC_CONTROL_DEVICE, 2);
    EXPECT_EQ(2, SelectedDeviceRow) << c.name;
    EXPECT_EQ(1, ControlManager->currentJoystick) << c.name;
    for (int id : kFunctionIds) EXPECT_EQ(kJoystickInputRows, RowCount(dialog, id)) << c.name;
    Shown shown = ReadShown(dialog);
    EXPECT_EQ(Joined(c.preset), Joined(shown.functions)) << c.name;
    EXPECT_TRUE(shown.mode == c.mode) << c.name << ": " << Narrow(shown.mode);
    EXPECT_TRUE(shown.modeListsEnabled) << c.name;
    for (bool enabled : shown.calibrateEnabled) EXPECT_EQ(c.calibrate, enabled) << c.name;
    EXPECT_EQ(c.forceFeedback, shown.forceFeedbackEnabled) << c.name;
    EXPECT_EQ(c.forceFeedback, shown.forceFeedbackChecked) << c.name;
    EXPECT_EQ(0, ControlSettings.left.calibMin) << c.name;
    EXPECT_EQ(-1000, ControlSettings.left.calibMax) << c.name;
    EXPECT_EQ(0, ControlSettings.brake.calibMin) << c.name;
    EXPECT_EQ(1000, ControlSettings.brake.calibMax) << c.name;

    // And back to the keyboard.
    ChooseListRow(dialog, IDC_CONTROL_DEVICE, 0);
    EXPECT_EQ(0, SelectedDeviceRow) << c.name;
    EXPECT_EQ(-1, ControlManager->currentJoystick) << c.name;
    EXPECT_EQ(kKeyNameRows, RowCount(dialog, IDC_CONTROL_VIEWDOWN)) << c.name;
    shown = ReadShown(dialog);
    EXPECT_EQ(Joined(kKeyboardPreset), Joined(shown.functions)) << c.name;
    EXPECT_FALSE(shown.modeListsEnabled) << c.name;
    EXPECT_FALSE(shown.forceFeedbackEnabled) << c.name;
    EXPECT_FALSE(shown.forceFeedbackChecked) << c.name;
    Close();
  }
}

// Stored rows that every list can show, joystick rows for a joystick.
void StoreJoystickRows(int32_t forceFeedback) {
  ControlSettings.forceFeedback = forceFeedback;
  ControlSettings.left = {3, 1, 12, -980};
  ControlSettings.right = {6, 0, -12, 980};
  ControlSettings.accele = {9, 0, 5, -900};
  ControlSettings.brake = {12, 1, 6, 950};
  ControlSettings.shiftDown = 30;
  ControlSettings.shiftUp = 31;
  ControlSettings.sideBrake = 32;
  ControlSettings.light = 56;
  ControlSettings.viewUp = 0;
  ControlSettings.viewDown = 24;
}

TEST_F(ControlDialogTest, RestoresTheLoadedDeviceAndAssignments) {
  AddGamepad("Pad");
  AddWheel("Velmora Wheel");
  SetLoadedSettings("Velmora Wheel");
  StoreJoystickRows(1);
  HWND dialog = Open();
  ASSERT_NE(nullptr, dialog);

  EXPECT_EQ(2, Selection(dialog, IDC_CONTROL_DEVICE));
  EXPECT_EQ(2, SelectedDeviceRow);
  EXPECT_EQ(1, ControlManager->currentJoystick);
  Shown shown = ReadShown(dialog);
  EXPECT_EQ(Joined({L"左右", L"上下", L"Ｚ軸", L"ＲＸ", L"ボタン６", L"ボタン７", L"ボタン８",
                    L"ボタン３２", L"なし", L"Ｓ２"}),
            Joined(shown.functions));
  EXPECT_TRUE(SelectedText(dialog, IDC_CONTROL_LEFT_MODE) == L"Analog");
  EXPECT_TRUE(SelectedText(dialog, IDC_CONTROL_ACCELE_MODE) == L"Digital");
  EXPECT_TRUE(SelectedText(dialog, IDC_CONTROL_BRAKE_MODE) == L"Analog");
  EXPECT_TRUE(shown.calibrateEnabled[0]);
  EXPECT_FALSE(shown.calibrateEnabled[1]);
  EXPECT_TRUE(shown.calibrateEnabled[2]);
  EXPECT_TRUE(shown.modeListsEnabled);
  EXPECT_TRUE(shown.forceFeedbackEnabled);
  EXPECT_TRUE(shown.forceFeedbackChecked);
  // The pairs stay as loaded.
  EXPECT_EQ(12, ControlSettings.left.calibMin);
  EXPECT_EQ(-980, ControlSettings.left.calibMax);
  EXPECT_EQ(950, ControlSettings.brake.calibMax);
  EXPECT_EQ(1, ControlSettingsLoaded);
}

struct RestoreCase {
  const char* name;
  std::vector<std::string> attached;  // names of the attached joysticks, in order
  std::vector<bool> forceFeedback;    // per joystick
  std::string device;                 // DEVICE of the file
  int32_t storedForceFeedback;
  int expectedRow;
  bool expectedChecked;
  bool expectedLoaded;                // ControlSettingsLoaded after opening
};

TEST_F(ControlDialogTest, RestoringPicksTheRowTheFileNames) {
  const std::string keyboard = "\x83\x4C\x81\x5B\x83\x7B\x81\x5B\x83\x68";  // キーボード
  const RestoreCase cases[] = {
      {"two of one name: the later", {"Twin", "Other", "Twin"}, {false, false, true}, "Twin", 1, 3,
       true, true},
      {"force feedback off as stored", {"Wheel"}, {true}, "Wheel", 0, 1, false, true},
      {"force feedback stored on a device without it", {"Pad"}, {false}, "Pad", 1, 1, false, true},
      {"names compared case-sensitively", {"wheel"}, {true}, "Wheel", 1, 0, false, false},
      {"joystick not attached", {"Pad"}, {false}, "Gone Wheel", 1, 0, false, false},
      {"empty name", {"Pad"}, {false}, "", 1, 0, false, false},
      {"keyboard", {"Pad"}, {false}, keyboard, 1, 0, false, true},
  };
  for (const RestoreCase& c : cases) {
    FakeDirectInputScope scope;
    for (size_t j = 0; j < c.attached.size(); ++j) {
      FakeJoystick& joystick = AddGamepad(c.attached[j].c_str());
      if (c.forceFeedback[j]) joystick.capsFlags |= DIDC_FORCEFEEDBACK;
    }
    SetLoadedSettings(c.device.c_str());
    StoreJoystickRows(c.storedForceFeedback);
    HWND dialog = Open();
    ASSERT_NE(nullptr, dialog) << c.name;
    EXPECT_EQ(c.expectedRow, Selection(dialog, IDC_CONTROL_DEVICE)) << c.name;
    EXPECT_EQ(c.expectedRow, SelectedDeviceRow) << c.name;
    EXPECT_EQ(c.expectedRow - 1, ControlManager->currentJoystick) << c.name;
    EXPECT_EQ(c.expectedChecked, Checked(dialog, IDC_CONTROL_FORCE_FEEDBACK)) << c.name;
    EXPECT_EQ(c.expectedLoaded, ControlSettingsLoaded != 0) << c.name;
    Shown shown = ReadShown(dialog);
    if (!c.expectedLoaded) {
      // Nothing of the file is shown: the keyboard preset with its defaults.
      EXPECT_EQ(Joined(kKeyboardPreset), Joined(shown.functions)) << c.name;
      EXPECT_EQ(-1000, ControlSettings.left.calibMax) << c.name;
      EXPECT_EQ(1000, ControlSettings.right.calibMax) << c.name;
      EXPECT_FALSE(shown.calibrateEnabled[0]) << c.name;
    } else if (c.expectedRow == 0) {
      // Keyboard rows as stored; the stored modes still enable the buttons.
      EXPECT_EQ(Joined({L"2", L"5", L"8", L"MINUS", L"A", L"S", L"D", L"LMENU", L"NONE",
                        L"O"}),
                Joined(shown.functions))
          << c.name;
      EXPECT_FALSE(shown.modeListsEnabled) << c.name;
      EXPECT_TRUE(shown.calibrateEnabled[0]) << c.name;
      EXPECT_FALSE(shown.forceFeedbackEnabled) << c.name;
      EXPECT_EQ(12, ControlSettings.left.calibMin) << c.name;
    } else {
      EXPECT_TRUE(shown.functions[0] == L"左右") << c.name;
      EXPECT_TRUE(shown.modeListsEnabled) << c.name;
    }
    Close();
  }
}

// The row the control dialog opens on, and why, for each kind of file.
TEST(ChooseRestoredDeviceTest, FindsTheLastOfANameTheKeyboardOrSaysWhyNot) {
  JoystickRecord joysticks[3] = {};
  std::strcpy(joysticks[0].name, "Pad");
  std::strcpy(joysticks[1].name, "Wheel");
  std::strcpy(joysticks[2].name, "Pad");
  struct Case {
    const char* device;
    bool loaded;
    int32_t count;
    int32_t row;
    RestoreReason reason;
  } cases[] = {
      {"Pad", true, 3, 3, kRestoreFoundByName},  {"Wheel", true, 3, 2, kRestoreFoundByName},
      {"Wheel", true, 1, 0, kRestoreNotAttached}, {KeyboardDeviceName, true, 3, 0, kRestoreKeyboard},
      {"", true, 3, 0, kRestoreNoDeviceName},     {"Wheel", false, 3, 0, kRestoreNoFile},
  };
  for (const Case& c : cases) {
    ControlSettingsRecord settings = {};
    std::strcpy(settings.device, c.device);
    RestoredDevice chosen = ChooseRestoredDevice(settings, c.loaded, joysticks, c.count);
    EXPECT_EQ(c.row, chosen.row) << c.device << " " << c.count;
    EXPECT_EQ(c.reason, chosen.reason) << c.device << " " << c.count;
  }
}

TEST_F(ControlDialogTest, StoredRowsOutsideTheirListsShowNothingAndOkStoresMinusOne) {
  AddWheel("Wheel");
  SetLoadedSettings("Wheel");
  StoreJoystickRows(0);
  ControlSettings.left.input = 57;     // one past the joystick table
  ControlSettings.right.input = -1;
  ControlSettings.accele.input = 56;   // the last row is still a row
  ControlSettings.shiftUp = 1000;
  ControlSettings.left.axisMode = 2;   // no such mode
  ControlSettings.accele.axisMode = -1;
  ControlSettings.brake.axisMode = 0;
  HWND dialog = Open();
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(-1, Selection(dialog, IDC_CONTROL_LEFT));
  EXPECT_EQ(-1, Selection(dialog, IDC_CONTROL_RIGHT));
  EXPECT_EQ(56, Selection(dialog, IDC_CONTROL_ACCELE));
  EXPECT_EQ(-1, Selection(dialog, IDC_CONTROL_SHIFTUP));
  EXPECT_EQ(-1, Selection(dialog, IDC_CONTROL_LEFT_MODE));
  EXPECT_EQ(-1, Selection(dialog, IDC_CONTROL_ACCELE_MODE));
  // Any non-zero stored mode enables its calibrate button.
  EXPECT_TRUE(Enabled(dialog, IDC_CONTROL_CALIBRATE_LEFT));
  EXPECT_TRUE(Enabled(dialog, IDC_CONTROL_CALIBRATE_ACCELE));
  EXPECT_FALSE(Enabled(dialog, IDC_CONTROL_CALIBRATE_BRAKE));

  ClickButton(dialog, IDOK);
  EXPECT_EQ(-1, ControlSettings.left.input);
  EXPECT_EQ(-1, ControlSettings.left.axisMode);
  EXPECT_EQ(-1, ControlSettings.right.input);
  EXPECT_EQ(-1, ControlSettings.right.axisMode);
  EXPECT_EQ(56, ControlSettings.accele.input);
  EXPECT_EQ(-1, ControlSettings.accele.axisMode);
  EXPECT_EQ(-1, ControlSettings.shiftUp);
  EXPECT_EQ(30, ControlSettings.shiftDown);

  // The same on the keyboard: 121 is one past its table.
  Close();
  SetLoadedSettings("\x83\x4C\x81\x5B\x83\x7B\x81\x5B\x83\x68");
  ControlSettings.left.input = 121;
  ControlSettings.right.input = 120;
  dialog = Open();
  EXPECT_EQ(-1, Selection(dialog, IDC_CONTROL_LEFT));
  EXPECT_TRUE(SelectedText(dialog, IDC_CONTROL_RIGHT) == L"APPS");
}

TEST_F(ControlDialogTest, OkStoresEverySelection) {
  AddWheel("Velmora Wheel");
  SetLoadedSettings("Velmora Wheel");
  StoreJoystickRows(1);
  ControlSettings.right.axisMode = 1;
  ControlSettings.version = 7;
  HWND dialog = Open();
  ChooseListRow(dialog, IDC_CONTROL_LEFT_MODE, 0);
  ChooseListRow(dialog, IDC_CONTROL_ACCELE_MODE, 1);
  ChooseListRow(dialog, IDC_CONTROL_BRAKE, 14);
  ChooseListRow(dialog, IDC_CONTROL_LIGHT, 40);
  SendDlgItemMessageW(dialog, IDC_CONTROL_FORCE_FEEDBACK, BM_SETCHECK, BST_UNCHECKED, 0);
  ClickButton(dialog, IDOK);

  const ControlSettingsRecord& s = ControlSettings;
  EXPECT_STREQ("Velmora Wheel", s.device);
  EXPECT_EQ(0, s.forceFeedback);
  EXPECT_EQ(3, s.left.input);
  EXPECT_EQ(0, s.left.axisMode);
  EXPECT_EQ(6, s.right.input);
  EXPECT_EQ(0, s.right.axisMode) << "RIGHT takes the steering mode list";
  EXPECT_EQ(9, s.accele.input);
  EXPECT_EQ(1, s.accele.axisMode);
  EXPECT_EQ(14, s.brake.input);
  EXPECT_EQ(1, s.brake.axisMode);
  EXPECT_EQ(31, s.shiftUp);
  EXPECT_EQ(30, s.shiftDown);
  EXPECT_EQ(32, s.sideBrake);
  EXPECT_EQ(40, s.light);
  EXPECT_EQ(0, s.viewUp);
  EXPECT_EQ(24, s.viewDown);
  // Pairs and version are not the dialog's to change on OK.
  EXPECT_EQ(12, s.left.calibMin);
  EXPECT_EQ(-980, s.left.calibMax);
  EXPECT_EQ(-12, s.right.calibMin);
  EXPECT_EQ(7, s.version);

  // The keyboard: its CP932 name and no force feedback.
  Close();
  SetNoFileSettings();
  dialog = Open();
  ClickButton(dialog, IDOK);
  EXPECT_STREQ("\x83\x4C\x81\x5B\x83\x7B\x81\x5B\x83\x68", ControlSettings.device);
  EXPECT_EQ(0, ControlSettings.forceFeedback);
  EXPECT_EQ(111, ControlSettings.left.input);
  EXPECT_EQ(114, ControlSettings.shiftUp);
  EXPECT_EQ(109, ControlSettings.shiftDown);
  EXPECT_EQ(ControlSettings.left.axisMode, ControlSettings.right.axisMode);
}

TEST_F(ControlDialogTest, ModeListsEnableTheirCalibrateButtons) {
  AddGamepad("Pad");
  HWND dialog = Open();
  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 1);
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(Enabled(dialog, kCalibrateIds[i])) << kModeIds[i];
    ChooseListRow(dialog, kModeIds[i], 1);
    for (int j = 0; j < 3; ++j) {
      // Only the paired button follows.
      EXPECT_EQ(j == i, Enabled(dialog, kCalibrateIds[j])) << kModeIds[i] << " " << kCalibrateIds[j];
    }
    ChooseListRow(dialog, kModeIds[i], 0);
    EXPECT_FALSE(Enabled(dialog, kCalibrateIds[i])) << kModeIds[i];
  }
}

TEST_F(ControlDialogTest, ResetRestoresThePresetAndThePairs) {
  AddWheel("Wheel");
  SetLoadedSettings("Wheel");
  StoreJoystickRows(0);
  HWND dialog = Open();
  EXPECT_FALSE(Checked(dialog, IDC_CONTROL_FORCE_FEEDBACK));
  ChooseListRow(dialog, IDC_CONTROL_ACCELE_MODE, 0);
  ClickButton(dialog, IDC_CONTROL_RESET);
  Shown shown = ReadShown(dialog);
  EXPECT_EQ(Joined(kWheelPreset), Joined(shown.functions));
  EXPECT_TRUE(shown.mode == L"Analog");
  for (bool enabled : shown.calibrateEnabled) EXPECT_TRUE(enabled);
  EXPECT_TRUE(shown.forceFeedbackChecked);
  const AnalogFunctionSetting* groups[] = {&ControlSettings.left, &ControlSettings.right,
                                           &ControlSettings.accele, &ControlSettings.brake};
  const int32_t maxima[] = {-1000, 1000, -1000, 1000};
  for (int g = 0; g < 4; ++g) {
    EXPECT_EQ(0, groups[g]->calibMin) << g;
    EXPECT_EQ(maxima[g], groups[g]->calibMax) << g;
  }
  // Reset is not a device change: the device stays.
  EXPECT_EQ(1, SelectedDeviceRow);
  EXPECT_EQ(0, ControlManager->currentJoystick);
}

// ---- Detection ------------------------------------------------------------

struct DetectionStep {
  std::function<void(DIJOYSTATE&)> move;  // what the player does before the tick
  int expectedRow;                        // selection of the target list after it
};

struct DetectionCase {
  const char* name;
  std::function<void(DIJOYSTATE&)> rest;  // the state when the list gets the focus
  int focusedList;                        // 0: no list focused
  std::vector<DetectionStep> steps;
};

// VIEWDOWN shows "ボタン４" (row 28) from the wheel preset; rows other than 28
// after a tick were selected by detection.
constexpr int kUntouched = 28;

TEST_F(ControlDialogTest, DetectionSelectsTheMovedInputInTheFocusedList) {
  auto none = [](DIJOYSTATE&) {};
  const DetectionCase cases[] = {
      {"left beyond 500, then right: 左 then 左右", none, IDC_CONTROL_VIEWDOWN,
       {{[](DIJOYSTATE& s) { s.lX = -501; }, 1}, {[](DIJOYSTATE& s) { s.lX = 600; }, 3}}},
      {"right first: 右", none, IDC_CONTROL_VIEWDOWN, {{[](DIJOYSTATE& s) { s.lX = 501; }, 2}}},
      {"exactly 500 either way selects nothing", none, IDC_CONTROL_VIEWDOWN,
       {{[](DIJOYSTATE& s) { s.lX = -500; }, kUntouched},
        {[](DIJOYSTATE& s) { s.lX = 500; }, kUntouched}}},
      {"resting at -1000, moved to -400: still the negative half",
       [](DIJOYSTATE& s) { s.lZ = -1000; }, IDC_CONTROL_VIEWDOWN,
       {{[](DIJOYSTATE& s) { s.lZ = -400; }, 7}}},
      {"from 0 to exactly 501 on slider 1: its positive half", none, IDC_CONTROL_VIEWDOWN,
       {{[](DIJOYSTATE& s) { s.rglSlider[1] = 501; }, 23}}},
      {"back to 0 from -1000 counts as the positive side", [](DIJOYSTATE& s) { s.lRz = -1000; },
       IDC_CONTROL_VIEWDOWN, {{[](DIJOYSTATE& s) { s.lRz = 0; }, 17}}},
      {"buttons 2 and 5 together: ボタン２", none, IDC_CONTROL_VIEWDOWN,
       {{[](DIJOYSTATE& s) { s.rgbButtons[1] = s.rgbButtons[4] = 0x80; }, 26}}},
      {"an axis beats any button", none, IDC_CONTROL_VIEWDOWN,
       {{[](DIJOYSTATE& s) { s.rgbButtons[0] = 0x80; s.lZ = 800; }, 8}}},
      {"the earlier axis wins", none, IDC_CONTROL_VIEWDOWN,
       {{[](DIJOYSTATE& s) { s.lRx = -900; s.lZ = 900; }, 8}}},
      {"a button beyond the device's count has no row", none, IDC_CONTROL_VIEWDOWN,
       {{[](DIJOYSTATE& s) { s.rgbButtons[12] = 0x80; }, kUntouched},
        {[](DIJOYSTATE& s) { s.rgbButtons[11] = 0x80; }, 36}}},
      {"no list focused: nothing selected", none, 0,
       {{[](DIJOYSTATE& s) { s.lX = -900; s.rgbButtons[0] = 0x80; }, kUntouched}}},
  };
  AddWheel("Wheel");
  for (const DetectionCase& c : cases) {
    FakeJoystick& wheel = FakeJoystickAt(0);
    std::memset(&wheel.state, 0, sizeof wheel.state);
    c.rest(wheel.state);
    HWND dialog = Open();
    ChooseListRow(dialog, IDC_CONTROL_DEVICE, 1);
    Tick(dialog);  // the resting state is polled before the list gets the focus
    if (c.focusedList != 0) FocusList(dialog, c.focusedList);
    EXPECT_EQ(c.focusedList, DetectionTarget) << c.name;
    int step = 0;
    for (const DetectionStep& s : c.steps) {
      s.move(wheel.state);
      Tick(dialog);
      EXPECT_EQ(s.expectedRow, Selection(dialog, IDC_CONTROL_VIEWDOWN)) << c.name << ", step " << step;
      ++step;
    }
    // Nothing reached any other list.
    Shown shown = ReadShown(dialog);
    for (int i = 0; i < 9; ++i) {
      EXPECT_TRUE(shown.functions[i] == kWheelPreset[i]) << c.name << ", list " << kFunctionIds[i];
    }
    Close();
  }
}

// A state holds 32 buttons; a controller that reports 40 is scanned up to the
// 32nd, whose row ends the list.
TEST_F(ControlDialogTest, AFortyButtonControllerIsScannedUpToItsThirtySecondButton) {
  FakeJoystick& big = AddWheel("Big Wheel");
  big.buttons = 40;
  HWND dialog = Open();
  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 1);
  ASSERT_EQ(40, ControlManager->joystickRecords[0].buttonCount);
  Tick(dialog);
  FocusList(dialog, IDC_CONTROL_VIEWDOWN);
  const int before = Selection(dialog, IDC_CONTROL_VIEWDOWN);
  Tick(dialog);
  EXPECT_EQ(before, Selection(dialog, IDC_CONTROL_VIEWDOWN)) << "nothing pressed";
  big.state.rgbButtons[31] = 0x80;
  Tick(dialog);
  EXPECT_EQ(56, Selection(dialog, IDC_CONTROL_VIEWDOWN)) << "the 32nd button, the last row";
  Close();
}

TEST_F(ControlDialogTest, TheEarlierAxisLeavesLaterWatchesUntouched) {
  AddWheel("Wheel");
  HWND dialog = Open();
  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 1);
  Tick(dialog);
  FocusList(dialog, IDC_CONTROL_LEFT);
  FakeJoystickAt(0).state.lX = -700;
  FakeJoystickAt(0).state.lY = 700;
  Tick(dialog);
  EXPECT_EQ(1, AxisWatches[0].seenNegative);
  EXPECT_EQ(0, AxisWatches[1].seenPositive);
  EXPECT_EQ(1, DetectMovedAxis());  // lX is still beyond; it keeps winning
}

TEST_F(ControlDialogTest, FocusAndSelectionChangesResetTheWatches) {
  AddWheel("Wheel");
  HWND dialog = Open();
  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 1);
  FakeJoystick& wheel = FakeJoystickAt(0);
  Tick(dialog);
  FocusList(dialog, IDC_CONTROL_ACCELE);
  wheel.state.lX = -600;
  Tick(dialog);
  EXPECT_EQ(1, Selection(dialog, IDC_CONTROL_ACCELE));

  // The player picks a row: the axis where it is now is the new rest.
  ChooseListRow(dialog, IDC_CONTROL_ACCELE, 0);
  EXPECT_EQ(IDC_CONTROL_ACCELE, DetectionTarget);
  EXPECT_EQ(-600, AxisWatches[0].baseline);
  Tick(dialog);
  EXPECT_EQ(0, Selection(dialog, IDC_CONTROL_ACCELE));

  // Losing the focus to another list moves the target; a stale kill-focus of a
  // list that is no longer the target changes nothing.
  FocusList(dialog, IDC_CONTROL_BRAKE);
  LeaveList(dialog, IDC_CONTROL_ACCELE);
  EXPECT_EQ(IDC_CONTROL_BRAKE, DetectionTarget);
  LeaveList(dialog, IDC_CONTROL_BRAKE);
  EXPECT_EQ(0, DetectionTarget);
  // With no target a move far beyond the threshold (it would be "右", row 2)
  // reaches no list: BRAKE keeps its preset "下".
  wheel.state.lX = 900;
  Tick(dialog);
  EXPECT_EQ(5, Selection(dialog, IDC_CONTROL_BRAKE));
  EXPECT_EQ(0, Selection(dialog, IDC_CONTROL_ACCELE));
}

TEST_F(ControlDialogTest, ADeviceChangeKeepsTheWatches) {
  AddWheel("Wheel");
  HWND dialog = Open();
  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 1);
  FakeJoystickAt(0).state.lX = -800;
  Tick(dialog);
  for (AxisWatch& watch : AxisWatches) watch = {123, 1, 2};
  // To the keyboard and back: neither change takes new rest values.
  for (int row : {0, 1}) {
    ChooseListRow(dialog, IDC_CONTROL_DEVICE, row);
    for (const AxisWatch& watch : AxisWatches) {
      EXPECT_EQ(123, watch.baseline) << "row " << row;
      EXPECT_EQ(1, watch.seenNegative) << "row " << row;
      EXPECT_EQ(2, watch.seenPositive) << "row " << row;
    }
  }
}

// The keyboard row reads the keyboard alone, and only while a function list
// has the focus; controller moves select nothing there. A controller's row
// never reads the keyboard.
TEST_F(ControlDialogTest, TheKeyboardRowReadsOnlyTheKeyboardWhileAFunctionListHasTheFocus) {
  AddWheel("Wheel");
  HWND dialog = Open();
  FakeJoystick& wheel = FakeJoystickAt(0);
  int reads = wheel.readCalls;
  // Its state, and its kept events.
  auto keyboardReads = [] { return FakeKeyboard().readCalls + FakeKeyboard().dataReads; };
  int before = keyboardReads();
  for (int i = 0; i < 5; ++i) Tick(dialog);
  EXPECT_EQ(before, keyboardReads()) << "no list focused";
  FocusList(dialog, IDC_CONTROL_LEFT);
  EXPECT_EQ(before + 2, keyboardReads()) << "read as the list takes the focus";
  wheel.state.lX = -1000;
  wheel.state.rgbButtons[0] = 0x80;
  for (int i = 0; i < 5; ++i) Tick(dialog);
  EXPECT_EQ(111, Selection(dialog, IDC_CONTROL_LEFT));
  EXPECT_EQ(reads, wheel.readCalls);
  EXPECT_EQ(before + 7, keyboardReads());
  LeaveList(dialog, IDC_CONTROL_LEFT);
  for (int i = 0; i < 5; ++i) Tick(dialog);
  EXPECT_EQ(before + 7, keyboardReads()) << "the list lost the focus";
  // And the watches are never filled from a state that does not exist.
  CaptureBaselines();
  for (const AxisWatch& watch : AxisWatches) EXPECT_EQ(0, watch.baseline);
  EXPECT_EQ(0, DetectMovedAxis());
  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 1);
  FocusList(dialog, IDC_CONTROL_LEFT);
  for (int i = 0; i < 5; ++i) Tick(dialog);
  EXPECT_EQ(before + 7, keyboardReads()) << "a controller's ticks";
}

// Nothing is detected while the reads fail, and the first good read after them
// is the new rest: a wheel that was pulled out comes back resting anywhere.
TEST_F(ControlDialogTest, AFailedPollLeavesDetectionOnTheLastGoodState) {
  AddWheel("Wheel");
  HWND dialog = Open();
  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 1);
  FakeJoystick& wheel = FakeJoystickAt(0);
  Tick(dialog);
  FocusList(dialog, IDC_CONTROL_VIEWUP);
  wheel.readAfterScript = E_FAIL;
  wheel.state.lX = -900;
  Tick(dialog);
  EXPECT_EQ(27, Selection(dialog, IDC_CONTROL_VIEWUP));
  wheel.readAfterScript = DI_OK;
  Tick(dialog);
  EXPECT_EQ(27, Selection(dialog, IDC_CONTROL_VIEWUP));
  wheel.state.lX = 0;
  Tick(dialog);
  EXPECT_EQ(2, Selection(dialog, IDC_CONTROL_VIEWUP));
}

TEST_F(ControlDialogTest, DetectionTargetFollowsTheRealFocus) {
  AddWheel("Wheel");
  HWND dialog = Open();
  ShowWindow(dialog, SW_SHOW);
  SetForegroundWindow(dialog);
  SetFocus(GetDlgItem(dialog, IDC_CONTROL_SHIFTUP));
  EXPECT_EQ(IDC_CONTROL_SHIFTUP, DetectionTarget);
  SetFocus(GetDlgItem(dialog, IDC_CONTROL_LIGHT));
  EXPECT_EQ(IDC_CONTROL_LIGHT, DetectionTarget);
  SetFocus(GetDlgItem(dialog, IDOK));
  EXPECT_EQ(0, DetectionTarget);
}

// ---- Today's controllers ---------------------------------------------------

std::wstring Note(HWND dialog) {
  wchar_t text[256] = {};
  GetDlgItemTextW(dialog, IDC_CONTROL_NOTE, text, 256);
  return text;
}

std::wstring NoteText(UINT id) {
  wchar_t text[256] = {};
  LoadInterfaceString(ProgramInstance, id, text, 256);
  return text;
}

// A wheel with pedals of their own, one with combined pedals, an XInput pad
// and Steam's pad, each chosen in turn: the preset's pedals and the note.
TEST_F(ControlDialogTest, ThePedalsAndTheNoteFollowTodaysControllers) {
  FakeJoystick& pedals = AddWheel("Pedals Wheel");
  pedals.state.lY = pedals.state.lRz = 1000;
  AddWheel("Combined Wheel");
  SetAxes(AddGamepad("XInput Pad"), {DIJOFS_X, DIJOFS_Y, DIJOFS_Z});
  AddGamepad("Steam Pad").guidProduct.Data1 = MAKELONG(0x28DE, 0x11FF);
  HWND dialog = Open();
  const std::wstring triggers = NoteText(IDS_INPUT_TEST_TRIGGERS_NOTE);
  EXPECT_TRUE(Note(dialog).empty()) << "the keyboard";

  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 1);
  EXPECT_TRUE(Note(dialog) == triggers) << "the preset's Y halves, before the first read";
  Tick(dialog);
  EXPECT_EQ(6, Selection(dialog, IDC_CONTROL_ACCELE));
  EXPECT_EQ(18, Selection(dialog, IDC_CONTROL_BRAKE));
  EXPECT_TRUE(Enabled(dialog, IDC_CONTROL_CALIBRATE_BRAKE));
  EXPECT_TRUE(Note(dialog) == NoteText(IDS_CONTROL_NOTE_PEDALS_FROM_REST));
  // Their modes and pairs as OK writes them: the controls' end-to-end test.
  pedals.state.lY = -1000;  // a later read decides nothing
  Tick(dialog);
  EXPECT_EQ(6, Selection(dialog, IDC_CONTROL_ACCELE));
  ChooseListRow(dialog, IDC_CONTROL_ACCELE, 4);
  EXPECT_TRUE(Note(dialog).empty()) << "the player's own rows";
  ClickButton(dialog, IDC_CONTROL_RESET);
  pedals.state.lY = 1000;
  ChooseListRow(dialog, IDC_CONTROL_LIGHT, 30);  // changed before the first read
  Tick(dialog);
  EXPECT_EQ(4, Selection(dialog, IDC_CONTROL_ACCELE)) << "the player's change stands";
  std::memset(&pedals.state, 0, sizeof pedals.state);  // not reported yet
  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 1);
  Tick(dialog);
  pedals.state.lY = pedals.state.lRz = 1000;
  Tick(dialog);
  EXPECT_EQ(6, Selection(dialog, IDC_CONTROL_ACCELE)) << "the first read that reports";

  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 2);  // all centred: read as not reported yet
  for (int i = 0; i < 31; ++i) Tick(dialog);
  EXPECT_EQ(4, Selection(dialog, IDC_CONTROL_ACCELE));
  EXPECT_TRUE(Note(dialog) == triggers) << "combined pedals";

  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 3);
  EXPECT_TRUE(Note(dialog).empty()) << "the pad preset's buttons";
  ChooseListRow(dialog, IDC_CONTROL_ACCELE, 8);
  ChooseListRow(dialog, IDC_CONTROL_BRAKE, 7);
  EXPECT_TRUE(Note(dialog) == triggers) << "the triggers on Z";

  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 4);
  EXPECT_TRUE(Note(dialog) == NoteText(IDS_CONTROL_NOTE_STEAM_PAD));
  UseInterfaceLanguage(InterfaceLanguage::kEnglish, 0x0409);
  EXPECT_NE(std::wstring::npos, NoteText(IDS_CONTROL_NOTE_STEAM_PAD).find(L"Steam Input"));
  EXPECT_NE(std::wstring::npos, NoteText(IDS_CONTROL_NOTE_PEDALS_FROM_REST).find(L"\"Test\""));
  SettleInterfaceLanguage();
  EXPECT_NE(std::wstring::npos, NoteText(IDS_CONTROL_NOTE_PEDALS_FROM_REST).find(L"\"테스트\""));
}

}  // namespace
