// Binding a key by pressing it: the real dialog in front with ACCELE really
// focused, over the scripted DirectInput keyboard and its kept events, tick by
// tick; the lists' own keys; the red labels of shared inputs.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <utility>
#include <vector>

#include "controls/control_settings_dialog.h"
#include "resources/resource_ids.h"
#include "tests/controls/control_dialog_support.h"

namespace {

void SetKeys(const std::vector<int>& down) {
  SetFakeKeys(down.data(), static_cast<int>(down.size()));
}

// The dialog in front, `held` down as ACCELE takes the focus from OK (BRAKE
// had it before, so what was read then is gone).
HWND OpenFocused(const std::vector<int>& held) {
  PrepareDialogTests();
  SetKeys({});
  HWND dialog = OpenControlDialog();
  ShowWindow(dialog, SW_SHOW);
  SetForegroundWindow(dialog);
  SetFocus(GetDlgItem(dialog, IDC_CONTROL_BRAKE));
  Tick(dialog);
  SetFocus(GetDlgItem(dialog, IDOK));
  SetKeys(held);
  SetFocus(GetDlgItem(dialog, IDC_CONTROL_ACCELE));
  EXPECT_EQ(dialog, GetForegroundWindow());
  return dialog;
}

// Another window of the thread, in front.
HWND TakeTheFront() {
  HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 9, 9, nullptr,
                               nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  return other;
}

// kInMenuLoop: the window menu (Alt+Space) open; kInMoveLoop: a move by keys.
enum Situation {
  kInFront, kBehindAnotherWindow, kListOpen, kControllerSelected, kInMenuLoop, kInMoveLoop };
struct KeyCase {
  const char* name;
  Situation situation;
  std::vector<int> heldAtFocus;
  std::vector<std::vector<int>> steps;  // the keys down at each tick
  std::vector<int> rows;                // ACCELE's row after each; 0: as before
};

TEST(KeyBindingTest, KeysBindByTheTable) {
  const int noRow = 0x56;  // DIK_OEM_102
  const std::vector<std::vector<int>> eAndShift = {{DIK_E}, {}, {DIK_LSHIFT}, {}};
  const KeyCase cases[] = {
      {"Tab, Enter, keypad Enter, Escape, F4, Alt+C, Alt+Shift", kInFront, {},
       {{DIK_TAB}, {DIK_RETURN}, {DIK_NUMPADENTER}, {DIK_ESCAPE}, {DIK_F4}, {DIK_LMENU},
        {DIK_LMENU, DIK_C}, {}, {DIK_RMENU}, {DIK_RMENU, DIK_LSHIFT}, {}},
       {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"Alt, Shift, right Ctrl, right Windows alone: on release", kInFront, {},
       {{DIK_LMENU}, {}, {DIK_LSHIFT}, {}, {DIK_RCONTROL}, {}, {DIK_RWIN}, {}},
       {0, 56, 56, 42, 42, 103, 103, 119}},
      {"Shift+Tab, Ctrl+C, Shift with a key of no row", kInFront, {},
       {{DIK_LSHIFT}, {DIK_LSHIFT, DIK_TAB}, {}, {DIK_LCONTROL}, {DIK_LCONTROL, DIK_C}, {},
        {DIK_LSHIFT, noRow}, {}},
       {0, 0, 0, 0, 46, 46, 46, 46}},
      {"keys on press; two in one tick: the later", kInFront, {},
       {{DIK_E}, {}, {DIK_LEFT}, {DIK_SPACE}, {DIK_NUMPAD1}, {DIK_F11}, {DIK_Z, DIK_A}},
       {18, 18, 111, 57, 79, 84, 44}},
      {"held as the focus came", kInFront, {DIK_Q, DIK_LSHIFT}, {{DIK_Q, DIK_LSHIFT}, {}, {DIK_Q}},
       {0, 0, 16}},
      {"a lone left Ctrl", kInFront, {}, {{DIK_LCONTROL}, {}}, {0, 29}},
      {"AltGr alone (left Ctrl and right Alt in one moment)", kInFront, {},
       {{DIK_LCONTROL, DIK_RMENU}, {}}, {0, 107}},
      {"right Alt+D", kInFront, {}, {{DIK_RMENU}, {DIK_RMENU, DIK_D}, {}}, {0, 0, 0}},
      {"right Windows+D", kInFront, {}, {{DIK_RWIN}, {DIK_RWIN, DIK_D}, {}}, {0, 0, 0}},
      {"another window in front", kBehindAnotherWindow, {}, eAndShift, {0, 0, 0, 0}},
      {"the list open", kListOpen, {}, eAndShift, {0, 0, 0, 0}},
      {"a controller selected", kControllerSelected, {}, eAndShift, {0, 0, 0, 0}},
      {"in the window menu", kInMenuLoop, {}, eAndShift, {0, 0, 0, 0}},
      {"in a move", kInMoveLoop, {}, eAndShift, {0, 0, 0, 0}},
  };
  // With the keyboard's event buffer, and sampled where it refuses one.
  for (HRESULT buffer : {DI_OK, DIERR_UNSUPPORTED})
  for (const KeyCase& c : cases) {
    FakeDirectInputScope fake;
    FakeKeyboard().bufferResult = buffer;
    SetNoFileSettings();
    if (c.situation == kControllerSelected) {
      AddWheel("Wheel");
      SetLoadedSettings("Wheel");
    }
    HWND dialog = OpenFocused(c.heldAtFocus);
    HWND other = nullptr;
    if (c.situation == kBehindAnotherWindow) {
      other = TakeTheFront();
      FocusList(dialog, IDC_CONTROL_ACCELE);  // still the dialog's focused control
    }
    if (c.situation == kListOpen) SendDlgItemMessageW(dialog, IDC_CONTROL_ACCELE, CB_SHOWDROPDOWN, 1, 0);
    if (c.situation >= kInMenuLoop)
      SendMessageW(dialog, c.situation == kInMenuLoop ? WM_ENTERMENULOOP : WM_ENTERSIZEMOVE, 0, 0);
    int before = Selection(dialog, IDC_CONTROL_ACCELE);
    for (size_t i = 0; i < c.steps.size(); ++i) {
      SetKeys(c.steps[i]);
      Tick(dialog);
      EXPECT_EQ(c.rows[i] != 0 ? c.rows[i] : before, Selection(dialog, IDC_CONTROL_ACCELE))
          << c.name << ", tick " << i << (buffer == DI_OK ? "" : ", sampled");
    }
    DestroyWindow(dialog);
    if (other != nullptr) DestroyWindow(other);
  }
}

struct EventCase {
  const char* name;
  std::vector<std::vector<int>> ticks;  // kept before each tick: code pressed, -code released
  std::vector<int> rows;                // ACCELE's row after each; 0: X still
  bool oneTime;                         // the events of a tick have one time stamp
  bool frontTakenAtLast;                // another window in front before the last
};

TEST(KeyBindingTest, KeptEventsBindInTheirOrder) {
  const EventCase cases[] = {
      {"a tap between two ticks", {{DIK_E, -DIK_E}}, {18}, false, false},
      {"AltGr", {{DIK_LCONTROL, DIK_RMENU}, {-DIK_LCONTROL, -DIK_RMENU}}, {0, 107}, true, false},
      {"left Ctrl, then right Alt", {{DIK_LCONTROL, DIK_RMENU}, {-DIK_RMENU, -DIK_LCONTROL}},
       {0, 0}, false, false},
      {"Windows+D", {{DIK_LWIN}, {DIK_D, -DIK_D}, {-DIK_LWIN}}, {0, 0, 0}, false, false},
      {"Windows alone, the Start menu in front as it comes up", {{DIK_LWIN}, {-DIK_LWIN}},
       {0, 118}, false, true},
  };
  for (const EventCase& c : cases) {
    FakeDirectInputScope fake;
    SetNoFileSettings();
    HWND dialog = OpenFocused({});
    HWND other = nullptr;
    DWORD time = 100;
    for (size_t i = 0; i < c.ticks.size(); ++i) {
      for (int code : c.ticks[i])
        QueueFakeKeyEvent(code > 0 ? code : -code, code > 0, time += c.oneTime ? 0 : 1);
      time += 50;
      if (c.frontTakenAtLast && i + 1 == c.ticks.size()) other = TakeTheFront();
      Tick(dialog);
      EXPECT_EQ(c.rows[i] != 0 ? c.rows[i] : 45, Selection(dialog, IDC_CONTROL_ACCELE))
          << c.name << ", tick " << i;
    }
    DestroyWindow(dialog);
    if (other != nullptr) DestroyWindow(other);
  }
}

// F4 opens ACCELE's list on E, Down moves it to R and Enter closes it, all
// between two ticks: the keys were the list's, and R stays. Keys bind again
// once it is closed.
TEST(KeyBindingTest, KeysPressedInAnOpenedListMoveInItAndNeverBind) {
  FakeDirectInputScope fake;
  SetNoFileSettings();
  HWND dialog = OpenFocused({});
  HWND list = GetDlgItem(dialog, IDC_CONTROL_ACCELE);
  SendMessageW(list, CB_SETCURSEL, 18, 0);
  const std::pair<int, WPARAM> keys[] = {{DIK_F4, VK_F4}, {DIK_DOWN, VK_DOWN}, {DIK_RETURN, VK_RETURN}};
  for (const auto& key : keys) {
    QueueFakeKeyEvent(key.first, true);  // DirectInput sees a key before the window does
    SendMessageW(list, WM_KEYDOWN, key.second, 0);
    QueueFakeKeyEvent(key.first, false);
    Sleep(3);
  }
  EXPECT_EQ(0, SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0));
  Tick(dialog);
  EXPECT_EQ(19, Selection(dialog, IDC_CONTROL_ACCELE)) << "R, as the list's keys left it";
  SetKeys({DIK_T});
  Tick(dialog);
  EXPECT_EQ(20, Selection(dialog, IDC_CONTROL_ACCELE)) << "T binds after the list closed";
  DestroyWindow(dialog);
}

// Should the menu mode start after all, it is ended instead of waiting for keys.
void CALLBACK EndAnyMenu(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }

// A lone Alt or F10 let go would put the window into its menu mode (where
// nothing binds): the list takes their system key messages, and they bind.
TEST(KeyBindingTest, ALoneAltOrF10BindsRatherThanOpeningTheMenu) {
  const struct { WPARAM virtualKey; int code, row; LPARAM down; } keys[] = {
      {VK_MENU, DIK_LMENU, 56, 0x20380001}, {VK_F10, DIK_F10, 68, 0x00440001}};
  for (const auto& key : keys) {
    FakeDirectInputScope fake;
    SetNoFileSettings();
    HWND dialog = OpenFocused({});
    HWND list = GetDlgItem(dialog, IDC_CONTROL_ACCELE);
    UINT_PTR timer = SetTimer(nullptr, 0, 100, EndAnyMenu);
    QueueFakeKeyEvent(key.code, true, 10);
    // Windows' list hands the press on to DefWindowProc, which gets the menu
    // mode ready for the release; Wine's keeps it, so it is handed on here.
    DefWindowProcW(list, WM_SYSKEYDOWN, key.virtualKey, key.down);
    SendMessageW(list, WM_SYSKEYDOWN, key.virtualKey, key.down);
    QueueFakeKeyEvent(key.code, false, 20);
    SendMessageW(list, WM_SYSKEYUP, key.virtualKey, key.down | 0xC0000000);
    KillTimer(nullptr, timer);
    DefWindowProcW(list, WM_KEYUP, VK_SHIFT, 0);  // the menu mode no longer ready
    Tick(dialog);
    EXPECT_EQ(key.row, Selection(dialog, IDC_CONTROL_ACCELE)) << key.row;
    DestroyWindow(dialog);
  }
}

// With the keyboard selected a closed list neither moves nor jumps by its own
// keys, F4 still opens it; a controller's list keeps them.
TEST(KeyBindingTest, AClosedListLeavesItsKeysToTheBindingOnlyForTheKeyboard) {
  FakeDirectInputScope fake;
  SetNoFileSettings();
  AddWheel("Wheel");
  HWND dialog = OpenFocused({});
  HWND list = GetDlgItem(dialog, IDC_CONTROL_ACCELE);
  SendMessageW(list, WM_KEYDOWN, VK_LEFT, 0);
  SendMessageW(list, WM_CHAR, L'E', 0);
  EXPECT_EQ(45, Selection(dialog, IDC_CONTROL_ACCELE));
  SendMessageW(list, WM_KEYDOWN, VK_F4, 0);
  EXPECT_NE(0, SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0)) << "F4 opens it";
  SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 1);
  SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(5, Selection(dialog, IDC_CONTROL_ACCELE)) << "a controller's list moves";
  DestroyWindow(dialog);
}

// Positions (FunctionComboIds order) whose label WM_CTLCOLORSTATIC draws in
// red; every other control is left to the default (the procedure answers 0).
std::vector<int> RedLabels(HWND dialog) {
  std::vector<int> red;
  HDC dc = GetDC(dialog);
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    SetTextColor(dc, 0);
    if (ControlSettingsDialogProc(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                  reinterpret_cast<LPARAM>(child)) == 0) continue;
    EXPECT_EQ(RGB(200, 0, 0), GetTextColor(dc));
    int next = GetDlgCtrlID(GetWindow(child, GW_HWNDNEXT));
    for (int p = 0; p < kFunctionCount; ++p) if (FunctionComboIds[p] == next) red.push_back(p);
  }
  ReleaseDC(dialog, dc);
  return red;
}

TEST(KeyBindingTest, LabelsOfSharedInputsFollowEveryChange) {
  FakeDirectInputScope fake;
  AddWheel("Wheel");
  SetLoadedSettings("\x83\x4C\x81\x5B\x83\x7B\x81\x5B\x83\x68");  // キーボード
  ControlSettings.left.input = ControlSettings.viewUp = 30;       // A twice
  ControlSettings.sideBrake = 46;                                 // C
  HWND dialog = OpenFocused({});
  EXPECT_EQ(std::vector<int>({0, 8}), RedLabels(dialog)) << "loaded";
  SetKeys({DIK_C});
  Tick(dialog);
  EXPECT_EQ(std::vector<int>({0, 2, 6, 8}), RedLabels(dialog)) << "C pressed, SIDEBRAKE's";
  ChooseListRow(dialog, IDC_CONTROL_LEFT, 111);
  EXPECT_EQ(std::vector<int>({2, 6}), RedLabels(dialog)) << "LEFT picked";
  ChooseListRow(dialog, IDC_CONTROL_DEVICE, 1);
  EXPECT_EQ(std::vector<int>(), RedLabels(dialog)) << "the wheel's preset";
  ChooseListRow(dialog, IDC_CONTROL_BRAKE, 6);
  EXPECT_EQ(std::vector<int>({2, 3}), RedLabels(dialog)) << "whole Y, ACCELE on its half";
  DestroyWindow(dialog);
}

}  // namespace
