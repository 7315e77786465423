// The graphic settings dialog (template 105) and the graphics run that the
// launcher's "그래픽 설정" button starts. Its "테스트" button runs the graphics
// test on the choices as shown, and its status text says how that ended until
// any choice changes.
#ifndef VELMORA_GRAPHIC_SETTINGS_DIALOG_H
#define VELMORA_GRAPHIC_SETTINGS_DIALOG_H

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "graphics/display_catalogue.h"
#include "program/interface_language.h"

// The catalogue row shown in the device list. The run sets it to the loaded
// device before the dialog opens; the dialog follows the player's choice.
extern int32_t CurrentDeviceRow;

// The rows of the texture-depth list, in list order.
struct TextureDepthChoice {
  const char* text;
  int32_t value;
};
constexpr int kTextureDepthChoiceCount = 3;
extern const TextureDepthChoice TextureDepthChoices[kTextureDepthChoiceCount];

// "graphic.cfg の保存に失敗しました" in code page 932, "graphic.cfg could not be
// saved." in English.
extern const InterfaceText kGraphicSaveFailedMessage;

// The whole graphics run: load and resolve "config\graphic.cfg", show the dialog
// owned by owner, save on OK. Nothing is written after Cancel or a failed load.
// Returns the dialog's result (1 OK, 0 Cancel), or -1 when it could not be
// shown or the machine has no 3D device (after the message that says so).
// saveFailed, when given, is set to whether OK's save failed (and was reported):
// a game launcher that started the run alone learns both from the exit code.
INT_PTR RunGraphicSettings(HWND owner, bool* saveFailed = nullptr);

INT_PTR CALLBACK GraphicSettingsDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                           LPARAM lParam);

// A mode as its row of the mode list reads, "640 x 480 : 16 bit color".
constexpr std::size_t kModeTextSize = 64;
void FormatModeText(const DisplayModeEntry& mode, char* text, std::size_t size);

// Refills the mode list from catalogue row `row` and selects the remembered mode.
void FillModeList(HWND dialog, int32_t row);
// Enables the multitexture box when row's device can bind a texture, and checks
// it from the stored choice.
void UpdateMultitextureCheck(HWND dialog, int32_t row);
void EnableControl(HWND dialog, int controlId, BOOL enable);

#endif
