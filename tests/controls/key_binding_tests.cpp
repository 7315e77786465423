// Binding a key by pressing it: the control dialog from the real template over
// the scripted DirectInput keyboard, shown in the foreground with a function
// list really focused, tick by tick; the lists' own keys while the keyboard is
// selected; and the red labels of shared inputs.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "controls/control_settings_dialog.h"
#include "resources/resource_ids.h"
#include "tests/controls/control_dialog_support.h"

namespace {

// ACCELE shows "X" (row 45) from the keyboard preset.
constexpr int kUntouched = 45;
constexpr int kNoRowKey = 0x56;  // DIK_OEM_102: no row of the key table

void SetKeys(const std::vector<int>& down) {
  std::memset(FakeKeyboard().keys, 0, sizeof FakeKeyboard().keys);
  for (int code : down) FakeKeyboard().keys[code] = 0x80;
}

class KeyBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareDialogTests();
    SetNoFileSettings();
  }
  void TearDown() override {
    if (dialog_ != nullptr) DestroyWindow(dialog_);
    if (other_ != nullptr) DestroyWindow(other_);
  }
  // The dialog shown in the foreground, `held` down as ACCELE takes the focus
  // from OK (a list had it before: what was read then is gone).
  HWND OpenFocused(const std::vector<int>& held) {
    SetKeys({});
    dialog_ = OpenControlDialog();
    ShowWindow(dialog_, SW_SHOW);
    SetForegroundWindow(dialog_);
    SetFocus(GetDlgItem(dialog_, IDC_CONTROL_BRAKE));
    Tick(dialog_);
    SetFocus(GetDlgItem(dialog_, IDOK));
    SetKeys(held);
    SetFocus(GetDlgItem(dialog_, IDC_CONTROL_ACCELE));
    EXPECT_EQ(dialog_, GetForegroundWindow());
    EXPECT_EQ(IDC_CONTROL_ACCELE, DetectionTarget);
    return dialog_;
  }
  FakeDirectInputScope fake_;
  HWND dialog_ = nullptr;
  HWND other_ = nullptr;
};

struct KeyStep {
  std::vector<int> down;  // every key down at this tick
  int expected;           // ACCELE's row after it
};
struct KeyCase {
  const char* name;
  std::vector<int> heldAtFocus;
  std::vector<KeyStep> steps;
};

TEST_F(KeyBindingTest, KeysBindByTheTable) {
  const KeyCase cases[] = {
      {"Tab, both Enters, Escape", {},
       {{{DIK_TAB}, kUntouched}, {{}, kUntouched}, {{DIK_RETURN}, kUntouched}, {{}, kUntouched},
        {{DIK_NUMPADENTER}, kUntouched}, {{}, kUntouched}, {{DIK_ESCAPE}, kUntouched}}},
      {"F4", {}, {{{DIK_F4}, kUntouched}, {{}, kUntouched}}},
      {"Alt+C: neither binds", {},
       {{{DIK_LMENU}, kUntouched}, {{DIK_LMENU, DIK_C}, kUntouched}, {{DIK_LMENU}, kUntouched},
        {{}, kUntouched}}},
      {"Alt+Shift: neither binds", {},
       {{{DIK_RMENU}, kUntouched}, {{DIK_RMENU, DIK_LSHIFT}, kUntouched}, {{DIK_RMENU}, kUntouched},
        {{}, kUntouched}}},
      {"Alt alone, on release", {}, {{{DIK_LMENU}, kUntouched}, {{}, 56}}},
      {"Shift alone, on release", {}, {{{DIK_LSHIFT}, kUntouched}, {{}, 42}}},
      {"right Ctrl alone", {}, {{{DIK_RCONTROL}, kUntouched}, {{}, 103}}},
      {"right Windows alone", {}, {{{DIK_RWIN}, kUntouched}, {{}, 119}}},
      {"Shift+Tab never binds Shift", {},
       {{{DIK_LSHIFT}, kUntouched}, {{DIK_LSHIFT, DIK_TAB}, kUntouched}, {{DIK_LSHIFT}, kUntouched},
        {{}, kUntouched}}},
      {"Ctrl+C binds C, not Ctrl", {},
       {{{DIK_LCONTROL}, kUntouched}, {{DIK_LCONTROL, DIK_C}, 46}, {{}, 46}}},
      {"keys on press: E, Left, Space, keypad 1, F11", {},
       {{{DIK_E}, 18}, {{}, 18}, {{DIK_LEFT}, 111}, {{DIK_SPACE}, 57}, {{DIK_NUMPAD1}, 79},
        {{DIK_F11}, 84}}},
      {"a key with no row, alone and with Shift", {},
       {{{kNoRowKey}, kUntouched}, {{}, kUntouched}, {{DIK_LSHIFT}, kUntouched},
        {{DIK_LSHIFT, kNoRowKey}, kUntouched}, {{}, kUntouched}}},
      {"two keys in one tick: the lower row", {}, {{{DIK_Z, DIK_A}, 30}}},
      {"a key held when the focus came", {DIK_Q},
       {{{DIK_Q}, kUntouched}, {{}, kUntouched}, {{DIK_Q}, 16}}},
      {"Shift held when the focus came", {DIK_LSHIFT},
       {{{}, kUntouched}, {{DIK_LSHIFT}, kUntouched}, {{}, 42}}},
  };
  for (const KeyCase& c : cases) {
    HWND dialog = OpenFocused(c.heldAtFocus);
    int step = 0;
    for (const KeyStep& s : c.steps) {
      SetKeys(s.down);
      Tick(dialog);
      EXPECT_EQ(s.expected, Selection(dialog, IDC_CONTROL_ACCELE)) << c.name << ", step " << step;
      ++step;
    }
    EXPECT_EQ(44, Selection(dialog, IDC_CONTROL_BRAKE)) << c.name << ": only the focused list";
    DestroyWindow(dialog);
    dialog_ = nullptr;
  }
}

// Keys pressed while the dialog is not in front, or into the open list, are
// not meant for the binding; a controller's lists take no keys at all.
TEST_F(KeyBindingTest, NothingBindsInTheBackgroundInAnOpenListOrOnAController) {
  HWND dialog = OpenFocused({});
  other_ = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                           nullptr, nullptr, nullptr);
  SetForegroundWindow(other_);
  ASSERT_EQ(other_, GetForegroundWindow());
  // The list still has the dialog's focus, as when another program is in front.
  FocusList(dialog, IDC_CONTROL_ACCELE);
  SetKeys({DIK_E});
  Tick(dialog);
  EXPECT_EQ(kUntouched, Selection(dialog, IDC_CONTROL_ACCELE)) << "in the background";
  SetForegroundWindow(dialog);
  Tick(dialog);
  EXPECT_EQ(kUntouched, Selection(dialog, IDC_CONTROL_ACCELE)) << "E still held from then";
  SetKeys({});
  Tick(dialog);
  SetKeys({DIK_E});
  Tick(dialog);
  EXPECT_EQ(18, Selection(dialog, IDC_CONTROL_ACCELE)) << "pressed again in front";

  HWND list = GetDlgItem(dialog, IDC_CONTROL_ACCELE);
  SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
  SetKeys({DIK_Z});
  Tick(dialog);
  EXPECT_EQ(18, Selection(dialog, IDC_CONTROL_ACCELE)) << "in the open list";
  SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
  Tick(dialog);
  EXPECT_EQ(18, Selection(dialog, IDC_CONTROL_ACCELE)) << "Z held from the open list";
  DestroyWindow(dialog);

  SetKeys({});
  AddWheel("Wheel");
  SetLoadedSettings("Wheel");
  dialog_ = dialog = OpenFocused({});
  ASSERT_EQ(1, SelectedDeviceRow);
  int before = Selection(dialog, IDC_CONTROL_ACCELE);
  SetKeys({DIK_E});
  Tick(dialog);
  SetKeys({DIK_LSHIFT});
  Tick(dialog);
  SetKeys({});
  Tick(dialog);
  EXPECT_EQ(before, Selection(dialog, IDC_CONTROL_ACCELE)) << "a controller selected";
}

// The list's own keys: with the keyboard selected a closed list neither moves
// nor jumps by type-ahead, F4 still opens it; a controller's list keeps them.
TEST_F(KeyBindingTest, AClosedListLeavesItsKeysToTheBindingOnlyForTheKeyboard) {
  AddWheel("Wheel");
  HWND dialog = OpenFocused({});
  HWND list = GetDlgItem(dialog, IDC_CONTROL_ACCELE);
  SendMessageW(list, WM_KEYDOWN, VK_LEFT, 0);
  SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageW(list, WM_CHAR, L'E', 0);
  EXPECT_EQ(kUntouched, Selection(dialog, IDC_CONTROL_ACCELE));
  SendMessageW(list, WM_KEYDOWN, VK_F4, 0);
  EXPECT_NE(0, SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0)) << "F4 opens it";
  SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(kUntouched + 1, Selection(dialog, IDC_CONTROL_ACCELE)) << "the open list's own key";
  SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);

  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 1);
  int before = Selection(dialog, IDC_CONTROL_ACCELE);
  SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(before + 1, Selection(dialog, IDC_CONTROL_ACCELE)) << "a controller's list";
}

// The text colour WM_CTLCOLORSTATIC gives label `id`'s label (the control
// before the list), or 0 when the dialog leaves it to the default.
COLORREF LabelColour(HWND dialog, int listId) {
  HWND label = GetWindow(GetDlgItem(dialog, listId), GW_HWNDPREV);
  HDC dc = GetDC(label);
  SetTextColor(dc, RGB(1, 2, 3));
  INT_PTR brush = ControlSettingsDialogProc(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                            reinterpret_cast<LPARAM>(label));
  COLORREF colour = GetTextColor(dc);
  ReleaseDC(label, dc);
  if (brush == 0) return 0;
  return colour;
}

// Which functions' labels are red, in FunctionComboIds order.
std::vector<bool> RedLabels(HWND dialog) {
  std::vector<bool> red;
  for (int id : FunctionComboIds) red.push_back(LabelColour(dialog, id) == RGB(200, 0, 0));
  return red;
}

TEST_F(KeyBindingTest, LabelsOfSharedInputsFollowEveryChange) {
  const std::vector<bool> none(kFunctionCount, false);
  auto only = [](std::initializer_list<int> positions) {
    std::vector<bool> red(kFunctionCount, false);
    for (int p : positions) red[p] = true;
    return red;
  };
  AddWheel("Wheel");
  SetLoadedSettings("\x83\x4C\x81\x5B\x83\x7B\x81\x5B\x83\x68");  // キーボード
  ControlSettings.left.input = 30;  // A, as VIEWUP
  ControlSettings.viewUp = 30;
  HWND dialog = OpenFocused({});
  EXPECT_EQ(only({0, 8}), RedLabels(dialog)) << "loaded";
  // Every other control keeps the default colours.
  HDC dc = GetDC(dialog);
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    bool sharedLabel = child == GetWindow(GetDlgItem(dialog, IDC_CONTROL_LEFT), GW_HWNDPREV) ||
                       child == GetWindow(GetDlgItem(dialog, IDC_CONTROL_VIEWUP), GW_HWNDPREV);
    if (sharedLabel) continue;
    EXPECT_EQ(0, ControlSettingsDialogProc(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(child)))
        << GetDlgCtrlID(child);
  }
  ReleaseDC(dialog, dc);

  ClickButton(dialog, IDC_CONTROL_RESET);
  EXPECT_EQ(none, RedLabels(dialog)) << "reset";
  SetKeys({DIK_Z});
  Tick(dialog);
  EXPECT_EQ(only({2, 3}), RedLabels(dialog)) << "Z pressed for ACCELE";
  ChooseListRow(dialog, IDC_CONTROL_BRAKE, 46);
  EXPECT_EQ(only({3, 6}), RedLabels(dialog)) << "BRAKE picked as C, SIDEBRAKE's";
  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 1);
  EXPECT_EQ(none, RedLabels(dialog)) << "the wheel's preset";
  ChooseListRow(dialog, IDC_CONTROL_BRAKE, 6);  // whole Y, ACCELE on its up half
  EXPECT_EQ(only({2, 3}), RedLabels(dialog)) << "a whole axis and its half";
}

}  // namespace
