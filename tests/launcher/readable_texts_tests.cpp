// Every text of the four dialogs and of a message box is drawn with a glyph of
// the font its control really uses, whatever the locale the process runs in
// (ctest runs this program under en_US.UTF-8 and under ko_KR.UTF-8). The
// dialogs are created as the utility creates them, in this process, so their
// font handles can be asked.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "controls/calibration_dialog.h"
#include "controls/control_settings_dialog.h"
#include "graphics/display_catalogue.h"
#include "graphics/graphic_settings_dialog.h"
#include "graphics/graphic_settings_file.h"
#include "launcher/launcher.h"
#include "program/cp932_text.h"
#include "program/dialog_font.h"
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
HWND Create(WORD id, HWND owner, DLGPROC procedure) {
  void* copy = nullptr;
  const DLGTEMPLATE* dialog = ProgramDialogTemplate(ProgramInstance, id, &copy);
  HWND window = CreateDialogIndirectParamW(ProgramInstance, dialog, owner, procedure, 0);
  ReleaseDialogTemplate(copy);
  return window;
}

std::string messageBoxFindings;
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
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST(ReadableTexts, EveryDialogAndMessageBoxHasGlyphsForItsTexts) {
  PrepareDialogTests();
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

  EXPECT_EQ("", Unreadable(launcher)) << "launcher";
  EXPECT_EQ("", Unreadable(graphics)) << "graphic settings";
  EXPECT_EQ("", Unreadable(control)) << "control settings";
  EXPECT_EQ("", Unreadable(calibration)) << "calibration";
  DestroyWindow(calibration);
  DestroyWindow(control);
  DestroyWindow(graphics);
  DestroyWindow(launcher);

  SetTimer(nullptr, 0, 20, ReadMessageBox);
  EXPECT_EQ(IDOK, ShowErrorMessage(nullptr, kNoDisplayDeviceMessage));
  EXPECT_TRUE(messageBoxSeen);
  EXPECT_EQ("", messageBoxFindings) << "message box";
}

}  // namespace
