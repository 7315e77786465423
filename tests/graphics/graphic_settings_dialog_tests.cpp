// The graphic settings dialog from the real template 105 with its real procedure,
// over a catalogue built from a scripted machine. The tests send what a player's
// clicks send (CBN_SELCHANGE, BN_CLICKED) and read every control back.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "graphics/display_catalogue.h"
#include "graphics/graphic_settings_dialog.h"
#include "graphics/graphic_settings_file.h"
#include "program/interface_language.h"
#include "program/program_instance.h"
#include "resources/resource_ids.h"
#include "tests/fakes/fake_ddraw.h"
#include "tests/graphics/scripted_display_check.h"

namespace {

typedef GraphicSettingsRecord R;

// 0 "HAL": two texture stages, 16 and 32 bits; 1 "No Multi": no texture stage,
// 16 bits only; 2 "One Stage": one stage, 32 bits only; 3 and 4 "Twin", the two
// devices of a secondary card, 800 x 600 only.
std::vector<FakeDriver> DialogMachine() {
  std::vector<FakeMode> modes = {{1024, 768, 32, 0}, {640, 480, 32, 0}, {800, 600, 16, 0},
                                 {640, 480, 16, 0}};
  return {PrimaryDriver("Primary", modes,
                        {HardwareDevice("HAL", DDBD_16 | DDBD_32, 2),
                         HardwareDevice("No Multi", DDBD_16, 0),
                         HardwareDevice("One Stage", DDBD_32, 1)}),
          SecondaryDriver("Twin", {{800, 600, 16, 0}},
                          {HardwareDevice("T1", DDBD_16, 2), HardwareDevice("T2", DDBD_16, 0)})};
}

const std::vector<std::wstring> kDeviceRows = {L"HAL", L"No Multi", L"One Stage", L"Twin", L"Twin"};
const std::vector<std::wstring> kHalModes = {L"640 x 480 : 16 bit color", L"640 x 480 : 32 bit color",
                                             L"800 x 600 : 16 bit color",
                                             L"1024 x 768 : 32 bit color"};
const std::vector<std::wstring> kNoMultiModes = {L"640 x 480 : 16 bit color",
                                                 L"800 x 600 : 16 bit color"};
const std::vector<std::wstring> kOneStageModes = {L"640 x 480 : 32 bit color",
                                                  L"1024 x 768 : 32 bit color"};
const std::vector<std::wstring> kTwinModes = {L"800 x 600 : 16 bit color"};

std::string Fields(const GraphicSettingsRecord& r) {
  char text[160];
  std::snprintf(text, sizeof text,
                "device %d multi %d mode %d window %d %dx%dx%d texdepth %d quality %d compress %d",
                r.device, r.multiTexture, r.mode, r.window, r.width, r.height, r.colorDepth,
                r.textureDepth, r.textureQuality, r.textureCompress);
  return text;
}

std::vector<std::wstring> Rows(HWND dialog, int id) {
  std::vector<std::wstring> rows;
  LRESULT count = SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[128] = {};
    if (SendDlgItemMessageW(dialog, id, CB_GETLBTEXTLEN, i, 0) >= 127) return {L"(too long)"};
    SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    rows.push_back(text);
  }
  return rows;
}

LRESULT Selected(HWND dialog, int id) { return SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0); }

// What a player's pick in a drop-down list produces.
void Pick(HWND dialog, int id, int row) {
  SendDlgItemMessageW(dialog, id, CB_SETCURSEL, row, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Click(HWND dialog, int id) { SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0); }

LRESULT Check(HWND dialog, int id) { return SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0); }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
LRESULT Quality(HWND dialog) { return SendDlgItemMessageW(dialog, IDC_GRAPHIC_QUALITY, TBM_GETPOS, 0, 0); }

class GraphicDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterDialogControlClasses();
    ProgramInstance = GetModuleHandleW(nullptr);
    ASSERT_TRUE(EnumerateDisplayDevices());
    ASSERT_EQ(5, DisplayDeviceCatalogue.count);
  }
  void TearDown() override {
    if (dialog_ != nullptr) DestroyWindow(dialog_);
  }

  // Opens the dialog on `settings` with CurrentDeviceRow at its device, as the
  // graphics run does.
  HWND Open(const GraphicSettingsRecord& settings) {
    if (dialog_ != nullptr) DestroyWindow(dialog_);
    GraphicSettings = settings;
    CurrentDeviceRow = settings.device;
    dialog_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_GRAPHIC_SETTINGS),
                                 nullptr, GraphicSettingsDialogProc, 0);
    // Left hidden: under Wine without a window manager, hiding a shown window
    // waits two seconds for a withdrawal that never comes.
    return dialog_;
  }

  FakeDisplaySystem machine_{DialogMachine()};
  HWND dialog_ = nullptr;
};

struct InitCase {
  const char* title;
  GraphicSettingsRecord settings;
  const std::vector<std::wstring>* modes;
  int modeRow;
  int textureRow;
  bool multiEnabled;
  LRESULT multiCheck;
  LRESULT compressCheck;
};

TEST_F(GraphicDialogTest, OpensShowingTheStoredChoices) {
  const InitCase cases[] = {
      {"first device, stored mode, multitexture on", R{0, 1, 0, 0, 800, 600, 16, 16, 3, 1},
       &kHalModes, 2, 1, true, BST_CHECKED, BST_CHECKED},
      {"32-bit textures, multitexture off", R{0, 0, 0, 0, 1024, 768, 32, 32, 0, 0}, &kHalModes, 3,
       2, true, BST_UNCHECKED, BST_UNCHECKED},
      {"texture depth 24 shows default; no texture stage: box off", R{1, 1, 0, 0, 800, 600, 16, 24, 4, 0},
       &kNoMultiModes, 1, 0, false, BST_UNCHECKED, BST_UNCHECKED},
      {"one texture stage is enough for the box", R{2, 1, 0, 0, 640, 480, 32, 0, 2, 0},
       &kOneStageModes, 0, 0, true, BST_CHECKED, BST_UNCHECKED},
      {"a mode the device lacks selects row 0", R{2, 0, 0, 0, 800, 600, 16, 0, 2, 0},
       &kOneStageModes, 0, 0, true, BST_UNCHECKED, BST_UNCHECKED},
      {"the second device of one name", R{4, 1, 0, 0, 800, 600, 16, 0, 2, 5}, &kTwinModes, 0, 0,
       false, BST_UNCHECKED, BST_CHECKED},
  };
  for (const InitCase& c : cases) {
    HWND dialog = Open(c.settings);
    ASSERT_NE(nullptr, dialog) << c.title;
    EXPECT_EQ(kDeviceRows, Rows(dialog, IDC_GRAPHIC_DEVICE)) << c.title;
    EXPECT_EQ(c.settings.device, Selected(dialog, IDC_GRAPHIC_DEVICE)) << c.title;
    EXPECT_EQ(*c.modes, Rows(dialog, IDC_GRAPHIC_MODE)) << c.title;
    EXPECT_EQ(c.modeRow, Selected(dialog, IDC_GRAPHIC_MODE)) << c.title;
    EXPECT_EQ((std::vector<std::wstring>{L"default", L"16 bit", L"32 bit"}),
              Rows(dialog, IDC_GRAPHIC_TEXTURE_DEPTH))
        << c.title;
    EXPECT_EQ(c.textureRow, Selected(dialog, IDC_GRAPHIC_TEXTURE_DEPTH)) << c.title;
    EXPECT_EQ(c.multiEnabled, Enabled(dialog, IDC_GRAPHIC_MULTITEXTURE)) << c.title;
    EXPECT_EQ(c.multiCheck, Check(dialog, IDC_GRAPHIC_MULTITEXTURE)) << c.title;
    EXPECT_EQ(c.compressCheck, Check(dialog, IDC_GRAPHIC_COMPRESS)) << c.title;
    EXPECT_EQ(0, SendDlgItemMessageW(dialog, IDC_GRAPHIC_QUALITY, TBM_GETRANGEMIN, 0, 0)) << c.title;
    EXPECT_EQ(4, SendDlgItemMessageW(dialog, IDC_GRAPHIC_QUALITY, TBM_GETRANGEMAX, 0, 0)) << c.title;
    EXPECT_EQ(c.settings.textureQuality, Quality(dialog)) << c.title;
    // Opening changes nothing in the record.
    EXPECT_EQ(Fields(c.settings), Fields(GraphicSettings)) << c.title;
  }
}

TEST_F(GraphicDialogTest, ShowsTheTemplateTextsOnAnyLocale) {
  HWND dialog = Open(R{0, 1, 0, 0, 640, 480, 16, 0, 2, 0});
  ASSERT_NE(nullptr, dialog);
  wchar_t caption[64] = {};
  GetWindowTextW(dialog, caption, 64);
  EXPECT_STREQ(L"Velmora Graphic Setting", caption);
  std::wstring texts;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (lstrcmpiW(className, L"Static") != 0 && lstrcmpiW(className, L"Button") != 0) continue;
    wchar_t text[64] = {};
    GetWindowTextW(child, text, 64);
    texts += text;
    texts += L'|';
  }
  EXPECT_TRUE(texts ==
              L"확인|취소|테스트|사용하는 3D 디바이스를 선택합니다|화면의 해상도와 색 품질을 선택합니다|"
              L"재질감의 색 품질을 선택합니다|화면의 표시에 이상이 나오는 경우는 체크를 해제해 주세요|"
              L"멀티 재질감을 사용|압축 재질감을 사용|재질감의 정도를 변경합니다|저해상도|고해상도||")
      << "the texts shown differ from the template's";
}

TEST_F(GraphicDialogTest, OkStoresEveryControl) {
  HWND dialog = Open(R{0, 0, 0, 0, 640, 480, 16, 0, 2, 0});
  ASSERT_NE(nullptr, dialog);
  Pick(dialog, IDC_GRAPHIC_DEVICE, 2);                  // One Stage
  EXPECT_EQ(2, CurrentDeviceRow);
  EXPECT_EQ(0, GraphicSettings.device) << "the device changes only on OK";
  EXPECT_EQ(kOneStageModes, Rows(dialog, IDC_GRAPHIC_MODE));
  Pick(dialog, IDC_GRAPHIC_MODE, 1);                    // 1024 x 768 x 32
  EXPECT_EQ(Fields(R{0, 0, 0, 0, 1024, 768, 32, 0, 2, 0}), Fields(GraphicSettings))
      << "a mode pick is stored at once";
  Pick(dialog, IDC_GRAPHIC_TEXTURE_DEPTH, 2);           // 32 bit
  EXPECT_EQ(32, GraphicSettings.textureDepth) << "a texture depth pick is stored at once";
  Click(dialog, IDC_GRAPHIC_MULTITEXTURE);
  Click(dialog, IDC_GRAPHIC_COMPRESS);
  SendDlgItemMessageW(dialog, IDC_GRAPHIC_QUALITY, TBM_SETPOS, TRUE, 4);
  EXPECT_EQ(Fields(R{0, 0, 0, 0, 1024, 768, 32, 32, 2, 0}), Fields(GraphicSettings))
      << "boxes and trackbar are read on OK only";
  Click(dialog, IDOK);
  EXPECT_EQ(Fields(R{2, 1, 0, 0, 1024, 768, 32, 32, 4, 1}), Fields(GraphicSettings));
}

TEST_F(GraphicDialogTest, OkWithoutChangesStoresRowZeroWhenTheModeWasMissing) {
  HWND dialog = Open(R{2, 0, 0, 0, 800, 600, 16, 24, 2, 0});
  ASSERT_NE(nullptr, dialog);
  Click(dialog, IDOK);
  EXPECT_EQ(Fields(R{2, 0, 0, 0, 640, 480, 32, 0, 2, 0}), Fields(GraphicSettings));
}

TEST_F(GraphicDialogTest, CancelKeepsOnlyThePickedMode) {
  HWND dialog = Open(R{0, 1, 3, 1, 640, 480, 16, 16, 1, 0});
  ASSERT_NE(nullptr, dialog);
  Pick(dialog, IDC_GRAPHIC_DEVICE, 1);
  Click(dialog, IDC_GRAPHIC_COMPRESS);
  SendDlgItemMessageW(dialog, IDC_GRAPHIC_QUALITY, TBM_SETPOS, TRUE, 4);
  Pick(dialog, IDC_GRAPHIC_MODE, 1);  // 800 x 600 x 16 of "No Multi": stored at once
  Click(dialog, IDCANCEL);
  // mode and window are never the dialog's; the mode pick stays in memory.
  EXPECT_EQ(Fields(R{0, 1, 3, 1, 800, 600, 16, 16, 1, 0}), Fields(GraphicSettings));
}

TEST_F(GraphicDialogTest, ModeFollowsThePlayerAcrossDevices) {
  struct Step {
    int device;      // picked device row
    int mode;        // then picked mode row, -1 for none
    int shownRow;    // mode row selected right after the device pick
  };
  HWND dialog = Open(R{0, 1, 0, 0, 640, 480, 16, 0, 2, 0});
  ASSERT_NE(nullptr, dialog);
  const Step steps[] = {
      {1, 1, 0},   // No Multi shows 640x480x16; the player picks 800x600x16
      {0, -1, 2},  // back to HAL: 800x600x16 is there
      {2, 1, 0},   // One Stage lacks it: row 0; the player picks 1024x768x32
      {0, -1, 3},  // HAL has 1024x768x32
      {1, -1, 0},  // No Multi has not: row 0, nothing stored by the showing
      {0, -1, 3},  // the remembered mode is still 1024x768x32
  };
  for (const Step& step : steps) {
    Pick(dialog, IDC_GRAPHIC_DEVICE, step.device);
    EXPECT_EQ(step.shownRow, Selected(dialog, IDC_GRAPHIC_MODE)) << "device " << step.device;
    if (step.mode >= 0) Pick(dialog, IDC_GRAPHIC_MODE, step.mode);
  }
  Click(dialog, IDOK);
  EXPECT_EQ(Fields(R{0, 1, 0, 0, 1024, 768, 32, 0, 2, 0}), Fields(GraphicSettings));
}

TEST_F(GraphicDialogTest, MultitextureBoxFollowsTheStoredChoiceNotTheClick) {
  HWND dialog = Open(R{0, 1, 0, 0, 640, 480, 16, 0, 2, 0});
  ASSERT_NE(nullptr, dialog);
  Click(dialog, IDC_GRAPHIC_MULTITEXTURE);
  EXPECT_EQ(BST_UNCHECKED, Check(dialog, IDC_GRAPHIC_MULTITEXTURE));
  Pick(dialog, IDC_GRAPHIC_TEXTURE_DEPTH, 1);
  EXPECT_EQ(BST_CHECKED, Check(dialog, IDC_GRAPHIC_MULTITEXTURE)) << "texture depth pick";
  Click(dialog, IDC_GRAPHIC_MULTITEXTURE);
  Pick(dialog, IDC_GRAPHIC_MODE, 2);
  EXPECT_EQ(BST_CHECKED, Check(dialog, IDC_GRAPHIC_MULTITEXTURE)) << "mode pick";
  Pick(dialog, IDC_GRAPHIC_DEVICE, 1);
  EXPECT_FALSE(Enabled(dialog, IDC_GRAPHIC_MULTITEXTURE)) << "no texture stage";
  EXPECT_EQ(BST_UNCHECKED, Check(dialog, IDC_GRAPHIC_MULTITEXTURE));
  Pick(dialog, IDC_GRAPHIC_DEVICE, 0);
  EXPECT_TRUE(Enabled(dialog, IDC_GRAPHIC_MULTITEXTURE));
  EXPECT_EQ(BST_CHECKED, Check(dialog, IDC_GRAPHIC_MULTITEXTURE));
  Click(dialog, IDC_GRAPHIC_MULTITEXTURE);
  Click(dialog, IDOK);
  EXPECT_EQ(0, GraphicSettings.multiTexture) << "OK right after unchecking";
}

TEST_F(GraphicDialogTest, DisabledBoxStoresNoMultitexture) {
  HWND dialog = Open(R{1, 1, 0, 0, 640, 480, 16, 0, 2, 0});
  ASSERT_NE(nullptr, dialog);
  Click(dialog, IDOK);
  EXPECT_EQ(0, GraphicSettings.multiTexture);
}

TEST_F(GraphicDialogTest, RowNotNameChoosesBetweenTwins) {
  HWND dialog = Open(R{3, 0, 0, 0, 800, 600, 16, 0, 2, 0});
  ASSERT_NE(nullptr, dialog);
  EXPECT_TRUE(Enabled(dialog, IDC_GRAPHIC_MULTITEXTURE)) << "T1 has two stages";
  Pick(dialog, IDC_GRAPHIC_DEVICE, 4);
  EXPECT_FALSE(Enabled(dialog, IDC_GRAPHIC_MULTITEXTURE)) << "T2 has none";
  Click(dialog, IDOK);
  EXPECT_EQ(4, GraphicSettings.device);
}

TEST_F(GraphicDialogTest, TrackbarOffersFivePositions) {
  const int asked[] = {0, 1, 2, 3, 4, 7, -3};
  const int held[] = {0, 1, 2, 3, 4, 4, 0};
  for (size_t i = 0; i < sizeof asked / sizeof asked[0]; ++i) {
    HWND dialog = Open(R{0, 0, 0, 0, 640, 480, 16, 0, 2, 0});
    ASSERT_NE(nullptr, dialog);
    SendDlgItemMessageW(dialog, IDC_GRAPHIC_QUALITY, TBM_SETPOS, TRUE, asked[i]);
    Click(dialog, IDOK);
    EXPECT_EQ(held[i], GraphicSettings.textureQuality) << "asked " << asked[i];
  }
}

// Only a selection change acts; other notifications of the lists are ignored.
TEST_F(GraphicDialogTest, ListsIgnoreOtherNotifications) {
  HWND dialog = Open(R{0, 1, 0, 0, 640, 480, 16, 0, 2, 0});
  ASSERT_NE(nullptr, dialog);
  const WORD notifications[] = {CBN_DROPDOWN, CBN_SETFOCUS, CBN_KILLFOCUS, CBN_CLOSEUP,
                                CBN_SELENDOK};
  for (WORD notification : notifications) {
    SendDlgItemMessageW(dialog, IDC_GRAPHIC_DEVICE, CB_SETCURSEL, 1, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_GRAPHIC_DEVICE, notification),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_GRAPHIC_DEVICE)));
    EXPECT_EQ(0, CurrentDeviceRow) << notification;
    EXPECT_EQ(kHalModes, Rows(dialog, IDC_GRAPHIC_MODE)) << notification;
    SendDlgItemMessageW(dialog, IDC_GRAPHIC_MODE, CB_SETCURSEL, 3, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_GRAPHIC_MODE, notification),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_GRAPHIC_MODE)));
    EXPECT_EQ(640, GraphicSettings.width) << notification;
    SendDlgItemMessageW(dialog, IDC_GRAPHIC_MODE, CB_SETCURSEL, 0, 0);
  }
}

// A list that reports no selection (CB_ERR) must not index the catalogue, the
// mode table or the texture-depth table: its value stays as it was.
TEST_F(GraphicDialogTest, ListWithoutSelectionKeepsItsValue) {
  struct EmptyCase {
    const char* title;
    int list;
  };
  const EmptyCase cases[] = {{"device list", IDC_GRAPHIC_DEVICE},
                             {"mode list", IDC_GRAPHIC_MODE},
                             {"texture-depth list", IDC_GRAPHIC_TEXTURE_DEPTH}};
  for (const EmptyCase& c : cases) {
    HWND dialog = Open(R{2, 1, 1, 0, 1024, 768, 32, 32, 3, 1});
    ASSERT_NE(nullptr, dialog);
    Pick(dialog, c.list, -1);  // the selection change arrives with no row selected
    EXPECT_EQ(2, CurrentDeviceRow) << c.title;
    EXPECT_EQ(Fields(R{2, 1, 1, 0, 1024, 768, 32, c.list == IDC_GRAPHIC_TEXTURE_DEPTH ? 0 : 32, 3, 1}),
              Fields(GraphicSettings))
        << c.title << ": after the selection change";
    GraphicSettings.textureDepth = 32;
    SendDlgItemMessageW(dialog, c.list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    ASSERT_EQ(CB_ERR, Selected(dialog, c.list)) << c.title;
    Click(dialog, IDOK);
    EXPECT_EQ(Fields(R{2, 1, 1, 0, 1024, 768, 32, 32, 3, 1}), Fields(GraphicSettings)) << c.title;
  }
}

// The mode list belongs to the device last picked; with the device list then
// reporting no selection, OK stores that device and a mode of its own list, not
// the device the dialog opened on with a row of the wrong list.
TEST_F(GraphicDialogTest, DeviceListWithoutSelectionKeepsTheDeviceOnShow) {
  HWND dialog = Open(R{2, 1, 1, 0, 1024, 768, 32, 32, 3, 1});
  ASSERT_NE(nullptr, dialog);
  Pick(dialog, IDC_GRAPHIC_DEVICE, 1);
  ASSERT_EQ(kNoMultiModes, Rows(dialog, IDC_GRAPHIC_MODE));
  Pick(dialog, IDC_GRAPHIC_MODE, 1);
  SendDlgItemMessageW(dialog, IDC_GRAPHIC_DEVICE, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  ASSERT_EQ(CB_ERR, Selected(dialog, IDC_GRAPHIC_DEVICE));
  Click(dialog, IDOK);
  EXPECT_EQ(Fields(R{1, 0, 1, 0, 800, 600, 16, 32, 3, 1}), Fields(GraphicSettings));
}

std::wstring Status(HWND dialog) {
  wchar_t text[256] = {};
  GetDlgItemTextW(dialog, IDC_GRAPHIC_TEST_STATUS, text, 256);
  return text;
}

// Each end in the interface's language, read from its own string table (the
// English row under this Korean locale), and nothing of the record touched.
TEST_F(GraphicDialogTest, TestShowsHowItEndedInTheStatus) {
  struct Case {
    InterfaceLanguage language;
    GraphicsTestStep failAt;
    UINT message;
    std::wstring status;
  };
  const Case cases[] = {
      {InterfaceLanguage::kKorean, GraphicsTestStep::kNone, WM_KEYDOWN, L"테스트: 표시를 확인했습니다"},
      {InterfaceLanguage::kKorean, GraphicsTestStep::kNone, 0,
       L"테스트: 확인되지 않았습니다. 화면이 보이지 않았다면 다른 모드를 선택해 주세요"},
      {InterfaceLanguage::kKorean, GraphicsTestStep::kScreen, 0, L"테스트 실패: 화면 생성 (0x8876017C)"},
      {InterfaceLanguage::kEnglish, GraphicsTestStep::kScreen, 0,
       L"Test failed: creating the screen (0x8876017C)."},
  };
  const R settings = {0, 1, 0, 0, 800, 600, 16, 16, 3, 1};
  for (const Case& c : cases) {
    UseInterfaceLanguage(c.language, 0);
    UseScriptedGraphicsTest(c.failAt, c.message, VK_RETURN);
    HWND dialog = Open(settings);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(L"", Status(dialog));
    Click(dialog, IDC_GRAPHIC_TEST);
    EXPECT_TRUE(c.status == Status(dialog)) << "status " << Status(dialog).size() << " characters";
    EXPECT_TRUE(IsWindowEnabled(dialog));
    EXPECT_EQ(Fields(settings), Fields(GraphicSettings));
    EXPECT_EQ(0, machine_.LiveObjects());
  }
  UseRealGraphicsTest();
  UseInterfaceLanguage(InterfaceLanguage::kKorean, 0x0412);
}

// A status belongs to the choices it was shown for.
TEST_F(GraphicDialogTest, AnyChangeClearsTheStatus) {
  struct Change {
    const char* title;
    void (*change)(HWND dialog);
  };
  const Change changes[] = {
      {"device", [](HWND d) { Pick(d, IDC_GRAPHIC_DEVICE, 2); }},
      {"mode", [](HWND d) { Pick(d, IDC_GRAPHIC_MODE, 1); }},
      {"texture depth", [](HWND d) { Pick(d, IDC_GRAPHIC_TEXTURE_DEPTH, 2); }},
      {"multiple textures", [](HWND d) { Click(d, IDC_GRAPHIC_MULTITEXTURE); }},
      {"compressed textures", [](HWND d) { Click(d, IDC_GRAPHIC_COMPRESS); }},
      {"texture detail", [](HWND d) {
         SendDlgItemMessageW(d, IDC_GRAPHIC_QUALITY, WM_KEYDOWN, VK_RIGHT, 1);
       }},
  };
  for (const Change& c : changes) {
    HWND dialog = Open(R{0, 1, 0, 0, 640, 480, 16, 0, 2, 0});
    ASSERT_NE(nullptr, dialog);
    SetDlgItemTextW(dialog, IDC_GRAPHIC_TEST_STATUS, L"Test: shown and confirmed.");
    c.change(dialog);
    EXPECT_EQ(L"", Status(dialog)) << c.title;
  }
}

}  // namespace
