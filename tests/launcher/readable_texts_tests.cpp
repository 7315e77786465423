// Every text of the four dialogs and of a message box is drawn with a glyph of
// the font its control really uses, whatever the locale the process runs in
// (ctest runs this program under en_US.UTF-8, ja_JP.UTF-8 and ko_KR.UTF-8, so
// in the English and in the Korean interface); and the English interface's
// texts fit their controls in the face each of these locales gives. The
// dialogs are created as the utility creates them, in this process, so their
// font handles can be asked.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "controls/calibration_dialog.h"
#include "controls/control_settings_dialog.h"
#include "controls/input_manager.h"
#include "controls/input_test_window.h"
#include "graphics/display_catalogue.h"
#include "graphics/graphic_settings_dialog.h"
#include "graphics/graphic_settings_file.h"
#include "launcher/launcher.h"
#include "program/cp932_text.h"
#include "program/dialog_font.h"
#include "program/interface_language.h"
#include "program/program_instance.h"
#include "resources/resource_ids.h"
#include "tests/controls/control_dialog_support.h"

namespace {

std::string Utf8(const std::wstring& text) {
  char out[4096] = {};
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out, sizeof out - 1, nullptr, nullptr);
  return out;
}

// The control's text, and for a list every row, as it is drawn.
std::wstring ShownText(HWND control) {
  wchar_t text[1024] = {};
  GetWindowTextW(control, text, 1024);
  std::wstring shown = text;
  wchar_t className[16] = {};
  GetClassNameW(control, className, 16);
  if (lstrcmpiW(className, L"ComboBox") != 0) return shown;
  LRESULT rows = SendMessageW(control, CB_GETCOUNT, 0, 0);
  for (LRESULT row = 0; row < rows; ++row) {
    if (SendMessageW(control, CB_GETLBTEXTLEN, row, 0) >= 1023) continue;
    SendMessageW(control, CB_GETLBTEXT, row, reinterpret_cast<LPARAM>(text));
    shown += text;
  }
  return shown;
}

// One line for each visible control of `window` whose font lacks a glyph of
// its text: the text, the face, the characters without a glyph.
std::string Unreadable(HWND window) {
  std::string found;
  for (HWND control = GetWindow(window, GW_CHILD); control != nullptr;
       control = GetWindow(control, GW_HWNDNEXT)) {
    if ((GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) == 0) continue;
    std::wstring text = ShownText(control);
    if (text.empty()) continue;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    std::wstring glyphs(text.size(), L'\0');
    GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()),
                     reinterpret_cast<WORD*>(&glyphs[0]), GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    std::wstring missing;
    for (size_t i = 0; i < text.size(); ++i)
      if (static_cast<WORD>(glyphs[i]) == 0xFFFF && text[i] >= L' ') missing += text[i];
    if (!missing.empty())
      found += "  \"" + Utf8(text) + "\" in " + Utf8(face) + " lacks " + Utf8(missing) + "\n";
  }
  return found;
}

// Creates dialog `id` from the template the utility would use, left hidden.
HWND Create(WORD id, HWND owner, DLGPROC procedure, LPARAM parameter = 0) {
  void* copy = nullptr;
  const DLGTEMPLATE* dialog = ProgramDialogTemplate(ProgramInstance, id, &copy);
  HWND window = CreateDialogIndirectParamW(ProgramInstance, dialog, owner, procedure, parameter);
  ReleaseDialogTemplate(copy);
  return window;
}

std::string messageBoxFindings;
std::wstring messageBoxText;
bool messageBoxSeen = false;

BOOL CALLBACK FindMessageBox(HWND window, LPARAM found) {
  if (GetDlgItem(window, 0xFFFF) != nullptr && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK ReadMessageBox(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindMessageBox, reinterpret_cast<LPARAM>(&box));
  if (box == nullptr) return;
  KillTimer(nullptr, timer);
  messageBoxSeen = true;
  messageBoxFindings = Unreadable(box);
  wchar_t text[256] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 256);
  messageBoxText = text;
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST(ReadableTexts, EveryDialogAndMessageBoxHasGlyphsForItsTexts) {
  PrepareDialogTests();
  SettleInterfaceLanguage();  // as start-up does: the locale's interface
  ShareDialogListTexts();
  FakeDirectInputScope fake;
  AddWheel("Velmora Wheel");
  SetNoFileSettings();
  EnumerateDisplayDevices();  // Wine's own DirectDraw: the lists get real rows
  std::memset(&GraphicSettings, 0, sizeof GraphicSettings);
  CurrentDeviceRow = 0;

  HWND launcher = Create(IDD_LAUNCHER, nullptr, LauncherDialogProc);
  HWND graphics = Create(IDD_GRAPHIC_SETTINGS, nullptr, GraphicSettingsDialogProc);
  HWND control = Create(IDD_CONTROL_SETTINGS, nullptr, ControlSettingsDialogProc);
  ASSERT_NE(nullptr, launcher);
  ASSERT_NE(nullptr, graphics);
  ASSERT_NE(nullptr, control);
  ChooseListRow(control, IDC_CONTROL_DEVICE, 1);  // the wheel: its inputs' Japanese names
  CalibrationState.calibrationInput = 0;
  HWND calibration = Create(IDD_CALIBRATION, control, CalibrationDialogProc);
  ASSERT_NE(nullptr, calibration);
  // The input test over the wheel, its notes both shown.
  InputTestSetup setup = {ControlManager, 1, {1, 2, 7, 8, 32, 33, 26, 29, 27, 28}, {1, 1, 1}, {}};
  HWND test = Create(IDD_INPUT_TEST, control, InputTestDialogProc, reinterpret_cast<LPARAM>(&setup));
  ASSERT_NE(nullptr, test);
  wchar_t notes[512] = {}, connected[256] = {};
  LoadInterfaceString(ProgramInstance, IDS_INPUT_TEST_TRIGGERS_NOTE, notes, 256);
  LoadInterfaceString(ProgramInstance, IDS_INPUT_TEST_NOT_CONNECTED_NOTE, connected, 256);
  lstrcatW(lstrcatW(notes, L"\r\n"), connected);
  HWND noteText = GetDlgItem(test, IDC_INPUT_TEST_NOTES);
  SetWindowTextW(noteText, notes);
  RECT room, needed;
  GetClientRect(noteText, &room);
  needed = {0, 0, room.right, 0};
  HDC dc = GetDC(noteText);
  HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(noteText, WM_GETFONT, 0, 0)));
  DrawTextW(dc, notes, -1, &needed, DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
  SelectObject(dc, font);
  ReleaseDC(noteText, dc);
  EXPECT_TRUE(needed.right <= room.right && needed.bottom <= room.bottom)
      << "the notes need " << needed.right << " x " << needed.bottom << " px";

  EXPECT_EQ("", Unreadable(launcher)) << "launcher";
  EXPECT_EQ("", Unreadable(graphics)) << "graphic settings";
  EXPECT_EQ("", Unreadable(control)) << "control settings";
  EXPECT_EQ("", Unreadable(calibration)) << "calibration";
  EXPECT_EQ("", Unreadable(test)) << "input test";
  DestroyWindow(test);
  DestroyWindow(calibration);
  DestroyWindow(control);
  DestroyWindow(graphics);
  DestroyWindow(launcher);

  SetTimer(nullptr, 0, 20, ReadMessageBox);
  EXPECT_EQ(IDOK, ShowErrorMessage(nullptr, ChosenText(kNoDisplayDeviceMessage)));
  EXPECT_TRUE(messageBoxSeen);
  EXPECT_EQ("", messageBoxFindings) << "message box";
  EXPECT_EQ(KoreanInterface() ? WideText(kNoDisplayDeviceMessage.korean)
                              : L"No 3D device that draws in hardware was found.",
            messageBoxText);
}

// The face check counts the rows the lists show, not the templates' texts
// alone: a face that draws every template but not a list's rows is no face
// that lacks nothing. A row no installed face draws (U+E000, code page 932's
// first user-defined character) shows as one more character missing.
TEST(ReadableTexts, TheFaceCheckCountsTheListsRows) {
  PrepareDialogTests();
  SettleInterfaceLanguage();
  SetDialogListTexts(nullptr, 0);
  DialogFontFacts templatesOnly;
  DescribeDialogFont(ProgramInstance, templatesOnly);
  static const DialogListTexts kUndrawable[] = {{1, [](int) { return "\xF0\x40"; }}};
  SetDialogListTexts(kUndrawable, 1);
  DialogFontFacts withList;
  DescribeDialogFont(ProgramInstance, withList);
  ShareDialogListTexts();
  EXPECT_EQ(templatesOnly.characters + 1, withList.characters);
  EXPECT_EQ(templatesOnly.missingUsed + 1, withList.missingUsed);
}

// The texts of ids `first` to `end` - 1 of the string tables, each shown in
// `window`'s status text `statusId` in the chosen interface: a glyph for every
// character, and every status whole as it wraps in that control (DrawText's
// word breaks in its font, within its width and height), each failure
// (`failed`) with each step (from `firstStep` on). Counts the texts in `texts`.
void ExpectStatusesShowWhole(HWND window, int statusId, UINT first, UINT end, UINT failed,
                             UINT firstStep, int& texts) {
  HWND status = GetDlgItem(window, statusId);
  auto text = [](UINT id) {
    wchar_t loaded[256] = {};
    LoadInterfaceString(ProgramInstance, id, loaded, 256);
    return std::wstring(loaded);
  };
  std::vector<std::wstring> statuses;
  texts = 0;
  for (UINT id = first; id < end; ++id) {
    std::wstring shown = text(id);
    if (shown.empty()) continue;
    ++texts;
    SetWindowTextW(status, shown.c_str());
    EXPECT_EQ("", Unreadable(window)) << id;
    if (id == failed) continue;
    if (id < firstStep) {
      statuses.push_back(shown);
      continue;
    }
    wchar_t failure[512];
    wsprintfW(failure, text(failed).c_str(), shown.c_str(), 0x88760000ul);
    statuses.push_back(failure);
  }
  RECT room;
  GetClientRect(status, &room);
  HDC dc = GetDC(status);
  HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(status, WM_GETFONT, 0, 0)));
  for (const std::wstring& shown : statuses) {
    RECT needed = {0, 0, room.right, 0};
    DrawTextW(dc, shown.c_str(), -1, &needed, DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
    EXPECT_TRUE(needed.right <= room.right && needed.bottom <= room.bottom)
        << Utf8(shown) << " needs " << needed.right << " x " << needed.bottom << " px, has "
        << room.right << " x " << room.bottom;
  }
  SelectObject(dc, previous);
  ReleaseDC(status, dc);
}

// The graphics test's texts in the graphic settings' status (the lines over
// its scene are drawn in the same face), and the force-feedback test's in the
// input test's status (its button's "Stop" among them).
TEST(ReadableTexts, TheStringTablesTextsShowWholeInTheStatus) {
  PrepareDialogTests();
  SettleInterfaceLanguage();
  ShareDialogListTexts();
  EnumerateDisplayDevices();
  std::memset(&GraphicSettings, 0, sizeof GraphicSettings);
  CurrentDeviceRow = 0;
  HWND graphics = Create(IDD_GRAPHIC_SETTINGS, nullptr, GraphicSettingsDialogProc);
  ASSERT_NE(nullptr, graphics);
  int texts = 0;
  ExpectStatusesShowWhole(graphics, IDC_GRAPHIC_TEST_STATUS, IDS_GRAPHICS_TEST_FIRST,
                          IDS_INPUT_TEST_FIRST, IDS_GRAPHICS_TEST_FAILED,
                          IDS_GRAPHICS_TEST_STEP_PREPARING, texts);
  EXPECT_EQ(16, texts);
  DestroyWindow(graphics);

  FakeDirectInputScope fake;
  AddWheel("Velmora Wheel");
  InputManager manager;
  ASSERT_TRUE(manager.Initialize(ProgramInstance, nullptr));
  InputTestSetup setup = {&manager, 1, {1, 2, 7, 8, 32, 33, 26, 29, 27, 28}, {1, 1, 1}, {}};
  HWND test = Create(IDD_INPUT_TEST, nullptr, InputTestDialogProc, reinterpret_cast<LPARAM>(&setup));
  ASSERT_NE(nullptr, test);
  ExpectStatusesShowWhole(test, IDC_INPUT_TEST_FORCE_FEEDBACK_STATUS, IDS_FORCE_FEEDBACK_TEST_FIRST,
                          IDS_FORCE_FEEDBACK_TEST_FIRST + 64, IDS_FORCE_FEEDBACK_FAILED,
                          IDS_FORCE_FEEDBACK_STEP_TAKING, texts);
  EXPECT_EQ(11, texts);
  DestroyWindow(test);

  // The control settings' notes, the input test's triggers text among them.
  SetNoFileSettings();
  HWND control = OpenControlDialog();
  ASSERT_NE(nullptr, control);
  ExpectStatusesShowWhole(control, IDC_CONTROL_NOTE, IDS_CONTROL_NOTE_FIRST,
                          IDS_CONTROL_NOTE_FIRST + 64, 0, ~0u, texts);
  EXPECT_EQ(2, texts);
  ExpectStatusesShowWhole(control, IDC_CONTROL_NOTE, IDS_INPUT_TEST_TRIGGERS_NOTE,
                          IDS_INPUT_TEST_TRIGGERS_NOTE + 1, 0, ~0u, texts);
  EXPECT_EQ(1, texts);
  DestroyWindow(control);
}

// The English windows, in the face this locale gives "MS Shell Dlg": every
// control shows the English text and shows it whole (each line's extent in the
// control's font within the control, a check box's box and a button's frame
// set aside), and the windows have the Korean ones' captions, controls, ids
// and order, so tab order and everything the code addresses are the same.
struct EnglishWindow {
  WORD id;
  DLGPROC procedure;
  std::vector<const wchar_t*> texts;  // each control's, in template order
};

std::string ControlsOf(HWND window) {
  std::string order;
  for (HWND control = GetWindow(window, GW_CHILD); control != nullptr;
       control = GetWindow(control, GW_HWNDNEXT)) {
    char className[32] = {};
    GetClassNameA(control, className, sizeof className);
    order += std::to_string(static_cast<short>(GetDlgCtrlID(control))) + " " + className + "\n";
  }
  return order;
}

// What of `control`'s text does not fit it, or "".
std::string CutOff(HWND control) {
  wchar_t text[512] = {}, className[32] = {};
  GetWindowTextW(control, text, 512);
  GetClassNameW(control, className, 32);
  LONG style = GetWindowLongW(control, GWL_STYLE);
  bool button = lstrcmpiW(className, L"Button") == 0;
  bool label = lstrcmpiW(className, L"Static") == 0;
  if ((!button && !label) || text[0] == L'\0') return "";
  RECT client;
  GetClientRect(control, &client);
  int room = client.right;
  if (button && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX)
    room -= GetSystemMetrics(SM_CXMENUCHECK) + 4;  // the box and the gap after it
  else if (button)
    room -= 2 * (GetSystemMetrics(SM_CXEDGE) + 1);  // the frame
  HDC dc = GetDC(control);
  HGDIOBJ previous =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  std::string found;
  int lines = 0;
  for (wchar_t* line = text; line != nullptr; ++lines) {
    wchar_t* next = wcschr(line, L'\n');
    int length = next != nullptr ? static_cast<int>(next - line) : lstrlenW(line);
    SIZE extent;
    GetTextExtentPoint32W(dc, line, length, &extent);
    if (extent.cx > room)
      found += "\"" + Utf8(std::wstring(line, length)) + "\" needs " + std::to_string(extent.cx) +
               " px, has " + std::to_string(room) + "; ";
    line = next != nullptr ? next + 1 : nullptr;
  }
  if (lines * metrics.tmHeight > client.bottom)
    found += std::to_string(lines) + " lines need " + std::to_string(lines * metrics.tmHeight) +
             " px of height, have " + std::to_string(client.bottom) + "; ";
  SelectObject(dc, previous);
  ReleaseDC(control, dc);
  return found;
}

TEST(ReadableTexts, TheEnglishWindowsShowTheirTextsWholeInTheKoreanOrder) {
  PrepareDialogTests();
  FakeDirectInputScope fake;
  SetNoFileSettings();
  EnumerateDisplayDevices();
  std::memset(&GraphicSettings, 0, sizeof GraphicSettings);
  CurrentDeviceRow = 0;
  const EnglishWindow windows[] = {
      {IDD_LAUNCHER, LauncherDialogProc,
       {L"Graphic settings", L"Control settings", L"Exit", L"Choose the settings to change:"}},
      {IDD_GRAPHIC_SETTINGS, GraphicSettingsDialogProc,
       {L"OK", L"Cancel", L"Test", L"Choose the 3D device to use", L"",
        L"Choose the screen resolution and color quality", L"", L"Choose the texture color quality",
        L"", L"Clear this box if the screen shows glitches", L"Use multiple textures",
        L"Use compressed textures", L"Change the texture detail", L"Slider2", L"Low", L"High",
        L""}},
      {IDD_CONTROL_SETTINGS, ControlSettingsDialogProc,
       {L"OK", L"Cancel", L"Input device", L"", L"Force Feedback", L"Reset", L"Test",
        L"Steer left", L"",
        L"", L"Calibrate", L"Steer right", L"", L"Accelerate", L"", L"", L"Calibrate", L"Brake",
        L"", L"", L"Calibrate", L"Shift down", L"", L"Shift up", L"", L"Handbrake", L"",
        L"Lights", L"", L"View 1", L"", L"View 2", L"", L""}},
      {IDD_CALIBRATION, CalibrationDialogProc,
       {L"OK", L"Cancel",
        L"1  Without touching the input, press Reset.\n"
        L"2  To set the minimum, hold the input there and press Minimum.\n"
        L"3  To set the maximum, hold the input there and press Maximum.",
        L"Minimum", L"Reset", L"Maximum", L"Slider1"}},
  };
  EnglishWindow inputTest = {IDD_INPUT_TEST, InputTestDialogProc, {L"Functions"}};
  static const wchar_t* const kLabels[] = {L"Steer left", L"Steer right", L"Accelerate", L"Brake",
                                           L"Shift down", L"Shift up",    L"Handbrake",  L"Lights",
                                           L"View 1",     L"View 2"};
  static const wchar_t* const kNumbers[] = {
      L"1",  L"2",  L"3",  L"4",  L"5",  L"6",  L"7",  L"8",  L"9",  L"10", L"11",
      L"12", L"13", L"14", L"15", L"16", L"17", L"18", L"19", L"20", L"21", L"22",
      L"23", L"24", L"25", L"26", L"27", L"28", L"29", L"30", L"31", L"32"};
  static const wchar_t* const kPovs[] = {L"POV 1", L"POV 2", L"POV 3", L"POV 4"};
  for (int k = 0; k < 10; ++k) {
    inputTest.texts.insert(inputTest.texts.end(), {kLabels[k], L"", L""});
    if (k < 4) inputTest.texts.push_back(L"");
  }
  inputTest.texts.push_back(L"Inputs");
  for (int a = 0; a < 8; ++a) inputTest.texts.insert(inputTest.texts.end(), {L"", L"", L""});
  for (const wchar_t* pov : kPovs) inputTest.texts.insert(inputTest.texts.end(), {pov, L""});
  for (const wchar_t* number : kNumbers) inputTest.texts.push_back(number);
  inputTest.texts.insert(inputTest.texts.end(),
                         {L"Buttons down", L"", L"", L"Close", L"Test force feedback", L""});
  std::vector<EnglishWindow> all(std::begin(windows), std::end(windows));
  all.push_back(inputTest);
  for (const EnglishWindow& expected : all) {
    SCOPED_TRACE("template " + std::to_string(expected.id));
    UseInterfaceLanguage(InterfaceLanguage::kKorean, 0x0412);
    HWND korean = Create(expected.id, nullptr, expected.procedure);
    ASSERT_NE(nullptr, korean);
    wchar_t koreanCaption[64] = {}, englishCaption[64] = {};
    GetWindowTextW(korean, koreanCaption, 64);
    std::string koreanControls = ControlsOf(korean);
    DestroyWindow(korean);
    UseInterfaceLanguage(InterfaceLanguage::kEnglish, 0x0409);
    // The check counts the English texts alone, which the asked-for face draws.
    void* copy = nullptr;
    ProgramDialogTemplate(ProgramInstance, expected.id, &copy);
    EXPECT_EQ(nullptr, copy) << "a stand-in face for the English texts";
    ReleaseDialogTemplate(copy);
    HWND english = Create(expected.id, nullptr, expected.procedure);
    ASSERT_NE(nullptr, english);
    GetWindowTextW(english, englishCaption, 64);
    EXPECT_EQ(Utf8(koreanCaption), Utf8(englishCaption));
    EXPECT_EQ(koreanControls, ControlsOf(english));
    size_t index = 0;
    for (HWND control = GetWindow(english, GW_CHILD); control != nullptr;
         control = GetWindow(control, GW_HWNDNEXT), ++index) {
      SCOPED_TRACE("control " + std::to_string(index));
      ASSERT_LT(index, expected.texts.size());
      wchar_t text[512] = {}, className[32] = {};
      GetClassNameW(control, className, 32);
      // A list's text is its selected row's.
      if (lstrcmpiW(className, L"ComboBox") != 0) GetWindowTextW(control, text, 512);
      EXPECT_EQ(Utf8(expected.texts[index]), Utf8(text));
      EXPECT_EQ("", CutOff(control));
    }
    EXPECT_EQ(expected.texts.size(), index);
    DestroyWindow(english);
  }
  SettleInterfaceLanguage();
}

}  // namespace
