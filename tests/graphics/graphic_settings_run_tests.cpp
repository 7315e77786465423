// The whole graphics run as the launcher starts it: the file is loaded from the
// program directory, the modal dialog is played from a thread timer the way a
// player would, and the file (or the message shown) is checked.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "graphics/display_catalogue.h"
#include "graphics/graphic_settings_dialog.h"
#include "graphics/graphic_settings_file.h"
#include "program/program_directory.h"
#include "program/program_instance.h"
#include "resources/resource_ids.h"
#include "tests/fakes/fake_ddraw.h"
#include "tests/graphics/scripted_display_check.h"
#include "tests/settings/settings_test_files.h"

namespace {

std::vector<FakeDriver> RunMachine() {
  return {PrimaryDriver("Primary", {{800, 600, 32, 0}, {640, 480, 16, 0}, {640, 480, 32, 0}},
                        {HardwareDevice("Scripted HAL", kAllDepths, 2)})};
}

// One window the timer found: a dialog of this thread, and what it showed.
struct Seen {
  std::wstring caption;
  std::wstring text;  // a message box's text (static 0xFFFF)
  HWND owner = nullptr;
};

struct Player {
  std::function<void(HWND)> onDialog;  // plays the graphic dialog once it shows
  std::vector<Seen> seen;
  int ticks = 0;
  HWND handled = nullptr;
};

Player* playing = nullptr;

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM found) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (lstrcmpW(className, L"#32770") == 0 && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK Play(HWND, UINT, UINT_PTR, DWORD) {
  HWND window = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindVisibleDialog, reinterpret_cast<LPARAM>(&window));
  if (window == nullptr) return;
  if (window == playing->handled) {
    if (++playing->ticks > 250) EndDialog(window, 99);  // a window that ignores the player
    return;
  }
  playing->handled = window;
  playing->ticks = 0;
  Seen seen;
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  seen.caption = text;
  text[0] = L'\0';
  GetDlgItemTextW(window, 0xFFFF, text, 256);
  seen.text = text;
  seen.owner = GetWindow(window, GW_OWNER);
  playing->seen.push_back(seen);
  if (seen.caption == L"Velmora Graphic Setting" && playing->onDialog) {
    playing->onDialog(window);
  } else {
    PostMessageW(window, WM_COMMAND, IDOK, 0);  // a message box: press OK
  }
}

class GraphicRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterDialogControlClasses();
    ProgramInstance = GetModuleHandleW(nullptr);
    SetProgramDirectory(NativePath(folder_.path() + "\\").c_str(), false, L"");
    MakeFolder(folder_.File("config"));
    owner_ = CreateWindowW(L"STATIC", L"launcher stand-in", WS_POPUP, 0, 0, 10, 10, nullptr,
                           nullptr, nullptr, nullptr);
  }
  void TearDown() override { DestroyWindow(owner_); }

  std::string File() const { return folder_.File("config\\graphic.cfg"); }

  std::vector<Seen> Run(std::function<void(HWND)> onDialog) {
    Player player;
    player.onDialog = onDialog;
    playing = &player;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, Play);
    RunGraphicSettings(owner_);
    KillTimer(nullptr, timer);
    playing = nullptr;
    return player.seen;
  }

  ScratchFolder folder_;
  HWND owner_ = nullptr;
};

void PressOk(HWND dialog) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }
void PressCancel(HWND dialog) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// What OK saves with no file on the scripted machine.
const char kResolvedDefaults[] =
    "VERSION=2\r\nDEVICE=\"Scripted HAL\"\r\nMULTITEXTURE=1\r\nWIDTH=640\r\nHEIGHT=480\r\n"
    "COLORDEPTH=16\r\nTEXTUREDEPTH=0\r\nTEXTUREQUALITY=2\r\nTEXTURECOMPRESS=0\r\nWINDOW=0\r\n";

TEST_F(GraphicRunTest, OkWithoutAFileWritesTheResolvedDefaults) {
  FakeDisplaySystem machine(RunMachine());
  std::vector<Seen> seen = Run(PressOk);
  ASSERT_EQ(1u, seen.size());
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(File(), bytes));
  EXPECT_EQ(kResolvedDefaults, bytes);
  EXPECT_TRUE(machine.liveBlocks.empty()) << "the run keeps mode arrays after it ended";
  EXPECT_EQ(0, machine.LiveObjects());
}

// A test saves nothing and changes nothing OK saves, however it ended.
TEST_F(GraphicRunTest, OkAfterATestWritesWhatOkAloneWrites) {
  const GraphicsTestStep ends[] = {GraphicsTestStep::kNone, GraphicsTestStep::kDrawing};
  for (GraphicsTestStep failAt : ends) {
    DeleteFileW(NativePath(File()).c_str());
    FakeDisplaySystem machine(RunMachine());
    UseScriptedGraphicsTest(failAt, WM_KEYDOWN, VK_SPACE);
    Run([](HWND dialog) {
      SendDlgItemMessageW(dialog, IDC_GRAPHIC_TEST, BM_CLICK, 0, 0);
      PressOk(dialog);
    });
    UseRealGraphicsTest();
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(File(), bytes));
    EXPECT_EQ(kResolvedDefaults, bytes);
    EXPECT_EQ(0, machine.LiveObjects());
  }
}

TEST_F(GraphicRunTest, OkAfterChangesWritesThem) {
  WriteFileBytes(File(), "VERSION=1\r\nDEVICE=\"Gone\"\r\nTEXTUREQUALITY=12\r\nWINDOW=1\r\n");
  FakeDisplaySystem machine(RunMachine());
  Run([](HWND dialog) {
    SendDlgItemMessageW(dialog, IDC_GRAPHIC_MODE, CB_SETCURSEL, 2, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_GRAPHIC_MODE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_GRAPHIC_MODE)));
    SendDlgItemMessageW(dialog, IDC_GRAPHIC_COMPRESS, BM_CLICK, 0, 0);
    PressOk(dialog);
  });
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(File(), bytes));
  EXPECT_EQ(
      "VERSION=2\r\nDEVICE=\"Scripted HAL\"\r\nMULTITEXTURE=0\r\nWIDTH=800\r\nHEIGHT=600\r\n"
      "COLORDEPTH=32\r\nTEXTUREDEPTH=0\r\nTEXTUREQUALITY=4\r\nTEXTURECOMPRESS=1\r\nWINDOW=1\r\n",
      bytes);
}

TEST_F(GraphicRunTest, CancelLeavesTheFileByteForByte) {
  const std::string old = "VERSION=7\nDEVICE=\"Gone\"\nWIDTH=1\n\n  junk\r\n";
  WriteFileBytes(File(), old);
  FakeDisplaySystem machine(RunMachine());
  std::vector<Seen> seen = Run([](HWND dialog) {
    SendDlgItemMessageW(dialog, IDC_GRAPHIC_COMPRESS, BM_CLICK, 0, 0);
    PressCancel(dialog);
  });
  ASSERT_EQ(1u, seen.size());
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(File(), bytes));
  EXPECT_EQ(old, bytes);
}

// The run's messages are code page 932 texts; whatever the system's code page,
// the box must show them as written.
TEST_F(GraphicRunTest, NoHardwareDeviceIsReportedAndNothingWritten) {
  FakeDisplaySystem machine({PrimaryDriver("Primary", {{640, 480, 16, 0}},
                                           {SoftwareDevice("RGB Emulation")})});
  GraphicSettingsRecord before = {7, 7, 7, 7, 7, 7, 7, 7, 7, 7};
  GraphicSettings = before;
  std::vector<Seen> seen = Run(PressOk);
  ASSERT_EQ(1u, seen.size()) << "one message box and no dialog";
  EXPECT_TRUE(seen[0].caption == L"Error");
  EXPECT_TRUE(seen[0].text == L"３Ｄデバイスの列挙に失敗しました")
      << "the message box text differs (" << seen[0].text.size() << " characters)";
  EXPECT_EQ(owner_, seen[0].owner) << "the box belongs to the launcher";
  EXPECT_FALSE(FileExists(File()));
  EXPECT_EQ(0, memcmp(&before, &GraphicSettings, sizeof before)) << "the record was touched";
}

TEST_F(GraphicRunTest, FailedSaveIsReportedAndTheOldFileKept) {
  const std::string old = "VERSION=2\r\nDEVICE=\"Scripted HAL\"\r\n";
  WriteFileBytes(File(), old);
  SetReadOnly(File(), true);
  FakeDisplaySystem machine(RunMachine());
  std::vector<Seen> seen = Run(PressOk);
  ASSERT_EQ(2u, seen.size()) << "the dialog, then the message box";
  EXPECT_TRUE(seen[1].caption == L"Error");
  EXPECT_TRUE(seen[1].text == L"graphic.cfg の保存に失敗しました")
      << "the message box text differs (" << seen[1].text.size() << " characters)";
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(File(), bytes));
  EXPECT_EQ(old, bytes);
  SetReadOnly(File(), false);
}

}  // namespace
