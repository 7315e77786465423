#include "graphics/graphic_settings_dialog.h"

#include <commctrl.h>

#include <cstdio>

#include "graphics/display_catalogue.h"
#include "graphics/graphic_settings_file.h"
#include "graphics/display_check.h"
#include "program/cp932_text.h"
#include "program/dialog_font.h"
#include "program/program_directory.h"
#include "program/program_instance.h"
#include "resources/resource_ids.h"

int32_t CurrentDeviceRow = -1;

const TextureDepthChoice TextureDepthChoices[kTextureDepthChoiceCount] = {
    {"default", 0},
    {"16 bit", 16},
    {"32 bit", 32},
};

// graphic.cfg の保存に失敗しました
const InterfaceText kGraphicSaveFailedMessage = {
    "graphic.cfg \x82\xCC\x95\xDB\x91\xB6\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD",
    "graphic.cfg could not be saved."};

namespace {

constexpr int kLowestQuality = 0;
constexpr int kHighestQuality = 4;

bool IsCatalogueRow(LRESULT row) { return row >= 0 && row < DisplayDeviceCatalogue.count; }

LRESULT SelectedRow(HWND dialog, int listId) {
  return SendDlgItemMessageA(dialog, listId, CB_GETCURSEL, 0, 0);
}

// A row of the mode list, or null when the list reports none (CB_ERR) or a row
// the entry does not have.
const DisplayModeEntry* ModeAtRow(int32_t device, LRESULT row) {
  if (!IsCatalogueRow(device)) return nullptr;
  const DisplayDeviceEntry& entry = DisplayDeviceCatalogue.entries[device];
  if (row < 0 || row >= entry.modeCount) return nullptr;
  return &entry.modes[row];
}

void RememberMode(const DisplayModeEntry& mode) {
  GraphicSettings.width = static_cast<int32_t>(mode.dwWidth);
  GraphicSettings.height = static_cast<int32_t>(mode.dwHeight);
  GraphicSettings.colorDepth = static_cast<int32_t>(mode.ddpfPixelFormat.dwRGBBitCount);
}

bool TextureDepthRow(LRESULT row) { return row >= 0 && row < kTextureDepthChoiceCount; }

int32_t IsChecked(HWND dialog, int boxId) {
  // BST_INDETERMINATE counts as unchecked, as a disabled box does.
  return SendDlgItemMessageA(dialog, boxId, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void SetChecked(HWND dialog, int boxId, bool checked) {
  SendDlgItemMessageA(dialog, boxId, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void EmptyList(HWND dialog, int listId) {
  for (;;) {
    LRESULT left = SendDlgItemMessageA(dialog, listId, CB_DELETESTRING, 0, 0);
    if (left == 0 || left == CB_ERR) return;
  }
}

void AddModeRow(HWND dialog, const DisplayModeEntry& mode) {
  char text[kModeTextSize];
  FormatModeText(mode, text, sizeof text);
  SendDlgItemMessageA(dialog, IDC_GRAPHIC_MODE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

int TextureDepthRowOf(int32_t value) {
  if (value == 16) return 1;
  if (value == 32) return 2;
  return 0;
}

void OnInitDialog(HWND dialog) {
  const GraphicSettingsRecord& s = GraphicSettings;
  // Device names come from DirectDraw in the system's code page.
  for (int32_t i = 0; i < DisplayDeviceCatalogue.count; ++i)
    SendDlgItemMessageA(dialog, IDC_GRAPHIC_DEVICE, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(DisplayDeviceCatalogue.entries[i].name));
  for (const TextureDepthChoice& choice : TextureDepthChoices)
    SendDlgItemMessageA(dialog, IDC_GRAPHIC_TEXTURE_DEPTH, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(choice.text));
  SendDlgItemMessageA(dialog, IDC_GRAPHIC_DEVICE, CB_SETCURSEL,
                      static_cast<WPARAM>(CurrentDeviceRow), 0);
  FillModeList(dialog, CurrentDeviceRow);
  SendDlgItemMessageA(dialog, IDC_GRAPHIC_TEXTURE_DEPTH, CB_SETCURSEL,
                      static_cast<WPARAM>(TextureDepthRowOf(s.textureDepth)), 0);
  SendDlgItemMessageA(dialog, IDC_GRAPHIC_QUALITY, TBM_SETRANGE, TRUE,
                      MAKELPARAM(kLowestQuality, kHighestQuality));
  SendDlgItemMessageA(dialog, IDC_GRAPHIC_QUALITY, TBM_SETPOS, TRUE, s.textureQuality);
  SetChecked(dialog, IDC_GRAPHIC_COMPRESS, s.textureCompress != 0);
}

// Copies every control back into GraphicSettings. A list that reports no
// selection keeps the value it stands for, instead of indexing with CB_ERR; for
// the device list that is the device whose modes the mode list shows.
void OnOk(HWND dialog) {
  GraphicSettingsRecord& s = GraphicSettings;
  LRESULT deviceRow = SelectedRow(dialog, IDC_GRAPHIC_DEVICE);
  if (IsCatalogueRow(deviceRow))
    s.device = static_cast<int32_t>(deviceRow);
  else if (IsCatalogueRow(CurrentDeviceRow))
    s.device = CurrentDeviceRow;
  const DisplayModeEntry* mode = ModeAtRow(s.device, SelectedRow(dialog, IDC_GRAPHIC_MODE));
  if (mode != nullptr) RememberMode(*mode);
  LRESULT depthRow = SelectedRow(dialog, IDC_GRAPHIC_TEXTURE_DEPTH);
  if (TextureDepthRow(depthRow)) s.textureDepth = TextureDepthChoices[depthRow].value;
  s.multiTexture = IsChecked(dialog, IDC_GRAPHIC_MULTITEXTURE);
  s.textureCompress = IsChecked(dialog, IDC_GRAPHIC_COMPRESS);
  LRESULT quality = SendDlgItemMessageA(dialog, IDC_GRAPHIC_QUALITY, TBM_GETPOS, 0, 0);
  if (quality >= kLowestQuality && quality <= kHighestQuality)
    s.textureQuality = static_cast<int32_t>(quality);
  EndDialog(dialog, 1);
}

void OnDeviceChanged(HWND dialog) {
  LRESULT row = SelectedRow(dialog, IDC_GRAPHIC_DEVICE);
  if (!IsCatalogueRow(row)) return;
  CurrentDeviceRow = static_cast<int32_t>(row);
  // The remembered mode is left alone, so the new list shows it when it can.
  FillModeList(dialog, CurrentDeviceRow);
}

void OnModeChanged(HWND dialog) {
  const DisplayModeEntry* mode =
      ModeAtRow(CurrentDeviceRow, SelectedRow(dialog, IDC_GRAPHIC_MODE));
  if (mode != nullptr) RememberMode(*mode);
  UpdateMultitextureCheck(dialog, CurrentDeviceRow);
}

void OnTextureDepthChanged(HWND dialog) {
  LRESULT row = SelectedRow(dialog, IDC_GRAPHIC_TEXTURE_DEPTH);
  GraphicSettings.textureDepth = TextureDepthRow(row) ? TextureDepthChoices[row].value : 0;
  UpdateMultitextureCheck(dialog, CurrentDeviceRow);
}

// ---- The graphics test -------------------------------------------------------

constexpr int kTestTextSize = 160;
// wsprintfW writes at most this many characters.
constexpr int kStatusSize = 1024;

struct LoadedTestTexts {
  wchar_t text[7][kTestTextSize];
  GraphicsTestTexts texts;
};

void LoadTestTexts(LoadedTestTexts& loaded) {
  for (int i = 0; i < 7; ++i)
    LoadInterfaceString(ProgramInstance, IDS_GRAPHICS_TEST_PROMPT + i, loaded.text[i], kTestTextSize);
  loaded.texts = {loaded.text[0], loaded.text[1], loaded.text[2], loaded.text[3],
                  loaded.text[4], loaded.text[5], loaded.text[6]};
}

// A status belongs to the choices it was shown for: any change clears it.
void ClearTestStatus(HWND dialog) { SetDlgItemTextW(dialog, IDC_GRAPHIC_TEST_STATUS, L""); }

void ShowTestStatus(HWND dialog, const GraphicsTestOutcome& outcome) {
  wchar_t status[kStatusSize];
  if (outcome.end == GraphicsTestEnd::kConfirmed) {
    LoadInterfaceString(ProgramInstance, IDS_GRAPHICS_TEST_CONFIRMED, status, kStatusSize);
  } else if (outcome.end == GraphicsTestEnd::kNotConfirmed) {
    LoadInterfaceString(ProgramInstance, IDS_GRAPHICS_TEST_NOT_CONFIRMED, status, kStatusSize);
  } else {
    wchar_t format[kTestTextSize], step[kTestTextSize];
    LoadInterfaceString(ProgramInstance, IDS_GRAPHICS_TEST_FAILED, format, kTestTextSize);
    int stepIndex = static_cast<int>(outcome.failedStep) - static_cast<int>(GraphicsTestStep::kPreparing);
    if (stepIndex < 0) stepIndex = 0;
    LoadInterfaceString(ProgramInstance, IDS_GRAPHICS_TEST_STEP_PREPARING + stepIndex, step,
                        kTestTextSize);
    wsprintfW(status, format, step, static_cast<unsigned long>(outcome.code));
  }
  SetDlgItemTextW(dialog, IDC_GRAPHIC_TEST_STATUS, status);
}

// Tests the choices as the window shows them now, not as stored: nothing of
// GraphicSettings changes, so OK afterwards saves what it would have saved.
void OnTest(HWND dialog) {
  LRESULT deviceRow = SelectedRow(dialog, IDC_GRAPHIC_DEVICE);
  int32_t device = IsCatalogueRow(deviceRow) ? static_cast<int32_t>(deviceRow) : CurrentDeviceRow;
  const DisplayModeEntry* mode = ModeAtRow(device, SelectedRow(dialog, IDC_GRAPHIC_MODE));
  if (mode == nullptr) return;
  LRESULT depthRow = SelectedRow(dialog, IDC_GRAPHIC_TEXTURE_DEPTH);
  LoadedTestTexts loaded;
  LoadTestTexts(loaded);
  GraphicsTestChoice choice;
  choice.device = device;
  choice.width = static_cast<int32_t>(mode->dwWidth);
  choice.height = static_cast<int32_t>(mode->dwHeight);
  choice.colorDepth = static_cast<int32_t>(mode->ddpfPixelFormat.dwRGBBitCount);
  choice.textureDepth = TextureDepthRow(depthRow) ? TextureDepthChoices[depthRow].value : 0;
  choice.multiTexture = IsChecked(dialog, IDC_GRAPHIC_MULTITEXTURE) != 0;
  choice.compressed = IsChecked(dialog, IDC_GRAPHIC_COMPRESS) != 0;
  // As the game starts: in a window only where the file asks for one and the
  // device can draw there.
  choice.windowed = GraphicSettings.window != 0 && DisplayDeviceCatalogue.entries[device].canRenderWindowed;
  choice.texts = &loaded.texts;
  GraphicsTestOutcome outcome = RunGraphicsTest(dialog, choice);
  ShowTestStatus(dialog, outcome);
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_GRAPHIC_TEST)),
               TRUE);
}

void OnCommand(HWND dialog, WORD id, WORD notification) {
  switch (id) {
    case IDOK:
      OnOk(dialog);
      return;
    case IDCANCEL:  // also Escape and the close box
      EndDialog(dialog, 0);
      return;
    case IDC_GRAPHIC_DEVICE:
      if (notification != CBN_SELCHANGE) return;
      ClearTestStatus(dialog);
      OnDeviceChanged(dialog);
      return;
    case IDC_GRAPHIC_MODE:
      if (notification != CBN_SELCHANGE) return;
      ClearTestStatus(dialog);
      OnModeChanged(dialog);
      return;
    case IDC_GRAPHIC_TEXTURE_DEPTH:
      if (notification != CBN_SELCHANGE) return;
      ClearTestStatus(dialog);
      OnTextureDepthChanged(dialog);
      return;
    case IDC_GRAPHIC_MULTITEXTURE:
    case IDC_GRAPHIC_COMPRESS:
      // The boxes toggle themselves and are read on OK.
      if (notification == BN_CLICKED) ClearTestStatus(dialog);
      return;
    case IDC_GRAPHIC_TEST:
      if (notification == BN_CLICKED) OnTest(dialog);
      return;
    default:
      return;
  }
}

}  // namespace

void FormatModeText(const DisplayModeEntry& mode, char* text, std::size_t size) {
  std::snprintf(text, size, "%d x %d : %ld bit color", static_cast<int>(mode.dwWidth),
                static_cast<int>(mode.dwHeight),
                static_cast<long>(mode.ddpfPixelFormat.dwRGBBitCount));
}

void EnableControl(HWND dialog, int controlId, BOOL enable) {
  EnableWindow(GetDlgItem(dialog, controlId), enable);
}

void UpdateMultitextureCheck(HWND dialog, int32_t row) {
  // One texture stage is enough for the box to be offered; the load itself
  // keeps multitexturing only on devices with more than one.
  if (IsCatalogueRow(row) &&
      DisplayDeviceCatalogue.entries[row].deviceDesc.wMaxSimultaneousTextures >= 1) {
    EnableControl(dialog, IDC_GRAPHIC_MULTITEXTURE, TRUE);
    SetChecked(dialog, IDC_GRAPHIC_MULTITEXTURE, GraphicSettings.multiTexture != 0);
  } else {
    EnableControl(dialog, IDC_GRAPHIC_MULTITEXTURE, FALSE);
    SetChecked(dialog, IDC_GRAPHIC_MULTITEXTURE, false);
  }
}

void FillModeList(HWND dialog, int32_t row) {
  EmptyList(dialog, IDC_GRAPHIC_MODE);
  if (IsCatalogueRow(row)) {
    const DisplayDeviceEntry& entry = DisplayDeviceCatalogue.entries[row];
    int32_t selected = 0;
    bool found = false;
    for (int32_t i = 0; i < entry.modeCount; ++i) {
      const DisplayModeEntry& mode = entry.modes[i];
      AddModeRow(dialog, mode);
      if (!found && mode.dwWidth == static_cast<DWORD>(GraphicSettings.width) &&
          mode.dwHeight == static_cast<DWORD>(GraphicSettings.height) &&
          mode.ddpfPixelFormat.dwRGBBitCount == static_cast<DWORD>(GraphicSettings.colorDepth)) {
        selected = i;
        found = true;
      }
    }
    SendDlgItemMessageA(dialog, IDC_GRAPHIC_MODE, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  }
  UpdateMultitextureCheck(dialog, row);
}

INT_PTR CALLBACK GraphicSettingsDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog);
      return TRUE;  // the dialog manager focuses the first tab stop, the OK button
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_HSCROLL:  // the texture detail trackbar moved
      if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_GRAPHIC_QUALITY))
        ClearTestStatus(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR RunGraphicSettings(HWND owner, bool* saveFailed) {
  if (saveFailed != nullptr) *saveFailed = false;
  CurrentDeviceRow = -1;
  if (!LoadGraphicSettings(owner, ProgramPath(kGraphicSettingsFile), GraphicSettings)) {
    ReleaseDisplayDevices();
    return -1;
  }
  CurrentDeviceRow = GraphicSettings.device;
  // A Unicode dialog, so the template's Hangul shows on every system locale,
  // in a face that has its glyphs.
  INT_PTR result = ShowProgramDialog(ProgramInstance, IDD_GRAPHIC_SETTINGS, owner,
                                     GraphicSettingsDialogProc, 0);
  if (result == 1 && !SaveGraphicSettings(ProgramPath(kGraphicSettingsFile))) {
    ShowErrorMessage(nullptr, ChosenText(kGraphicSaveFailedMessage));
    if (saveFailed != nullptr) *saveFailed = true;
  }
  // The mode arrays are not needed once the run is over.
  ReleaseDisplayDevices();
  return result;
}
