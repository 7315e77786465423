// Drives the real launcher dialog, from the real template, through its modal loop
// the way a player does: clicks, the close box and the Escape key.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "launcher/launcher.h"
#include "program/program_instance.h"
#include "resources/resource_ids.h"

namespace {

enum class Step {
  ClickGraphics, CancelGraphics, ClickControls, CancelControls, ClickQuit, CloseBox, EscapeKey,
  ExpectOpen
};

struct Script {
  std::vector<Step> steps;
  size_t next = 0;
  int ticks = 0;
  bool stillOpenWhenExpected = true;
  std::string caption;
  std::wstring texts;  // the texts of the buttons and the label, as shown
};

Script* running = nullptr;

BOOL CALLBACK FindOwnDialog(HWND window, LPARAM found) {
  char className[16] = {};
  GetClassNameA(window, className, sizeof(className));
  if (std::string(className) == "#32770" && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

struct CaptionSearch {
  const wchar_t* caption;
  HWND found;
};

BOOL CALLBACK FindCaptionedDialog(HWND window, LPARAM search) {
  CaptionSearch& wanted = *reinterpret_cast<CaptionSearch*>(search);
  wchar_t caption[32] = {};
  GetWindowTextW(window, caption, 32);
  if (std::wstring(caption) == wanted.caption && IsWindowVisible(window)) {
    wanted.found = window;
    return FALSE;
  }
  return TRUE;
}

// A settings run shows its dialog over the launcher once it has listed its
// devices, which may take more than one tick; its Cancel brings the launcher
// back. Until the dialog is there, the step is played again on the next tick.
void CancelSettingsDialog(const wchar_t* caption) {
  CaptionSearch search = {caption, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindCaptionedDialog, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) {
    --running->next;
    return;
  }
  SendDlgItemMessageW(search.found, IDCANCEL, BM_CLICK, 0, 0);
}

// Only this thread's windows: other tests may show a launcher on the same display.
HWND OwnDialog() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindOwnDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

void CALLBACK PlayNextStep(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = OwnDialog();
  if (dialog == nullptr) return;
  if (++running->ticks > 200) {  // a dialog that ignores the player must not hang the test
    EndDialog(dialog, 99);
    return;
  }
  if (running->caption.empty()) {
    char caption[64] = {};
    GetWindowTextA(dialog, caption, sizeof(caption));
    running->caption = caption;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t text[64] = {};
      GetWindowTextW(child, text, 64);
      running->texts += text;
      running->texts += L'|';
    }
  }
  if (running->next >= running->steps.size()) return;
  switch (running->steps[running->next++]) {
    case Step::ClickGraphics:
      SendDlgItemMessageA(dialog, IDC_LAUNCHER_GRAPHICS, BM_CLICK, 0, 0);
      return;
    case Step::ClickControls:
      SendDlgItemMessageA(dialog, IDC_LAUNCHER_CONTROLS, BM_CLICK, 0, 0);
      return;
    case Step::ClickQuit:
      SendDlgItemMessageA(dialog, IDCANCEL, BM_CLICK, 0, 0);
      return;
    case Step::CloseBox:
      PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
      return;
    case Step::EscapeKey: {
      HWND focus = GetFocus();
      PostMessageA(focus != nullptr ? focus : dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
      PostMessageA(focus != nullptr ? focus : dialog, WM_KEYUP, VK_ESCAPE, 0xC0010001);
      return;
    }
    case Step::CancelGraphics:
      CancelSettingsDialog(L"Velmora Graphic Setting");
      return;
    case Step::CancelControls:
      CancelSettingsDialog(L"Velmora Key Setting");
      return;
    case Step::ExpectOpen:
      if (!IsWindow(dialog) || !IsWindowVisible(dialog)) running->stillOpenWhenExpected = false;
      return;
  }
}

INT_PTR RunLauncherScript(Script& script) {
  running = &script;
  UINT_PTR timer = SetTimer(nullptr, 0, 20, PlayNextStep);
  INT_PTR result = ShowLauncher(GetModuleHandleA(nullptr));
  KillTimer(nullptr, timer);
  running = nullptr;
  return result;
}

struct LauncherCase {
  const char* name;
  std::vector<Step> steps;
};

TEST(LauncherDialogTest, EveryWayOfClosingEndsWithResultZero) {
  RegisterDialogControlClasses();
  ProgramInstance = GetModuleHandleA(nullptr);
  const LauncherCase cases[] = {
      {"quit button", {Step::ClickQuit}},
      {"close box", {Step::CloseBox}},
      {"Escape key", {Step::EscapeKey}},
      // Each settings button runs its dialog over the launcher and comes back to it.
      {"settings buttons, then quit",
       {Step::ClickGraphics, Step::CancelGraphics, Step::ExpectOpen, Step::ClickControls,
        Step::CancelControls, Step::ExpectOpen, Step::ClickQuit}},
  };
  for (const LauncherCase& c : cases) {
    Script script;
    script.steps = c.steps;
    INT_PTR result = RunLauncherScript(script);
    EXPECT_EQ(0, result) << c.name << " (99 means the dialog never closed)";
    EXPECT_EQ(script.steps.size(), script.next) << c.name << ": steps left unplayed";
    EXPECT_TRUE(script.stillOpenWhenExpected) << c.name;
    EXPECT_EQ("Velmora Config", script.caption) << c.name;
    // Whatever the system code page (the tests run without a Korean locale),
    // the Hangul must reach the controls intact, not as question marks.
    EXPECT_TRUE(script.texts ==
                L"그래픽 설정|컨트롤 설정|종료|설정하고 싶은 버튼을 눌러 주세요|")
        << c.name << ": the texts shown differ from the template's";
  }
}

}  // namespace
