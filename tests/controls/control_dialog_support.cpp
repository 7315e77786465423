#include "tests/controls/control_dialog_support.h"

#include <cstring>
#include <map>
#include <memory>

#include "controls/control_settings_dialog.h"
#include "controls/control_settings_file.h"
#include "program/cp932_text.h"
#include "program/program_instance.h"
#include "resources/resource_ids.h"

void PrepareDialogTests() {
  ProgramInstance = GetModuleHandleW(nullptr);
  RegisterDialogControlClasses();
}

DWORD JoystickDevType(int subtype) {
  return DIDEVTYPE_JOYSTICK | (static_cast<DWORD>(subtype) << 8);
}

FakeJoystick& AddWheel(const char* name) {
  FakeJoystick& wheel = AddFakeJoystick(name);
  wheel.devType = JoystickDevType(DIDEVTYPEJOYSTICK_WHEEL);
  wheel.capsFlags |= DIDC_FORCEFEEDBACK;
  wheel.buttons = 12;
  SetAxes(wheel, {0, 4, 8, 12, 16, 20, 24, 28});
  return wheel;
}

FakeJoystick& AddGamepad(const char* name) {
  FakeJoystick& pad = AddFakeJoystick(name);
  pad.devType = JoystickDevType(DIDEVTYPEJOYSTICK_GAMEPAD);
  pad.buttons = 10;
  SetAxes(pad, {0, 4});
  return pad;
}

void SetNoFileSettings() {
  std::memset(&ControlSettings, 0, sizeof ControlSettings);
  ControlSettings.version = 1;
  ControlSettings.left = {0, 0, 0, -1000};
  ControlSettings.right = {0, 0, 0, 1000};
  ControlSettings.accele = {0, 0, 0, -1000};
  ControlSettings.brake = {0, 0, 0, 1000};
  ControlSettingsLoaded = 0;
}

void SetLoadedSettings(const char* device) {
  std::memset(&ControlSettings, 0, sizeof ControlSettings);
  ControlSettings.version = 1;
  std::strncpy(ControlSettings.device, device, sizeof ControlSettings.device - 1);
  ControlSettingsLoaded = 1;
}

HWND OpenControlDialog() {
  return CreateDialogParamW(ProgramInstance, MAKEINTRESOURCEW(IDD_CONTROL_SETTINGS), nullptr,
                            ControlSettingsDialogProc, 0);
}

void ChooseListRow(HWND dialog, int id, int row) {
  SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void FocusList(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SETFOCUS),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void LeaveList(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_KILLFOCUS),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void ClickButton(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Tick(HWND dialog) { SendMessageW(dialog, WM_TIMER, kControlTimerId, 0); }

std::wstring WideText(const char* cp932) {
  wchar_t text[512];
  WideFromCp932(cp932, text, 512);
  return text;
}

std::wstring ListRowText(HWND dialog, int id, int row) {
  LRESULT length = SendDlgItemMessageW(dialog, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(row), 0);
  if (length == CB_ERR) return L"<no row>";
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(row),
                      reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(length));
  return text;
}

std::wstring SelectedText(HWND dialog, int id) {
  int row = Selection(dialog, id);
  return row < 0 ? L"<none>" : ListRowText(dialog, id, row);
}

int Selection(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

int RowCount(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0));
}

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

bool Checked(HWND dialog, int id) {
  return SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

namespace {

struct FindByCaption {
  const wchar_t* caption;
  HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM context) {
  FindByCaption& search = *reinterpret_cast<FindByCaption*>(context);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  wchar_t text[128] = {};
  GetWindowTextW(window, text, 128);
  if (std::wstring(className) == L"#32770" && IsWindowVisible(window) &&
      std::wstring(text) == search.caption) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK EndEveryDialog(HWND window, LPARAM) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (std::wstring(className) == L"#32770") EndDialog(window, 99);
  return TRUE;
}

struct ModalRun {
  std::vector<ModalStep> steps;
  size_t next = 0;
  int idleTicks = 0;
};
ModalRun* modalRun = nullptr;

void CALLBACK PlayModalStep(HWND, UINT, UINT_PTR, DWORD) {
  ModalRun& run = *modalRun;
  if (run.next >= run.steps.size()) {
    if (++run.idleTicks > 400) EnumThreadWindows(GetCurrentThreadId(), EndEveryDialog, 0);
    return;
  }
  // The index moves on before the step runs: a step that opens a nested modal
  // loop (a click on a calibrate button) lets that loop play the next steps.
  size_t index = run.next++;
  bool done = run.steps[index]();
  if (!done && run.next == index + 1) run.next = index;  // try again next tick
}

std::map<HWND, int>* timerCounts = nullptr;
HHOOK counterHook = nullptr;

LRESULT CALLBACK CountTimerMessages(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && wParam == PM_REMOVE) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (message->message == WM_TIMER && message->hwnd != nullptr && timerCounts != nullptr) {
      ++(*timerCounts)[message->hwnd];
    }
  }
  return CallNextHookEx(counterHook, code, wParam, lParam);
}

}  // namespace

HWND FindOwnDialog(const wchar_t* caption) {
  FindByCaption search = {caption, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), MatchCaption, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

INT_PTR RunModal(const std::function<INT_PTR()>& open, std::vector<ModalStep> steps) {
  ModalRun run;
  run.steps = std::move(steps);
  ModalRun* saved = modalRun;
  modalRun = &run;
  UINT_PTR timer = SetTimer(nullptr, 0, 15, PlayModalStep);
  INT_PTR result = open();
  KillTimer(nullptr, timer);
  modalRun = saved;
  return result;
}

ModalStep WaitTicks(int ticks) {
  auto left = std::make_shared<int>(ticks);
  return [left]() { return --*left <= 0; };
}

TimerMessageCounter::TimerMessageCounter() {
  timerCounts = new std::map<HWND, int>();
  counterHook = SetWindowsHookExW(WH_GETMESSAGE, CountTimerMessages, nullptr, GetCurrentThreadId());
  hook_ = counterHook;
}

TimerMessageCounter::~TimerMessageCounter() {
  UnhookWindowsHookEx(hook_);
  counterHook = nullptr;
  delete timerCounts;
  timerCounts = nullptr;
}

int TimerMessageCounter::CountFor(HWND window) const {
  auto found = timerCounts->find(window);
  return found == timerCounts->end() ? 0 : found->second;
}

void TimerMessageCounter::Clear() { timerCounts->clear(); }
