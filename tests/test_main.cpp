// The main of every Windows test program. All the cases of a program run in
// one Wine process (starting one costs about half a second), so after every
// case the program is put back as a fresh process of it would be: the
// records and platform seams as they were before the first case, the choices
// made once per process (the interface language, the dialog face) made anew,
// and the dialogs a failed case left open destroyed. A case may then change
// any of them without putting it back, as it could when it ran alone, and the
// cases pass in any order (--gtest_shuffle).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "controls/calibration_dialog.h"
#include "controls/control_settings_dialog.h"
#include "controls/control_settings_file.h"
#include "controls/force_check.h"
#include "controls/input_manager.h"
#include "graphics/display_catalogue.h"
#include "graphics/graphic_settings_dialog.h"
#include "graphics/graphic_settings_file.h"
#include "graphics/display_check.h"
#include "program/cp932_text.h"
#include "program/dialog_font.h"
#include "program/interface_language.h"
#include "program/program_directory.h"
#include "program/program_instance.h"

namespace {

// One record's bytes as the program started with them.
struct FreshBytes {
  void* record;
  std::size_t size;
  std::vector<unsigned char> bytes;
};

template <typename Record>
FreshBytes Kept(Record& record) {
  const unsigned char* start = reinterpret_cast<const unsigned char*>(&record);
  return {&record, sizeof record, std::vector<unsigned char>(start, start + sizeof record)};
}

BOOL CALLBACK DestroyDialog(HWND window, LPARAM) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (std::wcscmp(className, L"#32770") == 0) DestroyWindow(window);
  return TRUE;
}

class FreshProcessBetweenCases : public testing::EmptyTestEventListener {
 public:
  // Made in main, before the first case: every record holds its start value.
  FreshProcessBetweenCases()
      : kept_{Kept(ProgramInstance),     Kept(ProgramDirectory),  Kept(DisplayPlatformCalls),
              Kept(DisplayDeviceCatalogue), Kept(DisplayObserver), Kept(GraphicSettings),
              Kept(CurrentDeviceRow),    Kept(InputPlatform),     Kept(ControlSettings),
              Kept(ControlSettingsLoaded), Kept(AxisWatches),     Kept(ControlManager),
              Kept(SelectedDeviceRow),   Kept(DetectionTarget),   Kept(ControlTimer),
              Kept(CalibrationState), Kept(Cp932Calls),
              Kept(GraphicsTestCalls), Kept(ForceFeedbackClock)} {}

  void OnTestEnd(const testing::TestInfo&) override {
    EnumThreadWindows(GetCurrentThreadId(), DestroyDialog, 0);
    // The mode arrays go back to the allocator that gave them, while it is
    // still the one in DisplayPlatformCalls.
    ReleaseDisplayDevices();
    for (const FreshBytes& kept : kept_) std::memcpy(kept.record, kept.bytes.data(), kept.size);
    SettleInterfaceLanguage();
    SetDialogListTexts(nullptr, 0);
  }

 private:
  std::vector<FreshBytes> kept_;
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new FreshProcessBetweenCases);
  return RUN_ALL_TESTS();
}
