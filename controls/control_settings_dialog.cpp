#include "controls/control_settings_dialog.h"

#include <dbt.h>

#include <cstring>
#include <new>

#include "controls/calibration_dialog.h"
#include "controls/control_settings_note.h"
#include "controls/control_settings_file.h"
#include "controls/input_rules.h"
#include "controls/input_test_window.h"
#include "program/cp932_text.h"
#include "program/dialog_font.h"
#include "program/program_directory.h"
#include "program/program_instance.h"
#include "resources/resource_ids.h"

AxisWatch AxisWatches[kJoystickAxisCount];
InputManager* ControlManager;
int32_t SelectedDeviceRow;
int32_t DetectionTarget;
UINT_PTR ControlTimer;

namespace {

// "input.cfg の保存に失敗しました" in code page 932.
const InterfaceText kSaveFailedMessage = {
    "input.cfg \x82\xCC\x95\xDB\x91\xB6\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD",
    "input.cfg could not be saved."};

// The manager lives in fixed storage rather than on the heap: there is one
// control dialog at a time, and its creation can then never fail for memory.
alignas(InputManager) unsigned char managerStorage[sizeof(InputManager)];
// The dialog that owns ControlManager, so a second dialog opened by mistake
// neither shares nor destroys the first one's devices.
HWND managerOwner;

// False when the selected controller's latest poll could not read it (or it is
// known to be pulled out): its state row holds where it was last seen, not
// where it is.
bool selectedStateRead;
// True when the watches were last reset from a state that was not read by the
// latest poll, or a poll has failed since; the next poll that reads the
// controller resets them again.
bool watchesNeedReadState;
// A device change that came while the calibration dialog or the input test
// had the manager borrowed; it is applied when that window closes.
bool deviceChangePending;
// The input test window is open over this dialog and reads the manager.
bool inputTestOpen;

// The ten function lists, in FunctionComboIds order, with their own window
// procedure (put back when the dialog closes) and their labels: a list's label
// is the control just before it in template order.
HWND functionLists[kFunctionCount];
WNDPROC functionListProcedures[kFunctionCount];
HWND functionLabels[kFunctionCount];
// Whether each label is drawn as sharing its function's input with another.
bool labelShared[kFunctionCount];
constexpr COLORREF kSharedLabelColour = RGB(200, 0, 0);

// The keyboard as seen since the focused list took the focus; false until it
// has been read for that list (and after a device change).
KeyWatch keyWatch;
bool keyWatchStarted;
// Beside a focused function list and the keyboard row, a key watch needs the
// dialog to be the active window and in none of its menu or move loops (the
// window menu, a move or size by keys or mouse): keys then drive those.
bool dialogActive;
bool inMenuLoop;
bool inMoveLoop;
// Alt went down into a function list with no key after it: its release would
// put the window into its menu mode.
bool loneAltDown;
// When the focused list was open, by the clock of the keyboard's time stamps
// (DirectInput stamps a key as its own thread takes it, before the window
// does): the keys of that span are the list's. The list opens as a message
// of the player's is handled (its time), and closes as it is handled now.
ListOpenSpan listSpan;

LRESULT ListMessage(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendDlgItemMessageA(dialog, id, message, wParam, lParam);
}

int32_t ListSelection(HWND dialog, int id) {
  return static_cast<int32_t>(ListMessage(dialog, id, CB_GETCURSEL));
}

// Selects `row`, or leaves the list without a selection when the row is not
// one of its items (a stored value outside the table).
void SelectListRow(HWND dialog, int id, int32_t row) {
  LRESULT count = ListMessage(dialog, id, CB_GETCOUNT);
  if (row < 0 || row >= count) row = -1;
  ListMessage(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(row));
}

void EnableControl(HWND dialog, int id, bool enabled) {
  EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE);
}

int FunctionPosition(int id) {
  for (int position = 0; position < kFunctionCount; ++position) {
    if (FunctionComboIds[position] == id) return position;
  }
  return -1;
}

bool IsFunctionList(int id) { return FunctionPosition(id) >= 0; }

// The record of controller row `row`, or null for the keyboard and for a row
// with no controller behind it.
const JoystickRecord* JoystickOfRow(int32_t row) {
  if (ControlManager == nullptr || row < 1 || row > ControlManager->joystickCount) {
    return nullptr;
  }
  return &ControlManager->joystickRecords[row - 1];
}

// True while the function lists hold keys: the keyboard row, or a row with no
// controller behind it.
bool KeyboardSelected() { return JoystickOfRow(SelectedDeviceRow) == nullptr; }

// Colours the labels of the functions whose input another function has too,
// and gives every other label back its usual colour.
void ShowSharedInputs(HWND dialog) {
  int32_t rows[kFunctionCount];
  for (int p = 0; p < kFunctionCount; ++p) rows[p] = ListSelection(dialog, FunctionComboIds[p]);
  bool shared[kFunctionCount];
  FindSharedInputs(rows, KeyboardSelected(), shared);
  for (int p = 0; p < kFunctionCount; ++p) {
    if (shared[p] == labelShared[p]) continue;
    labelShared[p] = shared[p];
    if (functionLabels[p] != nullptr) InvalidateRect(functionLabels[p], nullptr, TRUE);
  }
  ShowControlNote(dialog, rows);
}

void SetModeListsEnabled(HWND dialog, bool enabled) {
  for (int i = 0; i < kModeListCount; ++i) {
    EnableControl(dialog, AxisModeComboIds[i].modeListId, enabled);
  }
}

// Makes device row `row` the selected one: its inputs in the function lists,
// and polling pointed at its controller (none for the keyboard).
void ShowDeviceInputs(HWND dialog, int32_t row) {
  SelectedDeviceRow = row;
  // Until its first poll, a controller's state row counts as where it is,
  // unless the controller is known to be pulled out.
  const JoystickRecord* joystick = JoystickOfRow(row);
  selectedStateRead = joystick == nullptr || joystick->attached != 0;
  // What the keyboard did meanwhile binds nothing on the new device's lists.
  keyWatchStarted = false;
  if (row == 0 || joystick == nullptr) {
    FillFunctionCombos(dialog, KeyNameTable);
    if (ControlManager != nullptr) ControlManager->currentJoystick = -1;
  } else {
    FillFunctionCombos(dialog, JoystickInputTable);
    ControlManager->currentJoystick = row - 1;
  }
}

void SelectDetectedRow(HWND dialog, int32_t row) {
  if (DetectionTarget == 0) return;
  // Selecting the row already shown would only repaint the list every tick.
  if (ListSelection(dialog, DetectionTarget) == row) return;
  ListMessage(dialog, DetectionTarget, CB_SETCURSEL, static_cast<WPARAM>(row));
  ShowSharedInputs(dialog);
}

bool KeyWatchMayRun() {
  return ControlManager != nullptr && KeyboardSelected() && IsFunctionList(DetectionTarget) &&
         dialogActive && !inMenuLoop && !inMoveLoop;
}

// A watch starts: the keyboard is read now, what is down now counts as held
// (the key that brought the focus here, Tab say, binds nothing), and the
// events kept so far are thrown away, never bound later. Where no watch may
// run, none does until the next start.
void WatchKeysFromNow() {
  if (listSpan.closed) listSpan.active = false;  // the kept events are gone
  keyWatchStarted = KeyWatchMayRun();
  if (!keyWatchStarted) return;
  ControlManager->RestartKeyEvents();
  StartKeyWatch(keyWatch, ControlManager->keyboardState);
}

// While the keyboard is selected, a closed function list leaves its keys to the
// binding: no moving the selection, no type-ahead. F4 still opens it, Tab,
// Enter and Escape keep their dialog meaning, Alt combinations theirs (Alt+Space
// the window menu, Alt+F4 closing); a lone Alt and F10, which would only put
// the window into its menu mode, are the binding's too. The mouse and an open
// list work as ever.
bool BindingTakesKey(HWND list, UINT message, WPARAM key, bool loneAlt) {
  if (message != WM_KEYDOWN && message != WM_CHAR && message != WM_SYSKEYDOWN &&
      message != WM_SYSKEYUP) {
    return false;
  }
  if (ControlManager == nullptr || !KeyboardSelected()) return false;
  if (SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0) != 0) return false;
  switch (message) {
    case WM_KEYDOWN:
      return !VirtualKeyKeepsItsMeaning(static_cast<int>(key));
    case WM_CHAR:  // Tab, Enter and Escape come as characters of their keys' codes
      return key >= 0x20 || !VirtualKeyKeepsItsMeaning(static_cast<int>(key));
    case WM_SYSKEYUP:
      return key == VK_F10 || (key == VK_MENU && loneAlt);
    default:
      return key == VK_F10;
  }
}

// The lists' procedure while the dialog has them (given back as it closes).
LRESULT CALLBACK FunctionListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  bool loneAlt = loneAltDown;
  if (message == WM_SYSKEYDOWN || message == WM_KEYDOWN) {
    loneAltDown = message == WM_SYSKEYDOWN && wParam == VK_MENU;
  }
  if (BindingTakesKey(list, message, wParam, loneAlt)) return 0;
  return CallWindowProcW(functionListProcedures[FunctionPosition(GetDlgCtrlID(list))], list,
                         message, wParam, lParam);
}

// ---- WM_INITDIALOG ---------------------------------------------------------

bool CreateManager(HWND dialog) {
  ControlManager = new (managerStorage) InputManager();
  managerOwner = dialog;
  return ControlManager->Initialize(ProgramInstance, dialog);
}

// Adds the row of controller `index`: row index + 1, since the list is never
// sorted and rows are only ever added at its end.
void AddControllerRow(HWND dialog, int32_t index) {
  // Instance names come in the system's code page, as the ANSI call takes them.
  ListMessage(dialog, IDC_CONTROL_DEVICE, CB_ADDSTRING, 0,
              reinterpret_cast<LPARAM>(ControlManager->joystickRecords[index].name));
}

// Adds `text` as the last row of `list`: the game's Japanese texts through code
// page 932, ASCII as it is (a system without code page 932 still shows it).
// The lists are filled through their handles: under Wine every lookup of a
// control by its id asks the Wine server, and the ten function lists take some
// 1,300 rows each time the device changes.
void AddListRow(HWND list, const char* text, bool gameText) {
  if (gameText) {
    AddCp932ListRow(list, text);
  } else {
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
}

void FillDeviceList(HWND dialog) {
  AddListRow(GetDlgItem(dialog, IDC_CONTROL_DEVICE), ChosenText(KeyboardDeviceText),
             KoreanInterface());
  for (int32_t j = 0; j < ControlManager->joystickCount; ++j) AddControllerRow(dialog, j);
}

void FillModeLists(HWND dialog) {
  for (int i = 0; i < kModeListCount; ++i) {
    for (int mode = 0; mode < kAxisModeCount; ++mode) {
      ListMessage(dialog, AxisModeComboIds[i].modeListId, CB_ADDSTRING, 0,
                  reinterpret_cast<LPARAM>(AxisMode[mode]));
    }
  }
}

// Finds the ten lists and their labels, and puts the lists' keys through the
// binding (FunctionListProcedure).
void TakeFunctionLists(HWND dialog) {
  keyWatchStarted = false;
  for (int p = 0; p < kFunctionCount; ++p) {
    HWND list = GetDlgItem(dialog, FunctionComboIds[p]);
    functionLists[p] = list;
    functionLabels[p] = list != nullptr ? GetWindow(list, GW_HWNDPREV) : nullptr;
    labelShared[p] = false;
    functionListProcedures[p] =
        list != nullptr ? reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
                              list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FunctionListProcedure)))
                        : nullptr;
  }
}

void GiveBackFunctionLists() {
  for (int p = 0; p < kFunctionCount; ++p) {
    if (functionLists[p] != nullptr && functionListProcedures[p] != nullptr) {
      SetWindowLongPtrW(functionLists[p], GWLP_WNDPROC,
                        reinterpret_cast<LONG_PTR>(functionListProcedures[p]));
    }
    functionLists[p] = nullptr;
    functionListProcedures[p] = nullptr;
    functionLabels[p] = nullptr;
    labelShared[p] = false;
  }
}

// Selects the device the loaded file names and shows its assignments, or the
// keyboard with its preset when the file named nothing attached.
void RestoreDevice(HWND dialog) {
  RestoredDevice choice = ChooseRestoredDevice(ControlSettings, ControlSettingsLoaded != 0,
                                               ControlManager->joystickRecords,
                                               ControlManager->joystickCount);
  if (choice.reason == kRestoreFoundByName || choice.reason == kRestoreKeyboard) {
    ListMessage(dialog, IDC_CONTROL_DEVICE, CB_SETCURSEL, static_cast<WPARAM>(choice.row));
    ShowDeviceInputs(dialog, choice.row);
    ApplyLoadedSettings(dialog);
    return;
  }
  // A controller no longer attached, or no name at all: nothing loaded can be
  // shown against the devices at hand.
  ControlSettingsLoaded = 0;
  ListMessage(dialog, IDC_CONTROL_DEVICE, CB_SETCURSEL, 0);
  SelectedDeviceRow = 0;
  ApplyPreset(dialog, 0);
}

BOOL OnInitDialog(HWND dialog) {
  if (ControlManager != nullptr) {
    // Another control dialog is open and owns the devices and this state.
    EndDialog(dialog, -1);
    return FALSE;
  }
  SelectedDeviceRow = 0;
  DetectionTarget = 0;
  ControlTimer = 0;
  deviceChangePending = false;
  inputTestOpen = false;
  dialogActive = inMenuLoop = inMoveLoop = loneAltDown = false;
  listSpan = ListOpenSpan{};
  ResetControlNote();
  if (!CreateManager(dialog)) {
    EndDialog(dialog, -1);
    return FALSE;
  }
  FillDeviceList(dialog);
  FillFunctionCombos(dialog, KeyNameTable);
  FillModeLists(dialog);
  TakeFunctionLists(dialog);
  RestoreDevice(dialog);
  CaptureBaselines();
  ControlTimer = SetTimer(dialog, kControlTimerId, kControlTimerMilliseconds, nullptr);
  // The dialog manager puts the focus on OK; no function list has it yet.
  return TRUE;
}

// ---- WM_TIMER --------------------------------------------------------------

// The row the keyboard binds in this tick from its kept events, or 0; false
// when its events were lost, and the watch has started again.
bool ReadKeyEventsRow(int32_t& row) {
  DIDEVICEOBJECTDATA data[kKeyEventBufferSize];
  int count = 0;
  switch (ControlManager->ReadKeyEvents(data, count)) {
    case kKeyEventsLost:
      WatchKeysFromNow();
      return false;
    case kKeyEventsUnavailable:
      return false;
    case kKeyEventsRead:
      break;
  }
  if (count == 0 && !(listSpan.active && listSpan.closed)) return false;
  KeyEvent events[kKeyEventBufferSize];
  for (int i = 0; i < count; ++i) {
    // c_dfDIKeyboard puts each key at the offset of its code.
    events[i] = {static_cast<uint8_t>(data[i].dwOfs), (data[i].dwData & 0x80) != 0,
                 static_cast<uint32_t>(data[i].dwTimeStamp)};
  }
  row = WatchKeyEvents(keyWatch, events, count, listSpan);
  if (listSpan.closed) listSpan.active = false;
  return true;
}

// The keyboard row: while a closed function list of the active dialog has the
// focus, the key the player presses binds. The keyboard's kept events are
// taken in order, so a tap between two ticks binds as well; a keyboard that
// keeps none is sampled.
void OnKeyboardTick(HWND dialog) {
  if (!KeyWatchMayRun()) {
    keyWatchStarted = false;
    return;
  }
  if (!keyWatchStarted) {
    WatchKeysFromNow();
    return;
  }
  int32_t row = 0;
  if (ControlManager->keyboardBuffered) {
    if (!ReadKeyEventsRow(row)) return;
  } else if (listSpan.active) {
    // With no time stamps, what changed while the list was open cannot be
    // told apart: nothing binds until it has closed, and then a watch starts.
    if (listSpan.closed) WatchKeysFromNow();
    return;
  } else {
    if (!ControlManager->PollKeyboard() || !KeysChanged(keyWatch, ControlManager->keyboardState)) {
      return;
    }
    row = WatchKeys(keyWatch, ControlManager->keyboardState);
  }
  if (row != 0) SelectDetectedRow(dialog, row);
}

// The dialog becomes the active window or stops being it. What was pressed
// while it was active still binds (a Windows key whose release brings up the
// Start menu, say); what comes while another window is active does not.
void OnActivate(HWND dialog, bool active) {
  if (dialog != managerOwner) return;  // a second dialog that never took over
  if (!active && keyWatchStarted) OnKeyboardTick(dialog);
  dialogActive = active;
  WatchKeysFromNow();
}

// A menu loop (the window menu) or a move or size loop begins or ends: keys
// drive it while it runs, and bind nothing; its end starts a new watch.
void OnModalLoop(HWND dialog, bool& loop, bool running) {
  if (dialog != managerOwner) return;
  loop = running;
  WatchKeysFromNow();
}

void OnTick(HWND dialog) {
  if (SelectedDeviceRow == 0 || JoystickOfRow(SelectedDeviceRow) == nullptr) {
    OnKeyboardTick(dialog);
    return;
  }
  // A controller that could not be read (pulled out, say) detects nothing: its
  // last state, a button held as it went included, is no move of the player's.
  // The keyboard is not read: nothing binds keys on a controller row.
  selectedStateRead = ControlManager->PollJoystick();
  if (!selectedStateRead) {
    // Whatever happened while it could not be read (pulled out, say, and
    // plugged in again with its pedal centred by its power-on), the rest
    // positions no longer say where it rests.
    watchesNeedReadState = true;
    return;
  }
  // The steering preset's pedals, from where they rest on this first read.
  if (NoteControllerRead(dialog)) {
    ShowSharedInputs(dialog);
    CaptureBaselines();
    return;
  }
  if (watchesNeedReadState) {
    // The rest positions were taken from a state the controller no longer had
    // (or never had, pulled out before its first read): where it is now is
    // the rest, not a movement.
    CaptureBaselines();
    return;
  }
  int32_t row = DetectMovedAxis();
  if (row != 0) {
    SelectDetectedRow(dialog, row);
    return;
  }
  const JoystickRecord& joystick = ControlManager->joystickRecords[SelectedDeviceRow - 1];
  const DIJOYSTATE& state = ControlManager->joystickStates[SelectedDeviceRow - 1];
  int32_t buttons = joystick.buttonCount;
  if (buttons > kJoystickButtonRows) buttons = kJoystickButtonRows;
  for (int32_t i = 0; i < buttons; ++i) {
    if (state.rgbButtons[i] != 0) {
      SelectDetectedRow(dialog, kFirstButtonRow + i);
      return;
    }
  }
}

// ---- WM_COMMAND ------------------------------------------------------------

// Copies every selection into ControlSettings. The calibration pairs already
// hold what they should and are not touched.
void StoreChoices(HWND dialog) {
  const JoystickRecord* joystick = JoystickOfRow(SelectedDeviceRow);
  const char* device = joystick != nullptr ? joystick->name : KeyboardDeviceName;
  std::strncpy(ControlSettings.device, device, kDeviceNameCapacity - 1);
  ControlSettings.device[kDeviceNameCapacity - 1] = '\0';
  ControlSettings.forceFeedback =
      ListMessage(dialog, IDC_CONTROL_FORCE_FEEDBACK, BM_GETCHECK) == BST_CHECKED ? 1 : 0;
  ControlSettings.left.input = ListSelection(dialog, IDC_CONTROL_LEFT);
  ControlSettings.left.axisMode = ListSelection(dialog, IDC_CONTROL_LEFT_MODE);
  ControlSettings.right.input = ListSelection(dialog, IDC_CONTROL_RIGHT);
  // The steering has one mode list; RIGHT takes the same mode as LEFT.
  ControlSettings.right.axisMode = ListSelection(dialog, IDC_CONTROL_LEFT_MODE);
  ControlSettings.accele.input = ListSelection(dialog, IDC_CONTROL_ACCELE);
  ControlSettings.accele.axisMode = ListSelection(dialog, IDC_CONTROL_ACCELE_MODE);
  ControlSettings.brake.input = ListSelection(dialog, IDC_CONTROL_BRAKE);
  ControlSettings.brake.axisMode = ListSelection(dialog, IDC_CONTROL_BRAKE_MODE);
  ControlSettings.shiftUp = ListSelection(dialog, IDC_CONTROL_SHIFTUP);
  ControlSettings.shiftDown = ListSelection(dialog, IDC_CONTROL_SHIFTDOWN);
  ControlSettings.sideBrake = ListSelection(dialog, IDC_CONTROL_SIDEBRAKE);
  ControlSettings.light = ListSelection(dialog, IDC_CONTROL_LIGHT);
  ControlSettings.viewUp = ListSelection(dialog, IDC_CONTROL_VIEWUP);
  ControlSettings.viewDown = ListSelection(dialog, IDC_CONTROL_VIEWDOWN);
}

void OnDevicePicked(HWND dialog) {
  int32_t row = ListSelection(dialog, IDC_CONTROL_DEVICE);
  if (row < 0) row = 0;
  ShowDeviceInputs(dialog, row);
  ApplyPreset(dialog, SelectedDeviceRow);
}

void OnFunctionListCommand(HWND dialog, int id, WORD notification) {
  switch (notification) {
    case CBN_SELCHANGE:
      CaptureBaselines();
      ShowSharedInputs(dialog);
      return;
    case CBN_SETFOCUS:
      DetectionTarget = id;
      CaptureBaselines();
      WatchKeysFromNow();
      return;
    case CBN_KILLFOCUS:
      if (DetectionTarget == id) DetectionTarget = 0;
      return;
    case CBN_DROPDOWN:
      // Opened again before the last span was judged: one span over both.
      if (!listSpan.active) listSpan.opened = static_cast<uint32_t>(GetMessageTime());
      listSpan.active = true;
      listSpan.closed = false;
      return;
    case CBN_CLOSEUP:
      if (!listSpan.active) return;
      listSpan.closed = true;
      listSpan.closedAt = GetTickCount();
      return;
    default:
      return;
  }
}

void OnModeChange(HWND dialog, int id) {
  for (int i = 0; i < kModeListCount; ++i) {
    if (AxisModeComboIds[i].modeListId == id) {
      EnableControl(dialog, AxisModeComboIds[i].calibrateButtonId, ListSelection(dialog, id) > 0);
      ShowSharedInputs(dialog);  // and the note, which the pedals' modes decide
      return;
    }
  }
}

// Enumerates the controllers again and appends a row for each one added; one
// that comes back under a new instance GUID takes back its own row instead. The
// rows already listed, the selected one and everything the player has set
// stay as they are.
// Appends a row for every controller of the manager the list lacks (the
// input test window refreshes the manager too).
void ListAddedControllers(HWND dialog) {
  int32_t listed = static_cast<int32_t>(ListMessage(dialog, IDC_CONTROL_DEVICE, CB_GETCOUNT)) - 1;
  if (listed < 0) listed = 0;
  for (int32_t j = listed; j < ControlManager->joystickCount; ++j) AddControllerRow(dialog, j);
}

void ApplyDeviceChange(HWND dialog) {
  deviceChangePending = false;
  if (managerOwner != dialog || ControlManager == nullptr) return;
  ControlManager->RefreshControllers();
  ListAddedControllers(dialog);
}

BOOL OnDeviceChangeMessage(HWND dialog, WPARAM event) {
  if (event != DBT_DEVNODES_CHANGED && event != DBT_DEVICEARRIVAL &&
      event != DBT_DEVICEREMOVECOMPLETE) {
    return FALSE;
  }
  if (managerOwner == dialog) {
    SetTimer(dialog, kDeviceChangeTimerId, kDeviceChangeDelayMilliseconds, nullptr);
  }
  return TRUE;
}

void OnDeviceChangeTimer(HWND dialog) {
  KillTimer(dialog, kDeviceChangeTimerId);
  // The calibration dialog or the input test reads the manager; its
  // controllers change after it.
  if (CalibrationState.calibrationManager != nullptr || inputTestOpen) {
    deviceChangePending = true;
    return;
  }
  ApplyDeviceChange(dialog);
}

// No detection may run while the calibration dialog polls the same manager, so
// this dialog's timer is stopped for the whole calibration and started again
// whatever its result.
void StopControlTimer(HWND dialog) {
  if (ControlTimer != 0) {
    KillTimer(dialog, ControlTimer);
    ControlTimer = 0;
  }
}

// After a window that borrowed the manager: the device changes it held back,
// the timer again, and a new key watch (keys pressed into that window are not
// this dialog's).
void ResumeAfterBorrow(HWND dialog) {
  if (deviceChangePending) ApplyDeviceChange(dialog);
  if (ControlManager != nullptr) ListAddedControllers(dialog);
  ControlTimer = SetTimer(dialog, kControlTimerId, kControlTimerMilliseconds, nullptr);
  WatchKeysFromNow();
}

void OnCalibrate(HWND dialog, int buttonId) {
  StopControlTimer(dialog);
  CalibrateFunction(dialog, buttonId);
  ResumeAfterBorrow(dialog);
}

// The input test shows the device, rows, modes and pairs as this dialog holds
// them now, and hands nothing back.
void OnInputTest(HWND dialog) {
  if (ControlManager == nullptr) return;
  InputTestSetup setup;
  setup.manager = ControlManager;
  setup.deviceRow = SelectedDeviceRow;
  for (int p = 0; p < kFunctionCount; ++p) setup.rows[p] = ListSelection(dialog, FunctionComboIds[p]);
  for (int i = 0; i < kModeListCount; ++i) {
    setup.modes[i] = ListSelection(dialog, AxisModeComboIds[i].modeListId);
  }
  const AnalogFunctionSetting* groups[kAnalogFunctionCount] = {
      &ControlSettings.left, &ControlSettings.right, &ControlSettings.accele,
      &ControlSettings.brake};
  for (int g = 0; g < kAnalogFunctionCount; ++g) {
    setup.pairs[g] = {groups[g]->calibMin, groups[g]->calibMax};
  }
  StopControlTimer(dialog);
  inputTestOpen = true;
  RunInputTest(dialog, setup);
  inputTestOpen = false;
  ResumeAfterBorrow(dialog);
}

BOOL OnCommand(HWND dialog, int id, WORD notification) {
  switch (id) {
    case IDOK:
      StoreChoices(dialog);
      EndDialog(dialog, 1);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, 0);
      return TRUE;
    case IDC_CONTROL_DEVICE:
      if (notification == CBN_SELCHANGE) OnDevicePicked(dialog);
      return TRUE;
    case IDC_CONTROL_LEFT_MODE:
    case IDC_CONTROL_ACCELE_MODE:
    case IDC_CONTROL_BRAKE_MODE:
      if (notification == CBN_SELCHANGE) OnModeChange(dialog, id);
      return TRUE;
    case IDC_CONTROL_RESET:
      ApplyPreset(dialog, SelectedDeviceRow);
      return TRUE;
    case IDC_CONTROL_CALIBRATE_LEFT:
    case IDC_CONTROL_CALIBRATE_ACCELE:
    case IDC_CONTROL_CALIBRATE_BRAKE:
      OnCalibrate(dialog, id);
      return TRUE;
    case IDC_CONTROL_TEST:
      if (notification == BN_CLICKED) OnInputTest(dialog);
      return TRUE;
    default:
      if (IsFunctionList(id)) {
        OnFunctionListCommand(dialog, id, notification);
        return TRUE;
      }
      return FALSE;  // the force-feedback box toggles itself
  }
}

// ---- WM_DESTROY ------------------------------------------------------------

BOOL OnDestroy(HWND dialog) {
  if (managerOwner != dialog) return TRUE;  // a second dialog that never took over
  if (ControlTimer != 0) {
    KillTimer(dialog, ControlTimer);
    ControlTimer = 0;
  }
  KillTimer(dialog, kDeviceChangeTimerId);
  deviceChangePending = false;
  GiveBackFunctionLists();
  if (ControlManager != nullptr) {
    ControlManager->~InputManager();  // releases every device
    ControlManager = nullptr;
  }
  managerOwner = nullptr;
  DetectionTarget = 0;
  ResetControlNote();
  return TRUE;
}

// ---- WM_CTLCOLORSTATIC -----------------------------------------------------

// A shared function's label in red on the dialog's own background; every other
// control is left to the default colours.
INT_PTR OnStaticColour(HDC dc, HWND control) {
  for (int p = 0; p < kFunctionCount; ++p) {
    if (control == nullptr || functionLabels[p] != control || !labelShared[p]) continue;
    SetTextColor(dc, kSharedLabelColour);
    SetBkColor(dc, GetSysColor(COLOR_3DFACE));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_3DFACE));
  }
  return FALSE;
}

}  // namespace

// ---- Operations on the dialog ---------------------------------------------

RestoredDevice ChooseRestoredDevice(const ControlSettingsRecord& settings, bool loaded,
                                    const JoystickRecord* joysticks, int32_t count) {
  if (!loaded) return {0, kRestoreNoFile};
  if (count > kMaxJoysticks) count = kMaxJoysticks;
  // Applying every controller of that name in turn would leave the last one
  // selected, so the last one is the choice.
  int32_t found = 0;
  for (int32_t j = 1; j <= count; ++j) {
    if (std::strncmp(joysticks[j - 1].name, settings.device, kDeviceNameCapacity) == 0) found = j;
  }
  if (found != 0) return {found, kRestoreFoundByName};
  if (std::strcmp(settings.device, KeyboardDeviceName) == 0) return {0, kRestoreKeyboard};
  if (settings.device[0] == '\0') return {0, kRestoreNoDeviceName};
  return {0, kRestoreNotAttached};
}

void FillFunctionCombos(HWND dialog, const InputTableRow* table) {
  bool gameText = ShownInputNamesAreGameText(table);
  for (int position = 0; position < kFunctionCount; ++position) {
    HWND list = GetDlgItem(dialog, FunctionComboIds[position]);
    while (SendMessageA(list, CB_DELETESTRING, 0, 0) > 0) {
    }
    for (int row = 0; table[row].name != nullptr; ++row) {
      AddListRow(list, ShownInputName(table, row), gameText);
    }
  }
}

void ApplyPreset(HWND dialog, int32_t row) {
  const JoystickRecord* joystick = JoystickOfRow(row);
  bool forceFeedback = joystick != nullptr && joystick->forceFeedback != 0;
  EnableControl(dialog, IDC_CONTROL_FORCE_FEEDBACK, forceFeedback);
  ListMessage(dialog, IDC_CONTROL_FORCE_FEEDBACK, BM_SETCHECK,
              forceFeedback ? BST_CHECKED : BST_UNCHECKED);

  int preset = joystick != nullptr ? PresetForDevice(*ControlManager, row) : 0;
  if (preset < 0 || preset >= kPresetCount) preset = 0;
  const InputPreset& values = PresetTable[preset];
  for (int position = 0; position < kFunctionCount; ++position) {
    SelectListRow(dialog, FunctionComboIds[position], values.rows[position]);
  }
  bool analog = values.axisMode != 0;
  for (int i = 0; i < kModeListCount; ++i) {
    SelectListRow(dialog, AxisModeComboIds[i].modeListId, values.axisMode);
    EnableControl(dialog, AxisModeComboIds[i].calibrateButtonId, analog);
  }
  SetModeListsEnabled(dialog, row != 0);
  SetDefaultCalibrationPairs(ControlSettings);
  NotePresetApplied(row, preset);
  ShowSharedInputs(dialog);
}

void ApplyLoadedSettings(HWND dialog) {
  const JoystickRecord* joystick = JoystickOfRow(SelectedDeviceRow);
  bool forceFeedbackAvailable = joystick != nullptr && joystick->forceFeedback != 0;
  EnableControl(dialog, IDC_CONTROL_FORCE_FEEDBACK, forceFeedbackAvailable);
  bool checked = forceFeedbackAvailable && ControlSettings.forceFeedback != 0;
  ListMessage(dialog, IDC_CONTROL_FORCE_FEEDBACK, BM_SETCHECK,
              checked ? BST_CHECKED : BST_UNCHECKED);

  const ControlSettingsRecord& s = ControlSettings;
  SelectListRow(dialog, IDC_CONTROL_LEFT, s.left.input);
  SelectListRow(dialog, IDC_CONTROL_RIGHT, s.right.input);
  SelectListRow(dialog, IDC_CONTROL_ACCELE, s.accele.input);
  SelectListRow(dialog, IDC_CONTROL_BRAKE, s.brake.input);
  SelectListRow(dialog, IDC_CONTROL_SHIFTDOWN, s.shiftDown);
  SelectListRow(dialog, IDC_CONTROL_SHIFTUP, s.shiftUp);
  SelectListRow(dialog, IDC_CONTROL_SIDEBRAKE, s.sideBrake);
  SelectListRow(dialog, IDC_CONTROL_LIGHT, s.light);
  SelectListRow(dialog, IDC_CONTROL_VIEWUP, s.viewUp);
  SelectListRow(dialog, IDC_CONTROL_VIEWDOWN, s.viewDown);
  SelectListRow(dialog, IDC_CONTROL_LEFT_MODE, s.left.axisMode);
  SelectListRow(dialog, IDC_CONTROL_ACCELE_MODE, s.accele.axisMode);
  SelectListRow(dialog, IDC_CONTROL_BRAKE_MODE, s.brake.axisMode);

  // The stored words decide, even a mode the list cannot show.
  EnableControl(dialog, IDC_CONTROL_CALIBRATE_LEFT, s.left.axisMode != 0);
  EnableControl(dialog, IDC_CONTROL_CALIBRATE_ACCELE, s.accele.axisMode != 0);
  EnableControl(dialog, IDC_CONTROL_CALIBRATE_BRAKE, s.brake.axisMode != 0);
  SetModeListsEnabled(dialog, SelectedDeviceRow != 0);
  ShowSharedInputs(dialog);
}

const DIJOYSTATE* SelectedJoystickState() {
  if (JoystickOfRow(SelectedDeviceRow) == nullptr) return nullptr;
  return &ControlManager->joystickStates[SelectedDeviceRow - 1];
}

void CaptureBaselines() {
  const DIJOYSTATE* state = SelectedJoystickState();
  watchesNeedReadState = state != nullptr && !selectedStateRead;
  for (int k = 0; k < kJoystickAxisCount; ++k) {
    AxisWatches[k].baseline = state != nullptr ? JoystickAxisValue(*state, k) : 0;
    AxisWatches[k].seenNegative = 0;
    AxisWatches[k].seenPositive = 0;
  }
}

int32_t DetectMovedAxis() {
  const DIJOYSTATE* state = SelectedJoystickState();
  if (state == nullptr) return 0;
  for (int k = 0; k < kJoystickAxisCount; ++k) {
    AxisWatch& watch = AxisWatches[k];
    int32_t value = JoystickAxisValue(*state, k);
    // 64-bit, so no reading a device may report can overflow the distance.
    int64_t travel = static_cast<int64_t>(watch.baseline) - value;
    if (travel < 0) travel = -travel;
    if (travel <= DetectionThreshold) continue;
    // The side is the sign of where the axis is now, not of how it moved.
    if (value < 0) {
      watch.seenNegative = 1;
    } else {
      watch.seenPositive = 2;
    }
    return AxisInputRow(k, watch.seenNegative + watch.seenPositive - 1);
  }
  return 0;
}

// ---- The procedure and the run --------------------------------------------

INT_PTR CALLBACK ControlSettingsDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog);
    case WM_TIMER:
      if (wParam == kDeviceChangeTimerId) {
        OnDeviceChangeTimer(dialog);
      } else {
        OnTick(dialog);
      }
      return TRUE;
    case WM_DEVICECHANGE:
      return OnDeviceChangeMessage(dialog, wParam);
    case WM_COMMAND:
      return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_ACTIVATE:
      OnActivate(dialog, LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0);
      return FALSE;  // the dialog manager keeps the focus as ever
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
      OnModalLoop(dialog, inMenuLoop, message == WM_ENTERMENULOOP);
      return FALSE;
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE:
      OnModalLoop(dialog, inMoveLoop, message == WM_ENTERSIZEMOVE);
      return FALSE;
    case WM_CTLCOLORSTATIC:
      return OnStaticColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DESTROY:
      return OnDestroy(dialog);
    default:
      return FALSE;
  }
}

INT_PTR RunControlSettings(HWND owner, bool* saveFailed) {
  if (saveFailed != nullptr) *saveFailed = false;
  PrepareControlSettings();
  // A Unicode dialog, so the template's Hangul shows on any system code page,
  // in a face that has its glyphs.
  INT_PTR result = ShowProgramDialog(ProgramInstance, IDD_CONTROL_SETTINGS, owner,
                                     ControlSettingsDialogProc, 0);
  if (result == 1 &&
      !SaveControlSettings(ProgramPath(kControlSettingsFile), ControlSettings)) {
    ShowErrorMessage(nullptr, ChosenText(kSaveFailedMessage));
    if (saveFailed != nullptr) *saveFailed = true;
  }
  return result;
}
