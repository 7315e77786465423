#include "controls/input_test_window.h"

#include <dbt.h>

#include <cstring>

#include "controls/force_check.h"
#include "controls/input_manager.h"
#include "program/cp932_text.h"
#include "program/dialog_font.h"
#include "program/interface_language.h"
#include "program/program_instance.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kHatCount = 4;
constexpr int kNoteSize = 256;
constexpr int kStatusSize = 512;
constexpr int kLabelSize = 64;
// The most controls one tick can change: ten values and labels, four function
// bars, eight axis values and bars, four hats, 32 button boxes, two texts.
constexpr int kMaxChangedControls = 96;
// The window's control ids that are looked up by their handles once.
constexpr int kFirstItemId = IDC_INPUT_TEST_FUNCTION_VALUE;
constexpr int kLastItemId = IDC_INPUT_TEST_BUTTONS_LABEL;
constexpr UINT kDeviceChangeDelayMilliseconds = 500;
// A lit function's label: not the red of shared inputs in the control settings.
constexpr COLORREF kLitLabelColour = RGB(0, 0, 200);
constexpr COLORREF kBarColour = RGB(0, 120, 215);
// What no shown value can be: every control is set by the first tick.
constexpr int32_t kNotShown = INT32_MIN;

// The one test window's state, from WM_INITDIALOG to WM_DESTROY.
struct TestWindowState {
  HWND window;
  InputTestSetup setup;
  bool keyboard;            // the keyboard is tested, not a controller
  int32_t joystick;         // the controller's index in the manager, or -1
  int32_t axisMask;         // the axes shown
  int32_t hats;             // the hats shown, 0..4
  int32_t buttons;          // the button boxes shown, 0..32
  bool triggersNote;        // the accelerator and the brake share one axis
  bool connected;           // the controller's last read succeeded
  UINT_PTR timer;
  // What each control shows now; only a change is written.
  int32_t functionShown[kFunctionCount];   // percent, or 1000 + ON/OFF
  int32_t axisShown[kJoystickAxisCount];
  int32_t hatShown[kHatCount];
  uint32_t buttonsShown;                   // bit i: button i down
  int32_t notesShown;                      // bit 0 triggers, bit 1 not connected
  WNDPROC focusProcedure;                  // the key-taking control's own
  // The force-feedback test: its state while a force plays, the button's
  // label from the template (it reads "Stop" meanwhile), and whether the
  // window was ever active (losing that stops the test).
  ForceFeedbackTest forceFeedback;
  bool forceFeedbackPlaying;
  wchar_t forceFeedbackLabel[kLabelSize];
  bool wasActive;
  // While a tick shows its values: the controls it changed, drawn together
  // once it is done rather than each as it changes.
  bool gathering;
  HWND changed[kMaxChangedControls];
  int changedCount;
  // The controls' handles by id, as found the first time (a lookup by id asks
  // the Wine server each time).
  HWND items[kLastItemId - kFirstItemId + 1];
};
TestWindowState state;

HWND Item(int id) {
  if (id < kFirstItemId || id > kLastItemId) return GetDlgItem(state.window, id);
  HWND& item = state.items[id - kFirstItemId];
  if (item == nullptr) item = GetDlgItem(state.window, id);
  return item;
}

// A control to be drawn once the tick is done; outside a tick (or past the
// list's end) it is invalidated as ever.
void DrawLater(HWND control) {
  for (int i = 0; i < state.changedCount; ++i) {
    if (state.changed[i] == control) return;
  }
  if (state.gathering && state.changedCount < kMaxChangedControls) {
    state.changed[state.changedCount++] = control;
  } else {
    InvalidateRect(control, nullptr, FALSE);
  }
}

void SetText(int id, const wchar_t* text) {
  HWND control = Item(id);
  if (!state.gathering) {
    SetWindowTextW(control, text);
    return;
  }
  // A static draws itself at once when its text is set: under Wine each one
  // takes a device context of its own. Its text is set without that, and it
  // is drawn with the tick's other changes.
  DefWindowProcW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  DrawLater(control);
}

void ShowItem(int id, bool shown) {
  HWND item = Item(id);
  if (((GetWindowLongW(item, GWL_STYLE) & WS_VISIBLE) != 0) == shown) return;
  ShowWindow(item, shown ? SW_SHOWNA : SW_HIDE);
}

void Redraw(int id) { DrawLater(Item(id)); }

BOOL OnDrawItem(const DRAWITEMSTRUCT& item);
INT_PTR OnStaticColour(HDC dc, HWND control);

// A text static drawn as it draws itself: its background and colours as this
// window answers WM_CTLCOLORSTATIC (asked directly: the message costs more
// than the drawing), else as the system's default does; its alignment. Drawn
// text is clipped to its rectangle, as the control clips it.
void DrawStaticText(HDC dc, HWND control, LONG style, const RECT& place) {
  HBRUSH brush = reinterpret_cast<HBRUSH>(OnStaticColour(dc, control));
  if (brush == nullptr) {
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_3DFACE));
    brush = GetSysColorBrush(COLOR_3DFACE);
  }
  SetBkMode(dc, OPAQUE);
  FillRect(dc, &place, brush);
  if (!IsWindowEnabled(control)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  UINT format = DT_EXPANDTABS | DT_WORDBREAK;
  switch (style & SS_TYPEMASK) {
    case SS_CENTER: format |= DT_CENTER; break;
    case SS_RIGHT: format |= DT_RIGHT; break;
    default: format |= DT_LEFT; break;
  }
  if ((style & SS_NOPREFIX) != 0) format |= DT_NOPREFIX;
  wchar_t text[2 * kNoteSize + 2];
  int length = GetWindowTextW(control, text, 2 * kNoteSize + 2);
  if (length == 0) return;
  RECT r = place;
  DrawTextW(dc, text, length, &r, format);
}

// Draws the controls the tick changed through one device context of the
// window (the window's own, which children do not clip), each in its place
// as it draws itself: under Wine every device context a control takes for
// itself costs more than all the drawing.
void DrawChanged() {
  state.gathering = false;
  int count = state.changedCount;
  state.changedCount = 0;
  if (count == 0) return;
  HDC dc = GetDCEx(state.window, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
  for (int i = 0; i < count; ++i) {
    HWND control = state.changed[i];
    if (dc == nullptr) {
      InvalidateRect(control, nullptr, FALSE);
      continue;
    }
    if (!IsWindowVisible(control)) continue;
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, state.window, reinterpret_cast<POINT*>(&place), 2);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (font != nullptr && font != GetCurrentObject(dc, OBJ_FONT)) SelectObject(dc, font);
    LONG style = GetWindowLongW(control, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_OWNERDRAW) {
      DRAWITEMSTRUCT item = {};
      item.CtlType = ODT_STATIC;
      item.CtlID = static_cast<UINT>(GetDlgCtrlID(control));
      item.itemAction = ODA_DRAWENTIRE;
      item.itemState = IsWindowEnabled(control) ? 0 : ODS_DISABLED;
      item.hwndItem = control;
      item.hDC = dc;
      item.rcItem = place;
      OnDrawItem(item);
    } else {
      DrawStaticText(dc, control, style, place);
    }
  }
  if (dc != nullptr) ReleaseDC(state.window, dc);
}

// The input's name as its list shows it: ASCII for keys, the game's code page
// 932 texts for a controller's inputs in the Korean interface.
void ShowInputName(int id, const InputTableRow* table, int32_t row) {
  const char* name = ShownInputName(table, row);
  wchar_t shown[MAX_PATH] = L"";
  if (name != nullptr) {
    if (ShownInputNamesAreGameText(table)) {
      WideFromCp932(name, shown, MAX_PATH);
    } else {
      MultiByteToWideChar(CP_ACP, 0, name, -1, shown, MAX_PATH);
    }
  }
  SetText(id, shown);
}

// A function's mode: steering (LEFT and RIGHT) follows the steering's list.
int32_t FunctionMode(int function) {
  switch (function) {
    case kLeftFunction:
    case kRightFunction:
      return state.setup.modes[0];
    case kAcceleFunction:
      return state.setup.modes[1];
    case kBrakeFunction:
      return state.setup.modes[2];
    default:
      return 0;
  }
}

void ReadController(ControllerReading& reading) {
  const DIJOYSTATE& joy = state.setup.manager->joystickStates[state.joystick];
  for (int a = 0; a < kJoystickAxisCount; ++a) reading.axes[a] = JoystickAxisValue(joy, a);
  std::memcpy(reading.buttons, joy.rgbButtons, sizeof reading.buttons);
}

void ShowFunction(int k, const FunctionValue& value) {
  int32_t shown = value.percent ? value.value : 1000 + value.value;
  if (state.functionShown[k] == shown) return;
  bool wasLit = state.functionShown[k] != kNotShown && state.functionShown[k] != 0 &&
                state.functionShown[k] != 1000;
  state.functionShown[k] = shown;
  wchar_t text[16];
  if (value.percent) {
    wsprintfW(text, L"%d%%", value.value);
  } else {
    lstrcpyW(text, value.value != 0 ? L"ON" : L"OFF");
  }
  SetText(IDC_INPUT_TEST_FUNCTION_VALUE + k, text);
  if (k < kAnalogFunctionCount) {
    ShowItem(IDC_INPUT_TEST_FUNCTION_BAR + k, value.percent);
    Redraw(IDC_INPUT_TEST_FUNCTION_BAR + k);
  }
  bool lit = shown != 0 && shown != 1000;
  if (lit != wasLit) DrawLater(Item(IDC_INPUT_TEST_FUNCTION_LABEL + k));
}

void ShowAxis(int a, int32_t value) {
  if (state.axisShown[a] == value) return;
  state.axisShown[a] = value;
  wchar_t text[16];
  wsprintfW(text, value > 0 ? L"+%d" : L"%d", value);
  SetText(IDC_INPUT_TEST_AXIS_VALUE + a, text);
  Redraw(IDC_INPUT_TEST_AXIS_BAR + a);
}

void ShowHat(int p, DWORD value) {
  // Centred: the low word all ones (some drivers give only that).
  int32_t shown = LOWORD(value) == 0xFFFF ? -1 : static_cast<int32_t>(value / 100);
  if (state.hatShown[p] == shown) return;
  state.hatShown[p] = shown;
  wchar_t text[16];
  if (shown < 0) {
    lstrcpyW(text, L"-");
  } else {
    wsprintfW(text, L"%d\u00B0", shown);
  }
  SetText(IDC_INPUT_TEST_POV_VALUE + p, text);
}

void ShowButtons(uint32_t down) {
  if (state.buttonsShown == down) return;
  uint32_t changed = state.buttonsShown ^ down;
  state.buttonsShown = down;
  wchar_t text[kJoystickButtonRows * 4 + 1] = L"";
  int length = 0;
  for (int i = 0; i < state.buttons; ++i) {
    if ((changed >> i) & 1u) Redraw(IDC_INPUT_TEST_BUTTON_BOX + i);
    if (((down >> i) & 1u) == 0) continue;
    length += wsprintfW(text + length, length == 0 ? L"%d" : L", %d", i + 1);
  }
  SetText(IDC_INPUT_TEST_BUTTONS_DOWN, length == 0 ? L"-" : text);
}

void ShowNotes() {
  int32_t notes = (state.triggersNote ? 1 : 0) | (state.connected ? 0 : 2);
  if (state.notesShown == notes) return;
  state.notesShown = notes;
  wchar_t text[2 * kNoteSize + 2] = L"";
  if (notes & 1) LoadInterfaceString(ProgramInstance, IDS_INPUT_TEST_TRIGGERS_NOTE, text, kNoteSize);
  if (notes & 2) {
    if (text[0] != L'\0') lstrcatW(text, L"\r\n");
    int at = lstrlenW(text);
    LoadInterfaceString(ProgramInstance, IDS_INPUT_TEST_NOT_CONNECTED_NOTE, text + at, kNoteSize);
  }
  SetText(IDC_INPUT_TEST_NOTES, text);
}

// ---- The force-feedback test ----------------------------------------------

// Offered for an attached controller whose capabilities carry force feedback,
// while its reads succeed.
void ShowForceFeedbackButton() {
  bool offered = false;
  if (!state.keyboard) {
    const JoystickRecord& record = state.setup.manager->joystickRecords[state.joystick];
    offered = record.forceFeedback != 0 && record.attached != 0 && state.connected;
  }
  HWND button = Item(IDC_INPUT_TEST_FORCE_FEEDBACK);
  if ((IsWindowEnabled(button) != FALSE) == offered) return;
  // A disabled button keeps no focus: the keys go on to Close.
  if (!offered && GetFocus() == button) {
    SendMessageW(state.window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDCANCEL)), TRUE);
  }
  EnableWindow(button, offered);
}

void ShowForceFeedbackStatus(UINT id) {
  wchar_t status[kStatusSize];
  LoadInterfaceString(ProgramInstance, id, status, kStatusSize);
  SetText(IDC_INPUT_TEST_FORCE_FEEDBACK_STATUS, status);
}

// A test over: the button as it was, and how it ended.
void ShowForceFeedbackEnd(const ForceFeedbackTest& test) {
  state.forceFeedbackPlaying = false;
  SetText(IDC_INPUT_TEST_FORCE_FEEDBACK, state.forceFeedbackLabel);
  switch (test.end) {
    case ForceFeedbackEnd::kPlayedLeftRight:
      ShowForceFeedbackStatus(IDS_FORCE_FEEDBACK_PLAYED_LEFT_RIGHT);
      return;
    case ForceFeedbackEnd::kPlayedVibration:
      ShowForceFeedbackStatus(IDS_FORCE_FEEDBACK_PLAYED_VIBRATION);
      return;
    case ForceFeedbackEnd::kNoEffect:
      ShowForceFeedbackStatus(IDS_FORCE_FEEDBACK_NO_EFFECT);
      return;
    case ForceFeedbackEnd::kFailed: {
      wchar_t format[kLabelSize * 2], step[kLabelSize], status[kStatusSize];
      LoadInterfaceString(ProgramInstance, IDS_FORCE_FEEDBACK_FAILED, format, kLabelSize * 2);
      int index = static_cast<int>(test.failedStep) - static_cast<int>(ForceFeedbackStep::kTaking);
      LoadInterfaceString(ProgramInstance, IDS_FORCE_FEEDBACK_STEP_TAKING + (index < 0 ? 0 : index),
                          step, kLabelSize);
      wsprintfW(status, format, step, static_cast<unsigned long>(test.code));
      SetText(IDC_INPUT_TEST_FORCE_FEEDBACK_STATUS, status);
      return;
    }
    default:
      ShowForceFeedbackStatus(IDS_FORCE_FEEDBACK_STOPPED);
      return;
  }
}

void StartForceFeedback() {
  InputManager& manager = *state.setup.manager;
  ForceFeedbackTest& test = state.forceFeedback;
  ForceFeedbackEffect effect = ChooseForceFeedbackEffect(
      test, manager.joystickDevices[state.joystick], manager.ownerWindow);
  if (effect != ForceFeedbackEffect::kNone) {
    ShowForceFeedbackStatus(effect == ForceFeedbackEffect::kConstantForce
                                ? IDS_FORCE_FEEDBACK_HOLD_WHEEL
                                : IDS_FORCE_FEEDBACK_HOLD_CONTROLLER);
  }
  if (BeginForceFeedbackTest(test, state.window) != ForceFeedbackEnd::kPlaying) {
    ShowForceFeedbackEnd(test);
    return;
  }
  state.forceFeedbackPlaying = true;
  wchar_t stop[kLabelSize];
  LoadInterfaceString(ProgramInstance, IDS_FORCE_FEEDBACK_STOP, stop, kLabelSize);
  SetText(IDC_INPUT_TEST_FORCE_FEEDBACK, stop);
}

// Stop, Close, Escape, the window's deactivation, the controller pulled out.
void StopForceFeedback(bool deviceGone) {
  if (!state.forceFeedbackPlaying) return;
  StopForceFeedbackTest(state.forceFeedback, deviceGone);
  ShowForceFeedbackEnd(state.forceFeedback);
}

// A read that fails while the force plays ends the test; only a controller
// that is gone skips the steps that need it.
void StopForceFeedbackAfterFailedRead() {
  StopForceFeedback(state.setup.manager->JoystickGone(state.joystick));
}

void OnForceFeedbackButton() {
  if (state.forceFeedbackPlaying) {
    StopForceFeedback(false);
  } else if (!state.keyboard && IsWindowEnabled(Item(IDC_INPUT_TEST_FORCE_FEEDBACK))) {
    StartForceFeedback();
  }
}

// ---- WM_INITDIALOG ---------------------------------------------------------

void ShowInputsSection() {
  bool controller = !state.keyboard;
  ShowItem(IDC_INPUT_TEST_INPUTS_HEADING, controller);
  for (int a = 0; a < kJoystickAxisCount; ++a) {
    bool shown = controller && ((state.axisMask >> a) & 1) != 0;
    ShowItem(IDC_INPUT_TEST_AXIS_NAME + a, shown);
    ShowItem(IDC_INPUT_TEST_AXIS_VALUE + a, shown);
    ShowItem(IDC_INPUT_TEST_AXIS_BAR + a, shown);
    if (shown) {
      ShowInputName(IDC_INPUT_TEST_AXIS_NAME + a, JoystickInputTable,
                    AxisInputRow(a, kWholeAxis));
    }
  }
  for (int p = 0; p < kHatCount; ++p) {
    ShowItem(IDC_INPUT_TEST_POV_LABEL + p, p < state.hats);
    ShowItem(IDC_INPUT_TEST_POV_VALUE + p, p < state.hats);
  }
  for (int i = 0; i < kJoystickButtonRows; ++i) {
    ShowItem(IDC_INPUT_TEST_BUTTON_BOX + i, i < state.buttons);
  }
  ShowItem(IDC_INPUT_TEST_BUTTONS_LABEL, controller);
  ShowItem(IDC_INPUT_TEST_BUTTONS_DOWN, controller);
}

// With the keyboard tested, every key is for testing: the focus control takes
// them all, so Space, Enter, Tab and the arrows press nothing and move no
// focus. Only Escape closes. A lone Alt and F10 would put the window into its
// menu mode, where the keys after them drive the menu: they are kept from it.
LRESULT CALLBACK FocusProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) PostMessageW(GetParent(control), WM_COMMAND, IDCANCEL, 0);
      return 0;
    case WM_CHAR:
    case WM_KEYUP:
      return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      if (wParam == VK_MENU || wParam == VK_F10) return 0;
      break;
    default:
      break;
  }
  return CallWindowProcW(state.focusProcedure, control, message, wParam, lParam);
}

BOOL OnInitDialog(HWND dialog, const InputTestSetup* setup) {
  std::memset(&state, 0, sizeof state);
  state.window = dialog;
  if (setup == nullptr || setup->manager == nullptr) {
    EndDialog(dialog, -1);
    return FALSE;
  }
  state.setup = *setup;
  InputManager& manager = *state.setup.manager;
  int32_t row = state.setup.deviceRow;
  state.keyboard = row < 1 || row > manager.joystickCount;
  state.joystick = state.keyboard ? -1 : row - 1;
  state.connected = true;
  if (!state.keyboard) {
    const JoystickRecord& record = manager.joystickRecords[state.joystick];
    state.axisMask = static_cast<int32_t>(record.axisMask);
    state.hats = record.povCount < kHatCount ? record.povCount : kHatCount;
    if (state.hats < 0) state.hats = 0;
    state.buttons = record.buttonCount < kJoystickButtonRows ? record.buttonCount
                                                             : kJoystickButtonRows;
    if (state.buttons < 0) state.buttons = 0;
    state.triggersNote = TriggersShareAxis(state.setup.rows[kAcceleFunction],
                                           state.setup.rows[kBrakeFunction], record.axisMask);
  }
  const InputTableRow* table = state.keyboard ? KeyNameTable : JoystickInputTable;
  for (int k = 0; k < kFunctionCount; ++k) {
    ShowInputName(IDC_INPUT_TEST_FUNCTION_INPUT + k, table, state.setup.rows[k]);
    state.functionShown[k] = kNotShown;
  }
  for (int a = 0; a < kJoystickAxisCount; ++a) state.axisShown[a] = kNotShown;
  for (int p = 0; p < kHatCount; ++p) state.hatShown[p] = kNotShown;
  state.buttonsShown = ~0u;
  state.notesShown = -1;
  GetWindowTextW(Item(IDC_INPUT_TEST_FORCE_FEEDBACK), state.forceFeedbackLabel, kLabelSize);
  EnableWindow(Item(IDC_INPUT_TEST_FORCE_FEEDBACK), FALSE);
  ShowInputsSection();
  InputTestTick(dialog);
  state.timer = SetTimer(dialog, kInputTestTimerId, kInputTestTimerMilliseconds, nullptr);
  if (!state.keyboard) return TRUE;  // the dialog's keys work as in any dialog
  HWND focus = Item(IDC_INPUT_TEST_FUNCTIONS_HEADING);
  state.focusProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(focus, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FocusProcedure)));
  SetFocus(focus);
  return FALSE;  // the focus is set
}

// ---- Drawing ---------------------------------------------------------------

// A bar filled to `fill` of 1000 at once (no animation), framed; a button box
// filled while down, with its number.
BOOL OnDrawItem(const DRAWITEMSTRUCT& item) {
  int id = static_cast<int>(item.CtlID);
  RECT r = item.rcItem;
  HDC dc = item.hDC;
  FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
  if (id >= IDC_INPUT_TEST_BUTTON_BOX && id < IDC_INPUT_TEST_BUTTON_BOX + kJoystickButtonRows) {
    bool down = ((state.buttonsShown >> (id - IDC_INPUT_TEST_BUTTON_BOX)) & 1u) != 0 &&
                state.buttonsShown != ~0u;
    if (down) FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWTEXT));
    wchar_t text[8];
    int length = GetWindowTextW(item.hwndItem, text, 8);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(down ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(state.window, WM_GETFONT, 0, 0));
    HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
    DrawTextW(dc, text, length, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (old != nullptr) SelectObject(dc, old);
    return TRUE;
  }
  int32_t fill = 0;
  if (id >= IDC_INPUT_TEST_FUNCTION_BAR && id < IDC_INPUT_TEST_FUNCTION_BAR + kAnalogFunctionCount) {
    int32_t shown = state.functionShown[id - IDC_INPUT_TEST_FUNCTION_BAR];
    fill = shown >= 0 && shown <= 100 ? shown * 10 : 0;
  } else if (id >= IDC_INPUT_TEST_AXIS_BAR && id < IDC_INPUT_TEST_AXIS_BAR + kJoystickAxisCount) {
    int32_t shown = state.axisShown[id - IDC_INPUT_TEST_AXIS_BAR];
    if (shown != kNotShown) fill = (shown < -1000 ? 0 : shown > 1000 ? 2000 : shown + 1000) / 2;
  } else {
    return FALSE;
  }
  RECT bar = r;
  bar.right = r.left + static_cast<LONG>((r.right - r.left) * fill / 1000);
  HBRUSH brush = CreateSolidBrush(kBarColour);
  FillRect(dc, &bar, brush);
  DeleteObject(brush);
  FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
  return TRUE;
}

INT_PTR OnStaticColour(HDC dc, HWND control) {
  int id = GetDlgCtrlID(control);
  int k = id - IDC_INPUT_TEST_FUNCTION_LABEL;
  if (k < 0 || k >= kFunctionCount) return FALSE;
  int32_t shown = state.functionShown[k];
  if (shown == kNotShown || shown == 0 || shown == 1000) return FALSE;
  SetTextColor(dc, kLitLabelColour);
  SetBkColor(dc, GetSysColor(COLOR_3DFACE));
  return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_3DFACE));
}

// ---- Closing and device changes --------------------------------------------

void StopTimers(HWND dialog) {
  if (state.timer != 0) {
    KillTimer(dialog, state.timer);
    state.timer = 0;
  }
  KillTimer(dialog, kInputTestDeviceChangeTimerId);
}

BOOL OnDestroy(HWND dialog) {
  if (state.window != dialog) return TRUE;
  StopForceFeedback(false);
  StopTimers(dialog);
  if (state.focusProcedure != nullptr) {
    SetWindowLongPtrW(Item(IDC_INPUT_TEST_FUNCTIONS_HEADING), GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(state.focusProcedure));
    state.focusProcedure = nullptr;
  }
  state.window = nullptr;
  return TRUE;
}

// The burst of messages one controller plugged in or pulled out raises
// refreshes the manager once, after the last of them.
BOOL OnDeviceChangeMessage(HWND dialog, WPARAM event) {
  if (event != DBT_DEVNODES_CHANGED && event != DBT_DEVICEARRIVAL &&
      event != DBT_DEVICEREMOVECOMPLETE) {
    return FALSE;
  }
  SetTimer(dialog, kInputTestDeviceChangeTimerId, kDeviceChangeDelayMilliseconds, nullptr);
  return TRUE;
}

// A controller pulled out during a force-feedback test is given back before
// the refresh may open its index anew, releasing the object the test holds.
void OnDeviceChangeSettled(HWND dialog) {
  KillTimer(dialog, kInputTestDeviceChangeTimerId);
  if (state.window != dialog || state.setup.manager == nullptr) return;
  InputManager& manager = *state.setup.manager;
  if (state.forceFeedbackPlaying) {
    manager.currentJoystick = state.joystick;
    if (!manager.PollJoystick()) {
      state.connected = false;
      StopForceFeedbackAfterFailedRead();
    }
  }
  manager.RefreshControllers();
}

// Losing the activation it had ends a force-feedback test: the player has
// turned to another window.
BOOL OnActivate(WPARAM wParam) {
  if (LOWORD(wParam) != WA_INACTIVE) {
    state.wasActive = true;
  } else if (state.wasActive) {
    StopForceFeedback(false);
  }
  return FALSE;  // the dialog manager keeps the focus as it always does
}

}  // namespace

// A controller keeps its index in the manager across a replug, so reading
// resumes at the same state row; the keyboard is read for its state alone,
// which leaves its kept events to the control dialog.
void InputTestTick(HWND dialog) {
  if (state.window != dialog || state.setup.manager == nullptr) return;
  InputManager& manager = *state.setup.manager;
  if (state.keyboard) {
    manager.PollKeyboard();
    state.gathering = true;
    for (int k = 0; k < kFunctionCount; ++k) {
      ShowFunction(k, KeyFunctionValue(state.setup.rows[k], manager.keyboardState));
    }
    DrawChanged();
    return;
  }
  manager.currentJoystick = state.joystick;
  state.connected = manager.PollJoystick();
  if (state.forceFeedbackPlaying && !state.connected) StopForceFeedbackAfterFailedRead();
  if (state.forceFeedbackPlaying &&
      ContinueForceFeedbackTest(state.forceFeedback) != ForceFeedbackEnd::kPlaying) {
    ShowForceFeedbackEnd(state.forceFeedback);
  }
  ShowForceFeedbackButton();
  state.gathering = true;
  ShowNotes();
  ControllerReading reading;
  ReadController(reading);
  for (int k = 0; k < kFunctionCount; ++k) {
    int pair = k < kAnalogFunctionCount ? k : 0;
    ShowFunction(k, ControllerFunctionValue(k, state.setup.rows[k], FunctionMode(k),
                                            state.setup.pairs[pair], reading));
  }
  for (int a = 0; a < kJoystickAxisCount; ++a) {
    if ((state.axisMask >> a) & 1) ShowAxis(a, reading.axes[a]);
  }
  const DIJOYSTATE& joy = manager.joystickStates[state.joystick];
  for (int p = 0; p < state.hats; ++p) ShowHat(p, joy.rgdwPOV[p]);
  uint32_t down = 0;
  for (int i = 0; i < state.buttons; ++i) {
    if (reading.buttons[i] != 0) down |= 1u << i;
  }
  ShowButtons(down);
  DrawChanged();
}

INT_PTR CALLBACK InputTestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog, reinterpret_cast<const InputTestSetup*>(lParam));
    case WM_TIMER:
      if (wParam == kInputTestDeviceChangeTimerId) {
        OnDeviceChangeSettled(dialog);
      } else {
        InputTestTick(dialog);
      }
      return TRUE;
    case WM_DEVICECHANGE:
      return OnDeviceChangeMessage(dialog, wParam);
    case WM_DRAWITEM:
      return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_CTLCOLORSTATIC:
      return OnStaticColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_ACTIVATE:
      return state.window == dialog ? OnActivate(wParam) : FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        StopForceFeedback(false);
        StopTimers(dialog);
        EndDialog(dialog, 0);
        return TRUE;
      }
      if (LOWORD(wParam) == IDC_INPUT_TEST_FORCE_FEEDBACK && HIWORD(wParam) == BN_CLICKED) {
        if (state.window == dialog) OnForceFeedbackButton();
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      return OnDestroy(dialog);
    default:
      return FALSE;
  }
}

INT_PTR RunInputTest(HWND owner, const InputTestSetup& setup) {
  return ShowProgramDialog(ProgramInstance, IDD_INPUT_TEST, owner, InputTestDialogProc,
                           reinterpret_cast<LPARAM>(&setup));
}
