// The report's input sections over a scripted DirectInput: every controller
// set up by the manager's own steps, told with its failing step, its row or
// the limit; and the device row the control settings would open on.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "program/program_directory.h"
#include "program/program_instance.h"
#include "report/report_sections.h"
#include "tests/fakes/fake_dinput.h"
#include "tests/report/report_test_support.h"
#include "tests/settings/settings_test_files.h"

namespace {

class ReportInputTest : public ReportSectionTest {
 protected:
  void SetUp() override {
    ProgramInstance = GetModuleHandleA(nullptr);
    ReportSectionTest::SetUp();
  }
  void TearDown() override {
    EXPECT_EQ(0, FakeLiveObjects()) << "everything the report opened is released";
    EXPECT_EQ(0, FakeOverReleases());
  }
  std::string Report() { return ReportSectionTest::Report(ReportInput); }
  void ExpectLines(const std::string& text, std::initializer_list<const char*> lines) {
    size_t from = 0;
    for (const char* line : lines) {
      size_t at = text.find(line, from);
      EXPECT_NE(std::string::npos, at) << "missing, or out of order: " << line << "\n" << text;
      if (at != std::string::npos) from = at;
    }
  }
  FakeDirectInputScope fake_;
};

TEST_F(ReportInputTest, EachControllerIsToldWithItsRowItsFailingStepOrTheLimit) {
  FakeJoystick& wheel = AddFakeJoystick("Wheel");
  wheel.devType = DIDEVTYPE_JOYSTICK | (DIDEVTYPEJOYSTICK_WHEEL << 8);
  wheel.capsFlags |= DIDC_FORCEFEEDBACK;
  wheel.buttons = 40;
  SetAxes(wheel, {DIJOFS_X, DIJOFS_Y, DIJOFS_RZ});
  wheel.refuseRangeAxis = 2;
  wheel.refuseRangeResult = DIERR_UNSUPPORTED;
  AddFakeJoystick("Bad").fail[kFakeSetDataFormat] = E_FAIL;
  for (int i = 0; i < 16; ++i) AddFakeJoystick(("Pad " + std::to_string(i)).c_str());
  WriteFileBytes(folder_.File("config\\input.cfg"), "DEVICE=\"Pad 14\"\r\nLEFT=99,2\r\n");

  ExpectLines(Report(), {
      "\r\nDirectInput: created",
      "\r\n  set up: CreateDeviceEx, SetDataFormat, SetCooperativeLevel\r\n",
      "\r\nController 1: row 1 of the device list\r\n  instance name: \"Wheel\"\r\n",
      "\r\n  device type 0x00000604: subtype 6 (wheel)\r\n"
      "  axes given the range -1000 to 1000: X, Y\r\n"
      "  the axis at offset 20 refused the range: 0x80004001 (DIERR_UNSUPPORTED)",
      "\r\n  buttons: 40 (the lists offer the first 32); POVs: 0\r\n  force feedback: yes\r\n",
      "\r\nController 2: left out: SetDataFormat failed: 0x80004005 (E_FAIL)\r\n  instance name: \"Bad\"\r\n",
      "\r\nController 17: row 16 of the device list\r\n  instance name: \"Pad 14\"\r\n",
      "\r\nController 18: not listed: beyond the 16-controller limit\r\n  instance name: \"Pad 15\"\r\n",
      "\r\nGame controllers attached: 18; listed: 16 (at most 16)\r\n",
      "\r\nThe control settings would open on row 16 \"Pad 14\": found by name",
      "\r\n  LEFT: row 99: outside its table (rows 0 to 56); the list shows no selection; "
      "mode 2: outside its list (0 Digital, 1 Analog); the list shows no selection; calibration 0 to 0\r\n",
      "\r\n  FORCEFEEDBACK: 0; the device has force feedback: no\r\n"});
}

TEST_F(ReportInputTest, FailuresBeforeTheControllersAreLinesAndTheDialogWouldNotOpen) {
  FakeDirectInput().createResult = HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
  ExpectLines(Report(), {"\r\nDirectInput: could not be created: 0x8007007E (dinput.dll could not be "
                         "loaded); the control settings would not open\r\n",
                         "\r\nThe control settings would not open"});
  ResetFakeDirectInput();
  FakeKeyboard().fail[kFakeSetCooperativeLevel] = E_HANDLE;
  AddFakeJoystick("Wheel");
  ExpectLines(Report(), {"\r\n  SetCooperativeLevel failed: 0x80070006 (E_HANDLE: not a valid window); "
                         "the control settings would not open\r\n",
                         "\r\nController 1: row 1 of the device list\r\n"});
}

// A driver that fills the whole name field and leaves out the NUL: the name
// shown ends with the field, not in the field after it.
TEST_F(ReportInputTest, ANameThatFillsItsFieldIsReadNoFurther) {
  std::memset(AddFakeJoystick("").name, 'W', MAX_PATH);
  ExpectLines(Report(), {("\r\n  instance name: \"" + std::string(MAX_PATH, 'W') + "\"\r\n").c_str()});
}

// The shared inputs of the stored rows, in the table DEVICE names even when
// that controller is not attached; row 0 and rows beyond the table share none.
TEST_F(ReportInputTest, SharedInputsAreNamedOneLineEach) {
  WriteFileBytes(folder_.File("config\\input.cfg"),
                 "DEVICE=\"Gone\"\r\nLEFT=3\r\nRIGHT=3\r\nLIGHT=1\r\nACCELE=7\r\nBRAKE=8\r\n"
                 "VIEWUP=9\r\nSHIFTUP=25\r\nSHIFTDOWN=25\r\nVIEWDOWN=57\r\nSIDEBRAKE=57\r\n");
  ExpectLines(Report(), {"\r\nShared inputs of the stored assignments:\r\n"
                         "  LEFT and RIGHT on row 3 (\xE5\xB7\xA6\xE5\x8F\xB3) share their axis "
                         "with LIGHT on row 1 (\xE5\xB7\xA6)\r\n"
                         "  VIEWUP on row 9 (\xEF\xBC\xBA\xE8\xBB\xB8) shares its "
                         "axis with ACCELE on row 7 (\xEF\xBC\xBA\xE8\xBB\xB8\xEF\xBC\x8B) and BRAKE "
                         "on row 8 (\xEF\xBC\xBA\xE8\xBB\xB8\xEF\xBC\x8D)\r\n"
                         "  SHIFTUP and SHIFTDOWN share row 25 (\xE3\x83\x9C\xE3\x82\xBF\xE3\x83\xB3"
                         "\xEF\xBC\x91)\r\n\r\n"});
}

// Today's controllers: a force-feedback wheel's actuators and effects, an
// XInput pad by its path, Steam's pad (with "IG_" too), and a wheel that
// refuses the path and the effects, told all the same without those lines.
TEST_F(ReportInputTest, TodaysControllersAreToldByTheirAxesEffectsAndPaths) {
  FakeJoystick& wheel = AddFakeJoystick("Wheel");
  wheel.capsFlags |= DIDC_FORCEFEEDBACK;
  SetAxes(wheel, {DIJOFS_X, DIJOFS_Y, DIJOFS_SLIDER(1)});
  wheel.actuators = 3;
  wheel.offersConstantForce = wheel.offersSine = true;
  AddFakeEffect(wheel, GUID_Spring, DIEFT_CONDITION, "Spring");
  AddFakeEffect(wheel, {0x1234}, DIEFT_HARDWARE, "Rumble Seat");
  lstrcpyW(AddFakeJoystick("Pad").devicePath, L"\\\\?\\hid#vid_045e&pid_028e&ig_00#1");
  FakeJoystick& steam = AddFakeJoystick("Steam");
  steam.guidProduct.Data1 = MAKELONG(0x28DE, 0x11FF);
  lstrcpyW(steam.devicePath, L"\\\\?\\HID#VID_28DE&PID_11FF&IG_00#2");
  FakeJoystick& mute = AddFakeJoystick("Mute");
  mute.capsFlags |= DIDC_FORCEFEEDBACK;
  mute.pathResult = mute.enumEffectsResult = DIERR_UNSUPPORTED;
  lstrcpyW(mute.devicePath, L"ig_");
  const char* xinput = "  an XInput pad (its device path carries IG_): its two triggers share one axis (Z) and cancel out when pressed together\r\n";
  std::string text = Report();
  ExpectLines(text, {"\r\n  axes given the range -1000 to 1000: X, Y, Slider 2\r\n",
                     "\r\n  force feedback axes: X, Y, Slider 2; effects: constant force, sine, spring, Rumble Seat\r\n",
                     "instance name: \"Pad\"", xinput,
                     "instance name: \"Steam\"", xinput,
                     "  Steam Input's virtual pad, shown in place of the controller itself: turn Steam Input off for this program in Steam to see the controller\r\n",
                     "instance name: \"Mute\"", "force feedback: yes\r\nGame controllers attached: 4"});
}

}  // namespace
